// The settings file on a real disk through the POSIX files back end: a save replaces the file
// whole (a temporary, fsync, rename, fsync of the folder), a load reads the 64 bytes back. The
// folder is a fresh one under $TMPDIR (else /tmp), so the figures are those of that file system.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/platform.h"

namespace {

constexpr std::size_t kRecordSize = 64;

std::string gFolder;

std::string settingsFile() { return gFolder + "/PLINKETT.SET"; }

std::array<uint8_t, kRecordSize> someRecord() {
  std::array<uint8_t, kRecordSize> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37u + 11u);
  return bytes;
}

// The disk's wait is the figure here, so it is timed by the clock, not by the processor.
void BM_ReplaceSettingsFile(benchmark::State& state) {
  const std::array<uint8_t, kRecordSize> bytes = someRecord();
  const std::string path = settingsFile();
  for (auto _ : state) {
    if (!plat::fileReplace(path.c_str(), bytes.data(), bytes.size())) {
      state.SkipWithError("the settings file was not replaced");
      break;
    }
  }
}
BENCHMARK(BM_ReplaceSettingsFile)->UseRealTime();

void BM_ReadSettingsFile(benchmark::State& state) {
  const std::array<uint8_t, kRecordSize> bytes = someRecord();
  const std::string path = settingsFile();
  if (!plat::fileReplace(path.c_str(), bytes.data(), bytes.size())) {
    state.SkipWithError("the settings file could not be written");
    return;
  }
  std::array<uint8_t, kRecordSize> read{};
  for (auto _ : state) {
    if (plat::fileReadSmall(path.c_str(), read.data(), read.size()) != kRecordSize) {
      state.SkipWithError("the settings file did not read back whole");
      break;
    }
    benchmark::DoNotOptimize(read);
  }
}
BENCHMARK(BM_ReadSettingsFile)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/plinkett-files-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  gFolder = pattern;
  benchmark::AddCustomContext("settings folder", gFolder);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(gFolder);
  return 0;
}
