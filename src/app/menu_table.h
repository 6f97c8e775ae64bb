// The whole menu bar as data. Both front ends build their menus from this table; nothing
// restates it by hand.
#pragma once

#include <cstdint>
#include <span>

enum class MenuKind : uint8_t {
  Popup,      // opens the entries of depth + 1 that follow it
  Item,       // a command
  Separator,
};

// Rows in menu order; a popup's children follow it directly with depth one greater.
struct MenuEntry {
  int32_t depth;       // 0: on the menu bar
  MenuKind kind;
  int32_t id;          // command id of an Item, 0 otherwise
  const char* text;    // "&" marks the access letter; nullptr for a separator
  bool checked;        // initial mark
};

std::span<const MenuEntry> menuTable();
