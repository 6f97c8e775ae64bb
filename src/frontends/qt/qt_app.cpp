#include <QApplication>
#include <QTimer>

#include "backends/start_trace/start_trace.h"
#include "platform/events.h"
#include "frontends/qt/qt_auto_repeat.h"
#include "frontends/qt/qt_canvas.h"
#include "frontends/qt/qt_front_end.h"
#include "frontends/qt/qt_main_window.h"

QtFrontEnd& frontEnd() {
  static QtFrontEnd state;
  return state;
}

bool startFrontEnd() {
  QtFrontEnd& fe = frontEnd();
  fe = QtFrontEnd{};
  fe.releaselessRepeats = enableDetectableAutoRepeat();
  fe.window = new MainWindow();
  traceStart("window built");
  // The core's whole start runs while the window is not shown yet.
  if (!startMainWindow()) return false;
  traceStart("core started");
  fe.window->show();
  traceStart("window shown");
  fe.canvas->setFocus(Qt::OtherFocusReason);
  // Drawing the icon from its SVG loads the image plugins (some milliseconds): the window manager
  // takes an icon set once the window is up as well as one set before.
  QTimer::singleShot(0, fe.window, [w = fe.window] { w->setIconFromSvg(); });
  return true;
}

void stopFrontEnd() {
  QtFrontEnd& fe = frontEnd();
  if (!fe.destroyed && fe.window != nullptr) fe.window->close();
  delete fe.window.data();
  fe.window = nullptr;
  fe.canvas = nullptr;
  fe.devicesMenu = nullptr;
  for (auto*& b : fe.bars) b = nullptr;
}
