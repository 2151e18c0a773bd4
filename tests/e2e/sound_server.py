"""A PulseAudio daemon of the test's own, as a desktop runs one: null sinks as speakers, and a
microphone made of a sink's monitor (SDL lists no monitor sources), so that a test plays a known
sound into the microphone and records what the speakers play."""
import array
import math
import os
import shutil
import signal
import struct
import subprocess
import tempfile
import threading
import time

from mivra_console import wait_until

SPEAKERS = "Speakers"      # the default sink, what programs play to
MICROPHONE = "Microphone"  # the only source SDL lists
RATE = 44100


class SoundServer:
    """pulseaudio -n with the speakers sink, the mic_feed sink and the microphone over its monitor.
    Use as a context manager; the daemon ends with it."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="mivra-pulse-")
        self.runtime = os.path.join(self.dir, "run")
        os.mkdir(self.runtime, 0o700)
        os.mkdir(os.path.join(self.dir, "home"))
        # tool_env for pactl, paplay and parec; env for the programs that capture; playback_env for
        # the ones that only play. A loaded test machine starves a player's audio thread now and
        # then, and the server skips what comes late: a client buffer of a few hundred milliseconds
        # (libpulse's PULSE_LATENCY_MSEC) rides that out, as a desktop's idle processors do. Capture
        # keeps the server's own buffer, which holds seconds (with the short one, SDL's capture here
        # loses its first few hundred milliseconds).
        self.tool_env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, HOME=os.path.join(self.dir, "home"))
        self.env = dict(self.tool_env, SDL_AUDIODRIVER="pulseaudio")
        for name in ("SDL_DISKAUDIOFILE", "SDL_DISKAUDIOFILEIN", "SDL_DISKAUDIODELAY", "PULSE_SERVER"):
            self.env.pop(name, None)
        self.playback_env = dict(self.env, PULSE_LATENCY_MSEC="300")
        self.log = open(os.path.join(self.dir, "daemon.log"), "wb")
        self.daemon = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
             "-L", "module-native-protocol-unix"], env=self.tool_env, stdout=self.log, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 20
        while subprocess.run(["pactl", "info"], env=self.tool_env, capture_output=True).returncode != 0:
            if self.daemon.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("the sound server did not start: " + self.daemon_log())
            time.sleep(0.05)
        self.speakers = self.load("module-null-sink", "sink_name=speakers",
                                  "sink_properties=device.description=" + SPEAKERS)
        self.feed = self.load("module-null-sink", "sink_name=mic_feed", "sink_properties=device.description=Feed")
        self.microphone = self.load("module-remap-source", "master=mic_feed.monitor", "source_name=microphone",
                                    "source_properties=device.description=" + MICROPHONE)
        self.pactl("set-default-sink", "speakers")
        self.pactl("set-default-source", "microphone")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.kill()
        shutil.rmtree(self.dir, ignore_errors=True)

    def daemon_log(self):
        with open(os.path.join(self.dir, "daemon.log"), errors="replace") as f:
            return f.read()

    def pactl(self, *args):
        result = subprocess.run(["pactl", *args], env=self.tool_env, capture_output=True, text=True, timeout=20)
        if result.returncode != 0:
            raise RuntimeError("pactl %s: %s" % (" ".join(args), result.stderr))
        return result.stdout.strip()

    def load(self, module, *args):
        return self.pactl("load-module", module, *args)

    def unload(self, module):
        self.pactl("unload-module", module)

    def kill(self):
        """Ends the daemon at once, as a crash would."""
        if self.daemon.poll() is None:
            self.daemon.send_signal(signal.SIGKILL)
            self.daemon.wait()

    def play_into_microphone(self, path):
        """Plays a sound file into the microphone; returns the paplay process."""
        return subprocess.Popen(["paplay", "--device=mic_feed", path], env=self.tool_env)

    def tap(self, device, channels=1, threshold=1000):
        """A Tap on one of the daemon's sources: "microphone", or "speakers.monitor" (stereo) for
        what the speakers play."""
        return Tap(self, device, channels, threshold)


class Tap:
    """What a source carries, read as it comes by a parec at 20 ms latency: what a level meter on
    a desktop shows. The remapped monitor that serves as microphone starts slowly (a tone played
    into it is first heard there up to 1.5 s later), so a test acts on a sound once a tap on the
    same source has heard it, never after a pause of its own. Keeps the first channel, and where it
    was first and last louder than the threshold."""

    def __init__(self, server, device, channels=1, threshold=1000):
        self.device = device
        self.channels = channels
        self.threshold = threshold
        self.samples = array.array("h")
        self.first = None  # frame index of the first loud sample
        self.last = None   # and of the last
        self.lock = threading.Lock()
        self.process = subprocess.Popen(
            ["parec", "--device=" + device, "--format=s16le", "--rate=%d" % RATE, "--channels=%d" % channels,
             "--raw", "--latency-msec=20"], stdout=subprocess.PIPE, env=server.tool_env)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        # A source with no sound still carries silence: the first bytes say the tap is connected.
        wait_until(lambda: self.frames > 0 or not self.reader.is_alive(), 20, "the tap on %s to start" % device)
        if not self.reader.is_alive():
            raise RuntimeError("parec of %s ended at once" % device)

    def _read(self):
        frame = 2 * self.channels
        rest = b""
        while chunk := self.process.stdout.read1(65536):
            data = rest + chunk
            usable = len(data) - len(data) % frame
            rest = data[usable:]
            block = array.array("h")
            block.frombytes(data[:usable])
            block = block[0::self.channels]
            with self.lock:
                base = len(self.samples)
                self.samples.extend(block)
                if block and (max(block) > self.threshold or min(block) < -self.threshold):
                    loud = [i for i, s in enumerate(block) if abs(s) > self.threshold]
                    if self.first is None:
                        self.first = base + loud[0]
                    self.last = base + loud[-1]

    @property
    def frames(self):
        with self.lock:
            return len(self.samples)

    def heard(self):
        """Seconds from the first loud sample to the last (0 before any)."""
        with self.lock:
            return 0 if self.first is None else (self.last - self.first + 1) / RATE

    def quiet(self):
        """Seconds since the last loud sample (0 before any)."""
        with self.lock:
            return 0 if self.last is None else (len(self.samples) - 1 - self.last) / RATE

    def state(self):
        return "%s heard %.3f s of sound, quiet since %.3f s, %.3f s read" % (
            self.device, self.heard(), self.quiet(), self.frames / RATE)

    def wait_heard(self, seconds=0.0, timeout=30, what="sound"):
        """Waits until the tap has heard at least the seconds of sound (any at all by default)."""
        wait_until(lambda: self.first is not None and self.heard() >= seconds, timeout,
                   lambda: "%s to reach %s (%.2f s of it): %s" % (what, self.device, seconds, self.state()))

    def wait_whole(self, seconds, timeout=30, what="the tone", quiet=0.1):
        """Waits until the tap has heard a sound of about the seconds whole: as long less 60 ms,
        then quiet for the given seconds."""
        wait_until(lambda: self.heard() >= seconds - 0.06 and self.quiet() >= quiet, timeout,
                   lambda: "%s (%.2f s) heard whole at %s: %s" % (what, seconds, self.device, self.state()))

    def wait_frames(self, frames, timeout=30, what="sound"):
        """Waits until the tap has read the frames in all (sound or silence)."""
        wait_until(lambda: self.frames >= frames, timeout,
                   lambda: "%s: %d frames read at %s: %s" % (what, frames, self.device, self.state()))

    def stop(self):
        """Ends the parec and returns the first channel of all it read."""
        self.process.terminate()
        self.process.wait(10)
        self.reader.join(10)
        with self.lock:
            return list(self.samples)


def tone_file(path, frequency, seconds, amplitude=0.5):
    """A mono 44.1 kHz WAV sine tone."""
    subprocess.run(["sox", "-n", "-r", str(RATE), "-c", "1", "-b", "16", path, "synth", str(seconds), "sine",
                    str(frequency), "vol", str(amplitude)], check=True)


def decoded(path):
    """The first channel of a sound file, as 16-bit samples at RATE (decoded by sox)."""
    out = subprocess.run(["sox", path, "-t", "raw", "-e", "signed", "-b", "16", "-r", str(RATE), "-", "remix", "1"],
                         capture_output=True, check=True).stdout
    return list(struct.unpack("<%dh" % (len(out) // 2), out))


def without_gaps(samples, run=32):
    """The samples without their runs of at least `run` exact zeros. A sound server that runs short
    of data, as a loaded machine makes it, plays silence until the data comes and then plays it
    all: taking the silences out of both the recording and the file lets them be compared."""
    kept, zeros = [], []
    for s in samples:
        if s == 0:
            zeros.append(s)
            continue
        if len(zeros) < run:
            kept.extend(zeros)
        zeros = []
        kept.append(s)
    return kept


def audible(samples, threshold=0):
    """(first, last) index of a sample louder than the threshold, or None."""
    first = next((i for i, s in enumerate(samples) if abs(s) > threshold), None)
    if first is None:
        return None
    last = len(samples) - 1 - next(i for i, s in enumerate(reversed(samples)) if abs(s) > threshold)
    return first, last


def rms(samples):
    return math.sqrt(sum(s * s for s in samples) / max(len(samples), 1)) / 32768


def pitch(samples):
    """The frequency of a steady tone, from its zero crossings."""
    crossings = sum(1 for a, b in zip(samples, samples[1:]) if (a < 0) != (b < 0))
    return crossings / 2 / (len(samples) / RATE)
