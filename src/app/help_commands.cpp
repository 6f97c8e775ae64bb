#include "app/help_commands.h"

#include "app/app_state.h"
#include "platform/platform.h"

namespace about {
const char* const kAboutText =
    "Plinkett 2.04 (32 bit version)\n"
    "Copyright (c) 2026 Quillor. Freeware: free to use and to give away.\n"
    "https://plinkett.example.org/";
}  // namespace about

void openHelpIndex() { plat::helpOpenContents(app.shell.helpPath); }

void openHelpUsing() { plat::helpOpenOwnHelp(); }

void openWebSite() { plat::openUrl(about::kWebAddress); }

void showAbout() { plat::messageBox(about::kAboutText, plat::BoxStyle::PlainOk); }
