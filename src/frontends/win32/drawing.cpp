// Drawing on the main window with GDI: a surface is a device context, a font a GDI font.
#include "frontends/win32/win32_front_end.h"

namespace {

HDC dcOf(plat::Surface surface) { return reinterpret_cast<HDC>(surface); }
HFONT fontOf(plat::Font font) { return reinterpret_cast<HFONT>(font); }
RECT toRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
HBRUSH stockBrush(plat::Brush brush) {
  return static_cast<HBRUSH>(GetStockObject(brush == plat::Brush::Black ? BLACK_BRUSH : WHITE_BRUSH));
}
COLORREF colourOf(plat::Colour colour) { return colour == plat::Colour::Black ? RGB(0, 0, 0) : RGB(255, 255, 255); }

constexpr BYTE kProportionalSansSerif = VARIABLE_PITCH | FF_SWISS;  // 0x22
constexpr UINT kCentredLine = DT_SINGLELINE | DT_VCENTER | DT_CENTER;  // 0x25

}  // namespace

namespace plat {

// A destroyed window gives no surface: GetDC(NULL) would be the whole screen's.
Surface surfaceGet() {
  HWND window = frontEnd().window;
  return window == nullptr ? 0 : reinterpret_cast<Surface>(GetDC(window));
}

void surfaceRelease(Surface surface) {
  HWND window = frontEnd().window;
  if (window != nullptr && surface != 0) ReleaseDC(window, dcOf(surface));
}

Surface paintBegin() {
  Win32FrontEnd& fe = frontEnd();
  return fe.window == nullptr ? 0 : reinterpret_cast<Surface>(BeginPaint(fe.window, &fe.paint));
}

void paintEnd(Surface surface) {
  Win32FrontEnd& fe = frontEnd();
  if (fe.window != nullptr && surface != 0) EndPaint(fe.window, &fe.paint);
}

// At the monitor's scale: the sizes are in the units of the default font's cell.
Font fontCreate(int32_t height, int32_t width, int32_t weight) {
  const Win32FrontEnd& fe = frontEnd();
  const int scale = static_cast<int>(fe.dpi);
  const int cellScale = static_cast<int>(fe.cellDpi);
  LOGFONTW lf{};  // no escapement, not italic, underlined or struck out, empty face name
  lf.lfHeight = MulDiv(height, scale, cellScale);  // positive: a cell height
  lf.lfWidth = MulDiv(width, scale, cellScale);
  lf.lfWeight = weight;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = kProportionalSansSerif;
  return reinterpret_cast<Font>(CreateFontIndirectW(&lf));
}

Font fontSelect(Surface surface, Font font) {
  if (surface == 0 || font == 0) return 0;
  return reinterpret_cast<Font>(SelectObject(dcOf(surface), fontOf(font)));
}

void fontDelete(Font font) {
  if (font != 0) DeleteObject(fontOf(font));
}

// A fresh surface carries the stock system font: its cell is taken unscaled, so that fonts made
// from it grow with the monitor's scale alone.
TextSize textExtent(Surface surface, const char* text) {
  if (surface == 0) return TextSize{0, 0};
  HDC dc = dcOf(surface);
  const std::wstring wide = wideFromUtf8(text);
  SIZE size{};
  if (GetCurrentObject(dc, OBJ_FONT) == GetStockObject(SYSTEM_FONT)) {
    size = unscaledDefaultTextExtent(wide, frontEnd().cellDpi);
  } else {
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  }
  return TextSize{size.cx, size.cy};
}

void fillRect(Surface surface, const Rect& rect, Brush brush) {
  RECT r = toRECT(rect);
  if (surface != 0) FillRect(dcOf(surface), &r, stockBrush(brush));
}

void frameRect(Surface surface, const Rect& rect, Brush brush) {
  RECT r = toRECT(rect);
  if (surface != 0) FrameRect(dcOf(surface), &r, stockBrush(brush));
}

void drawCentredText(Surface surface, const char* text, const Rect& rect, Colour textColour, Colour background) {
  if (surface == 0) return;
  HDC dc = dcOf(surface);
  RECT r = toRECT(rect);
  SetTextColor(dc, colourOf(textColour));
  SetBkColor(dc, colourOf(background));  // the background mode stays opaque
  std::wstring wide = wideFromUtf8(text);
  DrawTextW(dc, wide.data(), static_cast<int>(wide.size()), &r, kCentredLine);
}

}  // namespace plat
