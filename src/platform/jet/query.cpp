#include "platform/jet/query.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "core/date_time.h"
#include "core/run_time_error.h"
#include "platform/jet/snapshot.h"

namespace tallix::jet {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsNameStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  Query Parse() {
    Query q;
    ExpectKeyword("Select");
    SkipBlanks();
    if (Peek() == '*') {
      ++pos_;
      q.all_columns = true;
    } else {
      q.columns.push_back(Name("a column name"));
      while (TakeChar(',')) q.columns.push_back(Name("a column name"));
    }
    ExpectKeyword("From");
    q.table = Name("a table name");
    if (TakeKeyword("Where")) q.where = ParseCondition();
    TakeChar(';');
    SkipBlanks();
    if (pos_ != text_.size()) Fail("unexpected text");
    return q;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw RunTimeError(err::kSyntaxError, "Syntax error in query expression (" + what +
                                              " at character " + std::to_string(pos_ + 1) + "): '" +
                                              std::string(text_) + "'");
  }

  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }
  bool TakeChar(char c) {
    SkipBlanks();
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }

  // A keyword must stand alone: "Fromage" is not "From".
  bool TakeKeyword(std::string_view word) {
    SkipBlanks();
    if (text_.size() - pos_ < word.size()) return false;
    if (!EqualsIgnoringCase(text_.substr(pos_, word.size()), word)) return false;
    const std::size_t end = pos_ + word.size();
    if (end < text_.size() && IsNameChar(text_[end])) return false;
    pos_ = end;
    return true;
  }
  void ExpectKeyword(std::string_view word) {
    if (!TakeKeyword(word)) Fail("expected " + std::string(word));
  }

  std::string Name(const char* what) {
    SkipBlanks();
    if (Peek() == '[') {
      const std::size_t close = text_.find(']', pos_ + 1);
      if (close == std::string_view::npos || close == pos_ + 1)
        Fail(std::string("expected ") + what);
      std::string name(text_.substr(pos_ + 1, close - pos_ - 1));
      pos_ = close + 1;
      return name;
    }
    if (!IsNameStart(Peek())) Fail(std::string("expected ") + what);
    const std::size_t start = pos_;
    while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
    return std::string(text_.substr(start, pos_ - start));
  }

  CompareOp Operator() {
    SkipBlanks();
    const auto take = [&](std::string_view op) {
      if (text_.substr(pos_, op.size()) != op) return false;
      pos_ += op.size();
      return true;
    };
    if (take("<>")) return CompareOp::NotEqual;
    if (take("<=")) return CompareOp::LessOrEqual;
    if (take(">=")) return CompareOp::GreaterOrEqual;
    if (take("=")) return CompareOp::Equal;
    if (take("<")) return CompareOp::Less;
    if (take(">")) return CompareOp::Greater;
    Fail("expected a comparison operator");
  }

  // Digits only, at most max_digits of them.
  int Number(std::size_t max_digits) {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && pos_ - start < max_digits &&
           std::isdigit(static_cast<unsigned char>(text_[pos_])))
      ++pos_;
    if (pos_ == start) Fail("expected a digit");
    int n = 0;
    std::from_chars(text_.data() + start, text_.data() + pos_, n);
    return n;
  }
  void Expect(char c) {
    if (Peek() != c) Fail(std::string("expected '") + c + "'");
    ++pos_;
  }

  // #month/day/year[ hour:minute[:second]]#
  Value DateLiteral() {
    Expect('#');
    const int month = Number(2);
    Expect('/');
    const int day = Number(2);
    Expect('/');
    const std::size_t year_start = pos_;
    const int year = Number(4);
    if (pos_ - year_start != 4) Fail("expected a four-digit year");
    int hour = 0, minute = 0, second = 0;
    if (Peek() == ' ') {
      SkipBlanks();
      hour = Number(2);
      Expect(':');
      minute = Number(2);
      if (Peek() == ':') {
        ++pos_;
        second = Number(2);
      }
    }
    Expect('#');
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59)
      Fail("not a valid date");
    return Value(MakeDateTime(year, month, day, hour, minute, second));
  }

  Value NumberLiteral() {
    const std::size_t start = pos_;
    if (Peek() == '-' || Peek() == '+') ++pos_;
    const std::size_t digits = pos_;
    while (std::isdigit(static_cast<unsigned char>(Peek()))) ++pos_;
    bool fraction = false;
    if (Peek() == '.') {
      fraction = true;
      ++pos_;
      while (std::isdigit(static_cast<unsigned char>(Peek()))) ++pos_;
    }
    if (pos_ == digits || (fraction && pos_ == digits + 1)) Fail("expected a number");
    if (IsNameChar(Peek())) Fail("expected a number");
    const char* first = text_.data() + start + (text_[start] == '+' ? 1 : 0);
    const char* last = text_.data() + pos_;
    if (!fraction) {
      int64_t n = 0;
      if (std::from_chars(first, last, n).ec == std::errc()) return Value(n);
    }
    double x = 0;
    if (std::from_chars(first, last, x).ec != std::errc() || !std::isfinite(x))
      Fail("number out of range");
    return Value(x);
  }

  Condition ParseCondition() {
    Condition c;
    c.field = Name("a field name");
    c.op = Operator();
    SkipBlanks();
    c.literal = Peek() == '#' ? DateLiteral() : NumberLiteral();
    return c;
  }

  static int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// Flags count as -1 and 0, date-times as their day count, as the engine compares them.
double ComparableNumber(const Value& v) {
  switch (v.Kind()) {
    case ValueKind::Flag:
      return std::get<bool>(v.Raw()) ? -1.0 : 0.0;
    case ValueKind::Whole:
      return static_cast<double>(std::get<int64_t>(v.Raw()));
    case ValueKind::Floating:
      return std::get<double>(v.Raw());
    case ValueKind::Date:
      return std::get<DateTime>(v.Raw()).days;
    default:
      throw RunTimeError(kDataTypeMismatch, "Data type mismatch in criteria expression");
  }
}

}  // namespace

bool IsQueryText(std::string_view source) {
  std::size_t i = 0;
  while (i < source.size() && IsBlank(source[i])) ++i;
  return source.size() - i > 6 && EqualsIgnoringCase(source.substr(i, 6), "Select") &&
         !IsNameChar(source[i + 6]);
}

Query ParseQuery(std::string_view text) {
  return Parser(text).Parse();
}

bool Satisfies(const Value& value, const Condition& condition) {
  if (value.IsNull()) return false;
  const double a = ComparableNumber(value);
  const double b = ComparableNumber(condition.literal);
  switch (condition.op) {
    case CompareOp::Equal:
      return a == b;
    case CompareOp::NotEqual:
      return a != b;
    case CompareOp::Less:
      return a < b;
    case CompareOp::LessOrEqual:
      return a <= b;
    case CompareOp::Greater:
      return a > b;
    case CompareOp::GreaterOrEqual:
      return a >= b;
  }
  return false;
}

}  // namespace tallix::jet
