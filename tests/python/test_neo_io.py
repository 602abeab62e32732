"""The Neo readers on recordings the program makes: Neo's own raw-IO conformity checks, and a
Block whose signals carry each channel's unit, rate, values and the recording's annotations."""

import logging

import numpy as np
import pytest
import quantities as pq
from neo.test.rawiotest import rawio_compliance as compliance

import trelvanix_vnx
from trelvanix_vnx import VnxIO, VnxRawIO

# The conformity checks Neo runs on every raw IO (BaseTestRawIO.test_read_all), called here on
# our own files since Neo's harness downloads its test files.
CONFORMITY = [compliance.header_is_total, compliance.count_element,
              compliance.read_analogsignals, compliance.read_spike_times,
              compliance.read_spike_waveforms, compliance.read_events,
              compliance.has_annotations]


@pytest.mark.parametrize("name", ["one channel", "eight channels", "units and filters",
                                  "split 2", "cell stimulus"])
def test_raw_io_passes_neos_conformity_checks(recordings, name):
    reader = VnxRawIO(filename=recordings[name])
    reader.parse_header()
    for check in CONFORMITY:
        check(reader)
    f = trelvanix_vnx.read(recordings[name])
    raw = reader.get_analogsignal_chunk(i_start=5, i_stop=50, stream_index=0)
    assert np.array_equal(raw, f.samples[5:50])
    values = reader.rescale_signal_raw_to_float(raw, dtype="float64", stream_index=0)
    for index in range(f.header.channel_count):
        assert values[:, index] == pytest.approx(f.channel(index, 5, 50), rel=1e-12)


def test_a_block_holds_each_channel_in_its_unit_and_rate(recordings, caplog):
    with caplog.at_level(logging.WARNING):
        block = VnxIO(recordings["units and filters"]).read_block()
    # "cO" (centi-O) has no base quantities knows: dimensionless, said once in the log.
    assert 'Unit "cO" is not known to quantities' in caplog.text
    f = trelvanix_vnx.read(recordings["units and filters"])
    [segment] = block.segments
    signals = segment.analogsignals
    assert [s.name for s in signals] == ["channel 0", "channel 1", "channel 2", "channel 3"]
    assert [s.units for s in signals] == [pq.mV, pq.pA, pq.Quantity(1, "MV"), pq.dimensionless]
    assert signals[2].rescale("V").magnitude[0, 0] == pytest.approx(1e6, rel=1e-3)
    for index, signal in enumerate(signals):
        assert signal.sampling_rate == 10000 * pq.Hz
        assert signal.t_start == 0 * pq.s
        assert signal.shape == (f.header.scans, 1)
        assert signal.magnitude[:, 0] == pytest.approx(f.channel(index), rel=1e-6)
        assert signal.array_annotations["unit"][0] == f.header.units[index]
    assert signals[1].array_annotations["high_cutoff_hz"][0] == f.header.filters[1].high_hz
    assert segment.rec_datetime == f.header.date
    assert segment.annotations["stimulus"] is None


def test_the_stimulus_and_comment_come_as_annotations(recordings):
    io = VnxIO(recordings["pulse stimulus"])
    block = io.read_block(lazy=True)
    segment = block.segments[0]
    stimulus = segment.annotations["stimulus"]
    assert (stimulus["kind"], stimulus["kind_name"]) == (0, "pulse train")
    assert stimulus["parameters"]["Pulse_amp[1]"] == -50
    assert block.annotations["stimulus"] == stimulus
    assert block.description == "slice 3\nbath 32 C\n"
    [proxy] = segment.analogsignals
    assert proxy.name == "membrane" and proxy.units == pq.V
    loaded = proxy.load(time_slice=(0.1 * pq.s, 0.2 * pq.s))
    assert loaded.shape == (400, 1)
