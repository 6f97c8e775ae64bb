// The main window: menu bar on top, the keyboard canvas as the client area.
#pragma once

#include <QMainWindow>
#include <QRect>

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow();
  // Frame and caption around the window, as the window manager drew them last; none before
  // the window has been framed.
  QMargins outerMargins() const;
  // Places the window so that its outer rectangle, frame and caption included, is outer.
  void setOuterGeometry(const QRect& outer);
  // The program's icon, drawn from the shipped SVG.
  void setIconFromSvg();

 protected:
  // The close box and Exit end here: the core's shutdown sequence runs before the window goes.
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // An outer size asked for before the frame was known. Without this the window would grow by
  // its frame at every start, since the saved rectangle is the outer one.
  QSize pendingOuterSize_;
};
