#!/usr/bin/env python3
"""Plinkett against its peers: one X server (Xvfb) and one JACK server (dummy driver) shared by
every program of the run, the programs taking turns in rounds (A B C ... A B C ...), one table
at the end. Started by bench/peers/run.sh, which builds the helpers and chooses the soundfont;
see that script for the options, and launch.py for what each figure measures.
"""

import argparse
import datetime
import math
import os
import shutil
import signal
import statistics
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
# The end-to-end runner's process and X helpers serve the harness too.
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))

import report  # noqa: E402
from hub import Failure  # noqa: E402
from launch import Run  # noqa: E402
from machine import description, package_version  # noqa: E402
from programs import Plinkett, make_programs  # noqa: E402


def add_run_options(parser):
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--program", required=True, help="the Plinkett binary")
    parser.add_argument("--soundfont", required=True, help="the GM soundfont both synths load")
    parser.add_argument("--soundfont-name", default="", help="how to name it in the report")
    for helper in ("--probe", "--mapwatch", "--keys", "--floor", "--qtfloor"):
        parser.add_argument(helper, required=True)
    parser.add_argument("--launches", type=int, default=2,
                        help="launch-only turns per round before the full turn (launch to map)")
    parser.add_argument("--calm", type=float, default=5.0,
                        help="before each launch, wait at most this many seconds for other "
                        "work on the machine to fall below --calm-below (0: do not wait)")
    parser.add_argument("--calm-below", type=float, default=30.0, help="in %% of one core")
    parser.add_argument("--nice", type=int, default=-10,
                        help="niceness of the harness and all it starts (X server, JACK server, "
                        "the programs), to shield the figures from other work on a shared "
                        "machine; 0 leaves it alone")
    parser.add_argument("--only", default="", help="comma-separated program names")
    parser.add_argument("--out", default=os.path.join(REPO, "bench-artifacts"))


def add_measure_options(parser):
    parser.add_argument("--presses", type=int, default=200, help="key presses per program, "
                        "spread over the rounds")
    parser.add_argument("--sound-presses", type=int, default=30, help="per synthesizer, spread "
                        "over the rounds")
    parser.add_argument("--rate", type=int, default=48000)
    parser.add_argument("--period", type=int, default=64)
    parser.add_argument("--no-realtime", dest="realtime", action="store_false")
    parser.add_argument("--idle", type=float, default=10.0)
    parser.add_argument("--key", default="q")
    parser.add_argument("--hold-ms", type=int, default=20)
    parser.add_argument("--gap-ms", type=int, default=30)
    parser.add_argument("--sound-hold-ms", type=int, default=150)
    parser.add_argument("--threshold", type=float, default=1e-6,
                        help="a sample louder than this is sound (full scale 1.0; 1e-6 is "
                        "-120 dBFS, below a 24-bit step)")
    parser.add_argument("--quiet-ms", type=float, default=80.0)


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    add_run_options(parser)
    add_measure_options(parser)
    args = parser.parse_args()
    args.program = os.path.abspath(args.program)
    return args


def set_niceness(args):
    """The niceness everything the harness starts runs at."""
    if args.nice:
        try:
            os.setpriority(os.PRIO_PROCESS, 0, args.nice)
            return args.nice
        except OSError as error:
            print(f"note: cannot set niceness {args.nice}: {error}", file=sys.stderr)
    return os.getpriority(os.PRIO_PROCESS, 0)


def header_lines(run, args, started, load, niceness):
    jack = " ".join(run.jack_argv[:1] + run.jack_argv[3:])
    return [
        f"Plinkett against its peers, {started:%Y-%m-%d %H:%M}, {args.rounds} rounds",
        f"machine: {description()}",
        f"JACK: {jack} (jackd2 {package_version('jackd2')}), {run.rate} Hz, {run.period} frames = "
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


def launch_summary(r):
    """One line of what a full launch measured."""
    fmt = report.fmt
    short = (f"others {fmt(r.get('others_at_launch_pct'))}%/{fmt(r.get('others_cpu_pct'))}% cpu: "
             f"map {fmt(r.get('map_ms'))} ms, rss {fmt(r.get('rss_mb'))} MB, idle cpu {fmt(r.get('idle_cpu_ms'))} ms")
    if "midi" in r:
        m = r["midi"]
        short += (f", MIDI {m['note_ons']}/{m['presses']} median "
                  f"{fmt(statistics.median(m['on_ms']) if m['on_ms'] else None)} ms"
                  + (f", {m['lost']} LOST" if m["lost"] else ""))
    if "sound" in r:
        s = r["sound"]
        short += (f", sound {len(s['ms'])}/{len(s['ms']) + s['misses']} median "
                  f"{fmt(statistics.median(s['ms']) if s['ms'] else None)} ms")
    if "failure" in r:
        short += f", FAILED: {r['failure']}"
    return short


def play_round(run, programs, args, round_number):
    """Launch-only turns first (launch to map is the figure that varies most), then one turn
    each with every figure."""
    for _ in range(args.launches):
        times = []
        for p in programs:
            r = run.launch(p, round_number, mode="quick")
            run.events.append(r)
            times.append(f"{p.name} {report.fmt(r.get('map_ms'))}" + (" FAILED" if "failure" in r else ""))
            run.hub.sleep(0.5)
        print(f"round {round_number} launch to map (ms): {', '.join(times)}", flush=True)
    for p in programs:
        r = run.launch(p, round_number, math.ceil(args.presses / args.rounds),
                       math.ceil(args.sound_presses / args.rounds))
        run.events.append(r)
        print(f"round {round_number} {p.name:15s} {launch_summary(r)}", flush=True)
        run.hub.sleep(1.0)


def measure(run, programs, args):
    # One unrecorded launch of each: the first launch of a program reads its files from disk,
    # later ones (and a user's usual one) from the page cache.
    for p in programs:
        r = run.launch(p, 0, mode="warmup")
        if "failure" in r:
            print(f"warm-up {p.name}: {r['failure']}", flush=True)
        run.hub.sleep(0.5)
    for round_number in range(1, args.rounds + 1):
        play_round(run, programs, args, round_number)


def interrupted(signum, frame):
    raise KeyboardInterrupt


def main():
    args = parse_args()
    programs = make_programs(args)
    niceness = set_niceness(args)
    run = Run(args)
    started = datetime.datetime.now()
    # Ctrl-C and a plain kill both end the run cleanly (SIGINT is set here too: a shell that
    # starts the harness in the background leaves it ignored).
    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGINT, interrupted)
    try:
        load = run.others_load(2.0)
        run.start()
        header = header_lines(run, args, started, load, niceness)
        print("\n".join(header), flush=True)
        measure(run, programs, args)
    except (KeyboardInterrupt, Failure) as ended:
        print("interrupted: stopping everything" if isinstance(ended, KeyboardInterrupt) else f"FAILED: {ended}",
              file=sys.stderr)
        return 130 if isinstance(ended, KeyboardInterrupt) else 1
    finally:
        run.hub.stop_all()
        shutil.rmtree(run.tmp, ignore_errors=True)
    samples = report.gather_samples(run.events)
    text, best = report.table(samples, [p.name for p in programs], args.idle)
    note_lines = report.notes(args, best, programs, run.events, run.notes, samples)
    print(f"\n{text}\n\n" + "\n".join(note_lines))
    base = report.write(args, f"{started:%Y%m%d-%H%M%S}", header, text, note_lines, samples, run.events)
    print(f"\nwritten: {base}.md and {base}.json")
    return 1 if plinkett_lost_presses(programs, run.events) else 0


def plinkett_lost_presses(programs, events):
    """Says whether Plinkett lost a key press (no note-on, or no sound within 3 s), which fails
    the run."""
    lost = False
    for p in programs:
        if isinstance(p, Plinkett):
            records = [r for r in events if r["program"] == p.name]
            n = report.lost_presses(records) + sum(r["sound"]["misses"] for r in records if "sound" in r)
            if n:
                print(f"FAILED: {p.name} lost {n} key presses", file=sys.stderr)
                lost = True
    return lost


if __name__ == "__main__":
    sys.exit(main())
