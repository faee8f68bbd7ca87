#include "engine/results_ingestion.h"

#include <algorithm>

#include "core/checked.h"
#include "core/run_time_error.h"
#include "core/text.h"
#include "core/value.h"
#include "engine/contract_scoring.h"

namespace tallix {
namespace {

// A row that cannot be filed: the field at fault and why.
struct RowFault {
  std::string field;
  Value value;
  RunTimeError error;
};

// Reads one field of the current row through `convert`; a failure names the field.
template <class Convert>
auto Take(jet::Recordset& rs, const char* field, Convert convert) {
  const Value v = rs.Field(field);
  try {
    return convert(v);
  } catch (const RunTimeError& e) {
    throw RowFault{field, v, e};
  }
}

int Board(const Value& v) {
  const int b = ToInteger(v);
  if (b < 0 || b > kMaxBoard) RaiseSubscript();
  return b;
}

int Table(const Value& v) {
  const int t = ToInteger(v);
  if (t < 0 || t > kMaxTable) RaiseSubscript();
  return t;
}

// Pair numbers beyond the pair lists could never be totalled.
uint8_t Pair(const Value& v) {
  const uint8_t p = ToByte(v);
  if (p > kMaxPair) RaiseSubscript();
  return p;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string FieldText(jet::Recordset& rs, const char* field) {
  try {
    return Describe(rs.Field(field));
  } catch (const RunTimeError&) {
    return "?";
  }
}

std::string BadRowLine(jet::Recordset& rs, const RowFault& f) {
  return "Result left out: table " + FieldText(rs, "Table") + ", ID " + FieldText(rs, "ID") +
         ", board " + FieldText(rs, "Board") + ", round " + FieldText(rs, "Round") + ": " +
         f.field + " " + Describe(f.value) + ": Error " + std::to_string(f.error.Number) + ": " +
         f.error.Description;
}

struct Cells {
  BoardTable<uint8_t> ns, ew;
  BoardTable<int16_t> score;
};

// Files the current row in `cells`, or throws RowFault and writes nothing.
uint8_t FileRow(jet::Recordset& rs, Cells& cells) {
  const Value remarks = rs.Field("Remarks");
  const bool erased = Take(rs, "Erased", [](const Value& v) { return FlagOrFalse(v); });
  const uint8_t round = Take(rs, "Round", [](const Value& v) { return ToByte(v); });
  if (erased || IsEqual(remarks, "Not played")) {
    // A row outside the arrays has no cell to empty.
    try {
      const int b = Board(rs.Field("Board")), t = Table(rs.Field("Table"));
      cells.ns(b, t) = 0;
      cells.ew(b, t) = 0;
      cells.score(b, t) = 0;
    } catch (const RunTimeError&) {
    }
    return round;
  }
  const Value board = rs.Field("Board");
  const int b = Take(rs, "Board", Board);
  const int t = Take(rs, "Table", Table);
  const uint8_t ns = Take(rs, "PairNS", Pair);
  const uint8_t ew = Take(rs, "PairEW", Pair);
  int16_t score = 0;
  const std::string text = Take(rs, "Remarks", [](const Value& v) { return TextOrEmpty(v); });
  if (InStr(text, "%") > 0) {
    score = Take(rs, "Remarks", [&](const Value&) { return AdjustedCode(text); });
  } else {
    const Value declarer = rs.Field("NS/EW"), contract = rs.Field("Contract");
    const Value result = rs.Field("Result");
    try {
      score = ScoreContract(board, declarer, contract, result);
    } catch (const ScoringError& e) {
      throw RowFault{e.Input, rs.Field(e.Input), e};
    }
  }
  cells.ns(b, t) = ns;
  cells.ew(b, t) = ew;
  cells.score(b, t) = score;
  return round;
}

}  // namespace

int16_t AdjustedCode(const std::string& remarks) {
  const std::string r = Trim(remarks);
  const bool adjusted = r.size() == 7 && IsDigit(r[0]) && IsDigit(r[1]) && r[2] == '%' &&
                        IsDigit(r[4]) && IsDigit(r[5]) && r[6] == '%';
  if (!adjusted) throw RunTimeError(err::kInvalidCall, "Not an adjusted score such as 60%-40%");
  return static_cast<int16_t>(33 - ((r[0] - '0') * 10 + (r[4] - '0')));
}

ReceivedDataRead ReadReceivedData(SessionState& s, jet::Database& db) {
  ReceivedDataRead read;
  auto rs = db.OpenRecordset("ReceivedData");
  read.had_rows = !rs->Eof();
  auto cells = std::make_unique<Cells>();
  while (!rs->Eof()) {
    try {
      read.CurrentRound = std::max(read.CurrentRound, FileRow(*rs, *cells));
    } catch (const RowFault& f) {
      read.bad_rows.push_back(BadRowLine(*rs, f));
    }
    rs->MoveNext();
  }
  rs->Close();
  s.ResultNSPair = cells->ns;
  s.ResultEWPair = cells->ew;
  s.ResultScore = cells->score;
  return read;
}

}  // namespace tallix
