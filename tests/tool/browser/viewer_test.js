// The viewer page in headless Chromium: what it draws, what hovering shows,
// what zooming keeps, and that a page of compiled files draws what the page
// of their descriptions draws. One test a run:
//   node viewer_test.js pages|NAME
// with TOOL (scenario-tool), SOURCE_DIR, WORK_DIR and CHROMIUM in the
// environment. Exits 77 (skipped) when Chromium is missing. Every test leaves
// a screenshot in WORK_DIR/screenshots.
'use strict';
const assert = require('assert/strict');
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { wheelStepTimes } = require('./redraw_timing.js');

const SKIP = 77;
const env = (name) => {
    const value = process.env[name];
    if (!value) throw new Error(`${name} is not set`);
    return value;
};
const work = env('WORK_DIR');
const chromium = process.env.CHROMIUM || '/usr/bin/chromium';
const pages = path.join(work, 'pages');
const shots = path.join(work, 'screenshots');
const page = (name) => path.join(pages, name);

// ------------------------------------------------------------------ pages

function tool(args, expectStatus = 0) {
    try {
        // From the source folder, so the pages name the descriptions as an
        // author there would (and the README's screenshots show no machine's path).
        execFileSync(env('TOOL'), args, { stdio: ['ignore', 'pipe', 'pipe'], cwd: env('SOURCE_DIR') });
        assert.equal(0, expectStatus, `scenario-tool ${args.join(' ')} should have failed`);
    } catch (failed) {
        if (failed.status === undefined || failed.status === null) throw failed;
        assert.equal(failed.status, expectStatus, `scenario-tool ${args.join(' ')}: ${failed.stderr}`);
    }
}

const crlf = (lines) => lines.map((l) => l + '\r\n').join('');

const INJECTED = '<script>window.injectedRan = (window.injectedRan || []).concat("script")</script>' +
    '<img id="injected-image" src="data:," onerror="window.injectedRan = (window.injectedRan || []).concat(\'onerror\')">' +
    '<p id="injected-style" style="color: rgb(255, 0, 0)">injected</p>';

function makePages() {
    fs.rmSync(pages, { recursive: true, force: true });
    fs.mkdirSync(pages, { recursive: true });
    const scenario = 'src/description/scenario';
    const descriptions = ['--line', path.join(scenario, 'line.txt'), '--train', path.join(scenario, 'train.txt')];
    tool(['view', ...descriptions, '--title', 'Valcorvina', '--train-code', 'IC 318', '--out', page('described.html')]);
    const compiled = path.join(pages, 'compiled');
    fs.mkdirSync(compiled);
    tool(['compile', ...descriptions, '--title', 'Valcorvina', '--train-code', 'IC 318', '--out', compiled]);
    tool(['view', '--sim', path.join(compiled, 'Valcorvina_IC 318.sim'), '--dat', path.join(compiled, 'Valcorvina_IC 318.dat'),
        '--geometry', path.join(compiled, 'Valcorvina_linea.dat'), '--out', page('compiled.html')]);

    // Compiled without the plan geometry.
    const flat = path.join(pages, 'flat');
    fs.mkdirSync(flat);
    tool(['compile', ...descriptions, '--title', 'Valcorvina', '--train-code', 'IC 318', '--out', flat, '--no-geometry']);
    tool(['view', '--sim', path.join(flat, 'Valcorvina_IC 318.sim'), '--dat', path.join(flat, 'Valcorvina_IC 318.dat'),
        '--out', page('flat.html')]);

    // A line whose second sign falls into the cell of the first.
    const line = path.join(pages, 'faulty line.txt');
    const train = path.join(pages, 'faulty train.txt');
    fs.writeFileSync(line, crlf(['[generale]', 'lunghezza percorso,    20000', '[curve]', 'curvad2,  2000,  300',
        'cartello_indicatore,  10950,   (A)', 'cartello_indicatore,  10960,   (B)', '[fine]']));
    fs.writeFileSync(path.join(pages, 'clean line.txt'), crlf(['[generale]', 'lunghezza percorso,    20000', '[curve]',
        'curvad2,  2000,  300', '[fine]']));
    fs.writeFileSync(train, crlf(['[generale]', 'velocita,   0,    100', 'aderenza,   0,    90', '[codici]', '[fine]', '']));
    tool(['view', '--line', line, '--train', train, '--out', page('faulty.html')], 1);

    // A signal on a station's stop ends the reading; the duplicated signal
    // after it is found only by reading again, without the first one's row.
    const stopped = path.join(pages, 'stopped train.txt');
    fs.writeFileSync(stopped, crlf(['[generale]', 'velocita,   0,    100', 'aderenza,   0,    90',
        'stazione,  1000, 24, 300,  0, 0, 0,  1,1,0,  2,1,1,    0,  16,3,0, Rio',
        'segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0', 'segnale,    3000,   2, 4, 1,  1, 0,    2,  2,1,1, 0',
        'segnale,    3000,   2, 4, 1,  1, 0,    2,  2,1,1, 0', 'rallentamento,   13500,    60,  500, 0,  1,  60',
        '[codici]', '[fine]', '']));
    tool(['view', '--line', line.replace('faulty line', 'clean line'), '--train', stopped, '--out', page('stopped.html')], 1);

    // The longest route, for timing redraws.
    const { longestLine, longestTrain } = require('./longest_route.js');
    fs.writeFileSync(path.join(pages, 'longest line.txt'), longestLine());
    fs.writeFileSync(path.join(pages, 'longest train.txt'), longestTrain());
    tool(['view', '--line', path.join(pages, 'longest line.txt'), '--train', path.join(pages, 'longest train.txt'),
        '--out', page('longest.html')]);

    // Markup that escaping let through, as if a name had reached the page
    // raw: an inline script, an inline handler and a style attribute. Once
    // under the page's policy, once under the inline-allowing policy the page
    // once had, to show that the injection would run without it.
    const described = fs.readFileSync(page('described.html'), 'utf8');
    const injected = described.replace('<body>', `<body>${INJECTED}`);
    assert.notEqual(injected, described);
    fs.writeFileSync(page('injected.html'), injected);
    const policy = /http-equiv="Content-Security-Policy" content="[^"]*"/;
    assert.match(injected, policy);
    fs.writeFileSync(page('injected-inline-allowed.html'), injected.replace(policy,
        `http-equiv="Content-Security-Policy" content="default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; img-src data:"`));
}

// ------------------------------------------------------------------ browser

async function withPage(file, test, name) {
    shotName = name;
    if (!fs.existsSync(chromium)) {
        console.log(`skipped: no Chromium at ${chromium} (apt-get install chromium)`);
        process.exit(SKIP);
    }
    const puppeteer = require('puppeteer-core');
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'viewer-test-'));
    const browser = await puppeteer.launch({
        executablePath: chromium,
        headless: true,
        userDataDir: profile,
        args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
            '--disable-component-update', '--disable-sync'],
    });
    const problems = [];
    try {
        const tab = await browser.newPage();
        await tab.setViewport(viewport);
        tab.on('console', (m) => {
            if (m.type() === 'error') problems.push(`console error: ${m.text()}`);
        });
        tab.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
        // What the page's policy refused, by directive.
        await tab.evaluateOnNewDocument(() => {
            window.policyViolations = [];
            document.addEventListener('securitypolicyviolation', (e) => window.policyViolations.push(e.effectiveDirective));
        });
        // The page works offline: it asks for nothing but itself.
        await tab.setRequestInterception(true);
        tab.on('request', (r) => {
            const url = r.url();
            if (url.startsWith('file:') || url.startsWith('data:')) return r.continue();
            problems.push(`request for ${url}`);
            return r.abort();
        });
        await tab.goto('file://' + file, { waitUntil: 'load' });
        await tab.waitForSelector('body[data-ready="true"]', { timeout: 10000 });
        await test(tab, problems);
        assert.deepEqual(problems, [], 'the page ran cleanly');
    } finally {
        await browser.close();
        fs.rmSync(profile, { recursive: true, force: true });
    }
}

// The screen of this run, and the name of its screenshots.
let viewport = null;
let shotName = null;
const onPhone = () => viewport.isMobile === true;

async function screenshot(tab) {
    fs.mkdirSync(shots, { recursive: true });
    await tab.screenshot({ path: path.join(shots, `${shotName}.png`) });
}

// What the page drew, in the terms of the scenario: kind, place and value of
// every mark, in a fixed order.
const drawnItems = (tab, kind) =>
    tab.evaluate((k) => window.viewer.drawn(k).map((it) => ({ kind: it.kind, at: it.at, from: it.from, to: it.to,
        value: it.value, label: it.label, fields: it.fields }))
        .sort((a, b) => a.at - b.at || a.kind.localeCompare(b.kind) || a.to - b.to || String(a.label).localeCompare(String(b.label))), kind);

// Points at an item's mark as the screen's user would: a mouse hovers over
// it, a finger taps it, once it is scrolled into view.
async function pointAtItem(tab, id) {
    let at = await tab.evaluate((i) => window.viewer.markOf(i), id);
    if (at.y < 0 || at.y > viewport.height) {
        await tab.evaluate((dy) => window.scrollBy(0, dy), at.y - viewport.height / 2);
        at = await tab.evaluate((i) => window.viewer.markOf(i), id);
    }
    await pointAt(tab, at);
}
const pointAt = (tab, at) => (onPhone() ? tab.touchscreen.tap(at.x, at.y) : tab.mouse.move(at.x, at.y));
// The place at fractions of an element's width and height, the element
// scrolled into view first.
const placeIn = (tab, selector, fx, fy) => tab.$eval(selector, (e, a, b) => {
    e.scrollIntoView({ block: 'nearest' });
    const r = e.getBoundingClientRect();
    return { x: r.x + r.width * a, y: r.y + r.height * b };
}, fx, fy);

// ------------------------------------------------------------------ tests

const tests = {
    async embedded_page(tab, problems) {
        const stations = await drawnItems(tab, 'station');
        assert.equal(stations.length, 25);
        assert.equal(stations[0].label, 'Brenzola');
        assert.equal(stations[24].label, 'Ostrevo');
        assert.equal((await drawnItems(tab, 'signal')).length, 110);
        // Every kind of item of the line is on screen at once.
        for (const kind of ['speed-boards', 'slowdown', 'warning-board', 'restriction', 'sign', 'mountain-span', 'curve',
            'kilometre-break']) {
            assert.ok((await drawnItems(tab, kind)).length > 0, `no ${kind} drawn`);
        }
        assert.match(await tab.$eval('#heading', (h) => h.textContent), /^Valcorvina \u2014 IC 318$/);
        assert.equal(problems.length, 0);
        await screenshot(tab);
    },

    async hover_over_a_signal(tab) {
        await tab.evaluate(() => window.viewer.zoomTo(0, 5000));
        const signal = (await drawnItems(tab, 'signal'))[0];
        assert.equal(signal.at, 1050);
        const id = await tab.evaluate(() => window.viewer.drawn('signal').sort((a, b) => a.at - b.at)[0].id);
        await pointAtItem(tab, id);
        const tip = await tab.$eval('#tooltip', (t) => (t.hidden ? '' : t.innerText));
        assert.match(tip, /^signal/);
        assert.match(tip, /metres\s+1050 m/);
        assert.match(tip, /km reading\s+1\.050/);
        assert.match(tip, /cell\s+22/);
        // Named as the signal row's values are.
        assert.match(tip, /posizione\s+1050\nsx\s+2\ns1\s+4\ns2\s+1\ns3\s+1\nrapp\s+0\ndx\s+2\nd1\s+2\nd2\s+1\nd3\s+1\ntempo\s+0/);
        await screenshot(tab);
        // The row of the first signal: line 75 of the train description.
        const source = await tab.evaluate((i) => window.viewer.data.items[i].source, id);
        assert.ok(source, 'the item names its row');
        assert.match(source.file, /train\.txt$/);
        assert.equal(source.line, 75);
        assert.ok(tip.includes(`${source.file}:${source.line}`), `the tooltip names ${source.file}:${source.line}`);
    },

    async zoom_to_a_stretch(tab) {
        // The whole route draws the envelope of the 4360 cells' heights, at
        // most two points a pixel column; a stretch draws every cell there.
        const whole = await tab.evaluate(() => window.viewer.points('elevation'));
        assert.ok(whole.points <= 2 * Math.ceil(whole.width) + 4, `${whole.points} points on ${whole.width} pixels`);
        assert.ok(whole.points < 4361);
        await tab.evaluate(() => window.viewer.zoomTo(90000, 95000));
        assert.equal((await tab.evaluate(() => window.viewer.points("elevation"))).points, 5000 / 50 + 2);
        const drawn = await drawnItems(tab);
        assert.ok(drawn.length > 0);
        for (const it of drawn) assert.ok(it.to >= 90000 && it.from <= 95000, `${it.kind} at ${it.at} lies outside`);
        // Everything of the data that lies there is drawn.
        const there = await tab.evaluate(() => window.viewer.data.items
            .filter((it) => ['signal', 'station', 'sign', 'speed-boards'].includes(it.kind) && it.at >= 90000 && it.at <= 95000).length);
        const marks = drawn.filter((it) => ['signal', 'station', 'sign', 'speed-boards'].includes(it.kind) && it.at >= 90000 && it.at <= 95000);
        assert.equal(marks.length, there);
        assert.ok(marks.some((it) => it.kind === 'signal'));
        assert.equal(await tab.$eval('#range-from', (i) => i.value), '90');
        assert.equal(await tab.$eval('#range-to', (i) => i.value), '95');
        // The range box does the same.
        await tab.evaluate(() => window.viewer.zoomTo(0, 218000));
        await tab.$eval('#range-from', (i) => { i.value = '90'; });
        await tab.$eval('#range-to', (i) => { i.value = '95'; });
        await tab.click('#range-box button[type=submit]');
        assert.deepEqual(await tab.evaluate(() => window.viewer.range()), { min: 90000, max: 95000 });
        await screenshot(tab);
    },

    async compiled_files_draw_the_same(tab) {
        const described = {};
        for (const [from, to] of [[0, 218000], [90000, 95000], [179000, 196000]]) {
            await tab.evaluate((a, b) => window.viewer.zoomTo(a, b), from, to);
            // Diagnostics come from the descriptions only: the embedded
            // scenario's one warning has no counterpart in compiled files.
            described[`${from}-${to}`] = (await drawnItems(tab)).filter((it) => it.kind !== 'diagnostic');
        }
        await tab.goto('file://' + page('compiled.html'), { waitUntil: 'load' });
        await tab.waitForSelector('body[data-ready="true"]');
        for (const [from, to] of [[0, 218000], [90000, 95000], [179000, 196000]]) {
            await tab.evaluate((a, b) => window.viewer.zoomTo(a, b), from, to);
            assert.deepEqual(await drawnItems(tab), described[`${from}-${to}`], `the stretch ${from} to ${to} m`);
        }
        assert.match(await tab.$eval('#heading', (h) => h.textContent), /^Valcorvina \u2014 IC 318$/);
        await tab.evaluate(() => window.viewer.zoomTo(0, 218000));
        await screenshot(tab);
    },

    // Every control in turn: each leaves a stretch of the route on screen
    // and no error behind.
    async every_control(tab) {
        const rangeOk = async (what) => {
            const r = await tab.evaluate(() => window.viewer.range());
            assert.ok(r.min >= 0 && r.max <= 218000 && r.max - r.min >= 200, `${what}: ${JSON.stringify(r)}`);
            return r;
        };
        const lane = async (id) => tab.$eval(`#lane-${id} .u-over`, (o) => {
            o.scrollIntoView({ block: 'nearest' });
            const r = o.getBoundingClientRect();
            return { x: r.x, y: r.y, w: r.width, h: r.height };
        });
        // A wheel step keeps the place under the pointer where it is, the
        // page scrolled or not.
        for (const [f, scroll] of [[0.25, 0], [0.75, 40], [0.5, 0]]) {
            await tab.evaluate((y) => window.scrollTo(0, y), scroll);
            const l = await lane('speed');
            const before = await rangeOk('before a step');
            await tab.mouse.move(l.x + l.w * f, l.y + l.h / 2);
            await tab.mouse.wheel({ deltaY: -200 });
            const after = await rangeOk('a step');
            const under = (r) => r.min + f * (r.max - r.min);
            assert.ok(Math.abs(under(after) - under(before)) < (before.max - before.min) / l.w, JSON.stringify([f, before, after]));
        }
        let speed = await lane('speed');
        await tab.mouse.move(speed.x + speed.w / 2, speed.y + speed.h / 2);
        for (let i = 0; i < 12; i++) await tab.mouse.wheel({ deltaY: -200 });
        assert.ok((await rangeOk('wheel in')).max - (await rangeOk('wheel in')).min < 20000);
        for (let i = 0; i < 30; i++) await tab.mouse.wheel({ deltaY: 200 });
        assert.deepEqual(await rangeOk('wheel out'), { min: 0, max: 218000 });
        // A drag on a lane zooms to the stretch dragged over.
        speed = await lane('speed');
        await tab.mouse.move(speed.x + speed.w * 0.4, speed.y + 20);
        await tab.mouse.down();
        await tab.mouse.move(speed.x + speed.w * 0.5, speed.y + 30, { steps: 5 });
        await tab.mouse.up();
        const dragged = await rangeOk('drag');
        assert.ok(Math.abs(dragged.min - 87200) < 2000 && Math.abs(dragged.max - 109000) < 2000, JSON.stringify(dragged));
        // A drag on the axis pans.
        const axis = await lane('axis');
        await tab.mouse.move(axis.x + axis.w / 2, axis.y + axis.h / 2);
        await tab.mouse.down();
        await tab.mouse.move(axis.x + axis.w / 2 - 200, axis.y + axis.h / 2, { steps: 5 });
        await tab.mouse.up();
        const panned = await rangeOk('pan');
        assert.ok(panned.min > dragged.min && Math.abs(panned.max - panned.min - (dragged.max - dragged.min)) < 1);
        for (const key of ['ArrowLeft', 'ArrowRight', '+', '-']) await tab.keyboard.press(key);
        await rangeOk('keys');
        await tab.select('#station-jump', await tab.$eval('#station-jump option:nth-child(8)', (o) => o.value));
        const zaldia = await rangeOk('station');
        assert.ok(zaldia.min < 38400 && zaldia.max > 38400);
        // Invalid input is said, and the view stays.
        for (const [from, to, said] of [
            ['x', '5', '\u201cx\u201d is neither a kilometre reading (such as 184.5), a place along the route (route 12.5, 12500 m) nor a station'],
            ['route 9', 'route 3', 'the end (route 3) must lie after the start (route 9) along the route'],
            ['', '', 'give both ends of the stretch']]) {
            await tab.$eval('#range-from', (i, v) => { i.value = v; }, from);
            await tab.$eval('#range-to', (i, v) => { i.value = v; }, to);
            await tab.click('#range-box button[type=submit]');
            assert.deepEqual(await rangeOk('bad range'), zaldia);
            assert.equal(await tab.$eval('#range-said', (o) => o.textContent), said);
        }
        await tab.click('#zoom-out');
        await tab.click('#zoom-in');
        await tab.click('#whole-route');
        assert.deepEqual(await rangeOk('whole route'), { min: 0, max: 218000 });
        // Hovering along every lane shows details or nothing, never an error.
        for (const id of ['elevation', 'gradient', 'speed', 'signals', 'curves', 'spans', 'signs', 'adhesion', 'stations', 'axis']) {
            const l = await lane(id);
            for (let x = 5; x < l.w; x += l.w / 9) await tab.mouse.move(l.x + x, l.y + l.h / 2);
        }
        speed = await lane('speed');
        await tab.mouse.click(speed.x + speed.w / 2, speed.y + speed.h / 2, { clickCount: 2 });
        assert.deepEqual(await rangeOk('double-click'), { min: 0, max: 218000 });
        await screenshot(tab);
    },

    // Without plan geometry there is no plan and no curve, and handling the
    // empty plan does no harm.
    async without_plan_geometry(tab) {
        assert.equal((await drawnItems(tab, 'signal')).length, 110);
        assert.equal((await drawnItems(tab, 'curve')).length, 0);
        const plan = await tab.$eval('#plan', (c) => { const r = c.getBoundingClientRect(); return { x: r.x + r.width / 2, y: r.y + r.height / 2 }; });
        await tab.mouse.move(plan.x, plan.y);
        await tab.mouse.down();
        await tab.mouse.move(plan.x - 80, plan.y + 30);
        await tab.mouse.up();
        await tab.mouse.wheel({ deltaY: -300 });
        await tab.mouse.click(plan.x, plan.y, { clickCount: 2 });
        await screenshot(tab);
    },

    // The page runs its own script and style only: injected inline code
    // does not run and is reported as a violation of the page's policy.
    async inline_code_is_refused(tab, problems) {
        const outcome = () => tab.evaluate(() => ({
            ran: window.injectedRan || [],
            colour: getComputedStyle(document.getElementById('injected-style')).color,
            violations: [...new Set(window.policyViolations)].sort(),
        }));
        // The image's error comes when it likes: wait for its refusal.
        await tab.waitForFunction(() => new Set(window.policyViolations).size >= 3, { timeout: 5000 }).catch(() => {});
        assert.deepEqual(await outcome(), {
            ran: [], colour: 'rgb(34, 34, 34)', violations: ['script-src-attr', 'script-src-elem', 'style-src-attr'] });
        // The browser says why on the console; nothing else went wrong.
        assert.ok(problems.length > 0 && problems.every((p) => /Content Security Policy/.test(p)), problems.join('\n'));
        problems.length = 0;
        await screenshot(tab);

        await tab.goto('file://' + page('injected-inline-allowed.html'), { waitUntil: 'load' });
        await tab.waitForSelector('body[data-ready="true"]');
        await tab.waitForFunction(() => (window.injectedRan || []).length >= 2, { timeout: 5000 }).catch(() => {});
        assert.deepEqual(await outcome(), { ran: ['script', 'onerror'], colour: 'rgb(255, 0, 0)', violations: [] });
    },

    async diagnostics_on_the_axis(tab) {
        const listed = await tab.$$eval('#diagnostics li', (li) => li.map((l) => l.textContent));
        assert.equal(listed.length, 1);
        assert.match(listed[0], /faulty line\.txt:6:\d+: error: .*10960 m.*\[sign-cell-taken\]/);
        // The note points at the sign already in the cell.
        assert.match(listed[0], /faulty line\.txt:5: note: the roadside sign \(A\) at 10950 m takes route cell 220/);
        const marks = await drawnItems(tab, 'diagnostic');
        assert.equal(marks.length, 1);
        assert.equal(marks[0].at, 10960);
        await tab.click('#next-diagnostic');
        const range = await tab.evaluate(() => window.viewer.range());
        assert.ok(range.min <= 10960 && range.max >= 10960 && range.max - range.min < 20000);
        await screenshot(tab);
    },

    // Each diagnostic and each note is marked at its row's place, the one
    // found only by reading again among them; the page says where the
    // reading ended; a warning is drawn unlike an error.
    async every_diagnostic_placed(tab) {
        const marks = (kind) => drawnItems(tab, kind).then((m) => m.map((it) => [it.at, it.fields.severity || 'note']));
        assert.deepEqual(await marks('diagnostic'), [[1050, 'error'], [3000, 'error']]);
        assert.deepEqual(await marks('diagnostic-note'), [[1000, 'note'], [3000, 'note']]);
        assert.equal(await tab.$eval('#reading-end', (p) => (p.hidden ? '' : p.textContent)),
            `${page('stopped train.txt')}:5: signals and slowdowns after train row 5 are not shown: the reading ended there`);
        // From the list to the place, the second entry by keyboard.
        await tab.click('#diagnostics li:nth-child(1)');
        let r = await tab.evaluate(() => window.viewer.range());
        assert.ok(r.min <= 1050 && r.max >= 1050 && r.max - r.min <= 5000, JSON.stringify(r));
        await tab.focus('#diagnostics li:nth-child(2)');
        await tab.keyboard.press('Enter');
        r = await tab.evaluate(() => window.viewer.range());
        assert.ok(r.min <= 3000 && r.max >= 3000 && r.max - r.min <= 5000, JSON.stringify(r));
        await screenshot(tab);
    },

    // Tab alone reaches the range box, the buttons and every diagnostic.
    async keyboard_reaches_the_list(tab) {
        const reached = [];
        for (let i = 0; i < 20; i++) {
            await tab.keyboard.press('Tab');
            reached.push(await tab.evaluate(() => document.activeElement.id || document.activeElement.tagName));
        }
        for (const id of ['range-from', 'range-to', 'whole-route', 'station-jump', 'next-diagnostic', 'export-png', 'LI']) {
            assert.ok(reached.includes(id), `Tab never reached ${id}: ${reached.join(' ')}`);
        }
        // Every drawing is named for a screen reader.
        const unnamed = await tab.$$eval('canvas', (cs) => cs.filter((c) => !c.getAttribute('aria-label')).length);
        assert.equal(unnamed, 0);
        await screenshot(tab);
    },

    // The range box takes kilometre readings as the axis shows them, places
    // along the route and station names; the range goes to the address and
    // comes back from it.
    async find_and_share_a_place(tab) {
        assert.deepEqual(await tab.evaluate(() => window.viewer.range()), { min: 90000, max: 95000 }, 'opened at #km=90-95');
        const ask = async (from, to) => {
            await tab.$eval('#range-from', (i, v) => { i.value = v; }, from);
            await tab.$eval('#range-to', (i, v) => { i.value = v; }, to);
            await tab.click('#range-box button[type=submit]');
            return {
                range: await tab.evaluate(() => window.viewer.range()),
                said: await tab.$eval('#range-said', (o) => o.textContent),
                hash: await tab.waitForFunction(() => /^#km=/.test(location.hash) && location.hash, { timeout: 2000 })
                    .then(() => new Promise((r) => setTimeout(r, 300))).then(() => tab.evaluate(() => location.hash)),
                box: [await tab.$eval('#range-from', (i) => i.value), await tab.$eval('#range-to', (i) => i.value)],
            };
        };
        // The count restarts at 180350 m: reading 2 after route km 181 is the second stretch's.
        assert.deepEqual(await ask('route 181', '2'), { range: { min: 181000, max: 182350 },
            said: 'route km 181 is km 0.650', hash: '#km=r181-2', box: ['route 181', '2'] });
        assert.deepEqual(await ask('1.5', 'km 2'), { range: { min: 1500, max: 2000 }, said: '', hash: '#km=1.5-2',
            box: ['1.5', '2'] });
        assert.deepEqual(await ask('6000 m', '7,5'), { range: { min: 6000, max: 7500 },
            said: '6000 m along the route is km 6.000', hash: '#km=6-7.5', box: ['6', '7.5'] });
        const casal = await ask('casal', '');
        assert.deepEqual([casal.range.min < 6150, casal.range.max > 6150, casal.said], [true, true, 'Casalvento is at km 6.150']);
        // Search as you type: every station is offered.
        assert.equal(await tab.$$eval('#station-names option', (o) => o.length), 25);
        // A link opens the same view.
        await tab.goto('file://' + page('described.html') + '#km=r181-2', { waitUntil: 'load' });
        await tab.waitForSelector('body[data-ready="true"]');
        assert.deepEqual(await tab.evaluate(() => window.viewer.range()), { min: 181000, max: 182350 });
        // What the box said of the last search gives way to what the address asks.
        assert.equal(await tab.$eval('#range-said', (o) => o.textContent), 'route km 181 is km 0.650');
        await screenshot(tab);
    },

    // The pointer on the profile is a dot on the plan, and the reverse; the
    // readout says what holds there.
    async plan_and_profile_together(tab) {
        await tab.evaluate(() => window.viewer.zoomTo(5000, 8000));
        const dots = [];
        for (const f of [0.2, 0.5, 0.8]) {
            await pointAt(tab, await placeIn(tab, '#lane-speed .u-over', f, 0.5));
            dots.push(await tab.evaluate(() => window.viewer.planDot()));
        }
        assert.ok(dots.every((d) => d), 'a dot on the plan');
        assert.ok(Math.hypot(dots[2].x - dots[0].x, dots[2].y - dots[0].y) > 20, `the dot moves: ${JSON.stringify(dots)}`);
        const readout = await tab.$eval('#pointer-readout', (s) => s.textContent);
        assert.match(readout, /^km \d+\.\d{3} · elevation -?[\d.]+ m · gradient [+-]?\d+ ‰ · line speed \d+ km\/h · boards [\d/]+ km\/h · adhesion \d+ · (no slowdown|slowdown \d+ km\/h)$/);
        // From the plan: the readout follows the place pointed at.
        await placeIn(tab, '#plan', 0.5, 0.5);
        const dot = await tab.evaluate(() => window.viewer.planDot());
        await pointAt(tab, dot);
        const back = await tab.evaluate(() => window.viewer.planDot());
        assert.ok(Math.hypot(back.x - dot.x, back.y - dot.y) < 3, JSON.stringify([dot, back]));
        await screenshot(tab);
    },

    // A phone: the panel below the lanes, nothing over anything else, the
    // titles on one line, a tap showing details on screen and whole.
    async phone_layout(tab) {
        // Nothing is wider than the screen, and no control of the toolbar
        // lies over another.
        assert.equal(await tab.evaluate(() => document.documentElement.scrollWidth), 390);
        const controls = await tab.$$eval('#toolbar > :not(form), #range-box > *', (es) => es
            .map((e) => { const r = e.getBoundingClientRect(); return { what: e.id || e.textContent.trim(), l: r.left, r: r.right, t: r.top, b: r.bottom }; })
            .filter((c) => c.r > c.l && c.b > c.t));
        for (const [i, a] of controls.entries()) {
            assert.ok(a.l >= 0 && a.r <= 390.5, `${a.what} runs off the screen`);
            for (const b of controls.slice(i + 1)) {
                assert.ok(a.r <= b.l + 0.5 || b.r <= a.l + 0.5 || a.b <= b.t + 0.5 || b.b <= a.t + 0.5, `${a.what} lies over ${b.what}`);
            }
        }
        const boxes = await tab.evaluate(() => ['header', '#toolbar', '#plan-box', '#lanes', 'aside'].map((sel) => {
            const r = document.querySelector(sel).getBoundingClientRect();
            return { sel, top: r.top + scrollY, bottom: r.bottom + scrollY, left: r.left, right: r.right };
        }));
        for (let i = 0; i + 1 < boxes.length; i++) {
            assert.ok(boxes[i].bottom <= boxes[i + 1].top + 0.5, `${boxes[i].sel} overlaps ${boxes[i + 1].sel}`);
        }
        for (const b of boxes) assert.ok(b.left >= 0 && b.right <= 390.5, `${b.sel} runs off the screen: ${JSON.stringify(b)}`);
        assert.equal(await tab.$eval('aside', (a) => getComputedStyle(a).backgroundColor), 'rgb(255, 255, 255)');
        const tall = await tab.$$eval('.lane-title', (ts) => ts.filter((t) => t.getBoundingClientRect().height > 16).map((t) => t.textContent));
        assert.deepEqual(tall, []);
        await tab.evaluate(() => window.viewer.zoomTo(0, 5000));
        const id = await tab.evaluate(() => window.viewer.drawn('signal').sort((a, b) => a.at - b.at)[0].id);
        await pointAtItem(tab, id);
        const tip = await tab.$eval('#tooltip', (t) => { const r = t.getBoundingClientRect(); return { hidden: t.hidden, top: r.top,
            bottom: r.bottom, right: r.right, text: t.innerText, fits: t.scrollWidth <= t.clientWidth }; });
        assert.ok(!tip.hidden && tip.top >= 0 && tip.bottom <= 844.5 && tip.right <= 390.5 && tip.fits, JSON.stringify(tip));
        assert.equal(await tab.evaluate(() => document.documentElement.scrollWidth), 390, 'the details widen the page');
        assert.match(tip.text, /^signal/);
        await screenshot(tab);
    },

    // Printed: no toolbar or panel, a screen of lanes on one A4 landscape
    // page (277 by 194 mm inside its margins, 1062 by 733 pixels).
    async print_style(tab) {
        await tab.emulateMediaType('print');
        await tab.evaluate(() => window.dispatchEvent(new Event('beforeprint')));
        const printed = await tab.evaluate(() => ({
            hidden: ['#toolbar', 'aside'].map((s) => getComputedStyle(document.querySelector(s)).display),
            width: Math.max(...[...document.querySelectorAll('.uplot')].map((u) => u.getBoundingClientRect().width)),
            height: document.querySelector('main').getBoundingClientRect().bottom,
        }));
        assert.deepEqual(printed.hidden, ['none', 'none']);
        assert.ok(printed.width <= 1062 && printed.height <= 733, JSON.stringify(printed));
        fs.mkdirSync(shots, { recursive: true });
        fs.writeFileSync(path.join(shots, 'print_style.pdf'), await tab.pdf({ preferCSSPageSize: true, printBackground: true }));
        await tab.evaluate(() => window.dispatchEvent(new Event('afterprint')));
        await tab.emulateMediaType('screen');
        await tab.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: 'dark' }]);
        assert.equal(await tab.$eval('body', (b) => getComputedStyle(b).backgroundColor), 'rgb(22, 22, 22)');
        assert.match(await tab.evaluate(() => window.viewer.picture()), /^data:image\/png;base64,/);
    },

    // Zoomed out, the plan is stroked through the points its pixels need,
    // not through every point of the line: the same picture, each pixel of
    // one found within a pixel in the other. A line moved by a third of a
    // pixel changes the shading of its edges, not where it runs (under 1 %
    // of the pixels drawn find no match); a tolerance eight times coarser
    // leaves 8 % without one on the closer views.
    async plan_through_the_points_it_needs(tab) {
        for (const [from, to] of [[0, 1000050], [400000, 600000], [10000, 14000]]) {
            await tab.evaluate((a, b) => window.viewer.zoomTo(a, b), from, to);
            const { inked, unmatched } = await tab.evaluate(() => {
                const every = window.viewer.planPixels(true);
                const kept = window.viewer.planPixels(false);
                const width = document.getElementById('plan').width;
                const near = (p, i, q, j) => [0, 1, 2, 3].every((c) => Math.abs(p[i + c] - q[j + c]) <= 128);
                // A pixel of p with a match in q at most a pixel away.
                const matched = (p, q, i) => {
                    for (let dy = -1; dy <= 1; dy++) {
                        for (let dx = -1; dx <= 1; dx++) {
                            const j = i + 4 * (dy * width + dx);
                            if (j >= 0 && j < q.length && near(p, i, q, j)) return true;
                        }
                    }
                    return false;
                };
                const counts = { inked: 0, unmatched: 0 };
                for (let i = 0; i < every.length; i += 4) {
                    if (every[i + 3] > 0 || kept[i + 3] > 0) counts.inked++;
                    if (!near(every, i, kept, i) && (!matched(every, kept, i) || !matched(kept, every, i))) counts.unmatched++;
                }
                return counts;
            });
            assert.ok(inked > 1000 && unmatched <= 0.02 * inked, `km ${from / 1000} to ${to / 1000}: ${unmatched} of ${inked} pixels unmatched`);
        }
        await screenshot(tab);
    },

    // A wheel-zoom step on the whole 1,000 km route: the median time from
    // the wheel event to the redraw's pixels, and the page thread's time on
    // the processor (redraw_timing.js), reported, not asserted.
    async redraw_on_the_longest_route(tab) {
        const times = await wheelStepTimes(tab, 21);
        const median = (ms) => ms.sort((a, b) => a - b)[Math.floor(ms.length / 2)].toFixed(1);
        const { painted } = times;
        console.log(`wheel-zoom redraw of the whole 1000 km route: median ${median(painted)} ms of ${painted.length} to the pixels ` +
            `(from ${painted[0].toFixed(1)} to ${painted[painted.length - 1].toFixed(1)} ms), ${median(times.script)} ms of it in the ` +
            `page's script; the page's thread on the processor: median ${median(times.thread)} ms a step`);
        await screenshot(tab);
    },
};

const pageOf = {
    embedded_page: 'described.html',
    hover_over_a_signal: 'described.html',
    zoom_to_a_stretch: 'described.html',
    compiled_files_draw_the_same: 'described.html',
    diagnostics_on_the_axis: 'faulty.html',
    inline_code_is_refused: 'injected.html',
    without_plan_geometry: 'flat.html',
    every_control: 'described.html',
    every_diagnostic_placed: 'stopped.html',
    keyboard_reaches_the_list: 'faulty.html',
    find_and_share_a_place: 'described.html#km=90-95',
    plan_and_profile_together: 'described.html',
    phone_layout: 'described.html',
    print_style: 'described.html',
    redraw_on_the_longest_route: 'longest.html',
    plan_through_the_points_it_needs: 'longest.html',
};

// The screens a test runs on: a desktop's unless named here. CMakeLists.txt
// registers each test once a screen (browser.NAME and browser.NAME.phone).
const VIEWPORTS = {
    desktop: { width: 1400, height: 900 },
    phone: { width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 2 },
};
const viewportsOf = {
    diagnostics_on_the_axis: ['desktop', 'phone'],
    every_diagnostic_placed: ['desktop', 'phone'],
    keyboard_reaches_the_list: ['desktop', 'phone'],
    find_and_share_a_place: ['desktop', 'phone'],
    plan_and_profile_together: ['desktop', 'phone'],
    hover_over_a_signal: ['desktop', 'phone'],
    phone_layout: ['phone'],
};

async function main() {
    const [name, screen = (viewportsOf[name] || ['desktop'])[0]] = process.argv.slice(2);
    if (name === 'pages') return makePages();
    if (!tests[name]) throw new Error(`no test named ${name}; known: ${Object.keys(tests).join(', ')}`);
    if (!(viewportsOf[name] || ['desktop']).includes(screen)) throw new Error(`${name} does not run on a ${screen}'s screen`);
    viewport = VIEWPORTS[screen];
    await withPage(page(pageOf[name]), tests[name], screen === 'desktop' ? name : `${name}.${screen}`);
    console.log(`${name} (${screen}): passed`);
}

main().catch((failure) => {
    console.error(failure && failure.stack ? failure.stack : failure);
    process.exit(1);
});
