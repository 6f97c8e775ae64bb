#include "app/help_commands.h"

#include <array>
#include <cstddef>
#include <string>

#include "app/app_state.h"
#include "platform/platform.h"

namespace {

constexpr const char* kVersionLine = "Plinkett 2.04 (32 bit version)";
constexpr const char* kRightsLine = "Copyright (c) 2026 Quillor. Freeware: free to use and to give away.";

constexpr std::size_t length(const char* s) { return std::char_traits<char>::length(s); }

constexpr std::size_t kAboutSize = length(kVersionLine) + 1 + length(kRightsLine) + 1 + length(about::kWebAddress) + 1;

// Joined at compile time, so the address shown is the one the web-site command opens.
constexpr std::array<char, kAboutSize> joinAboutLines() {
  std::array<char, kAboutSize> out{};
  std::size_t n = 0;
  for (const char* line : {kVersionLine, kRightsLine, about::kWebAddress}) {
    if (n != 0) out[n++] = '\n';
    for (const char* p = line; *p != '\0'; ++p) out[n++] = *p;
  }
  out[n] = '\0';
  return out;
}

constexpr std::array<char, kAboutSize> kAboutLines = joinAboutLines();

}  // namespace

namespace about {
const char* const kAboutText = kAboutLines.data();
}  // namespace about

void openHelpIndex() { plat::helpOpenContents(app.shell.helpPath); }

void openHelpUsing() { plat::helpOpenOwnHelp(); }

// The result is not looked at: a browser that does not start is the desktop's to report.
void openWebSite() { plat::openUrl(about::kWebAddress); }

void showAbout() { plat::messageBox(about::kAboutText, plat::BoxStyle::PlainOk); }
