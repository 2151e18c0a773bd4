"""End-to-end test of the shader gallery on a private display server: the five captions in turn with
Right and Left, the scenes behind them following the mouse, and Escape.

Usage: test_shader.py <shader binary>
"""

import sys

import mivra_e2e
from mivra_e2e import color_at, fail

PROGRAM = sys.argv[1]
NAMES = ["Pixelate", "Wave + Blur", "Storm + Blink", "Edge Post-effect", "Geometry Shader Billboards"]
LABEL_BOX = (8, 526, 420, 556)
GREY = (50, 50, 50)


def ink(image, box):
    """The set of dark (text) pixels in box: the caption texts are dark grey on a light bar."""
    x0, y0, x1, y1 = box
    dark = set()
    for y in range(y0, y1):
        for x in range(x0, x1):
            r, g, b = color_at(image, x, y)
            if (r + g + b) / 3 < 150:
                dark.add((x, y))
    return dark


def references():
    """The five labels drawn by the library in one go, one above the other, each shifted back to
    the label's place as a set of ink pixels."""
    items = [mivra_e2e.TextItem("Current effect: " + name, 10, 530 + 100 * k - 500, 20, fill=(80, 80, 80, 255))
             for k, name in enumerate(NAMES)]
    image = mivra_e2e.as_logical(mivra_e2e.render_texts(items, 800, 600, background=(230, 232, 236), env=session.env, scale=session.scale), session.scale)
    refs = {}
    for k, name in enumerate(NAMES):
        dy = 100 * k - 500
        box = (LABEL_BOX[0], LABEL_BOX[1] + dy, LABEL_BOX[2], LABEL_BOX[3] + dy)
        refs[name] = {(x, y - dy) for x, y in ink(image, box)}
    return refs


def label_distance(shot, expected_ink):
    got = ink(shot, LABEL_BOX)
    return len(got ^ expected_ink) / max(1, len(expected_ink))


def caption_reads(shot, name, refs):
    distances = {n: label_distance(shot, r) for n, r in refs.items()}
    return min(distances, key=distances.get) == name and distances[name] <= 0.15, distances


def expect_caption(shot, name, refs):
    matches, distances = caption_reads(shot, name, refs)
    if not matches:
        mivra_e2e.save_shot(shot, "shader-caption-failed.png")
        fail(f"caption should read {name!r}; distances {distances}")


def wait_caption(name, refs):
    """The first screenshot whose caption reads name (a key's frame may come late on a loaded
    machine); fails with the last one after a while."""
    _, shot = session.eventually(lambda shot: caption_reads(shot, name, refs)[0], timeout=10)
    expect_caption(shot, name, refs)
    return shot


def move_mouse(x, y):
    """Moves the pointer to (x, y) in the window. A small relative move follows the absolute one:
    the library learns of pointer moves through raw motion, which absolute moves do not make."""
    session.mousemove(x, y)
    # Towards the middle and back: the pointer stays over the window.
    dx, dy = (1 if x < 400 else -1), (1 if y < 300 else -1)
    session.mousemove_relative((dx, dy), (-dx, -dy))


def distinct_colours(shot, box):
    x0, y0, x1, y1 = box
    return len({color_at(shot, x, y) for y in range(y0, y1) for x in range(x0, x1)})


def wait_scene(name, refs, scene_ok=lambda shot: True):
    """The first screenshot whose caption reads name and whose scene passes scene_ok."""
    _, shot = session.eventually(lambda shot: caption_reads(shot, name, refs)[0] and scene_ok(shot), timeout=10)
    expect_caption(shot, name, refs)
    return shot


with mivra_e2e.Session(PROGRAM) as session:
    session.wait_window("Mivra Shader")
    refs = references()

    # Pixelation follows the mouse: sharp with the pointer at the top left, coarse at the bottom right.
    move_mouse(0, 0)
    shot = wait_scene("Pixelate", refs, lambda shot: distinct_colours(shot, (200, 40, 260, 100)) > 20)
    mivra_e2e.save_shot(shot, "shader-pixelate.png")
    sharp = distinct_colours(shot, (200, 40, 260, 100))
    move_mouse(799, 599)
    shot = wait_scene("Pixelate", refs, lambda shot: distinct_colours(shot, (200, 40, 260, 100)) <= 9)
    coarse = distinct_colours(shot, (200, 40, 260, 100))
    if not (sharp > 20 and coarse <= 9):
        fail(f"pixelation does not follow the mouse: {sharp} colours at the top left, {coarse} at the bottom right")
    move_mouse(0, 0)

    # The scene follows the caption within its frame.
    scene_checks = {
        "Edge Post-effect": (lambda shot: min(color_at(shot, 3, 3)) >= 245,
                             "the edge effect's window should be white at (3, 3)"),
        "Wave + Blur": (lambda shot: max(abs(a - b) for a, b in zip(color_at(shot, 5, 510), GREY)) <= 2,
                        "the background behind the paragraph should be (50, 50, 50) at (5, 510)"),
    }
    for index in range(1, 5):
        session.key("Right")
        name = NAMES[index]
        scene_ok, problem = scene_checks.get(name, (lambda shot: True, ""))
        shot = wait_scene(name, refs, scene_ok)
        mivra_e2e.save_shot(shot, "shader-" + name.split()[0].lower() + ".png")
        if not scene_ok(shot):
            fail(f"{problem}; it is {color_at(shot, 3, 3)} at (3, 3), {color_at(shot, 5, 510)} at (5, 510)")

    # Right from the last effect wraps to the first; Left from the first to the last.
    session.key("Right")
    wait_caption("Pixelate", refs)
    session.key("Left")
    wait_caption("Geometry Shader Billboards", refs)
    # Any other key leaves the effect as it is (the screen watched for a moment after it).
    session.key("space")
    session.settle(0.4)
    expect_caption(session.screenshot(), "Geometry Shader Billboards", refs)

    session.end_with_key("Escape")
print("ok")
