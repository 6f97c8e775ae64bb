"""One launch of one program and its figures:

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

import os
import subprocess
import time

from hub import Failure
from machine import CLK_TCK, cpu_ticks, machine_ticks, others_pct, status_kb, tree
from servers import Servers


def mono_ns():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC)


def pair(keys, events):
    """Each key time with its event: (ms each, indexes of the keys left without one).

    One key is pressed again only after its release, and a program sends its messages in order,
    so the k-th note-on answers the k-th press however late it came: when there are as many
    events as keys, they pair in order. (An event can be timed a little before its key: after an
    xrun the probe's cycle times are off by up to a period.) Otherwise (a press lost, or a stray
    event) each key takes the first event at or after it and before the next key, and the keys
    left without one are named; how many were lost is the difference of the counts."""
    times = [e[0] for e in events]
    if len(times) == len(keys):
        return [(e - k) / 1e6 for k, e in zip(keys, times)], []
    out, missing, j = [], [], 0
    for i, t in enumerate(keys):
        nxt = keys[i + 1] if i + 1 < len(keys) else float("inf")
        while j < len(times) and times[j] < t:
            j += 1
        if j < len(times) and times[j] < nxt:
            out.append((times[j] - t) / 1e6)
            j += 1
        else:
            missing.append(i)
    return out, missing


def x_stamps(lines):
    """The watched window's key events as the X server stamped them: (presses, releases), each
    a list of server milliseconds in order."""
    presses = [int(l.split()[2]) for l in lines if l.startswith("X P ")]
    releases = [int(l.split()[2]) for l in lines if l.startswith("X R ")]
    return presses, releases


def lost_press(i, down, ons, x_down, x_up):
    """What the harness saw of press i, which got no note-on of its own."""
    seen = {"press": i, "sent_ms": round((down[i] - down[0]) / 1e6, 3)}
    if i < len(x_down):
        seen["server_ms"] = x_down[i]
        if 0 < i <= len(x_up):
            # A toolkit takes a release and a press of one key in the same server millisecond for
            # an auto-repeat.
            seen["server_ms_after_release"] = x_down[i] - x_up[i - 1]
    later = [t for t, _ in ons if t >= down[i]]
    if later:
        seen["next_note_on_ms"] = round((later[0] - down[i]) / 1e6, 3)
    return seen


def start_trace(log, launched):
    """The program's own start-up trace (PLINKETT_TRACE_START) from its log: [step, thread, ms
    since the launch] in the order said, on the clock the launch and the map are timed on."""
    steps = []
    for line in log.splitlines():
        if not line.startswith("plinkett: start: +") or not line.endswith(")"):
            continue
        step, _, where = line.split(": ", 3)[3].rpartition(" (")
        thread, _, mono = where[:-1].partition(", monotonic ")
        steps.append([step, thread, round(float(mono) - launched / 1e6, 3)])
    return steps


def notes_heard(lines):
    """From the probe's lines: (note-ons, note-offs, xruns), each note as (time, offset)."""
    ons, offs, xruns = [], [], 0
    for line in lines:
        f = line.split()
        xruns += f[0] == "XRUN"
        if f[0] != "MIDI" or len(f) < 6 or len(f[5]) < 6:
            continue
        status, velocity = int(f[5][0:2], 16) & 0xF0, int(f[5][4:6], 16)
        if status == 0x90 and velocity > 0:
            ons.append((int(f[1]), int(f[3])))
        elif status in (0x80, 0x90):
            offs.append((int(f[1]), int(f[3])))
    return ons, offs, xruns


class Run(Servers):
    def __init__(self, args):
        super().__init__(args)
        self.launches = 0
        self.events = []  # one record a launch

    def launch_environment(self, program):
        self.launches += 1
        home = os.path.join(self.tmp, f"home-{program.name}-{self.launches}")
        for d in ("config", "data", "run"):
            os.makedirs(os.path.join(home, d), mode=0o700)
        env = dict(self.env)
        env.update({"HOME": home, "XDG_CONFIG_HOME": os.path.join(home, "config"),
                    "XDG_DATA_HOME": os.path.join(home, "data"),
                    "XDG_RUNTIME_DIR": os.path.join(home, "run"), "XDG_CACHE_HOME": self.cache})
        program.prepare(self, home, env)
        return env

    def launch(self, program, round_number, presses=0, sound_presses=0, mode="full"):
        """mode "full": every figure; "quick": launch to map only, then closed; "warmup": the
        same, not recorded."""
        env = self.launch_environment(program)
        record = {"program": program.name, "round": round_number, "mode": mode}
        log_path = os.path.join(self.tmp, f"{program.name}-{self.launches}.log")
        if mode == "full" and self.args.calm > 0:
            record["calm_wait_s"], record["others_at_launch_pct"] = self.calm()
        watch_mark, probe_mark = len(self.watch_out.lines), len(self.probe_out.lines)
        with open(log_path, "wb") as log:
            launched = mono_ns()
            proc = self.hub.spawn(program.name, program.argv, env, log=log)
        try:
            mapped, window = self.wait_for_map(program, launched, watch_mark, record)
            if mode != "full":
                self.hub.sleep(1.0)  # let it finish starting before it is asked to close
            else:
                self.measure_memory(proc, mapped, record)
                self.measure_idle(program, proc, record)
                self.play(program, window, probe_mark, presses, sound_presses, record)
            self.close(proc, window, record)
        except Failure as failure:
            record["failure"] = str(failure)
        finally:
            self.hub.forget(proc)
            with open(log_path, errors="replace") as f:
                log = f.read()
            record["log_tail"] = log[-1500:]
            trace = start_trace(log, launched)
            if trace:
                record["start_trace"] = trace
        return record

    def wait_for_map(self, program, launched, watch_mark, record):
        """The main window: the first top-level window mapped since the launch that is neither
        override-redirect (menus, tooltips) nor transient for another (dialogs, splash screens).
        Windows mapped before it are recorded too. Returns (when, window id)."""
        _, line = self.hub.wait(
            self.watch_out,
            lambda l: l.startswith("MAP ") and l.split()[3:5] == ["0", "0"] and int(l.split()[1]) >= launched,
            30, f"{program.name}: its main window being mapped", watch_mark)
        fields = line.split(" ", 6)
        mapped, window = int(fields[1]), fields[2]
        record["window"] = fields[6]
        record["map_ms"] = (mapped - launched) / 1e6
        record["maps"] = [((int(l.split()[1]) - launched) / 1e6, l.split(" ", 6)[6])
                          for l in self.watch_out.lines[watch_mark:]
                          if l.startswith("MAP ") and int(l.split()[1]) >= launched]
        return mapped, window

    def measure_memory(self, proc, mapped, record):
        """Memory 3 s after the map."""
        self.hub.sleep(max(0.0, (mapped + 3_000_000_000 - mono_ns()) / 1e9))
        pids = tree(proc.pid)
        record["processes"] = len(pids)
        anon = sum(status_kb(p, "RssAnon") for p in pids)
        file_ = sum(status_kb(p, "RssFile") for p in pids)
        record["rss_kb"] = {"anon": anon, "file": file_, "shmem": sum(status_kb(p, "RssShmem") for p in pids)}
        record["rss_mb"] = (anon + file_) / 1024.0

    def measure_idle(self, program, proc, record):
        """CPU over the idle window after the memory, and the machine's other work meanwhile."""
        cpu0 = sum(cpu_ticks(p) for p in tree(proc.pid))
        own0, machine0 = self.own_ticks(), machine_ticks()
        xrun_mark = len(self.probe_out.lines)
        self.hub.sleep(self.args.idle)
        cpu1 = sum(cpu_ticks(p) for p in tree(proc.pid))
        record["idle_cpu_ms"] = (cpu1 - cpu0) * 1000.0 / CLK_TCK
        record["others_cpu_pct"] = others_pct(self.own_ticks(), machine_ticks(), own0, machine0)
        record["idle_xruns"] = sum(1 for l in self.probe_out.lines[xrun_mark:] if l.startswith("XRUN"))
        if proc.poll() is not None:
            raise Failure(f"{program.name} ended with status {proc.returncode}")

    def play(self, program, window, probe_mark, presses, sound_presses, record):
        self.keys.ask(f"focus {window}", "OK")
        self.hub.sleep(0.3)
        if program.midi and presses:
            record["midi"] = self.key_to_midi(program, probe_mark, presses)
        if program.sound and sound_presses:
            started = time.monotonic()
            record["sound"] = self.key_to_sound(program, sound_presses)
            record["sound"]["seconds"] = time.monotonic() - started

    def close(self, proc, window, record):
        """As a window manager's close box would; the launch stops it if that fails."""
        self.keys.ask(f"close {window}", "OK")
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            record["close"] = "did not end within 5 s of WM_DELETE_WINDOW; stopped"

    def key_to_midi(self, program, probe_mark, presses):
        a = self.args
        # The program's MIDI output reaches the probe: connected by the probe, or by the program
        # itself (Plinkett connects to the device its settings name).
        if not any(l.startswith(("CONNECTED", "MIDI")) for l in self.probe_out.lines[probe_mark:]):
            self.hub.wait(self.probe_out, lambda l: l.startswith(("CONNECTED", "MIDI")), 5,
                          f"{program.name}: a MIDI connection to the probe", probe_mark)
        mark = len(self.probe_out.lines)
        start, _ = self.keys.ask(f"burst {a.key} {presses} {a.hold_ms} {a.gap_ms}", "DONE",
                                 timeout=presses * (a.hold_ms + a.gap_ms) / 1000.0 + 30)
        typed = self.keys.out.lines[start:]
        down = [int(l.split()[2]) + self.jack_minus_raw for l in typed if l.startswith("P ")]
        up = [int(l.split()[2]) + self.jack_minus_raw for l in typed if l.startswith("R ")]
        # Every note-on and note-off, however late (a stalled machine), up to two seconds.
        deadline = time.monotonic() + 2.0
        while True:
            self.hub.sleep(0.1)
            ons, offs, xruns = notes_heard(self.probe_out.lines[mark:])
            if (len(ons) >= len(down) and len(offs) >= len(up)) or time.monotonic() > deadline:
                break
        seen_at, _ = self.keys.ask("seen", "SEEN")
        x_down, x_up = x_stamps(self.keys.out.lines[seen_at:])
        on_ms, on_missing = pair(down, ons)
        off_ms, _ = pair(up, offs)
        origin = down[0] if down else 0
        return {"on_ms": on_ms, "off_ms": off_ms, "presses": len(down),
                "note_ons": len(ons), "note_offs": len(offs), "xruns": xruns,
                "lost": max(0, len(down) - len(ons)),
                "without_note_on": [lost_press(i, down, ons, x_down, x_up) for i in on_missing],
                "server_same_ms": sum(1 for i in range(1, min(len(x_down), len(x_up) + 1))
                                      if x_down[i] == x_up[i - 1]),
                "offsets": sorted({o for _, o in ons})[:20],
                "raw_us": {"press": [(t - origin) // 1000 for t in down],
                           "release": [(t - origin) // 1000 for t in up],
                           "note_on": [(t - origin) // 1000 for t, _ in ons],
                           "note_off": [(t - origin) // 1000 for t, _ in offs],
                           "server_press_ms": x_down, "server_release_ms": x_up}}

    def loud_since(self):
        """Index of the SOUND line the probe last reported, if no QUIET has followed it."""
        lines = self.probe_out.lines
        for i in range(len(lines) - 1, -1, -1):
            if lines[i].startswith("QUIET"):
                return None
            if lines[i].startswith("SOUND"):
                return i
        return None

    def wait_for_silence(self, program, what):
        loud = self.loud_since()
        if loud is not None:
            self.hub.wait(self.probe_out, lambda l: l.startswith("QUIET"), 8, f"{program.name}: {what}", loud)

    def key_to_sound(self, program, count):
        a = self.args
        latencies, misses = [], 0
        for _ in range(count):
            self.wait_for_silence(program, "silence before the next key")  # each press starts from it
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
        self.wait_for_silence(program, "silence after the last key")
        return {"ms": latencies, "misses": misses}
