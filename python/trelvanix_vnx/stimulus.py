"""The stimulus section of a .vnx header: the recorded stimulus kind and its settings.

The values are kept as stored (int32, most of them rounded up to whole numbers) and are also
given by name, under the program's own setting names, so a stimulus can be rebuilt from them:
`Stimulus.waveform()` rebuilds the kinds the header determines (pulse and ramp trains) exactly
as the program assembles them and as `vnxinfo --stimulus` gives them.
"""

import math
from dataclasses import dataclass, field

import numpy as np

from .errors import VnxStimulusError

KIND_NAMES = {0: "pulse train", 1: "ramp train", 2: "cell waveform", 3: "frequency sweep",
              4: "Poisson train", 5: "sine", 6: "noise"}

# The values every kind starts with; the pre-time is stored multiplied by 1000.
_COMMON = ["Waveform", "Conversion", "Pre_time", "Post_time", "Interburst", "Num_burst",
           "Baseline", "Interbaseline"]


def _pairs(duration, amplitude):
    names = []
    for k in range(5):
        names += [f"{duration}[{k}]", f"{amplitude}[{k}]"]
    return names


# The names of the values after the common ones, by kind (any other kind: nothing more).
_BY_KIND = {
    0: ["Num_repeats"] + _pairs("Pulse_dur", "Pulse_amp"),
    1: ["Num_repeats"] + _pairs("Ramp_dur", "Ramp_amp"),
    2: ["Num_repeats", "WF_amp", "Duration", "Cell_array[1002]", "Cell_array[1001]",
        "Cell_array[1003]"],
    3: ["Num_repeats", "WF_amp", "Duration"],
    4: ["WF_amp", "Duration", "Frequency", "Dur"],
    5: ["Num_repeats", "WF_amp", "Duration"],
}


# A rebuild is refused beyond this many values (9.3 hours at one value per millisecond).
MAX_REBUILT_VALUES = 1 << 25

# Why a kind cannot be rebuilt from its section (kinds absent here can).
_UNDETERMINED = {
    2: "a cell-waveform stimulus cannot be rebuilt exactly: the header keeps the waveform only "
       "to 16 bits and holds neither its phase request nor a second waveform file played "
       "before it",
    3: "a frequency-sweep stimulus cannot be rebuilt: the header holds neither its start and "
       "end frequencies, lead cycles, sweep law and direction, phase nor oscillation shape",
    4: "a Poisson-train stimulus cannot be rebuilt: its pulse times were drawn at random when "
       "it was played and the header does not hold them",
    5: "a sine stimulus cannot be rebuilt: the header holds neither its phase, its duty cycle "
       "nor its duty-cycle sweep and centring",
    6: "a noise stimulus cannot be rebuilt: its values were drawn at random when it was played "
       "and the header holds neither them nor the noise's kind, size and seed",
}


def value_names(kind):
    """The names of the int32 values the section holds for a stimulus kind, in order."""
    return _COMMON + _BY_KIND.get(kind, ["Num_repeats"])


@dataclass
class Stimulus:
    kind: int
    values: list  # the section's int32 values as stored, the kind first
    # Kind 2 only: the cell waveform in counts (volts x 6553.6), as stored.
    cell_waveform: np.ndarray = field(default_factory=lambda: np.zeros(0, dtype=np.int16))

    @property
    def kind_name(self):
        return KIND_NAMES.get(self.kind, "unknown")

    @property
    def parameters(self):
        """The values by setting name. Pre_time is given in its own unit (the stored value
        / 1000); every other value is as stored."""
        named = dict(zip(value_names(self.kind), self.values))
        named["Pre_time"] = named["Pre_time"] / 1000.0
        return named

    def as_dict(self):
        """Everything the section holds, as plain values (e.g. for annotations)."""
        return {"kind": self.kind, "kind_name": self.kind_name, "values": list(self.values),
                "parameters": self.parameters, "cell_waveform": self.cell_waveform.copy()}

    def waveform(self):
        """The stimulus rebuilt from the header as the program assembled it: (times in s,
        values in the stimulus unit, volts = values / Conversion), one value per millisecond.
        Pulse and ramp trains, and no stimulus (pre-time and post-time of zeros); any other kind
        raises VnxStimulusError with what the header lacks. The header stores the settings
        rounded up to whole numbers, so fractional settings are rebuilt rounded."""
        if self.kind not in (-1, 0, 1):
            raise VnxStimulusError(_UNDETERMINED.get(self.kind,
                                                     f"unknown stimulus kind {self.kind}"))
        p = dict(zip(value_names(self.kind), self.values))
        _check(self.kind, p)
        values = _assemble(self.kind, p)
        times = np.arange(values.size, dtype=np.float64) * 1.0 / 1000.0
        return times, values, values / float(p["Conversion"])


def _malformed(text):
    return VnxStimulusError("malformed stimulus section: " + text)


def _steps(kind, p):
    """The (duration, amplitude) pairs of a pulse or ramp train."""
    name = "Pulse" if kind == 0 else "Ramp"
    return [(p[f"{name}_dur[{k}]"], p[f"{name}_amp[{k}]"]) for k in range(5)]


def _length(kind, p):
    """The stimulus length in ms without pre-time and post-time, as the program states it."""
    if kind not in (0, 1):
        return 0.0
    durations = [float(d) for d, _ in _steps(kind, p)]
    repeated = 3 if kind == 0 else 5
    shape = sum(durations[:repeated]) * p["Num_repeats"] + sum(durations[repeated:])
    return (shape + p["Interburst"]) * p["Num_burst"]


def _check(kind, p):
    """Refuses the settings vnxinfo refuses, in the same order and words."""
    pre = p["Pre_time"]
    if pre < 0 or pre % 1000 != 0:
        raise _malformed(f"a pre-time value of {pre} (ms x 1000)")
    if p["Post_time"] < 0:
        raise _malformed(f"a post-time of {p['Post_time']} ms")
    if kind in (0, 1):
        if p["Num_burst"] < 1 or p["Num_repeats"] < 1:
            raise _malformed(f"{p['Num_burst']} bursts of {p['Num_repeats']} repeats")
        if p["Interburst"] < 0 or any(d < 0 for d, _ in _steps(kind, p)):
            raise _malformed("a negative duration or gap")
    if p["Conversion"] <= 0:
        raise _malformed(f"a conversion of {p['Conversion']} units per volt")
    count = pre // 1000 + _length(kind, p) + p["Post_time"]
    if count > MAX_REBUILT_VALUES:
        raise VnxStimulusError(f"the stimulus would be {count:.0f} values long, more than the "
                               f"{MAX_REBUILT_VALUES} rebuilt at most")


def _ramp(n, first, last):
    """n values from first to last inclusive, as the program's ramp generator gives them."""
    if n == 1:
        return np.array([first])
    step = (last - first) / (n - 1)
    return np.append(first + np.arange(n - 1) * step, last)


def _assemble(kind, p):
    """Pre-time, the bursts of steps or segments each followed by its gap, post-time."""
    pre, post = p["Pre_time"] // 1000, p["Post_time"]
    baseline, gap = float(p["Baseline"]), p["Interburst"]
    count = math.ceil(pre + _length(kind, p) + post)
    values = np.zeros(count, dtype=np.float64)
    at = pre
    for _burst in range(p["Num_burst"] if kind in (0, 1) else 0):
        for _ in range(p["Num_repeats"]):
            level = 0.0
            for k, (n, amplitude) in enumerate(_steps(kind, p)):
                if n <= 0 or (kind == 0 and k >= 3):
                    continue
                if kind == 0:
                    values[at:at + n] = amplitude + baseline
                else:
                    values[at:at + n] = _ramp(n, level, float(amplitude)) + baseline
                    level = float(amplitude)
                at += n
        if kind == 0:  # steps 4 and 5 once per burst, after the repeats
            for n, amplitude in _steps(kind, p)[3:]:
                if n > 0:
                    values[at:at + n] = amplitude + baseline
                    at += n
        values[at:at + gap] = p["Interbaseline"]
        at += gap
    return values
