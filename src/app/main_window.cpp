#include "app/main_window.h"

#include <cstring>
#include <string>
#include <utility>

#include "app/help_path.h"
#include "app/window_placement.h"
#include "base/app_state.h"
#include "base/commands.h"
#include "base/texts.h"
#include "display/control_bars.h"
#include "display/key_fonts.h"
#include "display/zoom.h"
#include "keyboard/key_layouts.h"
#include "keyboard/transpose.h"
#include "midi/devices.h"
#include "platform/platform.h"
#include "settings/settings_file.h"

namespace {

constexpr int32_t kTimerId = 1;
constexpr int32_t kTimerPeriodMs = 50;

// Returns false when the user cancelled the timer box: creation then ends at once.
bool startTimer() {
  while (!plat::timerStart(kTimerId, kTimerPeriodMs)) {
    if (plat::messageBox(text::kTooManyTimers, plat::BoxStyle::WarningRetryCancel) == plat::BoxAnswer::Cancel) {
      return false;
    }
  }
  return true;
}

void reportNoDevices() {
  plat::beep(plat::BeepKind::Error);
  plat::messageBox(text::kNoDevices, plat::BoxStyle::ErrorOk);
  plat::windowDestroy();
}

void placeWindow() {
  const Rect& p = kFirstWindowRect;  // provisional: the settings' rectangle comes next
  plat::windowMove(p.left, p.top, p.right - p.left, p.bottom - p.top, true);
  if (app.settings.alwaysOnTop != 0) plat::windowSetTopmost(true);
  Rect r = reachableWindowRect(app.settings.windowRect);
  plat::windowMove(r.left, r.top, r.right - r.left, r.bottom - r.top, true);
}

// Marks and texts of the menu from the settings just read. Values only a damaged file can hold
// check nothing rather than an item of another group.
void applyMenuState() {
  const PersistedSettings& s = app.settings;
  plat::menuCheck(cmd::kAlwaysOnTop, s.alwaysOnTop != 0);
  plat::menuCheck(cmd::kShowControlBars, s.showControlBars != 0);
  plat::menuCheck(zoomItem(s.zoom), true);
  plat::menuCheck(cmd::kNoTranspose, false);
  if (s.layout == kChromatic) relabelTransposeItems(kChromatic);
  int32_t transposeItem = startupTransposeItem(s.layout, s.transpose);
  if (transposeItem != 0) plat::menuCheck(transposeItem, true);
  if (s.channel >= 0 && s.channel <= 15) plat::menuCheck(cmd::kFirstChannel + s.channel, true);
  if (s.layout >= kPiano && s.layout <= kChromatic) plat::menuCheck(cmd::kLayoutPiano + s.layout, true);
  relabelBlackKeys(s.showFlats);
  plat::menuCheck(cmd::kShowFlats, s.showFlats != 0);
}

}  // namespace

void onCreate() {
  app.settings.windowRect = kFirstWindowRect;
  settingsPath();
  buildHelpPath(app.shell.helpPath, sizeof app.shell.helpPath);
  loadSettings();
  if (!startTimer()) return;
  measureCharacterCell();
  app.midi.deviceCount = plat::midiOutCount();
  if (app.midi.deviceCount <= 0) return reportNoDevices();
  fillDevicesMenu(app.midi.deviceCount);
  placeWindow();
  applyMenuState();
  openDeviceAtStart();
  app.shell.startupComplete = 1;
}

bool deviceOpenedAtStart(int32_t& deviceId, char (&name)[plat::kDeviceNameSize]) {
  // Read as the start reads them, which it does again: what was in the record before stays.
  const PersistedSettings untouched = app.settings;
  std::string settingsFile = std::move(app.shell.settingsPath);
  std::string nameFile = std::move(app.shell.deviceNamePath);
  settingsPath();
  loadSettings();
  const bool opens = app.settings.openAtStart != 0;
  deviceId = app.settings.savedDeviceId;
  std::memcpy(name, app.midi.deviceName, sizeof name);
  app.settings = untouched;
  app.shell.settingsPath = std::move(settingsFile);
  app.shell.deviceNamePath = std::move(nameFile);
  app.midi.deviceName[0] = '\0';
  return opens;
}

bool startMainWindow() {
  onCreate();
  // With no output device the window destroyed itself during its creation.
  if (app.shell.shutdownDone != 0) return false;
  createControlBars();
  // The size passes of the window's creation came before the bars existed; this one places them
  // before the window is first shown.
  applyClientSize(app.geometry.clientWidth, app.geometry.clientHeight);
  return true;
}

void onAbruptEnd() {
  // After a whole shutdown the port is closed already; this is for an end that skipped it.
  if (app.shell.shutdownDone == 0) silenceAndClosePort();
}

void onDestroy() {
  if (app.shell.shutdownDone != 0) return;
  app.shell.shutdownDone = 1;
  plat::helpQuit(app.shell.helpPath);
  // Saved while the device is still open, so the file records it as open.
  saveSettings();
  if (app.midi.deviceOpen != 0) dispatchCommand(cmd::kActive);
  deleteKeyFonts();
  plat::timerStop(kTimerId);
  plat::postQuit(0);
}
