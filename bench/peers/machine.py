"""What /proc and dpkg tell of the machine and of a process tree."""

import os
import platform
import subprocess

CLK_TCK = os.sysconf("SC_CLK_TCK")


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


def others_pct(own, machine, own_then, machine_then):
    """The machine's work between two readings that is not own, in % of one core."""
    other = (machine[0] - machine_then[0]) - (own - own_then)
    return max(0.0, 100.0 * other / max(1, machine[1] - machine_then[1]) * os.cpu_count())


def description():
    with open("/proc/cpuinfo") as f:
        info = f.read()
    model = next((line.split(":", 1)[1].strip() for line in info.splitlines()
                  if line.startswith("model name")), "?")
    virt = ", virtual machine" if " hypervisor" in info else ""
    return f"{model}, {os.cpu_count()} cores, Linux {platform.release()}{virt}"


def package_version(name):
    r = subprocess.run(["dpkg-query", "-W", "-f=${Version}", name], capture_output=True, text=True)
    return r.stdout.strip() if r.returncode == 0 else "?"
