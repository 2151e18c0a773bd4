"""End-to-end tests of the joystick inspector on a private display server (no joystick attached).

Usage: test_joystick.py <case>, case one of: start, threshold.

Rows lie one font line apart (character size 14): the expected screen is drawn by the library
as two multi-line texts, labels at x = 5 and values at x = 80."""

import os
import sys
import time

import mivra_e2e as e2e
from PIL import ImageChops

PROGRAM = os.path.join(os.environ["MIVRA_BIN"], "joystick")
WIDTH, HEIGHT = 400, 775
SUFFIX = "  (Change with up/down arrow keys)"
AXES = ["X", "Y", "Z", "R", "U", "V", "PovX", "PovY"]


def columns(threshold):
    labels = ["<Not Connected>", "", "Threshold:", ""] + [a + ":" for a in AXES] + [f"Button {n}:" for n in range(32)]
    values = ["", "", threshold + SUFFIX, ""] + ["N/A"] * (8 + 32)
    return "\n".join(labels), "\n".join(values)


def expected_screen(session, threshold):
    labels, values = columns(threshold)
    return e2e.as_logical(e2e.render_texts([e2e.TextItem(labels, 5, 5, 14), e2e.TextItem(values, 80, 5, 14)],
                            WIDTH, HEIGHT, env=session.env, scale=session.scale), session.scale)


def near_difference(shot, expected, box):
    """The largest difference between a pixel of the shot inside box and the closest-matching of
    the expected pixels around it (one pixel either way), so that each glyph may sit one pixel
    off on its own, while a missing, extra or different glyph still shows."""
    x0, y0, x1, y1 = box
    part = shot.crop(box)
    nearest = None
    for dx in (-1, 0, 1):
        for dy in (-1, 0, 1):
            moved = expected.crop((x0 - dx, y0 - dy, x1 - dx, y1 - dy))
            diff = ImageChops.difference(part, moved).convert("L")
            nearest = diff if nearest is None else ImageChops.darker(nearest, diff)
    return nearest.getextrema()[1]


def matches(session, shot, threshold):
    expected = expected_screen(session, threshold)
    box = (1, 1, WIDTH - 1, HEIGHT - 1)
    return near_difference(shot, expected, box) <= 48 and near_difference(expected, shot, box) <= 48


def shown_threshold(session, shot):
    """The threshold the screen shows, found among the values 0.20 to 100.00.

    Pixels 24 to 62 of the value column hold only the threshold line (row 2). Candidates are
    drawn 51 at a time on one canvas, each as "\n\n" + line so that it lands on row 2 of a
    60-pixel cell exactly as in the program."""
    band = threshold_band(shot)
    candidates = [f"{tenths / 10:.2f}" for tenths in range(2, 1001)]
    per_canvas = 3 * 17
    for first in range(0, len(candidates), per_canvas):
        chunk = candidates[first:first + per_canvas]
        items = [e2e.TextItem("\n\n" + value + SUFFIX, 80 + 400 * (i % 3), 5 + 60 * (i // 3), 14)
                 for i, value in enumerate(chunk)]
        canvas = e2e.as_logical(e2e.render_texts(items, 1280, 1020, env=session.env, scale=session.scale), session.scale)
        for i, value in enumerate(chunk):
            x, y = 400 * (i % 3), 60 * (i // 3)
            cell = canvas.crop((79 + x, 23 + y, 401 + x, 63 + y))
            if e2e.shifted_difference(band, cell, (1, 1, 321, 39)) <= 48:
                return value
    return None


def start_session(session):
    """The window shown, focused, and the start screen drawn."""
    session.wait_window("Joystick")
    session.focus()
    ok, shot = session.eventually(lambda shot: matches(session, shot, "0.10"))
    e2e.save_shot(shot, "joystick-start.png")
    if not ok:
        e2e.save_shot(expected_screen(session, "0.10"), "joystick-start-expected.png")
        e2e.fail("the start screen differs from <Not Connected>, 0.10 and N/A everywhere")
    return shot


def threshold_band(shot):
    return shot.crop((79, 23, 401, 63))


def steady_shot(session, timeout=15):
    """A screenshot once the threshold line has stopped changing (two screenshots a few frames
    apart agree): the program has seen the key released."""
    deadline = time.monotonic() + timeout
    last = session.screenshot()
    while True:
        time.sleep(0.2)  # a few frames apart
        shot = session.screenshot()
        if threshold_band(shot).tobytes() == threshold_band(last).tobytes():
            return shot
        if time.monotonic() > deadline:
            e2e.fail(f"the threshold line still changed {timeout} s after the key was released")
        last = shot


def start():
    with e2e.Session(PROGRAM) as s:
        start_session(s)
        # Down at the lower bound changes nothing. The key is held for a while (the program polls
        # it every frame), and the screen watched for a moment after: nothing is expected to show.
        with s.hold_keys("Down"):
            s.watch(0.5)
        s.watch(0.3)
        if not s.eventually(lambda shot: matches(s, shot, "0.10"))[0]:
            e2e.fail("Down at 0.10 changed the screen")
        s.end_with_key("Escape")


def threshold():
    with e2e.Session(PROGRAM) as s:
        start_session(s)
        # Up is held until the threshold has risen.
        with s.hold_keys("Up"):
            s.wait_for(lambda shot: not matches(s, shot, "0.10"), "the threshold rising while Up is held")
        shot = steady_shot(s)
        e2e.save_shot(shot, "joystick-threshold.png")
        value = shown_threshold(s, shot)
        if value is None:
            e2e.fail("the threshold line shows no value from 0.20 to 100.00")
        if not matches(s, shot, value):
            e2e.fail(f"the screen differs from the start screen with the threshold {value}")
        # It stays there once the key is up (the screen watched for a moment).
        s.watch(0.5)
        if not matches(s, s.screenshot(), value):
            e2e.fail(f"the threshold moved on from {value} without a key")
        s.close_and_expect_exit()


CASES = {"start": start, "threshold": threshold}

if __name__ == "__main__":
    CASES[sys.argv[1]]()
