"""The bench's figures: one mode's pairs summed up, and the table of the
runs one after another, with what each figure can vouch for."""
import math
import statistics

LEVEL = 0.95  # how sure a figure's side of the goal must be


def median_interval(ratios, level=LEVEL):
    """The distribution-free interval that holds the true median of the
    pairs' ratios with at least `level`: the k-th lowest and the k-th
    highest ratio, k as large as the binomial tails allow. None when there
    are too few pairs for any such interval."""
    n, ordered = len(ratios), sorted(ratios)
    k, tail = 0, 0.0
    while k < n // 2:
        tail += math.comb(n, k) / 2 ** n  # the chance that fewer than k + 1 lie below
        if 2 * tail > 1 - level:
            break
        k += 1
    return (ordered[k - 1], ordered[n - k]) if k else None


class Figure:
    """One mode in one run: the medians and the per-pair ratios."""

    def __init__(self, mode, results, repeated):
        self.mode, self.repeated = mode, repeated
        ratios = [program / base for program, base in results]
        self.program_ms = statistics.median(r[0] for r in results) * 1000
        self.floor_ms = statistics.median(r[1] for r in results) * 1000
        self.ratio = statistics.median(ratios)
        self.low, self.high = min(ratios), max(ratios)
        self.interval = median_interval(ratios)

    @property
    def steady(self):
        """Whether the pairs tell the goal's side: the median's interval
        lies wholly on one side. One slow pair (the machine's worst moment)
        moves the interval little, a wide scatter much."""
        if self.interval is None:
            return False
        low, high = self.interval
        return high <= self.mode.goal or low > self.mode.goal

    def interval_words(self):
        return "%.3f .. %.3f" % self.interval if self.interval else "(too few pairs)"

    def verdict(self):
        if not self.steady:
            return "too unsteady"
        return "goal met" if self.ratio <= self.mode.goal else "goal missed"

    def line(self):
        mode = self.mode
        return ("%-22s %7.1f ms  %-22s %7.1f ms  ratio %.3f  [%.3f .. %.3f]  median within %s"
                "  %s (<= %.2f)%s"
                % (mode.name, self.program_ms, mode.floor, self.floor_ms, self.ratio, self.low,
                   self.high, self.interval_words(), self.verdict(), mode.goal,
                   "  (%d pairs measured again)" % self.repeated if self.repeated else ""))


def across_runs(figures):
    """A mode's verdict over its runs: a result only when every run was
    steady and the runs' medians spread no wider than their margin to the
    goal (so that another run would not land on the goal's other side)."""
    goal = figures[0].mode.goal
    medians = [figure.ratio for figure in figures]
    if not all(figure.steady for figure in figures):
        return False, ("not a result: in a run the median's %d%% interval reaches over the goal"
                       % round(LEVEL * 100))
    middle = statistics.median(medians)
    spread, margin = max(medians) - min(medians), abs(goal - middle)
    if spread > margin:
        return False, ("not a result: the runs spread %.3f, wider than the margin %.3f to the goal"
                       % (spread, margin))
    return True, ("goal met" if middle <= goal else "goal missed") + " (%.3f)" % middle


def table(runs, route_words):
    """Markdown: one row per mode, one column per run; and whether every
    mode's figure is a result."""
    lines = ["Route: %s." % route_words, "",
             "| Mode | Goal | " + " | ".join("Run %d: median [lowest .. highest pair] {median's interval}" % (n + 1)
                                           for n in range(len(runs))) + " | Verdict |",
             "|---|---|" + "---|" * len(runs) + "---|"]
    trusted = True
    for index, first in enumerate(runs[0]):
        figures = [run[index] for run in runs]
        sound, verdict = across_runs(figures)
        trusted &= sound
        cells = ["%.3f [%.3f .. %.3f] {%s}" % (f.ratio, f.low, f.high, f.interval_words())
                 for f in figures]
        lines.append("| %s | <= %.2f | %s | %s |" % (first.mode.name, first.mode.goal,
                                                    " | ".join(cells), verdict))
    return "\n".join(lines), trusted
