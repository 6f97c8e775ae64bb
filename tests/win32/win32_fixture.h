// The real Windows front end in this test process, under Wine: its window on the test display,
// MIDI through the recording winmm.dll beside the test program, message boxes answered by a timer.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "frontends/win32/win32_front_end.h"

// The folder of this test program, with its separator.
std::string testFolder();
// Lines of the recording winmm's log since the fixture began.
std::vector<std::string> midiCalls();
// The words of the short messages among them, in order.
std::vector<uint32_t> sentWords();

class Win32Test : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The start as WinMain does it; the window is then up and idle.
  void start();
  // Handles everything queued; notes the quit request when one comes.
  void pump();
  LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Answers every message box that comes up with the given button, remembering its text.
  void answerBoxes(int button = IDOK);

  std::string settingsPath() const { return testFolder() + "PLINKETT.SET"; }

  bool quitSeen_ = false;
  WPARAM exitCode_ = 0;
};

// Message boxes answered so far, with their captions, in order.
struct AnsweredBox {
  std::string caption;
  std::string text;
};
std::vector<AnsweredBox>& answeredBoxes();
