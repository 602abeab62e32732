"""Reading Trelvanix .vnx data files.

    import trelvanix_vnx
    f = trelvanix_vnx.read("2026_01_01_12_00_00.vnx")
    f.header.rate, f.header.units, f.samples.shape, f.channel(0)
    times, values, volts = f.stimulus_waveform()  # the recorded stimulus, rebuilt
    trelvanix_vnx.measure(f, 0, "mean", (450, 500), baseline=(0, 90))  # as the Results window

The reader needs only numpy; VnxRawIO and VnxIO (for neo) are loaded on first use and need
neo and quantities.
"""

from .errors import VnxDataWarning, VnxFormatError, VnxStimulusError
from .header import Channel, Filter, VnxHeader, read_header
from .measurements import KINDS, MeasurementError, measure
from .recording import VnxFile, read
from .stimulus import Stimulus

__all__ = ["read", "read_header", "VnxFile", "VnxHeader", "Channel", "Filter", "Stimulus",
           "VnxFormatError", "VnxDataWarning", "VnxStimulusError", "VnxRawIO", "VnxIO",
           "measure", "KINDS", "MeasurementError"]


def __getattr__(name):
    if name in ("VnxRawIO", "VnxIO"):
        from . import neo_io
        return getattr(neo_io, name)
    raise AttributeError(f"module {__name__!r} has no attribute {name!r}")
