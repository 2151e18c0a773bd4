"""sound_capture through SDL's disk audio driver: the capture reads a known input file, and the
recording is saved to a file or played to the output file.

usage: test_sound_capture.py <sound_capture binary> save|play|failures|rates
"""
import errno
import fcntl
import os
import re
import struct
import subprocess
import sys
import tempfile
import threading
import time
import wave

import mivra_console as console

program, case = sys.argv[1], sys.argv[2]
nonzero_samples = console.nonzero_samples


def check(condition, message):
    console.check(condition, message)
    return condition


# Silence after the input: SDL reads its input through a 4 KiB stdio buffer and a device buffer of
# a few KiB, so once the program has taken all but the last 16 KiB, it has every sample.
PADDING = 8192
PIPE_SIZE = 4096
F_SETPIPE_SZ = 1031
WAIT = 30  # seconds; a wait that runs out fails the test


class Feeder(threading.Thread):
    """Writes the input into a FIFO that SDL's disk driver reads as its capture file, then closes
    it. The pipe holds at most PIPE_SIZE bytes, so the last write returns only once the program has
    taken all but that much of the input: the end of this thread is the moment the capture has
    every sample, which a test cannot miss (the driver's own file position, by contrast, is gone a
    few milliseconds after the end of a regular file)."""

    def __init__(self, path, data, process):
        super().__init__(daemon=True)
        self.path, self.data, self.process = path, data, process

    def run(self):
        while self.process.poll() is None:
            try:
                fd = os.open(self.path, os.O_WRONLY | os.O_NONBLOCK)
                break
            except OSError as error:
                if error.errno != errno.ENXIO:  # no reader yet
                    raise
                time.sleep(0.005)
        else:
            return
        try:
            fcntl.fcntl(fd, F_SETPIPE_SZ, PIPE_SIZE)
            os.set_blocking(fd, True)
            with os.fdopen(fd, "wb") as pipe:
                pipe.write(self.data)
        except BrokenPipeError:
            pass  # the program ended before it took the whole input: the wait for it fails


def start(tmp, input_samples, driver="disk"):
    path = os.path.join(tmp, "in.raw")
    if os.path.exists(path):
        os.unlink(path)
    os.mkfifo(path)
    env = console.disk_audio(os.path.join(tmp, "out.raw"), path, delay=2, driver=driver)
    process = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               env=env, cwd=tmp)
    process.tmp = tmp
    process.feeder = Feeder(path, struct.pack("<%dh" % len(input_samples), *input_samples) + b"\0\0" * PADDING,
                            process)
    process.feeder.start()
    return process


def converse(process, answers):
    """Writes the answers in turn; an answer marked INPUT waits until the capture has taken the whole
    input (Enter then stops a recording that holds it all), and the test fails if it never does.
    Returns (status, stdout, stderr)."""
    for wait, line in answers:
        if wait == INPUT:
            process.feeder.join(WAIT)
            if not check(not process.feeder.is_alive() and process.poll() is None,
                         "the capture never took the whole input"):
                process.kill()
                out, err = process.communicate()
                return "killed", out.decode(), err.decode()
        process.stdin.write(line.encode())
        process.stdin.flush()
    out, err = process.communicate(timeout=60)
    return process.returncode, out.decode(), err.decode()


def disk_driver_lines(tmp, capture=True):
    """What SDL's disk driver prints on opening the output, then the capture device."""
    lines = ["CRITICAL: You are using the SDL disk i/o audio driver!",
             "CRITICAL:  Writing to file [%s]." % os.path.join(tmp, "out.raw")]
    if capture:
        lines += ["CRITICAL: You are using the SDL disk i/o audio driver!",
                  "CRITICAL:  Reading from file [%s]." % os.path.join(tmp, "in.raw")]
    return lines


def check_stderr(name, err, lines):
    """The whole of standard error: these lines, in this order, and nothing else."""
    expected = "".join(line + "\n" for line in lines)
    check(err == expected, "%s: standard error %r, expected %r" % (name, err, expected))


INPUT = "input"


HEADER = "Available capture devices:\n\n0: (?P<device>[^\n]+)\n\n"
RATE_PROMPT = "Please choose the sample rate for sound capture \\(44100 is CD quality\\): "
RECORDING = ("Press enter to start recording audio"
             "Recording\\.\\.\\. press enter to stop"
             "Sound information:\n (?P<seconds>[0-9.e+-]+) seconds\n (?P<rate>[0-9]+) samples / seconds\n"
             " (?P<channels>[0-9]+) channels\n"
             "What do you want to do with captured sound \\(p = play, s = save\\) \\? ")
END = "\nDone!\nPress enter to exit...\n"

# Half a second of input, read by the device at about ten times real time.
samples = nonzero_samples(22050, 5)

with tempfile.TemporaryDirectory() as tmp:
    if case == "save":
        name = "my recording.wav"
        status, out, err = converse(start(tmp, samples),
                                    [(None, "44100\n\n"), (INPUT, "\n"), (None, "s\n"), (None, name + "\n"), (None, "\n")])
        check(status == 0, "exit status %d: %s" % (status, err))
        check_stderr("save", err, disk_driver_lines(tmp))
        match = re.fullmatch(HEADER + RATE_PROMPT + RECORDING + "Choose the file to create: " + END, out)
        check(match is not None, "transcript:\n%r" % out)
        if match:
            check(match["rate"] == "44100" and match["channels"] == "1", "properties %s" % match.groupdict())
            check(float(match["seconds"]) >= 0.5, "recording of %s seconds" % match["seconds"])
        with wave.open(os.path.join(tmp, name)) as w:
            check(w.getframerate() == 44100 and w.getnchannels() == 1, "file format")
            recorded = struct.unpack("<%dh" % w.getnframes(), w.readframes(w.getnframes()))
        check(list(recorded[:len(samples)]) == samples, "the file does not start with the input's samples")
        check(all(s == 0 for s in recorded[len(samples):]), "the file holds more than the input and silence")

    elif case == "play":
        status, out, err = converse(start(tmp, samples), [(None, "22050\n\n"), (INPUT, "\n"), (None, "p\n"), (None, "\n")])
        check(status == 0, "exit status %d: %s" % (status, err))
        check_stderr("play", err, disk_driver_lines(tmp))
        match = re.fullmatch(HEADER + RATE_PROMPT + RECORDING +
                             "(?P<progress>(?:\rPlaying\\.\\.\\. [0-9.e+-]+ sec {8})+)" + END, out)
        check(match is not None, "transcript:\n%r" % out)
        if match:
            check(match["rate"] == "22050", "rate %s" % match["rate"])
            # The first line comes right after play(): at 0, unless the output's thread (ten times
            # real time here) got ahead of the main one. The offsets then only move forward, within
            # the recording's length.
            offsets = [float(x) for x in re.findall(r"Playing\.\.\. ([0-9.e+-]+) sec", match["progress"])]
            check(offsets == sorted(offsets), "offsets go back: %r" % offsets)
            check(0 <= offsets[0] < float(match["seconds"]), "first offset %r" % offsets[0])
        # Played back at the capture's rate, 22050 Hz: the output has it resampled to 44100 Hz, so
        # look for its length and its loudness rather than its exact samples.
        with open(os.path.join(tmp, "out.raw"), "rb") as f:
            raw = f.read()
        output = struct.unpack("<%dh" % (len(raw) // 2), raw[:len(raw) // 2 * 2])
        left = output[0::2]
        audible = [i for i, s in enumerate(left) if abs(s) > 300]
        check(len(audible) > 0, "nothing was played")
        if audible:
            span = audible[-1] - audible[0]
            check(abs(span - 2 * len(samples)) < 2000, "played %d frames, expected about %d" % (span, 2 * len(samples)))
            check(output[0::2] == output[1::2], "the channels differ")

        # At the output's own rate the samples come out exactly.
        with tempfile.TemporaryDirectory() as tmp2:
            status, out, err = converse(start(tmp2, samples), [(None, "44100\n\n"), (INPUT, "\n"), (None, "x\n"), (None, "\n")])
            check(status == 0, "exit status %s at 44100: %s" % (status, err))
            check_stderr("play at 44100 Hz", err, disk_driver_lines(tmp2))
            with open(os.path.join(tmp2, "out.raw"), "rb") as f:
                raw = f.read()
            expected = b"".join(struct.pack("<hh", s, s) for s in samples)
            check(expected in raw, "the output does not hold the captured samples")

    elif case == "failures":
        # A save that fails still ends normally.
        status, out, err = converse(start(tmp, samples),
                                    [(None, "44100\n\n"), (INPUT, "\n"), (None, "s\n"), (None, "/no/such/dir/x.wav\n"), (None, "\n")])
        check(status == 0, "failed save: exit status %s" % status)
        check_stderr("failed save", err, disk_driver_lines(tmp) + [
            "mivra: cannot save the sound: /no/such/dir/x.wav: cannot create a file beside it: no such file",
            "Could not save sound buffer to file"])
        check(out.endswith(END), "failed save: %r" % out)

        # A sampling rate of 0 (or a word instead of a number) cannot start a capture.
        for answer in ("0\n", "abc\n"):
            status, out, err = converse(start(tmp, samples), [(None, answer + "\n")])
            check(status == 1, "rate %r: exit status %s" % (answer, status))
            check_stderr("rate %r" % answer, err, disk_driver_lines(tmp, capture=False) + [
                "mivra: cannot start capture: System audio capture device: a sample rate of 0 Hz is outside the "
                "supported 1000 to 768000 Hz", "Failed to start recorder"])
            check("Press enter to exit" not in out, "rate %r: exit prompt shown" % answer)

        # Standard input ends at once: the program ends.
        status, out, err = converse(start(tmp, samples), [])
        check(status == 1, "no input: status %s" % status)
        check_stderr("no input", err, disk_driver_lines(tmp, capture=False) + [
            "mivra: cannot start capture: System audio capture device: a sample rate of 0 Hz is outside the "
            "supported 1000 to 768000 Hz", "Failed to start recorder"])

        # No audio system at all: capture is unsupported.
        status, out, err = converse(start(tmp, samples, driver="no-such-driver"), [])
        check(status == 0, "unsupported: exit status %s" % status)
        check_stderr("unsupported", err, ["mivra: cannot open an audio output device: Audio target 'no-such-driver' "
                                          "not available; sounds play on a silent null output"])
        check(out == "Sorry, audio capture is not supported by your system\n", "unsupported: %r" % out)

    elif case == "rates":
        # Rates the library cannot serve are refused at once with one line saying why, instead of a
        # capture whose stop never comes.
        for rate in ("4294967295", "1"):
            process = start(tmp, samples)
            process.stdin.write((rate + "\n\n\n").encode())
            process.stdin.flush()
            try:
                out, err = (stream.decode() for stream in process.communicate(timeout=15))
            except subprocess.TimeoutExpired:
                process.kill()
                process.communicate()
                check(False, "rate %s: the program did not end" % rate)
                continue
            check(process.returncode == 1, "rate %s: exit status %d" % (rate, process.returncode))
            check(re.fullmatch(HEADER + RATE_PROMPT + "Press enter to start recording audio", out) is not None,
                  "rate %s: transcript %r" % (rate, out))
            device = re.match(HEADER, out)["device"] if re.match(HEADER, out) else "?"
            check_stderr("rate %s" % rate, err, disk_driver_lines(tmp, capture=False) + [
                "mivra: cannot start capture: %s: a sample rate of %s Hz is outside the supported 1000 to 768000 Hz"
                % (device, rate), "Failed to start recorder"])

console.report()
