// Key rectangles and their truncation, the size pass, the default window size and the zoom
// commands.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/commands.h"
#include "base/int_conversions.h"
#include "display/key_geometry.h"
#include "display/window_size.h"
#include "display/zoom.h"
#include "display_fixture.h"
#include "fake/fake_platform.h"
#include "keyboard/key_grid.h"
#include "platform/events.h"

namespace {

using Lines = std::vector<std::string>;


class Geometry : public DisplayTest {};

TEST_F(Geometry, KeyRectanglesTruncateTowardZero) {
  app.settings.zoom = 1.5f;
  app.geometry.originX = 10;
  app.geometry.originY = 20;
  EXPECT_EQ(keyRect(0, 0), (Rect{10, 20, 26, 32}));
  EXPECT_EQ(keyRect(0, 2).left, 26);
  EXPECT_EQ(keyRect(0, 2).right, 42);
  EXPECT_EQ(keyRect(1, 1), (Rect{18, 32, 34, 44}));
  // A one-pixel gap: x 50 belongs to neither column 3 nor column 5.
  EXPECT_EQ(keyRect(1, 3).right, 50);
  EXPECT_EQ(keyRect(1, 5).left, 51);
  EXPECT_FALSE(rectContains(keyRect(1, 3), 50, 40));
  EXPECT_FALSE(rectContains(keyRect(1, 5), 50, 40));
  // Negative edges truncate toward zero: neighbours overlap by a pixel.
  app.geometry.originX = -19;
  EXPECT_EQ(keyRect(1, 1).left, -10);
  EXPECT_EQ(keyRect(1, 1).right, 6);
  EXPECT_EQ(keyRect(1, 3).left, 5);
  EXPECT_EQ(truncToInt32(-92.5), -92);
  EXPECT_EQ(truncToInt32(92.9), 92);
  EXPECT_EQ(truncToInt32(std::nan("")), 0);
  EXPECT_EQ(truncToInt32(1e30), INT32_MAX);
  EXPECT_EQ(truncToInt32(-1e30), INT32_MIN);
  EXPECT_EQ(truncToInt32(-2147483648.5), INT32_MIN);
  EXPECT_EQ(truncToInt32(2147483646.9), 2147483646);
  EXPECT_EQ(truncToInt32(-std::numeric_limits<double>::infinity()), INT32_MIN);
}

TEST_F(Geometry, SizePassCentresTheKeyboard) {
  app.settings.zoom = 2.0f;
  applyClientSize(101, 300);
  EXPECT_EQ(app.geometry.originX, -92);
  EXPECT_EQ(app.geometry.originY, 118);
  EXPECT_EQ(app.geometry.clientWidth, 101);
  EXPECT_EQ(app.geometry.clientHeight, 300);
  app.settings.showControlBars = 1;
  applyClientSize(520, 300);
  EXPECT_EQ(app.geometry.barThickness, 20);
  EXPECT_EQ(app.geometry.originY, 108);
  applyClientSize(546, 300);
  EXPECT_EQ(app.geometry.barThickness, 21);
  EXPECT_EQ(app.geometry.originY, 108);
  applyClientSize(0, 0);  // minimised
  EXPECT_EQ(app.geometry.barThickness, 0);
  EXPECT_EQ(app.geometry.originX, -143);
  EXPECT_EQ(app.geometry.originY, -32);
  applyClientSize(0xFFFF, 0x8000);  // halves are signed: -1 and -32768
  EXPECT_EQ(app.geometry.clientWidth, 0xFFFF);
  EXPECT_EQ(app.geometry.barThickness, 0);
  EXPECT_EQ(app.geometry.originX, -143);
  EXPECT_EQ(app.geometry.originY, -16416);
}

TEST_F(Geometry, AStoredZoomOutsideTheMenuScalesTheGrid) {
  app.settings.zoom = 2.5f;
  app.geometry.originX = 0;
  app.geometry.originY = 0;
  EXPECT_EQ(keyRect(1, 2), (Rect{27, 20, 54, 40}));
  applyClientSize(400, 200);
  EXPECT_EQ(app.geometry.originX, 21);  // (400 - 357.5) / 2; 57 at 2.0, -14 at 3.0
  EXPECT_FLOAT_EQ(app.settings.zoom, 2.5f) << "the size pass keeps the stored factor";
}

// A zoom only a damaged settings file holds: the geometry stays defined, and every coordinate
// handed to the platform stays where a front end can add a size or a border to it.
TEST_F(Geometry, StrangeZoomsStayDefinedAndWithinReachOfAFrontEnd) {
  app.settings.zoom = std::nanf("");
  applyClientSize(400, 200);
  EXPECT_EQ(app.geometry.originX, 0);
  EXPECT_EQ(keyRect(2, 4), (Rect{0, 0, 0, 0}));
  EXPECT_EQ(defaultWindowSize().width, 0);

  app.settings.zoom = 1e30f;
  applyClientSize(400, 200);
  EXPECT_EQ(keyRect(0, 0), (Rect{-16777216, -16777216, 16777216, 16777216}));
  EXPECT_EQ(defaultWindowSize().width, 32767);
  EXPECT_EQ(defaultWindowSize().height, 32767);

  for (float zoom : {std::numeric_limits<float>::infinity(), 7e7f, -1e30f, 0.0f}) {
    app.settings.zoom = zoom;
    fake::clearLog();
    applyClientSize(400, 200);
    paintKeyboard();
    for (const std::string& call : fake::world().calls) {
      std::istringstream words(call);
      std::string op, word;
      words >> op;
      if (op != "fillRect" && op != "frameRect" && op != "drawText") continue;
      while (words >> word) {
        if (word.find_first_not_of("-0123456789") != std::string::npos) continue;
        const long long v = std::stoll(word);
        ASSERT_LE(std::llabs(v), 16777216) << call << " at zoom " << zoom;
      }
    }
  }
}

TEST_F(Geometry, DefaultSizeFollowsZoomCellAndBars) {
  app.settings.zoom = 2.0f;
  app.geometry.barThickness = 20;
  WindowSize size = defaultWindowSize();
  EXPECT_EQ(size.width, 348);
  EXPECT_EQ(size.height, 187);
  app.settings.zoom = 1.5f;
  app.geometry.charHeight = 15;
  app.geometry.barThickness = 0;
  EXPECT_EQ(defaultWindowSize().height, 116);
  fake::script().menuHeight = 30;
  EXPECT_EQ(defaultWindowSize().height, 127);
}

TEST_F(Geometry, DefaultSizeCommandKeepsTheTopLeftAndRepaints) {
  plat::windowMove(-40, 70, 900, 700, false);
  app.settings.zoom = 2.0f;
  app.geometry.barThickness = 20;  // as the last size pass left it
  fake::clearLog();
  dispatchCommand(cmd::kDefaultSize);
  EXPECT_EQ(fake::world().calls, (Lines{"windowRect", "windowMove -40 70 348 187 repaint", "invalidateClient"}));
}

TEST_F(Geometry, ZoomCommandsMarkResizeAndKeepTheTopLeft) {
  plat::windowMove(50, 60, 400, 200, false);
  fake::clearLog();
  dispatchCommand(cmd::kZoomSmall);
  EXPECT_FLOAT_EQ(app.settings.zoom, 1.5f);
  // Small: width 11 * 1.5 * 14 = 231; height 19 + 24 + 32 + 48 = 123.
  EXPECT_EQ(fake::world().calls,
            (Lines{"menuCheck 105 off", "menuCheck 106 off", "menuCheck 107 off", "menuCheck 105 on", "windowRect",
                   "windowMove 50 60 231 123 repaint", "invalidateClient"}));
  // The move told the new client size at once; the origins follow it.
  EXPECT_EQ(app.geometry.clientWidth, 231 - 16);
  EXPECT_EQ(app.geometry.clientHeight, 123 - 39 - 19);

  fake::clearLog();
  dispatchCommand(cmd::kZoomBig);
  EXPECT_FLOAT_EQ(app.settings.zoom, 3.0f);
  EXPECT_EQ(fake::checkedIn(cmd::kZoomSmall, cmd::kZoomBig), std::vector<int32_t>{cmd::kZoomBig});
  EXPECT_EQ(fake::callsOf("windowMove").back(), "windowMove 50 60 462 195 repaint");
  EXPECT_TRUE(fake::world().sent.empty());
}

}  // namespace
