// Writes the menu resource "Plinkett" for windres from the core's menu table, at build time: the
// menu bar is written down once, in the table, and the Windows program's menu comes from it.
//   menu_rc_tool OUTPUT.rc
#include <cstdio>
#include <string>

#include "platform/events.h"

namespace {

// An .rc string: quotes doubled, backslashes escaped.
std::string rcString(const char* text) {
  std::string out = "\"";
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '"') out += '"';
    if (*p == '\\') out += '\\';
    out += *p;
  }
  return out + "\"";
}

std::string indent(int depth) { return std::string(2 * static_cast<std::size_t>(depth + 1), ' '); }

std::string menuResource() {
  std::string rc = "// Written from the core's menu table by menu_rc_tool; not to be edited.\nPLINKETT MENU\nBEGIN\n";
  int open = 0;  // popups whose BEGIN is written and END is not
  for (const MenuEntry& e : menuTable()) {
    for (; open > e.depth; --open) rc += indent(open - 1) + "END\n";
    switch (e.kind) {
      case MenuKind::Popup:
        rc += indent(e.depth) + "POPUP " + rcString(e.text) + "\n" + indent(e.depth) + "BEGIN\n";
        open = e.depth + 1;
        break;
      case MenuKind::Item:
        rc += indent(e.depth) + "MENUITEM " + rcString(e.text) + ", " + std::to_string(e.id) + (e.checked ? ", CHECKED" : "") + "\n";
        break;
      case MenuKind::Separator:
        rc += indent(e.depth) + "MENUITEM SEPARATOR\n";
        break;
    }
  }
  for (; open > 0; --open) rc += indent(open - 1) + "END\n";
  return rc + "END\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: menu_rc_tool OUTPUT.rc\n", stderr);
    return 2;
  }
  const std::string rc = menuResource();
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) return 1;
  const bool written = std::fwrite(rc.data(), 1, rc.size(), out) == rc.size();
  return std::fclose(out) == 0 && written ? 0 : 1;
}
