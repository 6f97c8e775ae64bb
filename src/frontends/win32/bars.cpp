// The three control bars: scroll-bar controls that report every click and drag to the main
// window (WM_HSCROLL, WM_VSCROLL) and move only when the core sets their position; a tooltip
// shows what each one's thumb stands for.
#include <windows.h>
// after windows.h, which it builds on
#include <commctrl.h>

#include <algorithm>

#include "frontends/win32/win32_front_end.h"

namespace {

HWND barOf(plat::Bar bar) { return frontEnd().bars[static_cast<int>(bar)]; }

// One tooltip control for the three bars, owned by the main window and gone with it.
HWND tipsControl() {
  Win32FrontEnd& fe = frontEnd();
  if (fe.tips == nullptr && fe.window != nullptr) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    fe.tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, fe.window, nullptr,
                              fe.instance, nullptr);
  }
  return fe.tips;
}

TOOLINFOW toolOf(HWND bar, std::wstring& text) {
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the common controls
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = frontEnd().window;
  tool.uId = reinterpret_cast<UINT_PTR>(bar);
  tool.lpszText = text.data();
  return tool;
}

void sendTool(UINT message, HWND bar, const char* text) {
  HWND tips = tipsControl();
  if (tips == nullptr || bar == nullptr) return;
  std::wstring wide = wideFromUtf8(text);
  TOOLINFOW tool = toolOf(bar, wide);
  SendMessageW(tips, message, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace

namespace plat {

void barCreate(Bar bar, bool vertical) {
  Win32FrontEnd& fe = frontEnd();
  if (fe.window == nullptr) return;
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (vertical ? SBS_VERT : SBS_HORZ);
  const int id = static_cast<int>(bar);
  // A scroll-bar control starts with the empty range 0..0, thumb at 0.
  fe.bars[id] = CreateWindowExW(0, L"scrollbar", nullptr, style, 0, 0, 0, 0, fe.window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), fe.instance, nullptr);
  sendTool(TTM_ADDTOOLW, fe.bars[id], "");
}

void barSetRange(Bar bar, int32_t minimum, int32_t maximum, bool redraw) {
  if (HWND b = barOf(bar)) SetScrollRange(b, SB_CTL, minimum, maximum, redraw ? TRUE : FALSE);
}

void barSetPosition(Bar bar, int32_t position, bool redraw) {
  if (HWND b = barOf(bar)) SetScrollPos(b, SB_CTL, position, redraw ? TRUE : FALSE);
}

void barSetTip(Bar bar, const char* text) { sendTool(TTM_UPDATETIPTEXTW, barOf(bar), text); }

void barShow(Bar bar, bool visible) {
  if (HWND b = barOf(bar)) ShowWindow(b, visible ? SW_SHOWNORMAL : SW_HIDE);
}

void barMove(Bar bar, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (HWND b = barOf(bar)) MoveWindow(b, x, y, std::max(0, width), std::max(0, height), TRUE);
}

void focusMainWindow() {
  if (HWND window = frontEnd().window) SetFocus(window);
}

}  // namespace plat
