"""The Wayland side of the end-to-end harness: a private headless sway, with wayvnc giving its seat
a pointer and a keyboard that an RFB client of ours drives, and grim taking screenshots.

sway refuses to run as root, so it runs as an unprivileged user of its own (created once), in a
private runtime directory; the programs under test, run as root, connect to its socket all the
same. Every window floats at (0, 0) of a 1280 x 800 output, at the size it asks for, so window
coordinates are output coordinates.

At scale 2 the output is 2560 x 1600 pixels showing a 1280 x 800 logical desktop: positions stay
logical (sway's geometry, the pointer, which RFB moves in the output's pixels), screenshots are in
the output's pixels. Beside an X server the program is given both DISPLAY and WAYLAND_DISPLAY,
as on a desktop with XWayland, and no SDL_VIDEODRIVER: only windows on the compositor are found.
"""

import io
import json
import os
import pwd
import shutil
import struct
import subprocess
import tempfile
import time

from PIL import Image

from rfb_client import RfbClient, character_keysym

USER = "mivra-e2e"
WIDTH, HEIGHT = 1280, 800
SWAY_CONFIG = f"""\
xwayland disable
output HEADLESS-1 resolution {{width}}x{{height}} position 0 0 scale {{scale}}
default_border none
default_floating_border none
focus_follows_mouse no
seat * xcursor_theme invisible
for_window [title=".*"] floating enable, move position 0 0
"""


def write_invisible_cursor_theme(directory):
    """An Xcursor theme whose pointer is one transparent pixel, at directory/invisible.

    The compositor draws the pointer into its output, so screenshots would show it; Xvfb's do
    not. The programs (through XCURSOR_PATH) and sway take their pointer image from this theme."""
    image = struct.pack("<9I", 36, 0xFFFD0002, 1, 1, 1, 1, 0, 0, 0) + b"\0\0\0\0"
    header = struct.pack("<4sIII", b"Xcur", 16, 0x10000, 1)
    toc = struct.pack("<III", 0xFFFD0002, 1, 16 + 12)
    cursors = os.path.join(directory, "invisible", "cursors")
    os.makedirs(cursors)
    for name in ("left_ptr", "default"):
        with open(os.path.join(cursors, name), "wb") as f:
            f.write(header + toc + image)


def compositor_user():
    """The unprivileged user the compositor runs as: (uid, gid), the user created if missing.
    A test not run by root runs the compositor as its own user."""
    if os.geteuid() != 0:
        return os.geteuid(), os.getegid()
    deadline = time.monotonic() + 30
    while True:
        try:
            entry = pwd.getpwnam(USER)
            return entry.pw_uid, entry.pw_gid
        except KeyError:
            pass
        if time.monotonic() > deadline:
            raise RuntimeError(f"cannot create the user {USER} the compositor runs as (is this root?)")
        # A test beside this one may be creating it at the same moment, holding the lock on the
        # user database: useradd then fails, and the next round finds the user or tries again.
        created = subprocess.run(["useradd", "--system", "--no-create-home", "--home-dir", "/nonexistent",
                                  "--shell", "/usr/sbin/nologin", USER],
                                 stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        if created.returncode != 0:
            time.sleep(0.2)


class WaylandDisplay:
    name = "wayland"

    def __init__(self, layout=None, scale=1, beside_x11=False):
        uid, gid = compositor_user()
        self.procs = []
        self.rfb = None
        self.scale = scale
        self.x11 = None
        self.dir = tempfile.mkdtemp(prefix="mivra-wayland-")
        try:
            self._start(uid, gid, layout, beside_x11)
        except BaseException:
            self.stop()
            raise

    def _start(self, uid, gid, layout, beside_x11):
        config = os.path.join(self.dir, "sway.conf")
        with open(config, "w") as f:
            f.write(SWAY_CONFIG.format(width=WIDTH * self.scale, height=HEIGHT * self.scale, scale=self.scale))
        open(os.path.join(self.dir, "wayvnc.conf"), "w").close()
        self.cursors = os.path.join(self.dir, "cursors")
        write_invisible_cursor_theme(self.cursors)
        for folder, _, files in os.walk(self.dir):
            for name in [""] + files:
                os.chown(os.path.join(folder, name), uid, gid)
        os.chmod(self.dir, 0o700)
        switch_user = ["setpriv", f"--reuid={uid}", f"--regid={gid}", "--clear-groups"] if os.geteuid() == 0 else []
        as_user = switch_user + ["env", "-i",
                   f"HOME={self.dir}", f"XDG_RUNTIME_DIR={self.dir}", "PATH=/usr/bin:/bin",
                   f"XCURSOR_PATH={self.cursors}", "XCURSOR_THEME=invisible"]
        self._spawn("sway", as_user + ["WLR_BACKENDS=headless", "WLR_RENDERER=pixman",
                                       "WLR_LIBINPUT_NO_DEVICES=1", "sway", "-c", config])
        self.socket = self._wait_for(self._wayland_socket, "sway's Wayland socket")
        ipc = self._wait_for(lambda: self._socket_named("sway-ipc."), "sway's IPC socket")
        self.tool_env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "XDG_RUNTIME_DIR": self.dir,
                         "WAYLAND_DISPLAY": self.socket, "SWAYSOCK": ipc}
        self._wait_for(self._output_ready, "the headless output")

        vnc_socket = os.path.join(self.dir, "vnc.sock")
        keyboard = ["-k", layout] if layout else []
        self._spawn("wayvnc", as_user + [f"WAYLAND_DISPLAY={self.socket}", "wayvnc", "-C",
                                         os.path.join(self.dir, "wayvnc.conf"), *keyboard, "-u", vnc_socket])
        self.rfb = self._wait_for(lambda: self._connect(vnc_socket), "wayvnc")
        self._wait_for(self._seat_ready, "a pointer and a keyboard on the seat")
        self.pointer = None
        if beside_x11:
            from x11_display import X11Display
            self.x11 = X11Display()

    def _spawn(self, name, command):
        log = open(os.path.join(self.dir, name + ".log"), "wb")
        self.procs.append((name, subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log, stderr=log)))
        log.close()

    def _wait_for(self, probe, what, timeout=20):
        deadline = time.monotonic() + timeout
        while True:
            value = probe()
            if value:
                return value
            for name, proc in self.procs:
                if proc.poll() is not None:
                    raise RuntimeError(f"{name} ended at start: {self._logs()}")
            if time.monotonic() > deadline:
                raise RuntimeError(f"no {what} within {timeout} s: {self._logs()}")
            time.sleep(0.02)

    def _logs(self):
        texts = []
        for name in ("sway.log", "wayvnc.log"):
            path = os.path.join(self.dir, name)
            if os.path.exists(path):
                with open(path, errors="replace") as f:
                    texts.append(f"{name}: {f.read()[-2000:]}")
        return "; ".join(texts)

    def _socket_named(self, prefix):
        for name in os.listdir(self.dir):
            if name.startswith(prefix) and not name.endswith(".lock"):
                return os.path.join(self.dir, name)
        return None

    def _wayland_socket(self):
        path = self._socket_named("wayland-")
        return os.path.basename(path) if path else None

    def _output_ready(self):
        outputs = self._swaymsg_json("-t", "get_outputs", check=False)
        return any(o.get("active") and o["rect"]["width"] == WIDTH for o in outputs or [])

    def _seat_ready(self):
        types = {device["type"] for device in self._swaymsg_json("-t", "get_inputs", check=False) or []}
        return {"pointer", "keyboard"} <= types

    def _connect(self, path):
        if not os.path.exists(path):
            return None
        try:
            return RfbClient(path)
        except OSError:
            return None

    def program_environment(self, env):
        env.update(WAYLAND_DISPLAY=self.socket, XDG_RUNTIME_DIR=self.dir,
                   XCURSOR_PATH=self.cursors, XCURSOR_THEME="invisible")
        if self.x11:
            env["DISPLAY"] = self.x11.display
            env.pop("SDL_VIDEODRIVER", None)
        else:
            env["SDL_VIDEODRIVER"] = "wayland"
            env.pop("DISPLAY", None)

    def prepare(self, env):
        """Before the program starts: the pointer in the output's far corner, outside every window
        (they sit at the top left), so that the window sees it only when a test moves it."""
        self.env = env
        self.pointer = (WIDTH - 1, HEIGHT - 1)
        self.rfb.pointer(*self._output_pixel(self.pointer))

    def set_scale(self, scale):
        """Changes the output's scale while programs run; the logical desktop follows (its
        pixels are the output's divided by the scale)."""
        self.swaymsg("output", "HEADLESS-1", "scale", str(scale))
        self.scale = scale

    def stop(self):
        if self.x11:
            self.x11.stop()
        if self.rfb:
            self.rfb.close()
        for _, proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(10)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
        shutil.rmtree(self.dir, ignore_errors=True)

    def swaymsg(self, *args, check=True):
        result = subprocess.run(["swaymsg", *args], env=self.tool_env, stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=30)
        if check and result.returncode != 0:
            raise AssertionError(f"swaymsg {args} failed: {result.stdout} {result.stderr}")
        return result.stdout if result.returncode == 0 else None

    def _swaymsg_json(self, *args, check=True):
        out = self.swaymsg("-r", *args, check=check)
        return json.loads(out) if out else None

    # -- windows --------------------------------------------------------------------------------

    def _views(self):
        stack = [self._swaymsg_json("-t", "get_tree")]
        while stack:
            node = stack.pop()
            if node.get("pid"):
                yield node
            stack += node.get("nodes", []) + node.get("floating_nodes", [])

    def _view(self, window):
        for view in self._views():
            if view["id"] == window:
                return view
        raise AssertionError(f"the window {window} is gone")

    def find_window(self, title, pid):
        for view in self._views():
            if view.get("name") == title and view["pid"] == pid and view.get("visible"):
                return view["id"]
        return None

    def geometry(self, window):
        rect = self._view(window)["rect"]
        return rect["x"], rect["y"], rect["width"], rect["height"]

    def screenshot(self, window, box=None):
        """The window, or the box (x0, y0, x1, y1) of it, in the output's pixels. A box saves the
        compositor most of the work at scale 2, where a whole window costs about 0.7 s here."""
        x, y, width, height = self.geometry(window)
        if box:
            x, y, width, height = x + box[0], y + box[1], box[2] - box[0], box[3] - box[1]
        ppm = subprocess.run(["grim", "-t", "ppm", "-g", f"{x},{y} {width}x{height}", "-"], env=self.tool_env,
                             stdin=subprocess.DEVNULL, capture_output=True, timeout=30, check=True).stdout
        return Image.open(io.BytesIO(ppm)).convert("RGB")

    def focus(self, window):
        self.swaymsg(f"[con_id={window}]", "focus")

    def close(self, window):
        # An xdg_toplevel close event, which SDL turns into its close event.
        self.swaymsg(f"[con_id={window}]", "kill")

    # -- input ----------------------------------------------------------------------------------

    def key(self, window, keys):
        for key in keys:
            self.rfb.key(key, True)
            self.rfb.key(key, False)

    def key_down(self, window, key):
        self.rfb.key(key, True)

    def key_up(self, window, key):
        self.rfb.key(key, False)

    def type_text(self, window, text):
        for character in text:
            self.rfb.key_symbol(character_keysym(character), True)
            self.rfb.key_symbol(character_keysym(character), False)

    def _pointer_to(self, x, y):
        if not (0 <= x < WIDTH and 0 <= y < HEIGHT):
            raise AssertionError(f"the pointer would leave the output at {(x, y)}")
        self.pointer = (x, y)
        self.rfb.pointer(*self._output_pixel(self.pointer))

    def _output_pixel(self, point):
        """The output pixel RFB names for a logical position."""
        return point[0] * self.scale, point[1] * self.scale

    def move(self, window, positions):
        left, top, _, _ = self.geometry(window)
        for x, y in positions:
            self._pointer_to(left + x, top + y)

    def move_relative(self, deltas):
        # The compositor sends a client under the pointer the difference of two absolute positions
        # as relative motion, as it would a mouse's own.
        for dx, dy in deltas:
            self._pointer_to(self.pointer[0] + dx, self.pointer[1] + dy)

    def click(self, window, button):
        self.rfb.button(*self._output_pixel(self.pointer), button, True)
        self.rfb.button(*self._output_pixel(self.pointer), button, False)
