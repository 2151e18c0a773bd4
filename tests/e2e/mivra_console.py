"""Shared helpers for the end-to-end tests of the console programs.

A script collects its failures with check() and compare() and ends with report(); Run drives one
process through its standard input while its output is read in the background.

    import mivra_console as console
    run = console.Run([program], "t\\nc\\n", cwd=tmp)
    console.check(run.wait_for_output("Press enter to exit..."), "no exit prompt")
    status, output = run.finish()
    console.compare("session", output, expected)
    console.report()

A run's standard error must be exactly the lines the program means to print (Run's stderr_lines,
in order; only SDL's own announcements of the disk audio driver the test chose may come between
them): finish() records a failure for a missing line, a line out of order, or any other line.
"""

import os
import random
import re
import subprocess
import sys
import threading
import time

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def compare(name, actual, expected):
    """Fails on the first line that differs, or on a different number of lines."""
    if actual == expected:
        return
    got, want = actual.split("\n"), expected.split("\n")
    for number, (a, b) in enumerate(zip(got, want), 1):
        if a != b:
            failures.append(f"{name}: line {number} is {a!r}, expected {b!r}")
            return
    failures.append(f"{name}: {len(got)} lines, expected {len(want)}; last lines {got[-3:]!r} vs {want[-3:]!r}")


# SDL's disk audio driver announces itself on standard error: the test's choice of driver, not
# the program's words.
SDL_DISK_DRIVER_LINES = [
    "CRITICAL: You are using the SDL disk i/o audio driver!",
    re.compile(r"CRITICAL:  (Writing to|Reading from) file \[.*\]\."),
]


def unexpected_lines(text, allowed):
    """The lines of text that match none of the allowed entries (exact strings or compiled regular
    expressions matching the whole line)."""
    def expected(line):
        return any(line == entry if isinstance(entry, str) else entry.fullmatch(line) for entry in allowed)
    return [line for line in text.splitlines() if not expected(line)]


def whole_stderr_mismatch(text, expected, tolerated=()):
    """None when the lines of text, less the tolerated ones, are the expected ones in order (each
    an exact string or a compiled regular expression matching the whole line); else what differs."""
    def matches(line, entry):
        return line == entry if isinstance(entry, str) else entry.fullmatch(line) is not None
    lines = [line for line in text.splitlines() if not any(matches(line, entry) for entry in tolerated)]
    for number, (line, entry) in enumerate(zip(lines, expected), 1):
        if not matches(line, entry):
            return f"line {number} is {line!r}, expected {getattr(entry, 'pattern', entry)!r}"
    if len(lines) > len(expected):
        return f"unexpected lines {lines[len(expected):]!r}"
    if len(lines) < len(expected):
        return f"missing lines {[getattr(entry, 'pattern', entry) for entry in expected[len(lines):]]!r}"
    return None


def check_whole_stderr(name, text, expected=(), tolerated=SDL_DISK_DRIVER_LINES):
    """Records a failure unless text (a program's standard error) is exactly the expected lines,
    besides SDL's announcements of the disk audio driver."""
    if isinstance(text, bytes):
        text = text.decode(errors="replace")
    mismatch = whole_stderr_mismatch(text, list(expected), tolerated)
    check(mismatch is None, f"{name}: standard error {text!r}: {mismatch}")


def check_stderr(name, text, allowed=()):
    """Records a failure unless every line of text (a program's standard error) is allowed."""
    if isinstance(text, bytes):
        text = text.decode(errors="replace")
    unexpected = unexpected_lines(text, allowed)
    check(not unexpected, f"{name}: unexpected lines on standard error: {unexpected!r}")


def wait_until(predicate, timeout, what, poll=0.02):
    """Polls predicate until it returns something true, and returns that. After timeout seconds
    the test fails at once, saying what it waited for (and what failed before): what is a string,
    or a function giving one then, to tell how far things got."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            failures.append(f"waited {timeout} s for {what() if callable(what) else what}")
            report()
        time.sleep(poll)


def waits_for_input(process, timeout=10):
    """Whether the process comes to wait on its standard input (blocked in read(2) on descriptor
    0, as /proc shows) within the time: evidence that it waits for the user, where a pause could
    only show that it had not ended yet. False at once when it ends."""
    deadline = time.monotonic() + timeout
    while process.poll() is None:
        try:
            with open(f"/proc/{process.pid}/syscall") as f:
                fields = f.read().split()
        except OSError:
            fields = []
        if len(fields) > 1 and fields[0] == "0" and int(fields[1], 16) == 0:
            return True
        if time.monotonic() > deadline:
            return False
        time.sleep(0.01)
    return False


def read_position(pid, path):
    """How far the process has read into the file at path (the offset of its descriptor open on
    it, from /proc), or None while it has none open."""
    directory = f"/proc/{pid}/fd"
    try:
        for fd in os.listdir(directory):
            try:
                if os.readlink(os.path.join(directory, fd)) == path:
                    with open(f"/proc/{pid}/fdinfo/{fd}") as f:
                        return int(f.readline().split()[1])
            except OSError:
                continue
    except OSError:
        pass
    return None


def report():
    """Prints the failures and ends the script: status 1 if there were any."""
    for failure in failures:
        print("FAIL:", failure)
    sys.exit(1 if failures else 0)


def disk_audio(out_file, in_file, delay=None, driver="disk"):
    """The environment for a program on SDL's disk audio driver: it plays into out_file and
    captures from in_file, paced in real time unless a delay (ms) is given."""
    env = dict(os.environ, SDL_AUDIODRIVER=driver, SDL_DISKAUDIOFILE=out_file, SDL_DISKAUDIOFILEIN=in_file)
    env.pop("SDL_DISKAUDIODELAY", None)
    if delay is not None:
        env["SDL_DISKAUDIODELAY"] = str(delay)
    return env


def nonzero_samples(count, seed):
    """Reproducible 16-bit samples none of which is silence, to find again in a recording."""
    rng = random.Random(seed)
    return [rng.choice((-1, 1)) * rng.randint(1, 20000) for _ in range(count)]



def wait_or_kill(process, timeout):
    """Waits up to timeout seconds for the process to end and returns its exit status; kills one
    that is still running then and returns None."""
    try:
        return process.wait(timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return None

class Run:
    """One run of a program with standard input from the test; its standard output (and its
    standard error, unless sent elsewhere) read in the background. stderr_lines: the whole of what
    the program means to write on standard error in this run, in order (strings, or compiled
    regular expressions for the whole line); finish() records a failure for anything else."""

    def __init__(self, command, stdin_text="", close_stdin=False, cwd=None, env=None,
                 stderr=subprocess.PIPE, preexec_fn=None, stderr_lines=(), stderr_tolerated=()):
        self.command = command
        self.stderr_lines = list(stderr_lines)
        # Lines that timing decides: any number of them, anywhere.
        self.stderr_tolerated = list(stderr_tolerated)
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=stderr, cwd=cwd, env=env, preexec_fn=preexec_fn)
        self.output = b""
        self.errors = b""
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        self.error_reader = None
        if stderr == subprocess.PIPE:
            self.error_reader = threading.Thread(target=self._read_errors, daemon=True)
            self.error_reader.start()
        self.write(stdin_text)
        if close_stdin:
            self.close_input()

    def _read(self):
        while chunk := self.process.stdout.read1(65536):
            self.output += chunk

    def _read_errors(self):
        # As it comes, so that a test can wait for a line the program writes while it runs.
        while chunk := self.process.stderr.read1(65536):
            self.errors += chunk

    @property
    def text(self):
        """The standard output so far, byte for character."""
        return self.output.decode("latin-1")

    def write(self, text):
        self.process.stdin.write(text.encode())
        self.process.stdin.flush()

    def close_input(self):
        if not self.process.stdin.closed:
            try:
                self.process.stdin.close()
            except BrokenPipeError:
                pass

    def wait_for_output(self, text, timeout=30):
        """Whether the text shows in the output within the time; False at once when the program
        has ended and its whole output is read without it."""
        wanted = text.encode() if isinstance(text, str) else text
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if wanted in self.output:
                return True
            if not self.reader.is_alive():
                return wanted in self.output
            time.sleep(0.02)
        return False

    def wait_for_errors(self, text, timeout=30):
        """Whether the text shows on standard error within the time (read as it comes)."""
        wanted = text.encode()
        deadline = time.monotonic() + timeout
        while wanted not in self.errors:
            if time.monotonic() > deadline or not self.error_reader.is_alive():
                return wanted in self.errors
            time.sleep(0.02)
        return True

    def finish(self, timeout=40):
        """Waits for the program to end, without closing its input: (exit status or "hung", output)."""
        status = wait_or_kill(self.process, timeout)
        if status is None:
            status = "hung"
        self.reader.join(5)
        self.check_stderr()
        return status, self.output.decode(errors="replace")

    def check_stderr(self, name=None):
        """Once the program has ended: records a failure unless its standard error is the whole of
        stderr_lines."""
        if self.error_reader:
            self.error_reader.join(5)
            check_whole_stderr(name or os.path.basename(self.command[0]), self.errors, self.stderr_lines,
                               SDL_DISK_DRIVER_LINES + self.stderr_tolerated)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
