// Help, the web, and where the program lives.
#include <windows.h>
// after windows.h, which it builds on
#include <shellapi.h>

#include <string>

#include "frontends/win32/win32_front_end.h"

namespace {

constexpr wchar_t kGuideFolder[] = L"guide\\";  // shipped beside plinkett.exe
constexpr wchar_t kGuideIndex[] = L"index.html";
constexpr wchar_t kPageExtension[] = L".html";

bool isRegularFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// ShellExecute's result above 32 means the file was handed to a program that opens it.
bool shellOpen(const std::wstring& target) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(frontEnd().window, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

// The program's guide in the browser. The shell drops the #section of a file's address, so a
// section the help opens at is a page of its own beside the guide's index. When nothing can show
// the guide, the player is told where it is.
void openGuide(const char* section) {
  const std::wstring folder = folderOf(modulePath()) + kGuideFolder;
  const std::wstring index = folder + kGuideIndex;
  if (section != nullptr) {
    const std::wstring page = folder + wideFromUtf8(section) + kPageExtension;
    if (isRegularFile(page) && shellOpen(page)) return;
  }
  if (isRegularFile(index) && shellOpen(index)) return;
  const std::string where = text::kGuideIsTheFile + utf8FromWide(index);
  plat::messageBox(where.c_str(), plat::BoxStyle::WarningOk);
}

}  // namespace

namespace plat {

// The help file goes to the Windows help viewer when it is there. We ship none, and Windows since
// Vista cannot show one: then the program's HTML guide is opened instead.
void helpOpenContents(const char* helpPath) {
  const std::wstring path = widePath(helpPath);
  if (isRegularFile(path) && WinHelpW(frontEnd().window, path.c_str(), HELP_CONTENTS, 0)) {
    frontEnd().winHelpOpened = true;
    return;
  }
  openGuide(nullptr);
}

void helpOpenOwnHelp() { openGuide(guide::kUsingSection); }

// A viewer never asked for the help file has nothing to close.
void helpQuit(const char* helpPath) {
  if (frontEnd().winHelpOpened) WinHelpW(frontEnd().window, widePath(helpPath).c_str(), HELP_QUIT, 0);
}

void openUrl(const char* url) { ShellExecuteW(nullptr, L"open", wideFromUtf8(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL); }

std::size_t executablePath(char* buffer, std::size_t capacity) { return copyPathCut(modulePath(), buffer, capacity); }

}  // namespace plat
