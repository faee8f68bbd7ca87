// A pairs session as the terminals' control software records it: the
// movement (Section, RoundData) and, round by round, the rows the tables
// send (names, results, erasures, "Not played", adjusted scores, late
// corrections), each at its moment in the round.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace tallix::simulator {

enum class Movement { kMitchell, kHowell };

struct SessionOptions {
  Movement movement = Movement::kMitchell;
  int tables = 7;
  int boards_per_round = 3;
  bool sit_out = false;  // one pair short: its opponents sit out each round
  unsigned seed = 1;
  std::string title = "Friday Pairs Session 1";
  std::string date;  // YYYY-MM-DD of the session
};

// What is wrong with the options, "" when nothing is.
std::string CheckOptions(const SessionOptions& o);

struct Seating {
  int table, round, ns, ew, low_board, high_board;  // a pair 0 sits out
};

int Rounds(const SessionOptions& o);
std::vector<Seating> MovementOf(const SessionOptions& o);

// The new database: Section and RoundData, the other two tables empty.
nlohmann::json SessionStart(const SessionOptions& o);

// Rows the tables send at one moment; `at` counts rounds from the start of
// the session (2.5 is halfway through round 3).
struct Delivery {
  double at;
  int round;            // the round being played when it arrives
  nlohmann::json rows;  // {"PlayerNumbers": [...]} or {"ReceivedData": [...]}
};

// Every delivery of the session in the order they arrive; the same options
// give the same session.
std::vector<Delivery> PlaySession(const SessionOptions& o);

// The control software's log line for opening `windows_path` at the local
// time `when`: "dd/mm/yyyy HH:MM:SS Opening database PATH".
std::string OpeningLine(const std::string& windows_path, std::time_t when);

}  // namespace tallix::simulator
