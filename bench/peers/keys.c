/* Types on the X server through XTEST, as a real keyboard would, and says when.
 *
 *   keys        (DISPLAY names the server)
 *
 * Key auto-repeat is switched off for the whole server at start: one press, one note.
 * Times are CLOCK_MONOTONIC_RAW in nanoseconds, taken just before the fake event is queued and
 * flushed to the server (the clock JACK's jack_get_time() reads on Linux; the probe's CLOCK
 * line lets the harness check that).
 *
 * The window given focus is also watched for key events (any number of clients may select
 * them), so that the harness sees each press and release as the X server stamped it: a toolkit
 * takes a release and a press of one key with the same server time for auto-repeat. The watch
 * asks for detectable auto-repeat, as Plinkett does: without it this X server sends every fake
 * press of a key after a release of it stamped the same millisecond, which is no release the
 * typist made.
 *
 * Commands on stdin, one a line; each answers on stdout:
 *   focus <window>                       gives the window the input focus (no window manager
 *                                        runs to do it)   -> OK
 *   down <keysym> | up <keysym>          -> T <ns>
 *   burst <keysym> <count> <hold ms> <gap ms>
 *                                        presses and releases on a fixed schedule; after a
 *                                        stall the schedule starts again from the late event,
 *                                        so a hold or a gap is never shorter than asked
 *                                        -> P <i> <ns>, R <i> <ns> ..., then DONE
 *   seen                                 the key events the watched window got since the
 *                                        focus or the last "seen", with the server's times
 *                                        -> X P|R <server ms> <keycode> ..., then SEEN
 *   close <window>                       what a window manager's close box sends
 *                                        (WM_DELETE_WINDOW)   -> OK
 */
#define _GNU_SOURCE
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static Display* d;

static uint64_t raw_ns(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC_RAW, &t);
  return (uint64_t)t.tv_sec * 1000000000u + (uint64_t)t.tv_nsec;
}

static int ignore_errors(Display* display, XErrorEvent* e) {
  (void)display;
  fprintf(stderr, "keys: X error %d\n", e->error_code);
  return 0;
}

static KeyCode keycode_of(const char* name) {
  const KeySym sym = XStringToKeysym(name);
  return sym == NoSymbol ? 0 : XKeysymToKeycode(d, sym);
}

static uint64_t key(KeyCode code, int press) {
  const uint64_t when = raw_ns();
  XTestFakeKeyEvent(d, code, press ? True : False, CurrentTime);
  XFlush(d);
  return when;
}

static int64_t mono_ns(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (int64_t)t.tv_sec * 1000000000 + t.tv_nsec;
}

/* Sleeps until add_ms after *at, and moves *at there. A step that began late (the typist was
 * not scheduled in time) is measured from when it began instead: two events that a stall
 * pushed together would otherwise go out back to back, and a release and the next press of
 * one key within the same server millisecond read as an auto-repeat to a toolkit. */
static void sleep_until(int64_t* at, long add_ms) {
  const int64_t now = mono_ns();
  if (now > *at + 1000000) *at = now;
  *at += add_ms * 1000000L;
  const struct timespec until = {(time_t)(*at / 1000000000), (long)(*at % 1000000000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, NULL) != 0) {
  }
}

static void print_seen(void) {
  XSync(d, False);
  while (XPending(d) > 0) {
    XEvent e;
    XNextEvent(d, &e);
    if (e.type == KeyPress || e.type == KeyRelease) {
      printf("X %c %lu %u\n", e.type == KeyPress ? 'P' : 'R', (unsigned long)e.xkey.time, e.xkey.keycode);
    }
  }
  printf("SEEN\n");
}

static void close_window(Window w) {
  XEvent e;
  memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = (long)XInternAtom(d, "WM_DELETE_WINDOW", False);
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, w, False, NoEventMask, &e);
  XSync(d, False);
}

int main(void) {
  d = XOpenDisplay(NULL);
  int event_base, error_base, major, minor;
  if (d == NULL || !XTestQueryExtension(d, &event_base, &error_base, &major, &minor)) {
    fprintf(stderr, "keys: no display or no XTEST\n");
    return 1;
  }
  XSetErrorHandler(ignore_errors);
  Bool detectable = False;
  XkbSetDetectableAutoRepeat(d, True, &detectable);
  XAutoRepeatOff(d);
  XSync(d, False);
  char line[256];
  while (fgets(line, sizeof line, stdin) != NULL) {
    char verb[32] = "", arg[64] = "";
    long a = 0, b = 0, c = 0;
    const int n = sscanf(line, "%31s %63s %ld %ld %ld", verb, arg, &a, &b, &c);
    if (n == 1 && strcmp(verb, "seen") == 0) {
      print_seen();
    } else if (n < 2) {
      printf("ERROR %s", line);
    } else if (strcmp(verb, "focus") == 0) {
      const Window w = (Window)strtoul(arg, NULL, 0);
      XSetInputFocus(d, w, RevertToPointerRoot, CurrentTime);
      XSelectInput(d, w, KeyPressMask | KeyReleaseMask);
      XSync(d, False);
      while (XPending(d) > 0) {
        XEvent e;
        XNextEvent(d, &e);
      }
      printf("OK\n");
    } else if (strcmp(verb, "close") == 0) {
      close_window((Window)strtoul(arg, NULL, 0));
      printf("OK\n");
    } else if (strcmp(verb, "down") == 0 || strcmp(verb, "up") == 0) {
      const KeyCode code = keycode_of(arg);
      if (code == 0) printf("ERROR no key %s\n", arg);
      else printf("T %llu\n", (unsigned long long)key(code, verb[0] == 'd'));
    } else if (strcmp(verb, "burst") == 0 && n == 5) {
      const KeyCode code = keycode_of(arg);
      int64_t at = mono_ns();
      for (long i = 0; code != 0 && i < a; ++i) {
        const uint64_t down = key(code, 1);
        sleep_until(&at, b);
        const uint64_t up = key(code, 0);
        printf("P %ld %llu\nR %ld %llu\n", i, (unsigned long long)down, i, (unsigned long long)up);
        sleep_until(&at, c);
      }
      printf(code == 0 ? "ERROR no key\n" : "DONE\n");
    } else {
      printf("ERROR %s", line);
    }
    fflush(stdout);
  }
  XAutoRepeatOn(d);
  XCloseDisplay(d);
  return 0;
}
