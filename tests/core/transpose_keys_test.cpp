// The arrows step the transposition through the Transpose menu commands; keypad plus and minus
// step the velocity.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/commands.h"
#include "fake/fake_platform.h"
#include "fake/scenario.h"
#include "keyboard/key_layouts.h"
#include "keyboard/note_input.h"

namespace {

constexpr int32_t kScanUp = 72;
constexpr int32_t kScanDown = 80;
constexpr int32_t kScanKeypadPlus = 78;
constexpr int32_t kScanKeypadMinus = 74;
constexpr int32_t kScanQ = 16;

void up(bool repeat = false) { fake::key(false, vk::kUp, kScanUp, {}, repeat); }
void down(bool repeat = false) { fake::key(false, vk::kDown, kScanDown, {}, repeat); }
void plus() { fake::key(false, vk::kKeypadPlus, kScanKeypadPlus); }
void minus() { fake::key(false, vk::kKeypadMinus, kScanKeypadMinus); }
using fake::key;

// Each Transpose command checks exactly one of its items.
size_t commandsIssued() {
  size_t n = 0;
  for (int32_t id = cmd::kTransposeDown2; id <= cmd::kTransposeUp2; ++id) {
    n += fake::callsOf("menuCheck " + std::to_string(id) + " on").size();
  }
  return n;
}

std::vector<int32_t> checkedTranspose() { return fake::checkedIn(cmd::kTransposeDown2, cmd::kTransposeUp2); }

class TransposeKeys : public ::testing::Test {
 protected:
  void SetUp() override { fake::reset(); }
  // As the menu would leave things: the layout chosen and its transposition items relabelled.
  void useLayout(int32_t layoutId, int32_t transpose) {
    app.settings.layout = layoutId;
    app.settings.transpose = transpose;
    fake::clearLog();
  }
};

TEST_F(TransposeKeys, ArrowsStepOneOctaveAndStopAtTwoInPianoAndAccordion) {
  for (int32_t layoutId : {kPiano, kAccordion}) {
    SCOPED_TRACE(layoutId);
    useLayout(layoutId, 0);
    up();
    EXPECT_EQ(app.settings.transpose, 1);
    up(true);  // auto-repeats step too
    EXPECT_EQ(app.settings.transpose, 2);
    EXPECT_EQ(checkedTranspose(), (std::vector<int32_t>{cmd::kTransposeUp2}));
    EXPECT_EQ(commandsIssued(), 2u);
    up();
    EXPECT_EQ(app.settings.transpose, 2);
    EXPECT_EQ(commandsIssued(), 2u);

    for (int32_t i = 0; i < 4; ++i) down();
    EXPECT_EQ(app.settings.transpose, -2);
    EXPECT_EQ(checkedTranspose(), (std::vector<int32_t>{cmd::kTransposeDown2}));
    down();
    EXPECT_EQ(app.settings.transpose, -2);
    EXPECT_EQ(commandsIssued(), 6u);
  }
}

TEST_F(TransposeKeys, ArrowsStepFourOctavesInChromatic) {
  useLayout(kChromatic, -4);
  up();
  EXPECT_EQ(app.settings.transpose, 0);
  EXPECT_EQ(checkedTranspose(), (std::vector<int32_t>{cmd::kNoTranspose}));
  up();
  EXPECT_EQ(app.settings.transpose, 4);
  EXPECT_EQ(checkedTranspose(), (std::vector<int32_t>{cmd::kTransposeUp1}));
  up();
  EXPECT_EQ(commandsIssued(), 2u);

  down();
  EXPECT_EQ(app.settings.transpose, 0);
  down();
  EXPECT_EQ(app.settings.transpose, -4);
  EXPECT_EQ(checkedTranspose(), (std::vector<int32_t>{cmd::kTransposeDown1}));
  down();
  EXPECT_EQ(app.settings.transpose, -4);
  EXPECT_EQ(commandsIssued(), 4u);
}

TEST_F(TransposeKeys, ReleasesDoNothingAndNoPortIsNeeded) {
  useLayout(kPiano, 0);
  key(true, vk::kUp, kScanUp);
  key(true, vk::kDown, kScanDown);
  key(true, vk::kKeypadPlus, kScanKeypadPlus);
  key(true, vk::kKeypadMinus, kScanKeypadMinus);
  EXPECT_EQ(app.settings.transpose, 0);
  EXPECT_EQ(app.settings.velocity, 100);
  EXPECT_TRUE(fake::world().calls.empty());
}

TEST_F(TransposeKeys, HeldNoteIsReleasedAtTheNewTransposition) {
  plat::midiOutOpen(-1, app.midi.port);
  app.midi.deviceOpen = 1;
  app.midi.deviceOpen = 1;
  useLayout(kPiano, 0);
  key(false, 'Q', kScanQ);
  up();  // the arrow itself plays nothing
  key(true, 'Q', kScanQ);  // asks for 67, which is not sounding
  EXPECT_EQ(fake::sentTriples(), (std::vector<std::string>{"90 37 64"}));
  EXPECT_TRUE(app.midi.soundingNotes[55]);
}

TEST_F(TransposeKeys, KeypadStepsVelocityByEightWithinOneTo127) {
  app.settings.velocity = 100;
  plus();
  EXPECT_EQ(app.settings.velocity, 108);
  app.settings.velocity = 120;
  plus();
  EXPECT_EQ(app.settings.velocity, 127);
  plus();
  EXPECT_EQ(app.settings.velocity, 127);
  app.settings.velocity = 5;
  minus();
  EXPECT_EQ(app.settings.velocity, 1);
  minus();
  EXPECT_EQ(app.settings.velocity, 1);
  // A damaged stored velocity cannot overflow.
  app.settings.velocity = std::numeric_limits<int32_t>::max();
  plus();
  EXPECT_EQ(app.settings.velocity, 127);
  app.settings.velocity = std::numeric_limits<int32_t>::min();
  minus();
  EXPECT_EQ(app.settings.velocity, 1);
  EXPECT_TRUE(fake::callsOf("midiOutSend").empty());
}

// A transposition the menu does not offer (only a damaged settings file holds one) never turns
// into a command id outside 111..115: an arrow moves to the nearest offered value its way.
TEST_F(TransposeKeys, DamagedTranspositionComesBackIntoRange) {
  useLayout(kPiano, 7);
  up();
  EXPECT_EQ(app.settings.transpose, 7);
  EXPECT_EQ(commandsIssued(), 0u);
  down();
  EXPECT_EQ(app.settings.transpose, 2);
  EXPECT_EQ(checkedTranspose(), (std::vector<int32_t>{cmd::kTransposeUp2}));

  useLayout(kAccordion, std::numeric_limits<int32_t>::min());
  down();
  EXPECT_EQ(commandsIssued(), 0u);
  up();
  EXPECT_EQ(app.settings.transpose, -2);

  useLayout(kPiano, std::numeric_limits<int32_t>::max());
  down();
  EXPECT_EQ(app.settings.transpose, 2);

  useLayout(kChromatic, 3);
  up();
  EXPECT_EQ(app.settings.transpose, 4);
  useLayout(kChromatic, 3);
  down();
  EXPECT_EQ(app.settings.transpose, 0);
  useLayout(kChromatic, 2);  // an in-range Piano value is out of range here
  down();
  EXPECT_EQ(app.settings.transpose, 0);
  useLayout(kChromatic, -9);
  down();
  EXPECT_EQ(commandsIssued(), 0u);
  up();
  EXPECT_EQ(app.settings.transpose, -4);

  // Whatever was issued was a Transpose item: exactly one of them is checked.
  EXPECT_EQ(checkedTranspose().size(), 1u);
}

}  // namespace
