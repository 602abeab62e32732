"""Neo readers for .vnx files: VnxRawIO (neo.rawio) and VnxIO (neo.io), giving one Block with
one Segment whose AnalogSignals are the file's channels in their user units."""

import logging

import numpy as np
import quantities as pq
from neo.io.basefromrawio import BaseFromRaw
from neo.core import AnalogSignal, Block, Segment
from neo.rawio.baserawio import (BaseRawIO, _event_channel_dtype, _signal_channel_dtype,
                                 _signal_stream_dtype, _spike_channel_dtype)

from .header import COUNTS_PER_VOLT
from .recording import read

logger = logging.getLogger(__name__)


# The prefixes the units panel offers, for units quantities lacks (cV, MV, GV ...).
_PREFIXES = {"p": 1e-12, "n": 1e-9, "u": 1e-6, "m": 1e-3, "c": 1e-2, "k": 1e3, "M": 1e6,
             "G": 1e9}


def _known(unit):
    try:
        pq.Quantity(1, unit)
        return True
    except (LookupError, ValueError, SyntaxError, TypeError):
        return False


def neo_units(unit):
    """The unit as Neo gives it to quantities: the unit itself when quantities knows it; a
    prefixed unit quantities lacks ("MV") is defined from its base; anything else is ""
    (dimensionless, with a warning; the recorded unit stays in the annotation "unit")."""
    if not unit or _known(unit):
        return unit
    prefix, base = unit[0], unit[1:]
    if prefix in _PREFIXES and base and _known(base):
        pq.UnitQuantity(unit, _PREFIXES[prefix] * pq.Quantity(1, base), symbol=unit)
        return unit
    logger.warning('Unit "%s" is not known to quantities; the signal is dimensionless, its '
                   'recorded unit is in the annotation "unit"', unit)
    return ""


def _gain(channel):
    """Unit per count: what userValue divides by, as the factor Neo multiplies by."""
    gain = 1.0 / (COUNTS_PER_VOLT * channel.board_gain)
    return gain / channel.scale_factor if channel.scale_factor != 0.0 else gain


class VnxRawIO(BaseRawIO):
    """Trelvanix .vnx data files: one block, one segment, one stream of int16 signals."""

    extensions = ["vnx"]
    rawmode = "one-file"

    def __init__(self, filename=""):
        BaseRawIO.__init__(self)
        self.filename = str(filename)

    def _source_name(self):
        return self.filename

    def _parse_header(self):
        self._file = read(self.filename)
        h = self._file.header
        signal_channels = []
        for c in h.channels:
            name = c.label or f"channel {c.index}"
            signal_channels.append((name, str(c.index), float(h.rate), "int16",
                                    neo_units(c.unit), _gain(c), 0.0, "0"))
        self.header = {
            "nb_block": 1,
            "nb_segment": [1],
            "signal_streams": np.array([("Signals", "0")], dtype=_signal_stream_dtype),
            "signal_channels": np.array(signal_channels, dtype=_signal_channel_dtype),
            "spike_channels": np.array([], dtype=_spike_channel_dtype),
            "event_channels": np.array([], dtype=_event_channel_dtype),
        }
        self._generate_minimal_annotations()
        self._annotate(h)

    def _annotate(self, h):
        recording = {"rec_datetime": h.date, "description": h.comment, "version": h.version,
                     "declared_samples": h.declared_samples,
                     "stimulus": h.stimulus.as_dict() if h.stimulus else None}
        block = self.raw_annotations["blocks"][0]
        block.update(recording)
        segment = block["segments"][0]
        segment.update(recording)
        per_channel = segment["signals"][0]["__array_annotations__"]
        per_channel["label"] = np.array([c.label for c in h.channels])
        per_channel["unit"] = np.array([c.unit for c in h.channels])
        per_channel["board_gain"] = np.array([c.board_gain for c in h.channels])
        per_channel["scale_factor"] = np.array([c.scale_factor for c in h.channels])
        per_channel["filter_type"] = np.array([c.filter.type for c in h.channels])
        per_channel["low_cutoff_hz"] = np.array([c.filter.low_hz for c in h.channels])
        per_channel["high_cutoff_hz"] = np.array([c.filter.high_hz for c in h.channels])
        per_channel["window_type"] = np.array([c.filter.window_type for c in h.channels])
        per_channel["window_size"] = np.array([c.filter.window_size for c in h.channels])

    def _segment_t_start(self, block_index, seg_index):
        return 0.0

    def _segment_t_stop(self, block_index, seg_index):
        return self._file.header.duration

    def _get_signal_size(self, block_index, seg_index, stream_index):
        assert stream_index == 0
        return self._file.header.scans

    def _get_signal_t_start(self, block_index, seg_index, stream_index):
        assert stream_index == 0
        return 0.0

    def _get_analogsignal_chunk(self, block_index, seg_index, i_start, i_stop, stream_index,
                                channel_indexes):
        assert stream_index == 0
        if channel_indexes is None:
            channel_indexes = slice(None)
        return self._file.samples[slice(i_start, i_stop), channel_indexes]


class VnxIO(VnxRawIO, BaseFromRaw):
    """Reads a Trelvanix .vnx file into a neo Block: one Segment, one AnalogSignal per channel
    (named by its label) in the channel's user unit, the comment as the description and the
    stimulus section as the annotation "stimulus" (None when no stimulus was recorded)."""

    name = "Trelvanix VNX"
    description = "Trelvanix recorded data file"
    _prefered_signal_group_mode = "split-all"
    is_readable = True
    is_writable = False
    supported_objects = [Block, Segment, AnalogSignal]
    readable_objects = [Block, Segment]
    writeable_objects = []

    def __init__(self, filename):
        VnxRawIO.__init__(self, filename=filename)
        BaseFromRaw.__init__(self, str(filename))
