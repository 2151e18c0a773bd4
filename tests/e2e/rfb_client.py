"""The few RFB (VNC) client messages the Wayland end-to-end tests need: a pointer and a keyboard.

wayvnc gives the compositor's seat a virtual pointer and keyboard for as long as a client stays
connected, and turns this client's PointerEvent and KeyEvent messages into their input. Only the
3.8 handshake with no authentication is spoken; the server's own messages (it sends none until a
framebuffer update is requested) are never read.
"""

import ctypes
import ctypes.util
import socket
import struct

SECURITY_NONE = 1
KEY_EVENT = 4
POINTER_EVENT = 5
# Pointer button mask bits: buttons 1 to 3 (left, middle, right), 4 and 5 the wheel.
BUTTON_BITS = {1: 0x01, 2: 0x02, 3: 0x04, 4: 0x08, 5: 0x10}

_xkbcommon = None


def xkbcommon():
    global _xkbcommon
    if _xkbcommon is None:
        _xkbcommon = ctypes.CDLL(ctypes.util.find_library("xkbcommon") or "libxkbcommon.so.0")
        _xkbcommon.xkb_keysym_from_name.argtypes = [ctypes.c_char_p, ctypes.c_int]
        _xkbcommon.xkb_keysym_from_name.restype = ctypes.c_uint32
        _xkbcommon.xkb_utf32_to_keysym.argtypes = [ctypes.c_uint32]
        _xkbcommon.xkb_utf32_to_keysym.restype = ctypes.c_uint32
    return _xkbcommon


def keysym(name):
    """The X keysym of a key name as xdotool takes it ("Return", "a", "eacute", "Shift_L")."""
    value = xkbcommon().xkb_keysym_from_name(name.encode(), 0)
    if value == 0:
        raise ValueError(f"no keysym is named {name!r}")
    return value


def character_keysym(character):
    """The X keysym that types a character."""
    value = xkbcommon().xkb_utf32_to_keysym(ord(character))
    if value == 0:
        raise ValueError(f"no keysym types {character!r}")
    return value


class RfbClient:
    def __init__(self, path, timeout=10):
        """Connects to the server's UNIX socket and does the handshake."""
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.settimeout(timeout)
        self.sock.connect(path)
        version = self._read(12)
        if not version.startswith(b"RFB 003."):
            raise ConnectionError(f"{path}: not an RFB server: {version!r}")
        self.sock.sendall(b"RFB 003.008\n")
        count = self._read(1)[0]
        if count == 0:
            raise ConnectionError(f"{path}: refused: {self._reason()}")
        if SECURITY_NONE not in self._read(count):
            raise ConnectionError(f"{path}: the server asks for authentication")
        self.sock.sendall(bytes([SECURITY_NONE]))
        if struct.unpack(">I", self._read(4))[0] != 0:
            raise ConnectionError(f"{path}: security handshake failed: {self._reason()}")
        self.sock.sendall(b"\x01")  # ClientInit: share the desktop
        self.width, self.height = struct.unpack(">HH", self._read(4))
        self._read(16)  # pixel format
        self._read(struct.unpack(">I", self._read(4))[0])  # desktop name
        self.buttons = 0

    def _read(self, size):
        data = b""
        while len(data) < size:
            chunk = self.sock.recv(size - len(data))
            if not chunk:
                raise ConnectionError("the RFB server closed the connection")
            data += chunk
        return data

    def _reason(self):
        return self._read(struct.unpack(">I", self._read(4))[0]).decode(errors="replace")

    def pointer(self, x, y):
        """Moves the pointer to (x, y) on the output, buttons kept as they are."""
        self.sock.sendall(struct.pack(">BBHH", POINTER_EVENT, self.buttons, x, y))

    def button(self, x, y, button, down):
        bit = BUTTON_BITS[button]
        self.buttons = self.buttons | bit if down else self.buttons & ~bit
        self.pointer(x, y)

    def key(self, name, down):
        self.key_symbol(keysym(name), down)

    def key_symbol(self, symbol, down):
        self.sock.sendall(struct.pack(">BBxxI", KEY_EVENT, 1 if down else 0, symbol))

    def close(self):
        self.sock.close()
