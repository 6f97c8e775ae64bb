#include "backends/linux_midi/jack_server_thread.h"

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting main thread looks whether the call in progress has outlived its limit.
constexpr std::chrono::milliseconds kWaitSlice{5};

struct ServerThread {
  std::mutex lock;
  std::condition_variable queued;            // a job was queued: the server thread goes on
  std::condition_variable ran;               // a job has run: a waiting main thread looks
  std::deque<std::function<void()>> jobs;    // (lock)
  uint64_t tickets = 0;                      // jobs queued so far (lock)
  uint64_t ranCount = 0;                     // jobs run so far, in order (lock)
  bool stalled = false;                      // (lock)
  bool running = false;                      // the thread exists (lock)
  std::atomic<Clock::rep> callSince{0};      // when the call in progress began; 0: none
};

// Never destroyed: a job still blocked in libjack when the process ends keeps using it.
ServerThread& state() {
  static ServerThread* const s = new ServerThread;
  return *s;
}

void runJobs(ServerThread& s) {
  pthread_setname_np(pthread_self(), "plinkett-jack");
  std::unique_lock<std::mutex> guard(s.lock);
  for (;;) {
    s.queued.wait(guard, [&] { return !s.jobs.empty(); });
    std::function<void()> job = std::move(s.jobs.front());
    s.jobs.pop_front();
    guard.unlock();
    job();
    job = nullptr;  // what it held goes before anyone hears it ran
    guard.lock();
    ++s.ranCount;
    if (s.jobs.empty()) s.stalled = false;  // whatever was not answered has been now
    s.ran.notify_all();
  }
}

}  // namespace

uint64_t serverThreadQueue(std::function<void()> job) {
  ServerThread& s = state();
  std::unique_lock<std::mutex> guard(s.lock);
  if (!s.running) {
    try {
      std::thread(runJobs, std::ref(s)).detach();
      s.running = true;
    } catch (const std::system_error&) {
      // No thread to be had: the call is made here and waited for, as without this thread.
      const uint64_t ticket = ++s.tickets;
      guard.unlock();
      job();
      guard.lock();
      ++s.ranCount;
      return ticket;
    }
  }
  s.jobs.push_back(std::move(job));
  s.queued.notify_one();
  return ++s.tickets;
}

bool serverThreadWait(uint64_t ticket) {
  ServerThread& s = state();
  const auto limit = std::chrono::duration_cast<Clock::duration>(kServerAnswerLimit).count();
  std::unique_lock<std::mutex> guard(s.lock);
  while (s.ranCount < ticket) {
    const Clock::rep since = s.callSince.load();
    if (since != 0 && Clock::now().time_since_epoch().count() - since > limit) {
      s.stalled = true;
      return false;
    }
    s.ran.wait_for(guard, kWaitSlice);
  }
  return true;
}

bool serverThreadStalled() {
  ServerThread& s = state();
  const std::lock_guard<std::mutex> guard(s.lock);
  return s.stalled;
}

void serverCallBegins() { state().callSince.store(Clock::now().time_since_epoch().count()); }

void serverCallEnds() { state().callSince.store(0); }
