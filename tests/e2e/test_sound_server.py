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
    Without `during`, the recording stops once the microphone has carried the whole tone and then
    half a second of quiet (time for the program's own stream of the same source to catch up).
    `during(tap, run)` runs once the microphone has carried a second of the tone, and must end the
    recording. Returns (run, wav path)."""
    tone = os.path.join(tmp, "tone.wav")
    pulse.tone_file(tone, TONE_HZ, seconds)
    tap = server.tap("microphone")
    run = console.Run([os.path.join(BIN, "sound_capture")], "44100\n\n", env=server.env, cwd=tmp)
    check(run.wait_for_output(RECORDING), "sound_capture did not record: %r" % run.text)
    player = server.play_into_microphone(tone)
    if during:
        tap.wait_heard(1.0, what="the tone")
        during(tap, run)
    else:
        tap.wait_whole(seconds, quiet=0.5)
    tap.stop()
    player.kill()
    player.wait(10)
    path = os.path.join(tmp, "recording.wav")
    run.write("\ns\n%s\n\n" % path)
    return run, path


def play_all(server, tmp, speakers=None, during=None, stderr_lines=()):
    """sound_playback from start to end. speakers: a tap on the speakers' monitor; `during` runs
    once it has heard the first sound. Its standard error must be exactly the given lines.
    Returns the seconds it took."""
    started = time.monotonic()
    run = console.Run([os.path.join(BIN, "sound_playback")], env=server.playback_env, cwd=tmp,
                      stderr_lines=stderr_lines)
    if during:
        speakers.wait_heard(what="sound_playback's first sound")
        during()
    check(run.wait_for_output(PLAYBACK_END, timeout=20), "sound_playback did not end: %r" % run.text[-300:])
    if speakers and not during:
        # Enter once the last sound has left the server's buffer too, as a listener would press
        # it: the speakers have played on for more than that buffer (300 ms) since the end line.
        speakers.wait_frames(speakers.frames + pulse.RATE // 2, what="the speakers to play on after the end line")
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
        speakers = server.tap("speakers.monitor", channels=2, threshold=300)
        play_all(server, tmp, speakers)
        check_playback(speakers.stop())

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
        speakers = server.tap("speakers.monitor", channels=2)
        microphone = server.tap("microphone")
        chat_server = console.Run([os.path.join(BIN, "voice_chat")], "s\n", env=server.playback_env, cwd=tmp)
        check(chat_server.wait_for_output("waiting for connections"), "server: %r" % chat_server.text)
        client = console.Run([os.path.join(BIN, "voice_chat")], "c127.0.0.1\n", env=server.env, cwd=tmp)
        check(client.wait_for_output("Press enter to start recording audio"), "client: %r" % client.text)
        client.write("\n")
        check(client.wait_for_output("Recording... press enter to stop"), "client: %r" % client.text)
        server.play_into_microphone(tone).wait(30)
        microphone.wait_whole(1.0, quiet=0.5)
        microphone.stop()
        client.write("\n")
        check(client.wait_for_output("Press enter to exit"), "client: %r" % client.text)
        client.write("\n")
        check(client.finish(20)[0] == 0, "voice_chat client exit status")
        check(client.errors == b"", "voice_chat client: standard error %r" % client.errors)
        check(chat_server.wait_for_output("Press enter to replay the sound"), "server: %r" % chat_server.text)
        speakers.wait_whole(1.0, what="the tone from the chat server")
        check_tone(speakers.stop(), 1.0, "voice_chat's server output")
        chat_server.close_input()
        check(chat_server.finish(20)[0] == 0, "voice_chat server exit status")
        check(chat_server.errors == b"", "voice_chat server: standard error %r" % chat_server.errors)

    elif case == "losses":
        # The microphone goes away a second into a four-second tone: the recording keeps what came
        # before, with no silence made up after it, says so once, and is saved.
        lost_line = ("mivra: the capture device went away: %s: the recording ends with what was captured"
                     % pulse.MICROPHONE)
        carried = []

        def unload_microphone(tap, run):
            server.unload(server.microphone)
            # The server moves the tap's stream to a silent monitor (or ends it): once it is quiet,
            # it has heard all the tone the microphone ever carried.
            console.wait_until(lambda: tap.quiet() >= 0.1 or not tap.reader.is_alive(), 10,
                               lambda: "the microphone's tap to go quiet after the loss: " + tap.state())
            carried.append(tap.heard())
            # The recording has ended on its own once the program says so; Enter comes after.
            check(run.wait_for_errors(lost_line), "no line about the lost microphone: %r" % run.errors)
        run, path = record_tone(server, tmp, 4.0, during=unload_microphone)
        run.stderr_lines = [lost_line]
        status, out = run.finish(30)
        check(status == 0, "sound_capture after the loss: exit status %s" % status)
        info = INFO.search(out)
        check(info is not None, "sound_capture transcript %r" % out)
        if info:
            recorded = read_wav(path)
            check(abs(float(info["seconds"]) - len(recorded) / pulse.RATE) < 0.01, "the saved file is not the recording")
            span = pulse.audible(pulse.without_gaps(recorded), threshold=1000)
            tone = 0 if span is None else (span[1] - span[0] + 1) / pulse.RATE
            # Most of the second heard before the loss, and no more than the microphone carried.
            check(0.5 < tone < carried[0] + 0.03, "a recording of %.2f s of tone, the microphone carried %.2f s"
                  % (tone, carried[0]))
            tail = recorded[-2205:]
            check(pulse.rms(tail) > 0.3, "the recording ends in silence (level %.3f)" % pulse.rms(tail))
        check(run.errors.decode(errors="replace") == run.stderr_lines[0] + "\n",
              "sound_capture: standard error %r" % run.errors)

        # The speakers go away, the last sink: the program plays on, silently, to its end.
        server.unload(server.feed)
        speakers = server.tap("speakers.monitor", channels=2, threshold=300)
        seconds = play_all(server, tmp, speakers, during=lambda: server.unload(server.speakers), stderr_lines=[
            "mivra: the audio output device went away: %s: sounds play on through a silent null output"
            % pulse.SPEAKERS])
        speakers.stop()
        check(seconds < 11, "sound_playback took %.1f s after losing its output" % seconds)

        # The daemon dies.
        server.speakers = server.load("module-null-sink", "sink_name=speakers",
                                      "sink_properties=device.description=" + pulse.SPEAKERS)
        server.pactl("set-default-sink", "speakers")
        speakers = server.tap("speakers.monitor", channels=2, threshold=300)
        seconds = play_all(server, tmp, speakers, during=server.kill, stderr_lines=[
            "mivra: the audio output device went away: %s: sounds play on through a silent null output"
            % pulse.SPEAKERS])
        speakers.stop()
        check(seconds < 11, "sound_playback took %.1f s after the sound server died" % seconds)

console.report()
