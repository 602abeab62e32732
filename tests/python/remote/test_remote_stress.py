"""Remote control under abuse while acquiring: oversized, malformed, non-UTF-8 and interleaved
lines from several clients, a client that hangs up mid-line, one that never reads, more clients
than the program serves. The program keeps acquiring without losing a sample, and every client
that reads gets exactly one answer per line, in order."""

import random
import socket
import threading
import time

import trelvanix_remote

LINES = [
    ("get PANEL CHECK_0", "ok 1"),
    ("get PANEL BUFFER", "ok "),
    ("jump", 'error: unknown command "jump"'),
    ('set PANEL COMMENT "unterminated', "error: unterminated quoted text"),
    ("", "ok"),
    ("# a comment", "ok"),
    ("get NOWHERE X", "error: no panel NOWHERE is loaded"),
    ("set PANEL CHECK_0 2", "error: CHECK_0 takes 0 or 1"),
]


def lines_of(sock):
    buffer = b""
    while True:
        chunk = sock.recv(65536)
        if not chunk:
            return
        buffer += chunk
        while b"\n" in buffer:
            line, buffer = buffer.split(b"\n", 1)
            yield line.decode("utf-8")


def send_in_pieces(sock, payload, rng):
    start = 0
    while start < len(payload):
        size = rng.randint(1, 4096)
        sock.sendall(payload[start:start + size])
        start += size


def pipelined_client(address, seed, results):
    """Sends its lines in bursts of odd sizes without waiting, then checks every answer."""
    rng = random.Random(seed)
    chosen = [rng.choice(LINES) for _ in range(3000)]
    payload = b"".join(line.encode() + b"\n" for line, _ in chosen)
    payload += b"get \xff\xfe\n" + b"x" * 70000 + b"\nget PANEL CHECK_0\n"
    chosen += [("", "error: the line is not UTF-8 text"),
               ("", "error: the line is longer than 65536 bytes"), ("", "ok 1")]
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as sock:
        sock.settimeout(120)
        sock.connect(address)
        sender = threading.Thread(target=send_in_pieces, args=(sock, payload, rng))
        sender.start()
        answers = []
        for answer in lines_of(sock):
            if answer.startswith("event "):
                continue
            answers.append(answer)
            if len(answers) == len(chosen):
                break
        sender.join()
    results[seed] = [(answer, expected) for answer, (_, expected) in zip(answers, chosen)
                     if not answer.startswith(expected)] + \
        ([("answers", len(answers))] if len(answers) != len(chosen) else [])


def test_abusive_clients_leave_the_program_acquiring_and_every_reader_answered(program):
    with program.connect() as control:
        control.watch()
        for line in ("set PANEL CHECK_1 1", "set PANEL CHECK_2 1", "set PANEL CHECK_3 1",
                     "menu MENUBAR_RATE_KS_10", "press PANEL ACQUIRE"):
            control.command(line)
        control.wait_for("acquisition started", timeout=120)
        control.command("set PANEL COMMENT " + trelvanix_remote.quote("c" * 8000))

        # One client hangs up mid-line; one never reads its long answers; too many connect.
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as rude:
            rude.connect(program.address)
            rude.sendall(b"press PANEL STO")
        silent = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        silent.connect(program.address)
        silent.setblocking(False)
        crowd = [socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) for _ in range(20)]
        for extra in crowd:
            extra.connect(program.address)
        control.get("PANEL", "CHECK_0")  # the program has taken every waiting connection
        refused = 0
        for extra in crowd:
            extra.setblocking(False)
            try:
                refused += extra.recv(200).startswith(b"error: too many clients")
            except BlockingIOError:
                pass  # one of those served
            extra.close()
        assert refused > 0
        control.get("PANEL", "CHECK_0")  # the program has seen them go and freed their places

        results = {}
        readers = [threading.Thread(target=pipelined_client, args=(program.address, seed,
                                                                    results))
                   for seed in range(3)]
        for reader in readers:
            reader.start()
        flood = b"watch\n" + b"get PANEL COMMENT\n" * 400
        sent = 0
        deadline = time.monotonic() + 120
        while sent < len(flood) and time.monotonic() < deadline:
            try:
                sent += silent.send(flood[sent:])
            except BlockingIOError:
                time.sleep(0.01)
            except OSError:
                break  # disconnected: the bound was hit
        for reader in readers:
            reader.join(timeout=300)
        assert results == {0: [], 1: [], 2: []}

        # Still acquiring, nothing lost: no driver error, no stop, the buffer never full.
        assert control.get("PANEL", "ACQ_LAMP") == 1
        assert control.get("PANEL", "BUFFER") < 100
        seen = [event.kind for event in control.events(timeout=0.5)]
        assert "driver error" not in seen and "acquisition stopped" not in seen
        control.command("press PANEL STOP")
        control.wait_for("acquisition stopped", timeout=120)
    silent.close()
    assert "did not read its answers and events" in program.output()
