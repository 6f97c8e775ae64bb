// Looks at the program's windows from the Windows side, for the end-to-end tests: run in the same
// Wine prefix (so the same window server), it sees what X cannot (a message box's text, the
// client area's place inside the window).
//   win_probe box CAPTION [MS]   waits for a visible message box with that caption and prints its
//                                text ("\n" written as \n) and its buttons' texts
//   win_probe window [MS]        waits for the visible main window (class "Plinkett") and prints
//                                "window L T R B client X Y W H": its outer rectangle and its
//                                client area's screen origin and size
//   win_probe hold               keeps a hidden window until the Wine server ends: while one
//                                lives, Wine's desktop process stays, and no test starts its own
// Exit status 0 when found, 1 when not within MS milliseconds (default 10000).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND waitFor(const char* className, const char* caption, int ms) {
  for (int waited = 0; waited <= ms; waited += 20) {
    HWND found = FindWindowA(className, caption);
    if (found != nullptr && IsWindowVisible(found)) return found;
    Sleep(20);
  }
  return nullptr;
}

std::string escaped(const char* text) {
  std::string out;
  for (const char* p = text; *p != '\0'; ++p) out += *p == '\n' ? std::string("\\n") : *p == '\r' ? std::string() : std::string(1, *p);
  return out;
}

BOOL CALLBACK printChild(HWND child, LPARAM) {
  char className[64] = "";
  char text[1024] = "";
  GetClassNameA(child, className, sizeof className);
  GetWindowTextA(child, text, sizeof text);
  if (std::strcmp(className, "Static") == 0 && text[0] != '\0') std::printf("text %s\n", escaped(text).c_str());
  if (std::strcmp(className, "Button") == 0) std::printf("button %d %s\n", GetDlgCtrlID(child), escaped(text).c_str());
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string command = argv[1];
  if (command == "box" && argc >= 3) {
    HWND box = waitFor("#32770", argv[2], argc >= 4 ? std::atoi(argv[3]) : 10000);
    if (box == nullptr) return 1;
    EnumChildWindows(box, printChild, 0);
    return 0;
  }
  if (command == "window") {
    HWND window = waitFor("Plinkett", nullptr, argc >= 3 ? std::atoi(argv[2]) : 10000);
    if (window == nullptr) return 1;
    RECT outer{};
    RECT client{};
    POINT origin{0, 0};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    ClientToScreen(window, &origin);
    std::printf("window %ld %ld %ld %ld client %ld %ld %ld %ld\n", outer.left, outer.top, outer.right, outer.bottom,
                origin.x, origin.y, client.right, client.bottom);
    return 0;
  }
  if (command == "hold") {
    CreateWindowExA(0, "STATIC", "plinkett test desktop keeper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
  }
  return 2;
}
