// The real front end on Qt's offscreen platform: what its native objects report to the core,
// and what the core's requests do to them. Each test runs in a process of its own (the MIDI
// device list is taken once per process).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/commands.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_front_end.h"
#include "platform/qt/qt_main_window.h"

namespace {

namespace fs = std::filesystem;

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
    fs::remove_all(dir_);
  }
  // Answers every message box that comes up with its default button, remembering its text.
  void answerBoxes() {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        boxes_.push_back(box->text().toStdString());
        box->done(QMessageBox::Ok);
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
};

TEST_F(FrontEnd, NoDeviceShowsTheBoxAndEndsBeforeShowing) {
  setenv("PLINKETT_NO_BUILTIN_SYNTH", "1", 1);
  answerBoxes();
  EXPECT_FALSE(startFrontEnd());
  EXPECT_EQ(boxes_, std::vector<std::string>{"There is no\n MIDI output devices"});
  EXPECT_TRUE(frontEnd().quitPosted);
  EXPECT_EQ(frontEnd().exitCode, 0);
  EXPECT_FALSE(fs::exists(dir_ + "/plinkett/PLINKETT.SET")) << "an early end writes no settings";
}

TEST_F(FrontEnd, MenusBarsAndKeysReachTheCore) {
  withFileSynth();
  answerBoxes();
  ASSERT_TRUE(startFrontEnd());
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(action(cmd::kActive)->isChecked());
  EXPECT_TRUE(action(cmd::kMapperDevice)->isChecked());
  EXPECT_EQ(frontEnd().devicesMenu->actions().size(), 2 + 2) << "Active, separator, mapper, synth";

  // A checked item chosen again keeps its mark: the core decides, not the toolkit.
  action(cmd::kNoTranspose)->trigger();
  EXPECT_TRUE(action(cmd::kNoTranspose)->isChecked());
  action(cmd::kLayoutChromatic)->trigger();
  EXPECT_EQ(action(cmd::kTransposeUp1)->text().toStdString(), "4 Up");
  EXPECT_FALSE(action(cmd::kTransposeUp2)->isEnabled());
  EXPECT_TRUE(action(cmd::kLayoutChromatic)->isChecked());
  EXPECT_FALSE(action(cmd::kLayoutPiano)->isChecked());
  action(cmd::kShowFlats)->trigger();
  EXPECT_TRUE(action(cmd::kShowFlats)->isChecked());
  action(cmd::kShowFlats)->trigger();
  EXPECT_FALSE(action(cmd::kShowFlats)->isChecked());
  action(cmd::kLayoutPiano)->trigger();

  // Bars: the pitch-bend arrows move nothing; a velocity page click moves by the core's rule.
  QScrollBar* bend = frontEnd().bars[2];
  QScrollBar* velocity = frontEnd().bars[0];
  QScrollBar* modulation = frontEnd().bars[1];
  bend->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  bend->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(bend->sliderPosition(), 8192);
  velocity->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(app.settings.velocity, 108);
  EXPECT_EQ(velocity->sliderPosition(), 20);
  modulation->setSliderDown(true);
  modulation->setSliderPosition(50);  // dragging: nothing yet
  EXPECT_EQ(app.bars.modulation, 0);
  modulation->setSliderDown(false);   // let go: taken from the position
  EXPECT_EQ(app.bars.modulation, 50);
  bend->setSliderDown(true);
  bend->setSliderPosition(0);
  EXPECT_EQ(bend->sliderPosition(), 0);
  bend->setSliderDown(false);
  EXPECT_EQ(bend->sliderPosition(), 8192) << "the released thumb springs back";

  // Q (X keycode 24) plays G 55 at the raised velocity; the window losing the keyboard ends it.
  key(QEvent::KeyPress, Qt::Key_Q, 24);
  EXPECT_EQ(app.midi.soundingNotes[55], 1);
  QFocusEvent focusOut(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(frontEnd().canvas, &focusOut);
  EXPECT_EQ(app.midi.soundingNotes[55], 0);
  // Opening our own menu is no loss of the keyboard.
  key(QEvent::KeyPress, Qt::Key_Q, 24);
  QFocusEvent toMenu(QEvent::FocusOut, Qt::MenuBarFocusReason);
  QApplication::sendEvent(frontEnd().canvas, &toMenu);
  EXPECT_EQ(app.midi.soundingNotes[55], 1);
  key(QEvent::KeyRelease, Qt::Key_Q, 24);
  EXPECT_EQ(app.midi.soundingNotes[55], 0);

  frontEnd().window->close();
  std::vector<uint8_t> bytes = settingsBytes();
  ASSERT_EQ(bytes.size(), 64u);
  EXPECT_EQ(bytes[40], 1) << "the device was open at the close";
  EXPECT_EQ(bytes[52], 108) << "velocity";
  EXPECT_EQ(app.midi.deviceOpen, 0);
}

}  // namespace
