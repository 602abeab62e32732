"""Remote control end to end: the Python client drives a running program on the real clock."""

import os
import pathlib
import stat
import subprocess

import pytest

import trelvanix_remote
import trelvanix_vnx

PROTOCOLS = pathlib.Path(os.environ["TRELVANIX_SOURCE_DIR"]) / "resources" / "protocols"


def test_a_second_of_two_channels_is_recorded_and_named_by_its_event(program):
    assert stat.S_IMODE(os.stat(program.address).st_mode) == 0o600
    with program.connect() as trelvanix:
        trelvanix.command("set PANEL CHECK_1 1")
        path = trelvanix.record(1)
        assert trelvanix.get("PANEL", "CHECK_1") == 1
        assert trelvanix.get("PANEL", "ACQ_LAMP") == 1
    recording = trelvanix_vnx.read(path)
    assert pathlib.Path(path).parent == program.data
    assert recording.header.channel_count == 2
    assert recording.samples.shape == (recording.header.rate, 2)


def test_a_shipped_protocol_run_remotely_gives_one_file_per_step(program):
    with program.connect() as trelvanix:
        with pytest.raises(trelvanix_remote.RemoteError, match="Please select a waveform first"):
            trelvanix.run_protocol(PROTOCOLS / "pulse_amplitudes.prt")
        for line in ("set PANEL CHECK_1 1", "set PANEL CHECK_0 0", "menu MENUBAR_STIMULUS_INJECT",
                     "set INJECT WAVEFORM 0",
                     "set INJECT CHANNEL 1", "menu MENUBAR_STIMULUS_PROTOCOL",
                     "set PROTOCOL PAUSE 0.2"):
            trelvanix.command(line)
        paths = trelvanix.run_protocol(PROTOCOLS / "pulse_amplitudes.prt")
        assert trelvanix.get("INJECT", "STEP") == 5
    assert len(set(paths)) == 5
    for path in paths:
        assert trelvanix_vnx.read(path).header.channel_count == 1


def test_answers_say_what_a_script_would_and_pop_ups_reach_watchers(program):
    with program.connect() as trelvanix:
        with pytest.raises(trelvanix_remote.RemoteError, match='unknown command "jump"'):
            trelvanix.command("jump PANEL")
        with pytest.raises(trelvanix_remote.RemoteError, match="no panel NOWHERE is loaded"):
            trelvanix.command("press NOWHERE ACQUIRE")
        with pytest.raises(trelvanix_remote.RemoteError, match="PANEL STOP is dimmed"):
            trelvanix.command("press PANEL STOP")
        with pytest.raises(trelvanix_remote.RemoteError, match="wait is for scripts"):
            trelvanix.command("wait 1")
        trelvanix.watch()
        trelvanix.command('set PANEL COMMENT "slice 3\\nbath \\"32 C\\""')
        assert trelvanix.get("PANEL", "COMMENT") == 'slice 3\nbath "32 C"'
        trelvanix.command("menu MENUBAR_HELP_ABOUT")
        about = trelvanix.wait_for("popup message", timeout=120)
        assert about.args[0] == "About Trelvanix"
        assert "Remote control: listening on " + program.address in about.args[1]


def test_a_file_pop_up_without_a_window_waits_for_a_remote_answer(program, tmp_path):
    with program.connect() as trelvanix:
        trelvanix.watch()
        trelvanix.command("menu MENUBAR_FILE_SAVE_PARAMS")
        shown = trelvanix.wait_for("popup file", timeout=120)
        with pytest.raises(trelvanix_remote.RemoteError, match="waits for an answer first"):
            trelvanix.command("press PANEL ACQUIRE")
        trelvanix.command("answer file " + trelvanix_remote.quote(tmp_path / "set 1.par"))
        trelvanix.command("get PANEL CHECK_0")  # runs once the pop-up has its answer
    assert shown.args[0]
    assert (tmp_path / "set 1.par").exists()


def test_a_second_listening_program_says_so_and_the_first_keeps_the_endpoint(program):
    second = program.start("--headless", "--listen")
    _, err = second.communicate(timeout=120)
    assert "another Trelvanix already listens on " + program.address in err
    with program.connect() as trelvanix:
        assert trelvanix.get("PANEL", "CHECK_0") == 1
