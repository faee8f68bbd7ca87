#pragma once
// Sets the clock, log and query defaults, opens the database at BWSPath for
// the run and reads the session's structure and round-1 seating.
#include <string>

#include "core/clock.h"
#include "platform/jet/database.h"
#include "session/session_state.h"

namespace tallix {

// The names query asks for rows at or after the last time read: a name
// entered in the same second as the last row read is not lost.
inline constexpr const char* kNamesQuery =
    "Select Direction, Table, Name, TimeLog From PlayerNumbers Where TimeLog >= #";

void LoadSessionStructure(SessionState& s, jet::Engine& engine, const Clock& clock);

// What differs between the structure start-up read into `s` and the one the
// database holds now, such as "tables 3, now 4"; empty when they match or
// when the structure cannot be read now.
std::string StructureChange(const SessionState& s, jet::Database& db);

}  // namespace tallix
