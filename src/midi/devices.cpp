#include "midi/devices.h"

#include <cstdio>

#include "base/app_state.h"
#include "base/commands.h"
#include "base/short_message.h"
#include "base/texts.h"
#include "midi/device_names.h"
#include "midi/midi_output.h"
#include "platform/platform.h"

namespace {

constexpr const char* kMapperFallbackName = "MIDI Mapper";

// The Devices item of a device id; only ids that have an item are ever checked.
int32_t deviceItem(int32_t deviceId) { return cmd::kFirstDevice + deviceId; }

void checkDeviceItem(int32_t deviceId, bool checked) {
  int64_t item = int64_t{cmd::kFirstDevice} + deviceId;
  if (item >= cmd::kFirstDevice - app.midi.mapperItemPresent && item < int64_t{cmd::kFirstDevice} + app.midi.deviceCount) {
    plat::menuCheck(static_cast<int32_t>(item), checked);
  }
}

void checkChannelItem(int32_t channel, bool checked) {
  if (channel >= 0 && channel < kMidiChannels) plat::menuCheck(cmd::kFirstChannel + channel, checked);
}

// Before the port changes: what this device sounds ends on it, since no later release reaches it,
// and the next device starts with no note marked (so it gets no note-off for a note it never
// played). The pedal comes up here too, or the device would hold the released notes for ever.
void endSoundingNotesHere() {
  allSoundingNotesOff();
  if (app.input.sustainLatch != 0) controlChange(app.settings.channel, midi_controller::kSustain, 0);
}

void reportOpenFailure() {
  plat::beep(plat::BeepKind::Warning);
  plat::messageBox(text::kCannotOpen, plat::BoxStyle::WarningOk);
}

// Closes the port without a word to the device.
void closePort() {
  plat::midiOutClose(app.midi.port);
  app.midi.port = 0;
  app.midi.deviceOpen = 0;
}

// The mapper item (when there is a mapper) and one item per numbered device, unchecked.
void appendDeviceItems(int32_t deviceCount) {
  char name[plat::kDeviceNameSize];
  if (plat::midiOutProductName(-1, name)) {
    if (name[0] == '\0') std::snprintf(name, sizeof name, "%s", kMapperFallbackName);
    plat::menuAppendDevice(cmd::kMapperDevice, name);
    app.midi.mapperItemPresent = 1;
  }
  for (int32_t n = 0; n < deviceCount; ++n) {
    // A device whose name cannot be read (or is empty) still needs an item the user can tell
    // apart and choose; it is numbered from 1, as a person counts the items below the mapper.
    if (!plat::midiOutProductName(n, name) || name[0] == '\0') {
      std::snprintf(name, sizeof name, "MIDI device %d", static_cast<int>(n) + 1);
    }
    plat::menuAppendDevice(deviceItem(n), name);
  }
}

}  // namespace

void fillDevicesMenu(int32_t deviceCount) {
  appendDeviceItems(deviceCount);
  if (app.midi.mapperItemPresent != 0) plat::menuCheck(cmd::kMapperDevice, true);
}

void onDevicesMenuOpening() {
  char listedName[plat::kDeviceNameSize] = {};
  if (app.midi.currentDeviceId == -1 || !plat::midiOutProductName(app.midi.currentDeviceId, listedName)) {
    listedName[0] = '\0';
  }
  plat::menuRemoveDevices();
  app.midi.mapperItemPresent = 0;
  app.midi.deviceCount = plat::midiOutCount();
  appendDeviceItems(app.midi.deviceCount);
  app.midi.currentDeviceId = currentDeviceAfterRecount(listedName);
  checkDeviceItem(app.midi.currentDeviceId, true);
}

void openDevice() {
  plat::MidiHandle handle = 0;
  if (!plat::midiOutOpen(app.midi.currentDeviceId, handle)) {
    reportOpenFailure();
    return;
  }
  // Open from here on: the program change below is the first message on the new port.
  app.midi.port = handle;
  app.midi.deviceOpen = 1;
  plat::menuCheck(cmd::kActive, true);
  programChange(app.settings.channel, app.settings.program);
}

void closeDevice() {
  plat::menuCheck(cmd::kActive, false);
  silenceAndClosePort();
}

void silenceAndClosePort() {
  if (app.midi.deviceOpen == 0) return;
  for (int32_t channel = 0; channel < kMidiChannels; ++channel) controlChange(channel, midi_controller::kAllNotesOff, 0);
  closePort();
}

void openDeviceAtStart() {
  app.midi.currentDeviceId = savedDeviceAtStart();
  checkDeviceItem(-1, false);
  checkDeviceItem(app.midi.currentDeviceId, true);
  if (app.settings.openAtStart == 0) return;
  openDevice();
}

void toggleActive() {
  if (app.midi.deviceOpen == 0) {
    openDevice();
  } else {
    closeDevice();
  }
}

bool isDeviceCommand(int32_t commandId) {
  // One unsigned comparison covers both ends: ids below the first item wrap to huge numbers.
  int32_t devices = app.midi.deviceCount > 0 ? app.midi.deviceCount : 0;
  uint32_t first = static_cast<uint32_t>(cmd::kFirstDevice - app.midi.mapperItemPresent);
  uint32_t count = static_cast<uint32_t>(devices) + static_cast<uint32_t>(app.midi.mapperItemPresent);
  return static_cast<uint32_t>(commandId) - first < count;
}

void selectDevice(int32_t commandId) {
  if (!isDeviceCommand(commandId)) return;
  endSoundingNotesHere();
  // Switching is not closing: no all-notes-off, and "Active" keeps its mark until the reopening.
  if (app.midi.deviceOpen == 1) closePort();
  checkDeviceItem(app.midi.currentDeviceId, false);
  app.midi.currentDeviceId = commandId - cmd::kFirstDevice;
  rememberDeviceName(app.midi.currentDeviceId);
  plat::menuCheck(commandId, true);
  openDevice();
  if (app.midi.deviceOpen == 0) plat::menuCheck(cmd::kActive, false);
}

void selectChannel(int32_t commandId) {
  if (commandId < cmd::kFirstChannel || commandId > cmd::kLastChannel) return;
  checkChannelItem(app.settings.channel, false);
  app.settings.channel = commandId - cmd::kFirstChannel;
  plat::menuCheck(commandId, true);
  if (app.midi.deviceOpen == 1) programChange(app.settings.channel, app.settings.program);
}

void selectProgram(int32_t commandId) {
  if (commandId < cmd::kFirstProgram || commandId > cmd::kLastProgram) return;
  app.settings.program = commandId - cmd::kFirstProgram;
  if (app.midi.deviceOpen == 1) programChange(app.settings.channel, app.settings.program);
}
