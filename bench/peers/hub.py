"""Every process a run of the peers harness starts, and the lines its helpers print, read
without blocking whenever the harness waits for anything (so no pipe fills up meanwhile)."""

import os
import select
import subprocess
import time

from runner import Failure, stop  # the end-to-end runner's failure and kill loop


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
    def __init__(self):
        self.procs = []    # (name, Popen), stopped in reverse order
        self.readers = []

    def spawn(self, name, argv, env, reader=False, stdin=False, log=None, **kwargs):
        out = subprocess.PIPE if reader else (log if log is not None else subprocess.DEVNULL)
        err = subprocess.STDOUT if log is not None or reader else subprocess.DEVNULL
        proc = subprocess.Popen(argv, env=env, start_new_session=True,
                                stdin=subprocess.PIPE if stdin else subprocess.DEVNULL,
                                stdout=out, stderr=err, **kwargs)
        self.procs.append((name, proc))
        if reader:
            r = Reader(name, proc)
            self.readers.append(r)
            return proc, r
        return proc

    def pump(self, timeout):
        fds = [r.fd for r in self.readers if not r.eof]
        if not fds:
            time.sleep(max(0.0, timeout))
            return
        ready, _, _ = select.select(fds, [], [], max(0.0, timeout))
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

    def ask(self, proc, reader, command, answer, timeout, what):
        """Writes one command line to a helper and waits for its answer line: (index, line)."""
        start = len(reader.lines)
        proc.stdin.write((command + "\n").encode())
        proc.stdin.flush()
        return self.wait(reader, answer, timeout, what, start)

    def stop(self, proc, grace=3.0):
        stop(proc, grace)

    def forget(self, proc):
        self.stop(proc)
        self.procs = [(n, p) for n, p in self.procs if p is not proc]

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
        _, line = self.hub.ask(self.proc, self.out, command, lambda l: l.split()[0] in (answer, "ERROR"),
                               timeout, f"keys: {command}")
        if line.startswith("ERROR"):
            raise Failure(f"keys: {line}")
        return start, line
