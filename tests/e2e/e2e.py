#!/usr/bin/env python3
"""End-to-end tests of the Linux program, on the shared runner (runner.py): a private X server
(Xvfb), real key presses and mouse clicks through XTEST (xdotool), a private JACK server with the
dummy driver and a capture client that prints every MIDI event the program sends.

    e2e.py <case> --capture P --midi-tool P --artifacts DIR [--program P]
"""

import glob
import math
import os
import shutil
import signal
import stat
import struct
import subprocess
import sys
import time
import wave

import runner
# open_xtest serves bench/key_latency.py, which takes it from here.
from runner import (ALL_NOTES_OFF, Q_PLAYED, Failure, Skip, check, count_pixels, is_dark, is_white,  # noqa: F401
                    open_xtest, press_many, read_image, read_settings, settings_bytes, solid_dark_box, stop)

# ---- The Linux target --------------------------------------------------------------------------

class Capture(runner.Capture):
    """The JACK capture client's output: one event a line, with its time when asked for."""

    def __init__(self, path, process=None):
        super().__init__()
        self.path = path
        self.process = process

    def timed(self):
        """(event, microseconds) pairs; the time is None unless the client was asked for it."""
        out = []
        with open(self.path) as f:
            for line in f:
                event, _, when = line.strip().partition(" @")
                if event:
                    out.append((event, int(when) if when else None))
        return out

    def lines(self):
        return [event for event, _ in self.timed()]


def home_environment(tmp):
    env = dict(os.environ)
    env.update({
        "HOME": tmp,
        "XDG_CONFIG_HOME": os.path.join(tmp, "config"),
        "XDG_CACHE_HOME": os.path.join(tmp, "cache"),
        "XDG_DATA_HOME": os.path.join(tmp, "data"),
        "XDG_RUNTIME_DIR": os.path.join(tmp, "run"),
        "JACK_NO_START_SERVER": "1",
        "JACK_DEFAULT_SERVER": f"plinkett-e2e-{os.getpid()}",
        "PLINKETT_NO_BUILTIN_SYNTH": "1",
        "PLINKETT_MIDI_APIS": "jack",
        # Qt and fontconfig keep caches alive until exit; those are not our leaks.
        "ASAN_OPTIONS": "detect_leaks=0:abort_on_error=0",
        "QT_QPA_PLATFORM": "xcb",
        "NO_AT_BRIDGE": "1",
    })
    for key in ("WAYLAND_DISPLAY", "SESSION_MANAGER", "DBUS_SESSION_BUS_ADDRESS"):
        env.pop(key, None)
    for d in ("config/plinkett", "cache", "data", "run"):
        os.makedirs(os.path.join(tmp, d), mode=0o700, exist_ok=True)
    return env


class Session(runner.Session):
    """The Linux program in a home of its own, its MIDI through a private JACK server."""

    def __init__(self, args, case):
        super().__init__(args, case, None)
        self.env = home_environment(self.tmp)
        self.settings_path = os.path.join(self.tmp, "config", "plinkett", "PLINKETT.SET")
        self.capture = None
        self.jack_killed = False  # the last server was killed and not started again

    def __exit__(self, *exc):
        self.stop_all()
        if self.jack_killed:
            self.reclaim_jack()
        return super().__exit__(*exc)

    def saved(self):
        return read_settings(self.settings_path)

    # -- X server

    def start_x(self, screen="1024x768x24"):
        self.env["DISPLAY"] = runner.start_xvfb(self.spawn, screen)
        # Real auto-repeat, quick enough that a one-second hold repeats many times.
        self.run(["xset", "r", "on"])
        self.run(["xset", "r", "rate", "200", "30"])

    # -- JACK server and the capture clients

    def spawn_jackd(self):
        name = self.env["JACK_DEFAULT_SERVER"]
        self.jack_killed = False
        return self.spawn("jackd", ["jackd", "-n", name, "--no-realtime", "-d", "dummy", "-p", "256", "-r", "48000"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def start_jack(self, times=False, client=None):
        self.spawn_jackd()
        self.capture_client = client or f"e2ecapture{os.getpid()}"
        self.capture = self.add_capture(self.capture_client, times, timeout=15)

    def add_capture(self, client, times=False, timeout=10):
        """A capture client on the running server, once its port exists (a server still starting
        is tried again)."""
        out_path = os.path.join(self.tmp, f"{client}.txt")
        err_path = os.path.join(self.tmp, f"{client}.err")
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            with open(out_path, "wb") as out, open(err_path, "wb") as err:
                proc = self.spawn(client, [self.args.capture, client] + (["--times"] if times else []),
                                  stdout=out, stderr=err)
            while proc.poll() is None and time.monotonic() < deadline:
                with open(err_path, "rb") as f:
                    if b"ready" in f.read():
                        return Capture(out_path, proc)
                time.sleep(0.05)
            time.sleep(0.2)
        raise Failure(f"the capture client {client} did not reach the JACK server")

    def jackd(self):
        return next(proc for name, proc in self.processes if name == "jackd" and proc.poll() is None)

    def kill_jack(self):
        """As a crash does it: no goodbye to the clients."""
        proc = self.jackd()
        proc.kill()
        proc.wait(timeout=10)
        self.jack_killed = True

    def reclaim_jack(self):
        """A killed server leaves its entry in the machine's registry of JACK servers, which
        holds eight; only a server of the same name, started and stopped cleanly, frees it."""
        proc = self.spawn_jackd()
        deadline = time.monotonic() + 10
        while proc.poll() is None and time.monotonic() < deadline:
            if self.run(["jack_lsp"]).returncode == 0:
                break
            time.sleep(0.1)
        stop(proc)
        # The semaphores of the clients that lost their server stay behind too.
        for path in glob.glob(f"/dev/shm/jack_sem.*_{self.env['JACK_DEFAULT_SERVER']}_*"):
            os.remove(path)

    def device_id_of(self, wanted):
        result = self.run([self.args.midi_tool, "list"])
        check(result.returncode == 0, f"midi tool failed: {result.stderr}")
        for line in result.stdout.splitlines():
            number, _, name = line.partition("\t")
            if name == wanted:
                return int(number)
        raise Failure(f"no device {wanted!r} in the list:\n{result.stdout}")

    def capture_device_id(self):
        return self.device_id_of(f"{self.capture_client}:in")

    # -- The Devices menu, by keyboard as a user without a mouse works it

    def devices_menu(self, *keys):
        self.key("alt+d")
        time.sleep(0.4)  # the popup is shown, its first item (Active) highlighted
        self.key(*keys)
        time.sleep(0.4)

    def choose_device(self, name):
        """The item below Active and the separator, at the place the MIDI tool lists the
        device now (these cases run without the mapper)."""
        self.devices_menu(*(["Down"] * (self.device_id_of(name) + 1)), "Return")

    # -- The program

    def write_settings(self, data):
        with open(self.settings_path, "wb") as f:
            f.write(data)

    def use_file_synth(self):
        """The built-in synthesizer, playing into a file: a device that opens with no sound card
        and no JACK server, as the mapper of a first start."""
        self.env.pop("PLINKETT_NO_BUILTIN_SYNTH", None)
        self.env["PLINKETT_MIDI_APIS"] = "none"
        self.env["PLINKETT_SYNTH_FILE"] = os.path.join(self.tmp, "synth.wav")

    def start(self, settings=None, run_as=None):
        """run_as: a command prefix that starts the program as another user. The first window
        found may be a message box ("Cannot open MIDI device": see past_the_box)."""
        check(self.args.program, "the program was not built")
        if settings is not None:
            self.write_settings(settings)
        self.spawn_program((run_as or []) + [self.args.program])
        self.window = self.wait_window()
        self.focus()

    def why_no_window(self):
        """Where a program that stopped short is waiting: every thread's stack, when gdb is
        there to ask."""
        if self.program.poll() is not None or shutil.which("gdb") is None:
            return ""
        result = self.run(["gdb", "-p", str(self.program.pid), "-batch", "-ex", "thread apply all bt"], timeout=60)
        return "\n---- the program's threads ----\n" + result.stdout[-12000:]

    def past_the_box(self):
        """The window start found is a message box (transient for the main window, which is not
        shown yet): OK it, and take up the main window that follows it."""
        check(self.x_windows(dialogs=True) == [self.window], "the start showed no message box")
        self.focus()
        self.key("Return")
        time.sleep(0.5)
        self.window = self.wait_window(dialogs=False, timeout=10)
        self.focus()

    def own_soundfonts(self):
        """A folder of the case's own that the program sees in place of the system's soundfont
        folders (start it with the prefix private_mounts gives)."""
        fonts = os.path.join(self.tmp, "fonts")
        os.makedirs(fonts, exist_ok=True)
        return fonts

    def geometry(self):
        result = self.run(["xdotool", "getwindowgeometry", "--shell", self.window])
        values = dict(line.split("=", 1) for line in result.stdout.split())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def open_with_capture_device(self, times=False, **settings):
        """The usual start: X, JACK, capture, settings choosing the capture port, the program
        running with the port open (its first message, the program change, has arrived)."""
        self.start_x()
        self.start_jack(times)
        device = self.capture_device_id()
        self.start(settings_bytes(device, **settings))
        self.capture.expect([f"C{settings.get('channel', 0):X} {settings.get('program', 0):02X}"], "opening")
        return device


SOUNDFONT_FOLDERS = ("/usr/share/sounds/sf2", "/usr/share/sounds/sf3", "/usr/share/soundfonts")


def private_mounts(pairs):
    """A command prefix that starts a program with each (source, target) folder or file mounted
    for it alone; skips the case where there is no private mount namespace."""
    probe = subprocess.run(["unshare", "-m", "--propagation", "private", "true"], capture_output=True)
    if probe.returncode != 0:
        raise Skip("no private mount namespace here")
    mounts = " ".join(f"mount --bind {source} {target};" for source, target in pairs)
    return ["unshare", "-m", "--propagation", "private", "sh", "-c", mounts + ' exec "$0"']


def soundfont_mounts(fonts):
    return [(fonts, d) for d in SOUNDFONT_FOLDERS if os.path.isdir(d)]


# ---- Cases -------------------------------------------------------------------------------

def case_midi_layer_jack(args):
    """The MIDI layer alone: the capture port is listed and gets exactly the bytes sent."""
    with Session(args, "midi_layer_jack") as s:
        s.start_jack()
        device = s.capture_device_id()
        s.capture.mark()
        words = ["C3", "643C93", "403C83", "7F40B3", "3F7FE3", "0A05D3"]
        result = s.run([args.midi_tool, "send", str(device), *words])
        check(result.returncode == 0, f"sending failed: {result.stderr}")
        s.capture.expect(["C3 00", "93 3C 64", "83 3C 40", "B3 40 7F", "E3 7F 3F", "D3 05"],
                         "words through JACK")
        # A device number past the end does not open.
        result = s.run([args.midi_tool, "send", str(device + 1), "C0"])
        check(result.returncode == 1, "a device past the end opened")


def case_keys(args):
    """The keys with their duties, each row of the shared table in one start."""
    with Session(args, "keys") as s:
        s.open_with_capture_device()
        runner.play_key_rows(s)
        # One key pressed again in the millisecond of its release, as the X server stamps them
        # when it takes both at once (a stall): every press plays.
        s.capture.mark()
        press_many(s.env["DISPLAY"], ["q"], 20)
        s.capture.expect(Q_PLAYED * 20, "Q pressed again in the millisecond of its release")


def case_mouse_click_plays_key(args):
    """Finds Q's key in a picture of the window and clicks the lower manual's C from it."""
    with Session(args, "mouse") as s:
        s.open_with_capture_device()
        box, _, _ = runner.pressed_q_box(s)
        runner.click_lower_c(s, box)


def case_pressed_key_screenshot(args):
    """Q held: its key black with a white label, at its place on the grid; every other key
    released; after the release no key is drawn pressed."""
    with Session(args, "screenshot") as s:
        s.open_with_capture_device()
        _, _, width, height = s.geometry()
        box, image, path = runner.pressed_q_box(s)
        left, top, right, bottom = box
        key_width, key_height = right - left, bottom - top
        check(key_width > 10 and key_height > 8, f"pressed key too small: {box} in {path}")
        check(key_width < width / 8 and key_height < height / 3,
              f"more than one key looks pressed: {box} in {path}")
        # Q is column 1 of a 26-column keyboard centred in the client width.
        column_step = key_width / 2.0
        expected_left = int((width - 26 * column_step) * 0.5) + column_step
        check(abs(left - expected_left) <= 3,
              f"pressed key at x {left}, Q belongs at {expected_left:.0f} (window {width})")
        # Row 1 of 4 rows centred below the menu bar: the bar's height comes out plausible.
        menu_bar = 2 * (top + key_height) - height
        check(0 <= menu_bar <= 80, f"pressed key at y {top} is not on row 1 (window {height})")
        inner = (left + 3, top + 3, right - 3, bottom - 3)
        area = (inner[2] - inner[0]) * (inner[3] - inner[1])
        check(count_pixels(image, inner, is_white) > 5, f"no white label on the pressed key in {path}")
        check(count_pixels(image, inner, is_dark) > area * 0.4, f"pressed key is not filled black in {path}")
        # Released keys: white fills, many of them (54 keys less gaps less Q).
        check(count_pixels(image, (0, 0, image[0], image[1]), is_white) > 30 * area,
              f"the released keys are not drawn white in {path}")
        _, after = s.screenshot("released.png")
        check(solid_dark_box(after) is None, "a key still looks pressed after the release")
        print(f"pressed-key picture: {path}")


def case_close_saves_and_silences(args):
    with Session(args, "close") as s:
        device = s.open_with_capture_device(channel=2, program=5)
        s.close()
        s.capture.expect(ALL_NOTES_OFF, "closing")
        saved = s.saved()
        check(saved["savedDeviceId"] == device, f"saved device {saved['savedDeviceId']}")
        check(saved["openAtStart"] == 1, f"open-at-start {saved['openAtStart']}")
        check(saved["channel"] == 2 and saved["program"] == 5 and saved["velocity"] == 100,
              f"saved {saved}")
        check(saved["zoom"] == 2.0, f"saved zoom {saved['zoom']}")
        check(saved["right"] > saved["left"] and saved["bottom"] > saved["top"],
              f"saved window rectangle {saved}")


def case_synth_sound_program(args):
    """First start (no settings file): the mapper opens the built-in synthesizer, whose sound
    goes to a WAV file; Q held for half a second is heard there."""
    with Session(args, "synth") as s:
        wav = os.path.join(s.tmp, "synth.wav")
        s.env.pop("PLINKETT_NO_BUILTIN_SYNTH")
        s.env["PLINKETT_MIDI_APIS"] = "none"
        s.env["PLINKETT_SYNTH_FILE"] = wav
        s.start_x()
        s.start()
        time.sleep(0.5)
        s.xdotool("keydown", "q")
        time.sleep(0.6)
        s.xdotool("keyup", "q")
        time.sleep(0.2)
        s.close()
        # The port opened at start-up, well before the key: the file begins in silence.
        quiet = wav_rms(wav, 0.0, 0.3)
        loud = max((wav_rms(wav, t / 10.0, t / 10.0 + 0.1) or 0.0) for t in range(40))
        check(quiet is not None and loud is not None, "no WAV file was written")
        check(quiet < 1.0, f"noise before the key was pressed (RMS {quiet:.1f})")
        check(loud > 200, f"the synthesizer stayed silent (loudest 0.1 s RMS {loud:.1f})")
        saved = s.saved()
        check(saved["savedDeviceId"] == -1 and saved["openAtStart"] == 1,
              f"mapper not recorded as open: {saved}")


def case_synth_sound_through_jack(args):
    """First start with JACK as the synthesizer's output: the sound leaves by two audio ports of
    the program's own JACK client (no second client), connected to the server's playback ports;
    Q held for half a second is heard there."""
    with Session(args, "synth_jack") as s:
        wav = os.path.join(s.tmp, "jack.wav")
        s.env.pop("PLINKETT_NO_BUILTIN_SYNTH")
        s.env["PLINKETT_SYNTH_AUDIO_DRIVER"] = "jack"
        s.start_x()
        s.start_jack()
        s.start()
        time.sleep(0.5)
        ports = s.run(["jack_lsp", "-c"]).stdout.splitlines()
        ours = sorted(p for p in ports if p.startswith("Plinkett"))
        check(ours == ["Plinkett:synth-left", "Plinkett:synth-right"], f"the program's JACK ports: {ours}")
        for side, playback in (("left", "system:playback_1"), ("right", "system:playback_2")):
            at = ports.index(f"Plinkett:synth-{side}")
            check(at + 1 < len(ports) and ports[at + 1].strip() == playback, f"synth-{side} is not on {playback}")
        recorder = s.spawn("jack_rec", ["jack_rec", "-f", wav, "-d", "2", "Plinkett:synth-left", "Plinkett:synth-right"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.5)
        s.xdotool("keydown", "q")
        time.sleep(0.6)
        s.xdotool("keyup", "q")
        recorder.wait(timeout=10)
        s.close()
        loud = max((wav_rms(wav, t / 10.0, t / 10.0 + 0.1) or 0.0) for t in range(20))
        check(loud > 200, f"nothing was heard on the program's JACK ports (loudest 0.1 s RMS {loud:.1f})")


def case_infinite_zoom_paints_and_closes(args):
    """A settings file with an infinite zoom: the window paints (the sanitizer build would stop
    at the first overflowing rectangle), plays, closes with status 0 and keeps the zoom as read."""
    with Session(args, "zoom") as s:
        s.open_with_capture_device(zoom=float("inf"))
        s.screenshot("infinite-zoom.png")
        s.key("q")
        s.capture.expect(Q_PLAYED, "Q at an infinite zoom")
        s.close()
        check(math.isinf(s.saved()["zoom"]), "the stored zoom was changed")


def case_ending_signals_close_as_the_window_does(args):
    """SIGTERM, SIGINT or SIGHUP with a key held and the transposition changed: the program ends
    as a closed window does, silencing all channels and saving what the player changed."""
    for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        with Session(args, f"signal{int(number)}") as s:
            s.open_with_capture_device()
            s.key("Up")
            s.xdotool("keydown", "q")
            s.capture.expect(["90 43 64"], "Q held, one octave up")
            os.kill(s.program.pid, number)
            try:
                s.program.wait(timeout=20)
            except subprocess.TimeoutExpired:
                raise Failure(f"{number.name} did not end the program")
            check(s.program.returncode == 0, f"{number.name}: exit status {s.program.returncode}")
            s.capture.expect(ALL_NOTES_OFF, f"{number.name} with Q held")
            check(s.saved()["transpose"] == 1, f"{number.name}: the transposition was not saved")


def case_display_gone_silences_the_port(args):
    """The X server dies with a key held: whatever becomes of the program, the device hears
    all notes off on every channel before the process ends."""
    with Session(args, "xgone") as s:
        s.open_with_capture_device()
        s.xdotool("keydown", "q")
        s.capture.expect(["90 37 64"], "Q held")
        xvfb = next(proc for name, proc in s.processes if name == "Xvfb")
        xvfb.kill()
        try:
            s.program.wait(timeout=20)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end when its display went away")
        s.capture.expect(ALL_NOTES_OFF, "the display gone with Q held")


def synth_cannot_open_case(args, name, hide, reason):
    """A first start whose built-in synthesizer cannot open: the open-failure box, the reason on
    standard error, then a window with the device closed that plays nothing, closes with status 0
    and remembers the device as closed. hide(folder) returns the (source, target) pairs mounted
    for this program alone, making its sources in folder."""
    with Session(args, name) as s:
        s.use_file_synth()
        run_as = private_mounts(hide(s.tmp))
        s.start_x()
        s.start(run_as=run_as)
        s.past_the_box()
        s.close()
        log = s.program_said()
        check(f"plinkett: Plinkett GM Synth: cannot open: {reason}" in log,
              f"no reason on standard error: {log[-500:]}")
        saved = s.saved()
        check(saved["openAtStart"] == 0, f"the device is remembered as open: {saved}")


def soundfont_case(args, name, prepare, reason):
    """prepare(folder) fills the folder mounted over the system's soundfont folders."""
    def hide(tmp):
        fonts = os.path.join(tmp, "fonts")
        os.makedirs(fonts)
        prepare(fonts)
        return soundfont_mounts(fonts)
    synth_cannot_open_case(args, name, hide, reason)


def case_soundfont_missing(args):
    soundfont_case(args, "nofont", lambda folder: None, "no General MIDI soundfont")


def case_soundfont_corrupt(args):
    def garbage(folder):
        for name in ("default-GM.sf2", "TimGM6mb.sf2", "FluidR3_GM.sf2", "default-GM.sf3"):
            with open(os.path.join(folder, name), "wb") as f:
                f.write(b"RIFF\x10\x00\x00\x00sfbk" + os.urandom(4096))
    soundfont_case(args, "badfont", garbage, "the soundfont ")


def case_fluidsynth_missing(args):
    """The program links no FluidSynth: without the library it starts, and only the synthesizer
    cannot open. An empty file stands in for the library the dynamic loader would find."""
    found = [line.split(" => ")[-1] for line in
             subprocess.run(["ldconfig", "-p"], capture_output=True, text=True).stdout.splitlines()
             if line.strip().startswith("libfluidsynth.so.3 ")]
    if not found:
        raise Skip("no libfluidsynth.so.3 in the loader's cache")

    def hide(tmp):
        empty = os.path.join(tmp, "empty.so")
        open(empty, "wb").close()
        return [(empty, os.path.realpath(path)) for path in found]
    synth_cannot_open_case(args, "nofluidsynth", hide, "FluidSynth cannot be loaded")


def system_soundfont():
    """The file behind the first General MIDI soundfont the program would find, or None."""
    for folder in SOUNDFONT_FOLDERS:
        for name in ("default-GM.sf2", "FluidR3_GM.sf2", "TimGM6mb.sf2"):
            if os.path.exists(os.path.join(folder, name)):
                return os.path.realpath(os.path.join(folder, name))
    return None


def case_soundfont_changed_while_playing(args):
    """The soundfont removed, cut short or replaced by garbage while the synthesizer plays it,
    then another program chosen (its samples not read yet) and a key held: the program goes on,
    playing the file as it was first opened where that is still there; a file cut short leaves
    the new program silent and says so once on standard error. The close saves the program."""
    source = system_soundfont()
    if source is None:
        raise Skip("no General MIDI soundfont installed")

    def garbage(path):
        with open(path + ".new", "wb") as f:
            f.write(os.urandom(1 << 20))
        os.rename(path + ".new", path)

    for fault, heard in ((os.remove, True), (lambda path: os.truncate(path, 0), False), (garbage, True)):
        with Session(args, "font_changed") as s:
            fonts = s.own_soundfonts()
            font = os.path.join(fonts, "default-GM.sf2")
            shutil.copy(source, font)
            s.use_file_synth()
            s.start_x()
            s.start(run_as=private_mounts(soundfont_mounts(fonts)))
            s.key("q")  # the piano's samples are read now
            time.sleep(1.0)  # and its note has died away
            fault(font)
            s.key("alt+m", "p", *["Down"] * 5, "Right", "Return")  # Program > Strings > Violin
            s.xdotool("keydown", "q")
            time.sleep(0.8)
            s.xdotool("keyup", "q")
            time.sleep(0.3)
            check(s.program.poll() is None, f"the program ended with status {s.program.returncode}")
            s.close()
            check(s.saved()["program"] == 40, "the violin was not saved")
            # The violin's note is the end of the file: held 0.8 s, then the close.
            wav = s.env["PLINKETT_SYNTH_FILE"]
            with wave.open(wav, "rb") as w:
                length = w.getnframes() / w.getframerate()
            violin = max(wav_rms(wav, t, t + 0.1) or 0.0 for t in
                         (length - 1.5 + i / 20.0 for i in range(28)))
            said = s.program_said().count("cannot read the soundfont")
            check(said == (0 if heard else 1), f"the unreadable soundfont was reported {said} times")
            if heard:
                check(violin > 200, f"the violin of the file as first opened is silent ({violin:.1f})")
            else:
                check(violin < 5, f"the samples cut off the file sound ({violin:.1f})")


def many_presets_soundfont(path, presets):
    """A soundfont of one sine sample, one instrument and that many presets (bank and number
    counting up), each playing the instrument: whole and valid, but FluidSynth's load and its
    letting go of the presets take time that grows with the square of their count."""
    def chunk(name, data):
        return name + struct.pack("<I", len(data)) + data + b"\0" * (len(data) % 2)

    points = 2000
    sine = b"".join(struct.pack("<h", int(8000 * math.sin(2 * math.pi * i / 100)))
                    for i in range(points)) + b"\0" * 92  # 46 zero points end every sample
    info = chunk(b"ifil", struct.pack("<HH", 2, 1)) + chunk(b"isng", b"EMU8000\0") + \
        chunk(b"INAM", b"Many presets\0\0")
    phdr = b"".join(struct.pack("<20sHHHIII", f"P{i}".encode(), i % 128, i // 128, i, 0, 0, 0)
                    for i in range(presets)) + struct.pack("<20sHHHIII", b"EOP", 0, 0, presets, 0, 0, 0)
    pbag = b"".join(struct.pack("<HH", i, 0) for i in range(presets + 1))
    pgen = struct.pack("<HH", 41, 0) * presets + struct.pack("<HH", 0, 0)  # 41: the instrument
    no_modulator = b"\0" * 10
    inst = struct.pack("<20sH", b"Sine", 0) + struct.pack("<20sH", b"EOI", 1)
    ibag = struct.pack("<HH", 0, 0) + struct.pack("<HH", 2, 0)
    igen = struct.pack("<HH", 54, 1) + struct.pack("<HH", 53, 0) + struct.pack("<HH", 0, 0)  # loop; sample 0
    shdr = struct.pack("<20sIIIIIBbHH", b"Sine", 0, points, 100, points - 100, 44100, 60, 0, 0, 1) + \
        struct.pack("<20sIIIIIBbHH", b"EOS", 0, 0, 0, 0, 0, 0, 0, 0, 0)
    pdta = chunk(b"phdr", phdr) + chunk(b"pbag", pbag) + chunk(b"pmod", no_modulator) + \
        chunk(b"pgen", pgen) + chunk(b"inst", inst) + chunk(b"ibag", ibag) + \
        chunk(b"imod", no_modulator) + chunk(b"igen", igen) + chunk(b"shdr", shdr)
    with open(path, "wb") as f:
        f.write(chunk(b"RIFF", b"sfbk" + chunk(b"LIST", b"INFO" + info) +
                      chunk(b"LIST", b"sdta" + chunk(b"smpl", sine)) + chunk(b"LIST", b"pdta" + pdta)))


def case_slow_soundfont_load_never_holds_the_window(args):
    """A soundfont of 45,000 presets keeps FluidSynth loading it for many seconds, and letting go
    of it for as long again: a device change during the load, and a close during the next one,
    leave the window answering at once; the program ends with status 0 and saves the device."""
    with Session(args, "slow_font") as s:
        fonts = s.own_soundfonts()
        many_presets_soundfont(os.path.join(fonts, "default-GM.sf2"), 45000)
        s.use_file_synth()
        s.start_x()
        s.start(run_as=private_mounts(soundfont_mounts(fonts)))
        began = time.monotonic()
        s.devices_menu("Down", "Down", "Return")  # Plinkett GM Synth, below the default route
        s.xdotool("keydown", "q")
        drawn, path = s.key_drawn_pressed("slow-load.png", began + 10)
        answered = time.monotonic() - began
        s.xdotool("keyup", "q")
        # The menu's own pauses and a picture take 1.2 s of that.
        check(drawn and answered < 3.0, f"the window answered the device change after {answered:.1f} s: {path}")
        began = time.monotonic()
        s.close()
        closed = time.monotonic() - began
        check(closed < 2.0, f"the close took {closed:.1f} s")
        saved = s.saved()
        check(saved["savedDeviceId"] == 0 and saved["openAtStart"] == 1, f"saved {saved}")
        print(f"during the load: a device change answered in {answered:.2f} s, the close took {closed:.2f} s")


# Something that is no settings file where the settings file belongs: the window opens at once with
# the first start's settings (a plain read of a pipe would wait for a writer for ever), and the
# close leaves the thing as it was.
NOT_A_SETTINGS_FILE = {
    "settings_fifo_gives_defaults": (os.mkfifo, lambda path: stat.S_ISFIFO(os.stat(path).st_mode)),
    "settings_path_is_a_folder": (os.mkdir, os.path.isdir),
}


def not_a_settings_file_case(name):
    make, still_there = NOT_A_SETTINGS_FILE[name]

    def case(args):
        with Session(args, name) as s:
            s.use_file_synth()
            make(s.settings_path)
            s.start_x()
            began = time.monotonic()
            s.start()
            took = time.monotonic() - began
            check(took < 1.0 + 0.2, f"the window took {took:.2f} s to appear")  # 0.2 s: the search's poll
            _, _, width, height = s.geometry()
            check((width, height) == (400, 200), f"window {width}x{height}, not the first start's 400x200")
            s.close()
            check(still_there(s.settings_path), "what was at the settings path was replaced")
    return case


for _name in NOT_A_SETTINGS_FILE:
    globals()["case_" + _name] = not_a_settings_file_case(_name)


def case_settings_file_of_a_gigabyte(args):
    """A 1 GB settings file (sparse): its first 64 bytes are read at once, the rest never."""
    with Session(args, "huge") as s:
        s.use_file_synth()
        with open(s.settings_path, "wb") as f:
            f.write(settings_bytes(-1, channel=9))
            f.truncate(1 << 30)
        s.start_x()
        began = time.monotonic()
        s.start()
        check(time.monotonic() - began < 5, "the start took longer than reading 64 bytes should")
        s.close()
        saved = s.saved()
        check(saved["channel"] == 9, f"the channel read was {saved['channel']}")


def case_settings_folder_read_only(args):
    """A player whose settings folder is read-only (not root: root writes anywhere): the program
    runs and closes with status 0, and the old file stays byte for byte."""
    if shutil.which("setpriv") is None:
        raise Skip("setpriv is missing")
    with Session(args, "readonly") as s:
        s.use_file_synth()
        s.start_x()
        old = settings_bytes(-1, channel=3)
        s.write_settings(old)
        folder = os.path.dirname(s.settings_path)
        nobody = 65534
        for path in (s.tmp, os.path.join(s.tmp, "config"), s.env["XDG_RUNTIME_DIR"], folder, s.settings_path):
            os.chown(path, nobody, nobody)
        os.chmod(s.tmp, 0o755)
        os.chmod(s.settings_path, 0o644)
        os.chmod(folder, 0o555)
        s.start(run_as=["setpriv", f"--reuid={nobody}", f"--regid={nobody}", "--clear-groups"])
        s.key("Up")  # a setting changed that the program cannot save
        s.close()
        with open(s.settings_path, "rb") as f:
            check(f.read() == old, "the read-only folder's settings file changed")
        check(sorted(os.listdir(folder)) == ["PLINKETT.SET"], f"left behind: {os.listdir(folder)}")
        os.chmod(folder, 0o755)


def case_disk_full_at_save(args):
    """The settings folder on a full disk at shutdown: the program still ends with status 0 and
    the old file is unchanged, with no temporary file left."""
    with Session(args, "full") as s:
        folder = os.path.dirname(s.settings_path)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=16k", "tmpfs", folder],
                                 capture_output=True)
        if mounted.returncode != 0:
            raise Skip(f"cannot mount a small disk here: {mounted.stderr.decode().strip()}")
        try:
            s.use_file_synth()
            s.env["PLINKETT_SYNTH_FILE"] = os.path.join(s.tmp, "synth.wav")
            old = settings_bytes(-1, channel=5)
            s.write_settings(old)
            s.start_x()
            s.start()
            fd = os.open(os.path.join(folder, "filler"), os.O_WRONLY | os.O_CREAT, 0o644)
            try:
                while os.write(fd, b"x" * 512) > 0:
                    pass
            except OSError:
                pass  # the disk is full now
            os.close(fd)
            s.key("Up")
            s.close()
            with open(s.settings_path, "rb") as f:
                check(f.read() == old, "the settings file changed on a full disk")
            check(sorted(os.listdir(folder)) == ["PLINKETT.SET", "filler"], f"left behind: {os.listdir(folder)}")
        finally:
            s.stop_all()
            subprocess.run(["umount", "-l", folder], capture_output=True)


def case_small_screen_brings_the_window_back(args):
    """Saved on a large monitor that is gone: on a 320 x 200 screen the window comes back onto it."""
    with Session(args, "small") as s:
        s.use_file_synth()
        s.write_settings(settings_bytes(-1, rect=(1500, 900, 1900, 1100)))
        s.start_x(screen="320x200x24")
        s.start()
        x, y, width, height = s.geometry()
        check(0 <= x < 320 - 48 and 0 <= y < 200 - 12, f"the window is at {x},{y}, off the 320x200 screen")
        s.screenshot("small-screen.png")
        s.close()


def case_jack_server_dies(args):
    """A stalled JACK server fills the program's queue and a killed one never drains it: with a
    note held and 2,000 key presses each time, the program goes on, the window closes as a user
    closes it, the program ends with status 0 and writes its settings."""
    with Session(args, "jack_dies") as s:
        device = s.open_with_capture_device()
        os.remove(s.settings_path)  # read at the start; what is there after the close is new
        press_many(s.env["DISPLAY"], ["w", "e"], 20)
        s.capture.expect(["90 39 64", "80 39 40", "90 3B 64", "80 3B 40"] * 10, "fast presses")

        jackd = s.jackd()
        jackd.send_signal(signal.SIGSTOP)
        press_many(s.env["DISPLAY"], ["w", "e"], 2000)
        s.xdotool("keydown", "q")
        # The presses before it are drawn first, one by one.
        drawn, path = s.key_drawn_pressed("stalled-server.png", time.monotonic() + 15)
        s.xdotool("keyup", "q")
        jackd.send_signal(signal.SIGCONT)
        check(drawn, f"the program stopped while the server was stalled: {path}")
        s.capture.settle()  # what was queued before the ring filled arrives first
        s.key("q")
        s.capture.expect(Q_PLAYED, "Q once the server goes on")

        s.xdotool("keydown", "q")
        s.capture.expect(["90 37 64"], "Q held")
        s.kill_jack()
        started = time.monotonic()
        press_many(s.env["DISPLAY"], ["w", "e"], 2000)
        s.xdotool("keyup", "q")
        s.close()
        print(f"2,000 presses and the close: {time.monotonic() - started:.1f} s")
        saved = s.saved()
        check(saved["savedDeviceId"] == device and saved["openAtStart"] == 1, f"saved {saved}")
        check(s.program_said().count("plinkett: JACK: lost: the server has gone") == 1, "the server's end was not said once")


def case_jack_server_returns(args):
    """After the server died and came back, Devices > Active twice reconnects the device: notes
    reach a capture client of the new server."""
    with Session(args, "jack_returns") as s:
        s.open_with_capture_device()
        s.kill_jack()
        s.key("q")
        s.start_jack()  # a new server of the same name, and the capture client again
        s.devices_menu("a")
        s.devices_menu("a")
        s.capture.expect(["C0 00"], "the device opened again")
        s.key("q")
        s.capture.expect(Q_PLAYED, "Q on the new server")
        s.close()


def case_jack_server_stopped(args):
    """A JACK server stopped with SIGSTOP never answers: the close with its port open ends at
    once and saves; a start while it is still stopped shows the window at once with the device
    closed, says why on standard error, and closes at once."""
    with Session(args, "jack_stopped") as s:
        s.use_file_synth()  # a device besides JACK's, so that the start goes on to the window
        s.env["PLINKETT_MIDI_APIS"] = "jack"
        device = s.open_with_capture_device()
        jackd = s.jackd()
        jackd.send_signal(signal.SIGSTOP)
        try:
            began = time.monotonic()
            s.close()
            first_close = time.monotonic() - began
            check(first_close < 2.0, f"the close took {first_close:.1f} s")
            saved = s.saved()
            check(saved["savedDeviceId"] == device and saved["openAtStart"] == 1, f"saved {saved}")

            began = time.monotonic()
            s.start()  # its first window is the box "Cannot open MIDI device"
            start = time.monotonic() - began
            check(start < 5.0, f"the start took {start:.1f} s")
            s.past_the_box()
            began = time.monotonic()
            s.close()
            took = time.monotonic() - began
            check(took < 2.0, f"the close after the start took {took:.1f} s")
            check(s.saved()["openAtStart"] == 0, "the device was saved as open")
            log = s.program_said()
            check(log.count("plinkett: JACK: lost: the server did not answer") == 1, f"standard error: {log[-800:]}")
            print(f"with the server stopped: close with the port open {first_close:.2f} s, "
                  f"start {start:.2f} s, close {took:.2f} s")
        finally:
            jackd.send_signal(signal.SIGCONT)


def case_devices_menu_offers_new_client(args):
    """A capture client started after the program is offered when the Devices menu opens, and
    plays once chosen."""
    with Session(args, "live_list") as s:
        s.open_with_capture_device()
        late_client = f"e2elate{os.getpid()}"
        late = s.add_capture(late_client)
        s.choose_device(f"{late_client}:in")
        late.expect(["C0 00"], "the late client opened")
        s.key("q")
        late.expect(Q_PLAYED, "Q at the late client")
        s.capture.expect([], "the first client after the switch")
        stop(late.process)
        s.key("q")
        s.close()
        check(f"plinkett: {late_client}:in: lost: its JACK connection was cut" in s.program_said(),
              "standard error does not say the late client went")


def case_own_jack_port(args):
    """Our own JACK port: chosen, the program shows an output port connected nowhere; connected
    by hand, it plays; closed, it is gone."""
    with Session(args, "own_port") as s:
        s.start_x()
        s.start_jack()
        s.write_settings(settings_bytes(s.device_id_of("Plinkett output port (JACK)")))
        s.start()
        listing = s.run(["jack_lsp", "-c"]).stdout.splitlines()
        check("Plinkett:out" in listing, f"no port Plinkett:out in {listing}")
        after = listing[listing.index("Plinkett:out") + 1:]
        check(not after or not after[0].startswith(" "), f"Plinkett:out is connected: {listing}")
        result = s.run(["jack_connect", "Plinkett:out", f"{s.capture_client}:in"])
        check(result.returncode == 0, f"jack_connect failed: {result.stderr}")
        s.key("q")
        s.capture.expect(Q_PLAYED, "Q through the port connected by hand")
        s.devices_menu("a")
        s.capture.expect(ALL_NOTES_OFF, "closing")
        listing = s.run(["jack_lsp"]).stdout.splitlines()
        check("Plinkett:out" not in listing, f"the port outlived its closing: {listing}")
        s.close()


def remembered_by_name_case(args, name, first_client, second_client):
    """Two capture clients started in one order at the first run, the second chosen; started
    in the other order at the next start, notes still reach the chosen one."""
    with Session(args, name) as s:
        s.start_x()
        s.start_jack(client=first_client)
        first = s.capture
        first_name = f"{first_client}:in"
        second = s.add_capture(second_client)
        second_name = f"{second_client}:in"
        s.write_settings(settings_bytes(s.device_id_of(first_name)))
        s.start()
        first.expect(["C0 00"], "the saved device opened")
        s.choose_device(second_name)
        second.expect(["C0 00"], "the other device chosen")
        chosen_number = s.device_id_of(second_name)
        s.close()

        stop(first.process)
        stop(second.process)
        second = s.add_capture(second_client)
        first = s.add_capture(first_client)
        check(s.device_id_of(first_name) == chosen_number,
              "the saved number should now name the other client")
        s.start()
        second.expect(["C0 00"], "the chosen device opened by its name")
        s.key("q")
        second.expect(Q_PLAYED, "Q at the chosen device")
        first.expect([], "the device that now has the saved number")
        s.close()


def case_device_remembered_by_name(args):
    remembered_by_name_case(args, "by_name", f"e2ecapture{os.getpid()}", f"e2esecond{os.getpid()}")


def case_device_remembered_by_its_whole_name(args):
    """JACK port names alike in their first 31 bytes and more: the whole name tells them apart."""
    prefix = f"e2e-two-clients-alike-far-past-31-bytes-{os.getpid()}-"
    remembered_by_name_case(args, "whole_name", prefix + "one", prefix + "two")


def case_remembered_device_gone(args):
    """The device chosen at the last run is gone and another has its number now: the start says
    "Cannot open MIDI device" and plays nothing anywhere, rather than opening the other one."""
    with Session(args, "gone") as s:
        s.start_x()
        s.start_jack()
        chosen_client = f"e2echosen{os.getpid()}"
        chosen = s.add_capture(chosen_client)
        s.write_settings(settings_bytes(s.capture_device_id()))
        s.start()
        s.capture.expect(["C0 00"], "the saved device opened")
        s.choose_device(f"{chosen_client}:in")
        chosen.expect(["C0 00"], "the device chosen")
        number = s.device_id_of(f"{chosen_client}:in")
        s.close()

        stop(chosen.process)
        newcomer_client = f"e2enewcomer{os.getpid()}"
        newcomer = s.add_capture(newcomer_client)
        check(s.device_id_of(f"{newcomer_client}:in") == number,
              "the newcomer should have the chosen device's number")
        s.start()
        s.past_the_box()
        s.key("q")
        newcomer.expect([], "the device that has the number now")
        s.capture.expect([], "the first device")
        s.close()
        check(s.saved()["openAtStart"] == 0, "the device is remembered as open")


def case_device_switch_ends_the_held_note_there(args):
    """Q held while another device is chosen: the first device hears Q end before it is left;
    the second hears its opening and nothing of Q, not even when Q comes up."""
    with Session(args, "switch") as s:
        s.open_with_capture_device()
        other_client = f"e2eother{os.getpid()}"
        other = s.add_capture(other_client)
        s.run(["xset", "r", "off"])  # no repeats of the held Q into the open menu
        s.xdotool("keydown", "q")
        s.capture.expect(["90 37 64"], "Q held")
        s.choose_device(f"{other_client}:in")
        other.expect(["C0 00"], "the other device opened")
        s.xdotool("keyup", "q")
        other.expect([], "Q let go after the switch")
        s.capture.expect(["80 37 40"], "the device switched from")
        s.close()


def case_settings_on_a_deep_path(args):
    """A configuration folder 600 characters deep (XDG_CONFIG_HOME): the settings are read from
    it and written back to it."""
    with Session(args, "deep") as s:
        config = os.path.join(s.tmp, *["folder-of-a-deep-tree-" + "d" * 38] * 10)
        os.makedirs(os.path.join(config, "plinkett"))
        s.env["XDG_CONFIG_HOME"] = config
        s.settings_path = os.path.join(config, "plinkett", "PLINKETT.SET")
        check(len(s.settings_path) > 600, f"the path has {len(s.settings_path)} characters")
        s.open_with_capture_device(channel=7)  # read: the opening's program change is on channel 8
        s.key("Up")
        s.close()
        check(s.saved()["transpose"] == 1, "the transposition was not saved")


def wav_rms(path, start, end):
    """Root mean square of the 16-bit samples between start and end seconds (None: to the
    end of the file); None if the file is unreadable."""
    try:
        with wave.open(path, "rb") as w:
            check(w.getsampwidth() == 2, "not 16-bit audio")
            rate, total = w.getframerate(), w.getnframes()
            first = min(total, int(start * rate))
            last = total if end is None else min(total, int(end * rate))
            w.setpos(first)
            frames = w.readframes(last - first)
    except (OSError, EOFError, wave.Error):
        return None
    count = len(frames) // 2
    if count == 0:
        return 0.0
    samples = struct.unpack(f"<{count}h", frames[:2 * count])
    return math.sqrt(sum(v * v for v in samples) / count)


# ---- The desktop's conventions and the faults a new user met ----------------------------------

def case_menu_closed_by_escape_gives_keys_back(args):
    """Alt+M opens the Midi menu and Esc closes it: the next note key plays at once."""
    with Session(args, "menu_escape") as s:
        s.open_with_capture_device()
        s.key("alt+m")
        time.sleep(0.4)
        s.key("Escape")  # taken by the open menu: no panic messages reach the capture
        time.sleep(0.4)
        s.key("q")
        s.capture.expect(Q_PLAYED, "Q after a menu was closed with Esc")


def case_note_held_through_menu_ends(args):
    with Session(args, "menu_held") as s:
        s.open_with_capture_device()
        runner.held_note_through_menu(s, "alt+m", ["Escape"])


def case_command_line_help_and_version(args):
    """--version and --help print and end with 0, with no display and with one that is never
    opened (a display name that names no server)."""
    check(args.program, "the program was not built")
    version = None
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src",
                           "platform", "events.h")) as f:
        for line in f:
            if "kVersion = " in line:
                version = line.split('"')[1]
    check(version, "no version in events.h")
    base = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    for env in (base, dict(base, DISPLAY=":4711")):
        shown = subprocess.run([args.program, "--version"], env=env, capture_output=True,
                               text=True, timeout=20)
        check(shown.returncode == 0, f"--version ended with {shown.returncode}: {shown.stderr}")
        check(shown.stdout == f"plinkett {version}\n", f"--version printed {shown.stdout!r}")
        helped = subprocess.run([args.program, "--help"], env=env, capture_output=True,
                                text=True, timeout=20)
        check(helped.returncode == 0, f"--help ended with {helped.returncode}: {helped.stderr}")
        check(helped.stdout.startswith("Usage: plinkett") and "--version" in helped.stdout,
              f"--help printed {helped.stdout!r}")


def uneven_blocks(image, top):
    """How many aligned 2 x 2 pixel blocks below row top are not of one colour. A picture
    enlarged twice from a smaller one has none."""
    width, height, rgb = image
    n = 0
    for y in range(top - top % 2, height - 1, 2):
        for x in range(0, width - 1, 2):
            i, j = 3 * (y * width + x), 3 * ((y + 1) * width + x)
            if not (rgb[i:i + 3] == rgb[i + 3:i + 6] == rgb[j:j + 3] == rgb[j + 3:j + 6]):
                n += 1
    return n


def case_hidpi_keys_at_full_resolution(args):
    """Q held at device pixel ratios 1 and 2 (both pictures kept): at 2 the window is twice as
    large and the keys and labels are drawn at the screen's resolution, not enlarged from 1."""
    sizes = {}
    for ratio in (1, 2):
        with Session(args, f"dpr{ratio}") as s:
            s.env["QT_SCALE_FACTOR"] = str(ratio)
            s.open_with_capture_device()
            s.xdotool("keydown", "q")
            s.capture.expect(["90 37 64"], "Q held")
            time.sleep(0.3)
            path, image = s.screenshot(f"keyboard-dpr{ratio}.png")
            s.xdotool("keyup", "q")
            s.capture.expect(["80 37 40"], "Q released")
            check(solid_dark_box(image) is not None, f"no key drawn pressed in {path}")
            sizes[ratio] = image[:2]
            if ratio == 2:
                # The keys lie in the lower half, well below the menu bar.
                detail = uneven_blocks(image, image[1] // 2)
                check(detail > 100, f"the keyboard is enlarged from ratio 1 ({detail} uneven "
                                    f"2 x 2 blocks) in {path}")
    check(abs(sizes[2][0] - 2 * sizes[1][0]) <= 2 and abs(sizes[2][1] - 2 * sizes[1][1]) <= 2,
          f"window sizes {sizes[1]} at ratio 1 and {sizes[2]} at ratio 2")


def main_thread_wakeups(pid):
    """Context switches of the process's main thread so far: each time it slept and woke."""
    with open(f"/proc/{pid}/task/{pid}/status") as f:
        fields = dict(line.split(":", 1) for line in f if ":" in line)
    return int(fields["voluntary_ctxt_switches"]) + int(fields["nonvoluntary_ctxt_switches"])


def case_idle_main_thread_sleeps(args):
    """With nothing to do the main thread sleeps: no timer ticks that do nothing."""
    with Session(args, "idle") as s:
        s.open_with_capture_device()
        time.sleep(1.0)  # start-up's last paints and X replies
        before = main_thread_wakeups(s.program.pid)
        time.sleep(2.0)
        woken = main_thread_wakeups(s.program.pid) - before
        check(woken <= 6, f"the idle main thread woke {woken} times in 2 s")
        print(f"idle main thread: {woken} wake-ups in 2 s")


def case_wayland_only_starts(args):
    """With only WAYLAND_DISPLAY set (no X server) the program starts on Wayland, here a headless
    weston, opens its device and shows its window (the picture is kept)."""
    for tool in ("weston", "weston-screenshooter"):
        if shutil.which(tool) is None:
            raise Skip(f"missing {tool} (scripts/install-deps.sh installs it)")
    with Session(args, "wayland") as s:
        s.start_jack()
        s.write_settings(settings_bytes(s.capture_device_id()))
        socket = f"plinkett-e2e-{os.getpid()}"
        # Pixman draws into memory, so the screen can be photographed; --debug allows that.
        s.spawn("weston", ["weston", "--backend=headless-backend.so", "--use-pixman", "--debug",
                           f"--socket={socket}", "--idle-time=0", "--width=800", "--height=500"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 15
        while not os.path.exists(os.path.join(s.env["XDG_RUNTIME_DIR"], socket)):
            check(time.monotonic() < deadline, "weston did not open its socket")
            time.sleep(0.1)
        s.env.pop("QT_QPA_PLATFORM")
        s.env.pop("DISPLAY", None)
        s.env["WAYLAND_DISPLAY"] = socket
        s.spawn_program([args.program])
        deadline = time.monotonic() + 30
        while not s.capture.new() and time.monotonic() < deadline:
            check(s.program.poll() is None, f"the program ended with {s.program.returncode}")
            time.sleep(0.1)
        s.capture.expect(["C0 00"], "opening on Wayland")
        time.sleep(1.0)  # the first frame
        check(s.program.poll() is None, f"the program ended with {s.program.returncode}")
        shots = os.path.join(s.tmp, "shots")
        os.makedirs(shots)
        taken = s.run(["weston-screenshooter"], timeout=20, cwd=shots)
        check(taken.returncode == 0 and os.listdir(shots), f"no picture of the screen: {taken.stderr}")
        os.makedirs(args.artifacts, exist_ok=True)
        path = os.path.join(args.artifacts, "wayland.png")
        shutil.move(os.path.join(shots, os.listdir(shots)[0]), path)
        image = read_image(path)
        # weston's own background and panel are not white; the keys are.
        white = count_pixels(image, (0, 0, image[0], image[1]), is_white)
        check(white > 2000, f"no keyboard on the screen ({white} white pixels) in {path}")


NEEDS = ["Xvfb", "xdotool", "xset", "import", "convert", "jackd", "jack_lsp", "jack_connect"]


def add_arguments(parser):
    parser.add_argument("--capture", required=True)
    parser.add_argument("--midi-tool", required=True)
    parser.add_argument("--program")


def machine_ready(args):
    missing = [tool for tool in NEEDS if shutil.which(tool) is None]
    if missing:
        raise Skip(f"missing {' '.join(missing)} (scripts/install-deps.sh installs them)")


if __name__ == "__main__":
    sys.exit(runner.main(runner.cases_of(globals()), add_arguments, machine_ready))
