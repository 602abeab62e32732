"""The header of a .vnx data file: a fixed table of 56 little-endian int32 words, the comment,
the channel labels, units, scale factors, the optional stimulus section and the filter
section, in whole 1024-byte blocks. Parsing checks every position against the header and the
file's size, so a cut-short or malformed file raises VnxFormatError instead of misreading.
"""

import datetime
import os
from dataclasses import dataclass
from typing import List, Optional

import numpy as np

from .errors import VnxFormatError
from .stimulus import Stimulus, value_names

BLOCK_SIZE = 1024
TABLE_WORDS = 56
TABLE_BYTES = 4 * TABLE_WORDS
MAX_CHANNELS = 8
UNIT_SLOT_BYTES = 3
UNITS_BYTES = MAX_CHANNELS * UNIT_SLOT_BYTES
SCALE_BYTES = 4 * MAX_CHANNELS
FILTER_WORDS_PER_CHANNEL = 5
# Counts per volt of a +-5 V range: 2^16 / 10.
COUNTS_PER_VOLT = 65536.0 / 10.0
# Largest header accepted (64 MiB): anything claiming more is not a .vnx file.
MAX_HEADER_BLOCKS = 65536

# Words of the fixed table.
HEADER_BLOCKS, VERSION, CHANNEL_COUNT, SCAN_RATE, SAMPLE_COUNT = 0, 2, 3, 4, 5
YEAR, MONTH, DAY, HOUR, MINUTE, SECOND = 8, 9, 10, 11, 12, 13
FIRST_GAIN, COMMENT_LENGTH, FIRST_LABEL_LENGTH = 14, 23, 24
UNITS_PRESENT, STIMULUS_PRESENT, FILTERS_PRESENT = 32, 33, 34
UNITS_POSITION, STIMULUS_POSITION, FILTERS_POSITION = 44, 45, 46

# Text is single-byte characters; latin-1 maps every byte to one character and back.
TEXT_ENCODING = "latin-1"


@dataclass
class Filter:
    """A channel's display-filter settings as recorded."""
    type: int
    low_hz: float  # cut-offs are stored as 655360 x Hz: from 3276.8 Hz upward they wrap
    high_hz: float
    window_type: int
    window_size: int


@dataclass
class Channel:
    index: int  # the channel's position in the file
    label: str
    unit: str  # the user unit, e.g. "mV" (empty when none was stored)
    gain_word: int  # the board gain truncated to an integer (0 for the +-10 V range)
    scale_word: int
    filter: Filter

    @property
    def board_gain(self):
        """The board gain: the stored integer, or 0.5 when it is 0 (the +-10 V range, the only
        one whose gain is below 1)."""
        return float(self.gain_word) if self.gain_word > 0 else 0.5

    @property
    def scale_factor(self):
        """Volts per user unit."""
        return self.scale_word / (COUNTS_PER_VOLT * 10000.0)

    def to_unit(self, counts):
        """Counts in the channel's user unit: volts = count / (6553.6 x gain), then divided by
        the scale factor (left out when it is 0)."""
        volts = np.asarray(counts, dtype=np.float64) / (COUNTS_PER_VOLT * self.board_gain)
        return volts / self.scale_factor if self.scale_factor != 0.0 else volts


@dataclass
class VnxHeader:
    path: str
    table: tuple  # the 56 words of the fixed table
    header_blocks: int
    version: int
    rate: int  # samples per second per channel
    declared_samples: int  # word 5: -1 until a timed recording is finalised
    samples: int  # int16 values the file really holds after its header, all channels
    year: int
    month: int
    day: int
    hour: int
    minute: int
    second: int
    comment: str  # each line followed by a line feed
    channels: List[Channel]
    stimulus: Optional[Stimulus]

    @property
    def channel_count(self):
        return len(self.channels)

    @property
    def data_offset(self):
        return self.header_blocks * BLOCK_SIZE

    @property
    def scans(self):
        """Samples per channel; an incomplete last scan is left out."""
        return self.samples // self.channel_count

    @property
    def duration(self):
        """Seconds of recording the file holds."""
        return self.scans / self.rate

    @property
    def truncated(self):
        """The header declares more samples than the file holds."""
        return self.declared_samples >= 0 and self.declared_samples > self.samples

    @property
    def incomplete_scan(self):
        return self.samples % self.channel_count != 0

    @property
    def date(self):
        """The date and time of creation, or None when the stored fields are not a date."""
        try:
            return datetime.datetime(self.year, self.month, self.day, self.hour, self.minute,
                                     self.second)
        except ValueError:
            return None

    @property
    def comment_lines(self):
        lines = self.comment.split("\n")
        return lines[:-1] if lines[-1] == "" else lines

    # Per-channel fields as lists, in channel order.
    @property
    def labels(self):
        return [c.label for c in self.channels]

    @property
    def units(self):
        return [c.unit for c in self.channels]

    @property
    def gains(self):
        return [c.board_gain for c in self.channels]

    @property
    def scale_factors(self):
        return [c.scale_factor for c in self.channels]

    @property
    def filters(self):
        return [c.filter for c in self.channels]


def _in_header(offset, length, header_bytes):
    return offset >= 0 and length >= 0 and offset + length <= header_bytes


def _words(data, offset, count):
    return [int(w) for w in np.frombuffer(data, dtype="<i4", count=count, offset=offset)]


def _parse_stimulus(data, start, end):
    if end - start < 4:
        raise VnxFormatError("malformed header: the stimulus section is empty")
    kind = _words(data, start, 1)[0]
    count = len(value_names(kind))
    rest = end - start - 4 * count
    if rest < 0 or (rest % 2 != 0 if kind == 2 else rest != 0):
        raise VnxFormatError(f"malformed header: the stimulus section of kind {kind} has "
                             f"{end - start} bytes")
    waveform = np.frombuffer(data, dtype="<i2", count=rest // 2, offset=start + 4 * count)
    return Stimulus(kind=kind, values=_words(data, start, count),
                    cell_waveform=waveform.astype(np.int16))


def parse_header(data, file_size, path=""):
    """Parses a header from `data`, the first bytes of a file of `file_size` bytes; `data` must
    cover the whole header (word 0 blocks) when the file is long enough to hold it."""
    if file_size < TABLE_BYTES or len(data) < TABLE_BYTES:
        raise VnxFormatError(f"truncated: {file_size} bytes, too short for the 224-byte "
                             "header table")
    t = _words(data, 0, TABLE_WORDS)
    blocks = t[HEADER_BLOCKS]
    if blocks < 1 or blocks > MAX_HEADER_BLOCKS:
        raise VnxFormatError(f"malformed header: a header of {blocks} blocks (not a .vnx "
                             "file?)")
    header_bytes = blocks * BLOCK_SIZE
    if file_size < header_bytes or len(data) < header_bytes:
        raise VnxFormatError(f"truncated: the header takes {header_bytes} bytes but the file "
                             f"has {file_size}")
    nch, rate = t[CHANNEL_COUNT], t[SCAN_RATE]
    if nch < 1 or nch > MAX_CHANNELS:
        raise VnxFormatError(f"malformed header: {nch} channels")
    if rate <= 0:
        raise VnxFormatError(f"malformed header: a sampling rate of {rate}")

    def text(offset, length):
        return bytes(data[offset:offset + length]).decode(TEXT_ENCODING)

    at = TABLE_BYTES
    comment_length = t[COMMENT_LENGTH]
    if not _in_header(at, comment_length, header_bytes):
        raise VnxFormatError(f"malformed header: a comment of {comment_length} bytes")
    comment = text(at, comment_length)
    at += comment_length
    labels = []
    for i in range(nch):
        length = t[FIRST_LABEL_LENGTH + i]
        if not _in_header(at, length, header_bytes):
            raise VnxFormatError(f"malformed header: a label of {length} bytes")
        labels.append(text(at, length))
        at += length

    units = t[UNITS_POSITION] - 1
    if t[UNITS_PRESENT] != 1 or not _in_header(units, UNITS_BYTES + SCALE_BYTES, header_bytes):
        raise VnxFormatError("malformed header: no units and scale-factor section")
    filters = t[FILTERS_POSITION] - 1
    if t[FILTERS_PRESENT] != 1 or \
            not _in_header(filters, 4 * FILTER_WORDS_PER_CHANNEL * nch, header_bytes):
        raise VnxFormatError(f"malformed header: no filter section for {nch} channels")
    scale_words = _words(data, units + UNITS_BYTES, nch)
    channels = []
    for i in range(nch):
        slot = bytes(data[units + UNIT_SLOT_BYTES * i:units + UNIT_SLOT_BYTES * (i + 1)])
        f = _words(data, filters + 4 * FILTER_WORDS_PER_CHANNEL * i, FILTER_WORDS_PER_CHANNEL)
        channels.append(Channel(
            index=i, label=labels[i], unit=slot.split(b"\0")[0].decode(TEXT_ENCODING),
            gain_word=t[FIRST_GAIN + i], scale_word=scale_words[i],
            filter=Filter(type=f[0], low_hz=f[1] / (COUNTS_PER_VOLT * 100.0),
                          high_hz=f[2] / (COUNTS_PER_VOLT * 100.0), window_type=f[3],
                          window_size=f[4])))

    stimulus = None
    if t[STIMULUS_PRESENT] == 1:
        start = t[STIMULUS_POSITION] - 1
        if not _in_header(start, filters - start, header_bytes):
            raise VnxFormatError("malformed header: the stimulus section is not before the "
                                 "filters")
        stimulus = _parse_stimulus(data, start, filters)

    return VnxHeader(
        path=path, table=tuple(t), header_blocks=blocks, version=t[VERSION], rate=rate,
        declared_samples=t[SAMPLE_COUNT], samples=(file_size - header_bytes) // 2,
        year=t[YEAR], month=t[MONTH], day=t[DAY], hour=t[HOUR], minute=t[MINUTE],
        second=t[SECOND], comment=comment, channels=channels, stimulus=stimulus)


def read_header(path):
    """Reads and parses the header of the file at `path` (the header only, never the samples).
    Raises VnxFormatError for a cut-short or malformed header, OSError when the file cannot be
    read."""
    path = os.fspath(path)
    with open(path, "rb") as f:
        file_size = os.fstat(f.fileno()).st_size
        data = f.read(TABLE_BYTES)
        if len(data) == TABLE_BYTES:
            # Read the whole header only once its size is known to be sane and inside the file.
            blocks = _words(data, 0, 1)[0]
            if 1 <= blocks <= MAX_HEADER_BLOCKS and blocks * BLOCK_SIZE <= file_size:
                data += f.read(blocks * BLOCK_SIZE - TABLE_BYTES)
    try:
        return parse_header(data, file_size, path)
    except VnxFormatError as error:
        raise VnxFormatError(f"{path}: {error}") from None
