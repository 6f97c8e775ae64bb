#!/usr/bin/env python3
"""End-to-end tests of the page, as a target of the runner the desktop programs share
(tests/e2e/runner.py): Debian's Chromium, headless, with the page served on the loopback address,
driven by page_target.mjs (puppeteer-core) over a pipe, one JSON line a request; the recording
Web MIDI stand-in is the device the program opens, as the recording winmm.dll is on Windows.

    e2e_web.py <case> --page DIR --artifacts DIR
"""

import base64
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import runner  # noqa: E402
from runner import ALL_NOTES_OFF, Failure, check, read_image, read_settings, settings_bytes  # noqa: E402

TARGET = os.path.join(os.path.dirname(os.path.abspath(__file__)), "page_target.mjs")
RECORDING_OUTPUT = 1  # the stand-in's output, after the built-in synthesizer (device 0)


class PageCapture(runner.Capture):
    """What the recording output heard; after the close, what it heard up to the page's end."""

    def __init__(self, session):
        super().__init__()
        self.session = session

    def lines(self):
        if self.session.closed is not None:
            return self.session.closed
        return self.session.ask("capture")


class Session(runner.Session):
    """One page in a fresh browser profile; the window is the page's keyboard."""

    def __init__(self, args, case):
        super().__init__(args, case, dict(os.environ))
        self.driver = self.spawn("page", ["node", TARGET, args.page], stdin=subprocess.PIPE,
                                 stdout=subprocess.PIPE, text=True)
        self.capture = PageCapture(self)
        self.closed = None

    def ask(self, op, **fields):
        self.driver.stdin.write(json.dumps({"op": op, **fields}) + "\n")
        self.driver.stdin.flush()
        line = self.driver.stdout.readline()
        check(line, f"the page's driver ended at {op}")
        answer = json.loads(line)
        check("error" not in answer, f"{op}: {answer.get('error')}")
        return answer["ok"]

    def stop_all(self):
        if self.driver.poll() is None:
            try:
                self.driver.stdin.write(json.dumps({"op": "quit"}) + "\n")
                self.driver.stdin.close()
                self.driver.wait(timeout=20)
            except (OSError, subprocess.TimeoutExpired):
                pass
        super().stop_all()

    def start(self, settings=None):
        """The page shown, its settings first holding these 64 bytes (None: a first start)."""
        self.ask("start", settings=base64.b64encode(settings).decode() if settings else None)

    def open_recording_output(self, channel=0, program=0, **fields):
        """A start that opens the recording output: its program change comes first."""
        self.start(settings_bytes(RECORDING_OUTPUT, channel=channel, program=program, **fields))
        self.capture.expect([f"C{channel:X} {program:02X}"], "opening the recording output")

    def key(self, *names):
        self.ask("key", names=list(names))

    def hold(self, name):
        self.ask("hold", name=name)

    def let_go(self, name):
        self.ask("let_go", name=name)

    def steps(self, *steps):
        for step in steps:
            if step[0] == "keydown":
                self.hold(step[1])
            elif step[0] == "keyup":
                self.let_go(step[1])
            elif step[0] == "key":
                self.key(*step[1:])
            else:
                super().steps(step)

    def click(self, x, y):
        self.ask("click", x=int(x), y=int(y))

    def close(self):
        """As a player closes the tab: the page goes away and its close is what it sent last."""
        self.closed = self.ask("close")

    def saved(self):
        path = os.path.join(self.tmp, "PLINKETT.SET")
        with open(path, "wb") as f:
            f.write(base64.b64decode(self.ask("saved")))
        return read_settings(path)

    def screenshot(self, name):
        """The keyboard's client area, as the desktop targets photograph their window."""
        os.makedirs(self.args.artifacts, exist_ok=True)
        path = os.path.join(self.args.artifacts, name)
        self.ask("screenshot", path=path)
        return path, read_image(path)


def case_keys(args):
    """The keys with their duties, each row of the shared table in one start."""
    with Session(args, "web-keys") as s:
        s.open_recording_output()
        runner.play_key_rows(s)


def case_mouse_click_plays_key(args):
    """Finds Q's key in a picture of the keyboard and clicks the lower manual's C from it."""
    with Session(args, "web-mouse") as s:
        s.open_recording_output()
        box, _, _ = runner.pressed_q_box(s, "web-pressed.png")
        runner.click_lower_c(s, box)


def case_note_held_through_menu_ends(args):
    with Session(args, "web-menu-held") as s:
        s.open_recording_output()
        runner.held_note_through_menu(s, "alt+m", ["Escape"])


def case_close_saves_and_silences(args):
    with Session(args, "web-close") as s:
        s.open_recording_output(channel=2, program=5)
        s.close()
        s.capture.expect(ALL_NOTES_OFF, "closing")
        saved = s.saved()
        check(saved["savedDeviceId"] == RECORDING_OUTPUT, f"saved device {saved['savedDeviceId']}")
        check(saved["openAtStart"] == 1, f"open-at-start {saved['openAtStart']}")
        check(saved["channel"] == 2 and saved["program"] == 5 and saved["velocity"] == 100, f"saved {saved}")


def add_arguments(parser):
    parser.add_argument("--page", required=True)


def machine_ready(args):
    check(os.path.isfile(os.path.join(args.page, "plinkett.wasm")), f"no page built in {args.page}")


if __name__ == "__main__":
    try:
        sys.exit(runner.main(runner.cases_of(globals()), add_arguments, machine_ready))
    except Failure as failure:
        print(f"FAIL: {failure}")
        sys.exit(1)
