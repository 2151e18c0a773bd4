"""End-to-end: raw mouse movements and the cursor position line, on a private display server.

Relative moves stand for a mouse's own motion: xdotool's relative moves under X11; under Wayland,
moves of wayvnc's pointer while it is over the window, which the compositor also reports as
relative motion. Both display servers must show the same lines. Under Wayland the window sees
motion only while the pointer is over it, so every relative move starts and ends inside it; and
an absolute move inside the window counts as motion there, which is why the scenario checks the
list after the absolute moves only where they no longer show in it.
"""

import os

import mivra_e2e as e2e

PROGRAM = os.path.join(os.environ["MIVRA_BIN"], "raw_mouse_input")
LIST_BOX = (40, 45, 400, 540)
POSITION_BOX = (390, 295, 800, 330)


def assert_same(session, items, box, what):
    """Waits until the window shows the texts inside box (frames may lag on a loaded machine)."""
    reference = e2e.render_texts(items, 800, 600, env=session.env, scale=session.scale)
    box = session.physical(box)
    ok, shot = session.eventually(lambda shot: e2e.region_difference(shot, reference, box) <= 24, physical=True)
    if not ok:
        e2e.save_shot(shot, f"raw_mouse_{what}_shot.png")
        e2e.save_shot(reference, f"raw_mouse_{what}_expected.png")
        difference = e2e.region_difference(shot, reference, box)
        e2e.fail(f"{what}: screen differs from the expected text by {difference}")


def movement_lines(lines):
    return [e2e.TextItem(line, 50, 50 + 20 * n, 20) for n, line in enumerate(lines[-24:])]


with e2e.Session(PROGRAM) as session:
    session.wait_window("Mivra Raw Mouse Input")
    session.watch(0.5)  # the window watched for a moment: it stays black before any mouse event
    if e2e.ink_box(session.screenshot()) is not None:
        e2e.fail("the window is not black before any mouse event")

    # An absolute move into the window gives the position line at (400, 300), and no raw movement.
    session.mousemove(123, 45)
    assert_same(session, [e2e.TextItem("Mouse Position: (123, 45)", 400, 300, 20)], POSITION_BOX, "position")
    if e2e.ink_box(session.screenshot().crop(LIST_BOX)) is not None:
        e2e.fail("an absolute move into the window made a raw movement")

    # One relative move of (5, 0): one raw movement line at the top of the list; the position
    # follows.
    session.mousemove_relative((5, 0))
    assert_same(session, movement_lines(["Mouse Movement: (5, 0)"]), LIST_BOX, "one_move")
    assert_same(session, [e2e.TextItem("Mouse Position: (128, 45)", 400, 300, 20)], POSITION_BOX,
                "position_after_move")

    # 30 more raw moves, leftwards from the right half of the window: the list keeps the newest
    # 24, oldest first, negative values with a minus.
    session.mousemove(700, 300)
    session.mousemove_relative(*[(-i, i % 3) for i in range(1, 31)])
    lines = [f"Mouse Movement: ({-i}, {i % 3})" for i in range(1, 31)]
    assert_same(session, movement_lines(lines), LIST_BOX, "scrolling")
    e2e.save_shot(session.screenshot(), "raw_mouse_input.png")

    session.close_and_expect_exit()
print("ok")
