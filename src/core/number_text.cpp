#include "core/number_text.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/text.h"

namespace tallix {
namespace {

std::string Formatted(double x, int digits) {
  if (x == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*G", digits, x);
  return buf;  // %G already drops trailing zeros and a bare point
}

}  // namespace

std::string NumberText(long long n) {
  return std::to_string(n);
}
std::string NumberText(float x) {
  return Formatted(static_cast<double>(x), 7);
}
std::string DoubleText(double x) {
  return Formatted(x, 15);
}

double Round2(double x) {
  return std::nearbyint(x * 100.0) / 100.0;
}

bool ParseNumber(const std::string& text, double& out) {
  const std::string t = Trim(text);
  if (t.empty()) return false;
  if (t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h')) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(t.c_str() + 2, &end, 16);
    if (errno != 0 || *end != '\0' || v > 0xFFFFFFFFull) return false;
    // Up to four hex digits read as 16-bit, more as 32-bit, both signed.
    const std::size_t digits = t.size() - 2;
    if (digits <= 4)
      out = static_cast<int16_t>(v);
    else
      out = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
  }
  for (char c : t) {
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' ||
          c == 'e' || c == 'E'))
      return false;  // strtod would also take "inf", "nan" and hex floats
  }
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(t.c_str(), &end);
  if (end == t.c_str() || *end != '\0' || errno == ERANGE) return false;
  out = v;
  return true;
}

double Val(const std::string& text) {
  std::size_t i = text.find_first_not_of(" \t");
  if (i == std::string::npos) return 0;
  auto digit = [&](std::size_t k) {
    return k < text.size() && std::isdigit(static_cast<unsigned char>(text[k]));
  };
  if (text.compare(i, 2, "&H") == 0 || text.compare(i, 2, "&h") == 0) {
    std::size_t end = i + 2;
    while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end]))) ++end;
    if (end == i + 2) return 0;
    double v = 0;
    if (!ParseNumber(text.substr(i, end - i), v)) return HUGE_VAL;  // more than 32 bits
    return v;
  }
  std::string number;
  if (text[i] == '+' || text[i] == '-') number += text[i++];
  while (digit(i)) number += text[i++];
  if (i < text.size() && text[i] == '.') {
    number += text[i++];
    while (digit(i)) number += text[i++];
  }
  if (number.find_first_of("0123456789") == std::string::npos) return 0;
  // An exponent counts only when digits follow it ("1e" is 1).
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::size_t k = i + 1;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
    if (digit(k)) {
      number += 'E';
      number.append(text, i + 1, k - i - 1);
      while (digit(k)) number += text[k++];
    }
  }
  return std::strtod(number.c_str(), nullptr);  // ERANGE gives +-HUGE_VAL or 0
}

}  // namespace tallix
