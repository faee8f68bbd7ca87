#include "core/value.h"

#include "core/checked.h"
#include "core/number_text.h"
#include "core/run_time_error.h"

namespace tallix {

double Value::AsNumber() const {
  switch (Kind()) {
    case ValueKind::Null:
      RaiseInvalidNull();
    case ValueKind::Flag:
      return std::get<bool>(v_) ? -1.0 : 0.0;
    case ValueKind::Whole:
      return static_cast<double>(std::get<int64_t>(v_));
    case ValueKind::Floating:
      return std::get<double>(v_);
    case ValueKind::Date:
      return std::get<DateTime>(v_).days;
    case ValueKind::Text: {
      double x = 0;
      if (!ParseNumber(std::get<std::string>(v_), x)) RaiseTypeMismatch();
      return x;
    }
  }
  RaiseTypeMismatch();
}

std::string Value::AsText() const {
  switch (Kind()) {
    case ValueKind::Null:
      RaiseInvalidNull();
    case ValueKind::Flag:
      return std::get<bool>(v_) ? "True" : "False";
    case ValueKind::Whole:
      return NumberText(static_cast<long long>(std::get<int64_t>(v_)));
    case ValueKind::Floating:
      return DoubleText(std::get<double>(v_));
    case ValueKind::Text:
      return std::get<std::string>(v_);
    case ValueKind::Date:
      return FormatQueryDate(std::get<DateTime>(v_));
  }
  RaiseTypeMismatch();
}

bool Value::AsFlag() const {
  switch (Kind()) {
    case ValueKind::Null:
      RaiseInvalidNull();
    case ValueKind::Flag:
      return std::get<bool>(v_);
    case ValueKind::Text: {
      const std::string& s = std::get<std::string>(v_);
      if (s == "True") return true;
      if (s == "False") return false;
      return AsNumber() != 0;
    }
    default:
      return AsNumber() != 0;
  }
}

DateTime Value::AsDate() const {
  switch (Kind()) {
    case ValueKind::Null:
      RaiseInvalidNull();
    case ValueKind::Date:
      return std::get<DateTime>(v_);
    case ValueKind::Whole:
    case ValueKind::Floating:
      return DateTime{AsNumber()};
    default:
      RaiseTypeMismatch();
  }
}

std::string TextOrEmpty(const Value& v) {
  return v.IsNull() ? std::string() : v.AsText();
}
bool FlagOrFalse(const Value& v) {
  return !v.IsNull() && v.AsFlag();
}

bool IsEqual(const Value& v, double x) {
  return !v.IsNull() && v.AsNumber() == x;
}
bool IsGreater(const Value& v, double x) {
  return !v.IsNull() && v.AsNumber() > x;
}
bool IsEqual(const Value& v, std::string_view s) {
  return !v.IsNull() && v.AsText() == s;
}

uint8_t ToByte(const Value& v) {
  return ToByte(v.AsNumber());
}
int16_t ToInteger(const Value& v) {
  return ToInteger(v.AsNumber());
}
int32_t ToLong(const Value& v) {
  return ToLong(v.AsNumber());
}

std::string Describe(const Value& v) {
  switch (v.Kind()) {
    case ValueKind::Null:
      return "Null";
    case ValueKind::Text:
      return "\"" + v.AsText() + "\"";
    default:
      try {
        return v.AsText();
      } catch (const RunTimeError&) {
        return "(a date no field can hold)";  // a description never fails
      }
  }
}

}  // namespace tallix
