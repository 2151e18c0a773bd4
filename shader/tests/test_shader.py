"""End-to-end test of the shader gallery on a private display server: the five captions in turn with
Right and Left, the scenes behind them following the mouse (the pixelation's size, the storm's eye
and the dots' blinking, the billboards' size and turn), and Escape.

Usage: test_shader.py <shader binary>
"""

import sys
import time

from PIL import Image, ImageChops, ImageStat

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


def wait_scene(name, refs, scene_ok=lambda shot: True, physical=False):
    """The first screenshot whose caption reads name and whose scene passes scene_ok; with physical,
    scene_ok sees every pixel of the output's scale (the caption is read at one pixel per logical
    pixel either way)."""
    def logical(shot):
        return mivra_e2e.as_logical(shot, session.scale) if physical else shot

    _, shot = session.eventually(lambda shot: caption_reads(logical(shot), name, refs)[0] and scene_ok(shot),
                                 timeout=10, physical=physical)
    expect_caption(logical(shot), name, refs)
    return shot


def scale_of(shot):
    """Pixels of the shot per logical pixel of the 800-pixel-wide window."""
    return shot.width // 800


def disc_ink(shot, centre, radius=14):
    """How many pixels within radius (logical) of centre differ from the gallery's grey background.
    The dots are drawn per physical pixel: a shot at one pixel per logical pixel would miss them."""
    scale = scale_of(shot)
    cx, cy, radius = centre[0] * scale, centre[1] * scale, radius * scale
    return sum(1 for y in range(cy - radius, cy + radius + 1) for x in range(cx - radius, cx + radius + 1)
               if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
               and max(abs(a - b) for a, b in zip(color_at(shot, x, y), GREY)) > 3)


# Two places for the storm's eye, and between them a patch of the scene that neither storm reaches
# (its total radius is at most 350 px).
STORM_EYES = ((150, 100), (650, 100))
UNSTORMED = (350, 430, 450, 500)


def storm_clears(at, elsewhere):
    """The storm's eye: no dot within 14 px of the pointer (its inner radius is never under 16 px),
    while about one pixel in twelve is a dot where the storm does not reach."""
    return lambda shot: disc_ink(shot, at) == 0 and disc_ink(shot, elsewhere) >= 20


def dot_strength(shot):
    """The mean difference from the background where no storm reaches: the dots' opacity, which
    blinks between 0.25 and 0.75 with a period of about 2.1 s."""
    patch = shot.convert("RGB").crop(tuple(v * scale_of(shot) for v in UNSTORMED))
    background = Image.new("RGB", patch.size, GREY)
    return sum(ImageStat.Stat(ImageChops.difference(patch, background)).mean)


def dark_share(shot):
    """The share of the scene (above the caption bar) where the background shows between the
    billboards: pixels with no channel over 100."""
    scene = shot.convert("RGB").crop(tuple(v * scale_of(shot) for v in (0, 0, 800, 500)))
    dark = [channel.point(lambda v: 255 if v < 100 else 0) for channel in scene.split()]
    both = ImageChops.multiply(ImageChops.multiply(dark[0], dark[1]), dark[2])
    return both.histogram()[255] / (scene.width * scene.height)


def turned_half(first, second):
    """The mean colour difference between first and second turned by 180 degrees about the window's
    centre, over rows 100 to 499 (clear of the caption bar in both). In physical pixels: a shot at one
    pixel per logical pixel would compare each pixel with the neighbour of its turned partner."""
    box = tuple(v * scale_of(first) for v in (0, 100, 800, 500))
    turned = second.convert("RGB").transpose(Image.Transpose.ROTATE_180)
    return sum(ImageStat.Stat(ImageChops.difference(first.convert("RGB").crop(box), turned.crop(box))).mean)


def check_storm(refs):
    """The dots clear a disc around the pointer wherever it goes, and their opacity blinks."""
    strengths = []

    def seen(check):
        def seen_and_checked(shot):
            strengths.append(dot_strength(shot))
            return check(shot)
        return seen_and_checked

    for at, elsewhere in (STORM_EYES, STORM_EYES[::-1]):
        move_mouse(*at)
        shot = wait_scene("Storm + Blink", refs, seen(storm_clears(at, elsewhere)), physical=True)
        if not storm_clears(at, elsewhere)(shot):
            mivra_e2e.save_shot(shot, "shader-storm-failed.png")
            fail(f"the storm should clear the dots around the pointer at {at}: {disc_ink(shot, at)} dot pixels "
                 f"there, {disc_ink(shot, elsewhere)} at {elsewhere}")

    def blinked():
        return max(strengths) >= 1.8 * min(strengths)

    if not blinked():
        wait_scene("Storm + Blink", refs, seen(lambda shot: blinked()), physical=True)
    if not blinked():
        fail(f"the dots do not blink: their strength over the screenshots was {strengths}")


def check_billboards(refs):
    """The billboards grow as the pointer goes down and the cloud turns with it across: half a turn
    from the left edge to the middle."""
    move_mouse(0, 10)
    small = wait_scene("Geometry Shader Billboards", refs, lambda shot: dark_share(shot) > 0.05, physical=True)
    move_mouse(400, 10)
    turned = wait_scene("Geometry Shader Billboards", refs, lambda shot: turned_half(small, shot) < 10, physical=True)
    if turned_half(small, turned) >= 10:
        fail(f"the billboards do not turn half a turn with the pointer: {turned_half(small, turned):.1f} apart")
    move_mouse(400, 500)
    large = wait_scene("Geometry Shader Billboards", refs, lambda shot: dark_share(shot) < 0.01, physical=True)
    if not (dark_share(small) > 0.05 and dark_share(large) < 0.01):
        mivra_e2e.save_shot(large, "shader-billboards-failed.png")
        fail(f"the billboards do not grow with the pointer: background in {dark_share(small):.3f} of the scene "
             f"with the pointer at the top, {dark_share(large):.3f} at the bottom")
    move_mouse(0, 0)


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
        if name == "Storm + Blink":
            check_storm(refs)
        elif name == "Geometry Shader Billboards":
            check_billboards(refs)

    # Right from the last effect wraps to the first; Left from the first to the last.
    session.key("Right")
    wait_caption("Pixelate", refs)
    session.key("Left")
    wait_caption("Geometry Shader Billboards", refs)
    # Any other key leaves the effect as it is (the screen watched for a moment after it).
    session.key("space")
    session.watch(0.4)
    expect_caption(session.screenshot(), "Geometry Shader Billboards", refs)

    session.end_with_key("Escape")

# With a compositor and an X server both there, MIVRA_WINDOW_BACKEND=x11 puts the window on the
# X server, although the program makes a GL context (Shader::isAvailable) before its window.
if mivra_e2e.DISPLAY_SERVER == "hidpi":
    with mivra_e2e.Session(PROGRAM, env={"MIVRA_WINDOW_BACKEND": "x11"}) as session:
        x11 = session.display.x11
        x11.prepare(session.env)  # its tools on the program's DISPLAY
        deadline = time.monotonic() + 20
        while (window := x11.find_window("Mivra Shader", session.proc.pid)) is None:
            if session.proc.poll() is not None or time.monotonic() > deadline:
                session.proc.kill()
                session.wait()
                fail(f"MIVRA_WINDOW_BACKEND=x11: no window on the X server within 20 s; stderr: {session.stderr}")
            time.sleep(0.05)
        x11.key_down(window, "Escape")
        session.expect_exit("Escape on the X server")
print("ok")
