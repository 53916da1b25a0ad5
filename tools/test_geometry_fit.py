"""Tests of the plan-geometry aid (run: python3 -m unittest discover tools)."""

import unittest

import geometry_fit as gf


def curve(side, cls, start, length):
    return gf.Curve(0, side, str(cls), start, length)


class TrackBuilding(unittest.TestCase):
    def test_first_curve_of_the_line(self):
        _, _, kept = gf.build_track([curve("s", 1, 1350, 150)], 218000, keep=(1350, 1351, 1500))
        self.assertEqual(kept[1350], (0.0, 1350.0))
        self.assertAlmostEqual(kept[1351][0], -0.0001, places=12)
        self.assertEqual(kept[1351][1], 1351.0)
        self.assertAlmostEqual(kept[1500][0], -1.13248, places=5)
        self.assertAlmostEqual(kept[1500][1], 1499.99438, places=5)

    def test_straight_line_without_curves(self):
        last, end, _ = gf.build_track([], 218000)
        self.assertEqual(last, 224998)
        self.assertEqual(end, (0.0, 224998.0))

    def test_closed_form_agrees_with_the_builder(self):
        curves = [curve("s", 1, 1350, 150), curve("d", 4, 1500, 300), curve("d", 6, 5000, 200),
                  curve("s", 3, 9000, 1750)]
        _, (x, y), _ = gf.build_track(curves, 218000)
        q = gf.quick_end(curves, 218000)
        self.assertAlmostEqual(q.real, x, places=5)
        self.assertAlmostEqual(q.imag, y, places=5)

    def test_curve_that_starts_where_the_previous_ends(self):
        # a curve starting at the end of the previous one gets no straight step in between
        a = [curve("d", 4, 1000, 100), curve("d", 4, 1100, 100)]
        b = [curve("d", 4, 1000, 200)]
        self.assertEqual(gf.build_track(a, 10000)[1], gf.build_track(b, 10000)[1])

    def test_embedded_line_ends_on_target(self):
        _, length, curves = gf.read_line(gf.DEFAULT_LINE)
        last, (x, y), _ = gf.build_track(curves, length)
        self.assertEqual(last, 224998)
        self.assertLessEqual(abs(x - gf.TARGET[0]), gf.TOLERANCE)
        self.assertLessEqual(abs(y - gf.TARGET[1]), gf.TOLERANCE)
        self.assertEqual(gf.layout_problems(curves, length), [])

    def test_layout_problems_are_found(self):
        bad = [curve("d", 3, 1000, 500), curve("s", 3, 1400, 40)]
        problems = gf.layout_problems(bad, 218000)
        self.assertEqual(len(problems), 2)


class Search(unittest.TestCase):
    def test_fit_reaches_a_reachable_target(self):
        # a layout whose end point is moved off by lengthening two curves must be brought back
        good = [curve("s", 1, 1350, 150), curve("d", 3, 20000, 600), curve("s", 4, 60000, 300),
                curve("d", 4, 90000, 250), curve("s", 3, 130000, 800), curve("d", 2, 170000, 900),
                curve("d", 6, 212250, 200)]
        target = gf.quick_end(good, 218000)
        saved = gf.TARGET
        gf.TARGET = (target.real, target.imag)
        try:
            moved = [curve(c.side, c.cls, c.start, c.length) for c in good]
            moved[1].length += 40
            moved[4].length -= 30
            frozen = {moved[0].start, moved[-1].start}
            gf.fit_lengths(moved, 218000, frozen)
            err = gf.fit_starts(moved, 218000, frozen)
        finally:
            gf.TARGET = saved
        self.assertLess(err, gf.TOLERANCE)
        self.assertEqual(gf.layout_problems(moved, 218000), [])
        self.assertEqual((moved[0].start, moved[0].length), (1350, 150))
