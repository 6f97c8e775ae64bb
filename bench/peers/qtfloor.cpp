// The Qt floor: the least a Qt 6 Widgets program with Plinkett's kind of window costs to start
// and to keep, as a yardstick for what the toolkit itself costs (floor.c is the one for Xlib
// and JACK). A main window, a menu bar with one menu, and an area painted by hand with a line
// of text; nothing else: no MIDI, no settings, no icon.
//
//   qtfloor        (DISPLAY names the X server; the options of Qt programs are understood)
//
// It ends on WM_DELETE_WINDOW, as any Qt program does.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QWidget>

namespace {

class Area : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Qt floor"));
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("qtfloor"));
  window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"), &application,
                                                                 &QApplication::quit);
  window.setCentralWidget(new Area);
  window.resize(400, 200);
  window.show();
  return QApplication::exec();
}
