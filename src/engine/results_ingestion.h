#pragma once
// Reads every ReceivedData row and files it under its board and table as
// north-south pair, east-west pair and score (or an adjusted-score code).
#include <cstdint>

#include "session/session_state.h"
#include "platform/jet/database.h"

namespace tallix {

struct ReceivedDataRead {
  bool had_rows = false;
  uint8_t CurrentRound = 0;  // the round of the last row read
};

ReceivedDataRead ReadReceivedData(SessionState& s, jet::Database& db);

}  // namespace tallix
