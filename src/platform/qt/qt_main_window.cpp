#include "platform/qt/qt_main_window.h"

#include <QCloseEvent>
#include <QIcon>

#include "app/app_texts.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_front_end.h"
#include "platform/qt/qt_menus.h"

MainWindow::MainWindow() {
  setWindowTitle(text::kCaption);
  setWindowIcon(QIcon(dataFilePath(QStringLiteral("plinkett.svg"))));
  auto* canvas = new KeyboardCanvas(this);
  frontEnd().canvas = canvas;
  setCentralWidget(canvas);
  buildMenuBar(*this);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  plat::windowDestroy();
}
