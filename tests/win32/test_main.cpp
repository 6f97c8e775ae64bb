// The tests' entry. With --print-help-path the program only prints the help path the core builds
// from where this executable lies, for a test that runs a copy of it in a chosen folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "app/help_path.h"
#include "base/app_state.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--print-help-path") == 0) {
    char helpPath[ShellState::kHelpPathSize] = {};
    buildHelpPath(helpPath, sizeof helpPath);
    std::fputs(helpPath, stdout);
    return 0;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
