#!/usr/bin/env python3
"""Writes the example waveform files in resources/waveforms/ (standard library only).

A waveform file ("*.wfm") is text, one number per line: 1000 samples of one period of the
shape, then six header values:

    1000  period in ms (the cell sub-panel's "Period (ms)")
    1001  maximum of the shape
    1002  minimum of the shape
    1003  DC level (here the mean of the shape)
    1004  amplitude the shape is scaled by; 0 when the file sets none (the panel then uses 10)
    1005  an extra value, only shown (here the time of one sample in ms)

The played value is baseline + amplitude x shape, stretched over the period.

Run from the repository's root:  python3 scripts/make_waveforms.py
"""

import math
import os

SAMPLES = 1000
OUT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "waveforms")


def action_potential():
    """A spike 3 ms wide on a 100 ms period: rest 0, peak 1, an after-hyperpolarisation to -0.2."""
    period_ms = 100.0
    shape = []
    for i in range(SAMPLES):
        t = i * period_ms / SAMPLES - 10.0  # the spike starts 10 ms into the period
        if t < 0.0:
            v = 0.0
        elif t < 1.0:  # upstroke
            v = math.sin(0.5 * math.pi * t)
        elif t < 3.0:  # repolarisation down to the undershoot
            v = 1.0 - 1.2 * (t - 1.0) / 2.0
        else:  # the undershoot recovers with a 15 ms time constant
            v = -0.2 * math.exp(-(t - 3.0) / 15.0)
        shape.append(v)
    return period_ms, shape, 100.0


def synaptic_current():
    """An inward synaptic current: rise 0.5 ms, decay 5 ms, peak -1, onset at 5 ms of 50 ms."""
    period_ms, rise, decay = 50.0, 0.5, 5.0
    t_peak = rise * decay / (decay - rise) * math.log(decay / rise)
    norm = math.exp(-t_peak / decay) - math.exp(-t_peak / rise)
    shape = []
    for i in range(SAMPLES):
        t = i * period_ms / SAMPLES - 5.0
        shape.append(0.0 if t < 0.0 else -(math.exp(-t / decay) - math.exp(-t / rise)) / norm)
    return period_ms, shape, 50.0


def square():
    """A square wave of 200 ms: 1 for the first half, 0 for the second; no amplitude set."""
    return 200.0, [1.0 if i < SAMPLES // 2 else 0.0 for i in range(SAMPLES)], 0.0


def chirp():
    """A sine sweeping linearly from 1 Hz to 20 Hz over 2 s."""
    period_ms, f0, f1 = 2000.0, 1.0, 20.0
    seconds = period_ms / 1000.0
    shape = []
    for i in range(SAMPLES):
        t = i * seconds / SAMPLES
        shape.append(math.sin(2.0 * math.pi * (f0 * t + (f1 - f0) * t * t / (2.0 * seconds))))
    return period_ms, shape, 100.0


def write(name, period_ms, shape, amplitude):
    assert len(shape) == SAMPLES
    header = [period_ms, max(shape), min(shape), sum(shape) / SAMPLES, amplitude,
              period_ms / SAMPLES]
    with open(os.path.join(OUT_DIR, name), "w", newline="\n") as f:
        for value in shape + header:
            f.write("%.9g\n" % (0.0 if abs(value) < 1e-12 else value))


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    write("action_potential.wfm", *action_potential())
    write("synaptic_current.wfm", *synaptic_current())
    write("square.wfm", *square())
    write("chirp.wfm", *chirp())


if __name__ == "__main__":
    main()
