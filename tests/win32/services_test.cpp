// Platform services that need no window: the executable's path as the core reads it, and the
// settings file's reading and replacing.
#include <cstring>
#include <cwchar>

#include "app/help_path.h"
#include "win32_fixture.h"

namespace {

std::string ownPath() {
  char path[MAX_PATH];
  return std::string(path, GetModuleFileNameA(nullptr, path, sizeof path));
}

TEST(Win32Services, TheExecutablePathIsCutToTheBufferAndTerminated) {
  const std::string whole = ownPath();
  for (std::size_t capacity : {whole.size() + 1, whole.size(), std::size_t{5}, std::size_t{1}}) {
    std::vector<char> buffer(capacity + 1, 'x');
    const std::size_t n = plat::executablePath(buffer.data(), capacity);
    EXPECT_EQ(n, std::min(whole.size(), capacity - 1)) << capacity;
    EXPECT_EQ(std::string(buffer.data()), whole.substr(0, n)) << capacity;
    EXPECT_EQ(buffer[capacity], 'x') << "wrote past the buffer of " << capacity;
  }
}

std::wstring temporaryFolder() {
  wchar_t temp[MAX_PATH];
  return std::wstring(temp, GetTempPathW(MAX_PATH, temp));
}

// Beyond the classic path limit the file functions take the \\?\ form.
std::wstring longForm(const std::wstring& path) { return L"\\\\?\\" + path; }

// A folder (a path ending in its separator) and its parents.
void makeFolder(const std::wstring& folder) {
  for (std::size_t cut = folder.find(L'\\', 3); cut != std::wstring::npos; cut = folder.find(L'\\', cut + 1)) {
    CreateDirectoryW(longForm(folder.substr(0, cut)).c_str(), nullptr);
  }
}

// This test program copied into a folder (made, with its parents), run there with the argument,
// and what it printed.
std::string runCopyIn(const std::wstring& folder, const wchar_t* argument) {
  makeFolder(folder);
  const std::wstring copy = folder + L"win32_front_end_tests.exe";
  wchar_t own[MAX_PATH];
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  if (!CopyFileW(own, longForm(copy).c_str(), FALSE)) return "copy failed";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  CreatePipe(&readEnd, &writeEnd, &inherit, 0);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  std::wstring command = L"\"" + copy + L"\" " + argument;
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &process);
  CloseHandle(writeEnd);
  std::string out;
  char chunk[512];
  DWORD got = 0;
  while (started && ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) out.append(chunk, got);
  CloseHandle(readEnd);
  if (started) {
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  DeleteFileW(longForm(copy).c_str());
  RemoveDirectoryW(longForm(folder).c_str());
  return started ? out : "not started";
}

// In a folder whose path, separator included, has the given length.
std::string helpPathFromFolderOf(std::size_t length, std::string& folder) {
  std::wstring wide = temporaryFolder() + L"plk-help\\";
  wide += std::wstring(length - wide.size() - 1, L'd') + L"\\";
  folder = utf8FromWide(wide);
  return runCopyIn(wide, L"--print-help-path");
}

TEST(Win32Services, AFolderOf115CharactersHoldsTheHelpFileAndOneOf116DoesNot) {
  std::string folder;
  const std::string fits = helpPathFromFolderOf(115, folder);
  EXPECT_EQ(fits, folder + "plinkett.hlp");
  const std::string tooLong = helpPathFromFolderOf(116, folder);
  EXPECT_EQ(tooLong, folder + "?");
}

TEST(Win32Services, ASettingsFileBeyondTheClassicPathLimitIsReplacedAndRead) {
  // Each name within what a Linux disk under Wine takes (255 bytes of UTF-8).
  const std::wstring outer = temporaryFolder() + L"plk-long\\" + std::wstring(120, L'd');
  const std::wstring middle = outer + L"\\" + std::wstring(100, L'\u0436');
  const std::wstring folder = middle + L"\\" + std::wstring(60, L'e') + L"\\";
  makeFolder(folder);
  const std::string path = utf8FromWide(folder + L"PLINKETT.SET");
  ASSERT_GT(path.size(), static_cast<std::size_t>(MAX_PATH));
  const std::string bytes = "beyond the limit";
  EXPECT_TRUE(plat::fileReplace(path.c_str(), reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  EXPECT_TRUE(plat::fileReplace(path.c_str(), reinterpret_cast<const uint8_t*>(bytes.data()), 6));
  uint8_t read[64] = {};
  EXPECT_EQ(plat::fileReadSmall(path.c_str(), read, sizeof read), 6u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(read), 6), "beyond");
  DeleteFileW(longForm(folder + L"PLINKETT.SET").c_str());
  for (const std::wstring& made : {folder.substr(0, folder.size() - 1), middle, outer}) {
    EXPECT_TRUE(RemoveDirectoryW(longForm(made).c_str())) << "something was left beside the file";
  }
}

// In a folder named in Cyrillic (outside any code page that also holds "€") and with a euro sign:
// the core's UTF-8 paths reach the files whatever the system's ANSI code page.
class Win32Files : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    folder_ = std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + L"plk \u20ACuro \u0401\u043B\u043A\u0430 files\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    path_ = folder_ + L"PLINKETT.SET";
  }
  void TearDown() override {
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path_.c_str());
    RemoveDirectoryW(path_.c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  std::vector<std::wstring> folderContents() {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder_ + L"*").c_str(), &found);
    while (search != INVALID_HANDLE_VALUE) {
      if (std::wcscmp(found.cFileName, L".") != 0 && std::wcscmp(found.cFileName, L"..") != 0) names.push_back(found.cFileName);
      if (!FindNextFileW(search, &found)) break;
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
  }
  std::string utf8Path() const { return utf8FromWide(path_); }
  std::string read(std::size_t capacity = 64) {
    std::vector<uint8_t> buffer(capacity);
    return std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(plat::fileReadSmall(utf8Path().c_str(), buffer.data(), capacity)));
  }
  bool replace(const std::string& bytes) {
    return plat::fileReplace(utf8Path().c_str(), reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  std::wstring folder_;
  std::wstring path_;
};

TEST_F(Win32Files, AFileIsReplacedWholeWithNoTemporaryLeftBehind) {
  ASSERT_TRUE(replace("first content"));
  ASSERT_TRUE(replace("second"));
  EXPECT_EQ(read(), "second");
  EXPECT_EQ(read(3), "sec");
  EXPECT_EQ(folderContents(), std::vector<std::wstring>{L"PLINKETT.SET"});
}

TEST_F(Win32Files, AReadOnlyFileIsLeftAlone) {
  ASSERT_TRUE(replace("kept"));
  SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(replace("lost"));
  EXPECT_EQ(read(), "kept");
  EXPECT_EQ(folderContents(), std::vector<std::wstring>{L"PLINKETT.SET"});
}

TEST_F(Win32Files, AFolderAtThePathIsNeitherReadNorReplaced) {
  ASSERT_TRUE(CreateDirectoryW(path_.c_str(), nullptr));
  EXPECT_EQ(read(), "");
  EXPECT_FALSE(replace("bytes"));
  EXPECT_NE(GetFileAttributesW(path_.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(folderContents(), std::vector<std::wstring>{L"PLINKETT.SET"});
}

}  // namespace
