// The core's strings are UTF-8; Windows takes and gives UTF-16 through its wide functions. Every
// text and path is converted here, at the line, so a folder or a device named in any script
// works, whatever the system's ANSI code page.
#include <algorithm>

#include "frontends/win32/win32_front_end.h"

namespace {

// Windows gives no path longer than this, \\?\ prefix included.
constexpr std::size_t kLongestPath = 32768;

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

bool startsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

std::wstring wideFromUtf8(const char* text) {
  if (text == nullptr || text[0] == '\0') return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), n);
  wide.resize(static_cast<std::size_t>(n - 1));
  return wide;
}

std::string utf8FromWide(const wchar_t* text, std::size_t length) {
  if (text == nullptr || length == 0) return {};
  const int wideLength = static_cast<int>(std::min<std::size_t>(length, kLongestPath));
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, wideLength, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

std::size_t copyWholeCharacters(const std::string& utf8, char* buffer, std::size_t capacity) {
  if (buffer == nullptr || capacity == 0) return 0;
  std::size_t n = std::min(utf8.size(), capacity - 1);
  // A character cut in half would name nothing the system knows: it goes whole or not at all.
  if (n < utf8.size()) {
    while (n > 0 && isContinuationByte(utf8[n])) --n;
  }
  std::copy_n(utf8.data(), n, buffer);
  buffer[n] = '\0';
  return n;
}

// A path longer than the buffer is cut at its byte, as the core expects of every path it asks for:
// it never uses a cut path's last part (it cuts back to the last separator, or gives up on a base
// that fills its room).
std::size_t copyPathCut(const std::wstring& path, char* buffer, std::size_t capacity) {
  if (buffer == nullptr || capacity == 0) return 0;
  const std::string utf8 = utf8FromWide(path);
  const std::size_t n = std::min(utf8.size(), capacity - 1);
  std::copy_n(utf8.data(), n, buffer);
  buffer[n] = '\0';
  return n;
}

std::wstring widePath(const char* path) {
  std::wstring wide = wideFromUtf8(path);
  // Beyond the classic limit only the \\?\ form of a full path reaches the file on every Windows.
  if (wide.size() < MAX_PATH || startsWith(wide, L"\\\\?\\")) return wide;
  if (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
  if (startsWith(wide, L"\\\\")) return L"\\\\?\\UNC\\" + wide.substr(2);
  return wide;
}

std::wstring modulePath() {
  // GetModuleFileNameW fills the buffer and stops when the path is longer: a bigger one, then.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    if (path.size() >= kLongestPath) return {};
    path.resize(path.size() * 2);
  }
}

std::wstring folderOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/:");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}
