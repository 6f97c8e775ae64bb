#include "backends/linux_midi/jack_output.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "backends/linux_midi/jack_server_thread.h"
#include "backends/linux_midi/midi_names.h"
#include "backends/linux_midi/midi_probe.h"
#include "backends/linux_midi/midi_trouble.h"
#include "backends/start_trace/start_trace.h"

namespace {

// One message in a ring: its length, then its bytes.
struct QueuedMessage {
  uint8_t length;
  uint8_t bytes[3];
};
static_assert(sizeof(QueuedMessage) == 4);

// 1,023 messages: far more than two hands and the panic key send within one cycle of any
// server, so only a stalled or dead server ever fills it.
constexpr std::size_t kRingBytes = 4096;

// How long a closing port gives its last messages (the all-notes-off of a close) to leave, and
// a new connection to reach the server's graph. A running server does either within two
// cycles; a stalled one gets the messages dropped.
constexpr std::chrono::milliseconds kServerWaitLimit{200};

// Ports one client carries at once; the program itself opens one device at a time.
constexpr std::size_t kMaxOutputs = 4;
constexpr const char* kPortNames[kMaxOutputs] = {"out", "out-2", "out-3", "out-4"};

struct JackClient {
  jack_client_t* client = nullptr;
  std::atomic<JackAudio*> audio{nullptr};  // what the callback renders into, if anything
  std::atomic<bool> dead{false};     // set by JACK's shutdown callback, on JACK's thread
  std::atomic<bool> inCycle{false};  // the process callback is looking at the outputs
  std::atomic<uint64_t> cycles{0};   // process cycles begun
  std::array<std::atomic<JackOutput*>, kMaxOutputs> outputs{};  // what the callback serves
  // By slot, for JACK's notification thread, which compares them and touches no output: the port
  // connected to a destination, and whether that connection was cut since the port opened.
  std::array<std::atomic<jack_port_t*>, kMaxOutputs> watched{};
  std::array<std::atomic<bool>, kMaxOutputs> cut{};
  std::array<JackOutput*, kMaxOutputs> opened{};  // main thread only: open, served or not yet
  JackAudio* audioOpened = nullptr;  // main thread only: the synthesizer's ports, served or not yet
  bool goneSaid = false;             // main thread only: the server's death has been reported
  bool active = false;               // server thread only: in the process graph
  std::size_t registered = 0;        // server thread only: ports registered and not yet removed
};

// An opening of the client on the server thread. The main thread takes its client up, or, when
// the server did not answer in time, leaves it to the server thread to close once it is open.
struct Opening {
  uint64_t ticket = 0;
  std::mutex lock;
  bool done = false;               // (lock)
  bool wanted = true;              // (lock)
  JackClient* client = nullptr;    // (lock)
};

// The one client, or nullptr; main thread only.
JackClient* gClient = nullptr;
// The sample rate of the server the latest client opened on; 0 once it is let go. Any thread.
std::atomic<uint32_t> gServerRate{0};
// An opening begun and not yet taken up; main thread only.
std::shared_ptr<Opening> gOpening;
// The ticket of the latest opening's job, 0 before any; the rate is known once it has run.
std::atomic<uint64_t> gOpeningTicket{0};

}  // namespace

struct JackOutput {
  std::string device;                 // as the Devices menu names it, for what standard error says
  jack_port_t* port = nullptr;        // set on the server thread before the port is used
  jack_ringbuffer_t* ring = nullptr;  // written by the main thread, read by the process callback
  std::size_t slot = 0;
  // Main thread only: the client carrying the port, nullptr once the port is closed or its
  // client let go (its sends are dropped then).
  JackClient* client = nullptr;
  // Process thread only. JACK leaves an output buffer as it was written until the client clears
  // it, so a cycle after one that wrote events must clear it, or they would go out again.
  bool bufferHoldsEvents = true;
  bool cutSaid = false;               // main thread only: a cut connection has been reported
};

struct JackAudio {
  RenderAudio render = nullptr;
  void* context = nullptr;
  jack_port_t* ports[2] = {nullptr, nullptr};  // left, right; set on the server thread
  JackClient* client = nullptr;  // main thread only, as JackOutput::client
  // Set once the renderer may no longer be called (it is closing, or its client was let go). A
  // joining still queued may hand the ports to the callback after that: it renders nothing then.
  std::atomic<bool> silenced{false};
};

namespace {

// The process thread: no locks, no allocation, no waiting.
void deliver(JackOutput& out, jack_nframes_t frames) {
  const bool queued = jack_ringbuffer_read_space(out.ring) >= sizeof(QueuedMessage);
  if (!queued && !out.bufferHoldsEvents) return;
  void* buffer = jack_port_get_buffer(out.port, frames);
  jack_midi_clear_buffer(buffer);
  out.bufferHoldsEvents = false;
  QueuedMessage message;
  while (jack_ringbuffer_peek(out.ring, reinterpret_cast<char*>(&message), sizeof message) == sizeof message) {
    jack_midi_data_t* data = jack_midi_event_reserve(buffer, 0, message.length);
    if (data == nullptr) break;  // the port's buffer is full: the rest leaves next cycle
    std::memcpy(data, message.bytes, message.length);
    jack_ringbuffer_read_advance(out.ring, sizeof message);
    out.bufferHoldsEvents = true;
  }
}

int process(jack_nframes_t frames, void* arg) {
  auto& c = *static_cast<JackClient*>(arg);
  c.cycles.fetch_add(1, std::memory_order_relaxed);
  c.inCycle.store(true);
  for (auto& slot : c.outputs) {
    if (JackOutput* out = slot.load()) deliver(*out, frames);
  }
  if (JackAudio* audio = c.audio.load(); audio != nullptr && !audio->silenced.load()) {
    audio->render(audio->context, frames, static_cast<float*>(jack_port_get_buffer(audio->ports[0], frames)),
                  static_cast<float*>(jack_port_get_buffer(audio->ports[1], frames)));
  }
  c.inCycle.store(false);
  return 0;
}

void onShutdown(jack_status_t, const char*, void* arg) { static_cast<JackClient*>(arg)->dead.store(true); }

// JACK's notification thread: a connection of one of our ports was cut, because its destination
// left the graph or someone disconnected it. The main thread says so at the next send.
void onConnection(jack_port_id_t a, jack_port_id_t b, int connect, void* arg) {
  if (connect != 0) return;
  auto& c = *static_cast<JackClient*>(arg);
  const jack_port_t* ends[] = {jack_port_by_id(c.client, a), jack_port_by_id(c.client, b)};
  for (std::size_t slot = 0; slot < kMaxOutputs; ++slot) {
    const jack_port_t* port = c.watched[slot].load();
    if (port != nullptr && std::find(std::begin(ends), std::end(ends), port) != std::end(ends)) c.cut[slot].store(true);
  }
}

constexpr const char* kJack = "JACK";

// The server does not answer: it is stopped or hung (a dead server answers at once).
void reportServerNotAnswering() {
  reportMidiTrouble(kJack, "lost",
                    "the server did not answer within " + std::to_string(kServerAnswerLimit.count()) +
                        " ms: its devices are closed and not offered until it answers again");
}

// Once for a client: its server died, and what was sent to its ports since went nowhere.
void reportServerGone(JackClient& c) {
  if (c.goneSaid) return;
  c.goneSaid = true;
  reportMidiTrouble(kJack, "lost", "the server has gone: nothing reaches its devices until one is opened again");
}

// A pass of the callback that began before this call has ended when it returns. The callback
// never waits, so this lasts microseconds, whatever the server does.
void waitForCycleEnd(const JackClient& c) {
  while (c.inCycle.load()) std::this_thread::yield();
}

void freeOutput(JackOutput* out) {
  jack_ringbuffer_free(out->ring);
  delete out;
}

// Lets go of the client without waiting on its server: its ports are cut loose (their sends
// are dropped until they are closed) and the client is closed on the server thread, after any
// call still waiting there. What the jobs queued before may still hold is freed after them.
void letGoOfClient() {
  JackClient* c = gClient;
  if (c == nullptr) return;
  gClient = nullptr;
  gServerRate.store(0);
  for (std::size_t slot = 0; slot < kMaxOutputs; ++slot) {
    c->outputs[slot].store(nullptr);
    if (JackOutput* out = c->opened[slot]) out->client = nullptr;
  }
  if (c->audioOpened != nullptr) {
    c->audioOpened->silenced.store(true);
    c->audioOpened->client = nullptr;
  }
  waitForCycleEnd(*c);
  serverThreadQueue([c] {
    // No callback runs once this returns: then the client can go.
    serverCall([c] { return jack_client_close(c->client); });
    delete c;
  });
}

// A call that went unanswered: the server counts as gone, and the client is let go.
void giveUpOnServer() {
  reportServerNotAnswering();
  letGoOfClient();
}

// A client whose server has died never runs its callback again, and one whose server does not
// answer may never: either is let go, so that the next need opens a client afresh.
void letGoOfLostClient() {
  if (gClient == nullptr) return;
  if (gClient->dead.load()) reportServerGone(*gClient);
  if (gClient->dead.load() || serverThreadStalled()) letGoOfClient();
}

// The server's table of ports is shared memory that a client maps whole, with the buffer of
// every possible port inside it; the first listing touches each port's page (thousands), which
// costs tens of milliseconds. Done here, beside the toolkit's start, the main thread's first
// listing finds the pages in place.
void touchPortTable(jack_client_t* client) {
  jack_free(jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput));
}

JackClient* openClient() {
  jack_status_t status{};
  jack_client_t* handle = jack_client_open(kMidiClientName, JackNoStartServer, &status);
  if (handle == nullptr) return nullptr;
  gServerRate.store(jack_get_sample_rate(handle));
  traceStart("JACK client open");
  auto* c = new JackClient;
  c->client = handle;
  jack_set_process_callback(handle, process, c);
  jack_on_info_shutdown(handle, onShutdown, c);
  jack_set_port_connect_callback(handle, onConnection, c);
  return c;
}

// readPortTable: the first listing follows soon (touchPortTable).
void beginOpening(bool readPortTable = false) {
  keepJackFromStartingServer();
  auto opening = std::make_shared<Opening>();
  opening->ticket = serverThreadQueue([opening] {
    JackClient* c = serverCall(openClient);
    bool wanted = true;
    {
      const std::lock_guard<std::mutex> guard(opening->lock);
      opening->done = true;
      wanted = opening->wanted;
      if (wanted) opening->client = c;
    }
    if (!wanted && c != nullptr) {
      serverCall([c] { return jack_client_close(c->client); });
      delete c;
    }
  });
  gOpeningTicket.store(opening->ticket);
  // A job of its own, so that what waits for the opening alone (the synthesizer, for the rate)
  // does not wait for this too. The client is closed by a job queued later, if at all.
  if (readPortTable) {
    serverThreadQueue([opening] {
      JackClient* c = nullptr;
      {
        const std::lock_guard<std::mutex> guard(opening->lock);
        c = opening->client;
      }
      if (c == nullptr) return;
      touchPortTable(c->client);
      traceStart("JACK port table read");
    });
  }
  gOpening = std::move(opening);
}

void takeUpOpening() {
  const bool answered = serverThreadWait(gOpening->ticket);
  bool done = false;
  {
    const std::lock_guard<std::mutex> guard(gOpening->lock);
    done = gOpening->done;
    if (done) gClient = gOpening->client;
    else gOpening->wanted = false;
  }
  if (!answered && !done) reportServerNotAnswering();
  gOpening.reset();
}

// The client, opened now when there is none (without ever starting a server); nullptr without
// a server or with one that does not answer.
// Why client() gave none.
std::string noClientWhy() { return serverThreadStalled() ? "the JACK server does not answer" : "no JACK server runs"; }

JackClient* client() {
  letGoOfLostClient();
  if (gClient == nullptr && gOpening == nullptr && !serverThreadStalled()) beginOpening();
  if (gOpening != nullptr) takeUpOpening();
  return gClient;
}

// Waits, polling each millisecond, until done() holds, the server dies or the deadline passes.
template <typename Done>
void waitOnServer(const JackClient& c, std::chrono::steady_clock::time_point deadline, Done done) {
  while (!done() && !c.dead.load() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// Waits until the process callback has taken every queued message and a new cycle has begun,
// by which time the ports they reached have read them too.
void letQueuedMessagesLeave(JackClient& c, const JackOutput& out) {
  const auto deadline = std::chrono::steady_clock::now() + kServerWaitLimit;
  waitOnServer(c, deadline, [&] { return jack_ringbuffer_read_space(out.ring) == 0; });
  const uint64_t begun = c.cycles.load();
  waitOnServer(c, deadline, [&] { return c.cycles.load() > begun; });
}

// An idle client in the graph would still be woken every cycle. Server thread.
void takeOutOfGraphWhenIdle(JackClient& c) {
  if (c.registered == 0 && c.active && !c.dead.load()) {
    serverCall([&c] { return jack_deactivate(c.client); });
    c.active = false;
  }
}

// Server thread: the client is in the process graph (it may have been already); false when the
// server refused it.
bool joinGraph(JackClient& c) {
  if (!c.active) c.active = serverCall([&c] { return jack_activate(c.client); }) == 0;
  return c.active;
}

// Server thread.
void registerPort(JackClient& c, JackOutput& out) {
  out.port = serverCall([&] {
    return jack_port_register(c.client, kPortNames[out.slot], JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  });
  if (out.port != nullptr) ++c.registered;
  else takeOutOfGraphWhenIdle(c);
  traceStart("JACK port registered");
}

// Joining the graph waits for the server to take the client into its cycle (about 5 ms, more
// than everything else in an opening), so the main thread does not wait for it: messages sent
// meanwhile wait in the ring and leave at the port's first cycle.
//
// The server takes a new connection into its graph only at the start of a cycle, and the cycle
// running when jack_connect returns may still be on the old graph: a message the port wrote then
// would reach nobody (the opening's program change was lost that way about once in a hundred
// starts). So the port is served from the second cycle that begins after the connection.
// Server thread.
void joinGraphAndConnect(JackClient& c, JackOutput& out, const std::string& destination) {
  if (!joinGraph(c)) return;  // the server went away: the port is never served, its sends are dropped
  if (!destination.empty()) {
    serverCall([&] { return jack_connect(c.client, jack_port_name(out.port), destination.c_str()); });
    c.watched[out.slot].store(out.port);
    const uint64_t begun = c.cycles.load();
    waitOnServer(c, std::chrono::steady_clock::now() + kServerWaitLimit, [&] { return c.cycles.load() >= begun + 2; });
  }
  c.outputs[out.slot].store(&out);
  traceStart("JACK port served");
}

// Server thread: the port goes once its last messages have left, and with the last port the
// client leaves the graph.
void closeOutput(JackClient& c, JackOutput* out) {
  c.watched[out->slot].store(nullptr);
  // A port that never joined the graph (the server failed it) has nothing that could leave.
  if (c.outputs[out->slot].load() == out) letQueuedMessagesLeave(c, *out);
  c.outputs[out->slot].store(nullptr);
  // The callback may have taken the output just before: let that pass end before the port goes.
  waitForCycleEnd(c);
  --c.registered;
  if (!c.dead.load()) {
    takeOutOfGraphWhenIdle(c);
    serverCall([&] { return jack_port_unregister(c.client, out->port); });
  }
  freeOutput(out);
}

constexpr const char* kAudioPortNames[2] = {"synth-left", "synth-right"};

// Server thread: both ports, or none.
void registerAudioPorts(JackClient& c, JackAudio& audio) {
  for (int side = 0; side < 2; ++side) {
    audio.ports[side] = serverCall([&] {
      return jack_port_register(c.client, kAudioPortNames[side], JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    });
  }
  if (audio.ports[0] != nullptr && audio.ports[1] != nullptr) {
    c.registered += 2;
    return;
  }
  for (jack_port_t*& port : audio.ports) {
    if (port != nullptr) serverCall([&] { return jack_port_unregister(c.client, port); });
    port = nullptr;
  }
  takeOutOfGraphWhenIdle(c);
}

// Server thread: into the graph, rendered from now on, and on to the server's first two
// playback ports (one playback port takes both sides).
void joinGraphAndPlay(JackClient& c, JackAudio& audio) {
  if (!joinGraph(c)) return;
  c.audio.store(&audio);
  const char** playback = jack_get_ports(c.client, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsInput);
  if (playback == nullptr) return;
  for (int side = 0; side < 2 && playback[0] != nullptr; ++side) {
    const char* to = side == 1 && playback[1] != nullptr ? playback[1] : playback[0];
    serverCall([&] { return jack_connect(c.client, jack_port_name(audio.ports[side]), to); });
  }
  jack_free(playback);
}

// Server thread.
void removeAudioPorts(JackClient& c, JackAudio* audio) {
  c.audio.store(nullptr);
  waitForCycleEnd(c);
  c.registered -= 2;
  if (!c.dead.load()) {
    takeOutOfGraphWhenIdle(c);
    for (jack_port_t* port : audio->ports) serverCall([&] { return jack_port_unregister(c.client, port); });
  }
  delete audio;
}

}  // namespace

void jackOpenClientEarly(bool forListing) {
  if (gClient == nullptr && gOpening == nullptr && !serverThreadStalled()) beginOpening(forListing);
}

bool jackAvailable() { return client() != nullptr; }

std::vector<std::string> jackMidiInputs() {
  std::vector<std::string> names;
  JackClient* c = client();
  if (c == nullptr) return names;
  // Read from the server's shared memory: no answer of the server is waited for.
  const char** ports = jack_get_ports(c->client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
  if (ports == nullptr) return names;
  const std::string own = std::string(jack_get_client_name(c->client)) + ":";
  for (std::size_t i = 0; ports[i] != nullptr; ++i) {
    if (!std::string_view(ports[i]).starts_with(own)) names.emplace_back(ports[i]);
  }
  jack_free(ports);
  return names;
}

JackOutput* jackOutputOpen(const std::string& device, const std::string& destination, std::string& why) {
  JackClient* c = client();
  if (c == nullptr) {
    why = noClientWhy();
    return nullptr;
  }
  std::size_t slot = 0;
  while (slot < kMaxOutputs && c->opened[slot] != nullptr) ++slot;
  if (slot == kMaxOutputs) {
    why = "every JACK port of the program is in use";
    return nullptr;
  }
  // A destination that is not there now makes the opening fail; one that goes in the next
  // milliseconds is no different from one that goes just after a connection.
  if (!destination.empty() && jack_port_by_name(c->client, destination.c_str()) == nullptr) {
    why = "the JACK server no longer has the port " + destination;
    return nullptr;
  }
  c->cut[slot].store(false);
  auto* out = new JackOutput;
  out->device = device;
  out->slot = slot;
  out->ring = jack_ringbuffer_create(kRingBytes);
  if (out->ring == nullptr) {
    delete out;
    why = "out of memory";
    return nullptr;
  }
  if (!serverThreadWait(serverThreadQueue([c, out] { registerPort(*c, *out); }))) {
    giveUpOnServer();
    serverThreadQueue([out] { freeOutput(out); });  // after the registration that holds it
    why = "the JACK server does not answer";
    return nullptr;
  }
  if (out->port == nullptr) {
    freeOutput(out);
    why = "the JACK server made no port for it";
    return nullptr;
  }
  c->opened[slot] = out;
  out->client = c;
  serverThreadQueue([c, out, destination] { joinGraphAndConnect(*c, *out, destination); });
  return out;
}

void jackOutputSend(JackOutput& out, const uint8_t* bytes, std::size_t length) {
  if (out.client == nullptr) return;
  if (out.client->dead.load(std::memory_order_relaxed)) return reportServerGone(*out.client);
  if (out.client->cut[out.slot].load(std::memory_order_relaxed) && !out.cutSaid) {
    out.cutSaid = true;
    reportMidiTrouble(out.device, "lost", "its JACK connection was cut (the destination left, or was disconnected)");
  }
  if (length == 0 || length > sizeof QueuedMessage::bytes) return;
  if (jack_ringbuffer_write_space(out.ring) < sizeof(QueuedMessage)) return;
  QueuedMessage message{static_cast<uint8_t>(length), {}};
  std::memcpy(message.bytes, bytes, length);
  jack_ringbuffer_write(out.ring, reinterpret_cast<const char*>(&message), sizeof message);
}

void jackOutputClose(JackOutput* out) {
  if (out == nullptr) return;
  letGoOfLostClient();
  JackClient* c = out->client;
  if (c == nullptr) {
    // Cut loose with its client: freed after the jobs that may still hold it.
    serverThreadQueue([out] { freeOutput(out); });
    return;
  }
  c->opened[out->slot] = nullptr;
  out->client = nullptr;
  if (!serverThreadWait(serverThreadQueue([c, out] { closeOutput(*c, out); }))) {
    giveUpOnServer();
  }
}

uint32_t jackServerRate() {
  const uint64_t opening = gOpeningTicket.load();
  if (opening == 0 || !serverThreadWait(opening)) return 0;
  return gServerRate.load();
}

JackAudio* jackAudioOpen(RenderAudio render, void* context, std::string& why) {
  JackClient* c = client();
  if (c == nullptr) {
    why = noClientWhy();
    return nullptr;
  }
  if (c->audioOpened != nullptr) {
    why = "the program's JACK audio ports are in use";
    return nullptr;
  }
  auto* audio = new JackAudio;
  audio->render = render;
  audio->context = context;
  if (!serverThreadWait(serverThreadQueue([c, audio] { registerAudioPorts(*c, *audio); }))) {
    giveUpOnServer();
    serverThreadQueue([audio] { delete audio; });  // after the registration that holds it
    why = "the JACK server does not answer";
    return nullptr;
  }
  if (audio->ports[0] == nullptr) {
    delete audio;
    why = "the JACK server made no audio ports for it";
    return nullptr;
  }
  c->audioOpened = audio;
  audio->client = c;
  serverThreadQueue([c, audio] { joinGraphAndPlay(*c, *audio); });
  return audio;
}

void jackAudioClose(JackAudio* audio) {
  if (audio == nullptr) return;
  letGoOfLostClient();
  JackClient* c = audio->client;
  if (c == nullptr) {
    // Cut loose with its client, which renders it no more: freed after the jobs that may hold
    // it, the client's closing among them.
    serverThreadQueue([audio] { delete audio; });
    return;
  }
  c->audioOpened = nullptr;
  audio->client = nullptr;
  audio->silenced.store(true);
  waitForCycleEnd(*c);
  if (!serverThreadWait(serverThreadQueue([c, audio] { removeAudioPorts(*c, audio); }))) {
    giveUpOnServer();
  }
}
