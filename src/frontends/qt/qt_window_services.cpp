// Window, timer, mouse and dialog services of the main window.
#include <QApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "backends/start_trace/start_trace.h"
#include "platform/events.h"
#include "platform/platform.h"
#include "frontends/qt/qt_canvas.h"
#include "frontends/qt/qt_front_end.h"
#include "frontends/qt/qt_main_window.h"

namespace {

Rect toRect(const QRect& r) { return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

}  // namespace

namespace plat {

Rect windowRect() {
  MainWindow* w = frontEnd().window;
  return w == nullptr ? Rect{} : toRect(w->frameGeometry());
}

Rect windowNormalRect() {
  MainWindow* w = frontEnd().window;
  if (w == nullptr) return Rect{};
  if ((w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) == 0) {
    return toRect(w->frameGeometry());
  }
  return toRect(w->normalGeometry().marginsAdded(w->outerMargins()));
}

int32_t screenWorkAreas(Rect* areas, int32_t capacity) {
  QList<QScreen*> screens = QGuiApplication::screens();
  QScreen* primary = QGuiApplication::primaryScreen();
  if (primary != nullptr) {
    screens.removeAll(primary);
    screens.prepend(primary);
  }
  int32_t n = 0;
  for (QScreen* s : screens) {
    if (n < capacity) areas[n] = toRect(s->availableGeometry());
    ++n;
  }
  return n;
}

void windowMove(int32_t left, int32_t top, int32_t width, int32_t height, bool) {
  MainWindow* w = frontEnd().window;
  if (w == nullptr) return;
  w->setOuterGeometry(QRect(left, top, width, height));
}

void windowSetTopmost(bool topmost) {
  MainWindow* w = frontEnd().window;
  if (w == nullptr) return;
  bool wasVisible = w->isVisible();
  w->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
  if (wasVisible) w->show();  // changing a window flag hides a shown window
}

void windowDestroy() {
  QtFrontEnd& fe = frontEnd();
  if (fe.destroyed) return;
  fe.destroyed = true;
  // The shutdown sequence runs now, while the window, its ports and fonts still exist.
  onDestroy();
  if (MainWindow* w = fe.window) {
    w->hide();
    w->deleteLater();
  }
}

void windowClose() {
  if (MainWindow* w = frontEnd().window) {
    w->close();
  } else {
    windowDestroy();
  }
}

void postQuit(int32_t exitCode) {
  frontEnd().quitPosted = true;
  frontEnd().exitCode = exitCode;
  QCoreApplication::exit(exitCode);
}

int32_t menuBarHeight() {
  MainWindow* w = frontEnd().window;
  return w == nullptr ? 0 : w->menuBar()->sizeHint().height();
}

void invalidateClient() {
  if (frontEnd().canvas != nullptr) frontEnd().canvas->repaintAll();
}

// The core's 50 ms timer has nothing to do at its ticks here: the promise is kept without a timer,
// so the main thread sleeps while nothing happens. The start asks for it right after reading the
// settings, which the start-up trace marks here.
bool timerStart(int32_t, int32_t) {
  traceStart("settings read");
  return true;
}

void timerStop(int32_t) {}

void mouseCapture() {
  if (frontEnd().canvas != nullptr) frontEnd().canvas->grabMouse();
}

void mouseRelease() {
  if (frontEnd().canvas != nullptr) frontEnd().canvas->releaseMouse();
}

void beep(BeepKind) { QApplication::beep(); }

BoxAnswer messageBox(const char* text, BoxStyle style) {
  QMessageBox box(frontEnd().window);
  box.setWindowTitle(text::kCaption);
  box.setText(QString::fromUtf8(text));
  switch (style) {
    case BoxStyle::ErrorOk: box.setIcon(QMessageBox::Critical); box.setStandardButtons(QMessageBox::Ok); break;
    case BoxStyle::WarningOk: box.setIcon(QMessageBox::Warning); box.setStandardButtons(QMessageBox::Ok); break;
    case BoxStyle::PlainOk: box.setIcon(QMessageBox::NoIcon); box.setStandardButtons(QMessageBox::Ok); break;
    case BoxStyle::WarningRetryCancel:
      box.setIcon(QMessageBox::Warning);
      box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
      break;
  }
  int answer = box.exec();
  if (answer == QMessageBox::Retry) return BoxAnswer::Retry;
  if (answer == QMessageBox::Cancel) return BoxAnswer::Cancel;
  return BoxAnswer::Ok;
}

}  // namespace plat
