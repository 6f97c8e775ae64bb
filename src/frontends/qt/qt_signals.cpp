#include "frontends/qt/qt_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

#include "frontends/qt/qt_front_end.h"
#include "platform/events.h"
#include "platform/platform.h"

namespace {

// A signal handler may do almost nothing: it writes the signal's number here, and the event
// loop reads it and closes the window as the close box does.
int gSignalPipe[2] = {-1, -1};

void onEndingSignal(int number) {
  const char byte = static_cast<char>(number);
  [[maybe_unused]] ssize_t written = write(gSignalPipe[1], &byte, 1);
}

void closeForSignal() {
  char byte = 0;
  [[maybe_unused]] ssize_t n = read(gSignalPipe[0], &byte, 1);
  if (frontEnd().destroyed) return;
  // The same road as the close box: the shutdown sequence saves and silences, then the loop ends.
  plat::windowClose();
}

void silenceOnExit() { onAbruptEnd(); }

}  // namespace

void closeWindowOnEndingSignals() {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, [] { closeForSignal(); });
  struct sigaction action {};
  action.sa_handler = onEndingSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
}

void silencePortAtAbruptExit() {
  // Registered after the MIDI back end's own objects exist, so that they outlive this handler.
  std::atexit(silenceOnExit);
}
