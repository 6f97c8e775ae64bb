// TEMPORARY while the core is being written in parallel: weak, empty definitions of every core
// function, so each module's tests link before its neighbours exist. A real definition replaces
// its weak one at link time. Deleted once the whole core is in place.
#include <array>
#include <span>

#include "app/app_state.h"
#include "app/dispatch.h"
#include "app/help_commands.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/transpose_commands.h"
#include "app/window_commands.h"
#include "display/control_bars.h"
#include "display/key_drawing.h"
#include "display/key_fonts.h"
#include "display/key_geometry.h"
#include "display/truncate.h"
#include "display/window_size.h"
#include "keyboard/key_layouts.h"
#include "keyboard/note_input.h"
#include "keyboard/transpose_keys.h"
#include "midi/devices.h"
#include "midi/midi_output.h"
#include "midi/short_message.h"
#include "settings/byte_cursor.h"
#include "settings/settings_file.h"

#define W __attribute__((weak))

W void dispatchCommand(int32_t) {}
W void openHelpIndex() {}
W void openHelpUsing() {}
W void openWebSite() {}
W void showAbout() {}
W void buildHelpPath(char*, std::size_t) {}
W void onCreate() {}
W void onDestroy() {}
W std::span<const MenuEntry> menuTable() { return {}; }
W void setTranspose(int32_t) {}
W void relabelTransposeItems(int32_t) {}
W void selectLayout(int32_t) {}
W void toggleFlats() {}
W void toggleAlwaysOnTop() {}
W void createControlBars() {}
W void placeControlBars(int32_t, int32_t, int32_t) {}
W void onModulationScroll(int32_t, uint16_t) {}
W void onVerticalScroll(plat::Bar, int32_t, uint16_t) {}
W void updateVelocityBar() {}
W void toggleControlBars() {}
W void drawKey(plat::Surface, const KeyLayout&, int32_t, bool) {}
W void drawKeyNow(const KeyLayout&, int32_t, bool) {}
W void paintKeyboard() {}
W void measureCharacterCell() {}
W void createKeyFonts() {}
W void deleteKeyFonts() {}
W plat::Font selectKeyFont(plat::Surface, KeyFontSize) { return 0; }
W KeyFontSize keyFontForZoom(float) { return kNormalKeyFont; }
W Rect keyRect(const KeySlot&) { return Rect{}; }
W void applyClientSize(uint16_t, uint16_t) {}
W int32_t truncToInt32(double) { return 0; }
W WindowSize defaultWindowSize() { return WindowSize{}; }
W void applyDefaultSize() {}
W void refreshLayout() {}
W void setZoom(int32_t) {}
W void defaultSizeCommand() {}
W const KeyLayout& layoutTable(int32_t) { static KeyLayout none{}; return none; }
W const KeyLayout& currentLayout() { return layoutTable(0); }
W bool isChromaticLayout(const KeyLayout&) { return false; }
W void relabelBlackKeys(int32_t) {}
W void handleKeyMessage(const KeyMessage&) {}
W void noteKeyEvent(bool, uint32_t, Modifiers, const KeyLayout&) {}
W void handleMouseButton(bool, uint32_t, Modifiers) {}
W int32_t hitTestKey(const KeyLayout&, int32_t, int32_t) { return -1; }
W void onFocusLost() {}
W void onMouseCaptureLost() {}
W void handleTransposeAndVelocityKeys(const KeyMessage&) {}
W void fillDevicesMenu(int32_t) {}
W void openDevice() {}
W void closeDevice() {}
W void openDeviceAtStart() {}
W void toggleActive() {}
W bool isDeviceCommand(int32_t) { return false; }
W void selectDevice(int32_t) {}
W void selectChannel(int32_t) {}
W void selectProgram(int32_t) {}
W void resetCommand() {}
W void sendShortMessage(int32_t, int32_t, int32_t, int32_t) {}
W int32_t noteNumber(int32_t, int32_t) { return 0; }
W void noteOn(int32_t, int32_t, int32_t, int32_t) {}
W void noteOff(int32_t, int32_t, int32_t) {}
W void programChange(int32_t, int32_t) {}
W void controlChange(int32_t, int32_t, int32_t) {}
W void modulationWheel(int32_t, int32_t) {}
W void pitchBend(int32_t, int32_t) {}
W void allSoundingNotesOff() {}
W void resetAllChannels() {}
W bool isSounding(int32_t) { return false; }
W void clearSoundingNotes() {}
W uint32_t packShortMessage(int32_t, int32_t, int32_t, int32_t) { return 0; }
W bool readU32(ByteReader&, uint32_t&) { return false; }
W bool readI32(ByteReader&, int32_t&) { return false; }
W bool readF32(ByteReader&, float&) { return false; }
W void writeU32(ByteWriter&, uint32_t) {}
W void writeI32(ByteWriter&, int32_t) {}
W void writeF32(ByteWriter&, float) {}
W bool buildSettingsPath(const char*, char*, std::size_t) { return false; }
W void settingsPath() {}
W std::array<uint8_t, kSettingsFileSize> encodeSettings(const PersistedSettings&) { return {}; }
W void decodeSettings(const uint8_t*, std::size_t, PersistedSettings&) {}
W void loadSettings() {}
W void saveSettings() {}
W bool writeFileAtomically(const char*, const uint8_t*, std::size_t) { return false; }
