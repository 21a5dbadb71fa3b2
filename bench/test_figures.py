"""The bench's verdicts: the median's interval holds what it claims, and
tells a goal's side from a few pairs' scatter."""
import math
import unittest
from types import SimpleNamespace

from figures import LEVEL, Figure, median_interval


def outside_chance(n, k):
    """The exact chance that the median of n lies outside the k-th lowest
    to the k-th highest of them."""
    return 2 * sum(math.comb(n, i) for i in range(k)) / 2 ** n


class MedianInterval(unittest.TestCase):
    def test_holds_the_median_at_the_level_and_is_as_narrow_as_it_can(self):
        for n in range(6, 42):
            low, high = median_interval(list(range(n)))
            k = low + 1
            with self.subTest(pairs=n):
                self.assertEqual(high, n - k)
                self.assertLessEqual(outside_chance(n, k), 1 - LEVEL)
                if k < n // 2:
                    self.assertGreater(outside_chance(n, k + 1), 1 - LEVEL)

    def test_tells_the_goals_side_past_one_slow_pair_not_past_a_scatter(self):
        mode = SimpleNamespace(goal=1.10)
        cases = (([1.00] * 10 + [1.30], True), ([0.90, 1.20] * 5 + [1.0], False),
                 ([1.20] * 10 + [0.90], True), ([1.0] * 5, False))
        for ratios, steady in cases:
            with self.subTest(ratios=ratios):
                figure = Figure(mode, [(ratio, 1.0) for ratio in ratios], 0)
                self.assertEqual(figure.steady, steady)


if __name__ == "__main__":
    unittest.main()
