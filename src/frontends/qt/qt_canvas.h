// The client area: where the keyboard is drawn and where keys and the mouse arrive.
#pragma once

#include <QImage>
#include <bitset>
#include <QWidget>

class KeyboardCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit KeyboardCanvas(QWidget* parent);
  QImage& image() { return image_; }
  // Shows what a surface drew outside a paint pass, now.
  void showDrawnNow(const QRect& rect);

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
  QImage image_;
  std::bitset<256> keysDown_;  // native key codes pressed and not yet released
  bool blitOnly_ = false;  // a repaint that shows what was drawn, without a paint pass
};
