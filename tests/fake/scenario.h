// Steps that many scenario tests share, built on the recording platform.
#pragma once

#include <cstdint>

namespace fake {

// Opens a port the way a device opening does, without the device commands' messages, so a test
// of what is played starts from a quiet log.
void openPortDirectly(int32_t deviceId = -1);
void closePortDirectly();
// Counts the devices, fills the Devices menu and opens the saved device, as start-up does.
void startDevices();

}  // namespace fake
