// Where the settings live: beside plinkett.exe when its folder can be written, as they always
// have, so a program on a USB stick carries its settings along. A folder that cannot be written
// (Program Files, a read-only share, a folder opened inside a zip) would lose every change
// without a word: the settings then live in %APPDATA%\Plinkett\, and until the first save there
// the settings beside the program (an administrator's, for every user) give the first start.
#include <windows.h>
// after windows.h, which they build on
#include <shlobj.h>

#include "frontends/win32/win32_front_end.h"

namespace {

struct SettingsPlace {
  std::wstring base;      // a path whose folder holds the settings
  std::wstring fallback;  // a path whose folder holds settings to start from, or empty
};

// %APPDATA%\Plinkett\, made when missing; empty when there is none.
std::wstring roamingSettingsFolder() {
  wchar_t appData[MAX_PATH] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, appData))) {
    return {};
  }
  const std::wstring folder = std::wstring(appData) + L"\\" + wideFromUtf8(program::kName);
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  return folder + L"\\";
}

// Found out once, at the start, by making there the temporary file a save makes.
SettingsPlace findSettingsPlace() {
  const std::wstring executable = modulePath();
  if (executable.empty() || canCreateFilesIn(folderOf(executable))) return SettingsPlace{executable, {}};
  const std::wstring roaming = roamingSettingsFolder();
  // Nowhere better: the saves fail there as they would have.
  if (roaming.empty()) return SettingsPlace{executable, {}};
  return SettingsPlace{roaming, executable};
}

const SettingsPlace& settingsPlace() {
  static const SettingsPlace place = findSettingsPlace();
  return place;
}

}  // namespace

namespace plat {

std::size_t settingsBasePath(char* buffer, std::size_t capacity) {
  return copyPathCut(settingsPlace().base, buffer, capacity);
}

std::size_t settingsFallbackBasePath(char* buffer, std::size_t capacity) {
  return copyPathCut(settingsPlace().fallback, buffer, capacity);
}

}  // namespace plat
