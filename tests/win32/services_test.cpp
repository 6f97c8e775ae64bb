// Platform services that need no window: the executable's path as the core reads it, and the
// settings file's reading and replacing, in a folder named in the ANSI code page.
#include <cstring>

#include "app/paths.h"
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

// This test program copied into a folder whose path, separator included, has the given length,
// run there, and asked for the help path it builds.
std::string helpPathFromFolderOf(std::size_t length, std::string& folder) {
  char temp[MAX_PATH];
  folder = std::string(temp, GetTempPathA(sizeof temp, temp)) + "plk-help\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  folder += std::string(length - folder.size() - 1, 'd') + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string copy = folder + "win32_front_end_tests.exe";
  if (!CopyFileA(ownPath().c_str(), copy.c_str(), FALSE)) return "copy failed";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  CreatePipe(&readEnd, &writeEnd, &inherit, 0);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process{};
  std::string command = "\"" + copy + "\" --print-help-path";
  const BOOL started = CreateProcessA(copy.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
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
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(folder.c_str());
  return started ? out : "not started";
}

TEST(Win32Services, AFolderOf115CharactersHoldsTheHelpFileAndOneOf116DoesNot) {
  std::string folder;
  const std::string fits = helpPathFromFolderOf(115, folder);
  EXPECT_EQ(fits, folder + "plinkett.hlp");
  const std::string tooLong = helpPathFromFolderOf(116, folder);
  EXPECT_EQ(tooLong, folder + "?");
}

class Win32Files : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    folder_ = std::string(temp, GetTempPathA(sizeof temp, temp)) + "plk \x80uro files\\";  // "€uro" in code page 1252
    CreateDirectoryA(folder_.c_str(), nullptr);
    path_ = folder_ + "PLINKETT.SET";
  }
  void TearDown() override {
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path_.c_str());
    RemoveDirectoryA(path_.c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  std::vector<std::string> folderContents() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder_ + "*").c_str(), &found);
    while (search != INVALID_HANDLE_VALUE) {
      if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0) names.push_back(found.cFileName);
      if (!FindNextFileA(search, &found)) break;
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return names;
  }
  std::string read(std::size_t capacity = 64) {
    std::vector<uint8_t> buffer(capacity);
    return std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(plat::fileReadSmall(path_.c_str(), buffer.data(), capacity)));
  }
  bool replace(const std::string& bytes) {
    return plat::fileReplace(path_.c_str(), reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  std::string folder_;
  std::string path_;
};

TEST_F(Win32Files, AFileIsReplacedWholeWithNoTemporaryLeftBehind) {
  ASSERT_TRUE(replace("first content"));
  ASSERT_TRUE(replace("second"));
  EXPECT_EQ(read(), "second");
  EXPECT_EQ(read(3), "sec");
  EXPECT_EQ(folderContents(), std::vector<std::string>{"PLINKETT.SET"});
}

TEST_F(Win32Files, AReadOnlyFileIsLeftAlone) {
  ASSERT_TRUE(replace("kept"));
  SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(replace("lost"));
  EXPECT_EQ(read(), "kept");
  EXPECT_EQ(folderContents(), std::vector<std::string>{"PLINKETT.SET"});
}

TEST_F(Win32Files, AFolderAtThePathIsNeitherReadNorReplaced) {
  ASSERT_TRUE(CreateDirectoryA(path_.c_str(), nullptr));
  EXPECT_EQ(read(), "");
  EXPECT_FALSE(replace("bytes"));
  EXPECT_NE(GetFileAttributesA(path_.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(folderContents(), std::vector<std::string>{"PLINKETT.SET"});
}

}  // namespace
