#!/usr/bin/env python3
"""Plinkett against its peers: one X server (Xvfb) and one JACK server (dummy driver) shared by
every program of the run, the programs taking turns in rounds (A B C ... A B C ...), one table
at the end. Started by bench/peers/run.sh, which builds the helpers and chooses the soundfont;
see that script for the options.

Figures, for each program:
  launch -> window mapped   fork/exec to the X server's MapNotify for its main window (the first
                            top-level one neither override-redirect nor transient), both on
                            CLOCK_MONOTONIC; the watcher blocks on the X connection. Measured at
                            every launch, including launch-only turns.
  memory                    RssAnon + RssFile of the program and its children, 3 s after the map
                            (JACK's shared memory is RssShmem and is left out)
  idle CPU                  utime + stime of the program and its children over the next 10 s
                            (JACK wakes each client 750 times a second at 64 frames)
  key -> MIDI               XTEST key press to the note-on at a JACK MIDI input, on JACK's clock
  key -> sound              XTEST key press to the first sample above the level at a JACK audio
                            input, for programs with a synthesizer playing through JACK
"""

import argparse
import datetime
import json
import math
import os
import platform
import select
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
PROBE = "peersprobe"
CLK_TCK = os.sysconf("SC_CLK_TCK")


class Failure(Exception):
    pass


def mono_ns():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC)


# ---- Processes and their output ------------------------------------------------------------

class Reader:
    """The lines a helper prints, gathered without blocking."""

    def __init__(self, name, proc):
        self.name = name
        self.proc = proc
        self.fd = proc.stdout.fileno()
        os.set_blocking(self.fd, False)
        self.partial = b""
        self.lines = []
        self.eof = False

    def read(self):
        try:
            chunk = os.read(self.fd, 1 << 16)
        except BlockingIOError:
            return
        if not chunk:
            self.eof = True
            return
        *complete, self.partial = (self.partial + chunk).split(b"\n")
        self.lines += [line.decode(errors="replace") for line in complete]


class Hub:
    """Every process the run starts; all helper output is read whenever anything waits, so no
    pipe fills up while the harness waits for another."""

    def __init__(self):
        self.procs = []    # (name, Popen), stopped in reverse order
        self.readers = []

    def spawn(self, name, argv, env, reader=False, stdin=False, log=None, **kwargs):
        out = subprocess.PIPE if reader else (log if log is not None else subprocess.DEVNULL)
        proc = subprocess.Popen(argv, env=env, start_new_session=True,
                                stdin=subprocess.PIPE if stdin else subprocess.DEVNULL,
                                stdout=out, stderr=subprocess.STDOUT if log is not None or reader
                                else subprocess.DEVNULL, **kwargs)
        self.procs.append((name, proc))
        if reader:
            r = Reader(name, proc)
            self.readers.append(r)
            return proc, r
        return proc

    def pump(self, timeout):
        fds = [r.fd for r in self.readers if not r.eof]
        ready, _, _ = select.select(fds, [], [], max(0.0, timeout)) if fds else ([], [], [])
        if not fds:
            time.sleep(max(0.0, timeout))
        for r in self.readers:
            if r.fd in ready:
                r.read()

    def sleep(self, seconds):
        deadline = time.monotonic() + seconds
        while (left := deadline - time.monotonic()) > 0:
            self.pump(left)

    def wait(self, reader, predicate, timeout, what, start=0):
        """The first line from index start on that satisfies predicate: (index, line)."""
        deadline = time.monotonic() + timeout
        i = start
        while True:
            while i < len(reader.lines):
                if predicate(reader.lines[i]):
                    return i, reader.lines[i]
                i += 1
            left = deadline - time.monotonic()
            if left <= 0:
                raise Failure(f"{what}: nothing within {timeout:g} s")
            if reader.eof:
                raise Failure(f"{what}: {reader.name} ended")
            self.pump(min(left, 0.5))

    def stop(self, proc, grace=3.0):
        if proc.poll() is not None:
            return
        for sig, wait in ((signal.SIGTERM, grace), (signal.SIGKILL, 3.0)):
            try:
                os.killpg(proc.pid, sig)
            except ProcessLookupError:
                return
            try:
                proc.wait(timeout=wait)
                return
            except subprocess.TimeoutExpired:
                continue

    def stop_all(self):
        for _, proc in reversed(self.procs):
            self.stop(proc, grace=2.0)
        self.procs.clear()


class Keys:
    """The XTEST typist."""

    def __init__(self, hub, env, path):
        self.hub = hub
        self.proc, self.out = hub.spawn("keys", [path], env, reader=True, stdin=True)

    def ask(self, command, answer, timeout=10.0):
        start = len(self.out.lines)
        self.proc.stdin.write((command + "\n").encode())
        self.proc.stdin.flush()
        _, line = self.hub.wait(self.out, lambda l: l.split()[0] in (answer, "ERROR"), timeout,
                                f"keys: {command}", start)
        if line.startswith("ERROR"):
            raise Failure(f"keys: {line}")
        return start, line


# ---- /proc --------------------------------------------------------------------------------

def tree(pid):
    """pid and its descendants that are alive now."""
    out, todo = [], [pid]
    while todo:
        p = todo.pop()
        out.append(p)
        try:
            for task in os.listdir(f"/proc/{p}/task"):
                with open(f"/proc/{p}/task/{task}/children") as f:
                    todo += [int(c) for c in f.read().split()]
        except OSError:
            pass
    return out


def status_kb(pid, field):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def cpu_ticks(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])  # utime, stime
    except (OSError, IndexError):
        return 0


def machine_ticks():
    with open("/proc/stat") as f:
        values = [int(v) for v in f.readline().split()[1:]]
    idle = values[3] + values[4]
    return sum(values[:8]) - idle, sum(values[:8])


# ---- The programs -----------------------------------------------------------------------------

SETTINGS_FORMAT = "<I2if4i2i6i"  # the program's 64-byte settings file, little-endian
SETTINGS_MAGIC = 0x12993315


def plinkett_settings(device):
    return struct.pack(SETTINGS_FORMAT, SETTINGS_MAGIC, 0, 0, 2.0, 100, 100, 500, 300, 0, device,
                       1, 0, 0, 100, 0, 0)


VMPK_CONF = """[Connections]
AdvancedEnabled=false
InEnabled=false
InputDriver=
OmniEnabled=false
OutPort=FluidSynth
OutputDriver=FluidSynth
ThruEnabled=false

[FluidSynth]
AudioDriver=jack
InstrumentsDefinition={soundfont}
"""


class Program:
    def __init__(self, name, argv, midi=False, sound=False, what=""):
        self.name = name
        self.argv = argv
        self.midi = midi      # sends MIDI to a JACK input
        self.sound = sound    # plays through JACK audio
        self.what = what      # how it runs here, for the notes

    def prepare(self, run, home, env):
        pass


class Floor(Program):
    pass


class Vmpk(Program):
    def prepare(self, run, home, env):
        d = os.path.join(home, "config", "vmpk.sourceforge.net")
        os.makedirs(d, exist_ok=True)
        with open(os.path.join(d, "VMPK.conf"), "w") as f:
            f.write(VMPK_CONF.format(soundfont=run.soundfont))


class Plinkett(Program):
    def __init__(self, name, program, synth):
        super().__init__(name, [program], midi=not synth, sound=synth)
        self.synth = synth

    def prepare(self, run, home, env):
        d = os.path.join(home, "config", "plinkett")
        os.makedirs(d, exist_ok=True)
        if self.synth:
            env["PLINKETT_MIDI_APIS"] = "none"
            env["PLINKETT_SYNTH_AUDIO_DRIVER"] = "jack"
            device = -1  # the mapper, which plays through the built-in synthesizer
        else:
            env["PLINKETT_NO_BUILTIN_SYNTH"] = "1"
            env["PLINKETT_MIDI_APIS"] = "jack"
            device = run.probe_device
        with open(os.path.join(d, "PLINKETT.SET"), "wb") as f:
            f.write(plinkett_settings(device))


# ---- Statistics -------------------------------------------------------------------------------

def percentile(values, p):
    """Nearest-rank percentile."""
    ordered = sorted(values)
    return ordered[max(0, math.ceil(p / 100.0 * len(ordered)) - 1)]


def summary(values):
    if not values:
        return None
    return {"n": len(values), "median": statistics.median(values), "min": min(values),
            "max": max(values), "p99": percentile(values, 99)}


# ---- The run ----------------------------------------------------------------------------------

class Run:
    def __init__(self, args):
        self.args = args
        self.hub = Hub()
        self.tmp = tempfile.mkdtemp(prefix="plinkett-peers-")
        self.soundfont = args.soundfont
        self.launches = 0
        self.events = []      # raw per-launch records
        self.notes = []
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("WAYLAND_DISPLAY", "SESSION_MANAGER", "DBUS_SESSION_BUS_ADDRESS",
                                 "DISPLAY")}
        self.env.update({
            "JACK_NO_START_SERVER": "1",
            "JACK_DEFAULT_SERVER": f"plinkett-peers-{os.getpid()}",
            "QT_QPA_PLATFORM": "xcb",
            "NO_AT_BRIDGE": "1",
            "LANG": "C.UTF-8",
        })
        # One cache for the whole run (font caches stay warm, as on a desktop); configuration
        # is fresh for every launch.
        self.cache = os.path.join(self.tmp, "cache")
        os.makedirs(self.cache, mode=0o700)

    # -- servers and helpers

    def start(self):
        a = self.args
        self.start_x()
        self.start_jack()
        deadline = time.monotonic() + 15
        while True:  # the server may still be starting: try again until it answers
            self.probe, self.probe_out = self.hub.spawn(
                "probe", [a.probe, PROBE, "--threshold", str(a.threshold), "--quiet-ms",
                          str(a.quiet_ms)], self.env, reader=True, stdin=True)
            try:
                _, ready = self.hub.wait(self.probe_out, lambda l: l.startswith("READY"),
                                         max(0.1, deadline - time.monotonic()),
                                         "the probe joining the JACK server")
                break
            except Failure:
                self.hub.readers.remove(self.probe_out)
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.2)
        self.rate, self.period = (int(v) for v in ready.split()[1:3])
        self.check_clock()
        self.probe_device = self.midi_input_index()
        self.watch, self.watch_out = self.hub.spawn("mapwatch", [a.mapwatch], self.env,
                                                    reader=True)
        _, ready = self.hub.wait(self.watch_out, lambda l: l.startswith("READY"), 10,
                                 "the map watcher")
        self.watch_fifo = ready.endswith("yes")
        self.keys = Keys(self.hub, self.env, a.keys)

    def start_x(self):
        read_end, write_end = os.pipe()
        self.hub.spawn("Xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                "1280x1024x24", "-nolisten", "tcp", "-noreset"], self.env,
                       pass_fds=[write_end])
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
            if not ready:
                raise Failure("Xvfb did not report a display within 15 s")
            chunk = os.read(read_end, 16)
            if not chunk:
                raise Failure("Xvfb ended without a display")
            number += chunk
        os.close(read_end)
        self.env["DISPLAY"] = ":" + number.decode().strip()

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
        while time.monotonic() < deadline:
            if self.jackd.poll() is not None:
                raise Failure(f"jackd ended at start-up:\n{open(self.jack_log).read()[-2000:]}")
            if "starting in" in open(self.jack_log, errors="replace").read():
                break
            time.sleep(0.05)
        log = open(self.jack_log, errors="replace").read()
        self.jack_realtime = "starting in realtime mode" in log
        if a.realtime and not self.jack_realtime:
            self.notes.append("jackd -R did not get realtime scheduling; it runs without")

    def check_clock(self):
        """JACK's clock against CLOCK_MONOTONIC_RAW (what the typist stamps) and
        CLOCK_MONOTONIC (what the launch and map times are on)."""
        start = len(self.probe_out.lines)
        self.probe.stdin.write(b"clock\n")
        self.probe.stdin.flush()
        _, line = self.hub.wait(self.probe_out, lambda l: l.startswith("CLOCK"), 5,
                                "the probe's clock reading", start)
        jack, raw, mono = (int(v) for v in line.split()[1:4])
        self.jack_minus_raw = jack - raw
        self.mono_minus_raw = mono - raw
        if abs(self.jack_minus_raw) > 1_000_000:
            self.notes.append(f"JACK's clock is {self.jack_minus_raw / 1e6:.3f} ms from "
                              "CLOCK_MONOTONIC_RAW: key times were moved onto JACK's clock")
        return jack, raw, mono

    def midi_input_index(self):
        start = len(self.probe_out.lines)
        self.probe.stdin.write(b"list\n")
        self.probe.stdin.flush()
        end, _ = self.hub.wait(self.probe_out, lambda l: l == "INPUT end", 5,
                               "the probe's list of MIDI inputs", start)
        ports = [l.split(" ", 2)[2] for l in self.probe_out.lines[start:end]
                 if l.startswith("INPUT ")]
        return ports.index(f"{PROBE}:midi_in")

    # -- the machine's other work

    def own_ticks(self):
        """CPU ticks so far of the harness and everything it started."""
        pids = [os.getpid()] + [q for _, proc in self.hub.procs for q in tree(proc.pid)]
        return sum(cpu_ticks(q) for q in set(pids))

    def others_load(self, seconds):
        """Work on the machine that is not this run's, in % of one core, over seconds."""
        own0, (busy0, total0) = self.own_ticks(), machine_ticks()
        self.hub.sleep(seconds)
        own1, (busy1, total1) = self.own_ticks(), machine_ticks()
        other = (busy1 - busy0) - (own1 - own0)
        return max(0.0, 100.0 * other / max(1, total1 - total0) * os.cpu_count())

    def calm(self):
        """Waits, at most --calm seconds, for other work on the machine to fall below
        --calm-below % of a core; returns (seconds waited, the last load seen)."""
        started = time.monotonic()
        while True:
            load = self.others_load(0.5)
            waited = time.monotonic() - started
            if load < self.args.calm_below or waited >= self.args.calm:
                return waited, load

    # -- one launch of one program

    def launch(self, program, round_number, presses=0, sound_presses=0, mode="full"):
        """mode "full": every figure; "quick": launch to map only, then closed; "warmup": the
        same, not recorded."""
        a = self.args
        self.launches += 1
        home = os.path.join(self.tmp, f"home-{program.name}-{self.launches}")
        for d in ("config", "data", "run"):
            os.makedirs(os.path.join(home, d), mode=0o700)
        env = dict(self.env)
        env.update({"HOME": home, "XDG_CONFIG_HOME": os.path.join(home, "config"),
                    "XDG_DATA_HOME": os.path.join(home, "data"),
                    "XDG_RUNTIME_DIR": os.path.join(home, "run"), "XDG_CACHE_HOME": self.cache})
        program.prepare(self, home, env)
        record = {"program": program.name, "round": round_number, "mode": mode}
        log_path = os.path.join(self.tmp, f"{program.name}-{self.launches}.log")
        if mode == "full" and self.args.calm > 0:
            record["calm_wait_s"], record["others_at_launch_pct"] = self.calm()
        watch_mark = len(self.watch_out.lines)
        probe_mark = len(self.probe_out.lines)
        with open(log_path, "wb") as log:
            launched = mono_ns()
            proc = self.hub.spawn(program.name, program.argv, env, log=log)
        try:
            # The main window: the first top-level window mapped since the launch that is
            # neither override-redirect (menus, tooltips) nor transient for another (dialogs,
            # splash screens). Windows mapped before it are recorded too.
            _, line = self.hub.wait(
                self.watch_out,
                lambda l: l.startswith("MAP ") and l.split()[3:5] == ["0", "0"]
                and int(l.split()[1]) >= launched, 30,
                f"{program.name}: its main window being mapped", watch_mark)
            fields = line.split(" ", 6)
            mapped, window = int(fields[1]), fields[2]
            record["window"] = fields[6]
            record["map_ms"] = (mapped - launched) / 1e6
            record["maps"] = [((int(l.split()[1]) - launched) / 1e6, l.split(" ", 6)[6])
                              for l in self.watch_out.lines[watch_mark:]
                              if l.startswith("MAP ") and int(l.split()[1]) >= launched]
            if mode != "full":
                self.hub.sleep(1.0)  # let it finish starting before it is asked to close
                self.close(proc, window, record)
                return record
            # Memory 3 s after the map; CPU over the 10 s after that.
            self.hub.sleep(max(0.0, (mapped + 3_000_000_000 - mono_ns()) / 1e9))
            pids = tree(proc.pid)
            record["processes"] = len(pids)
            anon = sum(status_kb(p, "RssAnon") for p in pids)
            file_ = sum(status_kb(p, "RssFile") for p in pids)
            record["rss_kb"] = {"anon": anon, "file": file_,
                                "shmem": sum(status_kb(p, "RssShmem") for p in pids)}
            record["rss_mb"] = (anon + file_) / 1024.0
            cpu0 = sum(cpu_ticks(p) for p in pids)
            own0, (busy0, total0) = self.own_ticks(), machine_ticks()
            xrun_mark = len(self.probe_out.lines)
            self.hub.sleep(a.idle)
            pids = tree(proc.pid)
            cpu1 = sum(cpu_ticks(p) for p in pids)
            own1, (busy1, total1) = self.own_ticks(), machine_ticks()
            record["idle_cpu_ms"] = (cpu1 - cpu0) * 1000.0 / CLK_TCK
            # The machine's work in the same window that is not this run's, in % of one core.
            other = (busy1 - busy0) - (own1 - own0)
            record["others_cpu_pct"] = max(0.0, 100.0 * other / max(1, total1 - total0)
                                           * os.cpu_count())
            record["idle_xruns"] = sum(1 for l in self.probe_out.lines[xrun_mark:]
                                       if l.startswith("XRUN"))
            if proc.poll() is not None:
                raise Failure(f"{program.name} ended with status {proc.returncode}")
            self.keys.ask(f"focus {window}", "OK")
            self.hub.sleep(0.3)
            if program.midi and presses:
                record["midi"] = self.key_to_midi(program, probe_mark, presses)
            if program.sound and sound_presses:
                started = time.monotonic()
                record["sound"] = self.key_to_sound(program, sound_presses)
                record["sound"]["seconds"] = time.monotonic() - started
            self.close(proc, window, record)
            return record
        except Failure as failure:
            record["failure"] = str(failure)
            return record
        finally:
            self.hub.stop(proc)
            self.hub.procs = [(n, p) for n, p in self.hub.procs if p is not proc]
            with open(log_path, errors="replace") as f:
                record["log_tail"] = f.read()[-1500:]

    def close(self, proc, window, record):
        """As a window manager's close box would; the caller stops it if that fails."""
        self.keys.ask(f"close {window}", "OK")
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            record["close"] = "did not end within 5 s of WM_DELETE_WINDOW; stopped"

    def key_to_midi(self, program, probe_mark, presses):
        a = self.args
        # The program's MIDI output reaches the probe: connected by the probe, or by the program
        # itself (Plinkett connects to the device its settings name).
        if not any(l.startswith("CONNECTED") or l.startswith("MIDI")
                   for l in self.probe_out.lines[probe_mark:]):
            self.hub.wait(self.probe_out, lambda l: l.startswith(("CONNECTED", "MIDI")), 5,
                          f"{program.name}: a MIDI connection to the probe", probe_mark)
        mark = len(self.probe_out.lines)
        start, _ = self.keys.ask(f"burst {a.key} {presses} {a.hold_ms} {a.gap_ms}", "DONE",
                                 timeout=presses * (a.hold_ms + a.gap_ms) / 1000.0 + 10)
        self.hub.sleep(0.3)
        to_jack = self.jack_minus_raw
        down = [int(l.split()[2]) + to_jack for l in self.keys.out.lines[start:]
                if l.startswith("P ")]
        up = [int(l.split()[2]) + to_jack for l in self.keys.out.lines[start:]
              if l.startswith("R ")]
        ons, offs, xruns = [], [], []
        for line in self.probe_out.lines[mark:]:
            f = line.split()
            if f[0] == "XRUN":
                xruns.append(int(f[1]))
            if f[0] != "MIDI" or len(f) < 6 or len(f[5]) < 6:
                continue
            status, velocity = int(f[5][0:2], 16) & 0xF0, int(f[5][4:6], 16)
            if status == 0x90 and velocity > 0:
                ons.append((int(f[1]), int(f[3])))
            elif status == 0x80 or status == 0x90:
                offs.append((int(f[1]), int(f[3])))
        return {"on_ms": pair(down, ons), "off_ms": pair(up, offs), "presses": len(down),
                "note_ons": len(ons), "note_offs": len(offs), "xruns": len(xruns),
                "offsets": sorted({o for _, o in ons})[:20]}

    def loud_since(self):
        """Index of the SOUND line the probe last reported, if no QUIET has followed it."""
        lines = self.probe_out.lines
        for i in range(len(lines) - 1, -1, -1):
            if lines[i].startswith("QUIET"):
                return None
            if lines[i].startswith("SOUND"):
                return i
        return None

    def key_to_sound(self, program, count):
        a = self.args
        latencies, misses = [], 0
        for _ in range(count):
            # Each press starts from silence.
            loud = self.loud_since()
            if loud is not None:
                self.hub.wait(self.probe_out, lambda l: l.startswith("QUIET"), 8,
                              f"{program.name}: silence before the next key", loud)
            self.hub.sleep(0.1)
            mark = len(self.probe_out.lines)
            _, line = self.keys.ask(f"down {a.key}", "T")
            pressed = int(line.split()[1]) + self.jack_minus_raw
            try:
                _, heard = self.hub.wait(self.probe_out, lambda l: l.startswith("SOUND"), 3,
                                         f"{program.name}: sound after a key", mark)
                latencies.append((int(heard.split()[1]) - pressed) / 1e6)
            except Failure:
                misses += 1
            self.hub.sleep(a.sound_hold_ms / 1000.0)
            self.keys.ask(f"up {a.key}", "T")
        loud = self.loud_since()
        if loud is not None:
            self.hub.wait(self.probe_out, lambda l: l.startswith("QUIET"), 8,
                          f"{program.name}: silence after the last key", loud)
        return {"ms": latencies, "misses": misses}


def pair(keys, events):
    """Each key time with the first event at or after it and before the next key: ms each."""
    out, j = [], 0
    for i, t in enumerate(keys):
        nxt = keys[i + 1] if i + 1 < len(keys) else float("inf")
        while j < len(events) and events[j][0] < t:
            j += 1
        if j < len(events) and events[j][0] < nxt:
            out.append((events[j][0] - t) / 1e6)
            j += 1
    return out


# ---- Report -------------------------------------------------------------------------------------

FIGURES = [
    ("map_ms", "launch -> window mapped (ms)"),
    ("rss_mb", "RssAnon+RssFile 3 s after map (MB)"),
    ("idle_cpu_ms", "CPU over {idle:g} idle s (ms)"),
    ("midi_on_ms", "key -> MIDI note-on at JACK (ms)"),
    ("sound_ms", "key -> first sound at JACK (ms)"),
]
PEERS = ("jack-keyboard", "vkeybd", "vmpk")


def machine():
    model = "?"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    virt = ""
    with open("/proc/cpuinfo") as f:
        if " hypervisor" in f.read():
            virt = ", virtual machine"
    return f"{model}, {os.cpu_count()} cores, Linux {platform.release()}{virt}"


def package_version(name):
    r = subprocess.run(["dpkg-query", "-W", "-f=${Version}", name], capture_output=True,
                       text=True)
    return r.stdout.strip() if r.returncode == 0 else "?"


def fmt(v, digits=2):
    if v is None:
        return "-"
    if abs(v) >= 100:
        return f"{v:.0f}"
    if abs(v) >= 10:
        return f"{v:.1f}"
    return f"{v:.{digits}f}"


def table(samples, programs, excluded_from_best, idle):
    """The one table: per figure, per program: n, median, range, p99, x best peer, - floor."""
    rows = []
    header = (f"{'figure / program':38s} {'n':>4s} {'median':>8s} {'range (min-max)':>17s} "
              f"{'p99':>7s} {'x best peer':>11s} {'- floor':>8s}")
    rows.append(header)
    rows.append("-" * len(header))
    best_names = {}
    for key, title in FIGURES:
        title = title.format(idle=idle)
        present = [p for p in programs if samples.get(p, {}).get(key)]
        if not present:
            continue
        rows.append(title)
        peer_medians = {p: statistics.median(samples[p][key]) for p in present
                        if p in PEERS and p not in excluded_from_best.get(key, ())}
        best = min(peer_medians.items(), key=lambda kv: kv[1]) if peer_medians else None
        if best:
            best_names[key] = best[0]
        floor = statistics.median(samples["floor"][key]) if "floor" in present else None
        for p in present:
            s = summary(samples[p][key])
            ratio = f"{s['median'] / best[1]:.2f}" if best and best[1] > 0 else "-"
            latency = key.endswith("_ms") and key not in ("map_ms", "idle_cpu_ms")
            p99 = fmt(s["p99"]) if latency else ""
            minus_floor = (fmt(s["median"] - floor) if latency and floor is not None
                           and p != "floor" else "")
            rows.append(f"  {p:36s} {s['n']:4d} {fmt(s['median']):>8s} "
                        f"{fmt(s['min']) + '-' + fmt(s['max']):>17s} {p99:>7s} {ratio:>11s} "
                        f"{minus_floor:>8s}")
    return "\n".join(rows), best_names


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--program", required=True, help="the Plinkett binary")
    parser.add_argument("--soundfont", required=True, help="the GM soundfont both synths load")
    parser.add_argument("--soundfont-name", default="", help="how to name it in the report")
    parser.add_argument("--probe", required=True)
    parser.add_argument("--mapwatch", required=True)
    parser.add_argument("--keys", required=True)
    parser.add_argument("--floor", required=True)
    parser.add_argument("--launches", type=int, default=2,
                        help="launch-only turns per round before the full turn (launch to map)")
    parser.add_argument("--presses", type=int, default=200, help="key presses per program, "
                        "spread over the rounds")
    parser.add_argument("--sound-presses", type=int, default=30, help="per synthesizer, spread "
                        "over the rounds")
    parser.add_argument("--rate", type=int, default=48000)
    parser.add_argument("--period", type=int, default=64)
    parser.add_argument("--no-realtime", dest="realtime", action="store_false")
    parser.add_argument("--idle", type=float, default=10.0)
    parser.add_argument("--calm", type=float, default=5.0,
                        help="before each launch, wait at most this many seconds for other "
                        "work on the machine to fall below --calm-below (0: do not wait)")
    parser.add_argument("--calm-below", type=float, default=30.0,
                        help="in %% of one core")
    parser.add_argument("--nice", type=int, default=-10,
                        help="niceness of the harness and all it starts (X server, JACK server, "
                        "the programs), to shield the figures from other work on a shared "
                        "machine; 0 leaves it alone")
    parser.add_argument("--key", default="q")
    parser.add_argument("--hold-ms", type=int, default=20)
    parser.add_argument("--gap-ms", type=int, default=30)
    parser.add_argument("--sound-hold-ms", type=int, default=150)
    parser.add_argument("--threshold", type=float, default=1e-6,
                        help="a sample louder than this is sound (full scale 1.0; 1e-6 is "
                        "-120 dBFS, below a 24-bit step)")
    parser.add_argument("--quiet-ms", type=float, default=80.0)
    parser.add_argument("--only", default="", help="comma-separated program names")
    parser.add_argument("--out", default=os.path.join(REPO, "bench-artifacts"))
    args = parser.parse_args()
    args.program = os.path.abspath(args.program)

    programs = [
        Floor("floor", [args.floor, "floor"], midi=True,
              what="the harness's bare Xlib+JACK client"),
        Program("jack-keyboard", ["jack-keyboard"], midi=True,
                what="JACK MIDI out, default options: it stamps each note with the key's time "
                     "within the cycle, so notes leave one cycle later at that offset (-t "
                     "would send them at offset 0)"),
        Program("vkeybd", ["vkeybd"],
                what="ALSA sequencer only; no /dev/snd/seq here, so it sends nothing"),
        Vmpk("vmpk", ["vmpk"], sound=True,
             what="no JACK MIDI output in its drumstick back ends; plays through its "
                  "FluidSynth back end on JACK audio"),
        Plinkett("plinkett-jack", args.program, synth=False),
        Plinkett("plinkett-synth", args.program, synth=True),
    ]
    programs[4].what = "JACK MIDI device chosen in its settings file, no built-in synth"
    programs[5].what = "built-in synth (FluidSynth) on JACK audio"
    if args.only:
        wanted = args.only.split(",")
        programs = [p for p in programs if p.name in wanted]

    niceness = os.getpriority(os.PRIO_PROCESS, 0)
    if args.nice:
        try:
            os.setpriority(os.PRIO_PROCESS, 0, args.nice)
            niceness = args.nice
        except OSError as error:
            print(f"note: cannot set niceness {args.nice}: {error}", file=sys.stderr)
    run = Run(args)
    started = datetime.datetime.now()
    stamp = started.strftime("%Y%m%d-%H%M%S")

    def interrupted(signum, frame):
        raise KeyboardInterrupt

    # Ctrl-C and a plain kill both end the run cleanly (SIGINT is set here too: a shell that
    # starts the harness in the background leaves it ignored).
    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGINT, interrupted)
    header = []
    try:
        load = run.others_load(2.0)
        run.start()
        header = [
            f"Plinkett against its peers, {started:%Y-%m-%d %H:%M}, {args.rounds} rounds",
            f"machine: {machine()}",
            f"JACK: {' '.join(run.jack_argv[:1] + run.jack_argv[3:])} (jackd2 "
            f"{package_version('jackd2')}), {run.rate} Hz, {run.period} frames = "
            f"{run.period * 1000.0 / run.rate:.2f} ms, "
            f"{'realtime (SCHED_FIFO)' if run.jack_realtime else 'not realtime'}",
            f"clocks: JACK - CLOCK_MONOTONIC_RAW = {round(run.jack_minus_raw / 1e6, 3) + 0.0:+.3f} ms; "
            f"CLOCK_MONOTONIC - CLOCK_MONOTONIC_RAW = {run.mono_minus_raw / 1e6:+.3f} ms",
            f"soundfont: {args.soundfont_name or args.soundfont}",
            f"Plinkett: {args.program}",
            f"peers: jack-keyboard {package_version('jack-keyboard')}, vkeybd "
            f"{package_version('vkeybd')}, vmpk {package_version('vmpk')}",
            f"niceness of everything the harness starts: {niceness}; "
            f"map watcher realtime: {'yes' if run.watch_fifo else 'no'}; the machine's load "
            f"before the run: {load:.0f}% of a core besides this run's; each launch waits up to "
            f"{args.calm:g} s for it to fall below {args.calm_below:g}%",
        ]
        print("\n".join(header), flush=True)
        # One unrecorded launch of each: the first launch of a program reads its files from
        # disk, later ones (and a user's usual one) from the page cache.
        for p in programs:
            r = run.launch(p, 0, mode="warmup")
            if "failure" in r:
                print(f"warm-up {p.name}: {r['failure']}", flush=True)
            run.hub.sleep(0.5)
        for round_number in range(1, args.rounds + 1):
            # Launch-only turns first (launch to map is the figure that varies most), then one
            # turn each with every figure.
            for _ in range(args.launches):
                times = []
                for p in programs:
                    r = run.launch(p, round_number, mode="quick")
                    run.events.append(r)
                    times.append(f"{p.name} {fmt(r.get('map_ms'))}"
                                 + (" FAILED" if "failure" in r else ""))
                    run.hub.sleep(0.5)
                print(f"round {round_number} launch to map (ms): {', '.join(times)}", flush=True)
            for p in programs:
                presses = math.ceil(args.presses / args.rounds)
                sound = math.ceil(args.sound_presses / args.rounds)
                r = run.launch(p, round_number, presses, sound)
                run.events.append(r)
                short = (f"others {fmt(r.get('others_at_launch_pct'))}%/"
                         f"{fmt(r.get('others_cpu_pct'))}% cpu: "
                         f"map {fmt(r.get('map_ms'))} ms, rss {fmt(r.get('rss_mb'))} MB, "
                         f"idle cpu {fmt(r.get('idle_cpu_ms'))} ms")
                if "midi" in r:
                    m = r["midi"]
                    short += (f", MIDI {len(m['on_ms'])}/{m['presses']} median "
                              f"{fmt(statistics.median(m['on_ms']) if m['on_ms'] else None)} ms")
                if "sound" in r:
                    s = r["sound"]
                    short += (f", sound {len(s['ms'])}/{len(s['ms']) + s['misses']} median "
                              f"{fmt(statistics.median(s['ms']) if s['ms'] else None)} ms")
                if "failure" in r:
                    short += f", FAILED: {r['failure']}"
                print(f"round {round_number} {p.name:15s} {short}", flush=True)
                run.hub.sleep(1.0)
    except KeyboardInterrupt:
        print("interrupted: stopping everything", file=sys.stderr)
        run.hub.stop_all()
        shutil.rmtree(run.tmp, ignore_errors=True)
        return 130
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        run.hub.stop_all()
        shutil.rmtree(run.tmp, ignore_errors=True)
        return 1
    finally:
        run.hub.stop_all()

    # Gather the samples.
    samples = {}
    for r in run.events:
        s = samples.setdefault(r["program"], {})
        for key in ("map_ms", "rss_mb", "idle_cpu_ms"):
            if key in r:
                s.setdefault(key, []).append(r[key])
        if "midi" in r:
            s.setdefault("midi_on_ms", []).extend(r["midi"]["on_ms"])
            s.setdefault("midi_off_ms", []).extend(r["midi"]["off_ms"])
        if "sound" in r:
            s.setdefault("sound_ms", []).extend(r["sound"]["ms"])
    names = [p.name for p in programs]
    # vkeybd is no JACK client here: its idle CPU has no 750-a-second JACK wake-ups to pay for.
    excluded = {"idle_cpu_ms": ("vkeybd",)}
    text, best = table(samples, names, excluded, args.idle)
    notes = []
    notes.append(f"columns: n samples (launch to map: every launch, {args.launches + 1} a "
                 "round; memory and CPU: one a round; latencies: one a key press); p99 by nearest rank; x best peer = median / the lowest "
                 "peer median (peers: jack-keyboard, vkeybd, vmpk); - floor = median minus "
                 "the floor client's median")
    for key, title in FIGURES:
        if key in best:
            notes.append(f"best peer for {title.format(idle=args.idle).split(' (')[0]}: "
                         f"{best[key]}")
    notes.append("vkeybd is left out of the best peer for idle CPU: it is no JACK client here, so "
                 f"it pays for none of JACK's {args.rate // args.period} wake-ups a second")
    notes.append(f"CPU is utime+stime from /proc/PID/stat in ticks of {1000 // CLK_TCK} ms; "
                 "memory and CPU count the program and every process under it")
    for p in programs:
        notes.append(f"{p.name}: {p.what}")
        rs = [r for r in run.events if r["program"] == p.name]
        before = [m for r in rs for m in r.get("maps", []) if m[1] != r.get("window")
                  and m[0] < r.get("map_ms", 0)]
        if before:
            notes.append(f"  {p.name}: a window mapped before its main window "
                         f"({before[0][1]!r}, {fmt(before[0][0])} ms after the launch); "
                         f"the table times the main window ({rs[0].get('window')!r})")
        failures = [r["failure"] for r in rs if "failure" in r]
        if failures:
            notes.append(f"  {p.name} failed: {failures[0]}")
        procs = sorted({r.get("processes", 0) for r in rs if "processes" in r})
        notes.append(f"  {p.name}: processes counted: "
                     f"{', '.join(str(n) for n in procs) or '-'}")
        lost = [(r["midi"]["presses"] - len(r["midi"]["on_ms"])) for r in rs if "midi" in r]
        if any(lost):
            notes.append(f"  {p.name}: {sum(lost)} presses without a note-on")
        misses = sum(r["sound"]["misses"] for r in rs if "sound" in r)
        if misses:
            notes.append(f"  {p.name}: {misses} presses without sound within 3 s")
        xr = sum(r.get("idle_xruns", 0) + r.get("midi", {}).get("xruns", 0) for r in rs)
        others = [round(r["others_cpu_pct"]) for r in rs if "others_cpu_pct" in r]
        at_launch = [round(r["others_at_launch_pct"]) for r in rs if "others_at_launch_pct" in r]
        notes.append(f"  {p.name}: JACK xruns during its measurements: {xr}; other work on "
                     f"the machine, % of a core, at each launch: {at_launch or '-'}, in each "
                     f"idle window: {others or '-'}")
    notes += run.notes
    report = "\n".join(header) + "\n\n" + text + "\n\n" + "\n".join(notes)
    print()
    print(text)
    print()
    print("\n".join(notes))
    os.makedirs(args.out, exist_ok=True)
    base = os.path.join(args.out, f"peers-{stamp}")
    with open(base + ".md", "w") as f:
        f.write("```\n" + report + "\n```\n")
    with open(base + ".json", "w") as f:
        json.dump({"header": header, "table": text, "notes": notes, "samples": samples,
                   "launches": run.events, "args": vars(args)}, f, indent=1)
    print(f"\nwritten: {base}.md and {base}.json")
    shutil.rmtree(run.tmp, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
