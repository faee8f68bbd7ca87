#include "core/checked.h"

#include <cmath>

#include "core/run_time_error.h"

namespace tallix {
namespace {

double RoundForStore(double x, double lo, double hi) {
  if (std::isnan(x)) RaiseOverflow();
  const double r = std::nearbyint(x);  // default rounding mode: halves to even
  if (r < lo || r > hi) RaiseOverflow();
  return r;
}

}  // namespace

uint8_t ToByte(double x) {
  return static_cast<uint8_t>(RoundForStore(x, 0, 255));
}
int16_t ToInteger(double x) {
  return static_cast<int16_t>(RoundForStore(x, -32768, 32767));
}
int32_t ToLong(double x) {
  return static_cast<int32_t>(RoundForStore(x, -2147483648.0, 2147483647.0));
}

int16_t IntAdd(int a, int b) {
  return ToInteger(static_cast<double>(a) + b);
}
int16_t IntSub(int a, int b) {
  return ToInteger(static_cast<double>(a) - b);
}
int16_t IntMul(int a, int b) {
  return ToInteger(static_cast<double>(a) * b);
}
uint8_t ByteAdd(int a, int b) {
  return ToByte(static_cast<double>(a) + b);
}
uint8_t ByteSub(int a, int b) {
  return ToByte(static_cast<double>(a) - b);
}

}  // namespace tallix
