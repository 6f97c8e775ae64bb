// Key geometry and its truncation, drawing as platform operations, zoom, window size and bars.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/dispatch.h"
#include "display/control_bars.h"
#include "display/key_drawing.h"
#include "display/key_fonts.h"
#include "display/key_geometry.h"
#include "display/truncate.h"
#include "display/window_size.h"
#include "fake/fake_platform.h"
#include "fake/scenario.h"
#include "keyboard/key_layouts.h"

namespace {

using Lines = std::vector<std::string>;

KeySlot slotAt(int32_t row, int32_t column) { return KeySlot{4, 0, row, column, "C"}; }

class Display : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::reset();
    app.geometry.charWidth = 11;
    app.geometry.charHeight = 16;
  }
};

TEST_F(Display, KeyRectanglesTruncateTowardZero) {
  app.settings.zoom = 1.5f;
  app.geometry.originX = 10;
  app.geometry.originY = 20;
  EXPECT_EQ(keyRect(slotAt(0, 0)), (Rect{10, 20, 26, 32}));
  EXPECT_EQ(keyRect(slotAt(0, 2)).left, 26);
  EXPECT_EQ(keyRect(slotAt(0, 2)).right, 42);
  EXPECT_EQ(keyRect(slotAt(1, 1)), (Rect{18, 32, 34, 44}));
  // A one-pixel gap: x 50 belongs to neither column 3 nor column 5.
  EXPECT_EQ(keyRect(slotAt(1, 3)).right, 50);
  EXPECT_EQ(keyRect(slotAt(1, 5)).left, 51);
  // Negative edges truncate toward zero: neighbours overlap by a pixel.
  app.geometry.originX = -19;
  EXPECT_EQ(keyRect(slotAt(1, 1)).left, -10);
  EXPECT_EQ(keyRect(slotAt(1, 1)).right, 6);
  EXPECT_EQ(keyRect(slotAt(1, 3)).left, 5);
  EXPECT_EQ(truncToInt32(-92.5), -92);
  EXPECT_EQ(truncToInt32(std::nan("")), 0);
  EXPECT_EQ(truncToInt32(1e30), INT32_MAX);
  EXPECT_EQ(truncToInt32(-std::numeric_limits<double>::infinity()), INT32_MIN);
}

TEST_F(Display, SizePassCentresTheKeyboard) {
  app.settings.zoom = 2.0f;
  applyClientSize(101, 300);
  EXPECT_EQ(app.geometry.originX, -92);
  EXPECT_EQ(app.geometry.originY, 118);
  app.settings.showControlBars = 1;
  applyClientSize(520, 300);
  EXPECT_EQ(app.geometry.barThickness, 20);
  EXPECT_EQ(app.geometry.originY, 108);
  applyClientSize(546, 300);
  EXPECT_EQ(app.geometry.barThickness, 21);
  EXPECT_EQ(app.geometry.originY, 108);
  applyClientSize(0, 0);  // minimised
  EXPECT_EQ(app.geometry.barThickness, 0);
  EXPECT_LT(app.geometry.originX, 0);
  EXPECT_LT(app.geometry.originY, 0);
  applyClientSize(0xFFFF, 0x8000);  // halves are signed
  EXPECT_LT(app.geometry.originX, 0);
  EXPECT_LT(app.geometry.originY, 0);
}

TEST_F(Display, DefaultSizeFollowsZoomCellAndBars) {
  app.settings.zoom = 2.0f;
  app.geometry.barThickness = 20;
  WindowSize size = defaultWindowSize();
  EXPECT_EQ(size.width, 348);
  EXPECT_EQ(size.height, 187);
  app.settings.zoom = 1.5f;
  app.geometry.charHeight = 15;
  app.geometry.barThickness = 0;
  EXPECT_EQ(defaultWindowSize().height, 116);
}

TEST_F(Display, DrawKeyIsAnExactSequenceOfOperations) {
  app.settings.zoom = 2.0f;
  createKeyFonts();
  const KeyLayout& piano = layoutTable(kPiano);
  fake::clearLog();
  drawKeyNow(piano, 16, true);  // Q, pressed
  Rect r = keyRect(piano[16]);
  auto rect = [](const Rect& x) {
    return std::to_string(x.left) + " " + std::to_string(x.top) + " " + std::to_string(x.right) + " " + std::to_string(x.bottom);
  };
  EXPECT_EQ(fake::world().calls,
            (Lines{"surfaceGet 1", "fillRect " + rect(r) + " black", "fontSelect 2", "drawText \"G\" " + rect(r) + " white/black",
                   "fontSelect 2", "frameRect " + rect(r) + " black", "frameRect " + rect(growRect(r, 1)) + " black",
                   "surfaceRelease 1"}));
  fake::clearLog();
  drawKeyNow(piano, 2, false);  // a gap: nothing shows, no frame
  Rect g = keyRect(piano[2]);
  EXPECT_EQ(fake::world().calls, (Lines{"surfaceGet 2", "fontSelect 2", "drawText \"\" " + rect(g) + " black/white",
                                        "fontSelect 2", "surfaceRelease 2"}));
}

TEST_F(Display, PaintDrawsEveryPlacedSlotReleasedWithTheZoomsFont) {
  fake::script().systemM = plat::TextSize{10, 16};
  measureCharacterCell();
  EXPECT_EQ(fake::callsOf("fontCreate"), (Lines{"fontCreate 12 3 400", "fontCreate 16 5 700", "fontCreate 24 7 700"}));
  EXPECT_EQ(app.geometry.charWidth, 11);
  EXPECT_EQ(app.geometry.charHeight, 16);
  EXPECT_EQ(fake::world().liveSurfaces, 0);

  for (float zoom : {1.5f, 2.0f, 3.0f, 2.5f}) {
    app.settings.zoom = zoom;
    fake::clearLog();
    paintKeyboard();
    EXPECT_EQ(fake::callsOf("drawText").size(), 46u) << "every placed slot of Piano, gaps included";
    EXPECT_EQ(fake::callsOf("fillRect").size(), 39u);
    for (const std::string& line : fake::callsOf("fillRect")) EXPECT_NE(line.find("white"), std::string::npos);
    std::string labelFont = fake::callsOf("fontSelect")[0];
    const char* expected = zoom == 1.5f ? "fontSelect 1" : zoom == 3.0f ? "fontSelect 3" : "fontSelect 2";
    EXPECT_EQ(labelFont, expected) << zoom;
  }
  deleteKeyFonts();
  EXPECT_TRUE(fake::world().liveFonts.empty());
}

TEST_F(Display, StrangeZoomsStayDefined) {
  for (float zoom : {std::nanf(""), std::numeric_limits<float>::infinity(), -1e30f, 1e30f, 0.0f}) {
    app.settings.zoom = zoom;
    applyClientSize(400, 200);
    paintKeyboard();
    (void)defaultWindowSize();
  }
}

TEST_F(Display, ZoomCommandsMarkResizeAndKeepTheTopLeft) {
  plat::windowMove(50, 60, 400, 200, false);
  fake::clearLog();
  dispatchCommand(cmd::kZoomBig);
  EXPECT_FLOAT_EQ(app.settings.zoom, 3.0f);
  EXPECT_EQ(fake::checkedIn(cmd::kZoomSmall, cmd::kZoomBig), std::vector<int32_t>{cmd::kZoomBig});
  WindowSize size = defaultWindowSize();
  EXPECT_EQ(fake::callsOf("windowMove").back(),
            "windowMove 50 60 " + std::to_string(size.width) + " " + std::to_string(size.height) + " repaint");
  EXPECT_TRUE(fake::world().sent.empty());
}

TEST_F(Display, ControlBarsCreationPlacementAndToggle) {
  app.settings.velocity = 100;
  plat::windowMove(0, 0, 520 + 16, 300 + 39 + 19, false);
  createControlBars();
  EXPECT_EQ(fake::world().bars[0].position, 28);
  EXPECT_EQ(fake::world().bars[2].position, 8192);
  EXPECT_EQ(fake::world().bars[2].maximum, 16383);
  EXPECT_EQ(fake::world().bars[0].place, (Rect{0, 0, 0, 0})) << "placed only while shown";

  fake::clearLog();
  dispatchCommand(cmd::kShowControlBars);
  EXPECT_EQ(fake::callsOf("barShow"), (Lines{"barShow 2 on", "barShow 1 on", "barShow 0 on"}));
  EXPECT_TRUE(fake::isChecked(cmd::kShowControlBars));
  // The re-layout's first pass saw width 520 (bars 20): the default size holds 40 more.
  app.geometry.barThickness = 20;
  WindowSize withBars = defaultWindowSize();
  app.geometry.barThickness = 0;
  WindowSize without = defaultWindowSize();
  EXPECT_EQ(withBars.width - without.width, 40);
  EXPECT_EQ(fake::callsOf("windowMove")[0],
            "windowMove 0 0 " + std::to_string(withBars.width) + " " + std::to_string(withBars.height) + " repaint");

  applyClientSize(520, 300);
  EXPECT_EQ(fake::world().bars[0].place, (Rect{0, 0, 20, 280}));
  EXPECT_EQ(fake::world().bars[2].place, (Rect{500, 0, 520, 280}));
  EXPECT_EQ(fake::world().bars[1].place, (Rect{20, 280, 500, 300}));

  dispatchCommand(cmd::kShowControlBars);
  EXPECT_EQ(app.geometry.barThickness, 0);
  EXPECT_FALSE(fake::world().bars[0].visible);
}

TEST_F(Display, BarRequestsChangeValuesAndSendOnlyWithAPort) {
  createControlBars();
  fake::openPortDirectly();
  app.settings.velocity = 125;
  fake::clearLog();
  onVerticalScroll(plat::Bar::Velocity, kPageUp, 0);
  EXPECT_EQ(app.settings.velocity, 127);
  app.settings.velocity = 1;
  onVerticalScroll(plat::Bar::Velocity, kLineDown, 0);
  EXPECT_EQ(app.settings.velocity, 1);
  EXPECT_EQ(fake::world().bars[0].position, 127);
  onVerticalScroll(plat::Bar::Velocity, kThumbTrack, 10);  // nothing until the thumb is let go
  EXPECT_EQ(app.settings.velocity, 1);
  onVerticalScroll(plat::Bar::Velocity, kThumbPosition, 10);
  EXPECT_EQ(app.settings.velocity, 118);
  EXPECT_TRUE(fake::world().sent.empty()) << "velocity sends nothing";

  onModulationScroll(kLineUp, 0);  // line left at 0
  onModulationScroll(kPageDown, 0);
  onModulationScroll(kThumbPosition, 200);
  EXPECT_EQ(fake::sentTriples(), (Lines{"B0 01 00", "B0 01 08", "B0 01 7F"}));
  EXPECT_EQ(fake::callsOf("focusMainWindow").size(), 7u) << "focus handed back on every notification";

  fake::clearLog();
  for (int32_t request : {kLineUp, kLineDown, kPageUp, kPageDown}) onVerticalScroll(plat::Bar::PitchBend, request, 0);
  EXPECT_TRUE(fake::world().sent.empty());
  EXPECT_TRUE(fake::callsOf("barSetPosition").empty()) << "arrows and trough move nothing";
  onVerticalScroll(plat::Bar::PitchBend, kThumbTrack, 0);
  onVerticalScroll(plat::Bar::PitchBend, kThumbTrack, 16383);
  onVerticalScroll(plat::Bar::PitchBend, kThumbTrack, 40000);  // 16383 - 40000 is negative: 0
  onVerticalScroll(plat::Bar::PitchBend, kThumbPosition, 300);
  EXPECT_EQ(fake::sentTriples(), (Lines{"E0 7F 7F", "E0 00 00", "E0 00 00", "E0 7F 3F"}));
  EXPECT_EQ(fake::world().bars[2].position, 8192);

  app.midi.deviceOpen = 0;
  fake::clearLog();
  onModulationScroll(kLineDown, 0);
  EXPECT_TRUE(fake::world().sent.empty());
  EXPECT_EQ(app.bars.modulation, 127);
}

}  // namespace
