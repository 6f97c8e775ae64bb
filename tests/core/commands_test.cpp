// The commands that the shell carries out itself, driven as the menu drives them.
#include <gtest/gtest.h>

#include <cstdio>

#include <set>
#include <string>
#include <vector>

#include "app/help_commands.h"
#include "base/app_state.h"
#include "base/commands.h"
#include "fake/fake_platform.h"
#include "keyboard/key_layouts.h"
#include "platform/events.h"

namespace {

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
  std::snprintf(app.shell.helpPath, sizeof app.shell.helpPath, "C:\\Plinkett\\plinkett.hlp");
  dispatchCommand(cmd::kHelpIndex);
  dispatchCommand(cmd::kHelpUsing);
  dispatchCommand(cmd::kWebSite);
  dispatchCommand(cmd::kAbout);
  EXPECT_EQ(fake::callsOf("helpOpenContents"), std::vector<std::string>{"helpOpenContents C:\\Plinkett\\plinkett.hlp"});
  EXPECT_EQ(fake::callsOf("helpOpenOwnHelp").size(), 1u);
  EXPECT_EQ(fake::callsOf("openUrl"), std::vector<std::string>{std::string("openUrl ") + about::kWebAddress});
  std::vector<std::string> box = fake::callsOf("messageBox");
  ASSERT_EQ(box.size(), 1u);
  // Three lines: the version, the rights notice, and the address the web-site command opens.
  const std::string prefix = sizeof(void*) == 8 ? "messageBox plain-ok Plinkett 2.04 (64 bit version)\\n"
                                                : "messageBox plain-ok Plinkett 2.04 (32 bit version)\\n";
  ASSERT_EQ(box[0].rfind(prefix, 0), 0u);
  std::string rest = box[0].substr(prefix.size());
  std::size_t lineBreak = rest.find("\\n");
  ASSERT_NE(lineBreak, std::string::npos);
  EXPECT_NE(rest.substr(0, lineBreak).find("Quillor"), std::string::npos);
  EXPECT_EQ(rest.substr(lineBreak + 2), about::kWebAddress);
  // Each command repainted once, at its end.
  EXPECT_EQ(fake::callsOf("invalidateClient").size(), 4u);
  EXPECT_EQ(fake::world().calls.back(), "invalidateClient");

  // A help path that names no file (the executable's folder was too long) is never handed over.
  fake::clearLog();
  std::snprintf(app.shell.helpPath, sizeof app.shell.helpPath, "C:\\%s\\?", std::string(112, 'd').c_str());
  dispatchCommand(cmd::kHelpIndex);
  EXPECT_TRUE(fake::callsOf("helpOpenContents").empty());
  EXPECT_EQ(fake::callsOf("messageBox"), std::vector<std::string>{"messageBox warning-ok The user's guide cannot be found."});
}

TEST_F(Commands, ProgramsAreStoredWithoutMarksAndAlwaysOnTopFollowsItsMark) {
  dispatchCommand(cmd::kFirstProgram + 40);  // device closed: nothing is sent
  EXPECT_EQ(app.settings.program, 40);
  EXPECT_TRUE(fake::checkedIn(cmd::kFirstProgram, cmd::kLastProgram).empty());
  EXPECT_TRUE(fake::world().sent.empty());

  app.settings.alwaysOnTop = 5;  // as a settings file may hold it: on
  fake::clearLog();
  dispatchCommand(cmd::kAlwaysOnTop);
  EXPECT_EQ(app.settings.alwaysOnTop, 0);
  EXPECT_FALSE(fake::isChecked(cmd::kAlwaysOnTop));
  EXPECT_EQ(fake::world().calls,
            (std::vector<std::string>{"menuCheck 102 off", "windowSetTopmost off", "invalidateClient"}))
      << "one repaint a command";
  dispatchCommand(cmd::kAlwaysOnTop);
  EXPECT_EQ(app.settings.alwaysOnTop, 1);
  EXPECT_TRUE(fake::isChecked(cmd::kAlwaysOnTop));
  EXPECT_TRUE(fake::world().topmost);
}

}  // namespace
