// The program's own texts that more than one place shows. The ones front ends show too (the
// caption, the missing guide) are with the entry points in platform/events.h.
#pragma once

#include "platform/events.h"

namespace text {
inline constexpr const char* kNoDevices = "There is no\n MIDI output devices";
inline constexpr const char* kCannotOpen = "Cannot open MIDI device";
inline constexpr const char* kTooManyTimers = "Too many clocks or timers!";
inline constexpr const char* kHelpFileName = "plinkett.hlp";
inline constexpr const char* kSettingsFileName = "PLINKETT.SET";
inline constexpr const char* kDeviceNameFileName = "PLINKETT.DEV";
}  // namespace text
