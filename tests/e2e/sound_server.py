"""A PulseAudio daemon of the test's own, as a desktop runs one: null sinks as speakers, and a
microphone made of a sink's monitor (SDL lists no monitor sources), so that a test plays a known
sound into the microphone and records what the speakers play."""
import math
import os
import shutil
import signal
import struct
import subprocess
import tempfile
import time

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

    def record_speakers(self, path):
        """Records what the speakers play, raw 16-bit stereo at RATE, until stop_recording()."""
        return subprocess.Popen(["parec", "--device=speakers.monitor", "--format=s16le", "--rate=%d" % RATE,
                                 "--channels=2", "--raw", "--latency-msec=20", path], env=self.tool_env)


def stop_recording(recorder):
    recorder.terminate()
    recorder.wait(10)


def read_raw(path, channels=2):
    """The left (first) channel of a raw 16-bit recording."""
    with open(path, "rb") as f:
        raw = f.read()
    frames = len(raw) // (2 * channels)
    return list(struct.unpack("<%dh" % (frames * channels), raw[:frames * 2 * channels])[0::channels])


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
