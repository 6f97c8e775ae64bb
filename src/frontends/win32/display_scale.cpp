// The display's scale (125 %, 150 %, 200 % are the usual settings of laptops). The program
// declares itself aware of each monitor's scale in its manifest, so Windows no longer stretches it
// as a bitmap: the key fonts are made at the monitor's scale instead, and the keys, the bars and
// the default size follow them. The calls that know a monitor's own scale came with Windows 10
// (1607); they are looked up at run time, and an older system gives the whole screen's scale.
#include "frontends/win32/win32_front_end.h"

namespace {

// The process's awareness for a moment: what a program that knows nothing of the scale sees.
const HANDLE kUnawareContext = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1));

template <typename Function>
Function user32Function(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

UINT windowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return dpi;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kUnscaledDpi;
}

int systemMetricAt(int index, UINT dpi) {
  using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
  static const auto getSystemMetricsForDpi = user32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
  return getSystemMetricsForDpi != nullptr ? getSystemMetricsForDpi(index, dpi) : GetSystemMetrics(index);
}

// The default font's size differs with the scale the system started at, and the bitmap system font
// does not even grow evenly (under Wine its height grows and its width does not). Measured as a
// program unaware of the scale sees it, the cell is the same at every scale, and the fonts made
// from it grow by the monitor's scale alone. Without that view (before Windows 10) the cell is at
// the system's scale, and fonts grow by the monitor's scale over the system's.
SIZE unscaledDefaultTextExtent(const std::wstring& text, UINT& measuredAtDpi) {
  using SetThreadDpiAwarenessContextFunction = HANDLE(WINAPI*)(HANDLE);
  static const auto setThreadContext =
      user32Function<SetThreadDpiAwarenessContextFunction>("SetThreadDpiAwarenessContext");
  const HANDLE previous = setThreadContext != nullptr ? setThreadContext(kUnawareContext) : nullptr;
  // A context of its own, made now: one from the window system's cache may keep the font as it
  // was realised at the display's scale.
  HDC fresh = CreateCompatibleDC(nullptr);
  SIZE size{};
  GetTextExtentPoint32W(fresh, text.c_str(), static_cast<int>(text.size()), &size);
  const int dpi = GetDeviceCaps(fresh, LOGPIXELSY);
  measuredAtDpi = dpi > 0 ? static_cast<UINT>(dpi) : kUnscaledDpi;
  DeleteDC(fresh);
  if (previous != nullptr) setThreadContext(previous);
  return size;
}
