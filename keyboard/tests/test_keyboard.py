"""End-to-end tests of the keyboard inspector under a private Xvfb.

Usage: test_keyboard.py <case>, case one of: press_release, held_keys, text, unusual, close.
The texts are checked against the same lines drawn by the library (mivra-textshot): each text
starts at y = 575 with lines 20 pixels apart, character size 18."""

import os
import sys

import mivra_e2e as e2e
from PIL import ImageChops

PROGRAM = os.path.join(os.environ["MIVRA_BIN"], "keyboard")
FONT = os.path.join(os.environ["MIVRA_RESOURCE_DIR"], "Tuffy.ttf")
WIDTH, HEIGHT = 1280, 720
TEXT_TOP = 575
LINE = 20
# Left edges of the four texts and the right edge of the area each may use.
COLUMNS = {"pressed": (16, 300), "released": (300, 600), "text": (600, 900), "held": (900, 1280)}


def expected_column(session, column, lines):
    """The column's lines drawn by the library, as the program should show them."""
    x = COLUMNS[column][0]
    items = [e2e.TextItem(line, x, TEXT_TOP + LINE * i, 18, font=FONT) for i, line in enumerate(lines) if line]
    return e2e.render_texts(items, WIDTH, HEIGHT, env=session.env)


def whiteness(image):
    """The darkest channel of each pixel: white letters keep their shape, while a green, red or
    yellow outline (which a held key's repeats keep flashing) drops out."""
    r, g, b = image.convert("RGB").split()
    return ImageChops.darker(ImageChops.darker(r, g), b).convert("RGB")


def check_column(session, shot, column, lines, name):
    """Each line of the column, and the empty space below the last one, as drawn by the library."""
    expected = whiteness(expected_column(session, column, lines))
    shot = whiteness(shot)
    x0, x1 = COLUMNS[column]
    for i in range(len(lines) + 1):
        top = TEXT_TOP - 2 + LINE * i
        box = (x0, top, x1 - 2, min(top + LINE, HEIGHT - 1))
        if i == len(lines):
            box = (x0, top, x1 - 2, HEIGHT - 1)
        difference = e2e.shifted_difference(shot, expected, box)
        if difference > 48:
            e2e.save_shot(shot, f"keyboard-{name}-actual.png")
            e2e.save_shot(expected, f"keyboard-{name}-expected.png")
            what = repr(lines[i]) if i < len(lines) else "nothing"
            e2e.fail(f"{name}: line {i} of the {column} text is not {what} (largest difference {difference}); "
                     f"expected {lines!r}")


def start(session):
    session.wait_window("Keyboard")
    session.focus()
    session.settle(1.0)


def press_release():
    with e2e.Session(PROGRAM) as s:
        start(s)
        shot = s.screenshot()
        e2e.save_shot(shot, "keyboard-start.png")
        check_column(s, shot, "pressed", ["Key Pressed"], "start")
        check_column(s, shot, "held", ["isKeyPressed(mivra::Keyboard::Key)"], "start")

        with s.hold_keys("a"):
            s.settle(0.6)
            shot = s.screenshot()
            e2e.save_shot(shot, "keyboard-a-held.png")
            check_column(s, shot, "pressed", ["Key Pressed", "", "Key::A", "Scan::A"], "a-pressed")
            check_column(s, shot, "released", ["Key Released"], "a-pressed")
            check_column(s, shot, "held", ["isKeyPressed(mivra::Keyboard::Key)", "", "Key::A"], "a-pressed")

        s.settle(0.6)
        shot = s.screenshot()
        check_column(s, shot, "released", ["Key Released", "", "Key::A", "Scan::A"], "a-released")
        check_column(s, shot, "held", ["isKeyPressed(mivra::Keyboard::Key)"], "a-released")

        s.close_and_expect_exit()


def held_keys():
    with e2e.Session(PROGRAM) as s:
        start(s)
        with s.hold_keys("Shift_L", "a"):
            s.settle(0.6)
            shot = s.screenshot()
            e2e.save_shot(shot, "keyboard-shift-a-held.png")
            # In increasing key code order: A (0) before LShift (38).
            check_column(s, shot, "held", ["isKeyPressed(mivra::Keyboard::Key)", "", "Key::A", "Key::LShift"], "held")
        s.settle(0.6)
        shot = s.screenshot()
        check_column(s, shot, "held", ["isKeyPressed(mivra::Keyboard::Key)"], "released-all")
        s.close_and_expect_exit()


def text():
    with e2e.Session(PROGRAM) as s:
        start(s)
        # A layout with a key of its own for the letter (the French one), so that xdotool presses
        # that key instead of remapping one for a moment, which races with the program's lookup.
        s.run("setxkbmap", "-layout", "fr")
        s.settle(0.5)
        s.xdotool("key", "--window", s.window, "eacute")
        s.settle(0.6)
        shot = s.screenshot()
        e2e.save_shot(shot, "keyboard-text.png")
        check_column(s, shot, "text", ["Text Entered", "", "\u00e9", "U+00e9"], "text")
        s.close_and_expect_exit()


def close():
    # Escape is an ordinary key here: only closing the window ends the program.
    with e2e.Session(PROGRAM) as s:
        start(s)
        s.key("Escape")
        s.settle(0.5)
        if s.proc.poll() is not None:
            e2e.fail("Escape ended the program")
        shot = s.screenshot()
        check_column(s, shot, "pressed", ["Key Pressed", "", "Key::Escape", "Scan::Escape"], "escape")
        s.close_and_expect_exit()


def unusual():
    # Print Screen has a scancode but no key code: the event is unusual and says why.
    with e2e.Session(PROGRAM) as s:
        start(s)
        s.key("Print")
        s.settle(0.6)
        shot = s.screenshot()
        e2e.save_shot(shot, "keyboard-unusual.png")
        check_column(s, shot, "pressed", ["Key Pressed", "", "Key::Unknown", "Scan::PrintScreen",
                                          "Localized:\tKey::Unknown", "Delocalized:\tScan::Unknown"], "unusual")
        check_column(s, shot, "released", ["Key Released", "", "Key::Unknown", "Scan::PrintScreen",
                                           "Localized:\tKey::Unknown", "Delocalized:\tScan::Unknown"], "unusual")
        s.close_and_expect_exit()


CASES = {"unusual": unusual, "press_release": press_release, "held_keys": held_keys, "text": text, "close": close}

if __name__ == "__main__":
    CASES[sys.argv[1]]()
