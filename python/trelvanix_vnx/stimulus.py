"""The stimulus section of a .vnx header: the recorded stimulus kind and its settings.

The values are kept as stored (int32, most of them rounded up to whole numbers) and are also
given by name, under the program's own setting names, so a stimulus can be rebuilt from them.
"""

from dataclasses import dataclass, field

import numpy as np

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
