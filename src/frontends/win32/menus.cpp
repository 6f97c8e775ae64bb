// The menu bar's items, addressed by command id. The bar itself is the menu resource "Plinkett",
// written from the core's menu table at build time (menu_rc_tool.cpp).
#include <string>

#include "frontends/win32/win32_front_end.h"

namespace {

HMENU menuBar() {
  HWND window = frontEnd().window;
  return window == nullptr ? nullptr : GetMenu(window);
}

// A device's name is shown as it is: "&" would otherwise mark an access letter.
std::string shownAsIs(const char* text) {
  std::string out;
  for (const char* p = text; *p != '\0'; ++p) {
    out += *p;
    if (*p == '&') out += '&';
  }
  return out;
}

}  // namespace

int devicesPopupPosition() {
  int position = 0;
  for (const MenuEntry& e : menuTable()) {
    if (e.depth != 0) continue;
    if (e.devicesPopup) return position;
    ++position;
  }
  return -1;
}

namespace plat {

void menuCheck(int32_t commandId, bool checked) {
  if (HMENU menu = menuBar()) {
    CheckMenuItem(menu, static_cast<UINT>(commandId), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  }
}

void menuSetItem(int32_t commandId, const char* text, bool grayed) {
  if (HMENU menu = menuBar()) {
    ModifyMenuW(menu, static_cast<UINT>(commandId), MF_BYCOMMAND | MF_STRING | (grayed ? MF_GRAYED : MF_ENABLED),
                static_cast<UINT_PTR>(commandId), wideFromUtf8(text).c_str());
  }
}

void menuAppendDevice(int32_t commandId, const char* text) {
  HMENU menu = menuBar();
  HMENU devices = menu == nullptr ? nullptr : GetSubMenu(menu, devicesPopupPosition());
  if (devices == nullptr) return;
  if (AppendMenuW(devices, MF_STRING, static_cast<UINT_PTR>(commandId), wideFromUtf8(shownAsIs(text).c_str()).c_str())) {
    frontEnd().deviceItems.push_back(commandId);
  }
}

void menuRemoveDevices() {
  HMENU menu = menuBar();
  HMENU devices = menu == nullptr ? nullptr : GetSubMenu(menu, devicesPopupPosition());
  if (devices != nullptr) {
    for (int32_t id : frontEnd().deviceItems) DeleteMenu(devices, static_cast<UINT>(id), MF_BYCOMMAND);
  }
  frontEnd().deviceItems.clear();
}

}  // namespace plat
