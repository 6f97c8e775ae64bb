/* The harness's JACK client: it receives what the measured program sends and times it.
 *
 *   probe <client name> [--threshold LEVEL] [--quiet-ms N]
 *
 * Ports: <name>:midi_in (MIDI), <name>:audio_in_1 and <name>:audio_in_2 (audio).
 * Every MIDI or audio output port that another client registers (the server's own "system"
 * ports aside) is connected to these inputs as soon as JACK reports it, so no one polls for it.
 *
 * Times are on JACK's clock (jack_get_time(), microseconds) written as nanoseconds. The start of
 * the cycle in which something arrived is the callback's time minus
 * jack_frames_since_cycle_start(); an event's time is that start plus its frame offset.
 * jack_frames_to_time() is not used: after an xrun it is off by milliseconds.
 *
 * Lines on stdout, one a record, flushed at once:
 *   READY <rate> <period>
 *   CLOCK <jack ns> <CLOCK_MONOTONIC_RAW ns> <CLOCK_MONOTONIC ns>   (on "clock")
 *   INPUT <index> <port>             the server's MIDI inputs in its order (on "list")
 *   CONNECTED <source port> <destination port>
 *   MIDI <event ns> <cycle start ns> <frame offset> <callback ns> <hex bytes>
 *   SOUND <first loud sample ns> <level>   the first sample above LEVEL after a quiet spell
 *   QUIET <ns>                        the signal has stayed below LEVEL for the quiet time
 *   XRUN <ns>
 *   END
 * Commands on stdin: "clock", "list", "quit". It never starts a JACK server.
 */
#define _GNU_SOURCE
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <errno.h>
#include <math.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum { kMidi = 1, kSound = 2, kQuiet = 3, kXrun = 4 };

typedef struct {
  int kind;
  uint64_t when_ns;  /* event time (MIDI), first loud sample (SOUND), moment (QUIET, XRUN) */
  uint64_t cycle_ns;
  uint64_t callback_ns;
  uint32_t offset;
  float level;
  uint8_t length;
  uint8_t bytes[12];
} Record;

static jack_client_t* client;
static jack_port_t* midi_in;
static jack_port_t* audio_in[2];
static jack_ringbuffer_t* ring;
static jack_ringbuffer_t* registered;  /* port ids from the registration callback */
static jack_ringbuffer_t* xruns;       /* xrun times: the notification thread is a second writer */
static double rate;
static float threshold = 1e-4f;
static uint32_t quiet_frames_needed;
static volatile sig_atomic_t stop_requested;
static volatile sig_atomic_t server_gone;

/* Audio state, touched only by the process thread. */
static int loud;
static uint32_t quiet_frames;

static void push(const Record* r) {
  if (jack_ringbuffer_write_space(ring) >= sizeof *r) {
    jack_ringbuffer_write(ring, (const char*)r, sizeof *r);
  }
}

static int process(jack_nframes_t frames, void* arg) {
  (void)arg;
  const jack_time_t now = jack_get_time();
  const jack_nframes_t since = jack_frames_since_cycle_start(client);
  const double cycle_us = (double)now - since * 1e6 / rate;
  const uint64_t cycle_ns = (uint64_t)(cycle_us * 1000.0);
  void* buffer = jack_port_get_buffer(midi_in, frames);
  const uint32_t count = jack_midi_get_event_count(buffer);
  for (uint32_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, buffer, i) != 0) continue;
    Record r;
    memset(&r, 0, sizeof r);
    r.kind = kMidi;
    r.cycle_ns = cycle_ns;
    r.callback_ns = (uint64_t)now * 1000u;
    r.offset = event.time;
    r.when_ns = (uint64_t)((cycle_us + event.time * 1e6 / rate) * 1000.0);
    r.length = (uint8_t)(event.size < sizeof r.bytes ? event.size : sizeof r.bytes);
    memcpy(r.bytes, event.buffer, r.length);
    push(&r);
  }
  const float* left = jack_port_get_buffer(audio_in[0], frames);
  const float* right = jack_port_get_buffer(audio_in[1], frames);
  for (jack_nframes_t i = 0; i < frames; ++i) {
    const float a = fabsf(left[i]);
    const float b = fabsf(right[i]);
    const float level = a > b ? a : b;
    if (level > threshold) {
      if (!loud) {
        Record r;
        memset(&r, 0, sizeof r);
        r.kind = kSound;
        r.cycle_ns = cycle_ns;
        r.callback_ns = (uint64_t)now * 1000u;
        r.offset = i;
        r.level = level;
        r.when_ns = (uint64_t)((cycle_us + i * 1e6 / rate) * 1000.0);
        push(&r);
        loud = 1;
      }
      quiet_frames = 0;
    } else if (loud && ++quiet_frames >= quiet_frames_needed) {
      Record r;
      memset(&r, 0, sizeof r);
      r.kind = kQuiet;
      r.when_ns = (uint64_t)((cycle_us + i * 1e6 / rate) * 1000.0);
      push(&r);
      loud = 0;
    }
  }
  return 0;
}

static int on_xrun(void* arg) {
  (void)arg;
  Record r;
  memset(&r, 0, sizeof r);
  r.kind = kXrun;
  r.when_ns = (uint64_t)jack_get_time() * 1000u;
  if (jack_ringbuffer_write_space(xruns) >= sizeof r) {
    jack_ringbuffer_write(xruns, (const char*)&r, sizeof r);
  }
  return 0;
}

static void on_registration(jack_port_id_t id, int registering, void* arg) {
  (void)arg;
  if (!registering) return;
  if (jack_ringbuffer_write_space(registered) >= sizeof id) {
    jack_ringbuffer_write(registered, (const char*)&id, sizeof id);
  }
}

static void on_shutdown(void* arg) {
  (void)arg;
  server_gone = 1;
}

static void on_signal(int sig) {
  (void)sig;
  stop_requested = 1;
}

static uint64_t clock_ns(clockid_t id) {
  struct timespec t;
  clock_gettime(id, &t);
  return (uint64_t)t.tv_sec * 1000000000u + (uint64_t)t.tv_nsec;
}

static void print_records(void) {
  Record r;
  for (;;) {
    if (jack_ringbuffer_read_space(xruns) >= sizeof r) {
      jack_ringbuffer_read(xruns, (char*)&r, sizeof r);
    } else if (jack_ringbuffer_read_space(ring) >= sizeof r) {
      jack_ringbuffer_read(ring, (char*)&r, sizeof r);
    } else {
      break;
    }
    switch (r.kind) {
      case kMidi:
        printf("MIDI %llu %llu %u %llu", (unsigned long long)r.when_ns,
               (unsigned long long)r.cycle_ns, r.offset, (unsigned long long)r.callback_ns);
        for (uint8_t i = 0; i < r.length; ++i) printf(i == 0 ? " %02X" : "%02X", r.bytes[i]);
        printf("\n");
        break;
      case kSound:
        printf("SOUND %llu %.6g\n", (unsigned long long)r.when_ns, r.level);
        break;
      case kQuiet:
        printf("QUIET %llu\n", (unsigned long long)r.when_ns);
        break;
      case kXrun:
        printf("XRUN %llu\n", (unsigned long long)r.when_ns);
        break;
    }
  }
  fflush(stdout);
}

/* The client name of a port: what comes before the first ':'. */
static void client_of(const char* port, char* out, size_t size) {
  const char* colon = strchr(port, ':');
  size_t n = colon ? (size_t)(colon - port) : strlen(port);
  if (n >= size) n = size - 1;
  memcpy(out, port, n);
  out[n] = '\0';
}

/* Audio outputs of one client go left, right, left, ... */
static struct {
  char client[128];
  int next;
} audio_clients[64];

static int audio_slot(const char* owner) {
  for (int i = 0; i < 64; ++i) {
    if (audio_clients[i].client[0] == '\0') {
      snprintf(audio_clients[i].client, sizeof audio_clients[i].client, "%s", owner);
    }
    if (strcmp(audio_clients[i].client, owner) == 0) return audio_clients[i].next++ % 2;
  }
  return 0;
}

static void connect_registered(const char* own) {
  jack_port_id_t id;
  while (jack_ringbuffer_read_space(registered) >= sizeof id) {
    jack_ringbuffer_read(registered, (char*)&id, sizeof id);
    jack_port_t* port = jack_port_by_id(client, id);
    if (port == NULL || !(jack_port_flags(port) & JackPortIsOutput)) continue;
    const char* name = jack_port_name(port);
    char owner[128];
    client_of(name, owner, sizeof owner);
    if (strcmp(owner, own) == 0 || strcmp(owner, "system") == 0) continue;
    const char* type = jack_port_type(port);
    const char* destination;
    if (strcmp(type, JACK_DEFAULT_MIDI_TYPE) == 0) {
      destination = jack_port_name(midi_in);
    } else if (strcmp(type, JACK_DEFAULT_AUDIO_TYPE) == 0) {
      destination = jack_port_name(audio_in[audio_slot(owner)]);
    } else {
      continue;
    }
    const int result = jack_connect(client, name, destination);
    if (result == 0 || result == EEXIST) {
      printf("CONNECTED %s %s\n", name, destination);
    } else {
      printf("NOTCONNECTED %s %s %d\n", name, destination, result);
    }
    fflush(stdout);
  }
}

static void list_inputs(void) {
  const char** ports = jack_get_ports(client, NULL, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
  for (int i = 0; ports != NULL && ports[i] != NULL; ++i) printf("INPUT %d %s\n", i, ports[i]);
  printf("INPUT end\n");
  fflush(stdout);
  jack_free(ports);
}

static void print_clock(void) {
  /* Three readings close together; the middle one is bracketed by the other two. */
  const uint64_t raw = clock_ns(CLOCK_MONOTONIC_RAW);
  const uint64_t jack = (uint64_t)jack_get_time() * 1000u;
  const uint64_t mono = clock_ns(CLOCK_MONOTONIC);
  printf("CLOCK %llu %llu %llu\n", (unsigned long long)jack, (unsigned long long)raw,
         (unsigned long long)mono);
  fflush(stdout);
}

/* Reads whole lines from stdin without blocking; returns 0 at end of input. */
static int handle_commands(void) {
  static char line[256];
  static size_t used;
  char chunk[256];
  const ssize_t n = read(0, chunk, sizeof chunk);
  if (n == 0) return 0;
  if (n < 0) return errno == EINTR || errno == EAGAIN ? 1 : 0;
  for (ssize_t i = 0; i < n; ++i) {
    if (chunk[i] != '\n') {
      if (used < sizeof line - 1) line[used++] = chunk[i];
      continue;
    }
    line[used] = '\0';
    used = 0;
    if (strcmp(line, "clock") == 0) print_clock();
    else if (strcmp(line, "list") == 0) list_inputs();
    else if (strcmp(line, "quit") == 0) stop_requested = 1;
  }
  return 1;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s <client name> [--threshold LEVEL] [--quiet-ms N]\n", argv[0]);
    return 2;
  }
  double quiet_ms = 50.0;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (strcmp(argv[i], "--threshold") == 0) threshold = strtof(argv[i + 1], NULL);
    else if (strcmp(argv[i], "--quiet-ms") == 0) quiet_ms = strtod(argv[i + 1], NULL);
  }
  jack_status_t status;
  client = jack_client_open(argv[1], JackNoStartServer | JackUseExactName, &status);
  if (client == NULL) {
    fprintf(stderr, "probe: cannot reach the JACK server (status 0x%x)\n", (unsigned)status);
    return 1;
  }
  rate = jack_get_sample_rate(client);
  quiet_frames_needed = (uint32_t)(quiet_ms * rate / 1000.0);
  ring = jack_ringbuffer_create(1 << 20);
  registered = jack_ringbuffer_create(1 << 12);
  xruns = jack_ringbuffer_create(1 << 14);
  midi_in = jack_port_register(client, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  audio_in[0] = jack_port_register(client, "audio_in_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  audio_in[1] = jack_port_register(client, "audio_in_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  if (!ring || !registered || !xruns || !midi_in || !audio_in[0] || !audio_in[1]) {
    fprintf(stderr, "probe: cannot register its ports\n");
    return 1;
  }
  jack_set_process_callback(client, process, NULL);
  jack_set_xrun_callback(client, on_xrun, NULL);
  jack_set_port_registration_callback(client, on_registration, NULL);
  jack_on_shutdown(client, on_shutdown, NULL);
  signal(SIGTERM, on_signal);
  signal(SIGINT, on_signal);
  signal(SIGPIPE, SIG_IGN);
  if (jack_activate(client) != 0) {
    fprintf(stderr, "probe: cannot activate\n");
    return 1;
  }
  printf("READY %.0f %u\n", rate, jack_get_buffer_size(client));
  fflush(stdout);
  const char* own = jack_get_client_name(client);
  int input_open = 1;
  while (!stop_requested && !server_gone) {
    struct pollfd fd = {input_open ? 0 : -1, POLLIN, 0};
    if (poll(&fd, 1, 2) > 0 && (fd.revents & (POLLIN | POLLHUP))) input_open = handle_commands();
    if (!input_open) stop_requested = 1;
    print_records();
    connect_registered(own);
  }
  jack_deactivate(client);
  print_records();
  printf("END\n");
  fflush(stdout);
  jack_client_close(client);
  return server_gone && !stop_requested ? 1 : 0;
}
