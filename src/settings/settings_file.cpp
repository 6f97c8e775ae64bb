#include "settings/settings_file.h"

#include <cstring>

#include "app/app_texts.h"
#include "app/paths.h"
#include "platform/platform.h"
#include "settings/byte_cursor.h"
#include "settings/device_name_file.h"

namespace {

// Room for any base path a platform hands out; a path that fills it may have been cut.
constexpr std::size_t kBasePathRoom = 4096;

}  // namespace

bool buildPathBeside(const char* basePath, const char* fileName, char* path, std::size_t size) {
  if (path == nullptr || size == 0) return false;
  path[0] = '\0';
  if (basePath == nullptr) return false;
  std::size_t length = std::strlen(basePath);
  std::size_t keep = 0;  // up to and including the last separator
  for (std::size_t i = length; i > 0; --i) {
    if (isPathSeparator(basePath[i - 1])) {
      keep = i;
      break;
    }
  }
  std::size_t nameLength = std::strlen(fileName);
  if (keep + nameLength + 1 > size) return false;  // never a cut path: it would name another file
  std::memcpy(path, basePath, keep);
  std::memcpy(path + keep, fileName, nameLength + 1);
  return true;
}

bool buildSettingsPath(const char* basePath, char* path, std::size_t size) {
  return buildPathBeside(basePath, text::kSettingsFileName, path, size);
}

void settingsPath() {
  // The base is fetched into a room far larger than the path buffer: a base cut at 259
  // characters could have lost its last separator, and the cut-off directory part would then
  // name a parent folder. A base that fills the room may be cut the same way, so it gives no
  // settings file at all, like any path too long for the buffer.
  app.shell.settingsPath[0] = '\0';
  app.shell.deviceNamePath[0] = '\0';
  char base[kBasePathRoom];
  std::size_t length = plat::settingsBasePath(base, sizeof base);
  if (length + 1 >= sizeof base) return;
  buildSettingsPath(base, app.shell.settingsPath, sizeof app.shell.settingsPath);
  buildPathBeside(base, text::kDeviceNameFileName, app.shell.deviceNamePath, sizeof app.shell.deviceNamePath);
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
  if (app.shell.settingsPath[0] == '\0') return;
  if (loadSettingsFrom(app.shell.settingsPath, app.shell.deviceNamePath)) return;
  // Nothing saved where the settings live yet: the files of the fallback folder, if any, give the
  // first start; the save goes to the settings folder all the same.
  char base[kBasePathRoom];
  const std::size_t length = plat::settingsFallbackBasePath(base, sizeof base);
  if (length == 0 || length + 1 >= sizeof base) return;
  char settingsFile[sizeof app.shell.settingsPath];
  char deviceNameFile[sizeof app.shell.deviceNamePath];
  if (buildSettingsPath(base, settingsFile, sizeof settingsFile) &&
      buildPathBeside(base, text::kDeviceNameFileName, deviceNameFile, sizeof deviceNameFile)) {
    loadSettingsFrom(settingsFile, deviceNameFile);
  }
}

void saveSettings() {
  // After an early end of start-up nothing the user chose is in memory: keep the file as it is.
  if (app.shell.startupComplete == 0 || app.shell.settingsPath[0] == '\0') return;
  app.settings.savedDeviceId = app.midi.currentDeviceId;
  PersistedSettings s = app.settings;
  // The restored rectangle: one saved while minimised would put the window out of reach.
  s.windowRect = plat::windowNormalRect();
  s.openAtStart = app.midi.deviceOpen;
  std::array<uint8_t, kSettingsFileSize> bytes = encodeSettings(s);
  // Replaced whole or not at all: a failed save leaves the old file as it was, and its companion
  // too, so that the two still agree.
  if (plat::fileReplace(app.shell.settingsPath, bytes.data(), bytes.size())) saveDeviceName();
}
