// Playing with the typing keyboard and the mouse, and the keys with fixed duties, driven through
// the recording platform as the front end would drive them.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "fake/fake_platform.h"
#include "fake/scenario.h"
#include "keyboard/key_grid.h"
#include "keyboard/key_layouts.h"
#include "keyboard/note_input.h"

namespace {

using Triples = std::vector<std::string>;

// Scan codes of a US keyboard.
constexpr int32_t kScanOne = 2;
constexpr int32_t kScanQ = 16;  // Piano G 55, Chromatic C 60
constexpr int32_t kScanW = 17;  // Piano A 57
constexpr int32_t kScanE = 18;  // Piano B 59
constexpr int32_t kScanM = 50;  // Piano G 55, the lower manual's twin of Q
constexpr int32_t kScanZ = 44;  // Chromatic C 84
constexpr int32_t kScanEnter = 28;
constexpr int32_t kScanEsc = 1;
constexpr int32_t kScanSpace = 57;
constexpr int32_t kScanRightShift = 54;
constexpr int32_t kVkQ = 'Q';

void openPort() { fake::openPortDirectly(); }
void closePort() { fake::closePortDirectly(); }

using fake::key;
void press(int32_t scan, Modifiers m = {}) { key(false, kVkQ, scan, m); }
void repeat(int32_t scan, Modifiers m = {}) { key(false, kVkQ, scan, m, true); }
void release(int32_t scan, Modifiers m = {}) { key(true, kVkQ, scan, m); }
void pressVk(int32_t vkCode, int32_t scan, bool isRepeat = false) { key(false, vkCode, scan, {}, isRepeat); }
void releaseVk(int32_t vkCode, int32_t scan) { key(true, vkCode, scan); }

constexpr Modifiers kShift{true, false};
constexpr Modifiers kCtrl{false, true};
constexpr Modifiers kShiftCtrl{true, true};

void mouseDown(int32_t x, int32_t y, Modifiers m = {}) { handleMouseButton(false, x, y, m); }
void mouseUp(int32_t x, int32_t y, Modifiers m = {}) { handleMouseButton(true, x, y, m); }

// The keys drawn since the last clearLog, as "G pressed" / "G released", from the label text.
std::vector<std::string> drawnKeys() {
  std::vector<std::string> out;
  for (const std::string& c : fake::callsOf("drawText")) {
    std::size_t open = c.find('"');
    std::size_t close = c.find('"', open + 1);
    std::string label = c.substr(open + 1, close - open - 1);
    bool pressed = c.find("white/black") != std::string::npos;
    out.push_back(label + (pressed ? " pressed" : " released"));
  }
  return out;
}

size_t redraws() { return fake::callsOf("invalidateClient").size(); }

// Grid: 11 x 16 cell at zoom 2.0 gives keys 22 x 16; column c starts at 11c + originX.
void placeGrid(float zoom, int32_t originX, int32_t originY) {
  app.settings.zoom = zoom;
  app.geometry.charWidth = 11;
  app.geometry.charHeight = 16;
  app.geometry.originX = originX;
  app.geometry.originY = originY;
}

class NoteInput : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    placeGrid(2.0f, 10, 20);
    openPort();
    fake::clearLog();
  }
};

// ---- Note keys ---------------------------------------------------------------------------

TEST_F(NoteInput, HeldKeyPlaysOnceAndReleasesWithVelocity64) {
  press(kScanQ);
  EXPECT_EQ(fake::sentTriples(), (Triples{"90 37 64"}));
  EXPECT_EQ(drawnKeys(), (std::vector<std::string>{"G pressed"}));
  EXPECT_EQ(fake::world().liveSurfaces, 0);

  fake::clearLog();
  repeat(kScanQ);
  repeat(kScanQ);
  EXPECT_TRUE(fake::sentTriples().empty());
  EXPECT_TRUE(drawnKeys().empty());

  release(kScanQ);
  EXPECT_EQ(fake::sentTriples(), (Triples{"80 37 40"}));
  EXPECT_EQ(drawnKeys(), (std::vector<std::string>{"G released"}));
  EXPECT_FALSE(app.midi.soundingNotes[55]);
}

TEST_F(NoteInput, ShiftAndCtrlMoveByOneOctaveOrFourInChromatic) {
  press(kScanQ, kShift);
  release(kScanQ, kShift);
  press(kScanQ, kCtrl);
  release(kScanQ, kCtrl);
  press(kScanQ, kShiftCtrl);
  release(kScanQ, kShiftCtrl);
  EXPECT_EQ(fake::sentTriples(), (Triples{"90 43 64", "80 43 40", "90 2B 64", "80 2B 40", "90 37 64", "80 37 40"}));

  fake::clearLog();
  app.settings.layout = kChromatic;
  press(kScanQ, kShift);  // 60 + 48
  press(kScanW, kCtrl);   // 61 - 48
  EXPECT_EQ(fake::sentTriples(), (Triples{"90 6C 64", "90 0D 64"}));
}

TEST_F(NoteInput, TranspositionChannelAndVelocityOfTheMomentApply) {
  app.settings.transpose = 2;
  app.settings.channel = 3;
  app.settings.velocity = 1;
  press(kScanQ);
  EXPECT_EQ(fake::sentTriples(), (Triples{"93 4F 01"}));
}

TEST_F(NoteInput, NotesLimitedAfterTheWholeSum) {
  app.settings.layout = kChromatic;
  app.settings.transpose = 4;
  press(kScanZ);  // (7 + 4) * 12 = 132
  app.settings.transpose = -4;
  press(kScanOne, kCtrl);  // (4 - 4 - 4) * 12
  EXPECT_EQ(fake::sentTriples(), (Triples{"90 7F 64", "90 00 64"}));
}

TEST_F(NoteInput, ShiftChangedBetweenPressAndReleaseLeavesTheFirstNoteSounding) {
  press(kScanQ);
  release(kScanQ, kShift);  // asks for 67, which is not sounding
  EXPECT_EQ(fake::sentTriples(), (Triples{"90 37 64"}));
  EXPECT_EQ(drawnKeys(), (std::vector<std::string>{"G pressed", "G released"}));
  EXPECT_TRUE(app.midi.soundingNotes[55]);

  fake::clearLog();
  press(kScanQ);  // marked already: no note-on, but drawn pressed
  EXPECT_TRUE(fake::sentTriples().empty());
  EXPECT_EQ(drawnKeys(), (std::vector<std::string>{"G pressed"}));
  release(kScanQ);
  EXPECT_EQ(fake::sentTriples(), (Triples{"80 37 40"}));
}

TEST_F(NoteInput, TwoKeysOnOneNoteShareIt) {
  press(kScanQ);
  press(kScanM);
  release(kScanQ);
  release(kScanM);
  EXPECT_EQ(fake::sentTriples(), (Triples{"90 37 64", "80 37 40"}));
  EXPECT_EQ(drawnKeys(), (std::vector<std::string>{"G pressed", "G pressed", "G released", "G released"}));
}

TEST_F(NoteInput, KeysWithoutANoteDoNothing) {
  press(kScanOne);  // a gap in Piano
  release(kScanOne);
  press(kScanEnter);  // vacant
  press(kScanRightShift);
  press(kScanSpace);
  handleKeyMessage(KeyMessage{false, kVkQ, kNoScanCode, false, {}});
  EXPECT_TRUE(fake::world().calls.empty());
}

TEST_F(NoteInput, NothingPlaysOrDrawsWithoutAPort) {
  closePort();
  fake::clearLog();
  press(kScanQ);
  release(kScanQ);
  mouseDown(25, 40);
  mouseUp(25, 40);
  EXPECT_TRUE(fake::callsOf("midiOutSend").empty());
  EXPECT_TRUE(drawnKeys().empty());
  EXPECT_FALSE(app.midi.soundingNotes[55]);
}

TEST_F(NoteInput, KeyReleasedWhilePortClosedEndsItsNoteAfterReopening) {
  press(kScanQ);
  closePort();
  release(kScanQ);  // not handled: the note stays marked
  openPort();
  fake::clearLog();
  press(kScanQ);
  EXPECT_TRUE(fake::sentTriples().empty());
  release(kScanQ);
  EXPECT_EQ(fake::sentTriples(), (Triples{"80 37 40"}));
}

// A damaged settings file can hold any transpose: no overflow, the note is pinned at the ends.
TEST_F(NoteInput, DamagedTransposeCannotOverflowTheOctave) {
  app.settings.transpose = std::numeric_limits<int32_t>::max();
  press(kScanQ, kShift);
  release(kScanQ, kShift);
  app.settings.transpose = std::numeric_limits<int32_t>::min();
  press(kScanQ, kCtrl);
  release(kScanQ, kCtrl);
  app.settings.transpose = 7;
  press(kScanQ);
  EXPECT_EQ(fake::sentTriples(), (Triples{"90 7F 64", "80 7F 40", "90 00 64", "80 00 40", "90 7F 64"}));
}

// ---- Space, Enter and Esc ----------------------------------------------------------------

TEST_F(NoteInput, SpaceIsTheSustainPedalWithOrWithoutAPort) {
  pressVk(vk::kSpace, kScanSpace);
  pressVk(vk::kSpace, kScanSpace, true);
  pressVk(vk::kSpace, kScanSpace, true);
  EXPECT_EQ(app.input.sustainLatch, 1);
  releaseVk(vk::kSpace, kScanSpace);
  releaseVk(vk::kSpace, kScanSpace);  // a release without a press still lifts the pedal
  EXPECT_EQ(fake::sentTriples(), (Triples{"B0 40 7F", "B0 40 00", "B0 40 00"}));
  EXPECT_EQ(app.input.sustainLatch, 0);

  closePort();
  fake::clearLog();
  pressVk(vk::kSpace, kScanSpace);
  EXPECT_EQ(app.input.sustainLatch, 1);
  releaseVk(vk::kSpace, kScanSpace);
  EXPECT_EQ(app.input.sustainLatch, 0);
  EXPECT_TRUE(fake::sentTriples().empty());
  EXPECT_EQ(fake::world().sendsOnClosedPort, 0);
}

TEST_F(NoteInput, EnterEndsHeldNotesOnceAndRedrawsEveryKeyReleased) {
  press(kScanW);
  press(kScanQ);
  fake::clearLog();
  pressVk(vk::kEnter, kScanEnter);
  EXPECT_EQ(fake::sentTriples(), (Triples{"80 37 40", "80 39 40"}));
  EXPECT_EQ(redraws(), 1u);

  fake::clearLog();
  pressVk(vk::kEnter, kScanEnter, true);
  repeat(kScanQ);
  release(kScanQ);
  release(kScanW);
  EXPECT_TRUE(fake::sentTriples().empty());
  EXPECT_EQ(redraws(), 0u);
  EXPECT_EQ(drawnKeys(), (std::vector<std::string>{"G released", "A released"}));
  releaseVk(vk::kEnter, kScanEnter);
  EXPECT_EQ(app.input.allNotesOffLatch, 0);
}

TEST_F(NoteInput, EnterNeedsAPortAndKeepsItsLatchWhileNoneIsOpen) {
  press(kScanQ);
  closePort();
  fake::clearLog();
  pressVk(vk::kEnter, kScanEnter);
  EXPECT_EQ(app.input.allNotesOffLatch, 0);
  EXPECT_EQ(redraws(), 0u);
  EXPECT_TRUE(app.midi.soundingNotes[55]);

  // Pressed with a port, released without: the latch stays, so the next press does nothing.
  openPort();
  pressVk(vk::kEnter, kScanEnter);
  closePort();
  releaseVk(vk::kEnter, kScanEnter);
  EXPECT_EQ(app.input.allNotesOffLatch, 1);
  openPort();
  press(kScanQ);
  fake::clearLog();
  pressVk(vk::kEnter, kScanEnter);
  EXPECT_TRUE(fake::sentTriples().empty());
  releaseVk(vk::kEnter, kScanEnter);
  EXPECT_EQ(app.input.allNotesOffLatch, 0);
}

TEST_F(NoteInput, EscResetsAllChannelsOnceWithoutRedrawing) {
  press(kScanQ);
  fake::clearLog();
  pressVk(vk::kEscape, kScanEsc);
  Triples sent = fake::sentTriples();
  ASSERT_EQ(sent.size(), 32u);
  EXPECT_EQ(sent[0], "B0 79 00");
  EXPECT_EQ(sent[31], "BF 7B 00");
  EXPECT_EQ(redraws(), 0u);
  EXPECT_TRUE(drawnKeys().empty());  // the held key stays drawn pressed

  fake::clearLog();
  pressVk(vk::kEscape, kScanEsc, true);
  release(kScanQ);
  EXPECT_TRUE(fake::sentTriples().empty());
  EXPECT_EQ(drawnKeys(), (std::vector<std::string>{"G released"}));
  releaseVk(vk::kEscape, kScanEsc);
  EXPECT_EQ(app.input.panicLatch, 0);

  // Without a port Esc still forgets the sounding notes.
  press(kScanQ);
  closePort();
  fake::clearLog();
  pressVk(vk::kEscape, kScanEsc);
  EXPECT_FALSE(app.midi.soundingNotes[55]);
  EXPECT_EQ(app.input.panicLatch, 1);
  EXPECT_TRUE(fake::sentTriples().empty());
}

// ---- Mouse -------------------------------------------------------------------------------

TEST_F(NoteInput, MouseReleaseEndsTheNoteOfThePressPointAfterADrag) {
  press(kScanE);  // held on the typing keyboard throughout
  fake::clearLog();
  mouseDown(25, 40);  // Q: columns 21..42, rows 36..51
  EXPECT_TRUE(fake::world().captured);
  EXPECT_EQ(app.input.mouseCaptured, 1);
  EXPECT_EQ(fake::sentTriples(), (Triples{"90 37 64"}));
  EXPECT_EQ(drawnKeys(), (std::vector<std::string>{"G pressed"}));

  // The platform reports our own release of the capture as a capture change; that must not be
  // taken for a lost capture, which would silence the key still held.
  fake::clearLog();
  mouseUp(2000, 3000);  // outside the window, over no key
  EXPECT_FALSE(fake::world().captured);
  EXPECT_EQ(app.input.mouseCaptured, 0);
  EXPECT_EQ(fake::sentTriples(), (Triples{"80 37 40"}));
  EXPECT_EQ(drawnKeys(), (std::vector<std::string>{"G released"}));
  EXPECT_EQ(redraws(), 0u);
  EXPECT_TRUE(app.midi.soundingNotes[59]);
  EXPECT_EQ(app.input.pressPoint.x, 25);
  EXPECT_EQ(app.input.pressPoint.y, 40);
}

TEST_F(NoteInput, MouseReleaseEndsThePressedNoteAfterTheKeysMoved) {
  mouseDown(25, 40);  // Q: columns 21..42, rows 36..51
  placeGrid(3.0f, 10, 20);  // a zoom while the button is held: a gap lies at the press point now
  mouseUp(25, 40);
  EXPECT_EQ(fake::sentTriples(), (Triples{"90 37 64", "80 37 40"}));
  EXPECT_EQ(drawnKeys(), (std::vector<std::string>{"G pressed", "G released"}));
}

TEST_F(NoteInput, MouseUsesShiftAndIsNeverAnAutoRepeat) {
  mouseDown(25, 40, kShift);
  mouseUp(25, 40, kShift);
  mouseDown(25, 40);
  mouseDown(25, 40);  // a double-click arrives as two presses
  EXPECT_EQ(fake::sentTriples(), (Triples{"90 43 64", "80 43 40", "90 37 64"}));
  EXPECT_EQ(drawnKeys().size(), 4u);
}

TEST_F(NoteInput, KeyboardAndMouseOnTheSameKeyShareTheNote) {
  press(kScanQ);
  mouseDown(25, 40);
  mouseUp(25, 40);
  release(kScanQ);
  EXPECT_EQ(fake::sentTriples(), (Triples{"90 37 64", "80 37 40"}));
}

TEST_F(NoteInput, ReleaseWithoutAPressUsesTheLastPressPoint) {
  app.settings.layout = kChromatic;
  placeGrid(2.0f, 0, 0);  // key "1" (C 48) covers the point (0, 0)
  press(kScanOne);
  fake::clearLog();
  mouseUp(300, 300);
  EXPECT_EQ(fake::sentTriples(), (Triples{"80 30 40"}));
  EXPECT_EQ(drawnKeys(), (std::vector<std::string>{"C released"}));
  EXPECT_FALSE(fake::world().captured);
}

TEST_F(NoteInput, MouseInAGapBetweenKeysOrBesideTheKeyboardPlaysNothing) {
  mouseDown(15, 25);  // Piano's gap "1" at row 0, column 0
  mouseUp(15, 25);
  mouseDown(5, 40);  // left of row 1
  mouseUp(5, 40);
  mouseDown(400, 40);  // right of it
  mouseUp(25, 40);
  mouseDown(25, 200);  // below the keyboard
  mouseUp(25, 200);
  EXPECT_TRUE(fake::callsOf("midiOutSend").empty());
  EXPECT_TRUE(drawnKeys().empty());
  EXPECT_FALSE(fake::world().captured);
}

TEST_F(NoteInput, HitTestFollowsTruncatedEdgesAndPrefersTheLowerScanCode) {
  const KeyLayout& piano = layoutTable(kPiano);
  // Zoom 1.5: row 1 spans y 32..43; W spans x 34..49 and E 51..66, so x 50 is in neither.
  placeGrid(1.5f, 10, 20);
  EXPECT_EQ(hitTestKey(piano, 49, 38), kScanW);
  EXPECT_EQ(hitTestKey(piano, 50, 38), -1);
  EXPECT_EQ(hitTestKey(piano, 51, 38), kScanE);
  EXPECT_EQ(hitTestKey(piano, 62, 43), kScanE);
  EXPECT_EQ(hitTestKey(piano, 62, 44), -1);  // E's bottom edge is out; below it lies the gap D
  EXPECT_EQ(hitTestKey(piano, 34, 32), kScanW);  // left and top edges are in
  // A negative origin makes Q (-10..5) and W (5..20) share x 5; the lower scan code wins.
  placeGrid(1.5f, -19, 20);
  EXPECT_EQ(hitTestKey(piano, 5, 38), kScanQ);
  EXPECT_EQ(hitTestKey(piano, 6, 38), kScanW);
}

// ---- Losing the focus or the capture ------------------------------------------------------

TEST_F(NoteInput, FocusLossLeavesNoNoteOrPedalBehind) {
  press(kScanQ);
  pressVk(vk::kSpace, kScanSpace);
  pressVk(vk::kEnter, kScanEnter);
  press(kScanW);
  pressVk(vk::kEscape, kScanEsc);
  press(kScanE);
  fake::clearLog();
  onFocusLost();
  EXPECT_EQ(fake::sentTriples(), (Triples{"80 3B 40", "B0 40 00"}));
  EXPECT_EQ(redraws(), 1u);
  EXPECT_EQ(app.input.sustainLatch, 0);
  EXPECT_EQ(app.input.allNotesOffLatch, 0);
  EXPECT_EQ(app.input.panicLatch, 0);

  // The releases land elsewhere; when the player comes back every fixed-duty key acts again.
  fake::clearLog();
  release(kScanE);
  pressVk(vk::kSpace, kScanSpace);
  press(kScanQ);
  pressVk(vk::kEnter, kScanEnter);
  EXPECT_EQ(fake::sentTriples(), (Triples{"B0 40 7F", "90 37 64", "80 37 40"}));
}

TEST_F(NoteInput, FocusLossWithoutPedalOrPortSendsNothing) {
  press(kScanQ);
  fake::clearLog();
  onFocusLost();
  EXPECT_EQ(fake::sentTriples(), (Triples{"80 37 40"}));  // no sustain-off: the pedal was up

  closePort();
  pressVk(vk::kSpace, kScanSpace);
  pressVk(vk::kEscape, kScanEsc);
  fake::clearLog();
  onFocusLost();
  EXPECT_EQ(redraws(), 0u);
  EXPECT_EQ(fake::world().sendsOnClosedPort, 0);
  EXPECT_EQ(app.input.sustainLatch, 0);
  EXPECT_EQ(app.input.panicLatch, 0);
}

TEST_F(NoteInput, AMenuTakingTheKeyboardEndsEachHeldNoteOnceAndLiftsThePedal) {
  press(kScanQ);
  pressVk(vk::kSpace, kScanSpace);
  fake::clearLog();
  onMenuTakesKeyboard();
  EXPECT_EQ(fake::sentTriples(), (Triples{"80 37 40", "B0 40 00"}));
  // Another menu opened from the first, then Q's release once the menus have closed: nothing more.
  fake::clearLog();
  onMenuTakesKeyboard();
  release(kScanQ);
  EXPECT_TRUE(fake::sentTriples().empty());
}

TEST_F(NoteInput, CaptureLossCountsOnlyWhileOurPressHoldsIt) {
  press(kScanQ);
  fake::clearLog();
  onMouseCaptureLost();  // no press of ours: someone else's capture changed
  EXPECT_TRUE(fake::world().calls.empty());
  EXPECT_TRUE(app.midi.soundingNotes[55]);

  mouseDown(50, 40);  // W
  fake::clearLog();
  onMouseCaptureLost();
  EXPECT_EQ(fake::sentTriples(), (Triples{"80 37 40", "80 39 40"}));
  EXPECT_EQ(app.input.mouseCaptured, 0);
  onMouseCaptureLost();  // told twice: acts once
  EXPECT_EQ(fake::sentTriples().size(), 2u);

  fake::clearLog();
  mouseUp(50, 40);  // the late release finds nothing sounding
  EXPECT_TRUE(fake::sentTriples().empty());

  // After our own release the capture is no longer ours to lose.
  mouseDown(50, 40);
  mouseUp(50, 40);
  press(kScanQ);
  fake::clearLog();
  onMouseCaptureLost();
  EXPECT_TRUE(fake::world().calls.empty());
}

}  // namespace
