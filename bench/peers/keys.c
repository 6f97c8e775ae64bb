/* Types on the X server through XTEST, as a real keyboard would, and says when.
 *
 *   keys        (DISPLAY names the server)
 *
 * Key auto-repeat is switched off for the whole server at start: one press, one note.
 * Times are CLOCK_MONOTONIC_RAW in nanoseconds, taken just before the fake event is queued and
 * flushed to the server (the clock JACK's jack_get_time() reads on Linux; the probe's CLOCK
 * line lets the harness check that).
 *
 * Commands on stdin, one a line; each answers on stdout:
 *   focus <window>                       gives the window the input focus (no window manager
 *                                        runs to do it)   -> OK
 *   down <keysym> | up <keysym>          -> T <ns>
 *   burst <keysym> <count> <hold ms> <gap ms>
 *                                        presses and releases on a fixed schedule
 *                                        -> P <i> <ns>, R <i> <ns> ..., then DONE
 *   close <window>                       what a window manager's close box sends
 *                                        (WM_DELETE_WINDOW)   -> OK
 */
#define _GNU_SOURCE
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

static void sleep_until(struct timespec* at, long add_ms) {
  at->tv_nsec += add_ms * 1000000L;
  while (at->tv_nsec >= 1000000000L) {
    at->tv_nsec -= 1000000000L;
    at->tv_sec += 1;
  }
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, at, NULL) != 0) {
  }
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
  XAutoRepeatOff(d);
  XSync(d, False);
  char line[256];
  while (fgets(line, sizeof line, stdin) != NULL) {
    char verb[32] = "", arg[64] = "";
    long a = 0, b = 0, c = 0;
    const int n = sscanf(line, "%31s %63s %ld %ld %ld", verb, arg, &a, &b, &c);
    if (n < 2) {
      printf("ERROR %s", line);
    } else if (strcmp(verb, "focus") == 0) {
      XSetInputFocus(d, (Window)strtoul(arg, NULL, 0), RevertToPointerRoot, CurrentTime);
      XSync(d, False);
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
      struct timespec at;
      clock_gettime(CLOCK_MONOTONIC, &at);
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
