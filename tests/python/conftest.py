"""Recordings made by the real program (headless, simulated time) for the Python reader's tests:
one channel, eight channels, units, scale factors and filters, a two-file split, and copies
given a stimulus section. The program comes from the build (TRELVANIX_PROGRAM, set by the
ctest definition)."""

import os
import subprocess

import pytest

from vnx_files import program, with_stimulus


class Recorder:
    """Runs `trelvanix --headless --sim-time --board B --script S` with a data folder of its
    own and returns the .vnx files the run wrote."""

    def __init__(self, folder):
        self.folder = folder

    def __call__(self, name, board, script):
        folder = self.folder / name
        folder.mkdir(exist_ok=True)
        (folder / "board.txt").write_text(board)
        (folder / "run.txt").write_text(script)
        env = dict(os.environ, TRELVANIX_DATA_FOLDER=str(folder))
        done = subprocess.run([program("TRELVANIX_PROGRAM"), "--headless", "--sim-time",
                               "--board", str(folder / "board.txt"),
                               "--script", str(folder / "run.txt")],
                              capture_output=True, text=True, env=env, timeout=120)
        assert done.returncode == 0, done.stdout + done.stderr
        return sorted(folder.rglob("*.vnx"))


@pytest.fixture(scope="session")
def record(tmp_path_factory):
    return Recorder(tmp_path_factory.mktemp("recordings"))


CONSTANTS = ("seed 3\ninput ai0 constant value=1 sigma=0\ninput ai1 constant value=-1 sigma=0\n"
             "input ai2 constant value=2 sigma=0\ninput ai3 constant value=0.5 sigma=0\n")


def timed(seconds):
    return (f"set PANEL RECORD_TIME {seconds}\npress PANEL ACQUIRE\nwait 0.3\n"
            f"press PANEL RECORD\nwait {seconds + 0.5}\n")


def units_of(channel, prefix, base, scale, filter_type=0, low=500, high=500, window=2,
             size=55):
    return (f"set UNITS CHANNEL {channel}\nset UNITS PREFIX {prefix}\nset UNITS BASE {base}\n"
            f"set UNITS SCALE {scale}\nset UNITS FILTER {filter_type}\n"
            f"set UNITS LOW_CUTOFF {low}\nset UNITS HIGH_CUTOFF {high}\n"
            f"set UNITS WINDOW {window}\nset UNITS WINDOW_SIZE {size}\npress UNITS APPLY\n")


@pytest.fixture(scope="session")
def recordings(record, tmp_path_factory):
    files = {}
    [files["one channel"]] = record(
        "one", "seed 3\ninput ai0 sine amplitude=2 frequency=5 sigma=0.01\n",
        "set PANEL LABEL_0 membrane\nset PANEL COMMENT \"slice 3\\nbath 32 C\"\n" + timed(1))
    [files["eight channels"]] = record(
        "eight", "seed 5\n",
        "".join(f"set PANEL CHECK_{c} 1\nset PANEL LABEL_{c} ch{c}\n" for c in range(1, 8)) +
        "menu MENUBAR_RATE_KS_2_5\n" + timed(0.5))
    [files["units and filters"]] = record(
        "units", CONSTANTS,
        "set PANEL CHECK_1 1\nset PANEL CHECK_2 1\nset PANEL CHECK_3 1\n"
        "menu MENUBAR_RATE_KS_10\nmenu MENUBAR_OPTIONS_UNITS\n" +
        units_of(0, "m", "V", 0.001, filter_type=1, high=100, window=4, size=101) +
        units_of(1, "N", "pA", 0.0005, filter_type=3, low=10, high=4000, window=5, size=31) +
        units_of(2, "M", "V", 2) + units_of(3, "c", "O", 0.25, filter_type=2, low=1) +
        "press UNITS CLOSE\nclick PANEL LABEL_2\nset PANEL BOARD_GAIN 0.5\n" + timed(0.5))
    split = record.folder / "split"  # each file of a split goes to a folder of its own
    (split / "a").mkdir(parents=True)
    (split / "b").mkdir()
    files["split 1"], files["split 2"] = record(
        "split", CONSTANTS,
        "set PANEL CHECK_1 1\nset PANEL CHECK_2 1\nset PANEL CHECK_3 1\n"
        "set PANEL LABEL_2 bath\nmenu MENUBAR_OPTIONS_SAVE_OPTIONS\n"
        f"answer dir {split / 'a'}\nset SAVEOPT FILE 1\nset SAVEOPT FROM 0\n"
        "set SAVEOPT TO 1\npress SAVEOPT APPLY\npress SAVEOPT DIRECTORY\n"
        f"answer dir {split / 'b'}\nset SAVEOPT FILE 2\nset SAVEOPT FROM 2\n"
        "set SAVEOPT TO 3\npress SAVEOPT APPLY\npress SAVEOPT DIRECTORY\n"
        "press SAVEOPT OK\n" + timed(0.5))
    stimuli = tmp_path_factory.mktemp("stimuli")
    files["pulse stimulus"] = with_stimulus(
        files["one channel"], stimuli / "pulse.vnx",
        [0, 20, 500000, 500, 100, 2, 0, 0, 3, 10, 100, 20, -50, 0, 0, 0, 0, 0, 0])
    files["cell stimulus"] = with_stimulus(
        files["eight channels"], stimuli / "cell.vnx",
        [2, 20, 0, 0, 0, 1, 0, 0, 1, 5, 1000, -2, 3, 0], waveform=range(-500, 500))
    files["Poisson stimulus"] = with_stimulus(
        files["units and filters"], stimuli / "poisson.vnx",
        [4, 20, 1000, 1000, 0, 1, 0, 0, 2, 3000, 40, 2])
    return files


@pytest.fixture(params=["one channel", "eight channels", "units and filters", "split 1",
                        "split 2", "pulse stimulus", "cell stimulus", "Poisson stimulus"])
def recording(request, recordings):
    return recordings[request.param]
