// The scenario viewer: the plan, and the profile lanes on one kilometre axis
// that zoom and pan together. The data comes from the scenario-data element;
// everything is drawn from it, nothing is fetched.
(function () {
    'use strict';

    const started = performance.now();
    const raw = JSON.parse(document.getElementById('scenario-data').textContent);
    if (typeof raw !== 'object' || raw === null) {
        document.getElementById('heading').textContent = 'No scenario data in this page';
        return;
    }
    const D = raw;
    // Heights and plan coordinates come in whole centimetres.
    D.elevation = D.elevationCm.map((cm) => cm / 100);
    D.plan.x = D.plan.xCm.map((cm) => cm / 100);
    D.plan.y = D.plan.yCm.map((cm) => cm / 100);
    const EXTENT = Math.max(1, D.route.extent);
    const CELL = D.route.cellMetres || 50;
    const ITEMS = D.items;
    const BY_KIND = {};
    for (const item of ITEMS) {
        if (item.from === undefined) {
            item.from = item.at;
            item.to = item.at;
        }
        (BY_KIND[item.kind] = BY_KIND[item.kind] || []).push(item);
    }
    const kindItems = (kind) => BY_KIND[kind] || [];
    // The device pixel ratio, read once a drawing (reading it is not free,
    // and a drawing writes thousands of labels).
    let pixelRatio = window.devicePixelRatio || 1;
    const PX = () => pixelRatio;

    // ---------------------------------------------------------------- text

    function readingAt(position) {
        let from = null;
        let offset = 0;
        for (const b of D.breaks) {
            if (b.at <= position && (from === null || b.at > from)) {
                from = b.at;
                offset = b.offset;
            }
        }
        return position + offset;
    }
    function readingText(metres) {
        const negative = metres < 0;
        const m = Math.abs(Math.round(metres));
        return (negative ? '-' : '') + Math.floor(m / 1000) + '.' + String(m % 1000).padStart(3, '0');
    }
    function metresText(m) {
        return `${Math.round(m)} m`;
    }
    const KIND_NAMES = {
        station: 'station',
        signal: 'signal',
        'speed-boards': 'speed boards',
        slowdown: 'slowdown',
        'warning-board': 'slowdown warning board',
        'slowdown-approach': 'slowdown approach mark',
        restriction: 'restriction mark',
        sign: 'roadside sign',
        'mountain-span': 'tunnel or mountain span',
        curve: 'curve',
        gradient: 'gradient section',
        speed: 'line speed',
        adhesion: 'adhesion',
        'kilometre-break': 'kilometre break',
        diagnostic: 'diagnostic',
        'diagnostic-note': 'note of a diagnostic',
    };

    // ---------------------------------------------------------------- heading

    (function heading() {
        const h = D.heading || {};
        const parts = [h.title, h.trainCode].filter((t) => t);
        const files = D.origin.files.map((f) => f.split(/[\\/]/).pop());
        document.getElementById('heading').textContent = parts.length ? parts.join(' \u2014 ') : files.join(', ');
        document.title = (parts.length ? parts.join(' \u2014 ') : files.join(', ')) + ' \u2014 scenario viewer';
        const count = (k) => kindItems(k).length;
        document.getElementById('summary').textContent =
            `route ${metresText(D.route.length)}, ${count('station')} stations, ${count('signal')} signals, ` +
            `${count('curve')} curves, ${count('slowdown')} slowdowns; from the ${D.origin.kind}: ${files.join(', ')}`;
    })();

    // ---------------------------------------------------------------- series

    function lowerBound(xs, x) {
        let lo = 0;
        let hi = xs.length;
        while (lo < hi) {
            const mid = (lo + hi) >> 1;
            if (xs[mid] < x) lo = mid + 1;
            else hi = mid;
        }
        return lo;
    }

    function stepSeries(kind) {
        const runs = kindItems(kind);
        const xs = [];
        const ys = [];
        for (const r of runs) {
            xs.push(r.from);
            ys.push(r.value);
        }
        if (runs.length) {
            xs.push(runs[runs.length - 1].to);
            ys.push(runs[runs.length - 1].value);
        }
        return [xs, ys];
    }
    const SERIES = {
        elevation: [D.elevation.map((_, i) => i * CELL), D.elevation],
        gradient: stepSeries('gradient'),
        speed: stepSeries('speed'),
        adhesion: stepSeries('adhesion'),
    };

    // What is on screen, at most two points (lowest and highest) a pixel
    // column: a zoomed-out view draws the envelope, not every cell.
    function envelope(series, min, max, columns) {
        const [xs, ys] = series;
        if (!xs.length) return [[min, max], [null, null]];
        const lo = Math.max(0, lowerBound(xs, min) - 1);
        const hi = Math.min(xs.length - 1, lowerBound(xs, max));
        if (hi - lo + 1 <= 2 * columns) return [xs.slice(lo, hi + 1), ys.slice(lo, hi + 1)];
        const ox = [xs[lo]];
        const oy = [ys[lo]];
        const width = (max - min) / columns;
        let i = lo + 1;
        for (let c = 1; c <= columns && i < hi; c++) {
            const end = min + c * width;
            let low = -1;
            let high = -1;
            for (; i < hi && xs[i] < end; i++) {
                if (low < 0 || ys[i] < ys[low]) low = i;
                if (high < 0 || ys[i] > ys[high]) high = i;
            }
            if (low < 0) continue;
            const [a, b] = low <= high ? [low, high] : [high, low];
            ox.push(xs[a]);
            oy.push(ys[a]);
            if (b !== a) {
                ox.push(xs[b]);
                oy.push(ys[b]);
            }
        }
        ox.push(xs[hi]);
        oy.push(ys[hi]);
        return [ox, oy];
    }

    function valueRange(ys, floor, pad) {
        let lo = floor === undefined ? Infinity : floor;
        let hi = floor === undefined ? -Infinity : floor;
        for (const y of ys) {
            if (y < lo) lo = y;
            if (y > hi) hi = y;
        }
        if (!isFinite(lo)) return [0, 1];
        if (hi - lo < 1) hi = lo + 1;
        const p = (hi - lo) * pad;
        return [lo - p, hi + p];
    }

    // ---------------------------------------------------------------- drawing

    // Text follows the system's scheme; the marks keep their colours.
    const DARK = !!(window.matchMedia && window.matchMedia('(prefers-color-scheme: dark)').matches);
    const COLOURS = {
        line: DARK ? '#6fa8dc' : '#1f4e79',
        elevation: '#548235',
        gradient: '#44546a',
        slowdown: 'rgba(237, 125, 49, 0.35)',
        slowdownEdge: '#c55a11',
        board: '#548235',
        warning: '#ffc000',
        restriction: '#7030a0',
        approach: '#bf9000',
        signal: '#c00000',
        left: '#2e75b6',
        right: '#c55a11',
        span: ['#7f7f7f', '#5b5b5b', '#404040', '#262626'],
        sign: '#375623',
        station: '#c00000',
        extent: '#a6a6a6',
        breakLine: '#c00000',
        diagnostic: '#c00000',
        warningMark: '#e0a000',
        note: '#7030a0',
        text: DARK ? '#e6e6e6' : '#262626',
        faint: DARK ? '#b3b3b3' : '#595959',
        grid: DARK ? '#2c2c2c' : '#ededed',
        // Text in the colours of the marks, dark enough to read (4.5 : 1).
        orangeText: DARK ? '#f4a06a' : '#a04000',
        leftText: DARK ? '#8fc1ee' : '#1f5a8c',
    };
    // Each font's text made once: a drawing asks for it for every label.
    const fonts = new Map();
    function FONT(size, bold) {
        const pixels = Math.round(size * PX());
        const key = pixels * 2 + (bold ? 1 : 0);
        let font = fonts.get(key);
        if (font === undefined) {
            font = `${bold ? 'bold ' : ''}${pixels}px "DejaVu Sans", Arial, sans-serif`;
            fonts.set(key, font);
        }
        return font;
    }

    // Boxes already drawn on: a label is written only where it covers none.
    // Kept in columns of the page, so that a label is tested only against
    // the boxes near it.
    const COLUMN = 64;
    class Boxes {
        constructor() {
            this.columns = new Map();
        }
        take(x0, y0, x1, y1) {
            const box = [x0, y0, x1, y1];
            for (let c = Math.floor(x0 / COLUMN); c <= Math.floor(x1 / COLUMN); c++) {
                const column = this.columns.get(c);
                if (column) column.push(box);
                else this.columns.set(c, [box]);
            }
        }
        claim(x0, y0, x1, y1) {
            for (let c = Math.floor(x0 / COLUMN); c <= Math.floor(x1 / COLUMN); c++) {
                const column = this.columns.get(c);
                if (!column) continue;
                for (const [a, b, cc, d] of column) {
                    if (x0 < cc && a < x1 && y0 < d && b < y1) return false;
                }
            }
            this.take(x0, y0, x1, y1);
            return true;
        }
    }

    function visible(u, kind) {
        const min = u.scales.x.min;
        const max = u.scales.x.max;
        return kindItems(kind).filter((it) => it.to >= min && it.from <= max);
    }
    const X = (u, m) => u.valToPos(m, 'x', true);
    const Y = (u, v) => u.valToPos(v, 'y', true);

    // The font is set only when it changes (setting it parses it); whoever
    // else draws on a canvas forgets the one set here first.
    function text(ctx, s, x, y, size, colour, align, bold) {
        const font = FONT(size, bold);
        if (ctx.fontSet !== font) {
            ctx.font = font;
            ctx.fontSet = font;
        }
        ctx.fillStyle = colour;
        ctx.textAlign = align || 'left';
        ctx.fillText(s, x, y);
    }
    // Widths measured once for each text and font: the same labels come
    // back at every redraw.
    // Kept by font, then by text, so that looking one up builds no key.
    const widths = new Map();
    function textWidth(ctx, s, size, bold) {
        const font = FONT(size, bold);
        let ofFont = widths.get(font);
        if (ofFont === undefined) widths.set(font, (ofFont = new Map()));
        let w = ofFont.get(s);
        if (w === undefined) {
            if (ofFont.size > 50000) ofFont.clear();
            ctx.font = font;
            ctx.fontSet = font;
            w = ctx.measureText(s).width;
            ofFont.set(s, w);
        }
        return w;
    }

    // A label written where it covers no mark and no other label of its
    // lane; false when there is no room for it (its mark keeps the details).
    function put(u, lane, s, x, baseline, size, colour, bold) {
        const w = textWidth(u.ctx, s, size, bold);
        const left = Math.min(Math.max(x, u.bbox.left), u.bbox.left + u.bbox.width - w);
        if (!lane.boxes.claim(left - PX(), baseline - size * PX(), left + w + PX(), baseline + 2 * PX())) return false;
        text(u.ctx, s, left, baseline, size, colour, 'left', bold);
        return true;
    }

    // Values written on the steps of a stepped series, where they fit.
    function stepLabels(u, lane, kind, unit, above) {
        for (const it of visible(u, kind)) {
            const x0 = Math.max(X(u, it.from), u.bbox.left);
            const x1 = Math.min(X(u, it.to), u.bbox.left + u.bbox.width);
            const s = (kind === 'gradient' && it.value > 0 ? '+' : '') + it.value + unit;
            const w = textWidth(u.ctx, s, 10);
            if (x1 - x0 < w + 6 * PX()) continue;
            const y = above === undefined ? Y(u, it.value) - 3 * PX() : above;
            put(u, lane, s, (x0 + x1) / 2 - w / 2, Math.max(y, u.bbox.top + 10 * PX()), 10, COLOURS.text);
        }
    }

    // A labelled zero line.
    function zeroLine(u, lane, label) {
        const ctx = u.ctx;
        const y = Y(u, 0);
        if (y < u.bbox.top || y > u.bbox.top + u.bbox.height) return;
        ctx.strokeStyle = '#a6a6a6';
        ctx.setLineDash([3 * PX(), 3 * PX()]);
        ctx.beginPath();
        ctx.moveTo(u.bbox.left, y);
        ctx.lineTo(u.bbox.left + u.bbox.width, y);
        ctx.stroke();
        ctx.setLineDash([]);
        // On a halo of the page's colour: the series often runs along the
        // zero line, through the label's foot.
        const w = textWidth(ctx, label, 10);
        const left = u.bbox.left + u.bbox.width - 3 * PX() - w;
        const baseline = y - 3 * PX();
        if (!lane.boxes.claim(left - PX(), baseline - 10 * PX(), left + w + PX(), baseline + 2 * PX())) return;
        const font = FONT(10);
        if (ctx.fontSet !== font) {
            ctx.font = font;
            ctx.fontSet = font;
        }
        ctx.strokeStyle = DARK ? '#161616' : '#ffffff';
        ctx.lineWidth = 3 * PX();
        ctx.lineJoin = 'round';
        ctx.textAlign = 'left';
        ctx.strokeText(label, left, baseline);
        text(ctx, label, left, baseline, 10, COLOURS.faint);
    }

    // A lane's series, drawn here rather than by the charting library,
    // which rounds every join: zoomed out, a line of thousands of short
    // segments strokes several times faster with plain joins (square ones
    // on the steps), which look the same at this width. Points land on
    // whole pixels, as the library put them.
    function seriesLine(u, lane) {
        const [xs, ys] = u.data;
        const ctx = u.ctx;
        const line = new Path2D();
        let first = null;
        let last = null;
        for (let i = 0; i < xs.length; i++) {
            if (ys[i] === null || ys[i] === undefined) continue;
            const x = Math.round(X(u, xs[i]));
            const y = Math.round(Y(u, ys[i]));
            if (last === null) line.moveTo(x, y);
            else if (lane.stepped) {
                line.lineTo(x, last[1]);
                line.lineTo(x, y);
            } else line.lineTo(x, y);
            first = first || [x, y];
            last = [x, y];
        }
        if (last === null) return;
        if (lane.fill) {
            // Down to the zero line, or to the foot where all lies above it.
            const area = new Path2D(line);
            const [low, high] = lane.yRange;
            const base = Math.round(Y(u, Math.min(Math.max(0, low), high)));
            area.lineTo(last[0], base);
            area.lineTo(first[0], base);
            area.closePath();
            ctx.fillStyle = lane.fill;
            ctx.fill(area);
        }
        ctx.strokeStyle = lane.stroke;
        ctx.lineWidth = 1.5 * PX();
        ctx.lineJoin = lane.stepped ? 'miter' : 'bevel';
        ctx.stroke(line);
    }

    function mark(lane, item, x, y) {
        lane.marks.push({ id: item.id, x: x / PX(), y: y / PX() });
    }

    // Marks standing on the lane's foot, then their labels beside them, on
    // as many rows as there is room for. The marks are drawn all at once
    // (`shapes` takes their places along the lane): a path a colour, not a
    // path a mark.
    function pointMarks(u, lane, kind, shapes, height, colour, rowsCount) {
        const bottom = u.bbox.top + u.bbox.height;
        const shown = visible(u, kind);
        for (const it of shown) {
            const x = X(u, it.at);
            lane.boxes.take(x - 3 * PX(), bottom - height * PX(), x + 3 * PX(), bottom);
            mark(lane, it, x, bottom - (height - 4) * PX());
        }
        const xs = shown.map((it) => X(u, it.at)).sort((a, b) => a - b);
        shapes(u.ctx, xs);
        // A label on a row beside its mark's stalk ends before the next
        // mark along, or has no room there: on a zoomed-out view of a
        // thousand marks most labels are known not to fit without testing
        // them against the boxes.
        const right = u.bbox.left + u.bbox.width;
        for (const it of shown) {
            if (!it.label) continue;
            const x = X(u, it.at) + 5 * PX();
            const w = textWidth(u.ctx, it.label, 10);
            // The first mark whose box ends right of the label's start (the
            // boxes as pointMarks takes them and put claims them).
            let k = lowerBound(xs, x - 5 * PX());
            while (k < xs.length && !(xs[k] + 3 * PX() > x - PX())) k++;
            const clear = k === xs.length || x < u.bbox.left || x + w > right || !(xs[k] - 3 * PX() < x + w + PX());
            for (let r = 0; r < (rowsCount || 1); r++) {
                const baseline = bottom - (4 + 11 * r) * PX();
                if (!clear && baseline + 2 * PX() > bottom - height * PX()) continue;
                if (put(u, lane, it.label, x, baseline, 10, colour)) break;
            }
        }
    }

    // ---------------------------------------------------------------- lanes

    const LANES = [
        {
            id: 'elevation',
            title: 'Elevation (m) from the gradients, with the gradient of each section (\u2030)',
            height: 120,
            series: 'elevation',
            stroke: COLOURS.elevation,
            fill: 'rgba(84, 130, 53, 0.12)',
            hit: ['gradient'],
            draw(u, lane) {
                stepLabels(u, lane, 'gradient', '', u.bbox.top + 26 * PX());
            },
        },
        {
            id: 'gradient',
            title: 'Gradient (\u2030)',
            height: 90,
            series: 'gradient',
            stepped: true,
            stroke: COLOURS.gradient,
            hit: ['gradient'],
            draw(u, lane) {
                zeroLine(u, lane, '0 \u2030 (level)');
                stepLabels(u, lane, 'gradient', '');
            },
        },
        {
            id: 'speed',
            title: 'Speed (km/h): line speed, speed boards A/B/C, slowdowns, warning boards, restriction marks',
            height: 170,
            series: 'speed',
            stepped: true,
            stroke: COLOURS.line,
            floor: 0,
            headroom: 0.3,
            values: (min, max) =>
                kindItems('speed-boards')
                    .filter((it) => it.at >= min && it.at <= max)
                    .flatMap((it) => ['vas', 'vbs', 'vcs'].map((k) => it.fields[k]))
                    .concat(kindItems('slowdown').filter((it) => it.to >= min && it.from <= max).map((it) => it.value)),
            hit: ['speed-boards', 'warning-board', 'restriction', 'slowdown-approach', 'slowdown', 'speed'],
            draw(u, lane) {
                const ctx = u.ctx;
                const base = Y(u, 0);
                const boxes = lane.boxes;
                const slowdowns = [];
                for (const it of visible(u, 'slowdown')) {
                    const x0 = X(u, it.from);
                    const x1 = Math.max(X(u, it.to), x0 + 2 * PX());
                    const y = Y(u, it.value);
                    ctx.fillStyle = COLOURS.slowdown;
                    ctx.fillRect(x0, y, x1 - x0, base - y);
                    ctx.strokeStyle = COLOURS.slowdownEdge;
                    ctx.lineWidth = PX();
                    ctx.strokeRect(x0, y, x1 - x0, base - y);
                    mark(lane, it, (x0 + x1) / 2, (y + base) / 2);
                    slowdowns.push([it, x0, x1, y]);
                }
                for (const it of visible(u, 'speed-boards')) {
                    const x = X(u, it.at);
                    const ranks = ['vas', 'vbs', 'vcs'].map((k) => it.fields[k]);
                    ranks.forEach((v, i) => {
                        const y = Y(u, v);
                        const s = (4 - i * 0.5) * PX();
                        ctx.fillStyle = COLOURS.board;
                        ctx.strokeStyle = COLOURS.board;
                        ctx.lineWidth = PX();
                        ctx.beginPath();
                        ctx.moveTo(x, y - s);
                        ctx.lineTo(x + s, y);
                        ctx.lineTo(x, y + s);
                        ctx.lineTo(x - s, y);
                        ctx.closePath();
                        if (i === 0) ctx.fill();
                        else ctx.stroke();
                        boxes.take(x - s, y - s, x + s, y + s);
                    });
                    mark(lane, it, x, Y(u, ranks[0]));
                }
                for (const it of visible(u, 'warning-board')) {
                    const x = X(u, it.at);
                    ctx.fillStyle = COLOURS.warning;
                    ctx.strokeStyle = '#7f6000';
                    ctx.beginPath();
                    ctx.moveTo(x, base - 16 * PX());
                    ctx.lineTo(x + 6 * PX(), base - 5 * PX());
                    ctx.lineTo(x - 6 * PX(), base - 5 * PX());
                    ctx.closePath();
                    ctx.fill();
                    ctx.stroke();
                    boxes.take(x - 6 * PX(), base - 16 * PX(), x + 6 * PX(), base - 5 * PX());
                    mark(lane, it, x, base - 10 * PX());
                }
                for (const it of visible(u, 'slowdown-approach')) {
                    const x = X(u, it.at);
                    ctx.fillStyle = COLOURS.approach;
                    ctx.fillRect(x - 1.5 * PX(), base - 4 * PX(), 3 * PX(), 4 * PX());
                    mark(lane, it, x, base - 2 * PX());
                }
                const restrictions = [];
                for (const it of visible(u, 'restriction')) {
                    const x = X(u, it.at);
                    const y = base - 30 * PX();
                    ctx.fillStyle = COLOURS.restriction;
                    ctx.beginPath();
                    ctx.moveTo(x, y);
                    ctx.lineTo(x + 4 * PX(), y + 7 * PX());
                    ctx.lineTo(x - 4 * PX(), y + 7 * PX());
                    ctx.closePath();
                    ctx.fill();
                    boxes.take(x - 4 * PX(), y, x + 4 * PX(), y + 7 * PX());
                    mark(lane, it, x, y + 4 * PX());
                    restrictions.push([it, x, y]);
                }
                // Then the labels, each where it covers no mark and no label.
                // Within the plot: a label of a mark near its edge is moved
                // in, not cut off.
                const label = (s, at, baseline, size, colour, bold) => {
                    const w = textWidth(ctx, s, size, bold);
                    const x = Math.min(Math.max(at, u.bbox.left), u.bbox.left + u.bbox.width - w);
                    if (!boxes.claim(x, baseline - size * PX(), x + w, baseline + 2 * PX())) return false;
                    text(ctx, s, x, baseline, size, colour, 'left', bold);
                    return true;
                };
                for (const [it, x0, x1, y] of slowdowns) {
                    const long = `${it.value} km/h, ${it.to - it.from} m`;
                    const c = (x0 + x1) / 2;
                    const done = [4, 15].some((up) => label(long, c - textWidth(ctx, long, 10, true) / 2, y - up * PX(), 10, COLOURS.orangeText, true));
                    if (!done) label(String(it.value), c - textWidth(ctx, String(it.value), 10, true) / 2, y - 4 * PX(), 10, COLOURS.orangeText, true);
                }
                for (const [it, x, y] of restrictions) {
                    if (it.label) label(it.label, x + 5 * PX(), y + 7 * PX(), 9, COLOURS.restriction);
                }
                for (const it of visible(u, 'speed')) {
                    const x0 = Math.max(X(u, it.from), u.bbox.left);
                    const x1 = Math.min(X(u, it.to), u.bbox.left + u.bbox.width);
                    const s = String(it.value);
                    const w = textWidth(ctx, s, 10);
                    if (x1 - x0 < w + 6 * PX()) continue;
                    label(s, (x0 + x1) / 2 - w / 2, Y(u, it.value) - 3 * PX(), 10, COLOURS.text);
                }
            },
        },
        {
            id: 'signals',
            title: 'Signals (left type / right type)',
            height: 58,
            hit: ['signal'],
            draw(u, lane) {
                const bottom = u.bbox.top + u.bbox.height;
                pointMarks(u, lane, 'signal', (ctx, xs) => {
                    ctx.strokeStyle = COLOURS.signal;
                    ctx.lineWidth = 1.5 * PX();
                    ctx.beginPath();
                    for (const x of xs) {
                        ctx.moveTo(x, bottom);
                        ctx.lineTo(x, bottom - 12 * PX());
                    }
                    ctx.stroke();
                    ctx.fillStyle = COLOURS.signal;
                    ctx.beginPath();
                    for (const x of xs) {
                        ctx.moveTo(x + 3 * PX(), bottom - 14 * PX());
                        ctx.arc(x, bottom - 14 * PX(), 3 * PX(), 0, 2 * Math.PI);
                    }
                    ctx.fill();
                }, 17, COLOURS.signal, 2);
            },
        },
        {
            id: 'curves',
            title: 'Curves (left above, right below; radius and length)',
            height: 66,
            hit: ['curve'],
            draw(u, lane) {
                const ctx = u.ctx;
                const mid = u.bbox.top + u.bbox.height * 0.6;
                ctx.strokeStyle = '#bfbfbf';
                ctx.beginPath();
                ctx.moveTo(u.bbox.left, mid);
                ctx.lineTo(u.bbox.left + u.bbox.width, mid);
                ctx.stroke();
                const bands = [];
                for (const it of visible(u, 'curve')) {
                    const x0 = X(u, it.from);
                    const x1 = Math.max(X(u, it.to), x0 + 1.5 * PX());
                    const h = (4 + 2 * Math.max(1, it.value || 1)) * PX();
                    const y = it.side < 0 ? mid - h : mid;
                    ctx.fillStyle = it.side < 0 ? COLOURS.left : COLOURS.right;
                    ctx.fillRect(x0, y, x1 - x0, h);
                    lane.boxes.take(x0, y, x1, y + h);
                    mark(lane, it, (x0 + x1) / 2, y + h / 2);
                    bands.push([it, x0, x1, y, h]);
                }
                for (const [it, x0, x1, y, h] of bands) {
                    const s = `R ${it.fields.radius}, ${it.fields.length} m`;
                    if (textWidth(ctx, s, 9) > x1 - x0 + 40 * PX()) continue;
                    put(u, lane, s, x0, it.side < 0 ? y - 2 * PX() : y + h + 9 * PX(), 9, it.side < 0 ? COLOURS.leftText : COLOURS.orangeText);
                }
            },
        },
        {
            id: 'spans',
            title: 'Tunnels and mountain spans (type)',
            height: 46,
            hit: ['mountain-span'],
            draw(u, lane) {
                const ctx = u.ctx;
                const y = u.bbox.top + u.bbox.height - 24 * PX();
                const spans = visible(u, 'mountain-span');
                for (const it of spans) {
                    const x0 = X(u, it.from);
                    const x1 = Math.max(X(u, it.to), x0 + 2 * PX());
                    ctx.fillStyle = COLOURS.span[Math.min(3, it.value)] || COLOURS.span[0];
                    ctx.fillRect(x0, y, x1 - x0, 10 * PX());
                    lane.boxes.take(x0, y, x1, y + 10 * PX());
                    mark(lane, it, (x0 + x1) / 2, y + 5 * PX());
                }
                for (const it of spans) put(u, lane, it.label, X(u, it.from), y + 21 * PX(), 9, COLOURS.text);
            },
        },
        {
            id: 'signs',
            title: 'Roadside signs (lettering)',
            height: 60,
            hit: ['sign'],
            draw(u, lane) {
                const bottom = u.bbox.top + u.bbox.height;
                pointMarks(u, lane, 'sign', (ctx, xs) => {
                    ctx.fillStyle = COLOURS.sign;
                    for (const x of xs) {
                        ctx.fillRect(x - 3 * PX(), bottom - 12 * PX(), 6 * PX(), 8 * PX());
                        ctx.fillRect(x - 0.5 * PX(), bottom - 4 * PX(), PX(), 4 * PX());
                    }
                }, 12, COLOURS.sign, 3);
            },
        },
        {
            id: 'adhesion',
            title: 'Adhesion',
            height: 70,
            series: 'adhesion',
            stepped: true,
            stroke: '#7f6000',
            floor: 0,
            hit: ['adhesion'],
            draw(u, lane) {
                stepLabels(u, lane, 'adhesion', '');
            },
        },
        {
            id: 'stations',
            title: 'Stations: \u25cf stop, \u25cb pass; timetable times',
            height: 78,
            hit: ['station'],
            draw(u, lane) {
                const ctx = u.ctx;
                const bar = u.bbox.top + u.bbox.height - 12 * PX();
                const zoomed = (u.scales.x.max - u.scales.x.min) < 40000;
                const shown = visible(u, 'station');
                for (const it of shown) {
                    const x0 = X(u, it.from);
                    const x1 = Math.max(X(u, it.to), x0 + 2 * PX());
                    ctx.fillStyle = COLOURS.extent;
                    ctx.fillRect(x0, bar, x1 - x0, 6 * PX());
                    const x = X(u, it.at);
                    ctx.strokeStyle = COLOURS.station;
                    ctx.fillStyle = it.value ? COLOURS.station : '#ffffff';
                    ctx.lineWidth = 1.5 * PX();
                    ctx.beginPath();
                    ctx.arc(x, bar + 3 * PX(), 4 * PX(), 0, 2 * Math.PI);
                    ctx.fill();
                    ctx.stroke();
                    mark(lane, it, x, bar + 3 * PX());
                    lane.boxes.take(x - 5 * PX(), bar - 2 * PX(), x + 5 * PX(), bar + 8 * PX());
                }
                for (const it of shown) {
                    const x = X(u, it.at);
                    const times = ['departure', 'arrival', 'passing']
                        .map((k) => it.fields[k])
                        .filter((t) => t)
                        .concat(it.fields.call === 'stop' ? [`${it.fields.arrival}\u2013${it.fields.departure}`] : []);
                    const s = zoomed && times.length ? `${it.label} ${times[0].slice(0, 5)}${it.fields.call === 'stop' ? ' stop' : ''}` : it.label;
                    const w = textWidth(ctx, s, 10);
                    for (let r = 0; r < 3; r++) {
                        if (put(u, lane, s, x - w / 2, bar - (4 + 12 * r) * PX(), 10, COLOURS.text)) break;
                    }
                }
            },
        },
        {
            id: 'axis',
            title: 'Kilometre readings (breaks in red) and diagnostics',
            height: 50,
            axis: true,
            hit: ['kilometre-break', 'diagnostic', 'diagnostic-note'],
            draw(u, lane) {
                const ctx = u.ctx;
                const top = u.bbox.top;
                const bottom = u.bbox.top + u.bbox.height;
                for (const it of visible(u, 'kilometre-break')) {
                    const x = X(u, it.at);
                    ctx.strokeStyle = COLOURS.breakLine;
                    ctx.setLineDash([2 * PX(), 2 * PX()]);
                    ctx.beginPath();
                    ctx.moveTo(x, top);
                    ctx.lineTo(x, bottom);
                    ctx.stroke();
                    ctx.setLineDash([]);
                    mark(lane, it, x, top + 14 * PX());
                    const w = textWidth(ctx, it.label, 10);
                    for (let r = 0; r < 2; r++) {
                        if (put(u, lane, it.label, x - w / 2, top + (24 + 12 * r) * PX(), 10, COLOURS.breakLine)) break;
                    }
                }
                // Notes first, so that the mark of a diagnostic lies over
                // that of a note at the same place.
                for (const it of visible(u, 'diagnostic-note')) {
                    const x = X(u, it.at);
                    ctx.strokeStyle = COLOURS.note;
                    ctx.lineWidth = 2 * PX();
                    ctx.beginPath();
                    ctx.arc(x, bottom - 9 * PX(), 5 * PX(), 0, 2 * Math.PI);
                    ctx.stroke();
                    mark(lane, it, x, bottom - 9 * PX());
                }
                for (const it of visible(u, 'diagnostic')) {
                    const x = X(u, it.at);
                    const warning = it.fields.severity === 'warning';
                    ctx.fillStyle = warning ? COLOURS.warningMark : COLOURS.diagnostic;
                    ctx.beginPath();
                    if (warning) {
                        // A diamond: a warning is not an error.
                        ctx.moveTo(x, bottom - 18 * PX());
                        ctx.lineTo(x + 8 * PX(), bottom - 10 * PX());
                        ctx.lineTo(x, bottom - 2 * PX());
                        ctx.lineTo(x - 8 * PX(), bottom - 10 * PX());
                    } else {
                        ctx.moveTo(x, bottom - 16 * PX());
                        ctx.lineTo(x + 7 * PX(), bottom - 2 * PX());
                        ctx.lineTo(x - 7 * PX(), bottom - 2 * PX());
                    }
                    ctx.closePath();
                    ctx.fill();
                    text(ctx, '!', x, bottom - (warning ? 6 : 4) * PX(), 10, warning ? '#000000' : '#ffffff', 'center', true);
                    mark(lane, it, x, bottom - 8 * PX());
                }
            },
        },
    ];

    // ---------------------------------------------------------------- diagnostics

    // Each diagnostic at the place of its row, and each of its notes at the
    // place of the note's row; a diagnostic without a place of its own is
    // found at its first note's.
    const placeOf = (at, file, line) => {
        if (typeof at === 'number') return at;
        if (!file || !line) return null;
        const placed = ITEMS.find((it) => it.source && it.source.file === file && it.source.line === line);
        return placed ? placed.at : null;
    };
    const DIAGNOSTICS = (D.diagnostics || []).map((d, i) => {
        const notes = (d.notes || []).map((n) => ({ n, at: placeOf(n.at, n.file, n.line) }));
        const at = placeOf(d.at, d.file, d.line);
        const first = notes.find((n) => n.at !== null);
        return { d, at, notes, index: i, goTo: at !== null ? at : first ? first.at : null };
    });
    const placedItem = (id, kind, at, label, fields, source) => {
        const item = { id, kind, at, from: at, to: at, reading: readingAt(at), cell: null, label, fields, source };
        (BY_KIND[kind] = BY_KIND[kind] || []).push(item);
        return item;
    };
    for (const x of DIAGNOSTICS) {
        const d = x.d;
        const source = (f, l, c) => (f ? { file: f, line: l, column: c } : null);
        if (x.at !== null) {
            x.item = placedItem(`diagnostic-${x.index}`, 'diagnostic', x.at, d.message,
                { severity: d.severity, code: d.code, name: d.name, message: d.message }, source(d.file, d.line, d.column));
        }
        x.notes.forEach((note, k) => {
            if (note.at === null) return;
            placedItem(`diagnostic-${x.index}-note-${k}`, 'diagnostic-note', note.at, note.n.message,
                { 'note of': `${d.severity}: ${d.message}`, message: note.n.message }, source(note.n.file, note.n.line));
        });
    }
    const BY_ID = new Map();
    for (const list of Object.values(BY_KIND)) for (const it of list) BY_ID.set(it.id, it);

    // ---------------------------------------------------------------- details

    function sourceText(source) {
        if (!source) return null;
        return `${source.file}:${source.line}${source.column ? ':' + source.column : ''}`;
    }

    function detailsOf(item, extra) {
        const box = document.createElement('div');
        const title = document.createElement('div');
        title.className = 'kind';
        title.textContent = (KIND_NAMES[item.kind] || item.kind) + (item.label && !item.kind.startsWith('diagnostic') ? ': ' + item.label : '');
        box.appendChild(title);
        const table = document.createElement('table');
        const row = (name, value, cls) => {
            const tr = table.insertRow();
            tr.insertCell().textContent = name;
            const td = tr.insertCell();
            td.textContent = value;
            if (cls) td.className = cls;
        };
        const src = sourceText(item.source);
        if (src) row('row', src, 'source');
        row('metres', item.from !== item.to ? `${metresText(item.from)} to ${metresText(item.to)}` : metresText(item.at));
        if (item.kind === 'station') row('position', metresText(item.at));
        row('km reading', readingText(item.reading !== undefined ? item.reading : readingAt(item.at)));
        if (item.cell !== null && item.cell !== undefined) row('cell', String(item.cell));
        for (const [k, v] of Object.entries(item.fields)) {
            if (v === null || v === undefined) continue;
            row(k, String(v));
        }
        for (const [k, v] of extra || []) row(k, v);
        table.setAttribute('data-item', String(item.id));
        box.appendChild(table);
        return box;
    }

    const tooltip = document.getElementById('tooltip');
    const details = document.getElementById('details');
    let shown = null;
    let pinned = null;
    function show(item, clientX, clientY, extra) {
        if (!item) {
            tooltip.hidden = true;
            shown = null;
            return;
        }
        const box = detailsOf(item, extra);
        tooltip.replaceChildren(box);
        tooltip.dataset.item = String(item.id);
        tooltip.hidden = false;
        const w = tooltip.offsetWidth;
        const h = tooltip.offsetHeight;
        const left = clientX + 14 + w > window.innerWidth ? clientX - 14 - w : clientX + 14;
        const top = clientY + 14 + h > window.innerHeight ? clientY - 14 - h : clientY + 14;
        tooltip.style.left = `${Math.max(0, left)}px`;
        tooltip.style.top = `${Math.max(0, top)}px`;
        // A clicked item keeps the panel until another is clicked.
        if (!pinned || pinned === item) {
            details.replaceChildren(detailsOf(item, extra));
            details.classList.toggle('pinned', pinned === item);
        }
        shown = item;
    }

    // ---------------------------------------------------------------- charts

    const lanesBox = document.getElementById('lanes');
    const charts = [];
    let range = { min: 0, max: EXTENT };
    let opened = false; // the first view is drawn: the address follows the range from then on
    let addressTimer = null;
    let syncing = false;

    // Sizes read once and again only when the page changes size: reading
    // one after the page has changed makes the browser lay the page out
    // there and then, in the middle of a redraw.
    let lanesWidth = null;
    let plotLeft = null;
    function chartWidth() {
        if (lanesWidth === null) lanesWidth = Math.max(300, lanesBox.clientWidth);
        return lanesWidth;
    }
    window.addEventListener('scroll', () => {
        plotLeft = null;
    }, { passive: true });
    function remeasure() {
        lanesWidth = null;
        plotLeft = null;
        for (const lane of charts) lane.titleWidth = null;
        plan.remeasure();
    }

    function splits(u, axisIdx, min, max) {
        const width = u.bbox.width / PX();
        const span = max - min;
        const steps = [50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000];
        let step = steps[steps.length - 1];
        for (const s of steps) {
            if ((span / s) * 70 <= width) {
                step = s;
                break;
            }
        }
        const bounds = [...new Set([0, ...D.breaks.map((b) => b.at).filter((a) => a > 0)])].sort((a, b) => a - b);
        const ticks = [];
        for (let k = 0; k < bounds.length; k++) {
            const from = Math.max(bounds[k], min);
            const to = Math.min(k + 1 < bounds.length ? bounds[k + 1] - 1 : Infinity, max);
            if (from > to) continue;
            const offset = readingAt(bounds[k]) - bounds[k];
            let reading = Math.ceil((from + offset) / step) * step;
            for (; reading - offset <= to; reading += step) ticks.push(reading - offset);
        }
        // Where the count restarts two ticks may fall close together: the
        // later one gives way.
        const least = (50 * span) / width;
        const kept = [];
        for (const t of ticks.sort((a, b) => a - b)) {
            if (!kept.length || t - kept[kept.length - 1] >= least) kept.push(t);
        }
        return kept;
    }

    function axisValues(u, ticks) {
        const span = u.scales.x.max - u.scales.x.min;
        return ticks.map((m) => {
            const r = readingAt(m);
            return span < 5000 ? readingText(r) : String(Math.round(r / 100) / 10);
        });
    }

    // The series of a lane on screen, and the value range it then shows:
    // what is on screen, with room above for the lane's title and labels.
    function chartData(lane, min, max) {
        if (!lane.series) return [[0, EXTENT], [null, null]];
        // The plot is the chart less its value axis (50) and right padding (12).
        const data = envelope(SERIES[lane.series], min, max, Math.ceil(chartWidth() - 62));
        const values = data[1].concat(lane.values ? lane.values(min, max) : []);
        const y = valueRange(values, lane.floor, 0.12);
        y[1] += (y[1] - y[0]) * (lane.headroom || 0.15);
        lane.yRange = y;
        return data;
    }

    function makeChart(lane) {
        const box = document.createElement('div');
        box.className = 'lane';
        box.id = `lane-${lane.id}`;
        const title = document.createElement('div');
        title.className = 'lane-title';
        title.textContent = lane.title;
        box.appendChild(title);
        lanesBox.appendChild(box);
        lane.marks = [];
        lane.yRange = [0, 1];
        const opts = {
            width: chartWidth(),
            height: lane.height + (lane.axis ? 30 : 0),
            legend: { show: false },
            padding: [4, 12, lane.axis ? 0 : 4, 0],
            cursor: {
                sync: { key: 'route', setSeries: false },
                drag: { x: true, y: false, setScale: true },
                points: { show: false },
                y: false,
            },
            select: { show: true },
            scales: {
                x: { time: false, auto: false, range: (u, min, max) => [min, max] },
                y: { auto: false, range: () => lane.yRange },
            },
            axes: [
                lane.axis
                    ? { splits, values: axisValues, size: 30, gap: 3, font: '11px "DejaVu Sans", Arial, sans-serif', stroke: COLOURS.text, grid: { show: false } }
                    : { show: false, splits, grid: { show: true, stroke: COLOURS.grid } },
                // Every lane keeps the same room at its left, so that the
                // lanes line up on the one axis.
                {
                    size: 50,
                    font: '10px "DejaVu Sans", Arial, sans-serif',
                    stroke: COLOURS.text,
                    grid: { show: !!lane.series, stroke: COLOURS.grid },
                    ticks: { show: !!lane.series },
                    values: lane.series ? undefined : (u, ticks) => ticks.map(() => ''),
                },
            ],
            series: [
                {},
                // Drawn by the lane's own hook (seriesLine), not here.
                { stroke: 'transparent', points: { show: false }, paths: () => null },
            ],
            hooks: {
                draw: [
                    (u) => {
                        lane.marks = [];
                        lane.boxes = new Boxes();
                        u.ctx.fontSet = null;
                        // The lane's title lies over the top left of the plot.
                        if (!lane.titleWidth) lane.titleWidth = title.offsetWidth;
                        lane.boxes.take(0, 0, (56 + lane.titleWidth + 4) * PX(), 17 * PX());
                        const ctx = u.ctx;
                        ctx.save();
                        ctx.beginPath();
                        ctx.rect(u.bbox.left, u.bbox.top, u.bbox.width, u.bbox.height);
                        ctx.clip();
                        if (lane.series) seriesLine(u, lane);
                        lane.draw(u, lane);
                        ctx.restore();
                    },
                ],
                setScale: [
                    (u, key) => {
                        if (key !== 'x' || syncing) return;
                        setRange(u.scales.x.min, u.scales.x.max, u);
                    },
                ],
            },
        };
        const initial = chartData(lane, 0, EXTENT);
        const u = new uPlot(opts, initial, box);
        lane.u = u;
        // Screen readers are told what each drawing is.
        const canvas = u.root.querySelector('canvas');
        canvas.setAttribute('role', 'img');
        canvas.setAttribute('aria-label', `${lane.title}, along the route`);
        charts.push(lane);

        u.over.addEventListener('mousemove', (e) => hover(lane, e));
        u.over.addEventListener('mouseleave', () => show(null));
        u.over.addEventListener('click', (e) => hover(lane, e, true));
        u.over.addEventListener('wheel', (e) => wheel(u, e), { passive: false });
        u.over.addEventListener('dblclick', (e) => {
            e.preventDefault();
            setRange(0, EXTENT);
        });
        if (lane.axis) dragToPan(u);
        return u;
    }

    function setRange(min, max, from) {
        pixelRatio = window.devicePixelRatio || 1;
        const least = 200;
        if (!(max > min)) return;
        if (max - min < least) {
            const c = (min + max) / 2;
            min = c - least / 2;
            max = c + least / 2;
        }
        const span = max - min;
        if (span >= EXTENT) {
            min = 0;
            max = EXTENT;
        } else if (min < 0) {
            min = 0;
            max = span;
        } else if (max > EXTENT) {
            max = EXTENT;
            min = EXTENT - span;
        }
        range = { min, max };
        syncing = true;
        try {
            for (const lane of charts) {
                const u = lane.u;
                u.batch(() => {
                    if (lane.series) {
                        u.setData(chartData(lane, min, max), false);
                        u.setScale('y', { min: lane.yRange[0], max: lane.yRange[1] });
                    }
                    if (u !== from || u.scales.x.min !== min || u.scales.x.max !== max) u.setScale('x', { min, max });
                    else u.redraw(false);
                });
            }
        } finally {
            syncing = false;
        }
        document.getElementById('range-from').value = endText(min);
        document.getElementById('range-to').value = endText(max, min);
        // The address a moment after the last change: changing it is slow.
        if (opened) {
            clearTimeout(addressTimer);
            addressTimer = setTimeout(keepInAddress, 200);
        }
        document.getElementById('readout').textContent =
            `km ${readingText(readingAt(min))} \u2013 ${readingText(readingAt(max))} (${metresText(max - min)} shown)`;
        plan.follow();
    }

    function wheel(u, e) {
        e.preventDefault();
        const { min, max } = range;
        if (e.shiftKey || Math.abs(e.deltaX) > Math.abs(e.deltaY)) {
            const d = (e.shiftKey ? e.deltaY : e.deltaX) > 0 ? 0.15 : -0.15;
            setRange(min + d * (max - min), max + d * (max - min));
            return;
        }
        // Where the plot starts on the screen, read again only after a
        // scroll or a change of size: the event's offsetX (or the page's
        // scrollX) would lay the page out again after every step's readout.
        if (plotLeft === null) plotLeft = u.over.getBoundingClientRect().left;
        const at = u.posToVal(e.clientX - plotLeft, 'x');
        const factor = e.deltaY < 0 ? 0.8 : 1.25;
        setRange(at - (at - min) * factor, at + (max - at) * factor);
    }

    function dragToPan(u) {
        let start = null;
        u.over.addEventListener('mousedown', (e) => {
            start = { x: e.clientX, min: range.min, max: range.max };
            e.stopPropagation();
        }, true);
        window.addEventListener('mousemove', (e) => {
            if (!start) return;
            const per = (start.max - start.min) / u.bbox.width * PX();
            const d = (start.x - e.clientX) * per;
            setRange(start.min + d, start.max + d);
        });
        window.addEventListener('mouseup', () => {
            start = null;
        });
    }

    // The item under the pointer: the nearest mark within a few pixels, else
    // the stretch that holds the pointer.
    function itemAt(lane, clientX, clientY) {
        const rect = lane.u.over.getBoundingClientRect();
        const x = clientX - rect.left;
        const y = clientY - rect.top;
        let best = null;
        let bestDistance = 8;
        for (const m of lane.marks) {
            const item = BY_ID.get(m.id);
            if (item.from !== item.to) continue;
            const d = Math.hypot((m.x - lane.u.bbox.left / PX()) - x, (m.y - lane.u.bbox.top / PX()) - y) * 0.25 +
                Math.abs(m.x - lane.u.bbox.left / PX() - x);
            if (d < bestDistance) {
                best = item;
                bestDistance = d;
            }
        }
        if (best) return best;
        const metres = lane.u.posToVal(x, 'x');
        const tolerance = (range.max - range.min) / lane.u.bbox.width * PX() * 3;
        for (const kind of lane.hit) {
            for (const it of kindItems(kind)) {
                if (it.from === it.to) continue;
                if (it.from - tolerance <= metres && metres <= it.to + tolerance) return it;
            }
        }
        return null;
    }

    function hover(lane, e, click) {
        const item = itemAt(lane, e.clientX, e.clientY);
        const metres = lane.u.posToVal(e.clientX - lane.u.over.getBoundingClientRect().left, 'x');
        if (click) pinned = item;
        show(item, e.clientX, e.clientY, [['pointer at', `${metresText(metres)} (km ${readingText(readingAt(metres))})`]]);
        pointedAt(metres, 'profile');
    }

    // What holds at a place of the route: the one readout of the pointer.
    const holding = (kind, m) => kindItems(kind).find((it) => it.from <= m && m < it.to);
    function readoutAt(m) {
        const parts = [`km ${readingText(readingAt(m))}`];
        if (D.elevation.length) parts.push(`elevation ${D.elevation[Math.max(0, Math.min(D.elevation.length - 1, Math.round(m / CELL)))]} m`);
        const g = holding('gradient', m);
        if (g) parts.push(`gradient ${g.value > 0 ? '+' : ''}${g.value} \u2030`);
        const v = holding('speed', m);
        if (v) parts.push(`line speed ${v.value} km/h`);
        const boards = kindItems('speed-boards').filter((b) => b.at <= m).pop();
        if (boards) parts.push(`boards ${boards.label} km/h`);
        const a = holding('adhesion', m);
        if (a) parts.push(`adhesion ${a.value}`);
        const slow = kindItems('slowdown').find((it) => it.from <= m && m <= it.to);
        parts.push(slow ? `slowdown ${slow.value} km/h` : 'no slowdown');
        return parts.join(' \u00b7 ');
    }
    // The pointer at a route metre, from the profile or the plan: a dot on
    // the plan, the profile's cursor there, and the readout.
    function pointedAt(m, from) {
        if (!(m >= 0 && m <= EXTENT)) return;
        document.getElementById('pointer-readout').textContent = readoutAt(m);
        plan.point(m);
        if (from === 'plan' && charts.length) {
            const u = charts[0].u;
            if (m >= range.min && m <= range.max) u.setCursor({ left: u.valToPos(m, 'x'), top: u.bbox.height / PX() / 2 });
        }
    }

    // ---------------------------------------------------------------- plan

    const plan = (function () {
        const canvas = document.getElementById('plan');
        const P = D.plan;
        const n = P.metre.length;
        const curves = kindItems('curve');
        let view = null; // page pixels per plan metre, and the plan point at the centre
        let follow = true;
        let pointer = null; // the route metre under the pointer on the profile or here
        let measured = null; // the canvas's size on the page
        const size = () => measured || (measured = [canvas.clientWidth, canvas.clientHeight]);

        function pointAt(metre) {
            if (!n) return null;
            const i = lowerBound(P.metre, metre);
            if (i <= 0) return [P.x[0], P.y[0]];
            if (i >= n) return [P.x[n - 1], P.y[n - 1]];
            const a = P.metre[i - 1];
            const b = P.metre[i];
            const t = b === a ? 0 : (metre - a) / (b - a);
            return [P.x[i - 1] + t * (P.x[i] - P.x[i - 1]), P.y[i - 1] + t * (P.y[i] - P.y[i - 1])];
        }

        // The least and greatest x and y of each block of plan points, so
        // that fitting a stretch reads blocks, not every point.
        const BLOCK = 64;
        const blocks = [];
        for (let b = 0; b * BLOCK < n; b++) {
            const box = [Infinity, -Infinity, Infinity, -Infinity];
            for (let i = b * BLOCK; i < Math.min(n, (b + 1) * BLOCK); i++) {
                box[0] = Math.min(box[0], P.x[i]);
                box[1] = Math.max(box[1], P.x[i]);
                box[2] = Math.min(box[2], P.y[i]);
                box[3] = Math.max(box[3], P.y[i]);
            }
            blocks.push(box);
        }
        function bounds(from, to) {
            const box = [Infinity, -Infinity, Infinity, -Infinity];
            const take = (x0, x1, y0, y1) => {
                box[0] = Math.min(box[0], x0);
                box[1] = Math.max(box[1], x1);
                box[2] = Math.min(box[2], y0);
                box[3] = Math.max(box[3], y1);
            };
            const lo = Math.max(0, lowerBound(P.metre, from) - 1);
            const hi = Math.min(n - 1, lowerBound(P.metre, to));
            for (let i = lo; i <= hi; ) {
                if (i % BLOCK === 0 && i + BLOCK - 1 <= hi) {
                    take(...blocks[i / BLOCK]);
                    i += BLOCK;
                } else {
                    take(P.x[i], P.x[i], P.y[i], P.y[i]);
                    i++;
                }
            }
            for (const m of [from, to]) {
                const p = pointAt(m);
                if (p) take(p[0], p[0], p[1], p[1]);
            }
            return box;
        }

        function fit(from, to) {
            const [x0, x1, y0, y1] = bounds(from, to);
            const [w, h] = size();
            const scale = Math.min((w - 40) / Math.max(x1 - x0, 50), (h - 40) / Math.max(y1 - y0, 50));
            view = { scale, cx: (x0 + x1) / 2, cy: (y0 + y1) / 2 };
        }

        // The plan's +x lies to the right of the first heading (+y, up the
        // page).
        const toPage = (x, y) => [(x - view.cx) * view.scale * PX() + canvas.width / 2, canvas.height / 2 - (y - view.cy) * view.scale * PX()];

        // The plan's points on the canvas, projected once for each view and
        // not again for every stretch drawn over them.
        const projected = { xs: new Float64Array(n), ys: new Float64Array(n), key: [] };
        function project() {
            const key = [view.scale, view.cx, view.cy, canvas.width, canvas.height, PX()];
            if (key.every((v, i) => v === projected.key[i])) return projected;
            const k = view.scale * PX();
            const ox = canvas.width / 2 - view.cx * k;
            const oy = canvas.height / 2 + view.cy * k;
            const { xs, ys } = projected;
            for (let i = 0; i < n; i++) {
                xs[i] = P.x[i] * k + ox;
                ys[i] = oy - P.y[i] * k;
            }
            projected.key = key;
            return projected;
        }

        // The plan's points that a line of a given tolerance (in plan metres)
        // needs: a point is passed over while the segment from the last point
        // kept to the next one stays within the tolerance of it. Each point
        // seen narrows the directions the segment may take (a sleeve of the
        // tolerance around every point); the point before the one that leaves
        // them is kept and starts the next segment. A zoomed-out plan is
        // thousands of points on curves that draw as well through a few
        // hundred, and stroking each costs more than the rest of the view.
        function simplified(tolerance) {
            const kept = [0];
            let a = 0;
            let base = null, lo = 0, hi = 0, far = 0;
            for (let i = 1; i < n; i++) {
                const d = Math.hypot(P.x[i] - P.x[a], P.y[i] - P.y[a]);
                if (d <= tolerance) continue;
                const angle = Math.atan2(P.y[i] - P.y[a], P.x[i] - P.x[a]);
                if (base === null) {
                    base = angle;
                    lo = -Math.PI;
                    hi = Math.PI;
                }
                let off = angle - base;
                if (off > Math.PI) off -= 2 * Math.PI;
                else if (off < -Math.PI) off += 2 * Math.PI;
                // Out of the sleeve, or turning back towards the last point kept.
                if (i - 1 > a && (off < lo || off > hi || d < far - tolerance)) {
                    a = i - 1;
                    kept.push(a);
                    base = null;
                    far = 0;
                    i--;
                    continue;
                }
                const w = Math.asin(Math.min(1, tolerance / d));
                lo = Math.max(lo, off - w);
                hi = Math.min(hi, off + w);
                far = Math.max(far, d);
            }
            if (kept[kept.length - 1] !== n - 1) kept.push(n - 1);
            return Int32Array.from(kept);
        }
        // The points for the view's scale: those of the coarsest tolerance (a
        // power of two metres) under a third of a pixel, made once for each.
        const levels = new Map();
        let everyPoint = false; // for comparing the two, in the page's tests
        function keptPoints() {
            const k = Math.floor(Math.log2(1 / (3 * view.scale * PX())));
            if (everyPoint || !(k >= -4)) return null;
            if (!levels.has(k)) levels.set(k, simplified(2 ** k));
            return levels.get(k);
        }

        // The line from one route metre to another, added to a path.
        function trace(path, from, to) {
            const { xs, ys } = project();
            const kept = keptPoints();
            let lo = Math.max(0, lowerBound(P.metre, from));
            let hi = Math.min(n - 1, lowerBound(P.metre, to) - 1);
            path.moveTo(...toPage(...pointAt(from)));
            if (kept) {
                lo = lowerBound(kept, lo);
                hi = lowerBound(kept, hi + 1) - 1;
                for (let j = lo; j <= hi; j++) path.lineTo(xs[kept[j]], ys[kept[j]]);
            } else {
                for (let i = lo; i <= hi; i++) path.lineTo(xs[i], ys[i]);
            }
            path.lineTo(...toPage(...pointAt(to)));
        }
        // Bevelled joins: at these widths they look as round ones do, and a
        // zoomed-out plan of a thousand short segments strokes four times
        // faster with them.
        function stroke(ctx, colour, width, traced) {
            ctx.strokeStyle = colour;
            ctx.lineWidth = width * PX();
            ctx.lineJoin = 'bevel';
            ctx.beginPath();
            traced();
            ctx.stroke();
        }

        // The line, its stations, posts and scale, drawn again only when the
        // view or the stretch changes: the pointer's dot moves over a copy.
        const base = document.createElement('canvas');
        let baseKey = null;
        function drawBase() {
            const ctx = base.getContext('2d');
            if (base.width !== canvas.width || base.height !== canvas.height) {
                base.width = canvas.width;
                base.height = canvas.height;
                ctx.fontSet = null;
            }
            ctx.clearRect(0, 0, base.width, base.height);
            const traced = (from, to) => () => trace(ctx, from, to);
            // The route outside the stretch; the stretch over it would hide
            // the rest.
            const end = Math.min(EXTENT, P.metre[n - 1]);
            stroke(ctx, '#9db3cc', 2, () => {
                if (range.min > 0) trace(ctx, 0, Math.min(range.min, end));
                if (range.max < end) trace(ctx, range.max, end);
            });
            stroke(ctx, COLOURS.line, 3, traced(range.min, Math.min(range.max, end)));
            // The curves of the stretch, one path a side.
            for (const side of [-1, 1]) {
                stroke(ctx, side < 0 ? COLOURS.left : COLOURS.right, 4, () => {
                    for (const c of curves) {
                        if (c.to < range.min || c.from > range.max || (c.side < 0) !== (side < 0)) continue;
                        trace(ctx, Math.max(c.from, range.min), Math.min(c.to, range.max));
                    }
                });
            }
            const boxes = new Boxes();
            const label = (s, x, y, size, colour) => {
                const w = textWidth(ctx, s, size);
                if (!boxes.claim(x, y - size * PX(), x + w, y + 2 * PX())) return;
                text(ctx, s, x, y, size, colour);
            };
            // Stations first: their names matter more than the posts'.
            const stations = [];
            for (const st of kindItems('station')) {
                const p = pointAt(st.at);
                const [x, y] = toPage(p[0], p[1]);
                if (x < -20 || y < -20 || x > base.width + 20 || y > base.height + 20) continue;
                ctx.fillStyle = st.value ? COLOURS.station : '#ffffff';
                ctx.strokeStyle = COLOURS.station;
                ctx.lineWidth = 2 * PX();
                ctx.beginPath();
                ctx.arc(x, y, 4.5 * PX(), 0, 2 * Math.PI);
                ctx.fill();
                ctx.stroke();
                boxes.take(x - 5 * PX(), y - 5 * PX(), x + 5 * PX(), y + 5 * PX());
                stations.push([st, x, y]);
            }
            for (const [st, x, y] of stations) label(st.label, x + 6 * PX(), y - 6 * PX(), 11, COLOURS.text);
            kilometrePosts(ctx, label);
            const bar = [100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000, 100000].filter((b) => b * view.scale <= 160).pop() || 100;
            ctx.strokeStyle = '#404040';
            ctx.lineWidth = 2 * PX();
            ctx.beginPath();
            ctx.moveTo(10 * PX(), base.height - 12 * PX());
            ctx.lineTo((10 + bar * view.scale) * PX(), base.height - 12 * PX());
            ctx.stroke();
            text(ctx, bar >= 1000 ? `${bar / 1000} km` : `${bar} m`, (16 + bar * view.scale) * PX(), base.height - 8 * PX(), 11, COLOURS.text);
        }

        function draw() {
            const [w, h] = size();
            if (canvas.width !== Math.round(w * PX()) || canvas.height !== Math.round(h * PX())) {
                canvas.width = Math.round(w * PX());
                canvas.height = Math.round(h * PX());
            }
            const ctx = canvas.getContext('2d');
            ctx.fontSet = null;
            ctx.clearRect(0, 0, canvas.width, canvas.height);
            if (n < 2) {
                text(ctx, 'no plan geometry in this scenario', 10 * PX(), 40 * PX(), 12, COLOURS.faint);
                return;
            }
            if (!view) fit(0, EXTENT);
            const key = `${view.scale} ${view.cx} ${view.cy} ${canvas.width} ${canvas.height} ${range.min} ${range.max}`;
            if (key !== baseKey) {
                drawBase();
                baseKey = key;
            }
            ctx.drawImage(base, 0, 0);
            if (pointer !== null) {
                const [x, y] = dotAt();
                ctx.fillStyle = '#ff00aa';
                ctx.strokeStyle = DARK ? '#ffffff' : '#000000';
                ctx.lineWidth = 1.5 * PX();
                ctx.beginPath();
                ctx.arc(x * PX(), y * PX(), 6 * PX(), 0, 2 * Math.PI);
                ctx.fill();
                ctx.stroke();
            }
        }
        // Where the pointer's dot stands on the canvas, in CSS pixels.
        function dotAt() {
            const p = pointAt(pointer);
            const [x, y] = toPage(p[0], p[1]);
            return [x / PX(), y / PX()];
        }
        // The route metre of the plan point nearest to a place on the
        // canvas, within a few pixels of the line.
        function metreNear(cx, cy) {
            let best = null;
            let bestD = 12;
            const { xs, ys } = project();
            const r = PX();
            for (let i = 0; i + 1 < n; i++) {
                const x0 = xs[i] / r;
                const y0 = ys[i] / r;
                const dx = xs[i + 1] / r - x0;
                const dy = ys[i + 1] / r - y0;
                const len = dx * dx + dy * dy;
                const t = len ? Math.max(0, Math.min(1, ((cx - x0) * dx + (cy - y0) * dy) / len)) : 0;
                const d = Math.hypot(x0 + t * dx - cx, y0 + t * dy - cy);
                if (d < bestD) {
                    bestD = d;
                    best = P.metre[i] + t * (P.metre[i + 1] - P.metre[i]);
                }
            }
            return best;
        }

        // Posts at whole kilometre readings, as many as fit.
        function kilometrePosts(ctx, label) {
            const steps = [1000, 2000, 5000, 10000, 20000, 50000, 100000];
            const perPixel = 1 / view.scale;
            const step = steps.find((s) => s / perPixel >= 60) || steps[steps.length - 1];
            const bounds = [...new Set([0, ...D.breaks.map((b) => b.at).filter((a) => a > 0)])].sort((a, b) => a - b);
            ctx.fillStyle = COLOURS.text;
            for (let k = 0; k < bounds.length; k++) {
                const from = bounds[k];
                const to = k + 1 < bounds.length ? bounds[k + 1] - 1 : EXTENT;
                const offset = readingAt(from) - from;
                for (let reading = Math.ceil((from + offset) / step) * step; reading - offset <= to; reading += step) {
                    const p = pointAt(reading - offset);
                    const [x, y] = toPage(p[0], p[1]);
                    if (x < 0 || y < 0 || x > canvas.width || y > canvas.height) continue;
                    ctx.fillStyle = '#404040';
                    ctx.fillRect(x - 1.5 * PX(), y - 1.5 * PX(), 3 * PX(), 3 * PX());
                    label(String(reading / 1000), x + 4 * PX(), y + 12 * PX(), 9, COLOURS.faint);
                }
            }
        }

        let drag = null;
        canvas.addEventListener('mousedown', (e) => {
            if (!view) return;
            drag = { x: e.clientX, y: e.clientY, cx: view.cx, cy: view.cy };
            follow = false;
        });
        window.addEventListener('mousemove', (e) => {
            if (!drag) return;
            view.cx = drag.cx - (e.clientX - drag.x) / view.scale;
            view.cy = drag.cy + (e.clientY - drag.y) / view.scale;
            draw();
        });
        window.addEventListener('mouseup', () => {
            drag = null;
        });
        canvas.addEventListener('wheel', (e) => {
            e.preventDefault();
            if (!view) return;
            follow = false;
            const rect = canvas.getBoundingClientRect();
            const px = e.clientX - rect.left - rect.width / 2;
            const py = rect.height / 2 - (e.clientY - rect.top);
            const at = [view.cx + px / view.scale, view.cy + py / view.scale];
            const factor = e.deltaY < 0 ? 1.25 : 0.8;
            view.scale = Math.min(20, Math.max(1e-5, view.scale * factor));
            view.cx = at[0] - px / view.scale;
            view.cy = at[1] - py / view.scale;
            draw();
        }, { passive: false });
        canvas.addEventListener('dblclick', () => {
            if (n < 2) return;
            follow = true;
            fit(range.min, range.max);
            draw();
        });
        canvas.addEventListener('mousemove', (e) => {
            if (drag || !view) return;
            const rect = canvas.getBoundingClientRect();
            const near = n >= 2 ? metreNear(e.clientX - rect.left, e.clientY - rect.top) : null;
            if (near !== null) pointedAt(near, 'plan');
            let best = null;
            let bestD = 10;
            for (const st of kindItems('station')) {
                const p = pointAt(st.at);
                const [x, y] = toPage(p[0], p[1]);
                const d = Math.hypot(x / PX() - (e.clientX - rect.left), y / PX() - (e.clientY - rect.top));
                if (d < bestD) {
                    best = st;
                    bestD = d;
                }
            }
            show(best, e.clientX, e.clientY);
        });
        canvas.addEventListener('mouseleave', () => show(null));

        return {
            draw,
            point(metre) {
                if (n < 2 || metre === pointer) return;
                pointer = metre;
                draw();
            },
            dot: () => {
                if (pointer === null || n < 2) return null;
                const [x, y] = dotAt();
                const rect = canvas.getBoundingClientRect();
                return { x: rect.left + x, y: rect.top + y };
            },
            follow() {
                if (n < 2) return draw();
                if (follow) fit(range.min, range.max);
                draw();
            },
            reset() {
                follow = true;
            },
            remeasure() {
                measured = null;
            },
            // The plan's pixels as drawn through every point or through
            // those kept for the scale.
            pixels(throughEvery) {
                if (n < 2) return null;
                everyPoint = throughEvery;
                drawBase();
                everyPoint = false;
                baseKey = null;
                return base.getContext('2d').getImageData(0, 0, base.width, base.height).data;
            },
        };
    })();

    // ---------------------------------------------------------------- controls

    // Every place of the route with a kilometre reading: one in each stretch
    // between breaks that takes it, in route order.
    const BOUNDS = [...new Set([0, ...D.breaks.map((b) => b.at).filter((a) => a > 0 && a < EXTENT)])].sort((a, b) => a - b);
    function placesOfReading(reading) {
        const places = [];
        BOUNDS.forEach((from, k) => {
            const to = k + 1 < BOUNDS.length ? BOUNDS[k + 1] - 1 : EXTENT;
            const p = reading - (readingAt(from) - from);
            if (p >= from && p <= to) places.push(p);
        });
        return places;
    }
    const STATIONS = kindItems('station');
    const number = '(-?\\d+(?:[.,]\\d+)?)';
    const ROUTE_FORM = new RegExp(`^(?:route|r)\\s*${number}\\s*(?:km)?$`, 'i');
    const METRE_FORM = new RegExp(`^${number}\\s*m$`, 'i');
    const READING_FORM = new RegExp(`^(?:km\\s*)?${number}\\s*(?:km)?$`, 'i');
    const numberOf = (t) => Number(t.replace(',', '.'));

    // One end of the range box: a kilometre reading as the axis shows it
    // ("184.5"), a place along the route ("route 12.5" in km, "12500 m"), or
    // a station's name. Gives {from, to, said} or {error}; `after` is where
    // the other end stands, for a reading the route takes more than once.
    function parseEnd(text, after) {
        const t = text.trim();
        if (!t) return { error: 'give both ends of the stretch' };
        let m = ROUTE_FORM.exec(t);
        if (m) {
            const p = numberOf(m[1]) * 1000;
            return { from: p, to: p, said: `route km ${m[1]} is km ${readingText(readingAt(p))}` };
        }
        m = METRE_FORM.exec(t);
        if (m) {
            const p = numberOf(m[1]);
            return { from: p, to: p, said: `${metresText(p)} along the route is km ${readingText(readingAt(p))}` };
        }
        m = READING_FORM.exec(t);
        if (m) {
            const places = placesOfReading(Math.round(numberOf(m[1]) * 1000));
            if (!places.length) {
                return { error: `km ${m[1]} is not a reading of this route (it runs from km ${readingText(readingAt(0))} to km ${readingText(readingAt(EXTENT))})` };
            }
            const p = places.find((q) => after === undefined || q > after) ?? places[places.length - 1];
            return { from: p, to: p };
        }
        const name = t.toLowerCase();
        const st = STATIONS.find((x) => x.label.toLowerCase() === name) ||
            STATIONS.find((x) => x.label.toLowerCase().startsWith(name));
        if (st) return { from: st.from, to: st.to, said: `${st.label} is at km ${readingText(st.reading)}` };
        return { error: `\u201c${t}\u201d is neither a kilometre reading (such as 184.5), a place along the route (route 12.5, 12500 m) nor a station` };
    }
    const said = document.getElementById('range-said');
    function say(message, error) {
        said.textContent = message;
        said.classList.toggle('error', !!error);
    }
    // What the range box asks for: the stretch between its two ends, or
    // around a station given alone.
    function rangeAsked(fromText, toText) {
        const a = parseEnd(fromText);
        if (a.error) return a;
        if (!toText.trim() && a.to > a.from) return { from: a.from - 1500, to: a.to + 1500, said: a.said };
        const b = parseEnd(toText, a.from);
        if (b.error) return b;
        if (!(b.to > a.from)) return { error: `the end (${toText.trim()}) must lie after the start (${fromText.trim()}) along the route` };
        return { from: a.from, to: b.to, said: [a.said, b.said].filter((x) => x).join('; ') };
    }
    // Shows the range the box or the address asked for, or says what is wrong with it.
    function showAsked(asked) {
        if (asked.error) {
            say(asked.error, true);
            return;
        }
        plan.reset();
        setRange(asked.from, asked.to);
        say(asked.said || '');
    }
    document.getElementById('range-box').addEventListener('submit', (e) => {
        e.preventDefault();
        showAsked(rangeAsked(document.getElementById('range-from').value, document.getElementById('range-to').value));
    });
    const names = document.getElementById('station-names');
    for (const st of STATIONS) {
        const option = document.createElement('option');
        option.value = st.label;
        names.appendChild(option);
    }

    // A place as the range box and the address give it: its kilometre
    // reading, or its place along the route ("route 181") where the reading
    // would be taken as an earlier place (readings that come again after a
    // break).
    function endText(m, after) {
        const reading = Math.round(readingAt(m));
        const places = placesOfReading(reading);
        const taken = places.find((q) => after === undefined || q > after) ?? places[places.length - 1];
        return taken !== undefined && Math.abs(taken - m) < 1 ? String(reading / 1000) : `route ${Math.round(m) / 1000}`;
    }
    const kmText = (m) => String(Math.round(readingAt(m)) / 1000);
    // The range in the address (#km=184.5-185.5), so that a link opens the
    // same view.
    function keepInAddress() {
        const end = (m, after) => endText(m, after).replace('route ', 'r');
        const hash = `#km=${end(range.min)}-${end(range.max, range.min)}`;
        if (location.hash === hash) return;
        try {
            history.replaceState(null, '', hash);
        } catch (err) {
            // A page opened where the address cannot change keeps its view.
        }
    }
    function rangeFromAddress() {
        const m = /^#km=(r?-?[\d.]+)-(r?-?[\d.]+)$/.exec(decodeURIComponent(location.hash));
        if (!m) {
            if (location.hash) say(`the address asks for ${location.hash}, not a range such as #km=184.5-185.5`, true);
            return;
        }
        showAsked(rangeAsked(m[1], m[2]));
    }
    window.addEventListener('hashchange', rangeFromAddress);
    document.getElementById('whole-route').addEventListener('click', () => {
        plan.reset();
        setRange(0, EXTENT);
    });
    const zoomBy = (factor) => {
        const c = (range.min + range.max) / 2;
        const half = (range.max - range.min) * factor / 2;
        setRange(c - half, c + half);
    };
    document.getElementById('zoom-in').addEventListener('click', () => zoomBy(0.5));
    document.getElementById('zoom-out').addEventListener('click', () => zoomBy(2));

    const stationJump = document.getElementById('station-jump');
    for (const st of kindItems('station')) {
        const option = document.createElement('option');
        option.value = String(st.id);
        option.textContent = `${st.label} (km ${readingText(st.reading)})`;
        stationJump.appendChild(option);
    }
    stationJump.addEventListener('change', () => {
        const st = BY_ID.get(Number(stationJump.value));
        if (!st) return;
        plan.reset();
        setRange(st.from - 1500, st.to + 1500);
    });

    const list = document.getElementById('diagnostics');
    let current = -1;
    function goToDiagnostic(i) {
        current = i;
        [...list.children].forEach((li, k) => li.classList.toggle('current', k === i));
        const x = DIAGNOSTICS[i];
        if (x && x.goTo !== null) {
            plan.reset();
            setRange(x.goTo - 2500, x.goTo + 2500);
        }
    }
    if (!DIAGNOSTICS.length) {
        const li = document.createElement('li');
        li.className = 'hint';
        li.textContent = D.origin.kind === 'descriptions' ? 'none: the descriptions compile cleanly' : 'none recorded in compiled files';
        list.appendChild(li);
        document.getElementById('next-diagnostic').disabled = true;
    }
    const whereText = (file, line, column) => (file ? `${file}${line ? ':' + line : ''}${column ? ':' + column : ''}: ` : '');
    DIAGNOSTICS.forEach((x, i) => {
        const li = document.createElement('li');
        li.className = x.d.severity === 'warning' ? 'warning' : 'error';
        const name = x.d.name ? ` [${x.d.name}]` : '';
        li.textContent = `${whereText(x.d.file, x.d.line, x.d.column)}${x.d.severity}: ${x.d.message}${name}` +
            (x.at !== null ? ` \u2014 at ${metresText(x.at)}` : '');
        for (const note of x.notes) {
            const div = document.createElement('div');
            div.className = 'note';
            div.textContent = `${whereText(note.n.file, note.n.line)}note: ${note.n.message}` +
                (note.at !== null ? ` \u2014 at ${metresText(note.at)}` : '');
            li.appendChild(div);
        }
        // Reached by Tab, taken by Enter or Space as a click.
        li.tabIndex = 0;
        if (x.goTo !== null) li.title = 'show its place on the route';
        li.addEventListener('click', () => goToDiagnostic(i));
        li.addEventListener('keydown', (e) => {
            if (e.key !== 'Enter' && e.key !== ' ') return;
            e.preventDefault();
            goToDiagnostic(i);
        });
        list.appendChild(li);
    });
    if (D.readingEnd && D.readingEnd.message) {
        const ended = document.getElementById('reading-end');
        ended.textContent = `${whereText(D.readingEnd.file, D.readingEnd.line)}${D.readingEnd.message}`;
        ended.hidden = false;
    }
    document.getElementById('next-diagnostic').addEventListener('click', () => {
        if (DIAGNOSTICS.length) goToDiagnostic((current + 1) % DIAGNOSTICS.length);
    });

    window.addEventListener('keydown', (e) => {
        if (e.target.tagName === 'INPUT' || e.target.tagName === 'SELECT') return;
        const span = range.max - range.min;
        if (e.key === 'ArrowLeft') setRange(range.min - span * 0.2, range.max - span * 0.2);
        else if (e.key === 'ArrowRight') setRange(range.min + span * 0.2, range.max + span * 0.2);
        else if (e.key === '+' || e.key === '=') zoomBy(0.5);
        else if (e.key === '-') zoomBy(2);
    });

    // The view as one picture: the plan and the lanes as drawn, each lane
    // with its title.
    function viewPicture() {
        const planCanvas = document.getElementById('plan');
        const parts = [[planCanvas, 'Plan', 6], ...charts.map((l) => [l.u.root.querySelector('canvas'), l.title, 56])];
        const out = document.createElement('canvas');
        out.width = Math.max(...parts.map(([c]) => c.width));
        out.height = parts.reduce((h, [c]) => h + c.height, 0);
        const ctx = out.getContext('2d');
        ctx.fillStyle = DARK ? '#161616' : '#ffffff';
        ctx.fillRect(0, 0, out.width, out.height);
        let y = 0;
        for (const [c, title, left] of parts) {
            ctx.drawImage(c, 0, y);
            text(ctx, title, left * PX(), y + 12 * PX(), 11, COLOURS.text, 'left', true);
            y += c.height;
        }
        return out;
    }
    document.getElementById('export-png').addEventListener('click', () => {
        const a = document.createElement('a');
        a.download = `${document.title.replace(/[\\/:*?"<>|]/g, '_')} km ${kmText(range.min)}-${kmText(range.max)}.png`;
        a.href = viewPicture().toDataURL('image/png');
        a.click();
    });

    // Printed, the lanes take the width of an A4 landscape page less its
    // margins (281 mm at 96 pixels an inch) and three fifths of their height,
    // so that a screen of lanes fits one page; the screen's size again after.
    const PRINT_WIDTH = 1060;
    const PRINT_HEIGHT = 0.6;
    function laneSize(width, height) {
        remeasure();
        for (const lane of charts) {
            lane.u.setSize({ width, height: Math.round(lane.height * height) + (lane.axis ? 30 : 0) });
        }
        setRange(range.min, range.max);
    }
    window.addEventListener('beforeprint', () => laneSize(PRINT_WIDTH, PRINT_HEIGHT));
    window.addEventListener('afterprint', () => laneSize(chartWidth(), 1));


    // ---------------------------------------------------------------- start

    for (const lane of LANES) makeChart(lane);
    let resizing = null;
    window.addEventListener('resize', () => {
        clearTimeout(resizing);
        resizing = setTimeout(() => {
            remeasure();
            for (const lane of charts) lane.u.setSize({ width: chartWidth(), height: lane.u.height });
            setRange(range.min, range.max);
        }, 100);
    });
    setRange(0, EXTENT);
    rangeFromAddress();
    opened = true;

    // For the page's tests and for measuring it.
    window.viewer = {
        data: D,
        // Milliseconds from the start of the page's script, and from the
        // start of loading the page, to the first view drawn.
        firstViewMs: performance.now() - started,
        readyAtMs: performance.now(),
        range: () => ({ ...range }),
        zoomTo(from, to) {
            plan.reset();
            setRange(from, to);
        },
        // The ids of the items whose marks the last drawing put on screen.
        drawn(kind) {
            const ids = new Set();
            for (const lane of charts) {
                for (const m of lane.marks) {
                    const it = BY_ID.get(m.id);
                    if (!kind || it.kind === kind) ids.add(m.id);
                }
            }
            return [...ids].map((id) => BY_ID.get(id));
        },
        // Where an item's mark stands on the page, for pointing at it.
        markOf(id) {
            for (const lane of charts) {
                const m = lane.marks.find((k) => k.id === id);
                if (!m) continue;
                const rect = lane.u.root.querySelector('canvas').getBoundingClientRect();
                return { x: rect.left + m.x, y: rect.top + m.y };
            }
            return null;
        },
        shown: () => shown,
        pinned: () => pinned,
        // Where the dot of the pointer stands on the plan, in the page.
        planDot: () => plan.dot(),
        planPixels: (throughEvery) => plan.pixels(throughEvery),
        picture: () => viewPicture().toDataURL('image/png'),
        // How many points a lane's series holds on screen, and its width.
        points(id) {
            const lane = charts.find((l) => l.id === id);
            return { points: lane.u.data[0].length, width: lane.u.bbox.width / PX() };
        },
    };
    document.body.dataset.ready = 'true';
})();
