#pragma once
// Reads every ReceivedData row and files it under its board and table as
// north-south pair, east-west pair and score (or an adjusted-score code).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/jet/database.h"
#include "session/session_state.h"

namespace tallix {

struct ReceivedDataRead {
  bool had_rows = false;
  uint8_t CurrentRound = 0;  // the highest round read
  // One line for each row left out because it cannot be read or scored.
  std::vector<std::string> bad_rows;
};

// The result cells are rebuilt from the rows read, so they always show what
// the table holds now; a row that cannot be read or scored is left out as if
// it had not been received. A failure of the database itself leaves the
// cells as the last complete read left them.
ReceivedDataRead ReadReceivedData(SessionState& s, jet::Database& db);

// The adjusted-score code of a remark of the form "60%-40%": 33 less the
// number formed by the two percentages' first digits. A remark of any other
// form raises a RunTimeError (5).
int16_t AdjustedCode(const std::string& remarks);

}  // namespace tallix
