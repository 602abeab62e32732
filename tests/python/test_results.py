"""The Results window against trelvanix_vnx.measure: an I-V of the simulated model cell
measured by the program while a five-step protocol runs, the same numbers from the files in
Python to the last printed digit, and the fitted slope equal to gain / units-per-volt; a spike
count equal to a count done on the file's values."""

import os
import subprocess
from pathlib import Path

import pytest

import trelvanix_vnx
from vnx_files import program

PROTOCOL = Path(__file__).resolve().parents[2] / "resources" / "protocols" / \
    "pulse_amplitudes.prt"


def run_program(folder, board, script):
    """What `get` printed, by panel and control: {"RESULTS ROWS": text, ...}."""
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "board.txt").write_text(board)
    (folder / "run.txt").write_text(script)
    env = dict(os.environ, TRELVANIX_DATA_FOLDER=str(folder))
    done = subprocess.run([program("TRELVANIX_PROGRAM"), "--headless", "--sim-time",
                           "--board", str(folder / "board.txt"),
                           "--script", str(folder / "run.txt")],
                          capture_output=True, text=True, env=env, timeout=120)
    assert done.returncode == 0, done.stdout + done.stderr
    printed, name = {}, None
    for line in done.stdout.splitlines():
        if line.startswith("RESULTS ") and " = " in line:
            name, value = line.split(" = ", 1)
            printed[name] = value
        elif name:
            printed[name] += "\n" + line
    return printed


def measurement(name, kind, start, end, baseline=None, channel=0, threshold=None):
    text = (f"set RESULTS NAME {name}\nset RESULTS CHANNEL {channel}\nset RESULTS KIND "
            f"{trelvanix_vnx.KINDS.index(kind)}\nset RESULTS START {start}\n"
            f"set RESULTS END {end}\nset RESULTS BASELINE {0 if baseline is None else 1}\n")
    if baseline is not None:
        text += f"set RESULTS BASE_START {baseline[0]}\nset RESULTS BASE_END {baseline[1]}\n"
    if threshold is not None:
        text += f"set RESULTS THRESHOLD {threshold}\n"
    return text + "press RESULTS ADD\n"


def table(text):
    lines = [line.split("\t") for line in text.split("\n")]
    return lines[0], lines[1:]


def test_iv_of_the_model_cell_matches_python_and_its_slope_is_the_cells_gain(tmp_path):
    measured = {  # name: kind, region, baseline
        "Vss": ("mean", (770, 800), (400, 490)),
        "Peak": ("peak", (500, 800), (400, 490)),
        "Rise": ("slope", (500, 520), None),
        "TPeak": ("time-of-peak", (500, 800), (400, 490)),
    }
    printed = run_program(
        tmp_path, "seed 7\ninput ai0 cell output=ao0 gain=0.2 tau=0.03\n",
        "menu MENUBAR_RATE_KS_10\nmenu MENUBAR_OPTIONS_UNITS\nset UNITS CHANNEL 0\n"
        "set UNITS PREFIX m\nset UNITS BASE V\nset UNITS SCALE 0.001\npress UNITS CLOSE\n"
        "menu MENUBAR_STIMULUS_INJECT\nset INJECT WAVEFORM 0\nset INJECT CHANNEL 0\n"
        "set INJECT RECORD 1\nset PULSE MS1 300\nmenu MENUBAR_ANALYSIS_RESULTS\n" +
        "".join(measurement(name, kind, *region, baseline)
                for name, (kind, region, baseline) in measured.items()) +
        f"menu MENUBAR_STIMULUS_PROTOCOL\nanswer file \"{PROTOCOL}\"\npress PROTOCOL LOAD\n"
        "set PROTOCOL PAUSE 0.5\npress PANEL ACQUIRE\npress PROTOCOL RUN\nwait 12\n"
        "set RESULTS FIT 1\nget RESULTS ROWS\nget RESULTS SLOPE\nget RESULTS INTERCEPT\n"
        "press PANEL STOP\n")
    headings, rows = table(printed["RESULTS ROWS"])
    assert headings == ["Row", "File", "Step", "Parameter", "Value (units)", "Vss (mV)",
                        "Peak (mV)", "Rise (mV/s)", "TPeak (ms)"]
    assert [row[2:5] for row in rows] == [[str(step), "PULSE_MV1", str(value)] for step, value
                                          in enumerate((-40, -20, 0, 20, 40), start=1)]
    for row in rows:
        f = trelvanix_vnx.read(tmp_path / row[1])
        python = ["%.6g" % trelvanix_vnx.measure(f, 0, kind, region, baseline)
                  for kind, region, baseline in measured.values()]
        assert row[5:] == python, row[1]

    # The cell settles at gain x output: 0.2 V/V x (amplitude / 20 units per volt), in mV.
    slope, slope_unit = printed["RESULTS SLOPE"].split(" ")
    assert slope_unit == "mV/units"
    assert float(slope) == pytest.approx(0.2 / 20 / 0.001, rel=0.01)
    intercept, intercept_unit = printed["RESULTS INTERCEPT"].split(" ")
    assert intercept_unit == "mV" and abs(float(intercept)) < 0.1


def test_spike_count_equals_a_count_on_the_files_values(tmp_path):
    printed = run_program(
        tmp_path, "seed 11\ninput ai4 spikes amplitude=3 rate=10\n",
        "menu MENUBAR_RATE_KS_50\nset PANEL CHECK_4 1\nmenu MENUBAR_ANALYSIS_RESULTS\n" +
        measurement("Spikes", "spike-count", 0, 1900, channel=4, threshold=1.5) +
        "set PANEL RECORD_TIME 2\npress PANEL ACQUIRE\nwait 0.3\npress PANEL RECORD\n"
        "wait 2.5\nget RESULTS ROWS\npress PANEL STOP\n")
    headings, [row] = table(printed["RESULTS ROWS"])
    assert headings[-1] == "Spikes" and row[2:5] == ["", "", ""]
    f = trelvanix_vnx.read(tmp_path / row[1])
    values = list(f.channel(1, 0, 1900 * 50))  # ai4 follows ai0 in the file
    count = sum(1 for before, now in zip(values, values[1:]) if before < 1.5 <= now)
    assert count > 5 and row[5] == str(count)
    with pytest.raises(trelvanix_vnx.MeasurementError, match="reaches outside"):
        trelvanix_vnx.measure(f, 1, "mean", (1900, 2600))
