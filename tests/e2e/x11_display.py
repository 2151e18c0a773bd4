"""The X11 side of the end-to-end harness: a private Xvfb, driven with xdotool.

A window is named by its X window id. Closing asks the way a window manager does (a
WM_DELETE_WINDOW client message, tests/tools/wmclose.c): destroying the window would pull it from
under the program.
"""

import io
import os
import select
import subprocess
import time

from PIL import Image

TOOLS = os.environ.get("MIVRA_TOOLS", "")


class X11Display:
    name = "x11"

    def __init__(self, layout=None, width=1280, height=1024):
        read_fd, write_fd = os.pipe()
        # -displayfd finds a free display, so that tests run side by side.
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 30
        try:
            while not number.endswith(b"\n"):
                ready, _, _ = select.select([read_fd], [], [], max(0.0, deadline - time.monotonic()))
                if not ready:
                    raise RuntimeError("Xvfb did not start")
                chunk = os.read(read_fd, 16)
                if not chunk:
                    raise RuntimeError("Xvfb exited at start")
                number += chunk
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_fd)
        self.display = ":" + number.decode().strip()
        self.layout = layout

    def program_environment(self, env):
        env["DISPLAY"] = self.display
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("SDL_VIDEODRIVER", None)

    def prepare(self, env):
        """Before the program starts: the keyboard layout, and the pointer away from the middle
        of the screen, where a centred window would catch it."""
        self.env = env
        self.xdotool("mousemove", "0", "0")
        if self.layout:
            self.run("setxkbmap", "-layout", self.layout)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def run(self, *cmd, check=True):
        result = subprocess.run(list(cmd), env=self.env, stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=30)
        if check and result.returncode != 0:
            raise AssertionError(f"{cmd} failed: {result.stderr}")
        return result.stdout

    def xdotool(self, *args):
        return self.run("xdotool", *[str(a) for a in args])

    # -- windows --------------------------------------------------------------------------------

    def find_window(self, title, pid):
        out = self.run("xdotool", "search", "--onlyvisible", "--name", f"^{title}$", check=False)
        ids = out.split()
        return int(ids[0]) if ids else None

    def geometry(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def screenshot(self, window, box=None):
        xwd = subprocess.run(["xwd", "-silent", "-id", str(window)], env=self.env,
                             capture_output=True, timeout=30, check=True).stdout
        ppm = subprocess.run(["convert", "xwd:-", "ppm:-"], input=xwd, capture_output=True,
                             timeout=30, check=True).stdout
        image = Image.open(io.BytesIO(ppm)).convert("RGB")
        return image.crop(box) if box else image

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", window)

    def close(self, window):
        self.run(os.path.join(TOOLS, "mivra-wmclose"), str(window))

    # -- input ----------------------------------------------------------------------------------

    def key(self, window, keys):
        self.xdotool("key", "--window", window, *keys)

    def key_down(self, window, key):
        self.xdotool("keydown", "--window", window, key)

    def key_up(self, window, key):
        self.xdotool("keyup", "--window", window, key)

    def type_text(self, window, text):
        self.xdotool("type", "--window", window, text)

    def move(self, window, positions):
        # All moves in one xdotool call, so that they reach the program within a frame or two.
        args = []
        for x, y in positions:
            args += ["mousemove", "--window", str(window), str(x), str(y)]
        self.xdotool(*args)

    def move_relative(self, deltas):
        args = []
        for dx, dy in deltas:
            args += ["mousemove_relative", "--", str(dx), str(dy)]
        self.xdotool(*args)

    def click(self, window, button):
        self.xdotool("click", "--window", window, button)
