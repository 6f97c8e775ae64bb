#include "settings/settings_file.h"

#include <string>

#include "base/paths.h"
#include "base/texts.h"
#include "platform/platform.h"
#include "settings/byte_cursor.h"
#include "settings/device_name_file.h"

std::string pathBeside(const std::string& basePath, const char* fileName) {
  return basePath.substr(0, directoryPartLength(basePath)) + fileName;
}

void settingsPath() {
  // The base is fetched into room for the longest path any system allows, so it arrives whole
  // however deep the folder is. A base that fills the room may still have been cut, and its
  // directory part would then name a parent folder: it gives no settings file at all.
  app.shell.settingsPath.clear();
  app.shell.deviceNamePath.clear();
  std::string base(plat::kLongestPath, '\0');
  const std::size_t length = plat::settingsBasePath(base.data(), base.size());
  if (length + 1 >= base.size()) return;
  base.resize(length);
  app.shell.settingsPath = pathBeside(base, text::kSettingsFileName);
  app.shell.deviceNamePath = pathBeside(base, text::kDeviceNameFileName);
}

namespace {

// The fifteen fields after the magic, in file order: the one place the layout is written down.
// Settings is PersistedSettings, const or not, so reading and writing share the list.
template <typename Settings, typename Visit>
void visitFields(Settings& s, Visit&& visit) {
  visit(s.alwaysOnTop);
  visit(s.showControlBars);
  visit(s.zoom);
  visit(s.windowRect.left);
  visit(s.windowRect.top);
  visit(s.windowRect.right);
  visit(s.windowRect.bottom);
  visit(s.transpose);
  visit(s.savedDeviceId);
  visit(s.openAtStart);
  visit(s.channel);
  visit(s.program);
  visit(s.velocity);
  visit(s.layout);
  visit(s.showFlats);
}

void writeField(ByteWriter& w, int32_t v) { writeI32(w, v); }
void writeField(ByteWriter& w, float v) { writeF32(w, v); }
void readField(ByteReader& r, int32_t& v) { readI32(r, v); }
void readField(ByteReader& r, float& v) { readF32(r, v); }

}  // namespace

std::array<uint8_t, kSettingsFileSize> encodeSettings(const PersistedSettings& s) {
  std::array<uint8_t, kSettingsFileSize> bytes{};
  ByteWriter w{bytes.data(), bytes.size()};
  writeU32(w, kSettingsMagic);
  visitFields(s, [&](const auto& field) { writeField(w, field); });
  return bytes;
}

void decodeSettings(const uint8_t* bytes, std::size_t size, PersistedSettings& s) {
  ByteReader r{bytes, size};
  uint32_t magic = 0;
  if (!readU32(r, magic) || magic != kSettingsMagic) return;
  // Each field is read straight into place; one the data does not hold whole keeps its value.
  visitFields(s, [&](auto& field) { readField(r, field); });
}

namespace {

// False when there is no settings file to read there (or an empty one).
bool loadSettingsFrom(const char* settingsFile, const char* deviceNameFile) {
  uint8_t bytes[kSettingsFileSize];  // anything past 64 bytes is ignored
  std::size_t n = plat::fileReadSmall(settingsFile, bytes, sizeof bytes);
  if (n == 0) return false;
  decodeSettings(bytes, n, app.settings);
  loadDeviceName(deviceNameFile);
  return true;
}

}  // namespace

void loadSettings() {
  if (app.shell.settingsPath.empty()) return;
  if (loadSettingsFrom(app.shell.settingsPath.c_str(), app.shell.deviceNamePath.c_str())) return;
  // Nothing saved where the settings live yet: the files of the fallback folder, if any, give the
  // first start; the save goes to the settings folder all the same.
  std::string base(plat::kLongestPath, '\0');
  const std::size_t length = plat::settingsFallbackBasePath(base.data(), base.size());
  if (length == 0 || length + 1 >= base.size()) return;
  base.resize(length);
  loadSettingsFrom(pathBeside(base, text::kSettingsFileName).c_str(),
                   pathBeside(base, text::kDeviceNameFileName).c_str());
}

void saveSettings() {
  // After an early end of start-up nothing the user chose is in memory: keep the file as it is.
  if (app.shell.startupComplete == 0 || app.shell.settingsPath.empty()) return;
  app.settings.savedDeviceId = app.midi.currentDeviceId;
  PersistedSettings s = app.settings;
  // The restored rectangle: one saved while minimised would put the window out of reach.
  s.windowRect = plat::windowNormalRect();
  s.openAtStart = app.midi.deviceOpen;
  std::array<uint8_t, kSettingsFileSize> bytes = encodeSettings(s);
  // Replaced whole or not at all: a failed save leaves the old file as it was, and its companion
  // too, so that the two still agree.
  if (plat::fileReplace(app.shell.settingsPath.c_str(), bytes.data(), bytes.size())) saveDeviceName();
}
