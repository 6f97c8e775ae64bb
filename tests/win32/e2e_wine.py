#!/usr/bin/env python3
"""End-to-end tests of the Windows program under Wine, on the shared runner
(tests/e2e/runner.py): plinkett.exe copied into a folder of its own, real key presses and mouse
clicks through XTEST (xdotool) on the test display, and MIDI through Wine's own winmm (no device)
or through the recording winmm.dll beside the program, whose log shows every call the program
made.

    e2e_wine.py <case> --program EXE --winmm DLL --probe EXE --artifacts DIR

Run through tests/win32/run_under_wine.sh, which provides DISPLAY, WINEPREFIX and a running Wine
server. Every change a case makes to the prefix (its scale, %APPDATA%\\Plinkett) is undone.
"""

import ctypes
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import runner  # noqa: E402
from runner import (ALL_NOTES_OFF, Failure, Skip, check, count_pixels, is_white,  # noqa: E402
                    read_settings, settings_bytes)

MAPPER = 0x7F00   # the recording winmm's handles: the mapper, and device n at 0x7000 + n
DEVICE_1 = 0x7001


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def message_text(word):
    """A short message word as the bytes that travel, in the capture's hex form."""
    status = word & 0xFF
    length = 2 if status & 0xF0 in (0xC0, 0xD0) else 3
    return " ".join(f"{(word >> (8 * i)) & 0xFF:02X}" for i in range(length))


class WinmmCapture(runner.Capture):
    """The messages the recording winmm saw on one handle, or, with handle None, on every handle
    as "HANDLE: bytes"."""

    def __init__(self, session, handle):
        super().__init__()
        self.session = session
        self.handle = handle

    def lines(self):
        out = []
        for call in self.session.calls():
            parts = call.split()
            if parts[0] != "midiOutShortMsg":
                continue
            handle, text = int(parts[1], 16), message_text(int(parts[2], 16))
            if self.handle is None:
                out.append(f"{handle:X}: {text}")
            elif handle == self.handle:
                out.append(text)
        return out


class Session(runner.Session):
    """One start of the program in a folder of its own."""

    def __init__(self, args, case, folder="program", recording=True):
        super().__init__(args, case, dict(os.environ))
        self.folder = os.path.join(self.tmp, folder)
        os.makedirs(self.folder)
        self.exe = os.path.join(self.folder, "plinkett.exe")
        shutil.copy(args.program, self.exe)
        self.log = os.path.join(self.tmp, "winmm.log")
        if recording:
            shutil.copy(args.winmm, os.path.join(self.folder, "winmm.dll"))
            self.env["WINEDLLOVERRIDES"] = "winmm=n,b"
            self.env["PLINKETT_WINMM_LOG"] = windows_path(self.log)
        self.settings_path = os.path.join(self.folder, "PLINKETT.SET")
        self.capture = WinmmCapture(self, MAPPER)

    def port(self, handle):
        return WinmmCapture(self, handle)

    def saved(self):
        return read_settings(self.settings_path)

    def launch(self, settings=None):
        if settings is not None:
            with open(self.settings_path, "wb") as f:
                f.write(settings)
        self.spawn_program(["wine", self.exe], cwd=self.folder)

    def start(self, settings=None):
        """The program with its window shown and the mapper opened (its program change)."""
        self.launch(settings)
        self.window = self.wait_window(dialogs=False)
        self.capture.expect(["C0 00"], "opening the mapper")
        self.focus()

    def calls(self):
        try:
            with open(self.log) as f:
                return [line.strip() for line in f if line.strip()]
        except FileNotFoundError:
            return []

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

    def choose_menu_item(self, access_letter, downs):
        """Opens a menu of the menu bar with its access letter and chooses the item so many rows
        below the first, as a player does from the keyboard."""
        self.key(f"alt+{access_letter}")
        time.sleep(0.3)
        self.key(*(["Down"] * downs), "Return")


class BellWatch:
    """Counts the X server's bell notifications (XKB), which is how Wine sounds MessageBeep."""

    def __init__(self, display):
        self.x11, self.display = runner.open_x11(display)
        x = self.x11
        x.XkbQueryExtension.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 5
        x.XkbSelectEvents.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
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
    """Where a folder of the prefix, named by a Windows environment variable, lies on Linux.
    Wine's launcher now and then fails to start a helper while the prefix's server is busy
    ("ShellExecuteEx failed: Internal error"): each helper gets three tries."""
    value = path = ""
    for _ in range(3):
        value = s.run(["wine", "cmd", "/c", "echo", windows_variable]).stdout.strip()
        if value and "%" not in value:
            break
        time.sleep(0.5)
    check(value and "%" not in value, f"{windows_variable} is {value!r} in the prefix")
    for _ in range(3):
        path = s.run(["winepath", "-u", value]).stdout.strip()
        if path.startswith("/"):
            break
        time.sleep(0.5)
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


# ---- Cases -------------------------------------------------------------------------------

def case_no_device_box(args):
    """Wine's own winmm has no MIDI output: a beep, the error box, exit status 0 after OK, no
    settings file, and the main window never shown."""
    with Session(args, "nodevice", recording=False) as s:
        bells = BellWatch(s.env["DISPLAY"])
        try:
            s.launch()
            box = s.wait_window(dialogs=True, what="the message box")
            lines = s.probe("box", runner.WINDOW_NAME)
            check("text There is no\\n MIDI output devices" in lines, f"the box says {lines}")
            check([line for line in lines if line.startswith("button")] == ["button 1 OK"],
                  f"the box's buttons: {lines}")
            check(not s.x_windows(dialogs=False), "the main window is showing")
            deadline = time.monotonic() + 3
            while bells.poll() == 0 and time.monotonic() < deadline:
                time.sleep(0.05)
            check(bells.poll() == 1, f"{bells.bells} beeps before the box")
        finally:
            bells.close()
        s.focus(box)
        s.key("Return")
        s.wait_exit("OK")
        check(not os.path.exists(s.settings_path), "a settings file was written")


def case_keys(args):
    """The keys with their duties through the real keyboard, each row of the shared table."""
    with Session(args, "keys") as s:
        s.start()
        runner.play_key_rows(s)
        s.close()


def case_device_switch_ends_the_held_note_there(args):
    """Q held while Devices > Synth 1 is chosen: the mapper hears Q end before it is left;
    Synth 1 hears its opening and nothing of Q, not even when Q comes up."""
    with Session(args, "switch") as s:
        s.start()
        every_port = s.port(None)
        every_port.mark()
        s.run(["xset", "r", "off"])  # no repeats of the held Q into the open menu
        try:
            s.hold("q")
            every_port.expect(["7F00: 90 37 64"], "Q held")
            s.choose_menu_item("d", 3)
            every_port.expect(["7F00: 80 37 40", "7001: C0 00"], "the switch")
            s.let_go("q")
            every_port.expect([], "Q let go after the switch")
        finally:
            s.run(["xset", "r", "on"])
        s.close()


def case_pressed_key_and_mouse(args):
    """Q held: its key is drawn pressed (the picture is kept); a click on a drawn key plays it."""
    with Session(args, "mouse") as s:
        s.start()
        box, image, path = runner.pressed_q_box(s, "wine-pressed-key.png")
        left, top, right, bottom = box
        width, height = right - left, bottom - top
        check(10 < width < image[0] / 8 and 8 < height < image[1] / 3, f"pressed key {box} in {path}")
        inner = (left + 3, top + 3, right - 3, bottom - 3)
        check(count_pixels(image, inner, is_white) > 5, f"no white label on the pressed key in {path}")
        runner.click_lower_c(s, box)
        print(f"pressed-key picture: {path}")
        s.close()


def case_bar_click_keeps_notes(args):
    """With the bars shown, a click on the velocity bar's upper arrow while Q is held ends no
    note (the bar takes the keyboard focus for a moment) and raises the velocity by one."""
    with Session(args, "bars") as s:
        s.start(settings_bytes(-1, rect=(100, 100, 600, 350), bars=1))
        _, (dx, dy, cw, ch) = s.geometry()
        thickness = cw // 26
        check(thickness > 4, f"client area {cw}x{ch}")
        s.hold("q")
        s.capture.expect(["90 37 64"], "Q held")
        # Press and release in one command: a press held longer repeats the arrow's step.
        s.xdotool("mousemove", "--window", s.window, str(dx + thickness // 2), str(dy + 3), "click", "1")
        s.capture.expect([], "clicking the bar while Q is held")
        s.let_go("q")
        s.capture.expect(["80 37 40"], "Q let go")
        s.key("q")
        s.capture.expect(["90 37 65", "80 37 40"], "Q after the click")
        s.close()


def case_close_saves_beside_the_program(args):
    """A device chosen in the menu, then the window closed: the file beside plinkett.exe holds,
    byte for byte, what the program had (device 1 at offset 36, open at offset 40), and the
    sixteen all-notes-off come before the port is closed."""
    with Session(args, "close") as s:
        s.start()
        device_1 = s.port(DEVICE_1)
        s.choose_menu_item("d", 3)  # Devices: Active, (separator), MIDI Mapper, Synth 0, Synth 1
        device_1.expect(["C0 00"], "choosing Synth 1")
        calls = s.calls()
        closed = calls.index("midiOutClose 0x7F00 -> 0") if "midiOutClose 0x7F00 -> 0" in calls else len(calls)
        check("midiOutOpen 0x1 0x0 0x0 0x0 -> 0 0x7001" in calls[closed:],
              f"choosing Synth 1 closed the mapper, then opened device 1: {calls[-5:]}")
        rect, _ = s.geometry()
        s.close()
        device_1.expect(ALL_NOTES_OFF, "closing")
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
        s.start(settings_bytes(-1, velocity=90))
        s.key("q")
        s.capture.expect(["90 37 5A", "80 37 40"], "Q at the velocity of the settings file")
        s.choose_menu_item("d", 0)  # Devices > Active: closes the port
        s.capture.expect(ALL_NOTES_OFF, "switching the device off")
        s.key("alt+f")
        time.sleep(0.3)
        s.key("x")
        s.wait_exit("File > Exit")
        s.capture.expect([], "after the device was switched off")
        saved = s.saved()
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
            raise Skip(f"cannot mount a folder here: {mounted.stderr.strip()}")
        try:
            subprocess.run(["mount", "-o", "remount,ro,bind", s.folder], check=True, capture_output=True)
            for start, velocity in (("first start", "5A"), ("restart", "62")):
                s.start()
                s.key("q")
                s.capture.expect([f"90 37 {velocity}", "80 37 40"], f"Q at the {start}")
                if start == "first start":
                    s.key("KP_Add")
                s.close()
                s.capture.expect(ALL_NOTES_OFF, f"closing after the {start}")
                saved = read_settings(os.path.join(roaming, "PLINKETT.SET"))
                check(saved["velocity"] == 98, f"saved in %APPDATA%\\Plinkett: {saved}")
            with open(s.settings_path, "rb") as f:
                check(f.read() == beside, "the settings beside the program changed")
        finally:
            subprocess.run(["umount", s.folder], capture_output=True)
            shutil.rmtree(roaming, ignore_errors=True)


def sizes_at_scale(args, dpi):
    """Window > Default Size and a key held at this display scale: the window's and the key's
    sizes (the picture is kept); the zoom saved stays the player's 2.0."""
    with Session(args, f"scale{dpi}") as s:
        try:
            set_display_scale(s, dpi)
            s.start()
            s.key("alt+w")
            time.sleep(0.3)
            s.key("d")  # Default Size
            time.sleep(0.5)
            (left, top, right, bottom), _ = s.geometry()
            box, _, _ = runner.pressed_q_box(s, f"wine-scale-{dpi}.png")
            s.close()
            check(s.saved()["zoom"] == 2.0, f"the zoom saved at {dpi} dpi")
        finally:
            set_display_scale(s, 96)
    return {"window width": right - left, "window height": bottom - top,
            "key width": box[2] - box[0], "key height": box[3] - box[1]}


def case_scale_of_150_percent(args):
    """The display at 144 dpi against 96 (Wine's LogPixels): the default size and a key drawn
    pressed are 1.5 times as big."""
    small, large = sizes_at_scale(args, 96), sizes_at_scale(args, 144)
    for name, size in small.items():
        ratio = large[name] / size
        print(f"{name}: {size} at 96 dpi, {large[name]} at 144 dpi, {ratio:.3f} times")
        check(1.4 <= ratio <= 1.6, f"the {name} grew {ratio:.3f} times, not 1.5")


def case_note_held_through_menu_ends(args):
    with Session(args, "menuheld") as s:
        s.start()
        # Two Escapes: the first closes the popup, the second leaves the menu bar.
        runner.held_note_through_menu(s, "alt+f", ["Escape", "Escape"])
        s.close()


def add_arguments(parser):
    parser.add_argument("--program", required=True)
    parser.add_argument("--winmm", required=True)
    parser.add_argument("--probe", required=True)


def machine_ready(args):
    for name in ("DISPLAY", "WINEPREFIX"):
        if not os.environ.get(name):
            raise Failure(f"no {name}; run the Windows tests through tests/win32/run_under_wine.sh")


if __name__ == "__main__":
    sys.exit(runner.main(runner.cases_of(globals()), add_arguments, machine_ready))
