"""Medians and 99th percentiles of samples, in the unit they were given."""

import math
import statistics


def percentile(samples, fraction):
    """Nearest-rank percentile (fraction 0..1); None for no samples."""
    if not samples:
        return None
    ordered = sorted(samples)
    rank = max(1, math.ceil(fraction * len(ordered)))
    return ordered[rank - 1]


def summary(samples):
    """(count, median, p99) of the samples."""
    if not samples:
        return 0, None, None
    return len(samples), statistics.median(samples), percentile(samples, 0.99)


def intervals(times):
    """Gaps between consecutive time stamps."""
    return [b - a for a, b in zip(times, times[1:])]
