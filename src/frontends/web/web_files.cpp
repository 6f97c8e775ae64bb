// Locations and files in the page: the page's own path stands for the executable's, and a
// "file" is an entry of the page's local storage named by its path, so two copies of the page
// on one site keep settings of their own.
#include <algorithm>

#include "frontends/web/web_imports.h"
#include "platform/platform.h"

namespace {

constexpr int32_t roomOf(std::size_t capacity) {
  return static_cast<int32_t>(std::min<std::size_t>(capacity, 0x7FFFFFFF));
}

}  // namespace

namespace plat {

std::size_t executablePath(char* buffer, std::size_t capacity) {
  if (capacity == 0) return 0;
  return static_cast<std::size_t>(pagePath(buffer, roomOf(capacity)));
}

std::size_t settingsBasePath(char* buffer, std::size_t capacity) { return executablePath(buffer, capacity); }

std::size_t settingsFallbackBasePath(char* buffer, std::size_t capacity) {
  if (capacity > 0) buffer[0] = '\0';
  return 0;
}

std::size_t fileReadSmall(const char* path, uint8_t* buffer, std::size_t capacity) {
  const int32_t n = pageStorageRead(path, buffer, roomOf(capacity));
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

bool fileReplace(const char* path, const uint8_t* bytes, std::size_t size) {
  return pageStorageWrite(path, bytes, roomOf(size)) != 0;
}

}  // namespace plat
