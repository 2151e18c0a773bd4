"""sound_playback through SDL's disk audio driver: the console transcript and the audio it plays.

usage: test_sound_playback.py <sound_playback binary> <resource directory>
"""
import os
import re
import subprocess
import sys
import tempfile
import wave

import mivra_console as console

program, resources = sys.argv[1], sys.argv[2]
check = console.check


def run(tmp, stdin, delay=None, hidden=None):
    """A run to its end; hidden: a resource file replaced by a device (a private mount namespace
    binds /dev/null over it, as root) so that it cannot be loaded."""
    env = console.disk_audio(os.path.join(tmp, "out.raw"), os.path.join(tmp, "in.raw"), delay)
    command = [program]
    if hidden:
        command = ["unshare", "-m", "sh", "-c", 'mount --bind /dev/null "$1" && exec "$2"', "sh", hidden, program]
    return subprocess.run(command, input=stdin, capture_output=True, env=env, timeout=100, cwd=tmp)


# header, seconds, rate, channels of each file, in playing order; None: read from the output.
with wave.open(os.path.join(resources, "killdeer.wav")) as w:
    killdeer_frames = w.readframes(w.getnframes())
    killdeer = ("killdeer.wav:", w.getnframes() / w.getframerate(), w.getframerate(), w.getnchannels())
expected = [killdeer, ('"doodle_pop.ogg":', 1.6, 44100, 2), ('"ding.flac":', 1.5, 44100, 1),
            ('"ding.mp3":', None, 48000, 2)]

number = r"(-?[0-9.e+-]+)"
block = (r"(?P<header>[^\n]*)\n (?P<seconds>{n}) seconds\n (?P<rate>[0-9]+) samples / sec\n (?P<channels>[0-9]+) channels\n"
         r"(?P<progress>(?:\rPlaying\.\.\. {n} sec {{8}})*)\n\n").format(n=number)

with tempfile.TemporaryDirectory() as tmp:
    # Real time, so that the progress lines count up in tenths of a second.
    result = run(tmp, b"\n")
    check(result.returncode == 0, "exit status %d" % result.returncode)
    console.check_whole_stderr("playback", result.stderr)
    text = result.stdout.decode()
    match = re.fullmatch("(%s){4}Press enter to exit\\.\\.\\.\n" % block, text)
    check(match is not None, "transcript does not have the expected shape:\n%r" % text)
    blocks = list(re.finditer(block, text))
    check(len(blocks) == 4, "%d file blocks" % len(blocks))
    for (header, seconds, rate, channels), found in zip(expected, blocks):
        check(found["header"] == header, "header %r, expected %r" % (found["header"], header))
        shown = float(found["seconds"])
        if seconds is not None:
            check(found["seconds"] == "%g" % seconds, "%s: duration shown as %s" % (header, found["seconds"]))
        else:
            check(1.4 <= shown <= 1.6, "%s: duration %s" % (header, shown))
        check(int(found["rate"]) == rate, "%s: rate %s" % (header, found["rate"]))
        check(int(found["channels"]) == channels, "%s: channels %s" % (header, found["channels"]))
        positions = [float(p) for p in re.findall(r"\rPlaying\.\.\. " + number + " sec {8}", found["progress"])]
        check(len(positions) >= shown / 0.1 * 0.5, "%s: only %d progress lines" % (header, len(positions)))
        # The line printed after the sound ended during the last sleep shows a stopped sound: 0.
        if positions and positions[-1] == 0.0:
            positions.pop()
        if positions:
            check(0.0 < positions[0] <= 0.6, "%s: first position %s" % (header, positions[0]))
            check(all(a <= b for a, b in zip(positions, positions[1:])), "%s: positions go back" % header)
            check(positions[-1] <= shown + 0.01, "%s: position %s past the end" % (header, positions[-1]))
            check(positions[-1] >= shown * 0.6, "%s: last position %s" % (header, positions[-1]))

    # The sound comes out sample for sample on both channels, once; the three music files after it.
    with open(os.path.join(tmp, "out.raw"), "rb") as f:
        output = f.read()
    samples = [killdeer_frames[i:i + 2] for i in range(0, len(killdeer_frames), 2)]
    first = next(i for i, s in enumerate(samples) if s != b"\0\0")
    last = max(i for i, s in enumerate(samples) if s != b"\0\0")
    stereo = b"".join(s + s for s in samples[first:last + 1])
    at = output.find(stereo)
    check(at >= 0, "killdeer.wav is not in the output unchanged")
    check(output.find(stereo, at + 1) < 0, "killdeer.wav was played twice")
    if at >= 0:
        rest = output[at + len(stereo):]
        audible = sum(1 for i in range(0, len(rest) - 3, 4) if rest[i:i + 4] != b"\0\0\0\0")
        check(audible >= 0.5 * (1.6 + 1.5 + 1.5) * 44100, "only %d audible frames after the sound" % audible)

    # Standard input ends at once: the program still plays everything and ends.
    result = run(tmp, b"", delay=4)
    check(result.returncode == 0, "exit status %d without input" % result.returncode)
    check(result.stdout.decode().endswith("Press enter to exit...\n"), "no exit prompt without input")
    console.check_whole_stderr("playback without input", result.stderr)

    # A file that cannot be loaded ends the program at once with status 1 and its reason as the one
    # line on standard error: the sound, before anything plays, and a music file after the sound.
    for hidden, played, failed in (("killdeer.wav", "", "cannot load the sound"),
                                   ("doodle_pop.ogg", "killdeer.wav:", "cannot open the music")):
        path = os.path.join(resources, hidden)
        result = run(tmp, b"\n", delay=4, hidden=path)
        check(result.returncode == 1, "%s unloadable: exit status %d" % (hidden, result.returncode))
        check(result.stdout.decode().startswith(played) and hidden not in result.stdout.decode()
              and "Press enter" not in result.stdout.decode(), "%s unloadable: output %r" % (hidden, result.stdout))
        console.check_whole_stderr("%s unloadable" % hidden, result.stderr,
                                   ["mivra: %s: %s: not a regular file" % (failed, path)])

console.report()
