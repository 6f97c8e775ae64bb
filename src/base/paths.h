// Where a path's directory part ends: the one rule every path the program builds follows.
#pragma once

#include <cstddef>
#include <string_view>

// '\\' and ':' end a directory on Windows; '/' as well, so a Linux path is cut the same way.
constexpr bool isPathSeparator(char c) { return c == '\\' || c == ':' || c == '/'; }

// The length of the path's directory part: up to and including its last separator at index
// `from` or later; 0 when there is none there.
constexpr std::size_t directoryPartLength(std::string_view path, std::size_t from = 0) {
  for (std::size_t n = path.size(); n > from; --n) {
    if (isPathSeparator(path[n - 1])) return n;
  }
  return 0;
}
