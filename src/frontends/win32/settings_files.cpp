// The settings file on Windows: read only what is a file on a disk, and replace a file through a
// temporary in its own folder, so that a failure at any moment leaves the old bytes or the new
// ones, never a mixture and never nothing. Paths are in the ANSI code page, as
// GetModuleFileNameA gives them.
#include <string>

#include "frontends/win32/win32_front_end.h"

namespace {

constexpr DWORD kChunk = 1u << 16;

struct Handle {
  HANDLE h = INVALID_HANDLE_VALUE;
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  bool ok() const { return h != INVALID_HANDLE_VALUE; }
};

std::string folderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/:");
  if (cut == std::string::npos) return ".";
  return path.substr(0, cut + 1);
}

// The file a path finally names: a settings file that is a link keeps being the link, and its
// target gets the new content. A path that names nothing yet stays as it is.
std::string finalPath(const char* path) {
  Handle file;
  file.h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  if (!file.ok()) return path;
  char resolved[MAX_PATH * 4];
  const DWORD n = GetFinalPathNameByHandleA(file.h, resolved, sizeof resolved, FILE_NAME_NORMALIZED);
  if (n == 0 || n >= sizeof resolved) return path;
  std::string out(resolved, n);
  if (out.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + out.substr(8);
  if (out.rfind("\\\\?\\", 0) == 0) return out.substr(4);
  return out;
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

namespace plat {

std::size_t fileReadSmall(const char* path, uint8_t* buffer, std::size_t capacity) {
  if (path == nullptr || path[0] == '\0') return 0;
  // Others may read the file meanwhile, not write it.
  Handle file;
  file.h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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
  const std::string target = finalPath(path);
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;  // not ours to replace
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;   // made read-only: left alone
  }
  // A name no other file has, made (empty) in the target's own folder, so the move is a rename.
  char temporary[MAX_PATH];
  if (GetTempFileNameA(folderOf(target).c_str(), "PLK", 0, temporary) == 0) return false;
  bool written = false;
  {
    Handle file;
    file.h = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    written = file.ok() && writeAll(file.h, bytes, size) && FlushFileBuffers(file.h);
  }
  if (!written || !MoveFileExA(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temporary);
    return false;
  }
  return true;
}

}  // namespace plat
