"""Statistics of repeated runs: best-so-far curves, per-configuration summaries
and the rank test between configurations. Pure computation, no files."""

from __future__ import annotations

import math
from dataclasses import dataclass
from typing import Optional, Sequence


@dataclass
class Description:
    """Mean, spread and a 95 % Student-t interval of the mean of some values.
    With fewer than two values the spread and the interval are None."""

    count: int
    mean: Optional[float]
    sd: Optional[float]
    median: Optional[float]
    minimum: Optional[float]
    maximum: Optional[float]
    ci_low: Optional[float]
    ci_high: Optional[float]


def describe(values: Sequence[float]) -> Description:
    import numpy
    from scipy import stats

    n = len(values)
    if n == 0:
        return Description(0, None, None, None, None, None, None, None)
    data = numpy.asarray(values, dtype=float)
    mean = float(data.mean())
    median = float(numpy.median(data))
    if n == 1:
        return Description(1, mean, None, median, mean, mean, None, None)
    sd = float(data.std(ddof=1))
    half = float(stats.t.ppf(0.975, n - 1)) * sd / math.sqrt(n)
    return Description(n, mean, sd, median, float(data.min()), float(data.max()),
                       mean - half, mean + half)


def best_so_far(values: Sequence[float], higher_is_better: bool = True) -> list[float]:
    """The running best of a per-generation series."""
    result: list[float] = []
    for value in values:
        if result and not (value > result[-1] if higher_is_better else value < result[-1]):
            value = result[-1]
        result.append(value)
    return result


def last_improvement(maxima: Sequence[float]) -> int:
    """The last generation at which the best-so-far fitness rose (0 if it never did)."""
    last = 0
    best = maxima[0]
    for generation, value in enumerate(maxima):
        if value > best:
            best = value
            last = generation
    return last


@dataclass
class RankTest:
    u: float
    p: float


def mann_whitney(first: Sequence[float], second: Sequence[float]) -> Optional[RankTest]:
    """Two-sided Mann-Whitney U test; None when a side holds no value."""
    from scipy import stats

    if not first or not second:
        return None
    result = stats.mannwhitneyu(first, second, alternative="two-sided")
    return RankTest(float(result.statistic), float(result.pvalue))
