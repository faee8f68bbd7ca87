#include "core/run_time_error.h"

namespace tallix {

void RaiseOverflow() {
  throw RunTimeError(err::kOverflow, "Overflow");
}
void RaiseSubscript() {
  throw RunTimeError(err::kSubscript, "Subscript out of range");
}
void RaiseTypeMismatch() {
  throw RunTimeError(err::kTypeMismatch, "Type mismatch");
}
void RaiseInvalidNull() {
  throw RunTimeError(err::kInvalidNull, "Invalid use of Null");
}

}  // namespace tallix
