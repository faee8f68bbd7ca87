#pragma once
// What a database field delivers: Null, a flag, a whole number, a floating
// number, a text (UTF-8) or a date-time. A comparison with Null is false.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "core/date_time.h"

namespace tallix {

enum class ValueKind { Null, Flag, Whole, Floating, Text, Date };

class Value {
 public:
  Value() = default;  // Null
  static Value Null() { return Value(); }
  Value(bool b) : v_(b) {}
  Value(int n) : v_(static_cast<int64_t>(n)) {}
  Value(int64_t n) : v_(n) {}
  Value(double x) : v_(x) {}
  Value(std::string s) : v_(std::move(s)) {}
  Value(const char* s) : v_(std::string(s)) {}
  Value(DateTime t) : v_(t) {}

  ValueKind Kind() const { return static_cast<ValueKind>(v_.index()); }
  bool IsNull() const { return Kind() == ValueKind::Null; }

  // Conversions as a field read converts: Null is "Invalid use of Null" (94),
  // a value of the wrong kind "Type mismatch" (13). A text that reads as a
  // number converts to it; a flag is -1 (true) or 0 as a number.
  double AsNumber() const;
  std::string AsText() const;
  bool AsFlag() const;
  DateTime AsDate() const;

  // The stored alternative, for tests and backends.
  const auto& Raw() const { return v_; }
  bool operator==(const Value& o) const { return v_ == o.v_; }

 private:
  std::variant<std::monostate, bool, int64_t, double, std::string, DateTime> v_;
};

// Null gives empty text.
std::string TextOrEmpty(const Value& v);
// Null counts as false.
bool FlagOrFalse(const Value& v);

// Comparisons of a field with a number or a text; every one is false for Null.
bool IsEqual(const Value& v, double x);
bool IsGreater(const Value& v, double x);
bool IsEqual(const Value& v, std::string_view s);

// Field stores with range checks (Null: 94; not a number: 13; out of range: 6).
uint8_t ToByte(const Value& v);
int16_t ToInteger(const Value& v);
int32_t ToLong(const Value& v);

std::string Describe(const Value& v);  // for test messages and logs

}  // namespace tallix
