// Steps that many scenario tests share, built on the recording platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fake {

// Opens a port the way a device opening does, without the device commands' messages, so a test
// of what is played starts from a quiet log.
void openPortDirectly(int32_t deviceId = -1);
void closePortDirectly();
// Counts the devices, fills the Devices menu and opens the saved device, as start-up does.
void startDevices();

// A fresh folder under the system's temporary folder.
std::string makeTempDir(const char* prefix);
std::vector<uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace fake
