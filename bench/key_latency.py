#!/usr/bin/env python3
"""How long a key press takes to become a MIDI message: the real program under Xvfb, key
presses injected with XTEST at known moments, a JACK MIDI capture client that notes when each
event reaches it. Prints minimum, median, 95th percentile and maximum for note-on and note-off.

    key_latency.py --capture P --midi-tool P --program P [--presses N]

The figure includes JACK's own cycle (256 frames at 48 kHz, 5.3 ms): a message handed to JACK
waits for the next cycle, so about half a cycle on average is JACK's, not the program's.
"""

import argparse
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import e2e  # noqa: E402  (the end-to-end harness: X server, JACK server, capture client)


def xtest(display_name):
    x11, xtst, display = e2e.open_xtest(display_name)
    keycode = x11.XKeysymToKeycode(display, x11.XStringToKeysym(b"q"))

    def key(press):
        # The moment the request leaves for the X server, on the clock JACK uses.
        start = time.monotonic_ns() // 1000
        xtst.XTestFakeKeyEvent(display, keycode, 1 if press else 0, 0)
        x11.XFlush(display)
        return start

    return key


def summary(name, values_us):
    ms = sorted(v / 1000.0 for v in values_us)
    p95 = ms[min(len(ms) - 1, int(round(0.95 * (len(ms) - 1))))]
    print(f"{name:9s} n={len(ms):4d}  min {ms[0]:6.2f} ms  median {statistics.median(ms):6.2f} ms  "
          f"p95 {p95:6.2f} ms  max {ms[-1]:6.2f} ms")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--capture", required=True)
    parser.add_argument("--midi-tool", required=True)
    parser.add_argument("--program", required=True)
    parser.add_argument("--presses", type=int, default=200)
    args = parser.parse_args()
    args.artifacts = os.path.join(os.getcwd(), "bench-artifacts")
    with e2e.Session(args, "latency") as s:
        s.open_with_capture_device(times=True)
        s.run(["xset", "r", "off"])  # one press, one note: no auto-repeat in the figures
        key = xtest(s.env["DISPLAY"])
        presses, releases = [], []
        for _ in range(args.presses):
            presses.append(key(True))
            time.sleep(0.02)
            releases.append(key(False))
            time.sleep(0.03)
        time.sleep(0.5)
        events = [(event, when) for event, when in s.capture.timed() if event.startswith(("90", "80"))]
        ons = [when for event, when in events if event.startswith("90")]
        offs = [when for event, when in events if event.startswith("80")]
        e2e.check(len(ons) == args.presses and len(offs) == args.presses,
                  f"{len(ons)} note-ons and {len(offs)} note-offs for {args.presses} presses")
        print(f"key press to MIDI at a JACK input, {args.presses} presses of Q "
              f"(Release build, Xvfb, jackd dummy driver, 256 frames at 48 kHz)")
        summary("note-on", [on - pressed for on, pressed in zip(ons, presses)])
        summary("note-off", [off - released for off, released in zip(offs, releases)])
        s.close()
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except e2e.Failure as failure:
        print(f"FAIL: {failure}")
        sys.exit(1)
