// The main window: menu bar on top, the keyboard canvas as the client area.
#pragma once

#include <QMainWindow>

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow();

 protected:
  // The close box and Exit end here: the core's shutdown sequence runs before the window goes.
  void closeEvent(QCloseEvent* event) override;
};
