#pragma once
// New PlayerNumbers rows become player names and pair names.
#include <string>
#include <vector>

#include "platform/jet/database.h"
#include "platform/window/controls.h"
#include "session/session_state.h"

namespace tallix {

// Joins two player names as "F1 & F2 S" when they share the surname S.
// Both names are trimmed in place; the shortening only shapes the result.
std::string FormatPairName(std::string& first, std::string& second);

// Reads the rows stamped at or after LastTimeLog and files each name under
// the pair seated at its table in round 1. Every row read sets the refresh
// interval to ten seconds. A row that cannot be filed is left out; the
// result holds one line for each such row.
std::vector<std::string> ReadPlayerNumbers(SessionState& s, jet::Database& db, Timer& timer);

// Back to two fields after one: the one-field names of east-west pairs had
// taken the north-south names of the same numbers; rebuild those from the
// seats.
void RestoreNorthSouthPairNames(SessionState& s);

}  // namespace tallix
