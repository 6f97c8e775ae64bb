// Drawing surfaces on the canvas's backing image, and the label fonts.
#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "platform/platform.h"
#include "frontends/qt/qt_canvas.h"
#include "frontends/qt/qt_front_end.h"

namespace {

QRect toQRect(const Rect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }
QColor colourOf(plat::Colour c) { return c == plat::Colour::Black ? Qt::black : Qt::white; }
QColor colourOf(plat::Brush b) { return b == plat::Brush::Black ? Qt::black : Qt::white; }

plat::Surface openSurface() {
  QtFrontEnd& fe = frontEnd();
  QtSurface s;
  s.target = fe.canvas != nullptr ? &fe.canvas->image() : nullptr;
  s.font = QApplication::font();
  plat::Surface id = fe.nextSurface++;
  fe.surfaces[id] = s;
  return id;
}

QtSurface* surfaceOf(plat::Surface id) {
  auto it = frontEnd().surfaces.find(id);
  return it == frontEnd().surfaces.end() ? nullptr : &it->second;
}

// A painter on the surface's image, or none while the window has no canvas.
bool withPainter(plat::Surface id, const QRect& area, auto&& draw) {
  QtSurface* s = surfaceOf(id);
  if (s == nullptr || s->target == nullptr || s->target->isNull()) return false;
  QPainter painter(s->target);
  draw(painter, *s);
  s->touched |= area;
  return true;
}

}  // namespace

namespace plat {

Surface surfaceGet() { return openSurface(); }

void surfaceRelease(Surface surface) {
  QtSurface* s = surfaceOf(surface);
  if (s == nullptr) return;
  QRect touched = s->touched;
  frontEnd().surfaces.erase(surface);
  // Drawn outside a paint pass: shown at once, as a window system shows drawing on a window.
  if (frontEnd().canvas != nullptr) frontEnd().canvas->showDrawnNow(touched.adjusted(-1, -1, 1, 1));
}

Surface paintBegin() {
  Surface id = openSurface();
  QtSurface* s = surfaceOf(id);
  if (s->target != nullptr && frontEnd().canvas != nullptr) {
    s->target->fill(frontEnd().canvas->palette().color(QPalette::Window));
  }
  return id;
}

void paintEnd(Surface surface) { frontEnd().surfaces.erase(surface); }

Font fontCreate(int32_t height, int32_t width, int32_t weight) {
  QFont font(QApplication::font().family());
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::max(1, height));
  // The height asked for is a cell height (ascent and descent), as the other platform means it,
  // not the em size Qt takes.
  int cell = QFontMetrics(font).height();
  if (cell > height && height > 0) font.setPixelSize(std::max(1, height * height / cell));
  font.setWeight(weight >= 600 ? QFont::Bold : QFont::Normal);
  // The width asked for is an average character width: reach it by stretching the face.
  int average = QFontMetrics(font).averageCharWidth();
  if (width > 0 && average > 0) font.setStretch(std::clamp(100 * width / average, 50, 200));
  Font id = frontEnd().nextFont++;
  frontEnd().fonts[id] = font;
  return id;
}

Font fontSelect(Surface surface, Font font) {
  QtSurface* s = surfaceOf(surface);
  if (s == nullptr) return 0;
  Font previous = s->fontId;
  auto it = frontEnd().fonts.find(font);
  if (it != frontEnd().fonts.end()) {
    s->font = it->second;
    s->fontId = font;
  }
  return previous;
}

void fontDelete(Font font) { frontEnd().fonts.erase(font); }

TextSize textExtent(Surface surface, const char* text) {
  QtSurface* s = surfaceOf(surface);
  QFontMetrics metrics(s != nullptr ? s->font : QApplication::font());
  return TextSize{metrics.horizontalAdvance(QString::fromUtf8(text)), metrics.height()};
}

void fillRect(Surface surface, const Rect& rect, Brush brush) {
  QRect r = toQRect(rect);
  withPainter(surface, r, [&](QPainter& p, QtSurface&) { p.fillRect(r, colourOf(brush)); });
}

void frameRect(Surface surface, const Rect& rect, Brush brush) {
  QRect r = toQRect(rect);
  withPainter(surface, r, [&](QPainter& p, QtSurface&) {
    QColor c = colourOf(brush);
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), c);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), c);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), c);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), c);
  });
}

void drawCentredText(Surface surface, const char* text, const Rect& rect, Colour textColour, Colour background) {
  QRect r = toQRect(rect);
  withPainter(surface, r, [&](QPainter& p, QtSurface& s) {
    QString label = QString::fromUtf8(text);
    if (label.isEmpty()) return;
    p.setClipRect(r);
    p.setFont(s.font);
    int flags = Qt::AlignCenter | Qt::TextSingleLine;
    // Opaque text: the background colour behind the text's own box, as the label cell.
    QRect box = QFontMetrics(s.font).boundingRect(r, flags, label);
    p.fillRect(box, colourOf(background));
    p.setPen(colourOf(textColour));
    p.drawText(r, flags, label);
  });
}

}  // namespace plat
