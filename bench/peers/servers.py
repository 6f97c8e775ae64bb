"""The run's shared world: one X server (Xvfb), one JACK server (dummy driver), the probe (a JACK
client with a MIDI input and an audio input), the map watcher and the XTEST typist."""

import os
import tempfile
import time

import runner
from hub import Failure, Hub, Keys
from machine import cpu_ticks, machine_ticks, others_pct, tree

PROBE = "peersprobe"


def run_environment():
    env = {k: v for k, v in os.environ.items()
           if k not in ("WAYLAND_DISPLAY", "SESSION_MANAGER", "DBUS_SESSION_BUS_ADDRESS", "DISPLAY")}
    env.update({
        "JACK_NO_START_SERVER": "1",
        "JACK_DEFAULT_SERVER": f"plinkett-peers-{os.getpid()}",
        "QT_QPA_PLATFORM": "xcb",
        "NO_AT_BRIDGE": "1",
        "LANG": "C.UTF-8",
    })
    return env


class Servers:
    def __init__(self, args):
        self.args = args
        self.hub = Hub()
        self.tmp = tempfile.mkdtemp(prefix="plinkett-peers-")
        self.soundfont = args.soundfont
        self.notes = []
        self.env = run_environment()
        # One cache for the whole run (font caches stay warm, as on a desktop); configuration
        # is fresh for every launch.
        self.cache = os.path.join(self.tmp, "cache")
        os.makedirs(self.cache, mode=0o700)

    def start(self):
        a = self.args
        self.env["DISPLAY"] = runner.start_xvfb(
            lambda name, argv, pass_fds, **_: self.hub.spawn(name, argv, self.env, pass_fds=pass_fds),
            "1280x1024x24")
        self.start_jack()
        self.start_probe()
        self.check_clock()
        self.probe_device = self.midi_input_index()
        self.watch, self.watch_out = self.hub.spawn("mapwatch", [a.mapwatch], self.env, reader=True)
        _, ready = self.hub.wait(self.watch_out, lambda l: l.startswith("READY"), 10, "the map watcher")
        self.watch_fifo = ready.endswith("yes")
        self.keys = Keys(self.hub, self.env, a.keys)

    def jack_log_text(self):
        with open(self.jack_log, errors="replace") as f:
            return f.read()

    def start_jack(self):
        a = self.args
        self.jack_log = os.path.join(self.tmp, "jackd.log")
        argv = ["jackd", "-n", self.env["JACK_DEFAULT_SERVER"]]
        argv += ["-R"] if a.realtime else ["--no-realtime"]
        argv += ["-d", "dummy", "-r", str(a.rate), "-p", str(a.period)]
        with open(self.jack_log, "wb") as log:
            self.jackd = self.hub.spawn("jackd", argv, self.env, log=log)
        self.jack_argv = argv
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and "starting in" not in self.jack_log_text():
            if self.jackd.poll() is not None:
                raise Failure(f"jackd ended at start-up:\n{self.jack_log_text()[-2000:]}")
            time.sleep(0.05)
        self.jack_realtime = "starting in realtime mode" in self.jack_log_text()
        if a.realtime and not self.jack_realtime:
            self.notes.append("jackd -R did not get realtime scheduling; it runs without")

    def start_probe(self):
        """The probe, once the JACK server answers it (a server still starting is tried again)."""
        a = self.args
        deadline = time.monotonic() + 15
        while True:
            self.probe, self.probe_out = self.hub.spawn(
                "probe", [a.probe, PROBE, "--threshold", str(a.threshold), "--quiet-ms", str(a.quiet_ms)],
                self.env, reader=True, stdin=True)
            try:
                _, ready = self.hub.wait(self.probe_out, lambda l: l.startswith("READY"),
                                         max(0.1, deadline - time.monotonic()), "the probe joining the JACK server")
                break
            except Failure:
                self.hub.readers.remove(self.probe_out)
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.2)
        self.rate, self.period = (int(v) for v in ready.split()[1:3])

    def ask_probe(self, command, answer, what):
        return self.hub.ask(self.probe, self.probe_out, command, answer, 5, what)

    def check_clock(self):
        """JACK's clock against CLOCK_MONOTONIC_RAW (what the typist stamps) and
        CLOCK_MONOTONIC (what the launch and map times are on)."""
        _, line = self.ask_probe("clock", lambda l: l.startswith("CLOCK"), "the probe's clock reading")
        jack, raw, mono = (int(v) for v in line.split()[1:4])
        self.jack_minus_raw = jack - raw
        self.mono_minus_raw = mono - raw
        if abs(self.jack_minus_raw) > 1_000_000:
            self.notes.append(f"JACK's clock is {self.jack_minus_raw / 1e6:.3f} ms from "
                              "CLOCK_MONOTONIC_RAW: key times were moved onto JACK's clock")

    def midi_input_index(self):
        start = len(self.probe_out.lines)
        end, _ = self.ask_probe("list", lambda l: l == "INPUT end", "the probe's list of MIDI inputs")
        ports = [line.split(" ", 2)[2] for line in self.probe_out.lines[start:end] if line.startswith("INPUT ")]
        return ports.index(f"{PROBE}:midi_in")

    # -- the machine's other work

    def own_ticks(self):
        """CPU ticks so far of the harness and everything it started."""
        pids = [os.getpid()] + [q for _, proc in self.hub.procs for q in tree(proc.pid)]
        return sum(cpu_ticks(q) for q in set(pids))

    def others_load(self, seconds):
        """Work on the machine that is not this run's, in % of one core, over seconds."""
        own, machine = self.own_ticks(), machine_ticks()
        self.hub.sleep(seconds)
        return others_pct(self.own_ticks(), machine_ticks(), own, machine)

    def calm(self):
        """Waits, at most --calm seconds, for other work on the machine to fall below
        --calm-below % of a core; returns (seconds waited, the last load seen)."""
        started = time.monotonic()
        while True:
            load = self.others_load(0.5)
            waited = time.monotonic() - started
            if load < self.args.calm_below or waited >= self.args.calm:
                return waited, load
