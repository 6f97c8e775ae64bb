/* The floor: the least a keyboard-to-JACK-MIDI program can do, as a yardstick for the others.
 * Bare Xlib and JACK: it opens a JACK client with one MIDI output, maps a plain window, and for
 * each key pressed or released in it queues a note-on or note-off that its process callback
 * writes at frame 0 of the next cycle. No toolkit, no drawing beyond clearing the window.
 *
 *   floor [client name]        (DISPLAY names the X server; it never starts a JACK server)
 *
 * It ends on WM_DELETE_WINDOW, SIGTERM or SIGINT, or when the JACK server goes.
 */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static jack_port_t* out;
static jack_ringbuffer_t* ring;
static volatile sig_atomic_t stop_requested;

static int process(jack_nframes_t frames, void* arg) {
  (void)arg;
  void* buffer = jack_port_get_buffer(out, frames);
  jack_midi_clear_buffer(buffer);
  uint8_t message[3];
  while (jack_ringbuffer_read_space(ring) >= sizeof message) {
    jack_ringbuffer_read(ring, (char*)message, sizeof message);
    jack_midi_event_write(buffer, 0, message, sizeof message);
  }
  return 0;
}

static void on_shutdown(void* arg) {
  (void)arg;
  stop_requested = 1;
}

static void on_signal(int sig) {
  (void)sig;
  stop_requested = 1;
}

int main(int argc, char** argv) {
  const char* name = argc > 1 ? argv[1] : "floor";
  jack_status_t status;
  jack_client_t* client = jack_client_open(name, JackNoStartServer, &status);
  if (client == NULL) {
    fprintf(stderr, "floor: cannot reach the JACK server (status 0x%x)\n", (unsigned)status);
    return 1;
  }
  ring = jack_ringbuffer_create(4096);
  out = jack_port_register(client, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  if (ring == NULL || out == NULL) return 1;
  jack_set_process_callback(client, process, NULL);
  jack_on_shutdown(client, on_shutdown, NULL);
  if (jack_activate(client) != 0) return 1;

  Display* d = XOpenDisplay(NULL);
  if (d == NULL) {
    fprintf(stderr, "floor: cannot open the display\n");
    return 1;
  }
  const int screen = DefaultScreen(d);
  const Window w = XCreateSimpleWindow(d, RootWindow(d, screen), 0, 0, 400, 120, 0,
                                       BlackPixel(d, screen), WhitePixel(d, screen));
  XStoreName(d, w, "floor");
  const long pid = (long)getpid();
  XChangeProperty(d, w, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  (const unsigned char*)&pid, 1);
  Atom delete_window = XInternAtom(d, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(d, w, &delete_window, 1);
  XSelectInput(d, w, KeyPressMask | KeyReleaseMask | ExposureMask);
  XMapWindow(d, w);
  XFlush(d);

  signal(SIGTERM, on_signal);
  signal(SIGINT, on_signal);
  const int fd = ConnectionNumber(d);
  while (!stop_requested) {
    while (!stop_requested && XPending(d) > 0) {
      XEvent e;
      XNextEvent(d, &e);
      if (e.type == KeyPress || e.type == KeyRelease) {
        const uint8_t note = (uint8_t)(36 + e.xkey.keycode % 60);
        const uint8_t message[3] = {e.type == KeyPress ? 0x90 : 0x80, note,
                                    e.type == KeyPress ? 100 : 64};
        if (jack_ringbuffer_write_space(ring) >= sizeof message) {
          jack_ringbuffer_write(ring, (const char*)message, sizeof message);
        }
      } else if (e.type == ClientMessage && (Atom)e.xclient.data.l[0] == delete_window) {
        stop_requested = 1;
      }
    }
    struct pollfd p = {fd, POLLIN, 0};
    poll(&p, 1, 200);
  }
  jack_deactivate(client);
  jack_client_close(client);
  XDestroyWindow(d, w);
  XCloseDisplay(d);
  return 0;
}
