#include "app/help_commands.h"

#include <array>
#include <cstddef>
#include <string>

#include "app/help_path.h"
#include "base/app_state.h"
#include "base/texts.h"
#include "platform/platform.h"

namespace {

// The word size of this build: a 64-bit build says so rather than claim to be a 32-bit one.
constexpr const char* kWordSize = sizeof(void*) == 8 ? " (64 bit version)" : " (32 bit version)";
constexpr const char* kRightsLine = "Copyright (c) 2026 Quillor. Freeware: free to use and to give away.";

constexpr std::size_t length(const char* s) { return std::char_traits<char>::length(s); }

// Three lines: name, version and word size; the rights notice; the web address, which is the one
// the web-site command opens. Joined at compile time from the one source of each.
constexpr const char* kAboutParts[] = {program::kName, " ", program::kVersion, kWordSize, "\n",
                                       kRightsLine, "\n", about::kWebAddress};

constexpr std::size_t aboutSize() {
  std::size_t n = 1;
  for (const char* part : kAboutParts) n += length(part);
  return n;
}

constexpr std::array<char, aboutSize()> joinAboutLines() {
  std::array<char, aboutSize()> out{};
  std::size_t n = 0;
  for (const char* part : kAboutParts) {
    for (const char* p = part; *p != '\0'; ++p) out[n++] = *p;
  }
  out[n] = '\0';
  return out;
}

constexpr std::array<char, aboutSize()> kAboutLines = joinAboutLines();

}  // namespace

namespace about {
const char* const kAboutText = kAboutLines.data();
}  // namespace about

void openHelpIndex() {
  // An executable's folder too long for the help file's name leaves a path that names no file;
  // what a help viewer would say of it is said here, the same on every platform.
  if (!helpPathNamesFile(app.shell.helpPath)) {
    plat::messageBox(text::kGuideNotFound, plat::BoxStyle::WarningOk);
    return;
  }
  plat::helpOpenContents(app.shell.helpPath);
}

void openHelpUsing() { plat::helpOpenOwnHelp(); }

// The result is not looked at: a browser that does not start is the desktop's to report.
void openWebSite() { plat::openUrl(about::kWebAddress); }

void showAbout() { plat::messageBox(about::kAboutText, plat::BoxStyle::PlainOk); }
