// The menu bar as a user sees it after a first start: every text with its access letter, every
// id and every mark, against a file written down once and read by a person.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "base/commands.h"
#include "fake/fake_platform.h"
#include "platform/events.h"

namespace {

std::string itemLine(int32_t depth, int32_t id) {
  std::string line = std::string(2 * static_cast<std::size_t>(depth), ' ') + fake::itemText(id) + "  #" + std::to_string(id);
  if (fake::isChecked(id)) line += "  [checked]";
  if (fake::isGrayed(id)) line += "  [grey]";
  return line + "\n";
}

// The menu table drawn as an indented tree, with the fake window system's marks and texts and
// the device items at the end of the popup they were appended to.
std::string renderMenu() {
  std::string out;
  bool inDevices = false;
  auto endPopup = [&] {
    if (inDevices) {
      for (int32_t id : fake::world().deviceItems) out += itemLine(1, id);
    }
  };
  for (const MenuEntry& e : menuTable()) {
    const std::string indent(2 * static_cast<std::size_t>(e.depth), ' ');
    if (e.depth == 0) {
      endPopup();
      inDevices = e.devicesPopup;
    }
    switch (e.kind) {
      case MenuKind::Popup: out += indent + e.text + "\n"; break;
      case MenuKind::Separator: out += indent + "----\n"; break;
      case MenuKind::Item: out += itemLine(e.depth, e.id); break;
    }
  }
  endPopup();
  return out;
}

TEST(Menu, AFirstStartShowsTheWholeMenuAsWrittenDown) {
  fake::reset();
  ASSERT_TRUE(startMainWindow());
  std::ifstream in(PLINKETT_MENU_GOLDEN);
  ASSERT_TRUE(in) << PLINKETT_MENU_GOLDEN;
  const std::string golden{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(renderMenu(), golden);
}

TEST(Menu, NestingIsWellFormedAndEveryPopupHasItems) {
  auto rows = menuTable();
  ASSERT_FALSE(rows.empty());
  int32_t devicesPopups = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].depth == 0) {
      EXPECT_EQ(rows[i].kind, MenuKind::Popup) << "row " << i;
    }
    if (i > 0) {
      EXPECT_LE(rows[i].depth, rows[i - 1].depth + 1) << "row " << i;
      if (rows[i].depth == rows[i - 1].depth + 1) {
        EXPECT_EQ(rows[i - 1].kind, MenuKind::Popup) << "row " << i;
      }
    }
    if (rows[i].kind == MenuKind::Popup) {
      ASSERT_LT(i + 1, rows.size());
      EXPECT_EQ(rows[i + 1].depth, rows[i].depth + 1) << rows[i].text << " is empty";
    }
    if (rows[i].devicesPopup) ++devicesPopups;
  }
  EXPECT_EQ(devicesPopups, 1);
}

}  // namespace
