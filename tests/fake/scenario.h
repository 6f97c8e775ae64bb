// Steps and data that many scenario tests share, built on the recording platform.
#pragma once

#include <cstdint>

#include "base/app_state.h"
#include "platform/events.h"

namespace fake {

// Opens a port the way a device opening does, without the device commands' messages, so a test
// of what is played starts from a quiet log.
void openPortDirectly(int32_t deviceId = -1);
void closePortDirectly();
// Counts the devices, fills the Devices menu and opens the saved device, as start-up does.
void startDevices();

// One key message, as a front end hands it over.
void key(bool release, int32_t virtualKey, int32_t scan, Modifiers modifiers = {}, bool repeat = false);

// A settings record with no default left in it, every field a value of its own (the settings
// tests pin its 64 bytes against a literal).
PersistedSettings distinctSettings();

}  // namespace fake
