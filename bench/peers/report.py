"""The run's one table and its notes, printed and written as Markdown and JSON."""

import json
import math
import os
import statistics

from machine import CLK_TCK

FIGURES = [
    ("map_ms", "launch -> window mapped (ms)"),
    ("rss_mb", "RssAnon+RssFile 3 s after map (MB)"),
    ("idle_cpu_ms", "CPU over {idle:g} idle s (ms)"),
    ("midi_on_ms", "key -> MIDI note-on at JACK (ms)"),
    ("sound_ms", "key -> first sound at JACK (ms)"),
]
PEERS = ("jack-keyboard", "vkeybd", "vmpk")
# vkeybd is no JACK client here: its idle CPU has no 750-a-second JACK wake-ups to pay for.
EXCLUDED_FROM_BEST = {"idle_cpu_ms": ("vkeybd",)}


def percentile(values, p):
    """Nearest-rank percentile."""
    ordered = sorted(values)
    return ordered[max(0, math.ceil(p / 100.0 * len(ordered)) - 1)]


def summary(values):
    if not values:
        return None
    return {"n": len(values), "median": statistics.median(values), "min": min(values),
            "max": max(values), "p99": percentile(values, 99)}


def fmt(v, digits=2):
    if v is None:
        return "-"
    if abs(v) >= 100:
        return f"{v:.0f}"
    if abs(v) >= 10:
        return f"{v:.1f}"
    return f"{v:.{digits}f}"


def gather_samples(events):
    """Per program, per figure: every sample the launches gave."""
    samples = {}
    for r in events:
        s = samples.setdefault(r["program"], {})
        for key in ("map_ms", "rss_mb", "idle_cpu_ms"):
            if key in r:
                s.setdefault(key, []).append(r[key])
        if "midi" in r:
            s.setdefault("midi_on_ms", []).extend(r["midi"]["on_ms"])
            s.setdefault("midi_off_ms", []).extend(r["midi"]["off_ms"])
        if "sound" in r:
            s.setdefault("sound_ms", []).extend(r["sound"]["ms"])
    return samples


def figure_rows(key, samples, present, best):
    """One row a program for one figure: n, median, range, p99, x best peer, - floor (median and
    p99)."""
    floor = summary(samples["floor"][key]) if "floor" in present else None
    latency = key.endswith("_ms") and key not in ("map_ms", "idle_cpu_ms")
    rows = []
    for p in present:
        s = summary(samples[p][key])
        ratio = f"{s['median'] / best[1]:.2f}" if best and best[1] > 0 else "-"
        p99 = fmt(s["p99"]) if latency else ""
        above = latency and floor is not None and p != "floor"
        minus_floor = fmt(s["median"] - floor["median"]) if above else ""
        p99_minus_floor = fmt(s["p99"] - floor["p99"]) if above else ""
        rows.append(f"  {p:36s} {s['n']:4d} {fmt(s['median']):>8s} "
                    f"{fmt(s['min']) + '-' + fmt(s['max']):>17s} {p99:>7s} {ratio:>11s} {minus_floor:>8s} "
                    f"{p99_minus_floor:>11s}")
    return rows


def table(samples, programs, idle):
    """The one table, and the best peer of each figure."""
    header = (f"{'figure / program':38s} {'n':>4s} {'median':>8s} {'range (min-max)':>17s} "
              f"{'p99':>7s} {'x best peer':>11s} {'- floor':>8s} {'p99 - floor':>11s}")
    rows, best_names = [header, "-" * len(header)], {}
    for key, title in FIGURES:
        present = [p for p in programs if samples.get(p, {}).get(key)]
        if not present:
            continue
        rows.append(title.format(idle=idle))
        peer_medians = {p: statistics.median(samples[p][key]) for p in present
                        if p in PEERS and p not in EXCLUDED_FROM_BEST.get(key, ())}
        best = min(peer_medians.items(), key=lambda kv: kv[1]) if peer_medians else None
        if best:
            best_names[key] = best[0]
        rows += figure_rows(key, samples, present, best)
    return "\n".join(rows), best_names


def program_notes(p, records):
    """What the table does not show of one program's launches."""
    notes = [f"{p.name}: {p.what}"]
    before = [m for r in records for m in r.get("maps", []) if m[1] != r.get("window") and m[0] < r.get("map_ms", 0)]
    if before:
        notes.append(f"  {p.name}: a window mapped before its main window ({before[0][1]!r}, {fmt(before[0][0])} ms "
                     f"after the launch); the table times the main window ({records[0].get('window')!r})")
    failures = [r["failure"] for r in records if "failure" in r]
    if failures:
        notes.append(f"  {p.name} failed: {failures[0]}")
    procs = sorted({r["processes"] for r in records if "processes" in r})
    notes.append(f"  {p.name}: processes counted: {', '.join(str(n) for n in procs) or '-'}")
    notes += lost_notes(p, records)
    misses = sum(r["sound"]["misses"] for r in records if "sound" in r)
    if misses:
        notes.append(f"  {p.name}: {misses} presses without sound within 3 s")
    xr = sum(r.get("idle_xruns", 0) + r.get("midi", {}).get("xruns", 0) for r in records)
    others = [round(r["others_cpu_pct"]) for r in records if "others_cpu_pct" in r]
    at_launch = [round(r["others_at_launch_pct"]) for r in records if "others_at_launch_pct" in r]
    notes.append(f"  {p.name}: JACK xruns during its measurements: {xr}; other work on the machine, % of a "
                 f"core, at each launch: {at_launch or '-'}, in each idle window: {others or '-'}")
    return notes


def lost_presses(records):
    return sum(r["midi"]["lost"] for r in records if "midi" in r)


def lost_notes(p, records):
    """Every program's lost presses, and for each press left without a note-on what the harness
    saw of it."""
    midi = [r for r in records if "midi" in r]
    if not midi:
        return []
    presses = sum(r["midi"]["presses"] for r in midi)
    same = sum(r["midi"]["server_same_ms"] for r in midi)
    out = [f"  {p.name}: lost presses (no note-on at all): {lost_presses(records)} of {presses}; "
           f"presses the X server stamped in the millisecond of the release before: {same}"]
    for r in midi:
        for seen in r["midi"]["without_note_on"]:
            out.append(f"  {p.name}: round {r['round']}: press {seen['press']} got no note-on before the next "
                       f"press: {', '.join(f'{k} {v}' for k, v in seen.items() if k != 'press')}")
    return out


def qt_floor_notes(samples):
    """Plinkett's launch and memory against the least Qt program, and that program against the
    lightest peer, which uses another toolkit (GTK 2)."""
    qt = samples.get("qt-floor", {})
    out = []
    for key, what, unit in (("map_ms", "launch to map", "ms"), ("rss_mb", "memory", "MB")):
        if not qt.get(key):
            continue
        floor = statistics.median(qt[key])
        for p in ("plinkett-jack", "plinkett-synth"):
            if samples.get(p, {}).get(key):
                m = statistics.median(samples[p][key])
                out.append(f"against the Qt floor: {p} {what} {fmt(m)} {unit} = Qt floor {fmt(floor)} "
                           f"{'+' if m >= floor else '-'} {fmt(abs(m - floor))} {unit} ({m / floor:.2f} x)")
        if samples.get("jack-keyboard", {}).get(key):
            peer = statistics.median(samples["jack-keyboard"][key])
            out.append(f"the Qt floor's {what}, {fmt(floor)} {unit}, is {'above' if floor > peer else 'not above'} "
                       f"jack-keyboard's {fmt(peer)} {unit} ({floor / peer:.2f} x)")
    return out


def start_trace_notes(events):
    """Where Plinkett's start goes: each step of its own trace, the median over its launches of
    the milliseconds since the launch, in the order of those medians, with the map beside them."""
    out = []
    for name in sorted({r["program"] for r in events if r.get("start_trace")}):
        records = [r for r in events if r["program"] == name and r.get("start_trace") and "map_ms" in r]
        times = {}
        for r in records:
            for step, thread, ms in r["start_trace"]:
                times.setdefault((step, thread), []).append(ms)
            times.setdefault(("window mapped (X MapNotify)", "X server"), []).append(r["map_ms"])
        rows = sorted((statistics.median(v), step, thread, len(v)) for (step, thread), v in times.items())
        out.append(f"{name}: its start, step by step (PLINKETT_TRACE_START; median ms since the launch over "
                   f"{len(records)} launches; the thread the step ended on):")
        out += [f"  {fmt(ms):>7s}  {step} ({thread}{'' if n == len(records) else f', in {n} launches'})"
                for ms, step, thread, n in rows]
    return out


def notes(args, best, programs, events, run_notes, samples):
    out = [f"columns: n samples (launch to map: every launch, {args.launches + 1} a round; memory and "
           "CPU: one a round; latencies: one a key press); p99 by nearest rank; x best peer = median / "
           "the lowest peer median (peers: jack-keyboard, vkeybd, vmpk); - floor = median minus the "
           "floor client's median; p99 - floor = p99 minus the floor client's p99"]
    for key, title in FIGURES:
        if key in best:
            out.append(f"best peer for {title.format(idle=args.idle).split(' (')[0]}: {best[key]}")
    out.append("vkeybd is left out of the best peer for idle CPU: it is no JACK client here, so "
               f"it pays for none of JACK's {args.rate // args.period} wake-ups a second")
    out.append(f"CPU is utime+stime from /proc/PID/stat in ticks of {1000 // CLK_TCK} ms; "
               "memory and CPU count the program and every process under it")
    out += qt_floor_notes(samples)
    out += start_trace_notes(events)
    for p in programs:
        out += program_notes(p, [r for r in events if r["program"] == p.name])
    return out + run_notes


def write(args, stamp, header, text, note_lines, samples, events):
    """The report as Markdown and JSON beside the earlier ones; returns their common base."""
    report = "\n".join(header) + "\n\n" + text + "\n\n" + "\n".join(note_lines)
    os.makedirs(args.out, exist_ok=True)
    base = os.path.join(args.out, f"peers-{stamp}")
    with open(base + ".md", "w") as f:
        f.write("```\n" + report + "\n```\n")
    with open(base + ".json", "w") as f:
        json.dump({"header": header, "table": text, "notes": note_lines, "samples": samples,
                   "launches": events, "args": vars(args)}, f, indent=1)
    return base
