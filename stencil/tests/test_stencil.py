"""End-to-end: the stencil picture, checked pixel by pixel against the rectangles' geometry."""

import math
import os

import mivra_e2e as e2e

PROGRAM = os.path.join(os.environ["MIVRA_BIN"], "stencil")
RED, GREEN, BLUE, BLACK = (255, 0, 0), (0, 255, 0), (0, 0, 255), (0, 0, 0)
# Position, rotation in degrees; each rectangle is 500 x 50 rotated about its top-left corner.
RECTS = {"red": ((270, 70), 60), "green": ((370, 100), 120), "blue": ((550, 470), 180)}


def inside(name, x, y, margin=3.0):
    """Whether the pixel centre (x + .5, y + .5) lies inside the rectangle, margin pixels deep."""
    (px, py), angle = RECTS[name]
    a = math.radians(angle)
    dx, dy = x + 0.5 - px, y + 0.5 - py
    u = dx * math.cos(a) + dy * math.sin(a)      # along the 500 side
    v = -dx * math.sin(a) + dy * math.cos(a)     # along the 50 side
    return margin <= u <= 500 - margin and margin <= v <= 50 - margin


def outside(name, x, y, margin=3.0):
    (px, py), angle = RECTS[name]
    a = math.radians(angle)
    dx, dy = x + 0.5 - px, y + 0.5 - py
    u = dx * math.cos(a) + dy * math.sin(a)
    v = -dx * math.sin(a) + dy * math.cos(a)
    return u < -margin or u > 500 + margin or v < -margin or v > 50 + margin


def expected_colour(x, y):
    """The colour the stencil rules give, or None on an edge (anti-aliasing, rounding)."""
    state = {}
    for name in RECTS:
        if inside(name, x, y):
            state[name] = True
        elif outside(name, x, y):
            state[name] = False
        else:
            return None
    colour, stencil = BLACK, 0
    if state["red"]:
        colour, stencil = RED, 3
    if state["green"]:
        colour, stencil = GREEN, 1
    if state["blue"] and 2 > stencil:
        colour = BLUE
    return colour


SPOTS = {"blue over green": (149, 445), "red hides blue": (458, 445), "blue over background": (300, 445)}


def drawn(shot):
    """Whether the picture is there: the named spots have their colours."""
    return all(e2e.color_at(shot, x, y) == expected_colour(x, y) for x, y in SPOTS.values())


with e2e.Session(PROGRAM) as session:
    session.wait_window("Mivra Stencil")
    shot = session.screenshot()
    if shot.size != (600, 600):
        e2e.fail(f"window size {shot.size}")
    ok, shot = session.eventually(drawn)
    e2e.save_shot(shot, "stencil.png")

    # The named spots first, then every fourth pixel of the window.
    for what, (x, y) in SPOTS.items():
        want = expected_colour(x, y)
        got = e2e.color_at(shot, x, y)
        if got != want:
            e2e.fail(f"{what} at {(x, y)}: {got}, expected {want}")
    checked = {RED: 0, GREEN: 0, BLUE: 0, BLACK: 0}
    wrong = []
    for y in range(0, 600, 4):
        for x in range(0, 600, 4):
            want = expected_colour(x, y)
            if want is None:
                continue
            checked[want] += 1
            if e2e.color_at(shot, x, y) != want:
                wrong.append((x, y, e2e.color_at(shot, x, y), want))
    if wrong:
        shot.save("/tmp/stencil_shot.png")
        e2e.fail(f"{len(wrong)} pixels differ, first {wrong[:5]}")
    if min(checked.values()) < 50:
        e2e.fail(f"too few pixels of some colour checked: {checked}")
    # Red and green cross somewhere: green must win there.
    crossing = [(x, y) for y in range(0, 600, 2) for x in range(0, 600, 2)
                if inside("red", x, y, 5) and inside("green", x, y, 5)]
    if not crossing or any(e2e.color_at(shot, x, y) != GREEN for x, y in crossing):
        e2e.fail("green is not on top where red and green cross")

    # Escape is no way out here: the program is watched for a moment after it.
    session.key("Escape")
    session.watch(0.3)
    if session.proc.poll() is not None:
        e2e.fail("Escape must not end the stencil demo")
    session.close_and_expect_exit()
print("ok", checked)
