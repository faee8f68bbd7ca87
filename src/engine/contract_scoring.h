#pragma once
// The duplicate score of one result, signed from North-South's side.
#include <cstdint>

#include "core/run_time_error.h"
#include "core/value.h"

namespace tallix {

// A contract or result that cannot be read, or that no deal can have; Input
// names the one at fault ("Contract" or "Result").
class ScoringError : public RunTimeError {
 public:
  ScoringError(const char* input, const RunTimeError& e) : RunTimeError(e), Input(input) {}
  const char* Input;
};

// board, declarer ("N", "E", "S", "W"), contract ("4 Hx", "PASS") and
// result ("=", "+1", "-2") as the result row delivers them; any may be Null.
// A level outside 1-7, a strain other than C, D, H, S, N or tricks taken
// outside 0-13 raise a ScoringError (5), as does what cannot be converted
// (94, 13).
int16_t ScoreContract(const Value& board, const Value& declarer, const Value& contract,
                      const Value& result);

}  // namespace tallix
