#include "frontends/qt/qt_main_window.h"

#include <QCloseEvent>
#include <QIcon>
#include <algorithm>

#include "platform/events.h"
#include "frontends/qt/qt_canvas.h"
#include "frontends/qt/qt_front_end.h"
#include "frontends/qt/qt_menus.h"

namespace {

QSize innerSize(const QSize& outer, const QMargins& m) {
  return QSize(std::max(1, outer.width() - m.left() - m.right()), std::max(1, outer.height() - m.top() - m.bottom()));
}

}  // namespace

MainWindow::MainWindow() {
  setWindowTitle(text::kCaption);
  auto* canvas = new KeyboardCanvas(this);
  frontEnd().canvas = canvas;
  setCentralWidget(canvas);
  buildMenuBar(*this);
}

void MainWindow::setIconFromSvg() { setWindowIcon(QIcon(dataFilePath(QStringLiteral("plinkett.svg")))); }

QMargins MainWindow::outerMargins() const {
  QRect frame = frameGeometry();
  QRect client = geometry();
  return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                  frame.bottom() - client.bottom());
}

void MainWindow::setOuterGeometry(const QRect& outer) {
  const QMargins m = outerMargins();
  move(outer.topLeft());  // a top-level window's position is its frame's
  resize(innerSize(outer.size(), m));
  pendingOuterSize_ = m.isNull() ? outer.size() : QSize();
}

bool MainWindow::event(QEvent* event) {
  // The window manager frames a window after it is shown, and the window then moves or resizes.
  const QEvent::Type t = event->type();
  if ((t == QEvent::Move || t == QEvent::Resize) && pendingOuterSize_.isValid() && !outerMargins().isNull()) {
    const QSize outer = pendingOuterSize_;
    pendingOuterSize_ = QSize();
    resize(innerSize(outer, outerMargins()));
  }
  return QMainWindow::event(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  plat::windowDestroy();
}
