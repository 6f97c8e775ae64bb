#include <QApplication>
#include <QTimer>

#include "app/app_state.h"
#include "app/main_window.h"
#include "display/control_bars.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_front_end.h"
#include "platform/qt/qt_main_window.h"

QtFrontEnd& frontEnd() {
  static QtFrontEnd state;
  return state;
}

bool startFrontEnd() {
  QtFrontEnd& fe = frontEnd();
  fe = QtFrontEnd{};
  fe.window = new MainWindow();
  // The core's creation sequence runs as the window's creation: the window is not shown yet.
  onCreate();
  if (fe.destroyed) return false;
  createControlBars();
  fe.window->show();
  fe.canvas->setFocus(Qt::OtherFocusReason);
  return true;
}

void stopFrontEnd() {
  QtFrontEnd& fe = frontEnd();
  if (!fe.destroyed && fe.window != nullptr) fe.window->close();
  delete fe.window.data();
  fe.window = nullptr;
  fe.canvas = nullptr;
  fe.devicesMenu = nullptr;
  fe.timer = nullptr;
  for (auto*& b : fe.bars) b = nullptr;
}
