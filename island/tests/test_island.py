"""End-to-end tests of the island program on a private display server (Xvfb or headless Wayland).

Usage: test_island.py <island binary> <island-panelshot binary> <case> [<scratch resource directory>]
Cases: start (terrain, default panel, Escape), generating (the message while Enter regenerates),
edit (selection and lighting), regenerate (heightBase, Enter), close-while-generating,
shader-fails (a build whose resource directory is the scratch directory, given a terrain fragment
shader that does not compile).
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from PIL import Image

import mivra_e2e
from mivra_e2e import color_at, fail

PROGRAM, PANELSHOT, CASE = sys.argv[1], sys.argv[2], sys.argv[3]
FONT = os.path.join(os.environ["MIVRA_RESOURCE_DIR"], "tuffy.ttf")
TITLE = "Mivra Island"

HELP = ("perlinOctaves:  3\n\n"
        "Use the arrow keys to change the values.\nUse the return key to regenerate the terrain.\n\n")
NAMES = ["perlinFrequency", "perlinFrequencyBase", "heightBase", "edgeFactor", "edgeDropoffExponent",
         "snowcapHeight", "heightFactor", "heightFlatten", "lightFactor"]
DEFAULTS = ["7", "4", "0", "0.9", "1.5", "0.6", "300", "3", "0.7"]


def panel_text(values, cursor):
    lines = [(">>  " if i == cursor else "       ") + f"{name}:  {value}\n"
             for i, (name, value) in enumerate(zip(NAMES, values))]
    return "Frame:  0ms\n" + HELP + "".join(lines)


# Pixels of the panel allowed to differ from the reference (anti-aliasing of the outline over a
# different background); a wrong digit or marker differs in far more.
PANEL_TOLERANCE = 8
MASKS = {}
MASKS_READY = threading.Event()


def prepare_masks(panels):
    """Draws the expected panels, (values, cursor) each, in the background while the program
    starts: a list of ((x, y), (r, g, b)) of the pixels each panel decides on its own."""
    def render():
        try:
            with tempfile.TemporaryDirectory() as directory:
                command = [PANELSHOT, f"--scale={session.scale}", FONT]
                for i, (values, cursor) in enumerate(panels):
                    command += [os.path.join(directory, f"panel{i}.png"), panel_text(values, cursor)]
                subprocess.run(command, check=True, timeout=120, env=session.env, stdin=subprocess.DEVNULL)
                for i, (values, cursor) in enumerate(panels):
                    # Sampled as the session samples its screenshots (one pixel per logical pixel).
                    mask = mivra_e2e.as_logical(Image.open(os.path.join(directory, f"panel{i}.png")).convert("RGBA"),
                                                session.scale)
                    pixels = mask.load()
                    MASKS[(tuple(values), cursor)] = [((x, y), pixels[x, y][:3]) for y in range(300)
                                                      for x in range(400) if pixels[x, y][3] == 255]
        finally:
            MASKS_READY.set()

    threading.Thread(target=render, daemon=True).start()


def panel_mask(values, cursor):
    MASKS_READY.wait(120)
    mask = MASKS.get((tuple(values), cursor))
    if not mask or len(mask) < 2000:
        fail(f"no usable reference of the panel {values} with cursor {cursor}")
    return mask


def panel_mismatch(shot, values, cursor):
    """How many of the panel's own pixels (everything but the frame-time line) differ from the
    library's rendering of the expected text. One wrong digit makes dozens."""
    mask = panel_mask(values, cursor)
    shot_pixels = shot.load()
    wrong = 0
    for position, (r, g, b) in mask:
        sr, sg, sb = shot_pixels[position][:3]
        if max(abs(sr - r), abs(sg - g), abs(sb - b)) > 24:
            wrong += 1
    if os.environ.get("ISLAND_E2E_DEBUG"):
        print("panel mismatch", values[cursor], cursor, wrong, len(mask))
    return wrong


def expect_panel(shot, values, cursor, name):
    mismatch = panel_mismatch(shot, values, cursor)
    if mismatch > PANEL_TOLERANCE:
        mivra_e2e.save_shot(shot, f"island-{name}-failed.png")
        fail(f"{name}: panel differs from {values} with cursor {cursor} on {mismatch} of its pixels")


def wait_panel(values, cursor, name, timeout=30):
    """Screenshots until the panel shows the values (frames of the full terrain are slow under a
    software renderer); returns the matching screenshot."""
    deadline = time.monotonic() + timeout
    while True:
        shot = session.screenshot()
        if panel_mismatch(shot, values, cursor) <= PANEL_TOLERANCE or time.monotonic() > deadline:
            expect_panel(shot, values, cursor, name)
            return shot
        time.sleep(0.2)


def is_water(colour):
    r, g, b = colour
    return b >= 170 and r < 60 and g < 60


def wait_for_terrain(timeout=30):
    """Screenshots until the terrain shows (deep water in the bottom corners)."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        shot = session.screenshot()
        if is_water(color_at(shot, 2, 597)) and is_water(color_at(shot, 797, 597)):
            return shot
        time.sleep(0.1)
    fail("the terrain never showed")


def message_box(shot):
    """Box of white text pixels in the middle of the window, where the status message is centred."""
    box = None
    for y in range(270, 330):
        for x in range(150, 650):
            r, g, b = color_at(shot, x, y)
            if r > 230 and g > 230 and b > 230:
                box = (min(box[0], x), min(box[1], y), max(box[2], x), max(box[3], y)) if box else (x, y, x, y)
    return box


def only_black_and_white(shot, box):
    """The status message is drawn over a black window: nothing coloured around it."""
    for y in range(box[1], box[3] + 1, 2):
        for x in range(box[0], box[2] + 1, 2):
            r, g, b = color_at(shot, x, y)
            if max(r, g, b) - min(r, g, b) > 30:
                return False
    return True


def case_start():
    prepare_masks([(DEFAULTS, 0)])
    session.wait_window(TITLE)
    shot = wait_for_terrain()
    step("terrain shown")
    mivra_e2e.save_shot(shot, "island.png")
    for corner in [(797, 2), (2, 597), (797, 597)]:
        if not is_water(color_at(shot, *corner)):
            fail(f"corner {corner} is {color_at(shot, *corner)}, not deep water")
    land = [color_at(shot, x, y) for x in range(360, 441, 20) for y in range(260, 341, 20)]
    if sum(1 for c in land if not is_water(c)) < len(land) * 0.8:
        fail(f"the middle of the island is mostly water: {land}")
    expect_panel(shot, DEFAULTS, 0, "default panel")
    if session.scale != 1:
        # The cached terrain follows the window's physical size: the coast is drawn at the
        # output's resolution, not doubled from a picture of the logical size.
        physical = session.screenshot(physical=True)
        fraction = mivra_e2e.doubled_edge_fraction(physical, session.physical((200, 150, 600, 450)), (0, 0, 0))
        if fraction is None or fraction > 0.6:
            mivra_e2e.save_shot(physical, "island-not-sharp.png")
            fail(f"the terrain at scale {session.scale} looks doubled ({fraction} of its edge pixels equal their "
                 "right neighbour)")
        print(f"island terrain at scale {session.scale}: {fraction:.2f} of the edge pixels equal their right neighbour")
    session.end_with_key("Escape")


def case_generating():
    session.wait_window(TITLE)
    wait_for_terrain()
    step("terrain shown")
    # Enter regenerates: while the new terrain is outstanding the window shows the status message
    # on black. Enter is pressed every 200 ms, and the window watched, until the message shows.
    stop = threading.Event()

    def press():
        while not stop.is_set():
            session.key("Return")
            stop.wait(0.2)

    presser = threading.Thread(target=press)
    presser.start()
    seen = None
    deadline = time.monotonic() + 30
    try:
        while time.monotonic() < deadline and not seen:
            shot = session.screenshot()
            box = message_box(shot)
            if box and is_black(color_at(shot, 2, 597)) and only_black_and_white(shot, box):
                seen = shot
    finally:
        stop.set()
        presser.join()
    step("message seen" if seen else "message not seen")
    if not seen:
        fail("\"Generating Terrain...\" never showed while regenerating")
    mivra_e2e.save_shot(seen, "island-generating.png")
    expect_centred_message(seen, "Generating Terrain...")

    session.close_and_expect_exit()


def is_black(colour):
    return max(colour) < 20


def expect_centred_message(shot, text):
    """The shot's message box holds the text centred: the box of the white fill is the text's ink
    box, give or take the outline. Returns the box."""
    expected = mivra_e2e.as_logical(mivra_e2e.render_texts([mivra_e2e.TextItem(text, 0, 0, 28)], 800, 600, env=session.env, scale=session.scale), session.scale)
    ink = mivra_e2e.ink_box(expected)
    width, height = ink[2] - ink[0], ink[3] - ink[1]
    box = message_box(shot)
    if abs((box[0] + box[2]) / 2 - 400) > 6 or abs((box[2] - box[0]) - width) > 6 or abs((box[3] - box[1]) - height) > 6:
        fail(f"message box {box} is not a centred {width} x {height} text")
    return box


def case_edit():
    prepare_masks([(DEFAULTS, 8), (DEFAULTS[:8] + ["0.2"], 8), (DEFAULTS[:8] + ["0.2"], 0)])
    session.wait_window(TITLE)
    before = wait_for_terrain()
    step("terrain shown")
    # Up from the first setting selects the last, lightFactor; Left lowers it to 0.2, and the
    # lighting changes at once without a new terrain, flat water keeping its colour.
    session.key("Up")
    wait_panel(DEFAULTS, 8, "Up")
    step("Up shown")
    for _ in range(5):
        session.key("Left")
    values = DEFAULTS[:8] + ["0.2"]
    wait_panel(values, 8, "Left on lightFactor")
    step("Left shown")
    dimmer = session.screenshot()
    mivra_e2e.save_shot(dimmer, "island-light.png")
    changed = sum(1 for x in range(300, 500, 10) for y in range(200, 400, 10)
                  if color_at(dimmer, x, y) != color_at(before, x, y))
    if changed < 100:
        mivra_e2e.save_shot(before, "island-light-before-failed.png")
        mivra_e2e.save_shot(dimmer, "island-light-after-failed.png")
        fail(f"lightFactor 0.2 changed only {changed} of 400 sample pixels")
    if color_at(dimmer, 2, 597) != color_at(before, 2, 597):
        fail("flat water changed with the light")
    # Down from the last setting wraps to the first.
    session.key("Down")
    wait_panel(values, 0, "Down on lightFactor")
    step("Down shown")
    session.close_and_expect_exit()


def case_regenerate():
    prepare_masks([(DEFAULTS[:2] + ["1.2"] + DEFAULTS[3:], 2)])
    session.wait_window(TITLE)
    before = wait_for_terrain()
    # heightBase is the third setting. Twelve Rights show 1.2; the terrain waits for Enter.
    session.key("Down", "Down")
    for _ in range(12):
        session.key("Right")
    values = DEFAULTS[:2] + ["1.2"] + DEFAULTS[3:]
    raised = wait_panel(values, 2, "Right on heightBase")
    step("heightBase 1.2 shown")
    if any(color_at(raised, x, y) != color_at(before, x, y) for x in range(300, 500, 25) for y in range(350, 450, 25)):
        fail("the terrain changed before Enter")

    # Enter regenerates with heightBase 1.2: the island rises, its middle turns to snow.
    session.key("Return")
    deadline = time.monotonic() + 30
    while True:
        shot = session.screenshot()
        centre = color_at(shot, 400, 300)
        if min(centre) > 200 and is_water(color_at(shot, 2, 597)):
            break
        if time.monotonic() > deadline:
            fail(f"no snow in the middle after Enter (centre {centre})")
        time.sleep(0.1)
    step("snow shown")
    mivra_e2e.save_shot(shot, "island-raised.png")
    expect_panel(shot, values, 2, "after Enter")
    session.end_with_key("Escape")


def case_close_while_generating():
    session.wait_window(TITLE)
    wait_for_terrain()
    # Enter and close at once: the program ends without waiting for the queued jobs.
    session.key("Return")
    session.close_and_expect_exit()


def case_shader_fails():
    session.wait_window(TITLE)
    ok, shot = session.eventually(lambda s: message_box(s) is not None, timeout=30)
    if not ok:
        fail("no status message shown")
    step("message shown")
    mivra_e2e.save_shot(shot, "island-shader-fails.png")
    # The message alone, centred on black: no panel, no terrain.
    box = expect_centred_message(shot, "Failed to load shader program")
    drawn = mivra_e2e.ink_box(shot)
    if drawn is None or drawn[0] < box[0] - 4 or drawn[1] < box[1] - 4 or drawn[2] > box[2] + 5 or drawn[3] > box[3] + 5:
        fail(f"something besides the message is drawn: ink {drawn}, message {box}")
    # Without the shader the arrow keys and Enter change nothing (two Enters would block the loop
    # if they queued a terrain for workers that were never started).
    session.key("Up", "Left", "Right", "Down", "Right", "Return", "Return")
    session.watch(1.0)  # the window watched for a moment: nothing changes
    after = session.screenshot()
    if mivra_e2e.region_difference(shot, after, (0, 0, 800, 600)) != 0:
        mivra_e2e.save_shot(after, "island-shader-fails-keys-failed.png")
        fail("the window changed after the arrow keys and Enter")
    if session.proc.poll() is not None:
        session.wait()
        fail(f"the program ended by itself ({session.proc.returncode}): {session.stderr!r}")
    session.end_with_key("Escape")
    if "terrain.frag" not in session.stderr:
        fail(f"the shader failure does not name the file: {session.stderr!r}")


def step(name):
    """Progress on stdout, with the time since the program started, for slow runs."""
    print(f"{time.monotonic() - session.start_time:6.1f} s  {name}", flush=True)


CASES = {"start": case_start, "generating": case_generating, "edit": case_edit, "regenerate": case_regenerate,
         "close-while-generating": case_close_while_generating, "shader-fails": case_shader_fails}

if CASE == "shader-fails":
    # The scratch resource directory: the font and the vertex shader as staged, and a fragment
    # shader that does not compile.
    scratch = sys.argv[4]
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    for name in ("tuffy.ttf", "terrain.vert"):
        shutil.copy(os.path.join(os.environ["MIVRA_RESOURCE_DIR"], name), scratch)
    with open(os.path.join(scratch, "terrain.frag"), "w") as f:
        f.write("#version 120\nvoid main() { gl_FragColor = not_declared; }\n")

# The one line a run means to print: the shader's failure, naming the file and the compiler's reason.
SHADER_FAILURE = re.compile(r"mivra: cannot load the shader: .*/terrain\.frag: cannot compile the fragment shader: .+")

with mivra_e2e.Session(PROGRAM, stderr_lines=[SHADER_FAILURE] if CASE == "shader-fails" else []) as session:
    CASES[CASE]()
print("ok")
