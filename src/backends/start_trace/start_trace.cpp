#include "backends/start_trace/start_trace.h"

#include <pthread.h>
#include <time.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<bool> gTracing{false};
std::atomic<int64_t> gBeganNs{0};

int64_t monotonicNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

}  // namespace

void traceStartBegins() {
  gBeganNs.store(monotonicNs());
  const char* value = std::getenv("PLINKETT_TRACE_START");
  gTracing.store(value != nullptr && *value != '\0' && !(value[0] == '0' && value[1] == '\0'));
  traceStart("main");
}

void traceStart(const char* step) {
  if (!gTracing.load(std::memory_order_relaxed)) return;
  const int64_t now = monotonicNs();
  char thread[16] = "?";
  pthread_getname_np(pthread_self(), thread, sizeof thread);
  // One call per line: lines of two threads never interleave.
  std::fprintf(stderr, "plinkett: start: +%.3f ms: %s (%s, monotonic %.3f)\n",
               static_cast<double>(now - gBeganNs.load()) / 1e6, step, thread, static_cast<double>(now) / 1e6);
}
