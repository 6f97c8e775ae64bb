#include "app/main_window.h"

#include <cstring>

#include "app/app_state.h"
#include "app/app_texts.h"
#include "app/commands.h"
#include "app/dispatch.h"
#include "app/transpose_commands.h"
#include "app/window_placement.h"
#include "display/key_fonts.h"
#include "keyboard/key_layouts.h"
#include "midi/devices.h"
#include "platform/platform.h"
#include "settings/settings_file.h"

namespace {

constexpr int32_t kTimerId = 1;
constexpr int32_t kTimerPeriodMs = 50;
constexpr std::size_t kHelpReadLimit = 128;  // the executable's path is read with this limit
constexpr Rect kFirstWindowRect{100, 100, 500, 300};
constexpr Rect kProvisionalPlacement{100, 100, 500, 300};

bool isPathSeparator(char c) {
  // '/' as well, so a Linux executable's directory is found the same way.
  return c == '\\' || c == ':' || c == '/';
}

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
  const Rect& p = kProvisionalPlacement;
  plat::windowMove(p.left, p.top, p.right - p.left, p.bottom - p.top, true);
  if (app.settings.alwaysOnTop != 0) plat::windowSetTopmost(true);
  Rect r = reachableWindowRect(app.settings.windowRect);
  plat::windowMove(r.left, r.top, r.right - r.left, r.bottom - r.top, true);
}

int32_t zoomItem(float zoom) {
  if (zoom == 1.5f) return cmd::kZoomSmall;
  if (zoom == 2.0f) return cmd::kZoomNormal;
  return cmd::kZoomBig;
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

void buildHelpPath(char* helpPath, std::size_t size) {
  if (size < kHelpReadLimit + 2) {  // room for a 127-character path, "?" and the terminator
    if (size > 0) helpPath[0] = '\0';
    return;
  }
  std::size_t n = plat::executablePath(helpPath, kHelpReadLimit);
  for (std::size_t k = n; k >= 1; --k) {
    if (isPathSeparator(helpPath[k])) {
      helpPath[k + 1] = '\0';
      n = k + 1;
      break;
    }
  }
  const std::size_t nameLength = std::strlen(text::kHelpFileName);
  if (n + nameLength + 1 <= kHelpReadLimit) {
    std::memcpy(helpPath + n, text::kHelpFileName, nameLength + 1);
  } else {
    helpPath[n] = '?';
    helpPath[n + 1] = '\0';
  }
}

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
