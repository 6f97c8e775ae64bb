// The main window in the page: a box holding the menu bar and the keyboard's canvas. The page
// places the box itself, so a position the program asks for is kept (the settings file records
// it) but not applied; the size is applied, in device pixels, menu bar included.
#include "frontends/web/web_imports.h"
#include "platform/events.h"
#include "platform/platform.h"

namespace {

struct WindowPlace {
  int32_t left = 0;
  int32_t top = 0;
  bool destroyed = false;
};

WindowPlace gPlace;

}  // namespace

namespace plat {

Rect windowRect() {
  return Rect{gPlace.left, gPlace.top, gPlace.left + pageWindowWidth(), gPlace.top + pageWindowHeight()};
}

Rect windowNormalRect() { return windowRect(); }

// The screen stands for the one work area: a page has no other monitors to bring a window back from.
int32_t screenWorkAreas(Rect* areas, int32_t capacity) {
  if (capacity > 0) areas[0] = Rect{0, 0, pageScreenWidth(), pageScreenHeight()};
  return 1;
}

void windowMove(int32_t left, int32_t top, int32_t width, int32_t height, bool) {
  if (gPlace.destroyed) return;
  gPlace.left = left;
  gPlace.top = top;
  pageWindowMove(width, height);
}

// A page cannot float above other windows: the command is greyed in the page's menu.
void windowSetTopmost(bool) {}

void windowDestroy() {
  if (gPlace.destroyed) return;
  gPlace.destroyed = true;
  onDestroy();
}

void windowClose() { windowDestroy(); }

// The page stays where it is; there is no loop to end.
void postQuit(int32_t) {}

int32_t menuBarHeight() { return pageMenuBarHeight(); }

void invalidateClient() {
  if (!gPlace.destroyed) pageInvalidate();
}

// The program's timer has nothing to do at its ticks, so none runs in the page.
bool timerStart(int32_t, int32_t) { return true; }
void timerStop(int32_t) {}

void mouseCapture() { pageMouseCapture(); }
void mouseRelease() { pageMouseRelease(); }

void beep(BeepKind kind) { pageBeep(kind == BeepKind::Error ? 1 : 0); }

// A page cannot wait for an answer: the box is shown as a modal dialog while the program carries
// on. Its boxes with only OK need no answer; the timer's Retry/Cancel box cannot arise here
// (timerStart never fails), and were it asked it is answered Cancel, so no Retry loops forever.
BoxAnswer messageBox(const char* text, BoxStyle style) {
  pageMessageBox(text, static_cast<int32_t>(style));
  return style == BoxStyle::WarningRetryCancel ? BoxAnswer::Cancel : BoxAnswer::Ok;
}

void menuCheck(int32_t commandId, bool checked) { pageMenuCheck(commandId, checked ? 1 : 0); }
void menuSetItem(int32_t commandId, const char* text, bool grayed) { pageMenuSetItem(commandId, text, grayed ? 1 : 0); }
void menuAppendDevice(int32_t commandId, const char* text) { pageMenuAppendDevice(commandId, text); }
void menuRemoveDevices() { pageMenuRemoveDevices(); }

// The guide is a page beside this one; the help file's path names nothing a browser can open.
void helpOpenContents(const char*) { pageOpenGuide(""); }
void helpOpenOwnHelp() { pageOpenGuide(guide::kUsingSection); }
void helpQuit(const char*) {}
void openUrl(const char* url) { pageOpenUrl(url); }

}  // namespace plat
