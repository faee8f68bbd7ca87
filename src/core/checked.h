#pragma once
// Stores into the program's 8-bit unsigned and 16-bit signed fields, and the
// 16-bit arithmetic the scoring does: out of range is an Overflow.
#include <cstdint>

namespace tallix {

// Fractions round half to even before the range check, as a field store does.
uint8_t ToByte(double x);
int16_t ToInteger(double x);
int32_t ToLong(double x);

int16_t IntAdd(int a, int b);
int16_t IntSub(int a, int b);
int16_t IntMul(int a, int b);
uint8_t ByteAdd(int a, int b);
uint8_t ByteSub(int a, int b);

}  // namespace tallix
