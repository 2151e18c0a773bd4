"""Shared harness for the end-to-end tests of the window programs.

Runs a program on a private display server, drives it with keys, text and pointer moves, takes
screenshots of its window and asks it to close the way a window manager does. The same scenario
runs on either display server, chosen by MIVRA_E2E_DISPLAY (set by CTest):

- "x11" (the default): a private Xvfb, xdotool, xwd (x11_display.py);
- "wayland": a private headless sway, wayvnc's virtual pointer and keyboard driven by an RFB client
  of ours, grim (wayland_display.py);
- "hidpi": the same compositor with its output at scale 2, and an Xvfb beside it: the program
  gets both DISPLAY and WAYLAND_DISPLAY and must open its window on the compositor. Window
  coordinates stay logical (the pointer, geometry); screenshot() gives the window sampled at one
  pixel per logical pixel (one pixel of each 2 x 2 block), screenshot(physical=True)
  every pixel the compositor shows.

Usage from a test script:

    with mivra_e2e.Session(program) as s:
        win = s.wait_window("Mivra Stencil")
        s.wait_first_frame()
        shot = s.screenshot()              # PIL image of the window's content
        s.close_and_expect_exit()          # or s.end_with_key("Escape")

Both endings also check that the program wrote nothing to standard error but the lines it means
to print (Session's stderr_lines). Paths come from the environment set by CTest: MIVRA_TOOLS (the
directory of mivra-wmclose and mivra-textshot).
"""

import os
import re
import signal
import subprocess
import sys
import tempfile
import time
from contextlib import contextmanager

from PIL import Image, ImageChops, ImageDraw, ImageFont

from mivra_console import wait_or_kill

TOOLS = os.environ.get("MIVRA_TOOLS", "")
DISPLAY_SERVER = os.environ.get("MIVRA_E2E_DISPLAY", "x11")


def default_signals():
    """preexec_fn for a program under test: SIGINT and SIGTERM at their default disposition, as
    from a terminal. A child of a non-interactive shell's `&` (and so of a test runner started that
    way) would otherwise inherit SIGINT ignored."""
    signal.signal(signal.SIGINT, signal.SIG_DFL)
    signal.signal(signal.SIGTERM, signal.SIG_DFL)


def open_display(layout=None):
    """A private display server of the kind this run tests, with the keyboard layout given (an
    XKB layout name)."""
    if DISPLAY_SERVER in ("wayland", "hidpi"):
        from wayland_display import WaylandDisplay
        if DISPLAY_SERVER == "hidpi":
            return WaylandDisplay(layout, scale=2, beside_x11=True)
        return WaylandDisplay(layout)
    if DISPLAY_SERVER == "x11":
        from x11_display import X11Display
        return X11Display(layout)
    raise SystemExit(f"MIVRA_E2E_DISPLAY={DISPLAY_SERVER!r}: expected x11, wayland or hidpi")


class Session:
    """One program on a private display server.

    stderr_lines: what the program means to write on standard error in this run, one entry per
    line, each a string (the whole line) or a compiled regular expression; anything else on
    standard error fails the ending checks."""

    def __init__(self, program, args=(), env=None, cwd=None, layout=None, stderr_lines=()):
        self.program = program
        self.args = list(args)
        self.extra_env = env or {}
        self.cwd = cwd
        self.layout = layout
        self.stderr_lines = list(stderr_lines)
        self.window = None
        self.proc = None
        self.display = None
        self.stdout = ""
        self.stderr = ""

    # -- life cycle -----------------------------------------------------------------------------

    def __enter__(self):
        self.display = open_display(self.layout)
        self.env = dict(os.environ)
        self.env["SDL_AUDIODRIVER"] = "dummy"
        self.display.program_environment(self.env)
        self.env.update(self.extra_env)
        self.display.prepare(self.env)
        self.start_time = time.monotonic()
        self._out = tempfile.TemporaryFile()
        self._err = tempfile.TemporaryFile()
        try:
            self.proc = subprocess.Popen([self.program] + self.args, env=self.env, cwd=self.cwd,
                                         stdin=subprocess.DEVNULL, stdout=self._out, stderr=self._err,
                                         preexec_fn=default_signals)
        except BaseException:
            self.display.stop()
            raise
        return self

    def __exit__(self, *exc):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self._collect()
        self.display.stop()
        return False

    @property
    def display_server(self):
        """The display server: "x11" or "wayland"."""
        return self.display.name

    def _collect(self):
        for name in ("_out", "_err"):
            f = getattr(self, name)
            f.seek(0)
            text = f.read().decode(errors="replace")
            setattr(self, "stdout" if name == "_out" else "stderr", text)

    def wait(self, timeout=20):
        """Waits for the program to end and returns its exit status."""
        status = wait_or_kill(self.proc, timeout)
        self._collect()
        if status is None:
            raise AssertionError(f"{self.program} did not end within {timeout} s; stderr: {self.stderr}")
        return status

    # -- windows --------------------------------------------------------------------------------

    def wait_window(self, title, timeout=20):
        """Waits until a visible window of the program with this exact title exists and returns
        its handle (an X window id, or a sway container id)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                self._collect()
                raise AssertionError(f"{self.program} ended early ({self.proc.returncode}): {self.stderr}")
            window = self.display.find_window(title, self.proc.pid)
            if window is not None:
                self.window = window
                self.window_seen = time.monotonic() - self.start_time
                return self.window
            time.sleep(0.05)
        raise AssertionError(f"no window titled {title!r} within {timeout} s")

    def wait_first_frame(self, background=(0, 0, 0), timeout=20):
        """Seconds from the program's start until its window shows something drawn."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if ink_box(self.screenshot(), background) is not None:
                return time.monotonic() - self.start_time
            time.sleep(0.01)
        raise AssertionError("nothing was drawn")

    def eventually(self, check, timeout=15, physical=False, box=None):
        """Takes screenshots until check(shot) holds (a slow frame on a loaded machine is not a
        failure) and returns (True, shot), or (False, last shot) after timeout seconds. physical
        and box: as for screenshot()."""
        deadline = time.monotonic() + timeout
        while True:
            shot = self.screenshot(physical=physical, box=box)
            if check(shot):
                return True, shot
            if time.monotonic() > deadline:
                return False, shot
            time.sleep(0.2)

    def wait_for(self, check, what, timeout=15, physical=False, box=None):
        """Like eventually, but fails the test (naming what was awaited) unless check comes to
        hold; returns the screenshot where it did."""
        ok, shot = self.eventually(check, timeout, physical, box)
        if not ok:
            save_shot(shot, "failed-" + re.sub(r"\W+", "-", what) + ".png")
            fail(f"{what}: not shown within {timeout} s")
        return shot

    def watch(self, seconds):
        """A pause that is itself the scenario, never a wait for something to happen (wait for
        evidence instead: wait_for, eventually, wait_window): a key held down for a while, or the
        window watched for a moment to show that nothing happens, which no evidence can show."""
        time.sleep(seconds)

    @property
    def scale(self):
        """The output's scale: physical pixels per logical pixel (1 but for the hidpi runs)."""
        return getattr(self.display, "scale", 1)

    def physical(self, box):
        """A box (or point) of window coordinates in the physical pixels of screenshot(physical=True)."""
        return tuple(v * self.scale for v in box)

    def window_geometry(self):
        return self.display.geometry(self.window)

    def screenshot(self, path=None, physical=False, box=None):
        """The window's content as an RGB PIL image (also written to path when given): one pixel
        per logical pixel, or with physical, every pixel of the output's scale. With box (x0, y0,
        x1, y1, window coordinates) only that part, its top-left pixel at (0, 0)."""
        image = self.display.screenshot(self.window, box)
        if not physical:
            image = as_logical(image, self.scale)
        if path:
            image.save(path)
        return image

    def focus(self):
        self.display.focus(self.window)

    def close_window(self):
        self.display.close(self.window)

    # -- input ----------------------------------------------------------------------------------

    def key(self, *keys):
        """Presses and releases each key in turn (X keysym names: "Return", "a", "Shift_L")."""
        self.display.key(self.window, keys)

    def key_down(self, key):
        self.display.key_down(self.window, key)

    def key_up(self, key):
        self.display.key_up(self.window, key)

    @contextmanager
    def hold_keys(self, *keys):
        """Holds the keys down (pressed in order) for the body of the with block, then releases
        them in reverse order."""
        for key in keys:
            self.key_down(key)
        yield
        for key in reversed(keys):
            self.key_up(key)

    def type_text(self, text):
        """Types the text as keys of the current layout (with Shift where a character needs it)."""
        self.display.type_text(self.window, text)

    def mousemove(self, x, y):
        """Moves the pointer to (x, y) relative to the window's top-left corner."""
        self.display.move(self.window, [(x, y)])

    def mousemoves(self, positions):
        """Moves the pointer through the positions (window coordinates) at once, so that the moves
        reach the program within a frame or two."""
        self.display.move(self.window, positions)

    def mousemove_relative(self, *deltas):
        """Moves the pointer by each (dx, dy) in turn, as a mouse does. Under Wayland the pointer
        must stay over the window for the program to see the motion."""
        self.display.move_relative(deltas)

    def click(self, button=1):
        """Presses and releases a pointer button where the pointer is (1 left, 3 right, 4/5 wheel)."""
        self.display.click(self.window, button)

    # -- ending ---------------------------------------------------------------------------------

    def close_and_expect_exit(self, timeout=20):
        """Asks the window to close, waits for the program to end and fails unless it exits with 0
        and wrote nothing unexpected on standard error."""
        self.close_window()
        self.expect_exit("close", timeout)

    def end_with_key(self, key, timeout=20):
        """Presses a key that ends the program and fails unless it exits with 0 (and wrote nothing
        unexpected on standard error).

        Only the press is sent: the program may end on it and destroy its window before a release
        could reach it, and xdotool would then fail on the missing window (BadWindow)."""
        self.key_down(key)
        self.expect_exit(key, timeout)

    def expect_exit(self, what, timeout=20):
        status = self.wait(timeout)
        if status != 0:
            fail(f"{what}: exit status {status}: {self.stderr}")
        self.expect_stderr()

    def expect_stderr(self):
        """Fails unless every line on standard error is one the program means to print."""
        unexpected = unexpected_lines(self.stderr, self.stderr_lines)
        if unexpected:
            fail(f"{self.display_server}: unexpected lines on standard error: {unexpected!r}")


def unexpected_lines(text, allowed):
    """The lines of text that match none of the allowed entries (exact strings or compiled regular
    expressions matching the whole line)."""
    def expected(line):
        return any(line == entry if isinstance(entry, str) else entry.fullmatch(line) for entry in allowed)
    return [line for line in text.splitlines() if not expected(line)]


class TextItem:
    """One text for render_texts: drawn like a program draws a mivra::Text."""

    def __init__(self, text, x, y, size, bold=False, fill=(255, 255, 255, 255), font=None):
        self.text, self.x, self.y, self.size, self.bold, self.fill = text, x, y, size, bold, fill
        self.font = font or os.path.join(os.environ["MIVRA_RESOURCE_DIR"], "tuffy.ttf")


def render_texts(items, width, height, background=(0, 0, 0), env=None, scale=1):
    """Renders texts with the library itself (mivra-textshot) and returns the RGB image.

    Pass the session's env so the reference is drawn by the same GL driver as the program. At a
    scale above 1 the texts are drawn as a window on such an output draws them (Session.scale):
    the same logical layout in an image scale times as wide and high."""
    cmd = [os.path.join(TOOLS, "mivra-textshot"), f"--scale={scale}", "", str(width), str(height),
           ",".join(map(str, background))]
    for item in items:
        cmd += [item.font, str(item.size), "bold" if item.bold else "regular",
                ",".join(map(str, item.fill)), str(item.x), str(item.y), item.text]
    with tempfile.TemporaryDirectory() as directory:
        cmd[2] = os.path.join(directory, "text.png")
        subprocess.run(cmd, check=True, timeout=60, env=env or os.environ.copy(), stdin=subprocess.DEVNULL)
        image = Image.open(cmd[2]).convert("RGB")
        image.load()
    if scale != 1:
        check_physical_text(image, items, background, scale)
    return image


# Checked once per set of texts: the tests draw the same expected screens again and again.
_physical_checked = set()


def check_physical_text(image, items, background, scale):
    """Fails unless the library's drawing of the texts at a scale (mivra-textshot's, which the
    screenshots are compared with and which shares the programs' text code) has the size and the
    sharpness of the same texts drawn by FreeType alone (Pillow) at the physical size: glyphs
    rasterised at the logical size and stretched would pass any comparison with the programs
    themselves, but their ink is blurred or blocky, the share of partly covered pixels far above
    a drawing at the physical size."""
    key = (image.size, tuple(background), scale,
           tuple((i.text, i.x, i.y, i.size, i.bold, tuple(i.fill), i.font) for i in items))
    if key in _physical_checked:
        return
    _physical_checked.add(key)
    reference = Image.new("RGB", image.size, background)
    draw = ImageDraw.Draw(reference)
    for item in items:
        font = ImageFont.truetype(item.font, item.size * scale)
        draw.text((item.x * scale, item.y * scale), item.text, font=font, fill=tuple(item.fill[:3]),
                  stroke_width=1 if item.bold else 0, stroke_fill=tuple(item.fill[:3]))
    drawn, expected = ink_box(image, background), ink_box(reference, background)
    if drawn is None or expected is None:
        if drawn != expected:
            fail(f"texts at scale {scale}: ink {drawn}, FreeType's {expected}")
        return
    name = f"texts {[i.text.strip().split(chr(10))[0][:30] for i in items][:3]!r} at scale {scale}"
    dimensions = [(0, "width")]
    if not any("\n" in item.text for item in items):
        # Lines of one text are spaced as at scale 1 (Text's layout): only single lines compare.
        dimensions.append((1, "height"))
    for axis, what in dimensions:
        size, wanted = drawn[axis + 2] - drawn[axis], expected[axis + 2] - expected[axis]
        if abs(size - wanted) > max(4, 0.06 * wanted):
            fail(f"{name}: ink {size} pixels in {what}, FreeType's at the physical size {wanted}")
    blur, sharp = partial_share(image, background), partial_share(reference, background)
    if blur > sharp * PARTIAL_SHARE_RATIO:
        save_shot(image, "failed-physical-text.png")
        save_shot(reference, "failed-physical-text-freetype.png")
        fail(f"{name}: {blur:.2f} of the ink partly covered, FreeType's at the physical size {sharp:.2f}: "
             "glyphs drawn at the logical size and stretched")


# Measured: FreeType's text at twice its size has 0.20 to 0.42 of its ink partly covered; the
# same drawn at the size and doubled 1.6 to 1.9 times that (blocky), smoothly stretched 2.3 to 3.
PARTIAL_SHARE_RATIO = 1.3


def partial_share(image, background):
    """Among the pixels that differ from the background (by more than 15 % of the strongest), the
    share of partly covered ones (less than 90 %): the edges of the glyphs against their whole."""
    diff = ImageChops.difference(image.convert("RGB"), Image.new("RGB", image.size, background)).convert("L")
    histogram = diff.histogram()
    top = max(level for level, count in enumerate(histogram) if count)
    full = sum(histogram[int(top * 0.9):])
    partial = sum(histogram[int(top * 0.15) + 1:int(top * 0.9)])
    return partial / max(partial + full, 1)


def as_logical(image, scale):
    """An image of physical pixels at one pixel per logical pixel: one pixel of each scale x scale
    block (the pixels drawn, not a blend no frame ever showed). Screenshots and render_texts
    images sampled this way compare pixel for pixel."""
    if scale == 1:
        return image
    return image.resize((image.width // scale, image.height // scale), Image.NEAREST)


def save_shot(image, name):
    """Keeps a screenshot in the build tree (build/screenshots, and its wayland/ folder for the
    Wayland runs) for the README and for debugging."""
    directory = os.environ.get("MIVRA_SHOTS")
    if directory:
        if DISPLAY_SERVER != "x11":
            directory = os.path.join(directory, DISPLAY_SERVER)
        os.makedirs(directory, exist_ok=True)
        image.save(os.path.join(directory, name))


def region_difference(a, b, box):
    """Largest per-channel difference between two images inside box (x0, y0, x1, y1)."""
    diff = ImageChops.difference(a.crop(box).convert("RGB"), b.crop(box).convert("RGB"))
    return max(high for _, high in diff.getextrema())


def shifted_difference(shot, expected, box):
    """The smallest region_difference inside box over shifts of the expected image by up to one
    pixel: the same glyph may land one pixel apart in two texts, or in an outlined text and its
    plain rendering."""
    x0, y0, x1, y1 = box
    best = 255
    for dx in (-1, 0, 1):
        for dy in (-1, 0, 1):
            moved = expected.crop((x0 - dx, y0 - dy, x1 - dx, y1 - dy))
            best = min(best, region_difference(shot.crop(box), moved, (0, 0, x1 - x0, y1 - y0)))
    return best


def ink_box(image, background=(0, 0, 0), threshold=40):
    """Bounding box (x0, y0, x1, y1) of the pixels that differ from the background, or None."""
    plain = Image.new("RGB", image.size, background)
    diff = ImageChops.difference(image.convert("RGB"), plain).convert("L")
    return diff.point(lambda v: 255 if v > threshold else 0).getbbox()


def doubled_edge_fraction(image, box, background=None):
    """Among the text's edge pixels inside box (ink pixels in even columns with a 4-neighbour of
    another colour), the fraction equal to the pixel in the odd column to their right: 1.0 for a
    picture drawn at half the resolution and doubled, about 0.3 for text drawn at full resolution.
    None when the box holds no ink. The background is the box's commonest colour unless given."""
    x0, y0, x1, y1 = box
    image = image.convert("RGB")
    if background is None:
        background = max(image.crop(box).getcolors(1 << 24))[1]
    data = image.load()
    edges = doubled = 0
    for y in range(max(y0, 1), min(y1, image.height - 1)):
        for x in range(x0 + (x0 % 2), min(x1, image.width - 2), 2):
            pixel = data[x, y]
            if pixel == background:
                continue
            if all(data[nx, ny] == pixel for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1))):
                continue
            edges += 1
            doubled += data[x + 1, y] == pixel
    return doubled / edges if edges else None


def color_at(image, x, y):
    return image.getpixel((x, y))[:3]


def fail(message):
    print("FAIL:", message, file=sys.stderr)
    sys.exit(1)
