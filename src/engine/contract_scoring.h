#pragma once
// The duplicate score of one result, signed from North-South's side.
#include <cstdint>

#include "core/value.h"

namespace tallix {

// board, declarer ("N", "E", "S", "W"), contract ("4 Hx", "PASS") and
// result ("=", "+1", "-2") as the result row delivers them; any may be Null.
// What cannot be converted raises a RunTimeError (94, 13 or 6).
int16_t ScoreContract(const Value& board, const Value& declarer, const Value& contract,
                      const Value& result);

}  // namespace tallix
