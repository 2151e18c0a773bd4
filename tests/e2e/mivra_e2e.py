"""Shared harness for the end-to-end tests of the window programs.

Starts a private Xvfb (a free display found through -displayfd, so tests can run side by side),
runs a program in it, drives it with xdotool, takes screenshots of its window and asks it to close
the way a window manager does (a WM_DELETE_WINDOW client message).

Usage from a test script:

    with mivra_e2e.Session(program) as s:
        win = s.wait_window("Mivra Stencil")
        s.settle()
        shot = s.screenshot()              # PIL image of the window's content
        s.close_and_expect_exit()          # or s.end_with_key("Escape")

Paths come from the environment set by CTest: MIVRA_TOOLS (the directory of mivra-wmclose and
mivra-textshot).
"""

import os
import select
import signal
import subprocess
import sys
import tempfile
import time
from contextlib import contextmanager

from PIL import Image, ImageChops

TOOLS = os.environ.get("MIVRA_TOOLS", "")


def default_signals():
    """preexec_fn for a program under test: SIGINT and SIGTERM at their default disposition, as
    from a terminal. A child of a non-interactive shell's `&` (and so of a test runner started that
    way) would otherwise inherit SIGINT ignored."""
    signal.signal(signal.SIGINT, signal.SIG_DFL)
    signal.signal(signal.SIGTERM, signal.SIG_DFL)


class Xvfb:
    def __init__(self, width=1280, height=1024):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_fd], [], [], max(0.0, deadline - time.monotonic()))
            if not ready:
                self.proc.kill()
                raise RuntimeError("Xvfb did not start")
            chunk = os.read(read_fd, 16)
            if not chunk:
                raise RuntimeError("Xvfb exited at start")
            number += chunk
        os.close(read_fd)
        self.display = ":" + number.decode().strip()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


class Session:
    """One program under a private X server."""

    def __init__(self, program, args=(), env=None, cwd=None):
        self.program = program
        self.args = list(args)
        self.extra_env = env or {}
        self.cwd = cwd
        self.window = None
        self.proc = None
        self.xvfb = None
        self.stdout = ""
        self.stderr = ""

    # -- life cycle -----------------------------------------------------------------------------

    def __enter__(self):
        self.xvfb = Xvfb()
        self.env = dict(os.environ)
        self.env.update({"DISPLAY": self.xvfb.display, "SDL_AUDIODRIVER": "dummy"})
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env.update(self.extra_env)
        # The pointer starts in the middle of the screen, where a centred window would catch it.
        self.run("xdotool", "mousemove", "0", "0")
        self.start_time = time.monotonic()
        self._out = tempfile.TemporaryFile()
        self._err = tempfile.TemporaryFile()
        self.proc = subprocess.Popen([self.program] + self.args, env=self.env, cwd=self.cwd,
                                     stdin=subprocess.DEVNULL, stdout=self._out, stderr=self._err,
                                     preexec_fn=default_signals)
        return self

    def __exit__(self, *exc):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self._collect()
        self.xvfb.stop()
        return False

    def _collect(self):
        for name in ("_out", "_err"):
            f = getattr(self, name)
            f.seek(0)
            text = f.read().decode(errors="replace")
            setattr(self, "stdout" if name == "_out" else "stderr", text)

    def wait(self, timeout=20):
        """Waits for the program to end and returns its exit status."""
        try:
            status = self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            self._collect()
            raise AssertionError(f"{self.program} did not end within {timeout} s; stderr: {self.stderr}")
        self._collect()
        return status

    # -- X helpers ------------------------------------------------------------------------------

    def run(self, *cmd, check=True):
        result = subprocess.run(list(cmd), env=self.env, stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=30)
        if check and result.returncode != 0:
            raise AssertionError(f"{cmd} failed: {result.stderr}")
        return result.stdout

    def xdotool(self, *args):
        return self.run("xdotool", *[str(a) for a in args])

    def wait_window(self, title, timeout=20):
        """Waits until a visible window with this exact title exists and returns its id."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                self._collect()
                raise AssertionError(f"{self.program} ended early ({self.proc.returncode}): {self.stderr}")
            out = self.run("xdotool", "search", "--onlyvisible", "--name", f"^{title}$", check=False)
            ids = out.split()
            if ids:
                self.window = int(ids[0])
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

    def eventually(self, check, timeout=15):
        """Takes screenshots until check(shot) holds (a slow frame on a loaded machine is not a
        failure) and returns (True, shot), or (False, last shot) after timeout seconds."""
        deadline = time.monotonic() + timeout
        while True:
            shot = self.screenshot()
            if check(shot):
                return True, shot
            if time.monotonic() > deadline:
                return False, shot
            time.sleep(0.2)

    def settle(self, seconds=0.5):
        """Gives the program time to handle queued input and draw a few frames."""
        time.sleep(seconds)

    def window_geometry(self):
        out = self.run("xdotool", "getwindowgeometry", "--shell", str(self.window))
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def screenshot(self, path=None):
        """The window's content as an RGB PIL image (also written to path when given)."""
        xwd = subprocess.run(["xwd", "-silent", "-id", str(self.window)], env=self.env,
                             capture_output=True, timeout=30, check=True).stdout
        png = subprocess.run(["convert", "xwd:-", "png:-"], input=xwd, capture_output=True,
                             timeout=30, check=True).stdout
        tmp = tempfile.NamedTemporaryFile(suffix=".png", delete=False)
        tmp.write(png)
        tmp.close()
        image = Image.open(tmp.name).convert("RGB")
        image.load()
        os.unlink(tmp.name)
        if path:
            image.save(path)
        return image

    def key(self, *keys):
        self.xdotool("key", "--window", self.window, *keys)

    def focus(self):
        self.xdotool("windowfocus", "--sync", self.window)

    def mousemove(self, x, y):
        """Moves the pointer to (x, y) relative to the window's top-left corner."""
        self.xdotool("mousemove", "--window", self.window, x, y)

    def close_window(self):
        self.run(os.path.join(TOOLS, "mivra-wmclose"), str(self.window))

    def close_and_expect_exit(self, timeout=20):
        """Asks the window to close, waits for the program to end and fails unless it exits with 0."""
        self.close_window()
        self.expect_exit("close", timeout)

    def end_with_key(self, key, timeout=20):
        """Presses a key that ends the program and fails unless it exits with 0.

        Only the press is sent: the program may end on it and destroy its window before a release
        could reach it, and xdotool would then fail on the missing window (BadWindow)."""
        self.xdotool("keydown", "--window", self.window, key)
        self.expect_exit(key, timeout)

    def expect_exit(self, what, timeout=20):
        status = self.wait(timeout)
        if status != 0:
            fail(f"{what}: exit status {status}: {self.stderr}")

    @contextmanager
    def hold_keys(self, *keys):
        """Holds the keys down (pressed in order) for the body of the with block, then releases
        them in reverse order."""
        for key in keys:
            self.xdotool("keydown", "--window", self.window, key)
        yield
        for key in reversed(keys):
            self.xdotool("keyup", "--window", self.window, key)


class TextItem:
    """One text for render_texts: drawn like a program draws a mivra::Text."""

    def __init__(self, text, x, y, size, bold=False, fill=(255, 255, 255, 255), font=None):
        self.text, self.x, self.y, self.size, self.bold, self.fill = text, x, y, size, bold, fill
        self.font = font or os.path.join(os.environ["MIVRA_RESOURCE_DIR"], "tuffy.ttf")


def render_texts(items, width, height, background=(0, 0, 0), env=None):
    """Renders texts with the library itself (mivra-textshot) and returns the RGB image.

    Pass the session's env so the reference is drawn by the same GL driver as the program."""
    cmd = [os.path.join(TOOLS, "mivra-textshot"), "", str(width), str(height), ",".join(map(str, background))]
    for item in items:
        cmd += [item.font, str(item.size), "bold" if item.bold else "regular",
                ",".join(map(str, item.fill)), str(item.x), str(item.y), item.text]
    with tempfile.TemporaryDirectory() as directory:
        cmd[1] = os.path.join(directory, "text.png")
        subprocess.run(cmd, check=True, timeout=60, env=env or os.environ.copy(), stdin=subprocess.DEVNULL)
        image = Image.open(cmd[1]).convert("RGB")
        image.load()
    return image


def save_shot(image, name):
    """Keeps a screenshot in the build tree (build/screenshots) for the README and for debugging."""
    directory = os.environ.get("MIVRA_SHOTS")
    if directory:
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


def color_at(image, x, y):
    return image.getpixel((x, y))[:3]


def fail(message):
    print("FAIL:", message, file=sys.stderr)
    sys.exit(1)
