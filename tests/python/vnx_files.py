"""Helpers that mirror vnxinfo's output from the Python reader, and that alter recorded files:
word patches and a stimulus section spliced into a program-made header."""

import os
import struct
import subprocess
from pathlib import Path

import numpy as np
import pytest

from trelvanix_vnx.header import BLOCK_SIZE, FILTERS_POSITION, STIMULUS_POSITION, \
    STIMULUS_PRESENT
from trelvanix_vnx.stimulus import KIND_NAMES


def program(variable):
    path = os.environ.get(variable)
    if not path or not Path(path).is_file():
        pytest.fail(f"{variable} must name the built program (run the tests through ctest)")
    return path


def run_vnxinfo(*args):
    """vnxinfo's exit status, standard output and standard error."""
    done = subprocess.run([program("VNXINFO_PROGRAM"), *map(str, args)], capture_output=True,
                          text=True, encoding="latin-1")
    return done.returncode, done.stdout, done.stderr


def c_text(text):
    return text.replace("\n", "\\n")


def info_text(f):
    """What `vnxinfo FILE` prints, built from the Python reader's fields."""
    h = f.header
    lines = [f"file: {h.path}", f"version: {h.version}",
             f"rate: {h.rate} samples/s per channel", f"channels: {h.channel_count}",
             "date: %04d-%02d-%02d %02d:%02d:%02d" % (h.year, h.month, h.day, h.hour, h.minute,
                                                     h.second),
             f"header: {h.header_blocks} blocks",
             "samples: %d (%d per channel, %.6g s)%s" % (
                 h.samples, h.scans, h.scans / h.rate,
                 ", counted from the file size" if h.declared_samples == -1 else ""),
             f'comment: "{c_text(h.comment)}"']
    for c in h.channels:
        lines.append('channel %d: label "%s" unit "%s" gain %d scale %.9g V/%s filter %d low '
                     '%.6g Hz high %.6g Hz window %d size %d' % (
                         c.index, c_text(c.label), c.unit, c.gain_word, c.scale_factor, c.unit,
                         c.filter.type, c.filter.low_hz, c.filter.high_hz,
                         c.filter.window_type, c.filter.window_size))
    s = h.stimulus
    if s is None:
        lines.append("stimulus: none")
    else:
        line = f"stimulus: kind {s.kind} ({KIND_NAMES.get(s.kind, 'unknown')}) values"
        line += "".join(f" {v}" for v in s.values)
        if s.cell_waveform.size:
            line += f" waveform {s.cell_waveform.size} values"
        lines.append(line)
    return "\n".join(lines) + "\n"


def csv_text(f):
    """What `vnxinfo FILE --csv` prints, from the Python reader's samples in user units."""
    h = f.header
    names = [f"{c_text(c.label) if c.label else f'channel {c.index}'} ({c.unit})"
             for c in h.channels]
    columns = [f.times()] + [f.channel(i) for i in range(h.channel_count)]
    rows = np.column_stack(columns)
    return "\n".join(["time (s)," + ",".join(names)] +
                     [",".join("%.9g" % v for v in row) for row in rows]) + "\n"


def set_word(path, word, value):
    with open(path, "r+b") as out:
        out.seek(4 * word)
        out.write(struct.pack("<i", value))


def word(path, index):
    with open(path, "rb") as f:
        f.seek(4 * index)
        return struct.unpack("<i", f.read(4))[0]


def with_stimulus(source, target, values, waveform=()):
    """Copies the recording `source` to `target` with a stimulus section (int32 `values`, then
    the int16 `waveform`) laid out as the program writes one: before the filter section, the
    header grown to whole blocks and padded with 0xFF."""
    data = source.read_bytes()
    table = list(struct.unpack("<56i", data[:224]))
    blocks, nch = table[0], table[3]
    filters = table[FILTERS_POSITION] - 1
    section = struct.pack(f"<{len(values)}i", *values) + \
        struct.pack(f"<{len(waveform)}h", *waveform)
    used = filters + len(section) + 20 * nch
    new_blocks = max(1, -(-used // BLOCK_SIZE))
    table[0] = new_blocks
    table[STIMULUS_PRESENT] = 1
    table[STIMULUS_POSITION] = filters + 1
    table[FILTERS_POSITION] = filters + len(section) + 1
    header = struct.pack("<56i", *table) + data[224:filters] + section + \
        data[filters:filters + 20 * nch]
    header += b"\xff" * (new_blocks * BLOCK_SIZE - len(header))
    target.write_bytes(header + data[blocks * BLOCK_SIZE:])
    return target
