#include "app/structure_loading.h"

#include "core/checked.h"
#include "core/run_time_error.h"
#include "core/text.h"

namespace tallix {
namespace {

// A non-zero test that, like every comparison with Null, is false for Null.
bool IsNonZero(const Value& v) {
  return !v.IsNull() && !IsEqual(v, 0);
}

void ReadSection(SessionState& s, jet::Database& db) {
  auto section = db.OpenRecordset("Section");
  s.NumTables = ToByte(section->Field("Tables"));

  // The title is a nicety: each of these three steps may fail on its own
  // (no Description, an empty one) and leave the title as it stands.
  int16_t p = 0;
  try {
    s.SessionTitle = section->Field("Description").AsText();
  } catch (const RunTimeError&) {
  }
  try {
    p = ToInteger(InStr(s.SessionTitle, "Session"));
  } catch (const RunTimeError&) {
  }
  try {
    if (p != 0) s.SessionTitle = Left(s.SessionTitle, p - 1);
  } catch (const RunTimeError&) {
  }
  section->Close();
}

void ReadRoundData(SessionState& s, jet::Database& db) {
  s.NumBoards = 0;
  s.PlaysPerBoard = 0;
  s.TwoFields = true;

  auto rounds = db.OpenRecordset("RoundData");
  rounds->MoveFirst();
  while (!rounds->Eof()) {
    const Value high = rounds->Field("HighBoard");
    if (IsGreater(high, s.NumBoards)) s.NumBoards = ToByte(high);

    const Value low = rounds->Field("LowBoard");
    const Value ns = rounds->Field("NSPair");
    const Value ew = rounds->Field("EWPair");
    if (IsEqual(low, 1) && IsNonZero(ns) && IsNonZero(ew)) {
      s.PlaysPerBoard = IntAdd(s.PlaysPerBoard, 1);
    }

    if (IsEqual(rounds->Field("Round"), 1)) {
      const int table = ToLong(rounds->Field("Table"));
      s.TableNSPair(table) = ToByte(ns);
      s.TableEWPair(table) = ToByte(ew);
      if (IsNonZero(ns)) s.NSPairCount = ByteAdd(s.NSPairCount, 1);
    }

    // A North-South number above the table count: pairs are numbered across
    // both directions, so there is one field.
    if (IsGreater(ns, s.NumTables)) s.TwoFields = false;
    rounds->MoveNext();
  }
  rounds->Close();
}

}  // namespace

void LoadSessionStructure(SessionState& s, jet::Engine& engine, const Clock& clock) {
  s.NamesQuery = kNamesQuery;
  s.RoundSeconds = 900;
  s.RoundStart = clock.Now();
  s.LogEnabled = true;

  s.BWSDatabase = engine.OpenDatabase(s.BWSPath);
  ReadSection(s, *s.BWSDatabase);
  ReadRoundData(s, *s.BWSDatabase);
  s.Top = ToByte((s.PlaysPerBoard - 1) * 2.0);
}

}  // namespace tallix
