// The 64-byte settings file: sixteen little-endian 4-byte fields, magic first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/app_state.h"

constexpr uint32_t kSettingsMagic = 0x12993315u;
constexpr std::size_t kSettingsFileSize = 64;

// basePath cut after its last '\\', '/' or ':', with the file name appended.
std::string pathBeside(const std::string& basePath, const char* fileName);
// Into app.shell.settingsPath and app.shell.deviceNamePath, from plat::settingsBasePath.
void settingsPath();

std::array<uint8_t, kSettingsFileSize> encodeSettings(const PersistedSettings& settings);
// Applies a file's bytes over settings; a foreign or too-short file changes nothing, a short
// one only the fields it holds whole.
void decodeSettings(const uint8_t* bytes, std::size_t size, PersistedSettings& settings);

void loadSettings();
void saveSettings();
