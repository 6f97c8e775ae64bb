#include "frontends/qt/qt_canvas.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

#include "backends/start_trace/start_trace.h"
#include "platform/events.h"
#include "frontends/qt/qt_front_end.h"
#include "frontends/qt/qt_key_translation.h"

namespace {

Modifiers modifiersOf(Qt::KeyboardModifiers m) {
  return Modifiers{(m & Qt::ShiftModifier) != 0, (m & Qt::ControlModifier) != 0};
}

}  // namespace

KeyboardCanvas::KeyboardCanvas(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(false);
}

QImage& KeyboardCanvas::image() {
  fitImage();
  return image_;
}

void KeyboardCanvas::fitImage() {
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = QSize(qCeil(width() * ratio), qCeil(height() * ratio)).expandedTo(QSize(1, 1));
  if (image_.size() == pixels && image_.devicePixelRatio() == ratio) return;
  image_ = QImage(pixels, QImage::Format_RGB32);
  image_.setDevicePixelRatio(ratio);
  image_.fill(palette().color(QPalette::Window));
  repaintAll();
}

void KeyboardCanvas::repaintAll() {
  wholeRepaintQueued_ = true;
  update();
}

void KeyboardCanvas::showDrawnNow(const QRect& rect) {
  fitImage();
  if (rect.isEmpty() || wholeRepaintQueued_) return;
  blitOnly_ = true;
  repaint(rect);
  blitOnly_ = false;
}

void KeyboardCanvas::paintEvent(QPaintEvent* event) {
  fitImage();
  // Every paint the window system asks for draws all keys released; a key drawn pressed outside
  // a paint is only shown.
  if (!blitOnly_) {
    wholeRepaintQueued_ = false;
    paintKeyboard();
    if (!painted_) traceStart("first paint");
    painted_ = true;
  }
  const QRect r = event->rect();
  const qreal ratio = image_.devicePixelRatio();
  QPainter painter(this);
  painter.drawImage(r, image_, QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio));
}

void KeyboardCanvas::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  fitImage();
  applyClientSize(static_cast<uint16_t>(width()), static_cast<uint16_t>(height()));
}

void KeyboardCanvas::handleKey(QKeyEvent* event, bool release) {
  const uint32_t code = event->nativeScanCode() & 0xFFu;
  TranslatedKey key =
      translateKeyEvent(*event, release, !release && keysDown_.test(code), frontEnd().releaselessRepeats);
  // A key is up after any real release: otherwise its next press would count as a repeat and play
  // nothing.
  if (release && key.routing != KeyRouting::Ignore) keysDown_.reset(code);
  if (!release && key.routing == KeyRouting::ToCore) keysDown_.set(code);
  switch (key.routing) {
    case KeyRouting::System:
      event->ignore();
      return;
    case KeyRouting::Ignore:
      event->accept();
      return;
    case KeyRouting::ToCore:
      event->accept();
      handleKeyMessage(key.message);
      return;
  }
}

void KeyboardCanvas::keyPressEvent(QKeyEvent* event) { handleKey(event, false); }
void KeyboardCanvas::keyReleaseEvent(QKeyEvent* event) { handleKey(event, true); }

void KeyboardCanvas::handleButton(QMouseEvent* event, bool release) {
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  event->accept();
  const QPoint p = event->position().toPoint();
  handleMouseButton(release, p.x(), p.y(), modifiersOf(event->modifiers()));
}

void KeyboardCanvas::mousePressEvent(QMouseEvent* event) { handleButton(event, false); }
void KeyboardCanvas::mouseReleaseEvent(QMouseEvent* event) { handleButton(event, true); }

void KeyboardCanvas::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  keysDown_.reset();  // their releases go to whoever has the keyboard now
  if (frontEnd().destroyed) return;
  // Our own menu bar or one of its menus took the keyboard: the player comes straight back, but
  // the keys let go meanwhile are the menu's.
  if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::MenuBarFocusReason) {
    onMenuTakesKeyboard();
    return;
  }
  onFocusLost();
}

bool KeyboardCanvas::event(QEvent* event) {
  // Another window took the pointer while our press held it.
  if (event->type() == QEvent::WindowDeactivate && !frontEnd().destroyed) onMouseCaptureLost();
  return QWidget::event(event);
}
