// The character cell and key fonts, one key drawn as platform operations, and the paint.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "display/key_fonts.h"
#include "display/key_geometry.h"
#include "display/zoom.h"
#include "display_fixture.h"
#include "fake/fake_platform.h"
#include "keyboard/key_grid.h"
#include "keyboard/key_layouts.h"
#include "platform/events.h"

namespace {

using Lines = std::vector<std::string>;

std::string text(const Rect& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
         std::to_string(r.bottom);
}

class Drawing : public DisplayTest {};

TEST_F(Drawing, CharacterCellAndFontsComeFromTheSystemCell) {
  fake::script().systemM = plat::TextSize{10, 16};
  measureCharacterCell();
  // Surface 1 is taken first and measured last; the system cell comes from a fresh surface 2.
  EXPECT_EQ(fake::world().calls,
            (Lines{"surfaceGet 1", "surfaceGet 2", "textExtent M", "surfaceRelease 2", "fontCreate 12 3 400",
                   "fontCreate 16 5 700", "fontCreate 24 7 700", "fontSelect 2", "textExtent M", "surfaceRelease 1"}));
  EXPECT_EQ(app.geometry.systemCharWidth, 10);
  EXPECT_EQ(app.geometry.systemCharHeight, 16);
  EXPECT_EQ(app.geometry.charWidth, 11);
  EXPECT_EQ(app.geometry.charHeight, 16);
  EXPECT_EQ(fake::world().liveSurfaces, 0);

  // 3 * 14 / 4 is 10 (not 3 * (14 / 4) = 9); 14 + 14 / 2 is 21.
  fake::reset();
  fake::script().systemM = plat::TextSize{8, 14};
  measureCharacterCell();
  EXPECT_EQ(fake::callsOf("fontCreate"), (Lines{"fontCreate 10 2 400", "fontCreate 14 4 700", "fontCreate 21 6 700"}));
  EXPECT_EQ(app.geometry.charWidth, 9);
  EXPECT_EQ(app.geometry.charHeight, 14);

  deleteKeyFonts();
  EXPECT_TRUE(fake::world().liveFonts.empty());
  fake::clearLog();
  deleteKeyFonts();  // a second call (an early shutdown after a full one) deletes nothing twice
  EXPECT_TRUE(fake::callsOf("fontDelete").empty());
}

TEST_F(Drawing, AScaleChangeMakesTheFontsAnewAndPlacesTheKeysForTheNewCell) {
  measureCharacterCell();
  applyClientSize(400, 300);
  const std::set<plat::Font> before = fake::world().liveFonts;
  fake::script().fontScale = 1.5;
  fake::clearLog();
  onDisplayScaleChanged();
  // The same sizes are asked for: the platform makes them at its scale.
  EXPECT_EQ(fake::callsOf("fontCreate"), (Lines{"fontCreate 12 3 400", "fontCreate 16 5 700", "fontCreate 24 7 700"}));
  EXPECT_EQ(fake::world().liveFonts.size(), 3u);
  for (plat::Font font : before) EXPECT_EQ(fake::world().liveFonts.count(font), 0u) << "font " << font << " left behind";
  // The normal key font, 5 x 16 made at 7 x 24, measures "M" as 15 x 24.
  EXPECT_EQ(app.geometry.charWidth, 15);
  EXPECT_EQ(app.geometry.charHeight, 24);
  // Centred for the new cell at once: (400 - 26 * 2.0 * 15 * 0.5) * 0.5 and 300 / 2 - 2.0 * 24.
  EXPECT_EQ(app.geometry.originX, 5);
  EXPECT_EQ(app.geometry.originY, 102);
  EXPECT_EQ(fake::callsOf("invalidateClient").size(), 1u);
}

TEST_F(Drawing, LabelFontFollowsTheExactZoom) {
  EXPECT_EQ(keyFontForZoom(1.5f), kSmallKeyFont);
  EXPECT_EQ(keyFontForZoom(2.0f), kNormalKeyFont);
  EXPECT_EQ(keyFontForZoom(3.0f), kBigKeyFont);
  EXPECT_EQ(keyFontForZoom(2.5f), kNormalKeyFont);
  EXPECT_EQ(keyFontForZoom(1.5000001f), kNormalKeyFont);
  EXPECT_EQ(keyFontForZoom(2.9999998f), kNormalKeyFont);
}

TEST_F(Drawing, DrawKeyIsAnExactSequenceOfOperations) {
  app.settings.zoom = 2.0f;
  createKeyFonts();
  const KeyLayout& piano = layoutTable(kPiano);
  fake::clearLog();
  drawKeyNow(piano, 16, true);  // Q, pressed
  Rect r = keyRect(piano[16].row, piano[16].column);
  EXPECT_EQ(fake::world().calls,
            (Lines{"surfaceGet 1", "fillRect " + text(r) + " black", "fontSelect 2", "drawText \"G\" " + text(r) + " white/black",
                   "fontSelect 2", "frameRect " + text(r) + " black", "frameRect " + text(growRect(r, 1)) + " black",
                   "surfaceRelease 1"}));
  fake::clearLog();
  drawKeyNow(piano, 2, false);  // a gap: nothing shows, no frame
  Rect g = keyRect(piano[2].row, piano[2].column);
  EXPECT_EQ(fake::world().calls, (Lines{"surfaceGet 2", "fontSelect 2", "drawText \"\" " + text(g) + " black/white",
                                        "fontSelect 2", "surfaceRelease 2"}));

  // Released at zoom 1.5: the label in the small font (1), then the normal font (2) again.
  app.settings.zoom = 1.5f;
  app.geometry.originX = 10;
  app.geometry.originY = 20;
  fake::clearLog();
  drawKeyNow(piano, 16, false);  // row 1, column 1: 18 32 34 44
  EXPECT_EQ(fake::world().calls,
            (Lines{"surfaceGet 3", "fillRect 18 32 34 44 white", "fontSelect 1", "drawText \"G\" 18 32 34 44 black/white",
                   "fontSelect 2", "frameRect 18 32 34 44 black", "frameRect 17 31 35 45 black", "surfaceRelease 3"}));
}

TEST_F(Drawing, PaintDrawsEveryPlacedSlotReleasedWithTheZoomsFont) {
  fake::script().systemM = plat::TextSize{10, 16};
  measureCharacterCell();
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

TEST_F(Drawing, PaintVisitsTheCurrentLayoutInOrderAndSkipsUnplacedSlots) {
  app.settings.zoom = 2.0f;
  app.geometry.originX = 5;
  app.geometry.originY = 7;
  // A layout id outside the menu paints the Accordion, as the note input plays it.
  for (int32_t layout : {int32_t{kPiano}, int32_t{kChromatic}, int32_t{9}}) {
    app.settings.layout = layout;
    const KeyLayout& table = layoutTable(layout == 9 ? kAccordion : layout);
    Lines expected;
    for (int32_t index = 0; index < kLayoutSlots; ++index) {
      if (table[index].column == -1) continue;
      expected.push_back("drawText \"" + std::string(table[index].label) + "\" " + text(keyRect(table[index].row, table[index].column)) +
                         " black/white");
    }
    fake::clearLog();
    paintKeyboard();
    EXPECT_EQ(fake::callsOf("drawText"), expected) << layout;
    EXPECT_EQ(fake::world().calls.front(), "paintBegin " + std::to_string(fake::world().nextSurface - 1));
    EXPECT_EQ(fake::world().calls.back(), "paintEnd " + std::to_string(fake::world().nextSurface - 1));
    EXPECT_TRUE(fake::callsOf("surfaceGet").empty());
  }
  EXPECT_EQ(fake::world().liveSurfaces, 0);
}

}  // namespace
