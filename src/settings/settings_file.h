// The 64-byte settings file: sixteen little-endian 4-byte fields, magic first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "app/app_state.h"

constexpr uint32_t kSettingsMagic = 0x12993315u;
constexpr std::size_t kSettingsFileSize = 64;

// Cuts basePath after its last '\\', '/' or ':' and appends the file name. Returns false (and an
// empty path) when the result would not fit in size bytes.
bool buildPathBeside(const char* basePath, const char* fileName, char* path, std::size_t size);
bool buildSettingsPath(const char* basePath, char* path, std::size_t size);
// Into app.shell.settingsPath and app.shell.deviceNamePath, from plat::settingsBasePath.
void settingsPath();

std::array<uint8_t, kSettingsFileSize> encodeSettings(const PersistedSettings& settings);
// Applies a file's bytes over settings; a foreign or too-short file changes nothing, a short
// one only the fields it holds whole.
void decodeSettings(const uint8_t* bytes, std::size_t size, PersistedSettings& settings);

void loadSettings();
void saveSettings();
