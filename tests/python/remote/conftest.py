"""A Trelvanix listening for remote control: the built program, headless on the real clock,
with a runtime folder and a data folder of its own. Waits are generous: the machine may be
busy, and nothing here measures time."""

import os
import socket
import subprocess
import time

import pytest

import trelvanix_remote


class Program:
    def __init__(self, folder, *options):
        self.runtime = folder / "run"
        self.data = folder / "data"
        self.runtime.mkdir(mode=0o700, exist_ok=True)
        self.data.mkdir(exist_ok=True)
        self.address = str(self.runtime / "trelvanix.sock")
        self.env = dict(os.environ, XDG_RUNTIME_DIR=str(self.runtime),
                        TRELVANIX_DATA_FOLDER=str(self.data))
        self.process = self.start("--headless", "--listen", *options)
        deadline = time.monotonic() + 120
        while not self.listening():
            assert self.process.poll() is None, self.output()
            assert time.monotonic() < deadline, "the program did not listen in time"
            time.sleep(0.05)

    def start(self, *args):
        return subprocess.Popen([os.environ["TRELVANIX_PROGRAM"], *args], env=self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def listening(self):
        try:
            with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as probe:
                probe.connect(self.address)
            return True
        except OSError:
            return False

    def connect(self):
        return trelvanix_remote.connect(self.address, timeout=120)

    def output(self):
        """Ends the program (as SIGTERM does) and returns what it printed."""
        if self.process.poll() is None:
            self.process.terminate()
        out, err = self.process.communicate(timeout=120)
        return out + err


@pytest.fixture
def program(tmp_path):
    running = Program(tmp_path)
    yield running
    running.output()
