// Drives the Linux front end's MIDI layer from the command line, with the environment it
// would see inside the program; the end-to-end tests use it to find a device's number and to
// play through a device without a window.
//
//   plinkett_midi_tool list                      "<id>\t<name>" per device, the mapper as -1
//   plinkett_midi_tool send <id> <item>...       opens the device, sends, closes
//        an item is a short-message word in hex (643C90 is note on 60 velocity 100)
//        or wait=<milliseconds>
// Exit status: 0 done, 1 the device did not open, 2 bad arguments.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/platform.h"

namespace {

int listDevices() {
  char name[plat::kDeviceNameSize];
  if (plat::midiOutProductName(-1, name)) std::printf("-1\t%s\n", name);
  const int32_t count = plat::midiOutCount();
  for (int32_t id = 0; id < count; ++id) {
    if (!plat::midiOutProductName(id, name)) std::strcpy(name, "?");
    std::printf("%d\t%s\n", id, name);
  }
  return 0;
}

int sendMessages(int argc, char** argv) {
  char* end = nullptr;
  const long id = std::strtol(argv[2], &end, 10);
  if (*end != '\0') return 2;
  plat::midiOutCount();
  plat::MidiHandle handle = 0;
  if (!plat::midiOutOpen(static_cast<int32_t>(id), handle)) {
    std::fprintf(stderr, "cannot open device %ld\n", id);
    return 1;
  }
  for (int i = 3; i < argc; ++i) {
    if (std::strncmp(argv[i], "wait=", 5) == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(argv[i] + 5)));
      continue;
    }
    const unsigned long word = std::strtoul(argv[i], &end, 16);
    if (*end != '\0') {
      plat::midiOutClose(handle);
      return 2;
    }
    plat::midiOutSend(handle, static_cast<uint32_t>(word));
  }
  plat::midiOutClose(handle);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "list") == 0) return listDevices();
  if (argc >= 3 && std::strcmp(argv[1], "send") == 0) return sendMessages(argc, argv);
  std::fprintf(stderr, "usage: %s list | send <id> <hex word | wait=ms>...\n", argv[0]);
  return 2;
}
