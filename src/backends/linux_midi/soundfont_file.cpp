#include "backends/linux_midi/soundfont_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "backends/linux_midi/midi_names.h"
#include "backends/linux_midi/midi_trouble.h"

namespace {

// Bytes of the file kept in memory from the load.
struct KeptBytes {
  uint64_t at = 0;
  std::vector<char> bytes;
};

}  // namespace

struct HeldSoundFont {
  std::string path;
  std::string name;  // the path and the number of this hold: a file found again is held anew
  int fd = -1;
  uint64_t size = 0;  // as at the first open: FluidSynth checks every later open against it
  uint64_t sdtaAt = 0, sdtaSize = 0;  // the LIST chunk of the sample data
  uint64_t pdtaAt = 0, pdtaSize = 0;  // the LIST chunk of the presets, instruments and samples
  std::vector<KeptBytes> kept;        // every byte FluidSynth parses; the rest is sample data
  std::atomic<bool> reported{false};
};

namespace {

struct Handle {
  HeldSoundFont* font;
  uint64_t position;
};

// The held files. Never destroyed: a load still running when the process ends reads through it.
struct Registry {
  std::mutex lock;
  std::vector<HeldSoundFont*> fonts;  // (lock)
  uint64_t holds = 0;                 // (lock)
};

Registry& registry() {
  static Registry* const r = new Registry;
  return *r;
}

bool readAt(int fd, uint64_t at, char* bytes, uint64_t count) {
  while (count > 0) {
    const ssize_t n = pread(fd, bytes, count, static_cast<off_t>(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    at += static_cast<uint64_t>(n);
    count -= static_cast<uint64_t>(n);
  }
  return true;
}

bool keep(HeldSoundFont& font, uint64_t at, uint64_t count) {
  KeptBytes kept{at, std::vector<char>(count)};
  if (!readAt(font.fd, at, kept.bytes.data(), count)) return false;
  font.kept.push_back(std::move(kept));
  return true;
}

// A chunk header at at: its id, its size, and the four bytes after it (a RIFF or LIST type).
bool chunkAt(const HeldSoundFont& font, uint64_t at, const char* id, const char* type, uint64_t& size) {
  uint8_t header[12];
  if (at + sizeof header > font.size || !readAt(font.fd, at, reinterpret_cast<char*>(header), sizeof header)) {
    return false;
  }
  size = uint64_t{header[4]} | uint64_t{header[5]} << 8 | uint64_t{header[6]} << 16 | uint64_t{header[7]} << 24;
  return std::memcmp(header, id, 4) == 0 && (type == nullptr || std::memcmp(header + 8, type, 4) == 0);
}

bool hasSoundFontLayout(HeldSoundFont& font) {
  uint64_t size = 0;
  if (!chunkAt(font, 0, "RIFF", "sfbk", size) || size + 8 != font.size) return false;
  uint64_t at = 12;
  for (const char* type : {"INFO", "sdta", "pdta"}) {
    if (!chunkAt(font, at, "LIST", type, size) || at + 8 + size > font.size) return false;
    if (std::strcmp(type, "sdta") == 0) {
      font.sdtaAt = at;
      font.sdtaSize = size;
    } else if (std::strcmp(type, "pdta") == 0) {
      font.pdtaAt = at;
      font.pdtaSize = size;
    }
    at += 8 + size + (size & 1);
  }
  return true;
}

// Once for the file: what the player hears (or does not) and why.
void reportUnreadable(HeldSoundFont& font) {
  if (font.reported.exchange(true)) return;
  reportMidiTrouble(kSynthName, "silent in part",
                    "cannot read the soundfont " + font.path +
                        " any more (it was changed while in use): the instruments it had not read yet stay silent");
}

const KeptBytes* keptAtOrAfter(const HeldSoundFont& font, uint64_t at) {
  for (const KeptBytes& kept : font.kept) {
    if (at < kept.at + kept.bytes.size()) return &kept;
  }
  return nullptr;
}

}  // namespace

HeldSoundFont* holdSoundFont(const char* path) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  auto* font = new HeldSoundFont;
  font->path = path;
  font->fd = fd;
  struct stat info {};
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  font->size = regular ? static_cast<uint64_t>(info.st_size) : 0;
  if (!regular || !hasSoundFontLayout(*font)) {
    close(fd);
    delete font;
    return nullptr;
  }
  Registry& r = registry();
  const std::lock_guard<std::mutex> guard(r.lock);
  font->name = font->path + "#" + std::to_string(++r.holds);
  r.fonts.push_back(font);
  return font;
}

bool readSoundFontLayout(HeldSoundFont& font) {
  // The header, the INFO list and the sample data's list header; then the header of each chunk
  // of the sample data (its samples, perhaps their 24-bit extension), not the data itself; then
  // the presets, instruments and sample headers whole.
  if (!keep(font, 0, font.sdtaAt + 12)) return false;
  const uint64_t end = font.sdtaAt + 8 + font.sdtaSize;
  for (uint64_t at = font.sdtaAt + 12; at + 8 <= end;) {
    if (!keep(font, at, 8)) return false;
    const auto* header = reinterpret_cast<const uint8_t*>(font.kept.back().bytes.data());
    const uint64_t size = uint64_t{header[4]} | uint64_t{header[5]} << 8 | uint64_t{header[6]} << 16 |
                          uint64_t{header[7]} << 24;
    at += 8 + size + (size & 1);
  }
  return keep(font, font.pdtaAt, 8 + font.pdtaSize);
}

const char* heldSoundFontName(const HeldSoundFont& font) { return font.name.c_str(); }

void releaseSoundFont(HeldSoundFont* font) {
  if (font == nullptr) return;
  Registry& r = registry();
  {
    const std::lock_guard<std::mutex> guard(r.lock);
    r.fonts.erase(std::remove(r.fonts.begin(), r.fonts.end(), font), r.fonts.end());
  }
  close(font->fd);
  delete font;
}

void* soundFontOpen(const char* name) {
  Registry& r = registry();
  const std::lock_guard<std::mutex> guard(r.lock);
  for (HeldSoundFont* font : r.fonts) {
    if (font->name == name) return new Handle{font, 0};
  }
  return nullptr;
}

int soundFontRead(void* buffer, fluid_long_long_t count, void* handle) {
  auto& h = *static_cast<Handle*>(handle);
  HeldSoundFont& font = *h.font;
  if (count < 0) return FLUID_FAILED;
  auto* out = static_cast<char*>(buffer);
  uint64_t at = h.position;
  auto left = static_cast<uint64_t>(count);
  while (left > 0) {
    const KeptBytes* kept = keptAtOrAfter(font, at);
    uint64_t n = 0;
    if (kept != nullptr && at >= kept->at) {
      n = std::min(left, kept->at + kept->bytes.size() - at);
      std::memcpy(out, kept->bytes.data() + (at - kept->at), n);
    } else {
      // Sample data, from the file as it is now: it must still be all there.
      n = kept != nullptr ? std::min(left, kept->at - at) : left;
      if (at + n > font.size || !readAt(font.fd, at, out, n)) {
        reportUnreadable(font);
        return FLUID_FAILED;
      }
    }
    out += n;
    at += n;
    left -= n;
  }
  h.position = at;
  return FLUID_OK;
}

int soundFontSeek(void* handle, fluid_long_long_t offset, int origin) {
  auto& h = *static_cast<Handle*>(handle);
  long long base = 0;
  switch (origin) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<long long>(h.position); break;
    case SEEK_END: base = static_cast<long long>(h.font->size); break;
    default: return FLUID_FAILED;
  }
  if (base + offset < 0) return FLUID_FAILED;
  h.position = static_cast<uint64_t>(base + offset);
  return FLUID_OK;
}

fluid_long_long_t soundFontTell(void* handle) {
  return static_cast<fluid_long_long_t>(static_cast<Handle*>(handle)->position);
}

int soundFontClose(void* handle) {
  delete static_cast<Handle*>(handle);
  return FLUID_OK;
}
