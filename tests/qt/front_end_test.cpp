// The real front end on Qt's offscreen platform: what its native objects report to the core,
// and what the core's requests do to them. Each test runs in a process of its own (the MIDI
// device list is taken once per process).
#include <QFocusEvent>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>

#include "base/commands.h"
#include "platform/platform.h"
#include "qt_fixture.h"

namespace {

namespace fs = std::filesystem;

TEST_F(FrontEnd, NoDeviceShowsTheBoxAndEndsBeforeShowing) {
  setenv("PLINKETT_NO_BUILTIN_SYNTH", "1", 1);
  answerBoxes();
  EXPECT_FALSE(startFrontEnd());
  EXPECT_EQ(boxes_, std::vector<std::string>{"There is no\n MIDI output devices"});
  EXPECT_TRUE(frontEnd().quitPosted);
  EXPECT_EQ(frontEnd().exitCode, 0);
  EXPECT_FALSE(fs::exists(dir_ + "/plinkett/PLINKETT.SET")) << "an early end writes no settings";
}

// Two hundred destinations: the Devices menu stays on the screen, and its last item can be
// reached with the keyboard (columns side by side ran off the screen's edge).
TEST_F(FrontEnd, ALongDevicesMenuStaysOnTheScreenAndScrolls) {
  withFileSynth();
  answerBoxes();
  ASSERT_TRUE(startFrontEnd());
  QMenu* menu = frontEnd().devicesMenu;
  // After the core has listed the system's devices, as if it had found these.
  QObject::connect(menu, &QMenu::aboutToShow, [] {
    for (int32_t n = 2; n < 200; ++n) plat::menuAppendDevice(2000 + n, ("Destination " + std::to_string(n)).c_str());
  });
  menu->popup(QPoint(0, 0));
  QApplication::processEvents();
  ASSERT_EQ(menu->actions().size(), 2 + 200);
  const QRect screen = menu->screen()->availableGeometry();
  const QRect shown = menu->geometry();
  EXPECT_TRUE(shown.left() >= screen.left() && shown.right() <= screen.right())
      << "menu from x " << shown.left() << " to " << shown.right() << " on a screen " << screen.width() << " wide";
  QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
  QApplication::sendEvent(menu, &end);
  QAction* last = menu->actions().back();
  EXPECT_EQ(menu->activeAction(), last);
  // On the screen where a click can reach it (Qt's own arithmetic may leave a pixel row below).
  const QRect item = menu->actionGeometry(last).translated(shown.topLeft());
  EXPECT_TRUE(screen.contains(item.center()) && shown.contains(item))
      << "the last item at " << item.x() << "," << item.y();
  menu->hide();
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
  EXPECT_EQ(velocity->toolTip().toStdString(), "Velocity: 108");
  EXPECT_EQ(bend->toolTip().toStdString(), "Pitch bend: 8191");
  modulation->setSliderDown(true);
  modulation->setSliderPosition(50);  // dragging: nothing yet
  EXPECT_EQ(app.bars.modulation, 0);
  modulation->setSliderDown(false);   // let go: taken from the position
  EXPECT_EQ(app.bars.modulation, 50);
  EXPECT_EQ(modulation->toolTip().toStdString(), "Modulation: 50");
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
  // Our own menu bar taking the keyboard ends it too: its release would reach the menu.
  key(QEvent::KeyPress, Qt::Key_Q, 24);
  QFocusEvent toMenu(QEvent::FocusOut, Qt::MenuBarFocusReason);
  QApplication::sendEvent(frontEnd().canvas, &toMenu);
  EXPECT_EQ(app.midi.soundingNotes[55], 0);

  frontEnd().window->close();
  std::vector<uint8_t> bytes = settingsBytes();
  ASSERT_EQ(bytes.size(), 64u);
  EXPECT_EQ(bytes[40], 1) << "the device was open at the close";
  EXPECT_EQ(bytes[52], 108) << "velocity";
  EXPECT_EQ(app.midi.deviceOpen, 0);
}

TEST_F(FrontEnd, AKeyLetGoWithAltHeldEndsItsNoteAndIsUpForItsNextPress) {
  withFileSynth();
  answerBoxes();
  ASSERT_TRUE(startFrontEnd());
  key(QEvent::KeyPress, Qt::Key_Q, 24);
  ASSERT_EQ(app.midi.soundingNotes[55], 1);
  // Alt held as the key comes up: the release is still the note's own...
  key(QEvent::KeyRelease, Qt::Key_Q, 24, Qt::AltModifier);
  EXPECT_EQ(app.midi.soundingNotes[55], 0);
  // ...and the key is up, so pressing it again plays rather than counting as a repeat.
  key(QEvent::KeyPress, Qt::Key_Q, 24);
  EXPECT_EQ(app.midi.soundingNotes[55], 1);
  // A second press with no release between is the window system's repeat, even when it does
  // not say so: with Shift now held it must not start the octave above.
  key(QEvent::KeyPress, Qt::Key_Q, 24, Qt::ShiftModifier);
  EXPECT_EQ(app.midi.soundingNotes[67], 0);
  key(QEvent::KeyRelease, Qt::Key_Q, 24);
  EXPECT_EQ(app.midi.soundingNotes[55], 0);
}

}  // namespace
