#!/usr/bin/env python3
"""Plan-geometry aid for the Valcorvina line description.

Rebuilds the track of src/description/scenario/line.txt metre by metre, the
way the line reader does it, and prints the last built metre.  The line must
end at about (25989.5, 196700.9): the far end of the simulator's scenery is
laid out for that point, so every edit of the "[curve]" rows has to keep it
within 0.05 m in each coordinate.

How it was used for the embedded line: the curves were first laid out by hand
(classes and sides as the line runs, starts on round figures); `--fit` then
  1. adjusted the curve lengths (least change, in 10 m steps) until the end
     point was within a few tens of metres of the target, and
  2. shifted curve starts by a few metres (a shift of 1 m moves the end point
     by roughly the curve's turn angle in metres), one curve at a time and,
     where that stalled, two at a time, until the end point was within about
     a millimetre of the target (ten starts moved off round figures);
and `--write` put the result back into the rows.  Without options the tool
only reports, so it doubles as a check after hand edits.

Arithmetic of the builder: metre 0 is (0, 0) and metre 1 is (0, 1); with
(x1, y1) the point at c - 1, (x2, y2) the point at c - 2, dx = x1 - x2 and
dy = y1 - y2, a straight step gives (x1 + dx, y1 + dy) and a curved step with
curvature k gives (x1 + (dx + k*dy), y1 + (dy - k*dx)).  Python floats are
IEEE doubles, so the rebuilt points are the reader's points bit for bit.
"""

import argparse
import random
import re
import sys
from pathlib import Path

DEFAULT_LINE = Path(__file__).resolve().parent.parent / "src" / "description" / "scenario" / "line.txt"
TARGET = (25989.5, 196700.9)
TOLERANCE = 0.05
CURVATURE = {"1": 0.0001, "2": 0.0002, "3": 0.0004, "4": 0.001, "5": 0.002, "6": 0.003}
CURVE_ROW = re.compile(r"^(curva([sd])([1-6])),(\s+)(\d+),(\s+)(\d+)$")


class Curve:
    """One "[curve]" row: side 's' (left) or 'd' (right), class digit, start, length."""

    def __init__(self, line_index, side, cls, start, length):
        self.line_index = line_index
        self.side = side
        self.cls = cls
        self.start = start
        self.length = length

    @property
    def k(self):
        k = CURVATURE[self.cls]
        return -k if self.side == "s" else k

    def row(self):
        return "curva%s%s,  %d,  %d" % (self.side, self.cls, self.start, self.length)


def read_line(path):
    """Return (lines, route length, curves) of a line description."""
    lines = Path(path).read_text(encoding="latin-1").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    length = None
    curves = []
    for i, text in enumerate(lines):
        if text.startswith("lunghezza percorso,"):
            length = int(text.split(",")[1])
        m = CURVE_ROW.match(text)
        if m:
            curves.append(Curve(i, m.group(2), m.group(3), int(m.group(5)), int(m.group(7))))
    if length is None:
        raise ValueError("no route length in %s" % path)
    return lines, length, curves


def build_track(curves, route_length, keep=()):
    """Build the track exactly as the line reader does.

    Returns (last built metre, its point, {metre: point} for the metres in keep).
    """
    track_length = route_length + 7000
    keep = set(keep)
    kept = {}
    x2, y2 = 0.0, 0.0          # metre c - 2
    x1, y1 = 0.0, 1.0          # metre c - 1
    c = 2
    for cv in curves:
        k = cv.k
        while c <= cv.start:
            dx = x1 - x2
            dy = y1 - y2
            x2, y2 = x1, y1
            x1, y1 = x1 + dx, y1 + dy
            if c in keep:
                kept[c] = (x1, y1)
            c += 1
        end = cv.start + cv.length
        while c <= end:
            dx = x1 - x2
            dy = y1 - y2
            x2, y2 = x1, y1
            x1, y1 = x1 + (dx + k * dy), y1 + (dy - k * dx)
            if c in keep:
                kept[c] = (x1, y1)
            c += 1
    while c <= track_length - 2:
        dx = x1 - x2
        dy = y1 - y2
        x2, y2 = x1, y1
        x1, y1 = x1 + dx, y1 + dy
        if c in keep:
            kept[c] = (x1, y1)
        c += 1
    return c - 1, (x1, y1), kept


def quick_end(curves, route_length):
    """Closed form of the builder, for searching (agrees to far below a millimetre).

    In complex numbers a curved step turns the direction d into d * (1 - ik), so a
    run of n curved steps adds the geometric sum d * q * (q**n - 1) / (q - 1).
    """
    track_length = route_length + 7000
    p = complex(0.0, 1.0)
    d = complex(0.0, 1.0)
    c = 2
    for cv in curves:
        if c <= cv.start:
            n = cv.start - c + 1
            p += d * n
            c = cv.start + 1
        n = cv.start + cv.length - c + 1
        if n > 0:
            q = complex(1.0, -cv.k)
            qn = q ** n
            p += d * q * (qn - 1) / (q - 1)
            d *= qn
            c += n
    p += d * (track_length - 2 - c + 1)
    return p


def layout_problems(curves, route_length):
    """Rules a curve layout must keep: ascending, no overlap, lengths, within the geometry."""
    problems = []
    for a, b in zip(curves, curves[1:]):
        if b.start < a.start + a.length:
            problems.append("curve at %d overlaps the one at %d" % (a.start, b.start))
    for cv in curves:
        if not 50 <= cv.length <= 1750:
            problems.append("curve at %d has length %d" % (cv.start, cv.length))
        if cv.start + cv.length > route_length + 7000:
            problems.append("curve at %d ends beyond the geometry" % cv.start)
    return problems


def error_of(point):
    """Distance of a point from the target (the search minimises it)."""
    return abs(point - complex(*TARGET))


def _solve(curves, route_length, free):
    """Least change of the lengths in `free` (continuous) that puts the end point on target."""
    target = complex(*TARGET)
    for _ in range(8):
        e = quick_end(curves, route_length)
        r = target - e
        if abs(r) < 1e-4:
            break
        jac = []
        for cv in free:
            cv.length += 1.0
            jac.append(quick_end(curves, route_length) - e)
            cv.length -= 1.0
        w = [max(cv.length, 100.0) ** 2 for cv in free]
        a = sum(wi * j.real * j.real for wi, j in zip(w, jac))
        b = sum(wi * j.real * j.imag for wi, j in zip(w, jac))
        d = sum(wi * j.imag * j.imag for wi, j in zip(w, jac))
        det = a * d - b * b
        l1 = (d * r.real - b * r.imag) / det
        l2 = (-b * r.real + a * r.imag) / det
        for wi, j, cv in zip(w, jac, free):
            cv.length = min(1750.0, max(50.0, cv.length + wi * (j.real * l1 + j.imag * l2)))


def fit_lengths(curves, route_length, frozen, step=10):
    """Coarse stage: least change of the lengths, rounded one at a time.

    The curves with the longest lever (turn rate times distance to the end) are
    rounded first, each time solving the rest again; the last two are rounded
    to the metre, which leaves a few metres for the fine stage.
    """
    track_length = route_length + 7000
    free = [cv for cv in curves if cv.start not in frozen]
    free.sort(key=lambda cv: -abs(cv.k) * (track_length - cv.start))
    for n, cv in enumerate(free):
        rest = free[n:]
        if len(rest) >= 2:
            _solve(curves, route_length, rest)
        unit = step if len(rest) > 2 else 1
        cv.length = max(50, min(1750, int(round(cv.length / unit)) * unit))
    return quick_end(curves, route_length)


def fit_starts(curves, route_length, frozen, max_shift=40, rounds=60, seed=1):
    """Fine stage: shift curve starts (lengths kept) until the end point is within tolerance."""
    rnd = random.Random(seed)
    movable = [i for i, cv in enumerate(curves) if cv.start not in frozen]
    origin = {i: curves[i].start for i in movable}
    best = error_of(quick_end(curves, route_length))
    for _ in range(rounds):
        improved = False
        order = movable[:]
        rnd.shuffle(order)
        for i in order:
            cv = curves[i]
            lo = max(origin[i] - max_shift, curves[i - 1].start + curves[i - 1].length if i > 0 else 0)
            hi = min(origin[i] + max_shift, (curves[i + 1].start - cv.length) if i + 1 < len(curves) else origin[i])
            keep = cv.start
            for s in range(lo, hi + 1):
                cv.start = s
                err = error_of(quick_end(curves, route_length))
                if err < best - 1e-12:
                    best, keep, improved = err, s, True
            cv.start = keep
        if best < TOLERANCE / 5:
            break
        if not improved:
            if not _pair_step(curves, route_length, movable, origin, max_shift):
                break
            best = error_of(quick_end(curves, route_length))
    return best


def _pair_step(curves, route_length, movable, origin, max_shift, reach=3):
    """Try moving two curve starts together by up to `reach` metres each; keep the best pair."""
    base = error_of(quick_end(curves, route_length))
    best = (base, None)

    def room(i, s):
        cv = curves[i]
        lo = max(origin[i] - max_shift, curves[i - 1].start + curves[i - 1].length if i > 0 else 0)
        hi = min(origin[i] + max_shift, curves[i + 1].start - cv.length if i + 1 < len(curves) else origin[i])
        return lo <= s <= hi

    for a_n, a in enumerate(movable):
        for b in movable[a_n + 1:]:
            sa, sb = curves[a].start, curves[b].start
            for da in range(-reach, reach + 1):
                if da == 0 or not room(a, sa + da):
                    continue
                curves[a].start = sa + da
                for db in range(-reach, reach + 1):
                    if db == 0 or not room(b, sb + db):
                        continue
                    curves[b].start = sb + db
                    err = error_of(quick_end(curves, route_length))
                    if err < best[0] - 1e-12:
                        best = (err, (a, sa + da, b, sb + db))
                curves[b].start = sb
            curves[a].start = sa
    if best[1] is None:
        return False
    a, sa, b, sb = best[1]
    curves[a].start, curves[b].start = sa, sb
    return True


def report(curves, route_length):
    last, (x, y), kept = build_track(curves, route_length, keep=(1350, 1351, 1500))
    print("last built metre %d: x = %.6f, y = %.6f" % (last, x, y))
    print("target            : x = %.1f, y = %.1f (tolerance %.2f m)" % (TARGET[0], TARGET[1], TOLERANCE))
    for m in sorted(kept):
        print("metre %d: (%.6f, %.6f)" % (m, kept[m][0], kept[m][1]))
    ok = abs(x - TARGET[0]) <= TOLERANCE and abs(y - TARGET[1]) <= TOLERANCE
    print("end point " + ("within tolerance" if ok else "OUT OF TOLERANCE"))
    return ok


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("line", nargs="?", default=str(DEFAULT_LINE))
    ap.add_argument("--fit", action="store_true", help="search lengths and starts towards the target")
    ap.add_argument("--starts-only", action="store_true", help="with --fit: keep the lengths, shift starts only")
    ap.add_argument("--write", action="store_true", help="with --fit: rewrite the curve rows in place")
    ap.add_argument("--seed", type=int, default=1)
    args = ap.parse_args(argv)

    lines, route_length, curves = read_line(args.line)
    print("%d curves read" % len(curves))
    start_err = error_of(quick_end(curves, route_length))
    if args.fit and start_err <= TOLERANCE / 2:
        print("already within tolerance: nothing to fit")
    elif args.fit:
        # the first and last curves are quoted figures of the line and stay as they are
        frozen = {curves[0].start, curves[-1].start}
        frozen |= {cv.start for cv in curves if cv.length in (50, 1750)}
        if not args.starts_only:
            e = fit_lengths(curves, route_length, frozen)
            print("after lengths: (%.3f, %.3f)" % (e.real, e.imag))
        err = fit_starts(curves, route_length, frozen, seed=args.seed)
        print("after starts : %.4f m from the target" % err)
        problems = layout_problems(curves, route_length)
        for p in problems:
            print("layout: " + p)
        if args.write and not problems:
            for cv in curves:
                lines[cv.line_index] = cv.row()
            Path(args.line).write_text("\n".join(lines) + "\n", encoding="latin-1")
            print("curve rows written to %s" % args.line)
    ok = report(curves, route_length)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
