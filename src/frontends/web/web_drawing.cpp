// Drawing on the keyboard's canvas. There is one canvas, so a surface only remembers the font
// selected into it; every operation draws at once, in device pixels.
#include <array>

#include "frontends/web/web_imports.h"
#include "platform/platform.h"

namespace {

struct SurfaceFont {
  plat::Surface surface;  // 0: a free entry
  plat::Font font;        // 0: the interface font
};

// Surfaces nest at most two deep (the cell is measured on a fresh one inside another).
std::array<SurfaceFont, 8> gSurfaces{};
plat::Surface gNextSurface = 1;

plat::Surface openSurface() {
  for (SurfaceFont& s : gSurfaces) {
    if (s.surface == 0) {
      s = SurfaceFont{gNextSurface++, 0};
      return s.surface;
    }
  }
  return 0;
}

SurfaceFont* surfaceOf(plat::Surface surface) {
  if (surface == 0) return nullptr;
  for (SurfaceFont& s : gSurfaces) {
    if (s.surface == surface) return &s;
  }
  return nullptr;
}

void closeSurface(plat::Surface surface) {
  if (SurfaceFont* s = surfaceOf(surface)) *s = SurfaceFont{0, 0};
}

int32_t white(plat::Brush brush) { return brush == plat::Brush::White ? 1 : 0; }
int32_t white(plat::Colour colour) { return colour == plat::Colour::White ? 1 : 0; }

}  // namespace

namespace plat {

Surface surfaceGet() { return openSurface(); }
void surfaceRelease(Surface surface) { closeSurface(surface); }

Surface paintBegin() {
  pageFill(0, 0, 0, 0, -1);  // the whole canvas, in the window's background colour
  return openSurface();
}

void paintEnd(Surface surface) { closeSurface(surface); }

Font fontCreate(int32_t height, int32_t width, int32_t weight) {
  return static_cast<Font>(pageFontCreate(height, width, weight));
}

Font fontSelect(Surface surface, Font font) {
  SurfaceFont* s = surfaceOf(surface);
  if (s == nullptr || font == 0) return 0;
  Font previous = s->font;
  s->font = font;
  return previous;
}

void fontDelete(Font font) {
  if (font != 0) pageFontDelete(static_cast<int32_t>(font));
}

TextSize textExtent(Surface surface, const char* text) {
  SurfaceFont* s = surfaceOf(surface);
  int32_t size[2] = {0, 0};
  pageTextExtent(s == nullptr ? 0 : static_cast<int32_t>(s->font), text, size);
  return TextSize{size[0], size[1]};
}

void fillRect(Surface surface, const Rect& rect, Brush brush) {
  if (surfaceOf(surface) != nullptr) pageFill(rect.left, rect.top, rect.right, rect.bottom, white(brush));
}

void frameRect(Surface surface, const Rect& r, Brush brush) {
  if (surfaceOf(surface) == nullptr || r.right <= r.left || r.bottom <= r.top) return;
  const int32_t w = white(brush);
  pageFill(r.left, r.top, r.right, r.top + 1, w);
  pageFill(r.left, r.bottom - 1, r.right, r.bottom, w);
  pageFill(r.left, r.top, r.left + 1, r.bottom, w);
  pageFill(r.right - 1, r.top, r.right, r.bottom, w);
}

void drawCentredText(Surface surface, const char* text, const Rect& r, Colour textColour, Colour background) {
  SurfaceFont* s = surfaceOf(surface);
  if (s == nullptr) return;
  pageText(static_cast<int32_t>(s->font), text, r.left, r.top, r.right, r.bottom, white(textColour), white(background));
}

}  // namespace plat
