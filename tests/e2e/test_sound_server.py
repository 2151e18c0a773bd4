"""The audio programs on a real sound server, a PulseAudio daemon of the test's own (sound_server.py):
what a desktop user has, unlike SDL's disk driver.

usage: test_sound_server.py streams|losses   (inside a private network namespace: voice_chat's port)

streams: sound_playback's output reaches the speakers with the files' length, level and pitch;
sound_capture lists the server's microphone, records a known tone played into it and saves it with
the right pitch and length; voice_chat streams the tone from its client to its server's speakers.
losses: the microphone unloaded mid-recording, the speakers unloaded mid-playback and the daemon
killed mid-playback: each time one line naming the device on standard error, nothing hangs, and
the program goes on with what it has.
"""
import os
import re
import sys
import tempfile
import time
import wave
import struct

import mivra_console as console
import sound_server as pulse

case = sys.argv[1]


def check(condition, message):
    console.check(condition, message)
    return condition


BIN = os.environ["MIVRA_BIN"]
RESOURCES = os.environ["MIVRA_RESOURCE_DIR"]
FILES = ["killdeer.wav", "doodle_pop.ogg", "ding.flac", "ding.mp3"]
TONE_HZ = 1000
# SDL's PulseAudio capture hands over what the microphone heard about two seconds late; what has
# not come through when the recording stops is not part of it.
CAPTURE_LAG = 3.0

CAPTURE_HEADER = ("Available capture devices:\n\n0: " + pulse.MICROPHONE + "\n\n"
                  "Please choose the sample rate for sound capture (44100 is CD quality): "
                  "Press enter to start recording audio")
RECORDING = "Recording... press enter to stop"
INFO = re.compile(r"Sound information:\n (?P<seconds>[0-9.e+-]+) seconds\n 44100 samples / seconds\n 1 channels\n"
                  r"What do you want to do with captured sound \(p = play, s = save\) \? Choose the file to create: "
                  r"\nDone!\nPress enter to exit...\n")
PLAYBACK_END = "Press enter to exit...\n"


def correlation(a, b):
    num = sum(x * y for x, y in zip(a, b))
    den = (sum(x * x for x in a) * sum(y * y for y in b)) ** 0.5
    return num / den if den else 0.0


def check_playback(recording):
    """Each file in turn in the recorded speakers, silences taken out of both: found where the
    previous one ended, as long, as loud, of the same pitch and loudness over time as the file
    itself (decoded by sox)."""
    recording = pulse.without_gaps(recording)
    position = 0
    for name in FILES:
        reference = pulse.without_gaps(pulse.decoded(os.path.join(RESOURCES, name)))
        # Lined up by the first loud sample, then to the sample by the best match a tenth of a second
        # in: decoders disagree on an MP3's first frames (encoder delay), so the attack is left out.
        peak = max(abs(s) for s in reference)
        onset = next(i for i, s in enumerate(reference) if abs(s) > peak // 3)
        found = next((i for i in range(position, len(recording)) if abs(recording[i]) > peak // 3), None)
        if not check(found is not None, "%s: nothing played after frame %d" % (name, position)):
            return
        skip = pulse.RATE // 10
        loudest = max(range(skip + 512, len(reference) - 512), key=lambda i: abs(reference[i]))
        probe = reference[loudest - 512:loudest + 512]
        start = max(range(max(found - onset - 1500, 0), found - onset + 1500),
                    key=lambda s: correlation(recording[s + loudest - 512:s + loudest + 512], probe))
        segment = recording[start + skip:start + len(reference)]
        body = reference[skip:]
        check(len(segment) == len(body), "%s: the recording ends early" % name)
        # The loudness a tenth of a second at a time follows the file's.
        envelope = [pulse.rms(segment[i:i + 4410]) for i in range(0, len(body) - 4410, 4410)]
        expected_envelope = [pulse.rms(body[i:i + 4410]) for i in range(0, len(body) - 4410, 4410)]
        similarity = correlation(envelope, expected_envelope)
        check(similarity > 0.95, "%s: the loudness differs from the file's over time (correlation %.3f)"
              % (name, similarity))
        level, expected_level = pulse.rms(segment), pulse.rms(body)
        check(abs(level - expected_level) < 0.05 * expected_level,
              "%s: level %.4f, the file's %.4f" % (name, level, expected_level))
        frequency, expected_frequency = pulse.pitch(segment), pulse.pitch(body)
        check(abs(frequency - expected_frequency) < 0.03 * expected_frequency,
              "%s: pitch %.0f Hz, the file's %.0f Hz" % (name, frequency, expected_frequency))
        position = start + len(reference)
    # Nothing more than the files.
    rest = pulse.audible(recording[position:], threshold=300)
    check(rest is None or rest[1] - rest[0] < pulse.RATE // 20, "more sound after the last file")


def check_tone(samples, seconds, name):
    """A steady TONE_HZ tone of about the given length, and nothing else audible (silences the
    sound server made up when it ran short of data taken out)."""
    samples = pulse.without_gaps(samples)
    span = pulse.audible(samples, threshold=1000)
    if not check(span is not None, "%s: no tone" % name):
        return
    tone = samples[span[0]:span[1] + 1]
    check(abs(len(tone) / pulse.RATE - seconds) < 0.06, "%s: the tone lasts %.3f s, not %.2f s"
          % (name, len(tone) / pulse.RATE, seconds))
    check(abs(pulse.pitch(tone) - TONE_HZ) < 0.01 * TONE_HZ, "%s: pitch %.1f Hz" % (name, pulse.pitch(tone)))
    check(abs(pulse.rms(tone) - 0.3536) < 0.03, "%s: level %.3f" % (name, pulse.rms(tone)))


def read_wav(path):
    with wave.open(path) as w:
        check(w.getframerate() == 44100 and w.getnchannels() == 1, "%s: format" % path)
        return list(struct.unpack("<%dh" % w.getnframes(), w.readframes(w.getnframes())))


def record_tone(server, tmp, seconds, during=None):
    """sound_capture records the microphone while a tone plays into it, then saves the recording.
    `during` runs once the tone has played for a second. Returns (run, wav path)."""
    tone = os.path.join(tmp, "tone.wav")
    pulse.tone_file(tone, TONE_HZ, seconds)
    run = console.Run([os.path.join(BIN, "sound_capture")], "44100\n\n", env=server.env, cwd=tmp)
    check(run.wait_for_output(RECORDING), "sound_capture did not record: %r" % run.text)
    player = server.play_into_microphone(tone)
    if during:
        time.sleep(1.0)
        during()
    player.wait(30)
    time.sleep(CAPTURE_LAG)
    path = os.path.join(tmp, "recording.wav")
    run.write("\ns\n%s\n\n" % path)
    return run, path


def play_all(server, tmp, during=None, stderr_lines=()):
    """sound_playback from start to end; `during` runs once the first sound plays. Its standard
    error must be exactly the given lines. Returns the seconds it took."""
    started = time.monotonic()
    run = console.Run([os.path.join(BIN, "sound_playback")], env=server.playback_env, cwd=tmp,
                      stderr_lines=stderr_lines)
    if during:
        check(run.wait_for_output("Playing..."), "sound_playback: %r" % run.text)
        time.sleep(0.5)
        during()
    # Enter once the last sound has left the server's buffer too, as a listener would press it.
    check(run.wait_for_output(PLAYBACK_END, timeout=20), "sound_playback did not end: %r" % run.text[-300:])
    time.sleep(0.5)
    run.write("\n")
    status, out = run.finish(30)
    check(status == 0, "sound_playback: exit status %s" % status)
    for name in FILES:
        check(name + "\":\n" in out or name + ":\n" in out, "sound_playback did not play %s: %r" % (name, out[-300:]))
    check(out.endswith(PLAYBACK_END), "sound_playback: %r" % out[-200:])
    errors = run.errors.decode(errors="replace")
    check(errors == "".join(line + "\n" for line in stderr_lines), "sound_playback: standard error %r" % errors)
    return time.monotonic() - started


with tempfile.TemporaryDirectory() as tmp, pulse.SoundServer() as server:
    if case == "streams":
        # sound_playback, recorded at the speakers.
        monitor = os.path.join(tmp, "speakers.raw")
        recorder = server.record_speakers(monitor)
        time.sleep(0.3)
        play_all(server, tmp)
        time.sleep(0.3)
        pulse.stop_recording(recorder)
        check_playback(pulse.read_raw(monitor))

        # sound_capture: the listing names the server's microphone; a one-second tone is recorded.
        run, path = record_tone(server, tmp, 1.0)
        status, out = run.finish(30)
        check(status == 0, "sound_capture: exit status %s" % status)
        check(run.errors == b"", "sound_capture: standard error %r" % run.errors)
        check(out.startswith(CAPTURE_HEADER + RECORDING), "sound_capture transcript %r" % out)
        check(INFO.search(out) is not None, "sound_capture transcript %r" % out)
        check_tone(read_wav(path), 1.0, "sound_capture's recording")

        # voice_chat: the client records the tone, the server plays it on the speakers as it comes.
        tone = os.path.join(tmp, "tone.wav")
        monitor = os.path.join(tmp, "chat.raw")
        recorder = server.record_speakers(monitor)
        chat_server = console.Run([os.path.join(BIN, "voice_chat")], "s\n", env=server.playback_env, cwd=tmp)
        check(chat_server.wait_for_output("waiting for connections"), "server: %r" % chat_server.text)
        client = console.Run([os.path.join(BIN, "voice_chat")], "c127.0.0.1\n", env=server.env, cwd=tmp)
        check(client.wait_for_output("Press enter to start recording audio"), "client: %r" % client.text)
        client.write("\n")
        check(client.wait_for_output("Recording... press enter to stop"), "client: %r" % client.text)
        server.play_into_microphone(tone).wait(30)
        time.sleep(CAPTURE_LAG)
        client.write("\n")
        check(client.wait_for_output("Press enter to exit"), "client: %r" % client.text)
        client.write("\n")
        check(client.finish(20)[0] == 0, "voice_chat client exit status")
        check(client.errors == b"", "voice_chat client: standard error %r" % client.errors)
        check(chat_server.wait_for_output("Press enter to replay the sound"), "server: %r" % chat_server.text)
        time.sleep(0.5)
        pulse.stop_recording(recorder)
        check_tone(pulse.read_raw(monitor), 1.0, "voice_chat's server output")
        chat_server.close_input()
        check(chat_server.finish(20)[0] == 0, "voice_chat server exit status")
        check(chat_server.errors == b"", "voice_chat server: standard error %r" % chat_server.errors)

    elif case == "losses":
        # The microphone goes away a second into a four-second tone: the recording keeps what came
        # before, with no silence made up after it, says so once, and is saved.
        def unload_microphone():
            time.sleep(1.0)
            server.unload(server.microphone)
        run, path = record_tone(server, tmp, 4.0, during=unload_microphone)
        run.stderr_lines = ["mivra: the capture device went away: %s: the recording ends with what was captured"
                            % pulse.MICROPHONE]
        status, out = run.finish(30)
        check(status == 0, "sound_capture after the loss: exit status %s" % status)
        info = INFO.search(out)
        check(info is not None, "sound_capture transcript %r" % out)
        if info:
            recorded = read_wav(path)
            check(abs(float(info["seconds"]) - len(recorded) / pulse.RATE) < 0.01, "the saved file is not the recording")
            check(0.1 < len(recorded) / pulse.RATE < 2.2, "a recording of %.2f s" % (len(recorded) / pulse.RATE))
            tail = recorded[-2205:]
            check(pulse.rms(tail) > 0.3, "the recording ends in silence (level %.3f)" % pulse.rms(tail))
        check(run.errors.decode(errors="replace") == run.stderr_lines[0] + "\n",
              "sound_capture: standard error %r" % run.errors)

        # The speakers go away, the last sink: the program plays on, silently, to its end.
        server.unload(server.feed)
        seconds = play_all(server, tmp, during=lambda: server.unload(server.speakers), stderr_lines=[
            "mivra: the audio output device went away: %s: sounds play on through a silent null output"
            % pulse.SPEAKERS])
        check(seconds < 11, "sound_playback took %.1f s after losing its output" % seconds)

        # The daemon dies.
        server.speakers = server.load("module-null-sink", "sink_name=speakers",
                                      "sink_properties=device.description=" + pulse.SPEAKERS)
        server.pactl("set-default-sink", "speakers")
        seconds = play_all(server, tmp, during=server.kill, stderr_lines=[
            "mivra: the audio output device went away: %s: sounds play on through a silent null output"
            % pulse.SPEAKERS])
        check(seconds < 11, "sound_playback took %.1f s after the sound server died" % seconds)

console.report()
