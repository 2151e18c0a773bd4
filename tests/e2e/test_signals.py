"""Ctrl+C (SIGINT) and SIGTERM end a program within moments, at a point where it really runs: its
window shown, its audio started, or waiting for input.

The programs start with both signals at their default disposition, as from a terminal. A console
program must end as the signal's default ends it; a window program may end that way or as on a
close request (exit status 0).

usage: test_signals.py <program>   (binaries from MIVRA_BIN; voice_chat and sockets need a private
network namespace, for their fixed ports)
"""
import os
import signal
import sys
import tempfile

import mivra_console as console
import mivra_e2e as e2e

PROGRAM = sys.argv[1]
BINARY = os.path.join(os.environ["MIVRA_BIN"], PROGRAM)
SIGNALS = (signal.SIGINT, signal.SIGTERM)
# Generous for a loaded machine, yet far below the time a program that ignores the signal would
# keep running (until its input ends or its window closes, that is: never, here).
GONE_WITHIN = 10.0

WINDOW_TITLES = {
    "keyboard": "Keyboard",
    "joystick": "Joystick",
    "event_handling": "Mivra Event Handling",
    "raw_mouse_input": "Mivra Raw Mouse Input",
    "island": "Mivra Island",
    "shader": "Mivra Shader",
    "tennis": "Mivra Tennis",
    "stencil": "Mivra Stencil",
}


class Console(console.Run):
    """A console program on SDL's disk audio driver, its standard output collected in the background."""

    def __init__(self, tmp, name, answers="", env=None):
        self.name = name
        environment = console.disk_audio(os.path.join(tmp, name + "-out.raw"), os.path.join(tmp, name + "-in.raw"))
        environment.update(env or {})
        # The disk driver's capture reads this file (zeros past its end) and cannot open without it.
        # Some silence in it shows, by how far the program has read, that it captures.
        with open(environment["SDL_DISKAUDIOFILEIN"], "wb") as f:
            f.write(bytes(65536))
        self.input_file = environment["SDL_DISKAUDIOFILEIN"]
        self.output_file = environment["SDL_DISKAUDIOFILE"]
        super().__init__([BINARY], answers, cwd=tmp, env=environment, preexec_fn=e2e.default_signals)

    send = console.Run.write

    def wait_for(self, text, timeout=30):
        if not self.wait_for_output(text, timeout):
            e2e.fail(f"{self.name}: no {text!r} in its output: {self.output.decode(errors='replace')!r}")

    def signal_and_expect_gone(self, signum):
        self.process.send_signal(signum)
        status = console.wait_or_kill(self.process, GONE_WITHIN)
        name = signal.Signals(signum).name
        if status is None:
            e2e.fail(f"{self.name} still ran {GONE_WITHIN} s after {name}")
        if status != -signum:
            e2e.fail(f"{self.name} ended with status {status} after {name}, not by the signal")
        # A signal is an ordinary way out: nothing on standard error but SDL's word that the test
        # chose its disk audio driver.
        self.error_reader.join(5)
        mismatch = console.whole_stderr_mismatch(self.errors.decode(errors="replace"), [],
                                                 console.SDL_DISK_DRIVER_LINES)
        if mismatch:
            e2e.fail(f"{self.name} after {name}: standard error {self.errors!r}: {mismatch}")


def window_program(signum):
    with e2e.Session(BINARY) as s:
        s.wait_window(WINDOW_TITLES[PROGRAM])
        if PROGRAM == "raw_mouse_input":
            s.mousemove(100, 100)  # its window stays black until the pointer moves
        s.wait_first_frame()
        if s.proc.poll() is not None:
            e2e.fail(f"{PROGRAM} ended by itself ({s.proc.returncode}): {s.stderr}")
        s.proc.send_signal(signum)
        status = console.wait_or_kill(s.proc, GONE_WITHIN)
        name = signal.Signals(signum).name
        if status is None:
            e2e.fail(f"{PROGRAM} still ran {GONE_WITHIN} s after {name}")
        if status not in (0, -signum):
            e2e.fail(f"{PROGRAM} ended with status {status} after {name}")
    # A signal is an ordinary way out: it leaves nothing on standard error.
    s.expect_stderr()


def console_program(tmp, signum):
    """One run signalled where the program waits or works, per program."""
    if PROGRAM == "sound_playback":
        run = Console(tmp, "playback")
        run.wait_for("Playing... ")  # the first sound is being played
    elif PROGRAM == "sound_capture":
        run = Console(tmp, "capture", "44100\n\n")  # one device: no choice asked
        run.wait_for("Recording... press enter to stop")
        console.wait_until(lambda: console.read_position(run.process.pid, run.input_file), 20,
                           "sound_capture to read from its capture device's file")
    elif PROGRAM == "ftp_client":
        run = Console(tmp, "ftp")
        run.wait_for("Enter the FTP server address: ")
    elif PROGRAM == "sockets":
        run = Console(tmp, "sockets", "t\ns\n")
        run.wait_for("waiting for connections... ")
    else:
        raise SystemExit(f"unknown program {PROGRAM}")
    try:
        run.signal_and_expect_gone(signum)
    finally:
        run.kill()


def voice_chat(tmp, first, second):
    """A server and a client streaming to it; the client gets `first` while it records, then the
    server, which has been playing the stream, gets `second`."""
    server = Console(tmp, "server", "s\n")
    client = None
    try:
        server.wait_for("waiting for connections... ")
        client = Console(tmp, "client", "c\n127.0.0.1\n\n")
        client.wait_for("Recording... press enter to stop")
        server.wait_for("Client connected: ")
        # Packets flow and the server's stream plays: the client reads its microphone and the
        # server's output file grows.
        console.wait_until(lambda: console.read_position(client.process.pid, client.input_file), 20,
                           "the client to read from its capture device's file")
        played = os.path.getsize(server.output_file) if os.path.exists(server.output_file) else 0
        console.wait_until(lambda: os.path.exists(server.output_file)
                           and os.path.getsize(server.output_file) > played + 8192, 20,
                           "the server's output file to grow")
        client.signal_and_expect_gone(first)
        server.signal_and_expect_gone(second)
    finally:
        server.kill()
        if client:
            client.kill()


if PROGRAM in WINDOW_TITLES:
    for signum in SIGNALS:
        window_program(signum)
elif PROGRAM == "voice_chat":
    with tempfile.TemporaryDirectory() as tmp:
        voice_chat(tmp, signal.SIGINT, signal.SIGTERM)
    with tempfile.TemporaryDirectory() as tmp:
        voice_chat(tmp, signal.SIGTERM, signal.SIGINT)
else:
    for signum in SIGNALS:
        with tempfile.TemporaryDirectory() as tmp:
            console_program(tmp, signum)
print(f"{PROGRAM}: ended on SIGINT and on SIGTERM")
