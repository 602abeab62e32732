"""Driving a running Trelvanix from another program. Start Trelvanix with --listen (or choose
Options > Remote control), then:

    import trelvanix_remote
    with trelvanix_remote.connect() as trelvanix:
        trelvanix.command("set PANEL CHECK_1 1")
        path = trelvanix.record(1.0)          # acquires if needed, records 1 s, waits for the file
        print(trelvanix.get("PANEL", "FILENAME"), path)

Each command is a line of Trelvanix's script language and gets exactly one answer line: "ok",
"ok VALUE" for get, or "error: MESSAGE" (raised as RemoteError). After `watch` the program also
sends event lines ("event recording finished /data/....vnx"), which events() yields.
Only the standard library is needed.
"""

import collections
import os
import socket
import tempfile
import time

__all__ = ["connect", "default_address", "Connection", "Event", "RemoteError", "split_words",
           "quote"]


class RemoteError(Exception):
    """The program answered a command with an error, or a helper saw the program refuse."""


Event = collections.namedtuple("Event", "kind args")
Event.__doc__ = """An event line: kind is its first two words ("recording finished"), args the
rest as words ("/data/2026_01_01_12_00_00.vnx")."""


def default_address():
    """The socket the program listens on: trelvanix.sock in $XDG_RUNTIME_DIR, or in a private
    folder trelvanix-UID under the temporary folder when that is not set."""
    runtime = os.environ.get("XDG_RUNTIME_DIR", "")
    if runtime.startswith("/"):
        return os.path.join(runtime, "trelvanix.sock")
    return os.path.join(tempfile.gettempdir(), f"trelvanix-{os.getuid()}", "trelvanix.sock")


def split_words(line):
    """Words of a line as the program writes them: blanks separate, double quotes keep blanks,
    and inside quotes \\" \\\\ \\n \\t stand for a quote, a backslash, a newline and a tab."""
    words, word, in_word, in_quotes, i = [], [], False, False, 0
    escapes = {'"': '"', "\\": "\\", "n": "\n", "t": "\t"}
    while i < len(line):
        c = line[i]
        if in_quotes:
            if c == '"':
                in_quotes = False
            elif c == "\\" and i + 1 < len(line):
                i += 1
                word.append(escapes.get(line[i], line[i]))
            else:
                word.append(c)
        elif c == '"':
            in_quotes = in_word = True
        elif c in " \t\r":
            if in_word:
                words.append("".join(word))
            word, in_word = [], False
        else:
            word.append(c)
            in_word = True
        i += 1
    if in_word:
        words.append("".join(word))
    return words


def quote(text):
    """One word of a command, quoted when it holds blanks, quotes, backslashes or #."""
    text = str(text)
    if text and not any(c in text for c in ' \t\r\n"\\#'):
        return text
    escaped = text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n")
    return '"' + escaped.replace("\t", "\\t") + '"'


def _value(text):
    if text.startswith('"'):
        return split_words(text)[0]
    try:
        return int(text)
    except ValueError:
        return float(text)


class Connection:
    """One connection to the program. Not thread-safe: use one per thread."""

    def __init__(self, sock, timeout=30.0):
        self._sock = sock
        self._buffer = b""
        self._events = collections.deque()
        self._watching = False
        self.timeout = timeout

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        self._sock.close()

    def _read_line(self, deadline):
        while b"\n" not in self._buffer:
            remaining = None if deadline is None else deadline - time.monotonic()
            if remaining is not None and remaining <= 0:
                raise TimeoutError("Trelvanix sent no line in time")
            self._sock.settimeout(remaining)
            try:
                chunk = self._sock.recv(65536)
            except socket.timeout:
                raise TimeoutError("Trelvanix sent no line in time") from None
            if not chunk:
                raise ConnectionError("Trelvanix closed the connection")
            self._buffer += chunk
        line, self._buffer = self._buffer.split(b"\n", 1)
        return line.decode("utf-8")

    def _deadline(self, timeout):
        timeout = self.timeout if timeout is None else timeout
        return None if timeout is None else time.monotonic() + timeout

    def command(self, line, timeout=None):
        """Sends one command line and returns its answer after "ok" ("" for most commands,
        the value's text for get); raises RemoteError with the program's message on an error.
        Event lines that come meanwhile are kept for events()."""
        if "\n" in line:
            raise ValueError("one command per call: the line holds a newline")
        self._sock.sendall(line.encode("utf-8") + b"\n")
        deadline = self._deadline(timeout)
        while True:
            answer = self._read_line(deadline)
            if self._keep_if_event(answer):
                continue
            if answer.startswith("error: "):
                raise RemoteError(answer[len("error: "):])
            elif answer == "ok" or answer.startswith("ok "):
                return answer[3:]
            else:
                raise RemoteError("unexpected answer: " + answer)

    def get(self, panel, control):
        """A control's value: a number, or a text for text controls."""
        return _value(self.command(f"get {panel} {control}"))

    def watch(self):
        """Asks for event lines (once is enough)."""
        if not self._watching:
            self.command("watch")
            self._watching = True

    def _keep_if_event(self, line):
        """Keeps an event line for events() and says whether the line was one."""
        if not line.startswith("event "):
            return False
        words = split_words(line[len("event "):])
        self._events.append(Event(" ".join(words[:2]), words[2:]))
        return True

    @staticmethod
    def _refusal(event):
        """The RemoteError of an error pop-up (the program refused what was asked), or None."""
        if event.kind == "popup message" and event.args[0].startswith("Error"):
            return RemoteError(f"{event.args[0]}: {event.args[1]}")
        return None

    def events(self, timeout=None):
        """Yields events as they come (watching first); stops after `timeout` seconds without
        one when a timeout is given."""
        self.watch()
        while True:
            while self._events:
                yield self._events.popleft()
            try:
                line = self._read_line(None if timeout is None else time.monotonic() + timeout)
            except TimeoutError:
                return
            self._keep_if_event(line)

    def _next(self, deadline, refuse_popups):
        while not self._events:
            self._keep_if_event(self._read_line(deadline))
        event = self._events.popleft()
        if refuse_popups and (refusal := self._refusal(event)):
            raise refusal
        return event

    def wait_for(self, kinds, timeout=None, refuse_popups=True):
        """The next event of that kind (or of one of those kinds), skipping others. With
        refuse_popups, a message pop-up titled as an error ("Error!") raises RemoteError with
        its text: the program refused what was asked."""
        kinds = (kinds,) if isinstance(kinds, str) else tuple(kinds)
        deadline = self._deadline(timeout)
        self.watch()
        while True:
            event = self._next(deadline, refuse_popups)
            if event.kind in kinds:
                return event

    def _raise_refusal(self):
        for event in self._events:
            if refusal := self._refusal(event):
                raise refusal

    def _acquire(self):
        try:
            self.command("press PANEL ACQUIRE")
        except RemoteError as error:
            if "is dimmed" not in str(error):  # dimmed: acquisition runs already
                raise

    def record(self, seconds, timeout=None):
        """Acquires (when not yet), records for `seconds` and returns the finished file's path
        (the first, when the save options split the channels over two files)."""
        self.watch()
        self._events.clear()
        self.command(f"set PANEL RECORD_TIME {seconds}")
        self._acquire()
        self.command("press PANEL RECORD")
        return self.wait_for("recording finished", timeout or seconds + 60).args[0]

    def run_protocol(self, path, timeout=None):
        """Loads the protocol file, runs it recorded while acquiring, and returns the paths of
        the files its steps recorded, one per step. Choose the stimulus kind (and output) that
        the protocol steps on the stimulus panel first."""
        self.watch()
        self._events.clear()
        self.command("menu MENUBAR_STIMULUS_PROTOCOL")
        self.command("answer file " + quote(os.path.abspath(path)))
        self.command("press PROTOCOL LOAD")
        self.command("set INJECT RECORD 1")  # runs once the load has: its refusal is known
        self._raise_refusal()
        self._acquire()
        self.command("press PROTOCOL RUN")
        deadline = time.monotonic() + (timeout or 600)
        paths, steps, done = [], None, 0
        while steps is None or done < steps or len(paths) < steps:
            event = self.wait_for(("recording finished", "step finished"),
                                  max(0.0, deadline - time.monotonic()))
            if event.kind == "recording finished":
                paths.append(event.args[0])
            else:
                done, steps = int(event.args[0]), int(event.args[2])
        return paths


def connect(address=None, timeout=30.0):
    """Connects to the program listening at `address` (default_address() when None)."""
    sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        sock.connect(address or default_address())
    except OSError:
        sock.close()
        raise
    return Connection(sock, timeout)
