// Help, the web, and where the program and its settings live: beside the executable.
#include <windows.h>
// after windows.h, which it builds on
#include <shellapi.h>

#include <algorithm>
#include <string>

#include "frontends/win32/win32_front_end.h"

namespace {

constexpr char kGuideFile[] = "guide\\index.html";  // shipped beside plinkett.exe
constexpr std::size_t kLongestModulePath = 32768;

bool isRegularFile(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string executableDirectory() {
  std::string path(kLongestModulePath, '\0');
  path.resize(plat::executablePath(path.data(), path.size()));
  const std::size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// ShellExecute's result above 32 means the file was handed to a program that opens it.
bool shellOpen(const std::string& target) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(frontEnd().window, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

// A file URL for the browser: the ANSI path as UTF-8, with everything but plain characters
// escaped, so a folder named in any language (or with spaces) survives.
std::string fileUrl(const std::string& ansiPath, const char* section) {
  std::wstring wide(ansiPath.size() + 1, L'\0');
  wide.resize(static_cast<std::size_t>(
      std::max(0, MultiByteToWideChar(CP_ACP, 0, ansiPath.c_str(), -1, wide.data(), static_cast<int>(wide.size())) - 1)));
  std::string utf8(wide.size() * 4 + 1, '\0');
  utf8.resize(static_cast<std::size_t>(std::max(
      0, WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr) - 1)));
  std::string url = "file:///";
  constexpr char kHex[] = "0123456789ABCDEF";
  for (unsigned char c : utf8) {
    if (c == '\\') {
      url += '/';
    } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || std::string("-._~/:").find(static_cast<char>(c)) != std::string::npos) {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 0xF];
    }
  }
  return url + "#" + section;
}

// The program's guide in the browser: at a section when the browser takes one, else at its top.
// When nothing can show it, the player is told where it is.
void openGuide(const char* section) {
  const std::string guide = executableDirectory() + kGuideFile;
  if (isRegularFile(guide.c_str())) {
    if (section != nullptr && shellOpen(fileUrl(guide, section))) return;
    if (shellOpen(guide)) return;
  }
  const std::string where = text::kGuideIsTheFile + guide;
  plat::messageBox(where.c_str(), plat::BoxStyle::WarningOk);
}

}  // namespace

namespace plat {

// The help file goes to the Windows help viewer when it is there. We ship none, and Windows since
// Vista cannot show one: then the program's HTML guide is opened instead.
void helpOpenContents(const char* helpPath) {
  if (isRegularFile(helpPath) && WinHelpA(frontEnd().window, helpPath, HELP_CONTENTS, 0)) {
    frontEnd().winHelpOpened = true;
    return;
  }
  openGuide(nullptr);
}

void helpOpenOwnHelp() { openGuide(guide::kUsingSection); }

// A viewer never asked for the help file has nothing to close.
void helpQuit(const char* helpPath) {
  if (frontEnd().winHelpOpened) WinHelpA(frontEnd().window, helpPath, HELP_QUIT, 0);
}

void openUrl(const char* url) { ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOWNORMAL); }

// GetModuleFileNameA reports a cut path as the buffer's whole size, and leaves it unterminated on
// older systems.
std::size_t executablePath(char* buffer, std::size_t capacity) {
  if (buffer == nullptr || capacity == 0) return 0;
  const auto size = static_cast<DWORD>(std::min<std::size_t>(capacity, kLongestModulePath));
  const std::size_t length = std::min<std::size_t>(GetModuleFileNameA(nullptr, buffer, size), size - 1);
  buffer[length] = '\0';
  return length;
}

std::size_t settingsBasePath(char* buffer, std::size_t capacity) { return executablePath(buffer, capacity); }

}  // namespace plat
