#include "settings/file_sync.h"

// The one place where the core needs more than the C library: without a sync, a crash or power
// loss just after the rename can leave a renamed file whose data never reached the disk, which
// is the empty or shortened settings file the rename was meant to prevent.
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

bool syncFileToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
#if defined(_WIN32)
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}
