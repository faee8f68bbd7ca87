#pragma once
// The program without a window: start-up, then the refresh cycle on Timer1
// (a plain timer loop, no toolkit) until SIGINT or SIGTERM.
#include <chrono>
#include <iosfwd>

#include "app/fm_tallix.h"

namespace tallix {

// Blocks SIGINT and SIGTERM for this thread and the threads it starts
// later, so that only the loop takes them. Call before any thread starts.
void BlockStopSignals();

// Runs start-up and the refresh cycle. Returns 0 after a stop signal, 1 when
// start-up fails (its report written to `err`). A non-zero `interval` stands
// in for the timer's own (tests that play a session fast).
int RunHeadless(FmTallix& window, std::ostream& err,
                std::chrono::milliseconds interval = std::chrono::milliseconds(0));

}  // namespace tallix
