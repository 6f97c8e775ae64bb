// The velocity, modulation and pitch-bend bars: creation, placement, the show-bars command and
// what each scroll request changes and sends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/commands.h"
#include "display/control_bars.h"
#include "display/key_geometry.h"
#include "display_fixture.h"
#include "fake/fake_platform.h"
#include "fake/scenario.h"
#include "platform/events.h"

namespace {

using Lines = std::vector<std::string>;

class ControlBars : public DisplayTest {};

TEST_F(ControlBars, CreationSetsRangesAndPositionsAndSendsNothing) {
  fake::openPortDirectly();
  fake::clearLog();
  createControlBars();
  EXPECT_EQ(fake::world().calls,
            (Lines{"barCreate 0 vertical", "barSetRange 0 1 127", "barSetPosition 0 28 redraw",
                   "barSetTip 0 Velocity: 100", "barCreate 1 horizontal", "barSetRange 1 0 127", "barSetPosition 1 0",
                   "barSetTip 1 Modulation: 0", "barCreate 2 vertical", "barSetRange 2 0 16383",
                   "barSetPosition 2 8192", "barSetTip 2 Pitch bend: 8191"}))
      << "nothing placed";
  EXPECT_TRUE(fake::world().sent.empty());
}

TEST_F(ControlBars, TheStartEndsWithASizePassThatPlacesShownBars) {
  app.settings.showControlBars = 1;
  ASSERT_TRUE(startMainWindow());
  // Once, after the bars exist: the first start's client area is 384 x 142, a bar 14 thick.
  EXPECT_EQ(fake::callsOf("barMove"), (Lines{"barMove 0 0 0 14 128", "barMove 1 14 128 356 14", "barMove 2 370 0 14 128"}));
}

TEST_F(ControlBars, StoredVelocityIsShownAsReadAndLimitedByTheFirstChange) {
  app.settings.velocity = 300;
  createControlBars();
  EXPECT_EQ(fake::world().bars[0].position, -172);
  EXPECT_EQ(app.settings.velocity, 300);

  fake::reset();
  app.settings.velocity = INT32_MIN;
  createControlBars();
  EXPECT_EQ(fake::world().bars[0].position, INT32_MAX) << "128 - velocity must not overflow";
  onVerticalScroll(plat::Bar::Velocity, ScrollRequest::PageDown, 0);
  EXPECT_EQ(app.settings.velocity, 1);
  app.settings.velocity = INT32_MAX;
  onVerticalScroll(plat::Bar::Velocity, ScrollRequest::LineUp, 0);
  EXPECT_EQ(app.settings.velocity, 127);
  EXPECT_EQ(fake::world().bars[0].position, 1);
}

TEST_F(ControlBars, PlacementAndTheShowBarsCommand) {
  app.settings.velocity = 100;
  plat::windowMove(0, 0, 520 + 16, 300 + 39 + 19, false);  // client 520 x 300
  createControlBars();
  EXPECT_EQ(fake::world().bars[0].place, (Rect{0, 0, 0, 0})) << "placed only while shown";

  fake::clearLog();
  dispatchCommand(cmd::kShowControlBars);
  EXPECT_EQ(fake::callsOf("barShow"), (Lines{"barShow 2 on", "barShow 1 on", "barShow 0 on"}));
  EXPECT_TRUE(fake::isChecked(cmd::kShowControlBars));
  // The first pass saw width 520 (bars 20): 308 x 147 plus 40 each way.
  EXPECT_EQ(fake::callsOf("windowMove"), (Lines{"windowMove 0 0 348 187 repaint"}));
  // The resize's own pass recomputes the thickness from the new client width 332.
  EXPECT_EQ(app.geometry.barThickness, 12);
  EXPECT_EQ(fake::world().bars[0].place, (Rect{0, 0, 12, 117}));

  applyClientSize(520, 300);
  EXPECT_EQ(fake::world().bars[0].place, (Rect{0, 0, 20, 280}));
  EXPECT_EQ(fake::world().bars[2].place, (Rect{500, 0, 520, 280}));
  EXPECT_EQ(fake::world().bars[1].place, (Rect{20, 280, 500, 300}));

  fake::clearLog();
  dispatchCommand(cmd::kShowControlBars);
  EXPECT_EQ(fake::callsOf("barShow"), (Lines{"barShow 2 off", "barShow 1 off", "barShow 0 off"}));
  EXPECT_EQ(app.geometry.barThickness, 0);
  EXPECT_EQ(fake::callsOf("windowMove"), (Lines{"windowMove 0 0 308 147 repaint"}));
  EXPECT_TRUE(fake::callsOf("barMove").empty()) << "hidden bars are left where they are";
  EXPECT_FALSE(fake::isChecked(cmd::kShowControlBars));

  app.settings.showControlBars = 5;  // any nonzero stored value is on
  dispatchCommand(cmd::kShowControlBars);
  EXPECT_EQ(app.settings.showControlBars, 0);
}

TEST_F(ControlBars, BarRequestsChangeValuesAndSendOnlyWithAPort) {
  createControlBars();
  fake::openPortDirectly();
  app.settings.velocity = 125;
  fake::clearLog();
  onVerticalScroll(plat::Bar::Velocity, ScrollRequest::PageUp, 0);
  EXPECT_EQ(app.settings.velocity, 127);
  app.settings.velocity = 1;
  onVerticalScroll(plat::Bar::Velocity, ScrollRequest::LineDown, 0);
  EXPECT_EQ(app.settings.velocity, 1);
  EXPECT_EQ(fake::callsOf("barSetPosition").back(), "barSetPosition 0 127 redraw") << "re-set even when unchanged";
  onVerticalScroll(plat::Bar::Velocity, ScrollRequest::ThumbTrack, 10);  // nothing until the thumb is let go
  EXPECT_EQ(app.settings.velocity, 1);
  onVerticalScroll(plat::Bar::Velocity, ScrollRequest::ThumbPosition, 10);
  EXPECT_EQ(app.settings.velocity, 118);
  onVerticalScroll(plat::Bar::Velocity, ScrollRequest::ThumbPosition, 0);
  EXPECT_EQ(app.settings.velocity, 127);
  onVerticalScroll(plat::Bar::Velocity, ScrollRequest::ThumbPosition, 65535);
  EXPECT_EQ(app.settings.velocity, 1);
  EXPECT_TRUE(fake::world().sent.empty()) << "velocity sends nothing";
  EXPECT_EQ(fake::world().bars[0].tip, "Velocity: 1") << "each bar's tip names the value it stands at";

  app.settings.channel = 3;
  onModulationScroll(ScrollRequest::LineUp, 0);  // line left at 0
  onModulationScroll(ScrollRequest::PageDown, 0);
  onModulationScroll(ScrollRequest::ThumbTrack, 90);
  onModulationScroll(ScrollRequest::ThumbPosition, 200);
  EXPECT_EQ(fake::sentTriples(), (Lines{"B3 01 00", "B3 01 08", "B3 01 7F"}));
  EXPECT_EQ(fake::world().bars[1].position, 127);
  EXPECT_EQ(fake::world().bars[1].tip, "Modulation: 127");

  fake::clearLog();
  for (ScrollRequest request : {ScrollRequest::LineUp, ScrollRequest::LineDown, ScrollRequest::PageUp, ScrollRequest::PageDown}) onVerticalScroll(plat::Bar::PitchBend, request, 0);
  EXPECT_TRUE(fake::world().sent.empty());
  EXPECT_TRUE(fake::callsOf("barSetPosition").empty()) << "arrows and trough move nothing";
  onVerticalScroll(plat::Bar::PitchBend, ScrollRequest::ThumbTrack, 0);
  EXPECT_EQ(fake::world().bars[2].tip, "Pitch bend: 16383");
  onVerticalScroll(plat::Bar::PitchBend, ScrollRequest::ThumbTrack, 16383);
  onVerticalScroll(plat::Bar::PitchBend, ScrollRequest::ThumbTrack, 40000);  // 16383 - 40000 is negative: 0
  onVerticalScroll(plat::Bar::PitchBend, ScrollRequest::ThumbTrack, 60000);  // in 16 bits 21919: 16383
  onVerticalScroll(plat::Bar::PitchBend, ScrollRequest::ThumbPosition, 300);
  EXPECT_EQ(fake::sentTriples(), (Lines{"E3 7F 7F", "E3 00 00", "E3 00 00", "E3 7F 7F", "E3 7F 3F"}));
  EXPECT_EQ(fake::callsOf("barSetPosition"),
            (Lines{"barSetPosition 2 0 redraw", "barSetPosition 2 16383 redraw", "barSetPosition 2 16383 redraw",
                   "barSetPosition 2 0 redraw", "barSetPosition 2 8192 redraw"}));
  EXPECT_EQ(fake::world().bars[2].tip, "Pitch bend: 8191") << "what the released thumb sent";

  app.midi.deviceOpen = 0;
  fake::clearLog();
  onModulationScroll(ScrollRequest::LineDown, 0);
  onVerticalScroll(plat::Bar::PitchBend, ScrollRequest::ThumbTrack, 5);
  EXPECT_TRUE(fake::world().sent.empty());
  EXPECT_EQ(app.bars.modulation, 127);
  EXPECT_EQ(fake::world().bars[2].position, 5) << "the bar still moves without a device";
}

TEST_F(ControlBars, EveryNotificationGivesTheFocusBackFirst) {
  createControlBars();
  fake::openPortDirectly();
  app.bars.modulation = 40;
  app.settings.velocity = 50;
  // Any other request (top, bottom, end of scrolling) changes, moves and sends nothing.
  for (ScrollRequest request : {ScrollRequest::Other, ScrollRequest::ThumbTrack}) {
    fake::clearLog();
    onModulationScroll(request, 3);
    onVerticalScroll(plat::Bar::Velocity, request, 3);
    if (request != ScrollRequest::ThumbTrack) onVerticalScroll(plat::Bar::PitchBend, request, 3);
    Lines focusOnly(request == ScrollRequest::ThumbTrack ? 2 : 3, "focusMainWindow");
    EXPECT_EQ(fake::world().calls, focusOnly) << static_cast<int>(request);
  }
  EXPECT_EQ(app.bars.modulation, 40);
  EXPECT_EQ(app.settings.velocity, 50);

  for (plat::Bar bar : {plat::Bar::Velocity, plat::Bar::PitchBend}) {
    fake::clearLog();
    onVerticalScroll(bar, ScrollRequest::ThumbPosition, 3);
    EXPECT_EQ(fake::world().calls.front(), "focusMainWindow");
  }
  fake::clearLog();
  onModulationScroll(ScrollRequest::LineDown, 0);
  EXPECT_EQ(fake::world().calls.front(), "focusMainWindow");
}

}  // namespace
