// The thread that makes every call into the JACK server that waits for the server's answer
// (opening and closing the client, registering and removing ports, joining the process graph,
// connecting). A server that is stopped or hung never answers, and libjack then waits for ever:
// the main thread hands these calls to this thread and waits for an answer only so long, so that
// a silent server is treated as gone instead of freezing the window or its close.
//
// Jobs run one at a time in the order queued. A job blocked in libjack stays blocked; what it
// holds is never freed by anyone else, and the process still ends, since nothing waits for this
// thread at exit.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

// How long one call may go unanswered before the server counts as gone. A running server
// answers in a few milliseconds, even on a busy machine.
inline constexpr std::chrono::milliseconds kServerAnswerLimit{200};

// Queues a job; never waits. Returns the ticket to wait for it with.
uint64_t serverThreadQueue(std::function<void()> job);

// Waits until the job of this ticket (and every one queued before it) has run: true then. False
// as soon as a call into the server has gone unanswered for kServerAnswerLimit; the server
// thread then counts as stalled.
bool serverThreadWait(uint64_t ticket);

// True from a wait that gave up until the thread has run every job queued: a new call into the
// server would only wait behind the one that is not answered.
bool serverThreadStalled();

// Marks the start and end of one call into the server, on the server thread; use serverCall.
void serverCallBegins();
void serverCallEnds();

template <typename Call>
auto serverCall(Call call) {
  serverCallBegins();
  auto result = call();
  serverCallEnds();
  return result;
}
