"""A private Xvfb display for POSIX tests that show windows, and the user's hands on it:
find a window by title, press keys, click, close it as a window manager's close button does,
read what it put on the clipboard, take a screenshot."""

import ctypes
import os
import re
import subprocess
import time


class XvfbDisplay:
    # -noreset: by default the server resets whenever its last client leaves, and refuses
    # connections meanwhile, so a window opened right after another one closed could fail.
    def __init__(self, width=1280, height=1024):
        self.width, self.height = width, height
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            number = reader.readline().strip()
        if not number:
            self.server.kill()
            raise RuntimeError("Xvfb did not report a display")
        self.name = ":" + number

    def stop(self):
        self.server.terminate()
        self.server.wait(10)

    def run(self, *argv, **kwargs):
        return subprocess.run(list(argv), env={**os.environ, "DISPLAY": self.name},
                              capture_output=True, **kwargs)

    def xdotool(self, *args):
        return self.run("xdotool", *args, text=True).stdout

    def find_window(self, title, timeout=60):
        """The id of the visible window of that exact title; waits until it appears."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.xdotool("search", "--onlyvisible", "--name",
                                 "^%s$" % re.escape(title)).split()
            if found:
                return found[0]
            time.sleep(0.2)
        raise TimeoutError("no window titled %r" % title)

    def has_window(self, title):
        return bool(self.xdotool("search", "--onlyvisible", "--name", "^%s$" % re.escape(title)))

    def geometry(self, window):
        """(x, y, width, height) of the window."""
        values = dict(line.split("=", 1) for line in
                      self.xdotool("getwindowgeometry", "--shell", window).split())
        return tuple(int(values[key]) for key in ("X", "Y", "WIDTH", "HEIGHT"))

    def properties(self, window, *names):
        return self.run("xprop", "-id", window, *names, text=True).stdout

    def process_id(self, window):
        return int(self.xdotool("getwindowpid", window))

    def key(self, window, *keys):
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("key", "--clearmodifiers", *keys)

    def click(self, window, x, y, button=1):
        """Clicks at (x, y) inside the window."""
        self.xdotool("mousemove", "--window", window, str(x), str(y), "click", str(button))

    def clipboard(self, timeout=60):
        """What a window copied; waits for a copy that has not arrived yet."""
        deadline = time.monotonic() + timeout
        while True:
            copied = self.run("xclip", "-o", "-selection", "clipboard", timeout=timeout).stdout
            if copied or time.monotonic() > deadline:
                return copied
            time.sleep(0.2)

    def close_window(self, window):
        """Asks the window to close, as a window manager does for its close button."""
        _send_delete_window(self.name, int(window, 0))

    def screenshot(self, path):
        self.run("import", "-window", "root", path, check=True)

    def start_compositing_manager(self, timeout=30):
        """xcompmgr on this display, once it owns the compositing selection; the caller kills
        it. Windows with an alpha channel are then blended with what lies below them."""
        manager = subprocess.Popen(["xcompmgr"], env={**os.environ, "DISPLAY": self.name},
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + timeout
        while not _has_selection_owner(self.name, b"_NET_WM_CM_S0"):
            if manager.poll() is not None or time.monotonic() > deadline:
                manager.kill()
                manager.wait()
                raise RuntimeError("xcompmgr did not start")
            time.sleep(0.05)
        return manager


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [("message", _ClientMessage), ("pad", ctypes.c_long * 24)]


def _open(display_name):
    """libX11 with the functions used here typed, and a connection to the display."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XGetSelectionOwner.restype = ctypes.c_ulong
    x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(display_name.encode())
    if not display:
        raise RuntimeError("cannot open display " + display_name)
    return x11, display


def _has_selection_owner(display_name, selection):
    x11, display = _open(display_name)
    owner = x11.XGetSelectionOwner(display, x11.XInternAtom(display, selection, 0))
    x11.XCloseDisplay(display)
    return owner != 0


def _send_delete_window(display_name, window):
    x11, display = _open(display_name)
    event = _Event()
    event.message.type = 33  # ClientMessage
    event.message.window = window
    event.message.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.message.format = 32
    event.message.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)
