"""The measurements of Trelvanix's Results window, computed from a .vnx file with the same
definitions, so that an analysis script gets the numbers the window showed.

    import trelvanix_vnx
    f = trelvanix_vnx.read("2026_01_01_12_00_00.vnx")
    trelvanix_vnx.measure(f, 0, "mean", (450, 500), baseline=(0, 90))

Definitions. x[i] are the channel's samples (16-bit counts), scan i of the file counted from 0,
recorded at r scans per second.

- u(c), the channel's unit: c / (6553.6 x board gain), divided by the scale factor (left out
  when it is 0), as the file's header gives them (VnxFile.channel() converts the same way).
- index(t), the scan at t ms from the file's start: floor(t x r / 1000 + 0.5).
- A region (start, end) in ms covers the scans index(start) <= i < index(end). It must hold at
  least one scan (two for slope and spike count) and lie within the file: a region that would
  reach past the last scan raises MeasurementError, it is never shortened.
- b, the baseline: the mean of x over the baseline region (the exact sum of the counts divided
  by their number); 0 without a baseline region. The baseline region ends at or before the
  measurement region's start.

Kinds (values in the channel's unit unless said otherwise):

- "mean": u(sum(x) / n - b)
- "minimum", "maximum": the smallest, the largest u(x[i] - b)
- "peak": u(x[k] - b) at the first k with the largest |x[k] - b| (signed)
- "peak-to-peak": |u(max x - min x)| (the baseline cancels)
- "time-of-peak": 1000 x k / r, k as for "peak", in ms from the file's start
- "slope": least squares of u(x[i]) on i / r, in unit/s: the slope in counts per scan from exact
  integer sums, (n sum(i x) - sum(i) sum(x)) / (n sum(i^2) - sum(i)^2), each converted to a
  float once, then u(...) x r (a baseline does not change a slope)
- "spike-count": the scans i of the region after its first with u(x[i-1] - b) < threshold <=
  u(x[i] - b), upward crossings of the threshold (in the unit, above the baseline when there
  is one)

Every step is the same floating-point operation the program does, so the numbers agree with
the window's to the last bit.
"""

import math

import numpy as np

KINDS = ("mean", "minimum", "maximum", "peak", "peak-to-peak", "time-of-peak", "slope",
         "spike-count")

_CHUNK = 1 << 20  # scans summed at once for the slope (int64 cannot overflow within one)


class MeasurementError(ValueError):
    """A measurement that cannot be made in this file (its region lies outside the file or
    holds too few scans, or the definition is not one of the documented ones)."""


def scan_at(ms, rate):
    """index(t): the scan at `ms` from the file's start."""
    return math.floor(ms * rate / 1000.0 + 0.5)


def _region_scans(f, what, region, needed):
    start, end = float(region[0]), float(region[1])
    if not (math.isfinite(start) and math.isfinite(end)) or start < 0 or end <= start:
        raise MeasurementError(f"the {what} ({start:g} to {end:g} ms) is not a region of the file")
    first, stop = scan_at(start, f.rate), scan_at(end, f.rate)
    if first < 0 or stop > f.header.scans:
        raise MeasurementError(
            f"the {what} ({start:g} to {end:g} ms) reaches outside {f.path}, which holds "
            f"{1000.0 * f.header.scans / f.rate:g} ms")
    if stop - first < needed:
        raise MeasurementError(f"the {what} ({start:g} to {end:g} ms) holds {max(stop - first, 0)}"
                               f" scan(s); it needs {needed}")
    return first, stop


def _slope_counts(x):
    """The least-squares slope of x in counts per scan, from exact integer sums."""
    n = len(x)
    sum_x = sum_ix = 0
    for start in range(0, n, _CHUNK):
        part = np.asarray(x[start:start + _CHUNK], dtype=np.int64)
        part_sum = int(part.sum())
        sum_x += part_sum
        sum_ix += start * part_sum + int(np.arange(len(part), dtype=np.int64) @ part)
    sum_i = n * (n - 1) // 2
    sum_ii = (n - 1) * n * (2 * n - 1) // 6
    return float(n * sum_ix - sum_i * sum_x) / float(n * sum_ii - sum_i * sum_i)


def measure(f, channel, kind, region, baseline=None, threshold=0.0):
    """One measurement of channel `channel` (its position in the file) of the VnxFile `f`:
    `kind` one of KINDS, `region` and `baseline` (start, end) pairs in ms from the file's
    start. Returns a float (an int for "spike-count"); raises MeasurementError."""
    if kind not in KINDS:
        raise MeasurementError(f"unknown kind {kind!r}: one of {', '.join(KINDS)}")
    if not 0 <= channel < f.header.channel_count:
        raise MeasurementError(f"{f.path} has no channel {channel}")
    needed = 2 if kind in ("slope", "spike-count") else 1
    first, stop = _region_scans(f, "measurement region", region, needed)
    b = 0.0
    if baseline is not None:
        if float(baseline[1]) > float(region[0]):
            raise MeasurementError("the baseline region must end before the measurement region "
                                   "starts")
        b_first, b_stop = _region_scans(f, "baseline region", baseline, 1)
        counts = np.asarray(f.samples[b_first:b_stop, channel], dtype=np.int64)
        b = float(int(counts.sum())) / float(b_stop - b_first)
    u = f.channels[channel].to_unit
    x = np.asarray(f.samples[first:stop, channel])
    if kind == "mean":
        return float(u(float(int(x.sum(dtype=np.int64))) / float(stop - first) - b))
    if kind in ("minimum", "maximum"):
        low, high = float(u(float(x.min()) - b)), float(u(float(x.max()) - b))
        return min(low, high) if kind == "minimum" else max(low, high)
    if kind == "peak-to-peak":
        return abs(float(u(float(int(x.max()) - int(x.min())))))
    if kind == "slope":
        return float(u(_slope_counts(x))) * f.rate
    if kind in ("peak", "time-of-peak"):
        k = int(np.argmax(np.abs(x.astype(np.float64) - b)))
        if kind == "peak":
            return float(u(float(x[k]) - b))
        return 1000.0 * float(first + k) / f.rate
    values = u(x.astype(np.float64) - b)
    return int(np.count_nonzero((values[:-1] < threshold) & (threshold <= values[1:])))
