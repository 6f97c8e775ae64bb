// A JACK client with one MIDI input port, "<client>:in", that prints every event it receives
// as hex bytes, one event a line ("90 37 64"), flushed at once, until SIGTERM or SIGINT.
// "ready" goes to stderr once the port exists and the client runs. It never starts a server.
// With --times each line ends with " @<microseconds>": the system's monotonic clock when the
// event reached this client, for latency measurements against other processes' clocks.
//
//   plinkett_jack_capture <client name> [--times]
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

// One record in the ring: the event's length, then its bytes (longer events are cut).
constexpr std::size_t kMaxEventBytes = 15;
struct Record {
  uint64_t when;  // microseconds, CLOCK_MONOTONIC
  uint8_t length;
  uint8_t bytes[kMaxEventBytes];
};

jack_port_t* inputPort = nullptr;
jack_ringbuffer_t* ring = nullptr;
volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t serverGone = 0;
bool printTimes = false;

// Runs on JACK's thread: no printing, no allocation; the main thread prints.
int process(jack_nframes_t frames, void*) {
  void* buffer = jack_port_get_buffer(inputPort, frames);
  const uint32_t count = jack_midi_get_event_count(buffer);
  // Not jack_get_time(): JACK's clock need not start where the system's monotonic clock does.
  timespec clock{};
  clock_gettime(CLOCK_MONOTONIC, &clock);
  const uint64_t now = static_cast<uint64_t>(clock.tv_sec) * 1000000u + static_cast<uint64_t>(clock.tv_nsec) / 1000u;
  for (uint32_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, buffer, i) != 0) continue;
    Record record{};
    record.when = now;
    record.length = static_cast<uint8_t>(event.size < kMaxEventBytes ? event.size : kMaxEventBytes);
    std::memcpy(record.bytes, event.buffer, record.length);
    if (jack_ringbuffer_write_space(ring) >= sizeof record) {
      jack_ringbuffer_write(ring, reinterpret_cast<const char*>(&record), sizeof record);
    }
  }
  return 0;
}

void onShutdown(void*) { serverGone = 1; }
void onSignal(int) { stopRequested = 1; }

void printPending() {
  Record record;
  while (jack_ringbuffer_read_space(ring) >= sizeof record) {
    jack_ringbuffer_read(ring, reinterpret_cast<char*>(&record), sizeof record);
    for (uint8_t i = 0; i < record.length; ++i) {
      std::printf(i == 0 ? "%02X" : " %02X", record.bytes[i]);
    }
    if (printTimes) std::printf(" @%llu", static_cast<unsigned long long>(record.when));
    std::printf("\n");
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  printTimes = argc == 3 && std::strcmp(argv[2], "--times") == 0;
  if (argc != 2 && !printTimes) {
    std::fprintf(stderr, "usage: %s <client name> [--times]\n", argv[0]);
    return 2;
  }
  jack_status_t status{};
  jack_client_t* client = jack_client_open(argv[1], static_cast<jack_options_t>(JackNoStartServer | JackUseExactName), &status);
  if (client == nullptr) {
    std::fprintf(stderr, "cannot connect to the JACK server (status 0x%x)\n",
                 static_cast<unsigned>(status));
    return 1;
  }
  ring = jack_ringbuffer_create(1 << 16);
  inputPort = jack_port_register(client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  if (ring == nullptr || inputPort == nullptr) {
    std::fprintf(stderr, "cannot register the input port\n");
    jack_client_close(client);
    return 1;
  }
  jack_set_process_callback(client, process, nullptr);
  jack_on_shutdown(client, onShutdown, nullptr);
  std::signal(SIGTERM, onSignal);
  std::signal(SIGINT, onSignal);
  if (jack_activate(client) != 0) {
    std::fprintf(stderr, "cannot activate the client\n");
    jack_client_close(client);
    return 1;
  }
  std::fprintf(stderr, "ready\n");
  const timespec pause{0, 2'000'000};
  while (stopRequested == 0 && serverGone == 0) {
    printPending();
    nanosleep(&pause, nullptr);
  }
  jack_deactivate(client);
  printPending();
  jack_client_close(client);
  jack_ringbuffer_free(ring);
  return serverGone != 0 && stopRequested == 0 ? 1 : 0;
}
