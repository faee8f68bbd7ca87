#pragma once
// The one query form the program sends: a column list, one table and at most
// one comparison of a field with a #date# literal or a number, e.g.
//   Select Direction, Table, Name, TimeLog From PlayerNumbers Where TimeLog > #3/7/2026 14:05:09#
// Keywords ignore case; a name may be bracketed ([NS/EW]). Anything else is
// a syntax error (3075).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/value.h"

namespace tallix::jet {

enum class CompareOp { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };

struct Condition {
  std::string field;
  CompareOp op = CompareOp::Equal;
  Value literal;  // a date-time or a number
};

struct Query {
  std::vector<std::string> columns;  // empty with all_columns ("Select *")
  bool all_columns = false;
  std::string table;
  std::optional<Condition> where;
};

// True when the text is meant as a query rather than a table name.
bool IsQueryText(std::string_view source);

Query ParseQuery(std::string_view text);

// Whether a field's value passes the condition; false for Null. A text
// compared with a date or a number is a data type mismatch (3464).
bool Satisfies(const Value& value, const Condition& condition);

}  // namespace tallix::jet
