#!/usr/bin/env python3
"""The house's includes: every "quoted" include in src/ points down the layers (the line, the
base, the subsystems, the program; front and back ends take only the line of the core), and no
folder or unit (a .cpp with its header) reaches itself round a loop.

    check_layers.py SRC_DIR      exit status 0: clean; 1: each fault printed
"""
import os
import re
import sys

# The core's folders by floor; a folder may include its own floor and those below. A folder not
# listed is a front or back end, which takes nothing of the core but the line.
FLOORS = {"platform": 0, "base": 1, "keyboard": 2, "midi": 2, "display": 2, "settings": 2, "app": 3}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def includes(src):
    """(including file, included file), both relative to src, for headers found in src."""
    for root, _, names in os.walk(src):
        for name in names:
            if name.endswith((".cpp", ".h")):
                path = os.path.join(root, name)
                with open(path, errors="replace") as f:
                    for target in INCLUDE.findall(f.read()):
                        if os.path.isfile(os.path.join(src, target)):
                            yield os.path.relpath(path, src), target


def loops(edges):
    """The strongly connected groups of more than one node (Tarjan's algorithm)."""
    graph = {}
    for a, b in edges:
        graph.setdefault(a, set()).add(b)
        graph.setdefault(b, set())
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in graph[node]:
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == node:
                    break
            if len(group) > 1:
                found.append(sorted(group))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def main():
    src = sys.argv[1]
    pairs = list(includes(src))
    faults = []
    for a, b in pairs:
        fa, fb = os.path.dirname(a), os.path.dirname(b)
        if fa in FLOORS and fb in FLOORS and FLOORS[fb] > FLOORS[fa]:
            faults.append(f"points up: {a} -> {b}")
        if fa not in FLOORS and fb in FLOORS and fb != "platform":
            faults.append(f"takes more of the core than the line: {a} -> {b}")
    folders = loops((os.path.dirname(a), os.path.dirname(b)) for a, b in pairs
                    if os.path.dirname(a) != os.path.dirname(b))
    units = loops((os.path.splitext(a)[0], os.path.splitext(b)[0]) for a, b in pairs
                  if os.path.splitext(a)[0] != os.path.splitext(b)[0])
    faults += [f"folder loop: {' <-> '.join(group)}" for group in folders]
    faults += [f"unit loop: {' <-> '.join(group)}" for group in units]
    print("\n".join(faults + [f"folder loops: {len(folders)}, unit loops: {len(units)}"]))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
