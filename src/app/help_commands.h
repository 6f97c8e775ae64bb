#pragma once

namespace about {
inline constexpr const char* kWebAddress = "https://plinkett.example.org/";
// Three lines: version, rights notice, web address.
extern const char* const kAboutText;
}  // namespace about

void openHelpIndex();   // 24349
void openHelpUsing();   // 24348
void openWebSite();     // 24351
void showAbout();       // 24347
