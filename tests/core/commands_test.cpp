// The menu as data, and the commands that the shell carries out itself.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/dispatch.h"
#include "app/help_commands.h"
#include "app/menu_table.h"
#include "fake/fake_platform.h"
#include "keyboard/key_layouts.h"

namespace {

std::vector<const MenuEntry*> childrenOf(const char* popupText) {
  std::vector<const MenuEntry*> out;
  auto rows = menuTable();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].kind != MenuKind::Popup || std::string(rows[i].text) != popupText) continue;
    for (std::size_t j = i + 1; j < rows.size() && rows[j].depth > rows[i].depth; ++j) {
      if (rows[j].depth == rows[i].depth + 1) out.push_back(&rows[j]);
    }
  }
  return out;
}

TEST(MenuTable, ShapeIdsAndTexts) {
  std::vector<std::string> bar;
  std::set<int32_t> ids;
  int checked = 0;
  for (const MenuEntry& e : menuTable()) {
    if (e.depth == 0) bar.push_back(e.text);
    if (e.kind == MenuKind::Item) {
      EXPECT_TRUE(ids.insert(e.id).second) << "duplicate id " << e.id;
      if (e.checked) {
        ++checked;
        EXPECT_EQ(e.id, cmd::kNoTranspose);
      }
    }
  }
  EXPECT_EQ(bar, (std::vector<std::string>{"&File", "&Devices", "&Midi", "&Window", "&Help"}));
  EXPECT_EQ(checked, 1);
  EXPECT_EQ(ids.size(), 1u + 1u + 5u + 128u + 16u + 1u + 1u + 3u + 1u + 1u + 1u + 3u + 4u);

  std::vector<const MenuEntry*> transpose = childrenOf("&Transpose");
  ASSERT_EQ(transpose.size(), 5u);
  EXPECT_EQ(transpose[0]->id, cmd::kTransposeUp2);
  EXPECT_EQ(transpose[4]->id, cmd::kTransposeDown2);

  std::vector<const MenuEntry*> families = childrenOf("&Program");
  ASSERT_EQ(families.size(), 16u);
  EXPECT_STREQ(families[12]->text, "Synth Effects");
  std::vector<const MenuEntry*> organ = childrenOf("Organ");
  ASSERT_EQ(organ.size(), 8u);
  EXPECT_EQ(organ[7]->id, 324);
  EXPECT_STREQ(organ[7]->text, "Tango Acordion");
  EXPECT_STREQ(childrenOf("Synth Effects")[5]->text, "FX 6 golblins");
  EXPECT_EQ(childrenOf("Sound Effects")[7]->id, cmd::kLastProgram);
  EXPECT_STREQ(childrenOf("Sound Effects")[7]->text, "Gunshot");

  std::vector<const MenuEntry*> channels = childrenOf("&Channel");
  ASSERT_EQ(channels.size(), 16u);
  EXPECT_STREQ(channels[15]->text, "16");
  EXPECT_EQ(channels[15]->id, cmd::kLastChannel);

  std::vector<const MenuEntry*> zoom = childrenOf("&Zoom Keyboard");
  ASSERT_EQ(zoom.size(), 3u);
  EXPECT_EQ(zoom[0]->id, cmd::kZoomBig);
  std::vector<const MenuEntry*> help = childrenOf("&Help");
  ASSERT_EQ(help.size(), 6u);
  EXPECT_EQ(help[2]->kind, MenuKind::Separator);
  EXPECT_STREQ(help[3]->text, "&Quillor Web Site...");
  std::vector<const MenuEntry*> devices = childrenOf("&Devices");
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[1]->kind, MenuKind::Separator);
}

class Commands : public ::testing::Test {
 protected:
  void SetUp() override { fake::reset(); }
  std::vector<int32_t> transposeMarks() { return fake::checkedIn(cmd::kTransposeDown2, cmd::kTransposeUp2); }
};

TEST_F(Commands, TransposeUnderPianoAndAccordion) {
  dispatchCommand(cmd::kTransposeUp2);
  EXPECT_EQ(app.settings.transpose, 2);
  EXPECT_EQ(transposeMarks(), std::vector<int32_t>{cmd::kTransposeUp2});
  dispatchCommand(cmd::kTransposeDown2);
  EXPECT_EQ(app.settings.transpose, -2);
  dispatchCommand(cmd::kNoTranspose);
  EXPECT_EQ(app.settings.transpose, 0);
  EXPECT_EQ(transposeMarks(), std::vector<int32_t>{cmd::kNoTranspose});
  EXPECT_TRUE(fake::world().sent.empty());
}

TEST_F(Commands, LayoutSwitchResetsTranspositionAndRelabels) {
  dispatchCommand(cmd::kTransposeUp2);
  fake::clearLog();
  dispatchCommand(cmd::kLayoutChromatic);
  EXPECT_EQ(app.settings.layout, kChromatic);
  EXPECT_EQ(app.settings.transpose, 0);
  EXPECT_EQ(transposeMarks(), std::vector<int32_t>{cmd::kNoTranspose});
  EXPECT_EQ(fake::itemText(cmd::kTransposeUp1), "4 Up");
  EXPECT_EQ(fake::itemText(cmd::kTransposeDown1), "4 Down");
  EXPECT_EQ(fake::itemText(cmd::kTransposeUp2), "Not available");
  EXPECT_EQ(fake::itemText(cmd::kTransposeDown2), "Not available");
  EXPECT_TRUE(fake::isGrayed(cmd::kTransposeUp2));
  EXPECT_TRUE(fake::isGrayed(cmd::kTransposeDown2));
  EXPECT_FALSE(fake::isGrayed(cmd::kTransposeUp1));
  EXPECT_EQ(fake::checkedIn(cmd::kLayoutPiano, cmd::kLayoutChromatic), std::vector<int32_t>{cmd::kLayoutChromatic});
  EXPECT_EQ(fake::world().calls.back(), "invalidateClient");

  // Under Chromatic, 114 sets +4; a stray 115 keeps the value but takes the mark.
  dispatchCommand(cmd::kTransposeUp1);
  EXPECT_EQ(app.settings.transpose, 4);
  dispatchCommand(cmd::kTransposeUp2);
  EXPECT_EQ(app.settings.transpose, 4);
  EXPECT_EQ(transposeMarks(), std::vector<int32_t>{cmd::kTransposeUp2});

  // Back to Accordion: all enabled again with the octave texts.
  dispatchCommand(cmd::kLayoutAccordion);
  EXPECT_EQ(app.settings.transpose, 0);
  EXPECT_EQ(fake::itemText(cmd::kTransposeUp1), "1 Up");
  EXPECT_EQ(fake::itemText(cmd::kTransposeDown1), "1 Down");
  EXPECT_EQ(fake::itemText(cmd::kTransposeUp2), "2 Up");
  EXPECT_EQ(fake::itemText(cmd::kTransposeDown2), "2 Down");
  EXPECT_FALSE(fake::isGrayed(cmd::kTransposeUp2));
  EXPECT_EQ(transposeMarks(), std::vector<int32_t>{cmd::kNoTranspose});

  // The layout in force chosen again still resets the transposition.
  dispatchCommand(cmd::kTransposeDown1);
  dispatchCommand(cmd::kLayoutAccordion);
  EXPECT_EQ(app.settings.transpose, 0);
}

TEST_F(Commands, FlatsTwiceRestoresLabelsAndMark) {
  std::vector<std::string> before;
  for (const KeySlot& s : layoutTable(kPiano)) before.push_back(s.label ? s.label : "(none)");
  dispatchCommand(cmd::kShowFlats);
  EXPECT_TRUE(fake::isChecked(cmd::kShowFlats));
  EXPECT_STREQ(layoutTable(kChromatic)[3].label, "Db");
  dispatchCommand(cmd::kShowFlats);
  EXPECT_FALSE(fake::isChecked(cmd::kShowFlats));
  std::vector<std::string> after;
  for (const KeySlot& s : layoutTable(kPiano)) after.push_back(s.label ? s.label : "(none)");
  EXPECT_EQ(before, after);
}

TEST_F(Commands, UnknownIdsOnlyRepaintAndHelpGoesToTheViewer) {
  dispatchCommand(200);
  EXPECT_EQ(fake::world().calls, std::vector<std::string>{"invalidateClient"});
  fake::clearLog();
  dispatchCommand(cmd::kMapperDevice);  // no devices counted yet: not a device command
  EXPECT_EQ(fake::world().calls, std::vector<std::string>{"invalidateClient"});

  fake::clearLog();
  dispatchCommand(cmd::kHelpIndex);
  dispatchCommand(cmd::kHelpUsing);
  dispatchCommand(cmd::kWebSite);
  dispatchCommand(cmd::kAbout);
  EXPECT_EQ(fake::callsOf("helpOpenContents").size(), 1u);
  EXPECT_EQ(fake::callsOf("helpOpenOwnHelp").size(), 1u);
  EXPECT_EQ(fake::callsOf("openUrl"), std::vector<std::string>{std::string("openUrl ") + about::kWebAddress});
  std::vector<std::string> box = fake::callsOf("messageBox");
  ASSERT_EQ(box.size(), 1u);
  EXPECT_EQ(box[0].rfind("messageBox plain-ok Plinkett 2.04 (32 bit version)\\n", 0), 0u);
}

}  // namespace
