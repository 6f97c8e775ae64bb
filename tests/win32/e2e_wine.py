#!/usr/bin/env python3
"""End-to-end tests of the Windows program under Wine: plinkett.exe copied into a folder of its
own, real key presses and mouse clicks through XTEST (xdotool) on the test display, and MIDI
through Wine's own winmm (no device) or through the recording winmm.dll beside the program,
whose log shows every call the program made.

    e2e_wine.py <case> --program EXE --winmm DLL --probe EXE --artifacts DIR

Run through tests/win32/run_under_wine.sh, which provides DISPLAY, WINEPREFIX and a running Wine
server. Every wait is bounded; every process a case starts is ended, and every change a case makes
to the prefix (its scale, %APPDATA%\\Plinkett) is undone. Exit status 0 = passed, 1 = failed,
77 = skipped (the machine cannot do what the case needs).
"""

import argparse
import ctypes
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from e2e import (Failure, Skip, check, count_pixels, is_white, read_image, read_settings,  # noqa: E402
                 send_delete_window, settings_bytes, solid_dark_box, stop, SETTINGS_MAGIC, SKIP)

WINDOW_NAME = "Plinkett Freeware"
MAPPER = 0x7F00          # the recording winmm's handles: the mapper, and device n at 0x7000 + n
DEVICE_1 = 0x7001


def note(status, key, velocity):
    return status | key << 8 | velocity << 16


Q_ON, Q_OFF = note(0x90, 0x37, 100), note(0x80, 0x37, 64)
ALL_NOTES_OFF = [note(0xB0 + ch, 123, 0) for ch in range(16)]


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


class Session:
    """One start of the program in a folder of its own, torn down whatever happens."""

    def __init__(self, args, case, folder="program", recording=True):
        self.args = args
        self.tmp = tempfile.mkdtemp(prefix=f"plinkett-wine-{case}-")
        self.folder = os.path.join(self.tmp, folder)
        os.makedirs(self.folder)
        self.exe = os.path.join(self.folder, "plinkett.exe")
        shutil.copy(args.program, self.exe)
        self.log = os.path.join(self.tmp, "winmm.log")
        self.env = dict(os.environ)
        if recording:
            shutil.copy(args.winmm, os.path.join(self.folder, "winmm.dll"))
            self.env["WINEDLLOVERRIDES"] = "winmm=n,b"
            self.env["PLINKETT_WINMM_LOG"] = windows_path(self.log)
        self.settings_path = os.path.join(self.folder, "PLINKETT.SET")
        self.program = None
        self.window = None
        self.seen = 0  # MIDI words already looked at

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.program is not None:
            stop(self.program)
        shutil.rmtree(self.tmp, ignore_errors=True)
        return False

    def run(self, argv, timeout=20):
        return subprocess.run(argv, env=self.env, stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, timeout=timeout)

    def start(self, settings=None):
        if settings is not None:
            with open(self.settings_path, "wb") as f:
                f.write(settings)
        self.program = subprocess.Popen(["wine", self.exe], cwd=self.folder, env=self.env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True)

    def x_windows(self, dialogs):
        """Visible X windows captioned like the program: its main window, or its message boxes
        (which alone are transient for another window)."""
        found = self.run(["xdotool", "search", "--onlyvisible", "--name", f"^{WINDOW_NAME}$"]).stdout
        out = []
        for w in found.split():
            transient = "window id" in self.run(["xprop", "-id", w, "WM_TRANSIENT_FOR"]).stdout
            if transient == dialogs:
                out.append(w)
        return out

    def wait_x_window(self, dialogs, what, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            check(self.program.poll() is None, f"the program ended with status {self.program.returncode}")
            windows = self.x_windows(dialogs)
            if windows:
                return windows[0]
            time.sleep(0.1)
        raise Failure(f"{what} did not appear")

    def open_window(self, settings=None):
        self.start(settings)
        self.window = self.wait_x_window(False, "the main window")
        self.expect([0xC0], "opening the mapper")  # the program change, channel 1
        self.focus(self.window)

    def focus(self, window):
        self.run(["xdotool", "windowfocus", "--sync", window])
        time.sleep(0.2)

    def xdotool(self, *argv):
        result = self.run(["xdotool", *argv])
        check(result.returncode == 0, f"xdotool {' '.join(argv)} failed: {result.stderr}")

    def steps(self, *steps):
        for step in steps:
            self.xdotool(*step)
            time.sleep(0.05)

    def probe(self, *argv):
        result = self.run(["wine", self.args.probe, *argv], timeout=30)
        check(result.returncode == 0, f"win_probe {' '.join(argv)} found nothing")
        return result.stdout.replace("\r", "").splitlines()

    def geometry(self):
        """Outer rectangle (screen) and the client area's offset inside it and size."""
        fields = self.probe("window")[0].split()
        left, top, right, bottom = (int(v) for v in fields[1:5])
        cx, cy, cw, ch = (int(v) for v in fields[6:10])
        return (left, top, right, bottom), (cx - left, cy - top, cw, ch)

    # -- MIDI, as the recording winmm saw it

    def calls(self):
        try:
            with open(self.log) as f:
                return [line.strip() for line in f if line.strip()]
        except FileNotFoundError:
            return []

    def all_words(self):
        out = []
        for line in self.calls():
            parts = line.split()
            if parts[0] == "midiOutShortMsg":
                out.append((int(parts[1], 16), int(parts[2], 16)))
        return out

    def words(self, settle=0.3):
        """The (handle, word) pairs sent since the last look."""
        time.sleep(settle)
        new = self.all_words()[self.seen:]
        self.seen += len(new)
        return new

    def expect(self, expected, what, handle=MAPPER, timeout=8.0):
        """The words sent since the last look are exactly these, on that port; with handle None,
        expected holds (handle, word) pairs."""
        deadline = time.monotonic() + timeout
        while len(self.all_words()) - self.seen < len(expected) and time.monotonic() < deadline:
            time.sleep(0.05)
        got = self.words()
        want = list(expected) if handle is None else [(handle, w) for w in expected]
        check(got == want, f"{what}: expected {[f'{w:08X}' for _, w in want]}, "
                           f"got {[f'{h:X}:{w:08X}' for h, w in got]}")

    def wait_exit(self, what):
        try:
            self.program.wait(timeout=20)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program did not end after {what}")
        check(self.program.returncode == 0, f"exit status {self.program.returncode} after {what}")

    def close_window(self):
        """What a window manager does when the user clicks the close box."""
        send_delete_window(self.env["DISPLAY"], int(self.window))
        self.wait_exit("its window was closed")

    def screenshot(self, name):
        os.makedirs(self.args.artifacts, exist_ok=True)
        path = os.path.join(self.args.artifacts, name)
        result = self.run(["import", "-window", self.window, path])
        check(result.returncode == 0, f"import failed: {result.stderr}")
        return path, read_image(path)


class BellWatch:
    """Counts the X server's bell notifications (XKB), which is how Wine sounds MessageBeep."""

    def __init__(self, display):
        self.x11 = ctypes.CDLL("libX11.so.6")
        x = self.x11
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XkbQueryExtension.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 5
        x.XkbSelectEvents.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XFlush.argtypes = [ctypes.c_void_p]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = x.XOpenDisplay(display.encode())
        check(self.display, "cannot open the X display")
        opcode, self.event_base, error = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
        major, minor = ctypes.c_int(1), ctypes.c_int(0)
        check(x.XkbQueryExtension(self.display, ctypes.byref(opcode), ctypes.byref(self.event_base),
                                  ctypes.byref(error), ctypes.byref(major), ctypes.byref(minor)),
              "the X server has no XKB")
        use_core_keyboard, bell_notify = 0x100, 1 << 8
        x.XkbSelectEvents(self.display, use_core_keyboard, bell_notify, bell_notify)
        x.XFlush(self.display)
        self.bells = 0

    def poll(self):
        class XkbAnyEvent(ctypes.Structure):
            _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                        ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                        ("time", ctypes.c_ulong), ("xkb_type", ctypes.c_int)]
        event = (ctypes.c_long * 24)()
        while self.x11.XPending(self.display):
            self.x11.XNextEvent(self.display, event)
            e = XkbAnyEvent.from_buffer(event)
            if e.type == self.event_base.value and e.xkb_type == 8:  # XkbBellNotify
                self.bells += 1
        return self.bells

    def close(self):
        self.x11.XCloseDisplay(self.display)


def linux_path_of(s, windows_variable):
    """Where a folder of the prefix, named by a Windows environment variable, lies on Linux."""
    value = s.run(["wine", "cmd", "/c", "echo", windows_variable]).stdout.strip()
    check(value and "%" not in value, f"{windows_variable} is {value!r} in the prefix")
    path = s.run(["winepath", "-u", value]).stdout.strip()
    check(path.startswith("/"), f"winepath gave {path!r} for {value}")
    return path


def set_display_scale(s, dpi):
    """The display's scale as Wine reads it when a program starts; 96 dpi is Wine's own."""
    key = "HKCU\\Control Panel\\Desktop"
    if dpi == 96:
        s.run(["wine", "reg", "delete", key, "/v", "LogPixels", "/f"])
    else:
        result = s.run(["wine", "reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"])
        check(result.returncode == 0, f"setting LogPixels to {dpi} failed: {result.stderr}")


def choose_menu_item(s, access_letter, downs):
    """Opens a menu of the menu bar with its access letter and chooses the item so many rows
    below the first, as a player does from the keyboard."""
    s.xdotool("key", f"alt+{access_letter}")
    time.sleep(0.3)
    for _ in range(downs):
        s.xdotool("key", "Down")
    s.xdotool("key", "Return")


# ---- Cases -------------------------------------------------------------------------------

def case_no_device_box(args):
    """Wine's own winmm has no MIDI output: a beep, the error box, exit status 0 after OK, no
    settings file, and the main window never shown."""
    with Session(args, "nodevice", recording=False) as s:
        bells = BellWatch(s.env["DISPLAY"])
        try:
            s.start()
            box = s.wait_x_window(True, "the message box")
            lines = s.probe("box", WINDOW_NAME)
            check("text There is no\\n MIDI output devices" in lines, f"the box says {lines}")
            check([line for line in lines if line.startswith("button")] == ["button 1 OK"],
                  f"the box's buttons: {lines}")
            check(not s.x_windows(False), "the main window is showing")
            deadline = time.monotonic() + 3
            while bells.poll() == 0 and time.monotonic() < deadline:
                time.sleep(0.05)
            check(bells.poll() == 1, f"{bells.bells} beeps before the box")
        finally:
            bells.close()
        s.focus(box)
        s.xdotool("key", "Return")
        s.wait_exit("OK")
        check(not os.path.exists(s.settings_path), "a settings file was written")


def case_keys_play(args):
    """The keys with their duties, through the real keyboard: notes, octave shift, sustain,
    panic, all notes off, transposition and velocity."""
    with Session(args, "keys") as s:
        s.open_window()
        s.xdotool("key", "q")
        s.expect([Q_ON, Q_OFF], "Q")
        # As a player does it: Shift down, Q down and up, Shift up.
        s.steps(("keydown", "shift"), ("keydown", "q"), ("keyup", "q"), ("keyup", "shift"))
        s.expect([note(0x90, 0x43, 100), note(0x80, 0x43, 64)], "Shift+Q")
        s.xdotool("key", "space")
        s.expect([note(0xB0, 64, 127), note(0xB0, 64, 0)], "space bar")
        s.xdotool("key", "Escape")
        s.expect([w for ch in range(16) for w in (note(0xB0 + ch, 121, 0), note(0xB0 + ch, 123, 0))], "Esc")
        s.steps(("keydown", "q"), ("key", "Return"), ("keyup", "q"))
        s.expect([Q_ON, Q_OFF], "Enter while Q is held, then Q let go")
        s.xdotool("key", "Up")
        s.xdotool("key", "q")
        s.expect([note(0x90, 0x43, 100), note(0x80, 0x43, 64)], "Up, then Q")
        s.xdotool("key", "Down")
        s.xdotool("key", "KP_Add")
        s.xdotool("key", "q")
        s.expect([note(0x90, 0x37, 108), Q_OFF], "keypad plus, then Q")
        s.close_window()
        s.expect(ALL_NOTES_OFF, "closing")


def case_key_let_go_with_alt_held(args):
    """Alt comes down while Q sounds and goes up after Q: Q's release, a system key now, still
    ends its note."""
    with Session(args, "alt") as s:
        s.open_window()
        s.steps(("keydown", "q"), ("keydown", "alt"), ("keyup", "q"), ("keyup", "alt"))
        s.expect([Q_ON, Q_OFF], "Q let go with Alt held")
        s.close_window()


def case_device_switch_ends_the_held_note_there(args):
    """Q held while Devices > Synth 1 is chosen: the mapper hears Q end before it is left;
    Synth 1 hears its opening and nothing of Q, not even when Q comes up."""
    with Session(args, "switch") as s:
        s.open_window()
        s.run(["xset", "r", "off"])  # no repeats of the held Q into the open menu
        try:
            s.xdotool("keydown", "q")
            s.expect([Q_ON], "Q held")
            choose_menu_item(s, "d", 3)
            s.expect([(MAPPER, Q_OFF), (DEVICE_1, 0xC0)], "the switch", handle=None)
            s.xdotool("keyup", "q")
            s.expect([], "Q let go after the switch")
        finally:
            s.run(["xset", "r", "on"])
        s.close_window()


def case_pressed_key_and_mouse(args):
    """Q held: its key is drawn pressed (the picture is kept); a click on a drawn key plays it."""
    with Session(args, "mouse") as s:
        s.open_window()
        s.xdotool("keydown", "q")
        s.expect([Q_ON], "Q held")
        time.sleep(0.3)
        path, image = s.screenshot("wine-pressed-key.png")
        s.xdotool("keyup", "q")
        s.expect([Q_OFF], "Q let go")
        box = solid_dark_box(image)
        check(box is not None, f"no key drawn pressed in {path}")
        # The dark area is the key with its frame (one pixel outside), less the two-pixel erosion.
        left, top, right, bottom = box[0] - 1, box[1] - 1, box[2] + 1, box[3] + 1
        width, height = right - left, bottom - top
        check(10 < width < image[0] / 8 and 8 < height < image[1] / 3, f"pressed key {box} in {path}")
        inner = (left + 3, top + 3, right - 3, bottom - 3)
        check(count_pixels(image, inner, is_white) > 5, f"no white label on the pressed key in {path}")
        # The "C" of the lower manual: row 3, column 7 (Q is row 1, column 1).
        x = left + 7 * width / 2.0
        y = top + 2.5 * height
        s.xdotool("mousemove", "--window", s.window, str(int(x)), str(int(y)))
        s.steps(("mousedown", "1"), ("mouseup", "1"))
        s.expect([note(0x90, 0x30, 100), note(0x80, 0x30, 64)], f"click at {int(x)},{int(y)}")
        print(f"pressed-key picture: {path}")
        s.close_window()


def case_bar_click_keeps_notes(args):
    """With the bars shown, a click on the velocity bar's upper arrow while Q is held ends no
    note (the bar takes the keyboard focus for a moment) and raises the velocity by one."""
    with Session(args, "bars") as s:
        rect = (100, 100, 600, 350)
        s.open_window(struct.pack("<I2if4i2i6i", SETTINGS_MAGIC, 0, 1, 2.0, *rect, 0, -1, 1, 0, 0,
                                  100, 0, 0))
        _, (dx, dy, cw, ch) = s.geometry()
        thickness = cw // 26
        check(thickness > 4, f"client area {cw}x{ch}")
        s.xdotool("keydown", "q")
        s.expect([Q_ON], "Q held")
        # Press and release in one command: a press held longer repeats the arrow's step.
        s.xdotool("mousemove", "--window", s.window, str(dx + thickness // 2), str(dy + 3), "click", "1")
        s.expect([], "clicking the bar while Q is held")
        s.xdotool("keyup", "q")
        s.expect([Q_OFF], "Q let go")
        s.xdotool("key", "q")
        s.expect([note(0x90, 0x37, 101), Q_OFF], "Q after the click")
        s.close_window()


def case_close_saves_beside_the_program(args):
    """A device chosen in the menu, then the window closed: the file beside plinkett.exe holds,
    byte for byte, what the program had (device 1 at offset 36, open at offset 40), and the
    sixteen all-notes-off come before the port is closed."""
    with Session(args, "close") as s:
        s.open_window()
        choose_menu_item(s, "d", 3)  # Devices: Active, (separator), MIDI Mapper, Synth 0, Synth 1
        s.expect([0xC0], "choosing Synth 1", handle=DEVICE_1)
        calls = s.calls()
        closed = calls.index("midiOutClose 0x7F00 -> 0") if "midiOutClose 0x7F00 -> 0" in calls else len(calls)
        check("midiOutOpen 0x1 0x0 0x0 0x0 -> 0 0x7001" in calls[closed:],
              f"choosing Synth 1 closed the mapper, then opened device 1: {calls[-5:]}")
        rect, _ = s.geometry()
        s.close_window()
        s.expect(ALL_NOTES_OFF, "closing", handle=DEVICE_1)
        check(s.calls()[-1] == "midiOutClose 0x7001 -> 0", f"the last call: {s.calls()[-1]}")
        with open(s.settings_path, "rb") as f:
            data = f.read()
        expected = settings_bytes(1, rect=rect)
        check(data == expected, f"settings file\n  {data.hex()}\nnot\n  {expected.hex()}")
        check(data[36:44] == bytes([1, 0, 0, 0, 1, 0, 0, 0]), f"offsets 36 and 40: {data[36:44].hex()}")


def case_non_ansi_folder_reads_and_saves(args):
    """In a folder named in Cyrillic and with a euro sign (outside the ANSI code page): the
    settings file there is read (Q plays at its velocity); the device switched off, then File >
    Exit: the file is written there, recording the mapper (-1) closed (0); nothing is sent after
    the switch-off."""
    with Session(args, "nonansi", folder="\u0401\u043b\u043a\u0430 \u20acuro") as s:
        s.open_window(settings_bytes(-1, velocity=90))
        s.xdotool("key", "q")
        s.expect([note(0x90, 0x37, 90), Q_OFF], "Q at the velocity of the settings file")
        choose_menu_item(s, "d", 0)  # Devices > Active: closes the port
        s.expect(ALL_NOTES_OFF, "switching the device off")
        s.xdotool("key", "alt+f")
        time.sleep(0.3)
        s.xdotool("key", "x")
        s.wait_exit("File > Exit")
        s.expect([], "after the device was switched off")
        saved = read_settings(s.settings_path)
        check((saved["savedDeviceId"], saved["openAtStart"], saved["velocity"]) == (-1, 0, 90), f"saved {saved}")


def case_read_only_folder_keeps_settings(args):
    """plinkett.exe in a folder that cannot be written (a read-only mount) with settings put beside
    it, as an administrator would: they give the first start; a changed velocity is kept in
    %APPDATA%\\Plinkett across a restart, and the file beside the program stays as it was."""
    with Session(args, "readonly") as s:
        roaming = os.path.join(linux_path_of(s, "%APPDATA%"), "Plinkett")
        shutil.rmtree(roaming, ignore_errors=True)
        beside = settings_bytes(-1, velocity=90)
        with open(s.settings_path, "wb") as f:
            f.write(beside)
        mounted = subprocess.run(["mount", "--bind", s.folder, s.folder], capture_output=True, text=True)
        if mounted.returncode != 0:
            print(f"SKIP: cannot mount a folder here: {mounted.stderr.strip()}")
            raise Skip()
        try:
            subprocess.run(["mount", "-o", "remount,ro,bind", s.folder], check=True, capture_output=True)
            for start, velocity in (("first start", 90), ("restart", 98)):
                s.open_window()
                s.xdotool("key", "q")
                s.expect([note(0x90, 0x37, velocity), Q_OFF], f"Q at the {start}")
                if start == "first start":
                    s.xdotool("key", "KP_Add")
                s.close_window()
                s.expect(ALL_NOTES_OFF, f"closing after the {start}")
                saved = read_settings(os.path.join(roaming, "PLINKETT.SET"))
                check(saved["velocity"] == 98, f"saved in %APPDATA%\\Plinkett: {saved}")
            with open(s.settings_path, "rb") as f:
                check(f.read() == beside, "the settings beside the program changed")
        finally:
            subprocess.run(["umount", s.folder], capture_output=True)
            shutil.rmtree(roaming, ignore_errors=True)


def case_scale_of_150_percent(args):
    """The display at 144 dpi against 96 (Wine's LogPixels): Window > Default Size and a key drawn
    pressed are 1.5 times as big (both pictures kept), and the zoom saved stays the player's 2.0."""
    sizes = {}
    for dpi in (96, 144):
        with Session(args, f"scale{dpi}") as s:
            try:
                set_display_scale(s, dpi)
                s.open_window()
                s.xdotool("key", "alt+w")
                time.sleep(0.3)
                s.xdotool("key", "d")  # Default Size
                time.sleep(0.5)
                (left, top, right, bottom), _ = s.geometry()
                s.xdotool("keydown", "q")
                s.expect([Q_ON], "Q held")
                time.sleep(0.3)
                path, image = s.screenshot(f"wine-scale-{dpi}.png")
                s.xdotool("keyup", "q")
                s.expect([Q_OFF], "Q let go")
                box = solid_dark_box(image)
                check(box is not None, f"no key drawn pressed in {path}")
                s.close_window()
                check(read_settings(s.settings_path)["zoom"] == 2.0, f"the zoom saved at {dpi} dpi")
            finally:
                set_display_scale(s, 96)
        sizes[dpi] = {"window width": right - left, "window height": bottom - top,
                      "key width": box[2] - box[0] + 2, "key height": box[3] - box[1] + 2}
    for name, small in sizes[96].items():
        ratio = sizes[144][name] / small
        print(f"{name}: {small} at 96 dpi, {sizes[144][name]} at 144 dpi, {ratio:.3f} times")
        check(1.4 <= ratio <= 1.6, f"the {name} grew {ratio:.3f} times, not 1.5")


def case_note_held_through_menu_ends(args):
    """Q held, Alt+F opens the File menu, Q let go while it is open: the note ends once, as the
    menu takes the keyboard; nothing more when the menu is closed, and the next Q plays."""
    with Session(args, "menuheld") as s:
        s.open_window()
        s.xdotool("keydown", "q")
        s.expect([Q_ON], "Q held")
        s.xdotool("key", "alt+f")
        s.expect([Q_OFF], "the File menu opened while Q was held")
        s.xdotool("keyup", "q")
        time.sleep(0.2)
        s.xdotool("key", "Escape")
        s.xdotool("key", "Escape")  # the first closes the popup, the second leaves the menu bar
        s.expect([], "Q let go in the menu, then the menu closed")
        s.xdotool("key", "q")
        s.expect([Q_ON, Q_OFF], "Q after the menu")
        s.close_window()


CASES = {name[len("case_"):]: fn for name, fn in globals().items() if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("--program", required=True)
    parser.add_argument("--winmm", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    for name in ("DISPLAY", "WINEPREFIX"):
        if not os.environ.get(name):
            print(f"FAIL {args.case}: no {name}; run the Windows tests through "
                  "tests/win32/run_under_wine.sh")
            return 1
    try:
        CASES[args.case](args)
    except Skip:
        return SKIP
    except Failure as failure:
        print(f"FAIL {args.case}: {failure}")
        return 1
    print(f"PASS {args.case}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
