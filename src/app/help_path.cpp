#include "app/help_path.h"

#include <cstring>

#include "base/paths.h"
#include "base/texts.h"
#include "platform/platform.h"

namespace {

constexpr std::size_t kHelpReadLimit = 128;  // the executable's path is read with this limit

}  // namespace

void buildHelpPath(char* helpPath, std::size_t size) {
  if (size < kHelpReadLimit + 2) {  // room for a 127-character path, "?" and the terminator
    if (size > 0) helpPath[0] = '\0';
    return;
  }
  std::size_t n = plat::executablePath(helpPath, kHelpReadLimit);
  // The directory with its separator; index 0 is never looked at, and a path with no separator
  // after it stays whole.
  if (const std::size_t kept = directoryPartLength({helpPath, n}, 1); kept != 0) {
    helpPath[kept] = '\0';
    n = kept;
  }
  const std::size_t nameLength = std::strlen(text::kHelpFileName);
  if (n + nameLength + 1 <= kHelpReadLimit) {
    std::memcpy(helpPath + n, text::kHelpFileName, nameLength + 1);
  } else {
    helpPath[n] = '?';
    helpPath[n + 1] = '\0';
  }
}

bool helpPathNamesFile(const char* helpPath) {
  std::size_t n = std::strlen(helpPath);
  return n > 0 && helpPath[n - 1] != '?';
}
