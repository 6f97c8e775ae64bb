// The three control bars as QScrollBars that report requests and never move by themselves.
#include <QScrollBar>

#include "platform/events.h"
#include "platform/platform.h"
#include "frontends/qt/qt_canvas.h"
#include "frontends/qt/qt_front_end.h"

namespace {

QScrollBar* barOf(plat::Bar bar) { return frontEnd().bars[static_cast<int>(bar)]; }

void report(plat::Bar bar, ScrollRequest request, int position) {
  auto pos = static_cast<uint16_t>(position);
  if (bar == plat::Bar::Modulation) {
    onModulationScroll(request, pos);
  } else {
    onVerticalScroll(bar, request, pos);
  }
}

// Arrow and trough clicks become requests; Qt's own step is undone first, so the bar shows only
// what the core sets.
void onAction(plat::Bar bar, int action) {
  QScrollBar* b = barOf(bar);
  ScrollRequest request = ScrollRequest::Other;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: request = ScrollRequest::LineUp; break;
    case QAbstractSlider::SliderSingleStepAdd: request = ScrollRequest::LineDown; break;
    case QAbstractSlider::SliderPageStepSub: request = ScrollRequest::PageUp; break;
    case QAbstractSlider::SliderPageStepAdd: request = ScrollRequest::PageDown; break;
    default: return;  // dragging is reported by sliderMoved and sliderReleased
  }
  b->setSliderPosition(frontEnd().barPositions[static_cast<int>(bar)]);
  report(bar, request, b->sliderPosition());
}

}  // namespace

namespace plat {

void barCreate(Bar bar, bool vertical) {
  if (frontEnd().canvas == nullptr) return;
  auto* b = new QScrollBar(vertical ? Qt::Vertical : Qt::Horizontal, frontEnd().canvas);
  b->setFocusPolicy(Qt::NoFocus);
  b->setGeometry(0, 0, 0, 0);
  b->setTracking(true);
  frontEnd().bars[static_cast<int>(bar)] = b;
  QObject::connect(b, &QAbstractSlider::actionTriggered, [bar](int action) { onAction(bar, action); });
  QObject::connect(b, &QAbstractSlider::sliderMoved, [bar](int position) { report(bar, ScrollRequest::ThumbTrack, position); });
  QObject::connect(b, &QAbstractSlider::sliderReleased, [bar, b] { report(bar, ScrollRequest::ThumbPosition, b->sliderPosition()); });
  b->show();
}

void barSetRange(Bar bar, int32_t minimum, int32_t maximum, bool) {
  QScrollBar* b = barOf(bar);
  if (b == nullptr) return;
  const QSignalBlocker quiet(b);
  b->setRange(minimum, maximum);
  // A thumb of about an eighth of the range, like a classic scroll bar's.
  b->setPageStep(std::max(1, (maximum - minimum) / 8));
}

void barSetPosition(Bar bar, int32_t position, bool) {
  QScrollBar* b = barOf(bar);
  frontEnd().barPositions[static_cast<int>(bar)] = position;
  if (b == nullptr) return;
  const QSignalBlocker quiet(b);
  b->setSliderPosition(position);
  b->setValue(position);
}

void barSetTip(Bar bar, const char* text) {
  if (QScrollBar* b = barOf(bar)) b->setToolTip(QString::fromUtf8(text));
}

void barShow(Bar bar, bool visible) {
  if (QScrollBar* b = barOf(bar)) b->setVisible(visible);
}

void barMove(Bar bar, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (QScrollBar* b = barOf(bar)) b->setGeometry(x, y, std::max(0, width), std::max(0, height));
}

void focusMainWindow() {
  if (frontEnd().canvas != nullptr) frontEnd().canvas->setFocus(Qt::OtherFocusReason);
}

}  // namespace plat
