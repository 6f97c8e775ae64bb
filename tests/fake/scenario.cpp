#include "fake/scenario.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/app_state.h"
#include "midi/devices.h"
#include "platform/platform.h"

namespace fake {

void openPortDirectly(int32_t deviceId) {
  plat::MidiHandle handle = 0;
  if (!plat::midiOutOpen(deviceId, handle)) return;
  app.midi.port = MidiOut{1, handle};
  app.midi.deviceOpen = 1;
}

void closePortDirectly() {
  plat::midiOutClose(app.midi.port.handle);
  app.midi.port = MidiOut{};
  app.midi.deviceOpen = 0;
}

void startDevices() {
  app.midi.deviceCount = plat::midiOutCount();
  fillDevicesMenu(app.midi.deviceCount);
  openDeviceAtStart();
}

std::string makeTempDir(const char* prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const char* made = mkdtemp(buffer.data());
  return made == nullptr ? std::string() : std::string(made);
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace fake
