"""Order statistics for the benchmark's samples."""
import math


def median(values):
    ordered = sorted(values)
    n = len(ordered)
    middle = n // 2
    return ordered[middle] if n % 2 else (ordered[middle - 1] + ordered[middle]) / 2


def percentile(values, p):
    """Nearest-rank percentile: the smallest sample with at least p % of the
    samples at or below it."""
    ordered = sorted(values)
    rank = max(1, math.ceil(p / 100 * len(ordered)))
    return ordered[rank - 1]


def spread(values, digits=1):
    """'median m (min a, max b, n=k)' for a line of the report."""
    f = f".{digits}f"
    return (f"median {median(values):{f}} (min {min(values):{f}}, max {max(values):{f}}, "
            f"n={len(values)})")
