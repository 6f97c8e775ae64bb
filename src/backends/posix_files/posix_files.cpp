// The settings file on a POSIX system: read only what is a regular file, and replace a file so
// that a crash, a full disk or a failed write at any moment leaves either the old bytes or the
// new ones, never a mixture and never nothing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace {

// Links followed before a path counts as a loop.
constexpr int kMaxLinks = 40;

std::string directoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path finally names: a settings file that is a link (to a dotfiles repository, say)
// keeps being the link, and its target is what gets the new content. A dangling link names its
// target, which the save then creates.
bool resolveLinks(std::string& path) {
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    char target[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    if (n < 0) return false;
    target[n] = '\0';
    path = target[0] == '/' ? std::string(target) : directoryOf(path) + "/" + target;
  }
  return false;
}

bool writeAll(int fd, const uint8_t* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The rename is only lasting once the directory that holds it is on the disk.
void syncDirectory(const std::string& directory) {
  const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

mode_t newFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

namespace plat {

std::size_t fileReadSmall(const char* path, uint8_t* buffer, std::size_t capacity) {
  if (path == nullptr || path[0] == '\0') return 0;
  // Non-blocking, so that a pipe at this path cannot hold the start-up; it is refused below.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return 0;
  struct stat st {};
  std::size_t total = 0;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    while (total < capacity) {
      const ssize_t n = read(fd, buffer + total, capacity - total);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      total += static_cast<std::size_t>(n);
    }
  }
  close(fd);
  return total;
}

bool fileReplace(const char* path, const uint8_t* bytes, std::size_t size) {
  if (path == nullptr || path[0] == '\0') return false;
  std::string target = path;
  if (!resolveLinks(target)) return false;
  mode_t mode = newFileMode();
  struct stat st {};
  if (stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return false;  // a folder or a pipe is not ours to replace
    // Made read-only by its owner: left as it is, also for a user (root) whom the system would
    // let write anyway.
    if ((st.st_mode & S_IWUSR) == 0) return false;
    mode = st.st_mode & 07777;
  }
  // A name no other file has, so a stale temporary of any kind (even a folder) cannot be in the way.
  std::string temporary = target + ".XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool written = writeAll(fd, bytes, size);
  written = fchmod(fd, mode) == 0 && written;
  written = fsync(fd) == 0 && written;
  written = close(fd) == 0 && written;
  if (!written || rename(temporary.c_str(), target.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  syncDirectory(directoryOf(target));
  return true;
}

}  // namespace plat
