#pragma once
// Matchpoints per result, totals per pair and percentages.
#include <cstdint>

#include "session/session_state.h"
#include "core/log_writer.h"

namespace tallix {

// Matchpoints one board: BoardTop, BoardScored and the ranked work lists
// (RankedScores with their scaled north-south matchpoints RankedMP).
void MatchpointBoard(SessionState& s, uint8_t board);

// Every board 1..NumBoards: per-result matchpoints, per-pair totals and
// maxima, percentages, and one log line per table with an east-west pair.
void CalculateRankings(SessionState& s, LogWriter& log);

}  // namespace tallix
