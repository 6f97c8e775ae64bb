// The core's own share of a key press and of the settings record, on the recording platform: no
// toolkit, no MIDI server, no disk. What a real platform adds is measured elsewhere (paint_bench,
// files_bench, bench/run.sh for the whole road to a JACK input).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "base/app_state.h"
#include "base/commands.h"
#include "fake/fake_platform.h"
#include "fake/scenario.h"
#include "platform/events.h"
#include "settings/settings_file.h"

namespace {

constexpr int32_t kScanQ = 16;  // a note key of every layout
constexpr int32_t kVkQ = 'Q';

// A started program at its first-start size, with the mapper open, as a player finds it.
bool startProgram(bool recordCalls) {
  fake::reset();
  fake::script().recordCalls = recordCalls;
  fake::script().settingsBasePath = "/bench/plinkett";
  return startMainWindow() && app.midi.deviceOpen == 1;
}

// One key message per iteration, Q pressed and released in turn: the note-on or note-off word
// handed to plat::midiOutSend, and the key drawn pressed or released on the window. With
// recording:1 the fake also writes each platform call as a line of text, as the tests have it.
void BM_KeyMessageToMidiWord(benchmark::State& state) {
  const bool recordCalls = state.range(0) != 0;
  if (!startProgram(recordCalls)) {
    state.SkipWithError("the program did not start with a port open");
    return;
  }
  const KeyMessage press{false, kVkQ, kScanQ, false, {}};
  const KeyMessage release{true, kVkQ, kScanQ, false, {}};
  fake::clearLog();
  bool down = false;
  int64_t words = 0;
  int64_t calls = 0;
  for (auto _ : state) {
    handleKeyMessage(down ? release : press);
    down = !down;
    // Emptied as it goes, so a long run measures the same work at its end as at its start.
    words += static_cast<int64_t>(fake::world().sent.size());
    calls += static_cast<int64_t>(fake::world().calls.size());
    fake::clearLog();
  }
  if (words != state.iterations()) state.SkipWithError("a key message did not send exactly one word");
  state.counters["words"] = benchmark::Counter(static_cast<double>(words), benchmark::Counter::kAvgIterations);
  if (recordCalls) {
    state.counters["calls"] = benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kAvgIterations);
  }
}
BENCHMARK(BM_KeyMessageToMidiWord)->ArgName("recording")->Arg(0)->Arg(1);

// The core's share of a whole paint, beside paint_bench's figures for the Qt front end. calls:
// the platform calls one paint makes.
void BM_PaintKeyboardOnFake(benchmark::State& state) {
  if (!startProgram(true)) {
    state.SkipWithError("the program did not start with a port open");
    return;
  }
  dispatchCommand(static_cast<int32_t>(state.range(0)));
  fake::clearLog();
  paintKeyboard();
  const auto calls = static_cast<double>(fake::world().calls.size());
  fake::script().recordCalls = false;
  for (auto _ : state) paintKeyboard();
  state.counters["calls"] = calls;
}
BENCHMARK(BM_PaintKeyboardOnFake)->ArgName("zoom")->Arg(cmd::kZoomSmall)->Arg(cmd::kZoomNormal)->Arg(cmd::kZoomBig);

void BM_EncodeSettings(benchmark::State& state) {
  PersistedSettings s = fake::distinctSettings();
  for (auto _ : state) {
    benchmark::DoNotOptimize(s);
    std::array<uint8_t, kSettingsFileSize> bytes = encodeSettings(s);
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_EncodeSettings);

void BM_DecodeSettings(benchmark::State& state) {
  const std::array<uint8_t, kSettingsFileSize> bytes = encodeSettings(fake::distinctSettings());
  for (auto _ : state) {
    PersistedSettings s;
    benchmark::DoNotOptimize(bytes.data());
    decodeSettings(bytes.data(), bytes.size(), s);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_DecodeSettings);

}  // namespace

BENCHMARK_MAIN();
