// The Linux desktop program's entry.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frontends/qt/qt_auto_repeat.h"
#include "frontends/qt/qt_front_end.h"

namespace {

// Qt aborts with a long message when it finds no display; a user deserves one plain line.
bool displayAvailable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform != nullptr && (std::strncmp(platform, "offscreen", 9) == 0 ||
                              std::strncmp(platform, "minimal", 7) == 0 || std::strncmp(platform, "vnc", 3) == 0)) {
    return true;
  }
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

}  // namespace

int main(int argc, char** argv) {
  if (!displayAvailable()) {
    std::fputs("plinkett: no graphical display found (DISPLAY/WAYLAND_DISPLAY is not set)\n", stderr);
    return 1;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("plinkett");
  QApplication::setQuitOnLastWindowClosed(false);  // the shutdown sequence posts the quit itself
  enableDetectableAutoRepeat();
  int code = 0;
  if (startFrontEnd()) {
    code = QApplication::exec();
  }
  code = frontEnd().exitCode;
  stopFrontEnd();
  return code;
}
