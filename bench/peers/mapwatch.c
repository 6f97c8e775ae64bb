/* Watches the X server for top-level windows being mapped and times each one.
 *
 *   mapwatch        (DISPLAY names the server)
 *
 * It selects SubstructureNotify on the root window, so the server sends it a MapNotify for every
 * child of the root that is mapped; it blocks on the connection and takes CLOCK_MONOTONIC as soon
 * as an event is read, so nothing polls. It asks for SCHED_FIFO priority 5 (below a realtime JACK
 * server's 10) so that a busy program being launched does not delay its reading; "FIFO no" in the
 * READY line says that was refused.
 *
 * Lines on stdout, flushed at once:
 *   READY FIFO yes|no
 *   MAP <ns> <window> <override-redirect 0|1> <transient 0|1> <_NET_WM_PID or 0> <WM_NAME or ->
 * (transient: the window names another in WM_TRANSIENT_FOR, as dialogs and splash screens do)
 */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <sched.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

static uint64_t now_ns(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (uint64_t)t.tv_sec * 1000000000u + (uint64_t)t.tv_nsec;
}

static int ignore_errors(Display* d, XErrorEvent* e) {
  (void)d;
  (void)e;
  return 0;  /* a window can be gone by the time its properties are asked for */
}

static unsigned long window_pid(Display* d, Window w, Atom pid_atom) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = NULL;
  unsigned long pid = 0;
  if (XGetWindowProperty(d, w, pid_atom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                         &after, &data) == Success &&
      data != NULL && count == 1 && format == 32) {
    pid = *(unsigned long*)data;
  }
  if (data) XFree(data);
  return pid;
}

int main(void) {
  Display* d = XOpenDisplay(NULL);
  if (d == NULL) {
    fprintf(stderr, "mapwatch: cannot open the display\n");
    return 1;
  }
  struct sched_param param = {.sched_priority = 5};
  const int fifo = sched_setscheduler(0, SCHED_FIFO, &param) == 0;
  signal(SIGPIPE, SIG_DFL);
  XSetErrorHandler(ignore_errors);
  const Atom pid_atom = XInternAtom(d, "_NET_WM_PID", False);
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  XSync(d, False);
  printf("READY FIFO %s\n", fifo ? "yes" : "no");
  fflush(stdout);
  for (;;) {
    /* Everything read in one go arrived by the time the first event was returned: time the
       batch once, before the property requests below make round trips. */
    XEvent batch[64];
    int n = 0;
    XNextEvent(d, &batch[n++]);
    const uint64_t when = now_ns();
    while (n < 64 && XEventsQueued(d, QueuedAlready) > 0) XNextEvent(d, &batch[n++]);
    for (int i = 0; i < n; ++i) {
      const XEvent* e = &batch[i];
      if (e->type != MapNotify) continue;
      const Window w = e->xmap.window;
      char* name = NULL;
      XFetchName(d, w, &name);
      if (name != NULL) {
        for (char* c = name; *c; ++c) {
          if (*c == '\n' || *c == '\r') *c = ' ';
        }
      }
      Window owner = None;
      const int transient = XGetTransientForHint(d, w, &owner) != 0;
      printf("MAP %llu %lu %d %d %lu %s\n", (unsigned long long)when, (unsigned long)w,
             e->xmap.override_redirect ? 1 : 0, transient, window_pid(d, w, pid_atom),
             name && *name ? name : "-");
      fflush(stdout);
      if (name) XFree(name);
    }
  }
}
