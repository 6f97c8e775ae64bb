// The settings file on Windows: read only what is a file on a disk, and replace a file through a
// temporary in its own folder, so that a failure at any moment leaves the old bytes or the new
// ones, never a mixture and never nothing. Paths come in UTF-8 and go to the wide functions.
#include <string>

#include "frontends/win32/win32_front_end.h"

namespace {

constexpr DWORD kChunk = 1u << 16;
constexpr int kTemporaryNameTries = 100;

struct Handle {
  HANDLE h = INVALID_HANDLE_VALUE;
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  bool ok() const { return h != INVALID_HANDLE_VALUE; }
};

// The file a path finally names: a settings file that is a link keeps being the link, and its
// target gets the new content. A path that names nothing yet stays as it is.
std::wstring finalPath(const std::wstring& path) {
  Handle file;
  file.h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  if (!file.ok()) return path;
  const DWORD needed = GetFinalPathNameByHandleW(file.h, nullptr, 0, FILE_NAME_NORMALIZED);
  if (needed == 0) return path;
  std::wstring resolved(needed, L'\0');
  const DWORD n = GetFinalPathNameByHandleW(file.h, resolved.data(), needed, FILE_NAME_NORMALIZED);
  if (n == 0 || n >= needed) return path;
  resolved.resize(n);
  return resolved;  // in the \\?\ form, which reaches any length
}

// A new, empty file of a name no other file has, in the folder, open for writing. GetTempFileName
// would do it for folders shorter than the classic path limit only.
HANDLE createTemporaryIn(const std::wstring& folder, std::wstring& name) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    wchar_t unique[32];
    wsprintfW(unique, L"PLK%lX%X.tmp", GetCurrentProcessId(), counter++);
    name = folder + unique;
    HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  name.clear();
  return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE file, const uint8_t* bytes, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = size < kChunk ? static_cast<DWORD>(size) : kChunk;
    DWORD written = 0;
    if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

}  // namespace

bool canCreateFilesIn(const std::wstring& folder) {
  std::wstring name;
  HANDLE file = createTemporaryIn(folder, name);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  DeleteFileW(name.c_str());
  return true;
}

namespace plat {

std::size_t fileReadSmall(const char* path, uint8_t* buffer, std::size_t capacity) {
  if (path == nullptr || path[0] == '\0') return 0;
  // Others may read the file meanwhile, not write it.
  Handle file;
  file.h = CreateFileW(widePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  // A folder does not open this way; a pipe or a device is no file on a disk.
  if (!file.ok() || GetFileType(file.h) != FILE_TYPE_DISK) return 0;
  std::size_t total = 0;
  while (total < capacity) {
    const std::size_t left = capacity - total;
    DWORD got = 0;
    if (!ReadFile(file.h, buffer + total, left < kChunk ? static_cast<DWORD>(left) : kChunk, &got, nullptr) || got == 0) {
      break;
    }
    total += got;
  }
  return total;
}

bool fileReplace(const char* path, const uint8_t* bytes, std::size_t size) {
  if (path == nullptr || path[0] == '\0') return false;
  const std::wstring target = finalPath(widePath(path));
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;  // not ours to replace
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;   // made read-only: left alone
  }
  // Made in the target's own folder, so the move is a rename.
  std::wstring temporary;
  bool written = false;
  {
    Handle file;
    file.h = createTemporaryIn(folderOf(target), temporary);
    if (!file.ok()) return false;
    written = writeAll(file.h, bytes, size) && FlushFileBuffers(file.h);
  }
  if (!written || !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace plat
