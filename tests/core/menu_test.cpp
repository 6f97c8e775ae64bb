// The menu bar as data: its shape, its ids and texts, and its one initial mark.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/menu_table.h"
#include "fake/fake_platform.h"

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

std::vector<std::string> textsOf(const std::vector<const MenuEntry*>& entries) {
  std::vector<std::string> out;
  for (const MenuEntry* e : entries) out.push_back(e->kind == MenuKind::Separator ? "-" : e->text);
  return out;
}

TEST(MenuTable, NestingIsWellFormedAndEveryPopupHasItems) {
  auto rows = menuTable();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0].depth, 0);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) {
      EXPECT_LE(rows[i].depth, rows[i - 1].depth + 1) << "row " << i;
      if (rows[i].depth == rows[i - 1].depth + 1) {
        EXPECT_EQ(rows[i - 1].kind, MenuKind::Popup) << "row " << i;
      }
    }
    if (rows[i].kind == MenuKind::Popup) {
      ASSERT_LT(i + 1, rows.size());
      EXPECT_EQ(rows[i + 1].depth, rows[i].depth + 1) << rows[i].text << " is empty";
      EXPECT_EQ(rows[i].id, 0);
    }
    if (rows[i].kind == MenuKind::Item) {
      EXPECT_GT(rows[i].id, 0);
      ASSERT_NE(rows[i].text, nullptr);
      EXPECT_NE(rows[i].text[0], '\0');
    }
    if (rows[i].depth == 0) {
      EXPECT_EQ(rows[i].kind, MenuKind::Popup);
    }
  }
  EXPECT_EQ(textsOf(childrenOf("&Midi")), (std::vector<std::string>{"&Transpose", "&Program", "&Channel", "&Reset"}));
  EXPECT_EQ(textsOf(childrenOf("&Window")),
            (std::vector<std::string>{"&Always on Top", "&Keyboard Layout", "S&how as flats", "&Show Control Bars",
                                      "&Default Size", "&Zoom Keyboard"}));
  EXPECT_EQ(textsOf(childrenOf("&Keyboard Layout")), (std::vector<std::string>{"&Piano", "&Accordion", "&Chromatic"}));
  EXPECT_EQ(textsOf(childrenOf("&Transpose")),
            (std::vector<std::string>{"2 Up", "1 Up", "No Transpose", "1 Down", "2 Down"}));
  EXPECT_EQ(textsOf(childrenOf("&Help")),
            (std::vector<std::string>{"&Index", "&Using help", "-", "&Quillor Web Site...", "-", "&About"}));
  EXPECT_EQ(textsOf(childrenOf("&File")), std::vector<std::string>{"E&xit"});
}

// Every program id selects id - 301 in General MIDI order: family f holds 301 + 8f .. 308 + 8f.
TEST(MenuTable, ProgramItemsFollowGeneralMidiOrder) {
  std::vector<const MenuEntry*> families = childrenOf("&Program");
  ASSERT_EQ(families.size(), 16u);
  std::vector<int32_t> ids;
  for (std::size_t f = 0; f < families.size(); ++f) {
    ASSERT_EQ(families[f]->kind, MenuKind::Popup);
    std::vector<const MenuEntry*> programs = childrenOf(families[f]->text);
    ASSERT_EQ(programs.size(), 8u) << families[f]->text;
    for (std::size_t k = 0; k < programs.size(); ++k) {
      EXPECT_EQ(programs[k]->id, static_cast<int32_t>(cmd::kFirstProgram + 8 * f + k));
      EXPECT_FALSE(programs[k]->checked);
      ids.push_back(programs[k]->id);
    }
  }
  ASSERT_EQ(ids.size(), 128u);
  EXPECT_EQ(ids.front(), cmd::kFirstProgram);
  EXPECT_EQ(ids.back(), cmd::kLastProgram);

  // The program's own spellings, as the menu model every front end builds shows them.
  fake::reset();
  const std::pair<int32_t, const char*> samples[] = {
      {301, "Ac Gr Piano"},   {308, "Clavinet"},       {309, "Celesta"},          {324, "Tango Acordion"},
      {325, "Ac Guit Nyl"},   {357, "Trumpet"},        {388, "Lead 8 bass+lead"}, {389, "Pad 1 new age"},
      {402, "FX 6 golblins"}, {404, "FX 8 sci-fi"},    {412, "Shanai"},           {421, "Guit Fret Noise"},
      {428, "Gunshot"},
  };
  for (const auto& [id, name] : samples) EXPECT_EQ(fake::itemText(id), name) << id;
  EXPECT_EQ(textsOf(families), (std::vector<std::string>{"Piano", "Chromatic Perc", "Organ", "Guitar", "Bass",
                                                         "Strings", "Ensemble", "Brass", "Reed", "Pipe", "Synth Lead",
                                                         "Synth Pad", "Synth Effects", "Ethnic", "Percussive",
                                                         "Sound Effects"}));
}

}  // namespace
