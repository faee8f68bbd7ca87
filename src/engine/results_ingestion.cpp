#include "engine/results_ingestion.h"

#include "core/checked.h"
#include "core/run_time_error.h"
#include "core/text.h"
#include "core/value.h"
#include "engine/contract_scoring.h"

namespace tallix {
namespace {

bool IsCell(const Value& board, const Value& table) {
  try {
    const int b = ToInteger(board), t = ToInteger(table);
    return b >= 0 && b <= kMaxBoard && t >= 0 && t <= kMaxTable;
  } catch (const RunTimeError&) {
    return false;
  }
}

// 33 less the number formed by the first digits of the two percentages:
// "60%-40%" gives -31.
int16_t AdjustedCode(const std::string& remarks) {
  return ToInteger(33 - Value(Mid(remarks, 1, 1) + Mid(remarks, 5, 1)).AsNumber());
}

}  // namespace

ReceivedDataRead ReadReceivedData(SessionState& s, jet::Database& db) {
  ReceivedDataRead read;
  auto rs = db.OpenRecordset("ReceivedData");
  read.had_rows = !rs->Eof();
  while (!rs->Eof()) {
    const Value board = rs->Field("Board"), table = rs->Field("Table");
    const Value remarks = rs->Field("Remarks");
    if (FlagOrFalse(rs->Field("Erased")) || IsEqual(remarks, "Not played")) {
      // A row outside the arrays has nothing to empty; erasing it must not
      // stop every later pass.
      if (IsCell(board, table)) {
        const int b = ToInteger(board), t = ToInteger(table);
        s.ResultNSPair(b, t) = 0;
        s.ResultEWPair(b, t) = 0;
        s.ResultScore(b, t) = 0;
      }
    } else {
      const int b = ToInteger(board), t = ToInteger(table);
      s.ResultNSPair(b, t) = ToByte(rs->Field("PairNS"));
      s.ResultEWPair(b, t) = ToByte(rs->Field("PairEW"));
      const std::string text = TextOrEmpty(remarks);
      if (InStr(text, "%") > 0) {
        s.ResultScore(b, t) = AdjustedCode(text);
      } else {
        s.ResultScore(b, t) =
            ScoreContract(board, rs->Field("NS/EW"), rs->Field("Contract"), rs->Field("Result"));
      }
    }
    read.CurrentRound = ToByte(rs->Field("Round"));
    rs->MoveNext();
  }
  rs->Close();
  return read;
}

}  // namespace tallix
