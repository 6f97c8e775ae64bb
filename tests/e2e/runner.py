"""The one end-to-end runner: what every platform's black-box suite shares. A suite (e2e.py for
Linux, tests/win32/e2e_wine.py for Wine) is a Session subclass, its target, plus its cases; the
cases that share a shape across targets (KEY_ROWS, pressed_q_box, held_note_through_menu) live
here and run on any target.

A target is small on purpose, so that another platform (a browser page) can plug in by giving
the same few things, in Python or behind a process of its own:

    start(settings=None)   start the program, its settings file first holding these 64 bytes
                           (None: a first start); wait until its main window shows
    key(*names), hold(name), let_go(name)
                           press and release keys by physical key, X keysym names ("q",
                           "shift+q", "Return", "KP_Add")
    click(x, y)            a left click at window pixels x, y
    close()                close the window as a user does (its close box); the program ends
                           with status 0
    capture                the MIDI that reached the device opened at start: a Capture, whose
                           lines are messages as hex bytes ("90 37 64", "C0 00")
    saved()                the settings file the program left, as named fields
    screenshot(name)       a picture of the window, kept as an artifact: (path, image)

Every wait is bounded; every process a session starts ends with it. Exit status of a case:
0 passed, 1 failed, 77 skipped (the machine cannot do what the case needs).
"""

import argparse
import ctypes
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

WINDOW_NAME = "Plinkett Freeware"
SKIP = 77
# What a closing port sends: controller 123 (all notes off) on channels 1 to 16, in order.
ALL_NOTES_OFF = [f"B{channel:X} 7B 00" for channel in range(16)]
Q_PLAYED = ["90 37 64", "80 37 40"]


class Failure(Exception):
    pass


class Skip(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


# ---- The settings file: sixteen little-endian fields ----------------------------------------

SETTINGS_MAGIC = 0x12993315
SETTINGS_FORMAT = "<I2if4i2i6i"  # magic, top, bars, zoom, rect x4, transpose, device, open, ...
SETTINGS_FIELDS = ["magic", "alwaysOnTop", "showControlBars", "zoom", "left", "top", "right",
                   "bottom", "transpose", "savedDeviceId", "openAtStart", "channel", "program",
                   "velocity", "layout", "showFlats"]
assert struct.calcsize(SETTINGS_FORMAT) == 64


def settings_bytes(device, open_at_start=1, channel=0, program=0, velocity=100, layout=0,
                   zoom=2.0, transpose=0, rect=(100, 100, 500, 300), bars=0):
    return struct.pack(SETTINGS_FORMAT, SETTINGS_MAGIC, 0, bars, zoom, *rect,
                       transpose, device, open_at_start, channel, program, velocity, layout, 0)


def read_settings(path):
    with open(path, "rb") as f:
        data = f.read()
    check(len(data) == 64, f"settings file has {len(data)} bytes, not 64")
    fields = dict(zip(SETTINGS_FIELDS, struct.unpack(SETTINGS_FORMAT, data)))
    check(fields["magic"] == SETTINGS_MAGIC, f"settings magic is {fields['magic']:#x}")
    return fields


# ---- Processes -------------------------------------------------------------------------------

def stop(proc, grace=5.0):
    """Ends a process started in a session of its own, and everything it started: a polite
    signal first, then a kill."""
    if proc.poll() is not None:
        return
    for sig, wait in ((signal.SIGTERM, grace), (signal.SIGKILL, 5.0)):
        try:
            os.killpg(proc.pid, sig)
        except ProcessLookupError:
            return
        try:
            proc.wait(timeout=wait)
            return
        except subprocess.TimeoutExpired:
            continue


def start_xvfb(spawn, screen):
    """A private X server on a display number it picks itself: spawn(name, argv, **popen) starts
    it; returns the DISPLAY value."""
    read_end, write_end = os.pipe()
    spawn("Xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp",
                   "-noreset"], pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 15
    while not number.endswith(b"\n"):
        ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
        check(ready, "Xvfb did not report a display")
        chunk = os.read(read_end, 16)
        check(chunk, "Xvfb ended without a display")
        number += chunk
    os.close(read_end)
    return ":" + number.decode().strip()


# ---- X, through ctypes ---------------------------------------------------------------------------

class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def open_x11(display_name):
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XStringToKeysym.restype = ctypes.c_ulong
    x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
    x11.XKeysymToKeycode.restype = ctypes.c_ubyte
    x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(XEvent)]
    for name in ("XFlush", "XCloseDisplay"):
        getattr(x11, name).argtypes = [ctypes.c_void_p]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    display = x11.XOpenDisplay(display_name.encode())
    check(display, "cannot open the X display")
    return x11, display


def send_delete_window(display_name, window):
    """What a window manager does when the user clicks the close box."""
    x11, display = open_x11(display_name)
    event = XEvent()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = window
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.xclient.data[1] = 0  # CurrentTime
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def open_xtest(display_name):
    """(libX11, libXtst, display), for key presses by XTEST without a process each."""
    x11, display = open_x11(display_name)
    xtst = ctypes.CDLL("libXtst.so.6")
    xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    return x11, xtst, display


def press_many(display_name, keysyms, count):
    """count presses and releases through XTEST, as fast as the X server takes them, taking the
    keys in turn (a release and a press of one key in the same millisecond read as auto-repeat)."""
    x11, xtst, display = open_xtest(display_name)
    keycodes = [x11.XKeysymToKeycode(display, x11.XStringToKeysym(k.encode())) for k in keysyms]
    for i in range(count):
        keycode = keycodes[i % len(keycodes)]
        xtst.XTestFakeKeyEvent(display, keycode, 1, 0)
        xtst.XTestFakeKeyEvent(display, keycode, 0, 0)
        if i % 50 == 49:
            x11.XSync(display, 0)
    x11.XSync(display, 0)
    x11.XCloseDisplay(display)


# ---- Pictures ----------------------------------------------------------------------------------

def read_image(path):
    """(width, height, rgb bytes) through ImageMagick's plain PPM."""
    data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True,
                          timeout=20, check=True).stdout
    parts = data.split(maxsplit=4)
    check(parts[0] == b"P6", "not a PPM picture")
    width, height = int(parts[1]), int(parts[2])
    return width, height, parts[4][:width * height * 3]


def dark_runs(image, reach):
    """For each row, the pixels that end a run of 2 reach + 1 near-black pixels across."""
    width, height, rgb = image
    span, rows = 2 * reach + 1, []
    for y in range(height):
        run, flags = 0, [False] * width
        for x in range(width):
            i = 3 * (y * width + x)
            run = run + 1 if rgb[i] < 64 and rgb[i + 1] < 64 and rgb[i + 2] < 64 else 0
            if run >= span:
                flags[x - reach] = True
        rows.append(flags)
    return rows


def solid_dark_box(image, reach=2):
    """Bounding box (left, top, right, bottom exclusive) of the pixels whose whole
    (2 reach + 1)-square is near black, or None. Key frames are two pixels thick and labels
    thin, so only a filled (pressed) key leaves such pixels."""
    width, height, _ = image
    across, span, box = dark_runs(image, reach), 2 * reach + 1, None
    for x in range(width):
        run = 0
        for y in range(height):
            run = run + 1 if across[y][x] else 0
            if run >= span:
                cy = y - reach
                box = [x, cy, x + 1, cy + 1] if box is None else \
                    [min(box[0], x), min(box[1], cy), max(box[2], x + 1), max(box[3], cy + 1)]
    return None if box is None else tuple(box)


def count_pixels(image, box, predicate):
    width, _, rgb = image
    left, top, right, bottom = box
    return sum(1 for y in range(top, bottom) for x in range(left, right)
               if predicate(rgb[3 * (y * width + x)], rgb[3 * (y * width + x) + 1],
                            rgb[3 * (y * width + x) + 2]))


def is_white(r, g, b):
    return r > 240 and g > 240 and b > 240


def is_dark(r, g, b):
    return r < 64 and g < 64 and b < 64


# ---- MIDI captured -------------------------------------------------------------------------------

class Capture:
    """What reached one device, one message a line; a target gives lines()."""

    def __init__(self):
        self.seen = 0

    def lines(self):
        raise NotImplementedError

    def mark(self):
        self.seen = len(self.lines())

    def new(self):
        return self.lines()[self.seen:]

    def settle(self, quiet=0.5, timeout=10.0):
        """Waits until nothing new has arrived for quiet seconds, then marks."""
        deadline = time.monotonic() + timeout
        count, since = len(self.lines()), time.monotonic()
        while time.monotonic() - since < quiet and time.monotonic() < deadline:
            time.sleep(0.05)
            now = len(self.lines())
            if now != count:
                count, since = now, time.monotonic()
        self.mark()

    def expect(self, expected, what, timeout=8.0, settle=0.4):
        """The messages since the last mark are exactly these; then marks again."""
        deadline = time.monotonic() + timeout
        while len(self.new()) < len(expected) and time.monotonic() < deadline:
            time.sleep(0.05)
        time.sleep(settle)  # anything extra would arrive now
        got = self.new()
        check(got == expected, f"{what}: expected {expected}, got {got}")
        self.mark()


# ---- A session: one target's processes and its window on an X display ------------------------------

class Session:
    """Everything one case starts, torn down in reverse order whatever happens. A target
    subclass gives start(), capture, saved() and the log it shows when a case fails."""

    def __init__(self, args, case, env):
        self.args = args
        self.case = case
        self.tmp = tempfile.mkdtemp(prefix=f"plinkett-{case}-")
        self.env = env
        self.processes = []  # (name, Popen), stopped in reverse order
        self.program = None
        self.window = None
        self.program_log = os.path.join(self.tmp, "program.log")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop_all()
        if exc[0] is not None and os.path.exists(self.program_log):
            with open(self.program_log, errors="replace") as f:
                tail = f.read()[-4000:]
            if tail.strip():
                print(f"---- program output ----\n{tail}", file=sys.stderr)
        shutil.rmtree(self.tmp, ignore_errors=True)
        return False

    def stop_all(self):
        for _, proc in reversed(self.processes):
            stop(proc)

    def spawn(self, name, argv, **kwargs):
        kwargs.setdefault("stdin", subprocess.DEVNULL)
        kwargs.setdefault("env", self.env)
        proc = subprocess.Popen(argv, start_new_session=True, **kwargs)
        self.processes.append((name, proc))
        return proc

    def run(self, argv, timeout=20, **kwargs):
        return subprocess.run(argv, env=self.env, stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, timeout=timeout, **kwargs)

    def spawn_program(self, argv, **kwargs):
        with open(self.program_log, "wb") as log:
            self.program = self.spawn("program", argv, stdout=log, stderr=subprocess.STDOUT, **kwargs)
        return self.program

    def program_said(self):
        with open(self.program_log, errors="replace") as f:
            return f.read()

    # -- windows

    def x_windows(self, dialogs=None):
        """Visible X windows captioned like the program: with dialogs True only its message
        boxes (transient for another window), with False only the others, with None all."""
        found = self.run(["xdotool", "search", "--onlyvisible", "--name", f"^{WINDOW_NAME}$"]).stdout.split()
        if dialogs is None:
            return found
        return [w for w in found
                if ("window id" in self.run(["xprop", "-id", w, "WM_TRANSIENT_FOR"]).stdout) == dialogs]

    def why_no_window(self):
        """What a target can tell when its window did not appear."""
        return ""

    def wait_window(self, dialogs=None, what="the main window", timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            check(self.program.poll() is None, f"the program ended with status {self.program.returncode}")
            windows = self.x_windows(dialogs)
            if windows:
                return windows[0]
            time.sleep(0.1)
        raise Failure(f"{what} did not appear" + self.why_no_window())

    def focus(self, window=None):
        # No window manager runs: give the window the input focus directly.
        self.run(["xdotool", "windowfocus", "--sync", window or self.window], timeout=10)
        time.sleep(0.3)

    # -- the player's hands

    def xdotool(self, *argv):
        result = self.run(["xdotool", *argv])
        check(result.returncode == 0, f"xdotool {' '.join(argv)} failed: {result.stderr}")

    def key(self, *names):
        # Without --window: XTEST, as a real keyboard types into the focused window.
        self.xdotool("key", "--delay", "60", *names)

    def hold(self, name):
        self.xdotool("keydown", name)

    def let_go(self, name):
        self.xdotool("keyup", name)

    def steps(self, *steps):
        """("key", name...), ("keydown", name), ("keyup", name) or ("sleep", seconds), in turn."""
        for step in steps:
            if step[0] == "sleep":
                time.sleep(step[1])
            else:
                self.xdotool(*step)
                time.sleep(0.05)

    def click(self, x, y):
        self.xdotool("mousemove", "--window", self.window, str(int(x)), str(int(y)))
        time.sleep(0.2)
        self.steps(("mousedown", "1"), ("sleep", 0.2), ("mouseup", "1"))

    # -- the end, and what is left

    def wait_exit(self, what):
        try:
            self.program.wait(timeout=20)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program did not end after {what}")
        check(self.program.returncode == 0, f"exit status {self.program.returncode} after {what}")

    def close(self):
        """What a window manager does when the user clicks the close box."""
        send_delete_window(self.env["DISPLAY"], int(self.window))
        self.wait_exit("its window was closed")

    def screenshot(self, name):
        os.makedirs(self.args.artifacts, exist_ok=True)
        path = os.path.join(self.args.artifacts, name)
        result = self.run(["import", "-window", self.window, path])
        check(result.returncode == 0, f"import failed: {result.stderr}")
        return path, read_image(path)

    def key_drawn_pressed(self, name, deadline):
        """Photographs the window until a key shows pressed or the deadline passes: whether one
        did, and the last picture's path."""
        while True:
            path, image = self.screenshot(name)
            drawn = solid_dark_box(image) is not None
            if drawn or time.monotonic() > deadline:
                return drawn, path
            time.sleep(0.1)


# ---- Cases every target runs ----------------------------------------------------------------------

# The keys with their duties through the real keyboard, in one start: each row's steps and the
# messages they send. A row leaves the program as it found it; Alt comes last, since letting go of
# it alone may leave the menu bar with the keyboard.
KEY_ROWS = [
    ("Q", [("key", "q")], Q_PLAYED),
    ("Q held for a second, repeating", [("keydown", "q"), ("sleep", 1.2), ("keyup", "q")], Q_PLAYED),
    # As a player does it: Shift down, Q down and up, Shift up ("shift+q" lets go of Shift first,
    # which by design ends another note than the one it started).
    ("Shift held over Q", [("keydown", "shift"), ("keydown", "q"), ("keyup", "q"), ("keyup", "shift")],
     ["90 43 64", "80 43 40"]),
    ("space bar", [("key", "space")], ["B0 40 7F", "B0 40 00"]),
    ("Esc", [("key", "Escape")], [f"B{ch:X} {cc} 00" for ch in range(16) for cc in ("79", "7B")]),
    ("Enter while Q is held, then Q let go", [("keydown", "q"), ("key", "Return"), ("keyup", "q")], Q_PLAYED),
    ("Up, Q, Down", [("key", "Up"), ("key", "q"), ("key", "Down")], ["90 43 64", "80 43 40"]),
    ("keypad plus, Q, keypad minus", [("key", "KP_Add"), ("key", "q"), ("key", "KP_Subtract")],
     ["90 37 6C", "80 37 40"]),
    # An extended key: its X keycode is not the slash key's scan code + 8.
    ("keypad divide plays the slash key's C", [("key", "KP_Divide")], ["90 3C 64", "80 3C 40"]),
    ("Q let go with Alt held", [("keydown", "q"), ("keydown", "alt"), ("keyup", "q"), ("keyup", "alt")],
     Q_PLAYED),
]


def play_key_rows(session):
    for what, steps, expected in KEY_ROWS:
        session.capture.mark()
        session.steps(*steps)
        session.capture.expect(expected, what)


def pressed_q_box(session, name="pressed.png"):
    """Holds Q, photographs the window, lets Q go: the pressed key's rectangle in window pixels
    (found from the picture), the picture and its path."""
    session.capture.mark()
    session.hold("q")
    session.capture.expect(["90 37 64"], "Q held")
    time.sleep(0.3)
    path, image = session.screenshot(name)
    session.let_go("q")
    session.capture.expect(["80 37 40"], "Q let go")
    box = solid_dark_box(image)
    check(box is not None, f"no key drawn pressed in {path}")
    # The dark area is the key's fill with its frame, which reaches one pixel outside the key's
    # rectangle; the erosion took two pixels off each side of it.
    return (box[0] - 1, box[1] - 1, box[2] + 1, box[3] + 1), image, path


def click_lower_c(session, q_box):
    """Clicks the middle of the lower manual's "C" key (row 3, column 7, note 48), placed from
    Q's key (row 1, column 1): the click plays and ends it."""
    left, top, right, bottom = q_box
    x = left + 7 * (right - left) / 2.0
    y = top + 2.5 * (bottom - top)
    session.click(x, y)
    session.capture.expect(["90 30 64", "80 30 40"], f"click at {int(x)},{int(y)}")


def held_note_through_menu(session, open_menu, close_menu):
    """Q held, a menu opened with its access key, Q let go while it is open: the note ends once,
    as the menu takes the keyboard; nothing more when the menu closes, and the next Q plays."""
    session.capture.mark()
    session.hold("q")
    session.capture.expect(["90 37 64"], "Q held")
    session.key(open_menu)
    session.capture.expect(["80 37 40"], "the menu opened while Q was held")
    session.let_go("q")
    time.sleep(0.3)
    for name in close_menu:
        session.key(name)
    time.sleep(0.4)
    session.capture.expect([], "Q let go in the menu, then the menu closed")
    session.key("q")
    session.capture.expect(Q_PLAYED, "Q after the menu")


# ---- The command line --------------------------------------------------------------------------------

def main(cases, add_arguments, machine_ready):
    """Runs the case named on the command line. add_arguments(parser) adds the suite's own;
    machine_ready(args) returns a reason to skip, or a failure, before anything starts."""
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=sorted(cases))
    parser.add_argument("--artifacts", required=True)
    add_arguments(parser)
    args = parser.parse_args()
    try:
        machine_ready(args)
        cases[args.case](args)
    except Skip as why:
        print(f"SKIP {args.case}: {why}")
        return SKIP
    except Failure as failure:
        print(f"FAIL {args.case}: {failure}")
        return 1
    print(f"PASS {args.case}")
    return 0


def cases_of(namespace):
    """The case_ functions of a suite, by name."""
    return {name[len("case_"):]: fn for name, fn in namespace.items() if name.startswith("case_")}
