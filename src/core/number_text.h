#pragma once
// Numbers as the program writes them, and its two-decimal rounding.
#include <string>

namespace tallix {

// Integers in decimal.
std::string NumberText(long long n);
// At most 7 significant digits, trailing zeros and a trailing decimal point
// dropped, no leading blank, a leading zero before the point (0.33).
std::string NumberText(float x);
// The same with 15 significant digits, for double-precision values.
std::string DoubleText(double x);

// x * 100 in double precision, to the nearest whole number with exact halves
// to even, then / 100.
double Round2(double x);

// Parses a number the way a text field converts to one: blanks around it,
// a sign, digits with an optional point and exponent, or "&H" hexadecimal.
// Returns false when the text is not a number.
bool ParseNumber(const std::string& text, double& out);

// The number at the start of a text, as an operator's answer is read:
// leading blanks skipped, then the longest number there (sign, digits,
// point, exponent, or "&H" and hexadecimal digits read as ParseNumber
// does); 0 when the text does not begin with one. Too large a number gives
// an infinity, which no caller's range admits.
double Val(const std::string& text);

}  // namespace tallix
