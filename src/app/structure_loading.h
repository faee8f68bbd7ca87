#pragma once
// Sets the clock, log and query defaults, opens the database at BWSPath for
// the run and reads the session's structure and round-1 seating.
#include "core/clock.h"
#include "platform/jet/database.h"
#include "session/session_state.h"

namespace tallix {

// The names query asks for rows at or after the last time read: a name
// entered in the same second as the last row read is not lost.
inline constexpr const char* kNamesQuery =
    "Select Direction, Table, Name, TimeLog From PlayerNumbers Where TimeLog >= #";

void LoadSessionStructure(SessionState& s, jet::Engine& engine, const Clock& clock);

}  // namespace tallix
