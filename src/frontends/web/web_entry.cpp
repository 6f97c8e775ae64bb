// The page's events, each turned into one call of the program (events.h) by one small function.
// The page's JavaScript calls these by name; they make no decision of their own.
#include <emscripten/emscripten.h>

#include <cstdint>

#include "platform/events.h"

namespace {

Modifiers modifiers(int32_t shift, int32_t ctrl) { return Modifiers{shift != 0, ctrl != 0}; }

// The device the start is going to open, as webStartDevice found it.
int32_t gStartDeviceId = 0;
char gStartDeviceName[plat::kDeviceNameSize] = {};

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int32_t webStart() { return startMainWindow() ? 1 : 0; }

// Before webStart, from the settings as the start reads them: 1 when the start is going to open
// a device, whose saved id and remembered name webStartDeviceId and webStartDeviceName then give.
EMSCRIPTEN_KEEPALIVE int32_t webStartDevice() { return deviceOpenedAtStart(gStartDeviceId, gStartDeviceName) ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int32_t webStartDeviceId() { return gStartDeviceId; }
EMSCRIPTEN_KEEPALIVE const char* webStartDeviceName() { return gStartDeviceName; }

// The page is going away (closed, reloaded, navigated from): the shutdown sequence.
EMSCRIPTEN_KEEPALIVE void webEnd() { plat::windowDestroy(); }

// scan: the scan code a PC keyboard reports for the key (the byte after E0 for an extended key),
// or kNoScanCode.
EMSCRIPTEN_KEEPALIVE void webKey(int32_t release, int32_t virtualKey, int32_t scan, int32_t repeat, int32_t shift,
                                 int32_t ctrl) {
  handleKeyMessage(KeyMessage{release != 0, virtualKey, static_cast<uint8_t>(scan), repeat != 0, modifiers(shift, ctrl)});
}

// x and y in the client area's pixels (a release may lie outside it).
EMSCRIPTEN_KEEPALIVE void webMouse(int32_t release, int32_t x, int32_t y, int32_t shift, int32_t ctrl) {
  handleMouseButton(release != 0, x, y, modifiers(shift, ctrl));
}

EMSCRIPTEN_KEEPALIVE void webSize(int32_t width, int32_t height) {
  applyClientSize(static_cast<uint16_t>(width), static_cast<uint16_t>(height));
}

EMSCRIPTEN_KEEPALIVE void webPaint() { paintKeyboard(); }
EMSCRIPTEN_KEEPALIVE void webCommand(int32_t commandId) { dispatchCommand(commandId); }
// The Devices popup opens, or Web MIDI reports an output come or gone: the list is taken anew, so
// the menu follows the system even while it is open.
EMSCRIPTEN_KEEPALIVE void webDevicesChanged() { onDevicesMenuOpening(); }
EMSCRIPTEN_KEEPALIVE void webFocusLost() { onFocusLost(); }
EMSCRIPTEN_KEEPALIVE void webMenuTakesKeyboard() { onMenuTakesKeyboard(); }
EMSCRIPTEN_KEEPALIVE void webCaptureLost() { onMouseCaptureLost(); }

// bar: 0 velocity, 1 modulation, 2 pitch bend; request: ScrollRequest's number, as the page's
// bars report it (anything beyond it counts as Other).
EMSCRIPTEN_KEEPALIVE void webScroll(int32_t bar, int32_t request, int32_t position) {
  const auto last = static_cast<int32_t>(ScrollRequest::Other);
  const auto what = static_cast<ScrollRequest>(request >= 0 && request < last ? request : last);
  const auto pos = static_cast<uint16_t>(position);
  if (bar == static_cast<int32_t>(plat::Bar::Modulation)) {
    onModulationScroll(what, pos);
  } else {
    onVerticalScroll(static_cast<plat::Bar>(bar), what, pos);
  }
}

// The menu table, row by row, for the page to build its menu bar from.
EMSCRIPTEN_KEEPALIVE int32_t webMenuRows() { return static_cast<int32_t>(menuTable().size()); }
EMSCRIPTEN_KEEPALIVE int32_t webMenuDepth(int32_t row) { return menuTable()[row].depth; }
EMSCRIPTEN_KEEPALIVE int32_t webMenuKind(int32_t row) { return static_cast<int32_t>(menuTable()[row].kind); }
EMSCRIPTEN_KEEPALIVE int32_t webMenuId(int32_t row) { return menuTable()[row].id; }
EMSCRIPTEN_KEEPALIVE const char* webMenuText(int32_t row) { return menuTable()[row].text; }
EMSCRIPTEN_KEEPALIVE int32_t webMenuChecked(int32_t row) { return menuTable()[row].checked ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int32_t webMenuIsDevices(int32_t row) { return menuTable()[row].devicesPopup ? 1 : 0; }

EMSCRIPTEN_KEEPALIVE const char* webCaption() { return text::kCaption; }
// The commands a page has no use for, shown greyed.
EMSCRIPTEN_KEEPALIVE int32_t webExitCommand() { return command::kExit; }
EMSCRIPTEN_KEEPALIVE int32_t webTopmostCommand() { return command::kAlwaysOnTop; }
}
