// The Linux desktop program's entry.
#include <fontconfig/fontconfig.h>
#include <pthread.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "backends/linux_midi/midi_devices.h"
#include "backends/start_trace/start_trace.h"
#include "frontends/qt/qt_front_end.h"
#include "frontends/qt/qt_signals.h"
#include "platform/events.h"

namespace {

constexpr const char* kUsage =
    "Usage: plinkett [OPTION]\n"
    "Turns the computer keyboard and mouse into a MIDI keyboard.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "The options of Qt programs (such as -platform) are understood too.\n"
    "\n"
    "Environment:\n"
    "  PLINKETT_MIDI_APIS=LIST        the MIDI systems offered: alsa, jack, alsa,jack (the\n"
    "                                 default) or none\n"
    "  PLINKETT_NO_BUILTIN_SYNTH=1    no built-in synthesizer, and no default route to it\n"
    "  PLINKETT_SYNTH_AUDIO_DRIVER=D  the built-in synthesizer's one audio output (pipewire,\n"
    "                                 pulseaudio, alsa, jack, ...)\n"
    "  PLINKETT_TRACE_START=1         each step of the start, with its time, on standard\n"
    "                                 error\n"
    "Why a device does not open is said on standard error.\n"
    "\n"
    "Settings: $XDG_CONFIG_HOME/plinkett/PLINKETT.SET, else ~/.config/plinkett/PLINKETT.SET.\n"
    "The user's guide: Help > Index, or share/plinkett/guide/index.html under the install prefix.\n";

// Answers --help and --version, which need no display; false when the program is to start.
bool answeredCommandLine(int argc, char** argv, int& code) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      code = 0;
      return true;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("plinkett %s\n", program::kVersion);
      code = 0;
      return true;
    }
  }
  return false;
}

// Qt aborts with a long message when it finds no display; a user deserves one plain line.
bool displayAvailable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform != nullptr && (std::strncmp(platform, "offscreen", 9) == 0 ||
                              std::strncmp(platform, "minimal", 7) == 0 || std::strncmp(platform, "vnc", 3) == 0)) {
    return true;
  }
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

}  // namespace

int main(int argc, char** argv) {
  traceStartBegins();
  if (int code = 0; answeredCommandLine(argc, argv, code)) return code;
  if (!displayAvailable()) {
    std::fputs("plinkett: no graphical display found (DISPLAY/WAYLAND_DISPLAY is not set)\n", stderr);
    return 1;
  }
  // Slow parts of the start run beside the toolkit's own: the MIDI client's opening, and
  // fontconfig reading its configuration (5 to 10 ms of XML), which the toolkit would otherwise
  // do when the window asks for its first font. Fontconfig keeps the first configuration
  // finished, so the toolkit's own call then returns at once. Two threads loading it at the same
  // time corrupt its global state (the start then hung), so the reading must be over before the
  // window exists: the toolkit's first font call comes with the window, never before.
  startListingEarly();
  // The settings are known before the toolkit starts: a device slow to open (the built-in
  // synthesizer) begins opening now, beside the toolkit, and the start takes it up.
  int32_t device = 0;
  char deviceName[plat::kDeviceNameSize] = {};
  if (deviceOpenedAtStart(device, deviceName)) prepareDeviceEarly(device, deviceName);
  std::thread fonts([] {
    pthread_setname_np(pthread_self(), "plinkett-fonts");
    FcInit();
    traceStart("fontconfig read");
  });
  QApplication application(argc, argv);
  traceStart("toolkit up");
  fonts.join();
  QApplication::setApplicationName("plinkett");
  // The window's identity on Wayland: the desktop matches it to the desktop entry and its icon.
  QGuiApplication::setDesktopFileName("org.example.plinkett");
  QApplication::setQuitOnLastWindowClosed(false);  // the shutdown sequence posts the quit itself
  closeWindowOnEndingSignals();
  int code = 0;
  const bool started = startFrontEnd();
  endEarlyDevice();
  if (started) {
    silencePortAtAbruptExit();
    code = QApplication::exec();
  }
  code = frontEnd().exitCode;
  stopFrontEnd();
  return code;
}
