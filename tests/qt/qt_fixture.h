// The real front end in this test process, with a settings folder of its own and scripted
// answers to message boxes.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "frontends/qt/qt_canvas.h"
#include "frontends/qt/qt_front_end.h"
#include "frontends/qt/qt_main_window.h"

class FrontEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/plinkett-qt-XXXXXX";
    dir_ = mkdtemp(tmpl);
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    resetAppState();
  }
  void TearDown() override {
    stopFrontEnd();
    std::filesystem::remove_all(dir_);
  }
  // Answers every message box that comes up, remembering its text: with the button given, or
  // with the box's only button.
  void answerBoxes(QMessageBox::StandardButton button = QMessageBox::Ok) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [this, button] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        boxes_.push_back(box->text().toStdString());
        boxTitles_.push_back(box->windowTitle().toStdString());
        boxIcons_.push_back(box->icon());
        QAbstractButton* b = box->button(button);
        if (b == nullptr) b = box->buttons().front();
        b->click();
      }
    });
    timer->start(20);
  }
  // A synthesizer that plays into a file, so a device opens without a sound card.
  void withFileSynth() {
    unsetenv("PLINKETT_NO_BUILTIN_SYNTH");
    setenv("PLINKETT_SYNTH_FILE", (dir_ + "/synth.wav").c_str(), 1);
  }
  std::vector<uint8_t> settingsBytes() {
    std::ifstream in(dir_ + "/plinkett/PLINKETT.SET", std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  QAction* action(int32_t id) { return frontEnd().actions.at(id); }
  void key(QEvent::Type type, int qtKey, quint32 nativeCode, Qt::KeyboardModifiers mods = {}) {
    QKeyEvent event(type, qtKey, mods, nativeCode, 0, 0, QString(), false);
    QApplication::sendEvent(frontEnd().canvas, &event);
  }

  std::string dir_;
  std::vector<std::string> boxes_;
  std::vector<QMessageBox::Icon> boxIcons_;
  std::vector<std::string> boxTitles_;
};
