// The start-up trace: with PLINKETT_TRACE_START set (to anything but 0), each step of the start
// that calls traceStart says on standard error when it ended, as
//   plinkett: start: +<ms since main> ms: <step> (<thread>, monotonic <CLOCK_MONOTONIC ms>)
// so that where a start's time goes is measured, not guessed (bench/peers/ gathers it from
// every launch of the program). Without the variable a step costs one load and a branch.
#pragma once

// Marks the process's entry: the trace's zero. Call first thing in main.
void traceStartBegins();
// Says that a step ended now, from any thread. step: a constant text.
void traceStart(const char* step);
