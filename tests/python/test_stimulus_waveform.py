"""The recorded stimulus rebuilt from a header: Python's Stimulus.waveform() against
`vnxinfo --stimulus` and against the read-back of the output it was played on."""

import numpy as np
import pytest

import trelvanix_vnx
from trelvanix_vnx import VnxStimulusError
from vnx_files import run_vnxinfo, with_stimulus

ON_AO1 = ("set PANEL CHECK_1 1\nset PANEL CHECK_0 0\nmenu MENUBAR_STIMULUS_INJECT\n"
          "set INJECT CHANNEL 1\n")
RECORD_IT = "set INJECT RECORD 1\npress PANEL ACQUIRE\nwait 0.5\npress INJECT START\nwait 2\n"


@pytest.fixture(scope="session")
def played(record):
    """Pulse and ramp trains the program played on ao1 and recorded with ai1 reading it back."""
    [pulse] = record(
        "played pulse", "seed 4\n",
        ON_AO1 + "set INJECT WAVEFORM 0\nset INJECT CONVERSION 300\nset INJECT PRE_TIME 150\n"
        "set PULSE MV1 900\nset PULSE MS1 30\nset PULSE MV2 -300\nset PULSE MS2 20\n"
        "set PULSE MV3 150\nset PULSE MS3 10\nset PULSE REPEATS 3\nset PULSE NUM_BURSTS 2\n"
        "set PULSE INTERBURST 40\nset PULSE INTERBASELINE -60\nset PULSE BASELINE 30\n" +
        RECORD_IT)
    [ramp] = record(
        "played ramp", "seed 4\n",
        ON_AO1 + "set INJECT WAVEFORM 1\nset INJECT CONVERSION 700\nset INJECT POST_TIME 200\n"
        "set RAMP MV1 -1400\nset RAMP MS1 70\nset RAMP MV2 2100\nset RAMP MS2 130\n"
        "set RAMP MV3 0\nset RAMP MS3 1\nset RAMP NUM_BURSTS 3\nset RAMP INTERBURST 25\n" +
        RECORD_IT)
    return {"pulse": pulse, "ramp": ramp}


def csv_of(times, values, volts):
    rows = np.column_stack([times, values, volts])
    return "time (s),stimulus (unit),stimulus (V)\n" + \
        "".join(",".join("%.9g" % v for v in row) + "\n" for row in rows)


def test_python_and_vnxinfo_rebuild_the_played_stimulus_alike(played, recordings, tmp_path):
    # Without a stimulus kind the output holds 0 V for the pre-time and post-time.
    nothing = with_stimulus(recordings["one channel"], tmp_path / "nothing.vnx",
                            [-1, 20, 2000, 3, 0, 1, 0, 0, 1])
    assert np.array_equal(trelvanix_vnx.read(nothing).stimulus_waveform()[2], np.zeros(5))
    for path in [played["pulse"], played["ramp"], recordings["pulse stimulus"], nothing]:
        f = trelvanix_vnx.read(path)
        times, values, volts = f.stimulus_waveform()
        status, out, err = run_vnxinfo(path, "--stimulus")
        assert (status, err) == (0, ""), path
        assert out == csv_of(times, values, volts), path
    # The read-back of ao1 follows the rebuilt volts to within one count from the first sample,
    # the output regenerating its buffer until the recording ends.
    for name in ["pulse", "ramp"]:
        f = trelvanix_vnx.read(played[name])
        _, _, volts = f.stimulus_waveform()
        scans = np.arange(f.header.scans)
        held = volts[(scans * 1000 // f.rate) % volts.size]
        assert np.max(np.abs(f.channel(0) - held)) <= 1 / 6553.6, name
        assert f.header.scans * 1000 >= volts.size * f.rate, name


def test_the_pulse_and_ramp_trains_are_built_step_by_step(played):
    _, values, volts = trelvanix_vnx.read(played["pulse"]).stimulus_waveform()
    # 150 ms before; per burst 3 x (30 + 20 + 10) ms then a 40 ms gap; 500 ms after.
    assert values.size == 150 + 2 * (3 * 60 + 40) + 500
    assert (values[149], values[150], values[180], values[200]) == (0, 930, -270, 180)
    assert (values[330], values[369], values[370]) == (-60, -60, 930)
    assert volts[150] == 3.1
    times, values, _ = trelvanix_vnx.read(played["ramp"]).stimulus_waveform()
    assert values.size == 500 + 3 * (201 + 25) + 200
    assert (values[500], values[569], values[570], values[699]) == (0, -1400, -1400, 2100)
    # A one-value segment holds its start level; then the gap and the next burst from 0.
    assert (values[700], values[701], values[726]) == (2100, 0, 0)
    assert values[726 + 35] == -1400 * 35 / 69
    assert times[1] == 0.001


def test_kinds_and_files_the_header_does_not_determine_are_refused_as_vnxinfo_refuses(
        recordings, tmp_path):
    sections = {
        "zap": [3, 20, 500000, 500, 0, 1, 0, 0, 1, 1000, 3000],
        "sine": [5, 20, 500000, 500, 0, 1, 0, 0, 1, 1000, 3000],
        "noise": [6, 20, 500000, 500, 0, 1, 0, 0, 1],
        "half a millisecond": [0, 20, 500, 500, 0, 1, 0, 0, 1] + [0] * 10,
        "no conversion": [1, 0, 0, 0, 0, 1, 0, 0, 1] + [0] * 10,
        "no bursts": [0, 20, 0, 0, 0, 0, 0, 0, 1] + [0] * 10,
        "too long": [0, 20, 0, 0, 0, 100000, 0, 0, 100000, 1000] + [0] * 9,
    }
    paths = [recordings[name] for name in ("one channel", "cell stimulus", "Poisson stimulus")]
    paths += [with_stimulus(recordings["one channel"], tmp_path / f"{name}.vnx", values)
              for name, values in sections.items()]
    for path in paths:
        status, out, err = run_vnxinfo(path, "--stimulus")
        with pytest.raises(VnxStimulusError) as raised:
            trelvanix_vnx.read(path).stimulus_waveform()
        assert (status, out) == (1, ""), path
        assert err == f"vnxinfo: {raised.value}\n"
