// The main window: its class, its creation and the start, the message loop, and mainWindowProc,
// which hands every message of its routing table to one entry point of the core.
#include "frontends/win32/win32_front_end.h"
// after windows.h, which they build on
#include <imm.h>
#include <windowsx.h>

namespace {

constexpr wchar_t kClassName[] = L"Plinkett";
constexpr wchar_t kMenuName[] = L"Plinkett";
constexpr wchar_t kIconName[] = L"PLINKETT";

// Shift and Ctrl as of the key message being handled: GetKeyState follows the messages as they
// are taken from the queue, not the keyboard as it is now.
Modifiers keyModifiers() { return Modifiers{GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0}; }

Modifiers mouseModifiers(WPARAM wParam) {
  return Modifiers{(wParam & MK_SHIFT) != 0, (wParam & MK_CONTROL) != 0};
}

// A key message's lParam: the scan code in bits 16-23, the key's previous state in bit 30 (set on
// every press after the first while a key is held, that is on an auto-repeat).
KeyMessage keyMessage(bool release, WPARAM wParam, LPARAM lParam) {
  const auto bits = static_cast<uint32_t>(lParam);
  const auto scanCode = static_cast<uint8_t>((bits >> 16) & 0xFFu);
  const bool autoRepeat = !release && (bits & (1u << 30)) != 0;
  return KeyMessage{release, static_cast<int32_t>(wParam), scanCode, autoRepeat, keyModifiers()};
}

// A scroll message's request, in the low word of wParam.
ScrollRequest scrollRequestOf(WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case SB_LINEUP: return ScrollRequest::LineUp;
    case SB_LINEDOWN: return ScrollRequest::LineDown;
    case SB_PAGEUP: return ScrollRequest::PageUp;
    case SB_PAGEDOWN: return ScrollRequest::PageDown;
    case SB_THUMBPOSITION: return ScrollRequest::ThumbPosition;
    case SB_THUMBTRACK: return ScrollRequest::ThumbTrack;
    default: return ScrollRequest::Other;
  }
}

// The bars take the keyboard focus when clicked (they are tab stops): the focus moving to one of
// them, or coming back, is no loss.
bool ourOwn(HWND main, HWND other) { return other != nullptr && (other == main || IsChild(main, other)); }

// While the window goes away (it is hidden first, then destroyed) the focus and the capture leave
// it by our own doing; the shutdown sequence deals with the notes then.
bool goingAway(HWND window) { return frontEnd().closing || !IsWindowVisible(window); }

plat::Bar verticalBarOf(LPARAM lParam) {
  return reinterpret_cast<HWND>(lParam) == frontEnd().bars[static_cast<int>(plat::Bar::PitchBend)]
             ? plat::Bar::PitchBend
             : plat::Bar::Velocity;
}

bool isDevicesPopup(HWND window, WPARAM popup, LPARAM lParam) {
  return HIWORD(lParam) == 0 && reinterpret_cast<HMENU>(popup) == GetSubMenu(GetMenu(window), devicesPopupPosition());
}

// The window moved to a monitor of another scale, or the scale changed: fonts and cell anew at
// the new scale, then the size Windows suggests for it, whose size pass places the keys.
void applyDisplayScale(HWND window, UINT dpi, const RECT& suggested) {
  frontEnd().dpi = dpi;
  onDisplayScaleChanged();
  SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void forgetWindow() {
  Win32FrontEnd& fe = frontEnd();
  fe.window = nullptr;
  for (HWND& bar : fe.bars) bar = nullptr;
  fe.tips = nullptr;
  fe.deviceItems.clear();
}

}  // namespace

Win32FrontEnd& frontEnd() {
  static Win32FrontEnd state;
  return state;
}

void registerMainWindowClass(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = mainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, kIconName);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));  // an id, whichever character width
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszMenuName = kMenuName;
  wc.lpszClassName = kClassName;
  RegisterClassW(&wc);
}

StartResult startFrontEnd(HINSTANCE instance, int showCommand) {
  Win32FrontEnd& fe = frontEnd();
  fe = Win32FrontEnd{};
  fe.instance = instance;
  HWND window = CreateWindowExW(0, kClassName, wideFromUtf8(text::kCaption).c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return StartResult::NoWindow;
  // A music keyboard composes no text: with a Chinese, Japanese or Korean input method active, the
  // note keys, Space, Enter, Esc and the arrows still reach the window as keys.
  ImmAssociateContextEx(window, nullptr, 0);
  fe.dpi = windowDpi(window);
  if (!startMainWindow()) return StartResult::Ended;
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  return StartResult::Shown;
}

int runMessageLoop() {
  MSG msg{};
  for (;;) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return 1;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      frontEnd().window = window;
      return 0;
    case WM_DESTROY:
      frontEnd().closing = true;
      onDestroy();
      return 0;
    case WM_NCDESTROY:
      forgetWindow();  // from here on no service reaches the window or its bars
      break;
    case WM_CLOSE:
      frontEnd().closing = true;
      break;  // default processing destroys the window without asking
    case WM_SIZE:
      applyClientSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_PAINT:
      paintKeyboard();
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      handleKeyMessage(keyMessage(message == WM_KEYUP, wParam, lParam));
      return 0;
    case WM_SYSKEYUP:
      // A key let go while Alt is held still ends its note (a press with Alt held stays the
      // system's, for the menu's access letters); the system gets the release as well, since
      // letting go of Alt itself opens the menu.
      handleKeyMessage(keyMessage(true, wParam, lParam));
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      handleMouseButton(message == WM_LBUTTONUP, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), mouseModifiers(wParam));
      return 0;
    case WM_COMMAND:
      dispatchCommand(static_cast<int32_t>(static_cast<uint32_t>(wParam)));
      return 0;
    case WM_HSCROLL:
      onModulationScroll(scrollRequestOf(wParam), HIWORD(wParam));
      return 0;
    case WM_VSCROLL:
      onVerticalScroll(verticalBarOf(lParam), scrollRequestOf(wParam), HIWORD(wParam));
      return 0;
    case WM_TIMER:
      return 0;
    case WM_KILLFOCUS:
      if (!goingAway(window) && !ourOwn(window, reinterpret_cast<HWND>(wParam))) onFocusLost();
      break;
    case WM_CAPTURECHANGED:
      if (!goingAway(window)) onMouseCaptureLost();
      break;
    case WM_ENTERMENULOOP:
      // The menu takes the keyboard until it closes: a key let go meanwhile never reaches us.
      onMenuTakesKeyboard();
      break;
    case WM_DPICHANGED:
      applyDisplayScale(window, LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_INITMENUPOPUP:
      // MIDI devices come and go (a USB keyboard plugged in): the list is taken again.
      if (isDevicesPopup(window, wParam, lParam)) onDevicesMenuOpening();
      break;
    case WM_ENDSESSION:
      // Windows ends the process once this returns: close as the close box does, so that the
      // settings are saved and nothing is left sounding.
      if (wParam != 0) plat::windowClose();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
