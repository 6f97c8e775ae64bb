// The program's own texts that more than one place shows.
#pragma once

namespace text {
inline constexpr const char* kCaption = "Plinkett Freeware";  // window and every message box
inline constexpr const char* kNoDevices = "There is no\n MIDI output devices";
inline constexpr const char* kCannotOpen = "Cannot open MIDI device";
inline constexpr const char* kTooManyTimers = "Too many clocks or timers!";
inline constexpr const char* kHelpFileName = "plinkett.hlp";
inline constexpr const char* kSettingsFileName = "PLINKETT.SET";
}  // namespace text
