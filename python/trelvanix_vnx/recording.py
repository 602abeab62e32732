"""A recorded .vnx file: its header and its samples, memory-mapped so that a file of any size
is read without loading it."""

import os
import warnings

import numpy as np

from .errors import VnxDataWarning, VnxStimulusError
from .header import read_header


class VnxFile:
    """A .vnx file opened for reading: `header` (a VnxHeader) and `samples`, an int16 array of
    shape (scans, channels) mapped from the file (read-only; numpy.memmap unless the file holds
    no complete scan)."""

    def __init__(self, path):
        self.header = read_header(path)
        self.path = self.header.path
        h = self.header
        if h.truncated:
            warnings.warn(f"{self.path}: truncated: the header declares {h.declared_samples} "
                          f"samples, the file holds {h.samples}", VnxDataWarning, stacklevel=3)
        if h.incomplete_scan:
            warnings.warn(f"{self.path}: the last scan is incomplete and is left out",
                          VnxDataWarning, stacklevel=3)
        shape = (h.scans, h.channel_count)
        if h.scans == 0:
            self.samples = np.zeros(shape, dtype="<i2")  # no complete scan: nothing to map
        else:
            self.samples = np.memmap(self.path, dtype="<i2", mode="r", offset=h.data_offset,
                                     shape=shape)

    def __repr__(self):
        h = self.header
        return (f"VnxFile({self.path!r}: {h.channel_count} channels, {h.rate} samples/s, "
                f"{h.scans} scans)")

    @property
    def rate(self):
        return self.header.rate

    @property
    def channels(self):
        return self.header.channels

    def times(self, start=0, stop=None):
        """The times (s) of scans start..stop-1, from 0 at the first scan."""
        start, stop, _ = slice(start, stop).indices(self.header.scans)
        return np.arange(start, stop, dtype=np.float64) / self.header.rate

    def channel(self, index, start=0, stop=None):
        """Channel `index` (its position in the file) in its user unit, scans start..stop-1,
        as float64: only that stretch of the file is read."""
        return self.channels[index].to_unit(self.samples[start:stop, index])

    def stimulus_waveform(self):
        """The stimulus recorded with this file, rebuilt from its header as `vnxinfo FILE
        --stimulus` rebuilds it: (times in s from the file's first sample, values in the
        stimulus unit, volts). Raises VnxStimulusError when no stimulus was recorded or the
        header does not determine it (see Stimulus.waveform)."""
        stimulus = self.header.stimulus
        try:
            if stimulus is None:
                raise VnxStimulusError("no stimulus was recorded with this file (its header has "
                                       "no stimulus section)")
            return stimulus.waveform()
        except VnxStimulusError as error:
            raise VnxStimulusError(f"{self.path}: {error}") from None


def read(path):
    """Opens the .vnx file at `path`: VnxFile with .header and memory-mapped .samples.

    A file whose header leaves the sample count open (-1) or declares a wrong one is read to
    its end, as vnxinfo reads it; fewer samples than declared, and an incomplete last scan
    (left out), give a VnxDataWarning. A cut-short or malformed header raises VnxFormatError.
    """
    return VnxFile(os.fspath(path))
