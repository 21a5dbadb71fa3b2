"""The bench's verdicts: the median's interval holds what it claims, and
tells a goal's side past one slow pair, not past a scatter."""
import math
import unittest
from types import SimpleNamespace

from figures import LEVEL, Figure, median_interval


class Verdicts(unittest.TestCase):
    def test_the_interval_holds_the_median_at_the_level_and_is_as_narrow_as_it_can(self):
        outside = lambda n, k: 2 * sum(math.comb(n, i) for i in range(k)) / 2 ** n
        for n in range(6, 42):
            low, high = median_interval(list(range(n)))
            with self.subTest(pairs=n):
                self.assertEqual((high, outside(n, low + 1) <= 1 - LEVEL), (n - low - 1, True))
                if low + 1 < n // 2:
                    self.assertGreater(outside(n, low + 2), 1 - LEVEL)

    def test_a_side_is_told_past_one_slow_pair_not_past_a_scatter(self):
        cases = (([1.00] * 10 + [1.30], True), ([0.90, 1.20] * 5 + [1.0], False),
                 ([1.20] * 10 + [0.90], True), ([1.0] * 5, False))
        for ratios, steady in cases:
            figure = Figure(SimpleNamespace(goal=1.10), [(r, 1.0) for r in ratios], 0)
            self.assertEqual(figure.steady, steady, ratios)


if __name__ == "__main__":
    unittest.main()
