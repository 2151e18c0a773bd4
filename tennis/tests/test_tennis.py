"""End-to-end tests of the tennis game on a private display server.

Usage: test_tennis.py <case>, case one of: serve, close, frozen_compositor."""

import os
import re
import socket
import sys
import tempfile
import threading

import mivra_e2e as e2e

PROGRAM = os.path.join(os.environ["MIVRA_BIN"], "tennis")
BACKGROUND = (50, 50, 50)
PLAYER = (100, 100, 200)
COMPUTER = (200, 100, 100)
LOGO_BALL = (205, 225, 60)


def pixels_of(image, color, box=None):
    """Coordinates of the pixels of exactly this colour (within box)."""
    x0, y0, x1, y1 = box or (0, 0, image.width, image.height)
    data = image.load()
    return [(x, y) for y in range(y0, y1) for x in range(x0, x1) if data[x, y][:3] == color]


def start(session):
    """The window shown, focused, and the welcome screen drawn (a loaded machine may take longer
    than any fixed pause)."""
    session.wait_window("Mivra Tennis")
    session.focus()
    return session.wait_for(lambda shot: welcome_problem(shot) is None, "the welcome screen")


def welcome_problem(shot):
    """What keeps the shot from being the welcome (or game over) screen, or None."""
    # The logo (the ball on its badge) at (170, 50) and the white banner text under it.
    if e2e.color_at(shot, 170 + 70, 50 + 70) != LOGO_BALL:
        return f"no logo: {e2e.color_at(shot, 240, 120)} at its ball"
    if e2e.ink_box(shot.crop((160, 200, 800, 420)), BACKGROUND) is None:
        return "no banner text"
    if pixels_of(shot, PLAYER) or pixels_of(shot, COMPUTER):
        return "paddles are shown before the game"
    return None


def check_welcome(shot, name):
    problem = welcome_problem(shot)
    if problem:
        e2e.fail(f"{name}: {problem}")


def player_paddle(shot):
    return pixels_of(shot, PLAYER, (0, 0, 60, 600))


def check_sharp(session):
    """At scale 2 the banner is drawn at the output's resolution, not doubled from 1x pixels."""
    if session.scale == 1:
        return
    shot = session.screenshot(physical=True)
    fraction = e2e.doubled_edge_fraction(shot, tuple(v * session.scale for v in (160, 200, 800, 420)), BACKGROUND)
    if fraction is None or fraction > 0.6:
        e2e.save_shot(shot, "tennis-not-sharp.png")
        e2e.fail(f"the banner at scale {session.scale} looks doubled: {fraction} of its edge pixels "
                 "equal their right neighbour")
    print(f"tennis banner at scale {session.scale}: {fraction:.2f} of the edge pixels equal their right neighbour")


def serve():
    with e2e.Session(PROGRAM) as s:
        shot_welcome = start(s)
        e2e.save_shot(shot_welcome, "tennis-welcome.png")
        check_sharp(s)
        # Up and Down do nothing before the serve. (Nothing to wait for: the screen is only
        # watched for a moment.)
        s.key("Up")
        s.watch(0.3)
        check_welcome(s.screenshot(), "after Up")

        s.key("space")
        if s.scale != 1:
            # At scale 2 a screenshot costs the compositor about half a second of the two cores,
            # and frames slow down with it: a rally may end before a whole window is captured.
            # The serve shows; the rally itself is checked at scale 1 on both display servers.
            s.wait_for(lambda shot: player_paddle(shot), "the player's paddle after the serve", box=(0, 0, 60, 600))
            s.end_with_key("Escape")
            return
        shot = s.wait_for(lambda shot: player_paddle(shot), "the player's paddle after the serve")
        e2e.save_shot(shot, "tennis-playing.png")
        player = player_paddle(shot)
        xs = [x for x, _ in player]
        ys = [y for _, y in player]
        # 22 x 97 filled inside a 3-pixel outline, centred on (22.5, 300).
        if not (8 <= min(xs) and max(xs) <= 37 and 245 <= min(ys) and max(ys) <= 355):
            e2e.fail(f"player paddle at {min(xs)}..{max(xs)} x {min(ys)}..{max(ys)}")
        if not pixels_of(shot, COMPUTER, (750, 0, 800, 600)):
            e2e.fail("no computer paddle after the serve")
        if len(pixels_of(shot, (255, 255, 255), (40, 0, 760, 600))) < 50:
            e2e.fail("no ball after the serve")
        if e2e.color_at(shot, 240, 120) == LOGO_BALL:
            e2e.fail("the logo is still shown while playing")

        # An idle player's game ends within seconds; the banner comes back with another message.
        welcome_banner = shot_welcome.crop((160, 200, 800, 420))

        def game_over(shot):
            return (welcome_problem(shot) is None
                    and e2e.region_difference(shot.crop((160, 200, 800, 420)), welcome_banner, (0, 0, 640, 220)) >= 100)

        shot = s.wait_for(game_over, "the end of the game: the logo and another banner", timeout=30)
        e2e.save_shot(shot, "tennis-ended.png")

        # Serving again with Up held: the paddle starts at the centre and climbs at once.
        with s.hold_keys("Up"):
            s.key("space")
            # Only the player's side is looked at: the rally may be short, and a whole window
            # takes long to capture at scale 2.
            shot = s.wait_for(lambda shot: player_paddle(shot) and min(y for _, y in player_paddle(shot)) < 240,
                              "the paddle climbing with Up held after the second serve", box=(0, 0, 60, 600))

        s.end_with_key("Escape")


def close():
    with e2e.Session(PROGRAM) as s:
        start(s)
        if s.scale != 1:
            # The output changes scale under the window: the next frames are drawn at the new
            # scale (the program's picture unchanged in logical pixels), and back again.
            scale = s.scale
            s.display.set_scale(1)
            s.wait_for(lambda shot: welcome_problem(shot) is None and shot.size == (800, 600),
                       "the welcome screen at scale 1", physical=True)
            s.display.set_scale(scale)
            s.wait_for(lambda shot: welcome_problem(e2e.as_logical(shot, scale)) is None
                       and shot.size == (800 * scale, 600 * scale), f"the welcome screen at scale {scale}",
                       physical=True)
            check_sharp(s)
        s.close_and_expect_exit()


def frozen_compositor():
    """A WAYLAND_DISPLAY that accepts connections and never answers costs the program its probe's
    deadline and one line; then its window opens on the X server."""
    with tempfile.TemporaryDirectory() as directory:
        path = os.path.join(directory, "wayland-frozen")
        listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        listener.bind(path)
        listener.listen()
        held = []  # connections accepted and left unanswered

        def hold():
            while True:
                held.append(listener.accept()[0])

        threading.Thread(target=hold, daemon=True).start()
        line = re.compile(r"mivra: no answer from the Wayland compositor, trying the next backend: "
                          + re.escape(path) + r": it accepted the connection but did not answer within 2000 ms")
        with e2e.Session(PROGRAM, env={"WAYLAND_DISPLAY": path}, stderr_lines=[line]) as s:
            start(s)
            s.close_and_expect_exit()
            said = [text for text in s.stderr.splitlines() if line.fullmatch(text)]
            if len(said) != 1:
                e2e.fail(f"expected the frozen compositor said once, got {len(said)} lines: {s.stderr!r}")
        if not held:
            e2e.fail("the program never connected to the frozen compositor")


CASES = {"serve": serve, "close": close, "frozen_compositor": frozen_compositor}

if __name__ == "__main__":
    CASES[sys.argv[1]]()
