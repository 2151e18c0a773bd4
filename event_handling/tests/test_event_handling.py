"""End-to-end: the event handling demo on a private display server, driven by keys, clicks and pointer moves."""

import os
import sys

import mivra_e2e as e2e

PROGRAM = os.path.join(os.environ["MIVRA_BIN"], "event_handling")
TITLE = "Mivra Event Handling"
HANDLERS = ["Classic", "Visitor", "Overload", "Generic", "Forward"]
LOG_BOX = (40, 45, 790, 540)          # the 24 log lines, left column
HANDLER_BOX = (370, 255, 800, 300)    # "Current Handler: ..." at (380, 260)


def expected(session, log_lines, handler):
    items = [e2e.TextItem(line, 50, 50 + 20 * i, 20) for i, line in enumerate(log_lines)]
    items.append(e2e.TextItem(f"Current Handler: {handler}", 380, 260, 24, bold=True))
    items.append(e2e.TextItem("Press Enter to change handler type", 380, 310, 24, bold=True))
    return e2e.render_texts(items, 800, 600, env=session.env, scale=session.scale)


def assert_same(session, reference, box, what):
    """Waits until the window shows the reference inside box (frames may lag on a loaded machine)."""
    box = session.physical(box)
    ok, shot = session.eventually(lambda shot: e2e.region_difference(shot, reference, box) <= 24, physical=True)
    if not ok:
        difference = e2e.region_difference(shot, reference, box)
        shot.save(f"/tmp/event_handling_{what}_shot.png")
        reference.save(f"/tmp/event_handling_{what}_expected.png")
        e2e.fail(f"{what}: screen differs from the expected text by {difference} "
                 f"(see /tmp/event_handling_{what}_*.png)")


def test_start_screen_and_thirty_moves(session):
    assert_same(session, expected(session, [], "Classic"), (0, 0, 800, 600), "start")

    positions = [(100 + 7 * i, 120 + 3 * i) for i in range(30)]
    session.mousemoves(positions)
    lines = [f"Mouse Moved: ({x}, {y})" for x, y in positions[6:]]
    assert_same(session, expected(session, lines, "Classic"), LOG_BOX, "thirty_moves")
    e2e.save_shot(session.screenshot(), "event_handling.png")
    return lines


def test_enter_cycles_styles(session, log):
    for step in range(1, 6):
        session.key("Return")
        log = (log + ["Key Pressed: Enter"])[-24:]
        handler = HANDLERS[step % 5]
        assert_same(session, expected(session, log, handler), (0, 0, 800, 600), f"enter_{step}")
    return log


def test_styles_log_alike(session, log):
    """The same input gives the same 24 lines in every style."""
    sequence_positions = [(200 + 5 * i, 400 - 4 * i) for i in range(21)]
    for step, handler in enumerate(HANDLERS):
        # The pointer over the window before the sequence (the click lands there).
        session.mousemove(20, 20)
        log = (log + ["Mouse Moved: (20, 20)"])[-24:]
        assert_same(session, expected(session, log, handler), LOG_BOX, f"style_{handler}_pointer_in")
        session.key("a")
        session.click(1)
        session.mousemoves(sequence_positions[:20])
        session.key("b")
        session.mousemoves(sequence_positions[20:])
        lines = (["Key Pressed: A", "Mouse Pressed"]
                 + [f"Mouse Moved: ({x}, {y})" for x, y in sequence_positions[:20]]
                 + ["Key Pressed: B"]
                 + [f"Mouse Moved: ({x}, {y})" for x, y in sequence_positions[20:]])
        assert_same(session, expected(session, lines, handler), (0, 0, 800, 600), f"style_{handler}")
        session.key("Return")
        log = lines[1:] + ["Key Pressed: Enter"]
        assert_same(session, expected(session, log, HANDLERS[(step + 1) % 5]), (0, 0, 800, 600),
                    f"style_{handler}_next")


def main():
    with e2e.Session(PROGRAM) as session:
        session.wait_window(TITLE)
        print(f"window visible {session.window_seen:.3f} s after start, "
              f"first frame seen {session.wait_first_frame():.3f} s after start")
        log = test_start_screen_and_thirty_moves(session)
        log = test_enter_cycles_styles(session, log)
        test_styles_log_alike(session, log)
        session.close_and_expect_exit()
    print("ok")


if __name__ == "__main__":
    main()
