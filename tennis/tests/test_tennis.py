"""End-to-end tests of the tennis game under a private Xvfb.

Usage: test_tennis.py <case>, case one of: serve, close."""

import os
import sys

import mivra_e2e as e2e

PROGRAM = os.path.join(os.environ["MIVRA_BIN"], "tennis")
BACKGROUND = (50, 50, 50)
PLAYER = (100, 100, 200)
COMPUTER = (200, 100, 100)


def pixels_of(image, color, box=None):
    """Coordinates of the pixels of exactly this colour (within box)."""
    x0, y0, x1, y1 = box or (0, 0, image.width, image.height)
    data = image.load()
    return [(x, y) for y in range(y0, y1) for x in range(x0, x1) if data[x, y][:3] == color]


def start(session):
    session.wait_window("Mivra Tennis")
    session.focus()
    session.wait_first_frame()  # a loaded machine may take longer than any fixed pause
    session.settle(0.5)


def check_welcome(shot, name):
    # The logo (the ball on its badge) at (170, 50) and the white banner text under it.
    if e2e.color_at(shot, 170 + 70, 50 + 70) != (205, 225, 60):
        e2e.fail(f"{name}: no logo: {e2e.color_at(shot, 240, 120)} at its ball")
    banner = e2e.ink_box(shot.crop((160, 200, 800, 420)), BACKGROUND)
    if banner is None:
        e2e.fail(f"{name}: no banner text")
    if pixels_of(shot, PLAYER) or pixels_of(shot, COMPUTER):
        e2e.fail(f"{name}: paddles are shown before the game")


def serve():
    with e2e.Session(PROGRAM) as s:
        start(s)
        shot_welcome = s.screenshot()
        e2e.save_shot(shot_welcome, "tennis-welcome.png")
        check_welcome(shot_welcome, "welcome")
        # Up and Down do nothing before the serve.
        s.key("Up")
        s.settle(0.3)
        check_welcome(s.screenshot(), "after Up")

        s.key("space")
        s.settle(0.3)
        shot = s.screenshot()
        e2e.save_shot(shot, "tennis-playing.png")
        player = pixels_of(shot, PLAYER, (0, 0, 60, 600))
        if not player:
            e2e.fail("no player paddle after the serve")
        xs = [x for x, _ in player]
        ys = [y for _, y in player]
        # 22 x 97 filled inside a 3-pixel outline, centred on (22.5, 300).
        if not (8 <= min(xs) and max(xs) <= 37 and 245 <= min(ys) and max(ys) <= 355):
            e2e.fail(f"player paddle at {min(xs)}..{max(xs)} x {min(ys)}..{max(ys)}")
        if not pixels_of(shot, COMPUTER, (750, 0, 800, 600)):
            e2e.fail("no computer paddle after the serve")
        if len(pixels_of(shot, (255, 255, 255), (40, 0, 760, 600))) < 50:
            e2e.fail("no ball after the serve")
        if e2e.color_at(shot, 240, 120) == (205, 225, 60):
            e2e.fail("the logo is still shown while playing")

        # An idle player's game ends within seconds; the banner comes back with another message.
        welcome_banner = shot_welcome.crop((160, 200, 800, 420))
        for _ in range(100):
            s.settle(0.2)
            shot = s.screenshot()
            if not pixels_of(shot, PLAYER, (0, 0, 60, 600)):
                break
        else:
            e2e.fail("the game did not end")
        s.settle(0.3)
        shot = s.screenshot()
        e2e.save_shot(shot, "tennis-ended.png")
        if e2e.color_at(shot, 240, 120) != (205, 225, 60):
            e2e.fail("no logo after the game")
        if e2e.region_difference(shot.crop((160, 200, 800, 420)), welcome_banner, (0, 0, 640, 220)) < 100:
            e2e.fail("the banner still shows the welcome text after the game")

        # Serving again with Up held: the paddle starts at the centre and climbs at once.
        with s.hold_keys("Up"):
            s.key("space")
            s.settle(0.2)
            shot = s.screenshot()
        moved = pixels_of(shot, PLAYER, (0, 0, 60, 600))
        if not moved:
            e2e.fail("no player paddle after the second serve")
        if min(y for _, y in moved) >= 240:
            e2e.fail(f"Up did not move the paddle (top at {min(y for _, y in moved)})")

        s.end_with_key("Escape")


def close():
    with e2e.Session(PROGRAM) as s:
        start(s)
        s.close_and_expect_exit()


CASES = {"serve": serve, "close": close}

if __name__ == "__main__":
    CASES[sys.argv[1]]()
