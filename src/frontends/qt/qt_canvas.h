// The client area: where the keyboard is drawn and where keys and the mouse arrive.
#pragma once

#include <QImage>
#include <bitset>
#include <QWidget>

class KeyboardCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit KeyboardCanvas(QWidget* parent);
  // The backing image every surface draws on, in logical pixels (the core's geometry) at the
  // screen's device pixel ratio, so keys and labels are drawn at the screen's full resolution.
  QImage& image();
  // Shows what a surface drew outside a paint pass, now; but not while a whole repaint waits,
  // which will draw everything.
  void showDrawnNow(const QRect& rect);
  // Asks for a paint pass that draws the whole keyboard.
  void repaintAll();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void handleKey(QKeyEvent* event, bool release);
  void handleButton(QMouseEvent* event, bool release);
  // Makes the image match the canvas's size and device pixel ratio; a new image asks for a
  // whole repaint.
  void fitImage();
  QImage image_;
  std::bitset<256> keysDown_;  // native key codes pressed and not yet released
  bool blitOnly_ = false;  // a repaint that shows what was drawn, without a paint pass
  bool painted_ = false;   // a paint pass has drawn the keyboard (for the start-up trace)
  // A whole repaint is queued and has not run. Qt paints every dirty region in a synchronous
  // repaint, so showing one key then would turn the queued repaint into a copy of the image.
  bool wholeRepaintQueued_ = false;
};
