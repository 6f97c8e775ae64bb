#include "win32_fixture.h"

#include <fstream>

namespace {

int gAnswer = IDOK;
UINT_PTR gAnswerTimer = 0;
std::vector<AnsweredBox> gBoxes;

std::string logPath() { return testFolder() + "winmm_test.log"; }

BOOL CALLBACK answerIfBox(HWND window, LPARAM) {
  char className[16] = "";
  GetClassNameA(window, className, sizeof className);
  if (std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
  char caption[256] = "";
  char text[1024] = "";
  GetWindowTextA(window, caption, sizeof caption);
  GetDlgItemTextA(window, 0xFFFF, text, sizeof text);  // a message box's text
  gBoxes.push_back(AnsweredBox{caption, text});
  PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(gAnswer), 0);
  return FALSE;
}

// Runs inside the box's own modal loop.
void CALLBACK answerTick(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), answerIfBox, 0); }

}  // namespace

std::vector<AnsweredBox>& answeredBoxes() { return gBoxes; }

std::string testFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\') + 1);
}

std::vector<std::string> midiCalls() {
  std::ifstream in(logPath());
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<uint32_t> sentWords() {
  std::vector<uint32_t> words;
  for (const std::string& line : midiCalls()) {
    unsigned long long handle = 0;
    unsigned long word = 0;
    if (std::sscanf(line.c_str(), "midiOutShortMsg 0x%llX 0x%lX", &handle, &word) == 2) words.push_back(word);
  }
  return words;
}

void Win32Test::SetUp() {
  static bool registered = false;
  if (!registered) registerMainWindowClass(GetModuleHandleA(nullptr));
  registered = true;
  resetAppState();
  gBoxes.clear();
  DeleteFileA(settingsPath().c_str());
  DeleteFileA((testFolder() + "PLINKETT.DEV").c_str());
  DeleteFileA(logPath().c_str());
  SetEnvironmentVariableA("PLINKETT_WINMM_LOG", logPath().c_str());
  SetEnvironmentVariableA("PLINKETT_WINMM_NAMES", nullptr);
}

void Win32Test::TearDown() {
  if (frontEnd().window != nullptr) DestroyWindow(frontEnd().window);
  pump();
  if (gAnswerTimer != 0) KillTimer(nullptr, gAnswerTimer);
  gAnswerTimer = 0;
  DeleteFileA(settingsPath().c_str());
  DeleteFileA((testFolder() + "PLINKETT.DEV").c_str());
}

void Win32Test::start() {
  ASSERT_EQ(startFrontEnd(GetModuleHandleA(nullptr), SW_SHOWNORMAL), StartResult::Shown);
  pump();
}

void Win32Test::pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quitSeen_ = true;
      exitCode_ = msg.wParam;
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

LRESULT Win32Test::send(UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(frontEnd().window, message, wParam, lParam);
}

void Win32Test::answerBoxes(int button) {
  gAnswer = button;
  if (gAnswerTimer == 0) gAnswerTimer = SetTimer(nullptr, 0, 20, answerTick);
}
