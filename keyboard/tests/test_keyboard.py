"""End-to-end tests of the keyboard inspector on a private display server.

Usage: test_keyboard.py <case>, case one of: press_release, held_keys, text, unusual, close,
german_layout (Wayland only: Xvfb keeps its US layout whatever it is asked).
The texts are checked against the same lines drawn by the library (mivra-textshot): each text
starts at y = 575 with lines 20 pixels apart, character size 18; at scale 2 (the hidpi runs) the
texts are compared in physical pixels with the library's drawing at that scale. Every check waits for the screen
to show what is expected (a loaded machine draws late), and fails with the last screenshot."""

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
HELD = "isKeyPressed(mivra::Keyboard::Key)"
WAIT = 15


def expected_columns(session, columns):
    """The columns' lines ({column: lines}) drawn by the library, as the program should show them."""
    items = [e2e.TextItem(line, COLUMNS[column][0], TEXT_TOP + LINE * i, 18, font=FONT)
             for column, lines in columns.items() for i, line in enumerate(lines) if line]
    return e2e.render_texts(items, WIDTH, HEIGHT, env=session.env, scale=session.scale)


def whiteness(image):
    """The darkest channel of each pixel: white letters keep their shape, while a green, red or
    yellow outline (which a held key's repeats keep flashing) drops out."""
    r, g, b = image.convert("RGB").split()
    return ImageChops.darker(ImageChops.darker(r, g), b).convert("RGB")


def column_mismatch(shot, expected, column, lines, scale):
    """None if each line of the column, and the empty space below the last one, looks as drawn by
    the library; else what differs. The images are in physical pixels, scale per logical one."""
    x0, x1 = COLUMNS[column]
    for i in range(len(lines) + 1):
        top = TEXT_TOP - 2 + LINE * i
        box = (x0, top, x1 - 2, min(top + LINE, HEIGHT - 1))
        if i == len(lines):
            box = (x0, top, x1 - 2, HEIGHT - 1)
        box = tuple(v * scale for v in box)
        difference = e2e.shifted_difference(shot, expected, box)
        if difference > 48:
            what = repr(lines[i]) if i < len(lines) else "nothing"
            return f"line {i} of the {column} text is not {what} (largest difference {difference})"
    return None


def expect_columns(session, name, **columns):
    """Waits until every column given (pressed=[lines], held=[lines], ...) shows its lines."""
    expected = whiteness(expected_columns(session, columns))

    def mismatch(shot):
        shot = whiteness(shot)
        for column, lines in columns.items():
            problem = column_mismatch(shot, expected, column, lines, session.scale)
            if problem:
                return problem
        return None

    ok, shot = session.eventually(lambda shot: mismatch(shot) is None, timeout=WAIT, physical=True)
    if not ok:
        e2e.save_shot(whiteness(shot), f"keyboard-{name}-actual.png")
        e2e.save_shot(expected, f"keyboard-{name}-expected.png")
        e2e.fail(f"{name}: {mismatch(shot)}; expected {columns!r}")
    return shot


def start(session):
    """The window shown, focused, and its first frame drawn."""
    session.wait_window("Keyboard")
    session.focus()
    shot = expect_columns(session, "start", pressed=["Key Pressed"], released=["Key Released"],
                          text=["Text Entered"], held=[HELD])
    check_sharp(shot, session.scale)
    return shot


def check_sharp(shot, scale):
    """At scale 2 the texts are drawn at the output's resolution, not doubled from 1x pixels."""
    if scale == 1:
        return
    box = tuple(v * scale for v in (COLUMNS["pressed"][0], TEXT_TOP - 2, WIDTH, TEXT_TOP + LINE))
    fraction = e2e.doubled_edge_fraction(shot, box)
    if fraction is None or fraction > 0.6:
        e2e.save_shot(shot, "keyboard-not-sharp.png")
        e2e.fail(f"the texts at scale {scale} look doubled: {fraction} of their edge pixels equal their right neighbour")
    print(f"keyboard texts at scale {scale}: {fraction:.2f} of the edge pixels equal their right neighbour")


def press_release():
    with e2e.Session(PROGRAM) as s:
        e2e.save_shot(start(s), "keyboard-start.png")

        with s.hold_keys("a"):
            shot = expect_columns(s, "a-pressed", pressed=["Key Pressed", "", "Key::A", "Scan::A"],
                                  released=["Key Released"], held=[HELD, "", "Key::A"])
            e2e.save_shot(shot, "keyboard-a-held.png")

        expect_columns(s, "a-released", released=["Key Released", "", "Key::A", "Scan::A"], held=[HELD])
        s.close_and_expect_exit()


def held_keys():
    with e2e.Session(PROGRAM) as s:
        start(s)
        with s.hold_keys("Shift_L", "a"):
            # In increasing key code order: A (0) before LShift (38).
            shot = expect_columns(s, "held", held=[HELD, "", "Key::A", "Key::LShift"])
            e2e.save_shot(shot, "keyboard-shift-a-held.png")
        expect_columns(s, "released-all", released=["Key Released", "", "Key::LShift", "Scan::LShift"], held=[HELD])
        s.close_and_expect_exit()


def text():
    # A layout with a key of its own for the letter (the French one), so that the key is pressed
    # as it is rather than a spare key remapped for a moment, which races with the program's lookup.
    with e2e.Session(PROGRAM, layout="fr") as s:
        start(s)
        s.key("eacute")
        shot = expect_columns(s, "text", text=["Text Entered", "", "\u00e9", "U+00e9"])
        e2e.save_shot(shot, "keyboard-text.png")
        # Typed text, a capital letter: Shift with the letter's key.
        s.type_text("E")
        expect_columns(s, "typed", text=["Text Entered", "", "E", "U+0045"])
        s.close_and_expect_exit()


def german_layout():
    # The key right of T types z on a German keyboard: the key code follows the layout, the
    # scancode the key's place.
    with e2e.Session(PROGRAM, layout="de") as s:
        if s.display_server == "x11":
            e2e.fail("Xvfb keeps the US layout: this case runs on Wayland only")
        start(s)
        s.key("z")
        shot = expect_columns(s, "german", pressed=["Key Pressed", "", "Key::Z", "Scan::Y"],
                              released=["Key Released", "", "Key::Z", "Scan::Y"],
                              text=["Text Entered", "", "z", "U+007a"])
        e2e.save_shot(shot, "keyboard-german.png")
        s.close_and_expect_exit()


def close():
    # Escape is an ordinary key here: only closing the window ends the program.
    with e2e.Session(PROGRAM) as s:
        start(s)
        s.key("Escape")
        expect_columns(s, "escape", pressed=["Key Pressed", "", "Key::Escape", "Scan::Escape"],
                       released=["Key Released", "", "Key::Escape", "Scan::Escape"])
        if s.proc.poll() is not None:
            e2e.fail("Escape ended the program")
        s.close_and_expect_exit()


def unusual():
    # Print Screen has a scancode but no key code: the event is unusual and says why.
    with e2e.Session(PROGRAM) as s:
        start(s)
        s.key("Print")
        shot = expect_columns(s, "unusual",
                              pressed=["Key Pressed", "", "Key::Unknown", "Scan::PrintScreen",
                                       "Localized:\tKey::Unknown", "Delocalized:\tScan::Unknown"],
                              released=["Key Released", "", "Key::Unknown", "Scan::PrintScreen",
                                        "Localized:\tKey::Unknown", "Delocalized:\tScan::Unknown"])
        e2e.save_shot(shot, "keyboard-unusual.png")
        s.close_and_expect_exit()


CASES = {"unusual": unusual, "press_release": press_release, "held_keys": held_keys, "text": text, "close": close,
         "german_layout": german_layout}

if __name__ == "__main__":
    CASES[sys.argv[1]]()
