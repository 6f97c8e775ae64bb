// Window, timer, mouse and dialog services of the main window. Once the window is destroyed they
// do nothing: a null window handle means the whole desktop to several of these calls.
#include <vector>

#include "frontends/win32/win32_front_end.h"

namespace {

Rect toRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    auto& areas = *reinterpret_cast<std::vector<Rect>*>(data);
    Rect work = toRect(info.rcWork);
    if ((info.dwFlags & MONITORINFOF_PRIMARY) != 0) {
      areas.insert(areas.begin(), work);
    } else {
      areas.push_back(work);
    }
  }
  return TRUE;
}

UINT boxStyleOf(plat::BoxStyle style) {
  switch (style) {
    case plat::BoxStyle::ErrorOk: return MB_OK | MB_ICONERROR;
    case plat::BoxStyle::WarningOk: return MB_OK | MB_ICONWARNING;
    case plat::BoxStyle::WarningRetryCancel: return MB_RETRYCANCEL | MB_ICONWARNING;
    case plat::BoxStyle::PlainOk: return MB_OK;
  }
  return MB_OK;
}

}  // namespace

Rect screenFromWorkspace(const RECT& workspace, const RECT& monitor, const RECT& workArea) {
  const LONG dx = workArea.left - monitor.left;
  const LONG dy = workArea.top - monitor.top;
  return Rect{workspace.left + dx, workspace.top + dy, workspace.right + dx, workspace.bottom + dy};
}

namespace plat {

Rect windowRect() {
  RECT r{};
  HWND window = frontEnd().window;
  if (window == nullptr || !GetWindowRect(window, &r)) return Rect{};
  return toRect(r);
}

Rect windowNormalRect() {
  HWND window = frontEnd().window;
  if (window == nullptr) return Rect{};
  if (!IsIconic(window) && !IsZoomed(window)) return windowRect();
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return windowRect();
  // For a minimised window MonitorFromWindow looks at the restored place.
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info)) {
    return toRect(placement.rcNormalPosition);
  }
  return screenFromWorkspace(placement.rcNormalPosition, info.rcMonitor, info.rcWork);
}

int32_t screenWorkAreas(Rect* areas, int32_t capacity) {
  std::vector<Rect> found;
  EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&found));
  const auto count = static_cast<int32_t>(found.size());
  for (int32_t i = 0; i < count && i < capacity; ++i) areas[i] = found[static_cast<std::size_t>(i)];
  return count;
}

void windowMove(int32_t left, int32_t top, int32_t width, int32_t height, bool repaint) {
  if (HWND window = frontEnd().window) MoveWindow(window, left, top, width, height, repaint ? TRUE : FALSE);
}

void windowSetTopmost(bool topmost) {
  if (HWND window = frontEnd().window) {
    SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
}

void windowDestroy() {
  Win32FrontEnd& fe = frontEnd();
  if (fe.window == nullptr) {
    onDestroy();  // nothing left to destroy; the shutdown sequence still runs (at most once)
    return;
  }
  fe.closing = true;
  DestroyWindow(fe.window);  // WM_DESTROY runs the shutdown sequence before this returns
}

void windowClose() {
  if (HWND window = frontEnd().window) SendMessageW(window, WM_CLOSE, 0, 0);
}

void postQuit(int32_t exitCode) { PostQuitMessage(exitCode); }

int32_t menuBarHeight() { return systemMetricAt(SM_CYMENU, frontEnd().dpi); }

// After Exit the command path still asks for a repaint: InvalidateRect(NULL, ...) would repaint
// every window on the desktop.
void invalidateClient() {
  if (HWND window = frontEnd().window) InvalidateRect(window, nullptr, TRUE);
}

bool timerStart(int32_t id, int32_t periodMs) {
  HWND window = frontEnd().window;
  return window != nullptr && SetTimer(window, static_cast<UINT_PTR>(id), static_cast<UINT>(periodMs), nullptr) != 0;
}

void timerStop(int32_t id) {
  if (HWND window = frontEnd().window) KillTimer(window, static_cast<UINT_PTR>(id));
}

void mouseCapture() {
  if (HWND window = frontEnd().window) SetCapture(window);
}

// Windows tells the window that let the capture go (WM_CAPTURECHANGED); a capture another window
// of ours holds is not ours to release.
void mouseRelease() {
  HWND window = frontEnd().window;
  if (window != nullptr && GetCapture() == window) ReleaseCapture();
}

void beep(BeepKind kind) { MessageBeep(kind == BeepKind::Error ? MB_ICONERROR : MB_ICONWARNING); }

BoxAnswer messageBox(const char* text, BoxStyle style) {
  const int answer = MessageBoxW(frontEnd().window, wideFromUtf8(text).c_str(), wideFromUtf8(text::kCaption).c_str(), boxStyleOf(style));
  if (answer == IDRETRY) return BoxAnswer::Retry;
  // A box that could not be shown answers as its way out, never as a request to try again.
  if (answer == IDCANCEL || (answer == 0 && style == BoxStyle::WarningRetryCancel)) return BoxAnswer::Cancel;
  return BoxAnswer::Ok;
}

}  // namespace plat
