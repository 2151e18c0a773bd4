"""End-to-end: raw mouse movements and the cursor position line under a private X server."""

import os

import mivra_e2e as e2e

PROGRAM = os.path.join(os.environ["MIVRA_BIN"], "raw_mouse_input")
LIST_BOX = (40, 45, 400, 540)


def assert_same(session, items, box, what):
    """Waits until the window shows the texts inside box (frames may lag on a loaded machine)."""
    reference = e2e.render_texts(items, 800, 600, env=session.env)
    ok, shot = session.eventually(lambda shot: e2e.region_difference(shot, reference, box) <= 24)
    if not ok:
        e2e.save_shot(shot, f"raw_mouse_{what}_shot.png")
        e2e.save_shot(reference, f"raw_mouse_{what}_expected.png")
        difference = e2e.region_difference(shot, reference, box)
        e2e.fail(f"{what}: screen differs from the expected text by {difference}")


with e2e.Session(PROGRAM) as session:
    session.wait_window("Mivra Raw Mouse Input")
    session.settle(0.5)
    if e2e.ink_box(session.screenshot()) is not None:
        e2e.fail("the window is not black before any mouse event")

    # One relative move of (5, 0): one raw movement line at the top of the list.
    session.xdotool("mousemove_relative", "--", "5", "0")
    assert_same(session, [e2e.TextItem("Mouse Movement: (5, 0)", 50, 50, 20)], LIST_BOX, "one_move")

    # An absolute move into the window gives the position line at (400, 300).
    session.mousemove(123, 45)
    assert_same(session, [e2e.TextItem("Mouse Position: (123, 45)", 400, 300, 20)],
                (390, 295, 800, 330), "position")

    # 30 more raw moves: the list keeps the newest 24, oldest first, negative values with a minus.
    args = []
    for i in range(1, 31):
        args += ["mousemove_relative", "--", str(-i), str(i % 3)]
    session.xdotool(*args)
    lines = ["Mouse Movement: (5, 0)"] + [f"Mouse Movement: ({-i}, {i % 3})" for i in range(1, 31)]
    items = [e2e.TextItem(line, 50, 50 + 20 * n, 20) for n, line in enumerate(lines[-24:])]
    assert_same(session, items, LIST_BOX, "scrolling")
    e2e.save_shot(session.screenshot(), "raw_mouse_input.png")

    session.close_and_expect_exit()
print("ok")
