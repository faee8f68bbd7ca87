#include "app/structure_loading.h"

#include <memory>

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
    s.SessionTitle = PrintableText(section->Field("Description").AsText());
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

std::string StructureChange(const SessionState& s, jet::Database& db) {
  auto now = std::make_unique<SessionState>();
  try {
    ReadSection(*now, db);
    ReadRoundData(*now, db);
  } catch (const RunTimeError&) {
    return {};
  }
  const auto differs = [](const char* what, long long then, long long later) {
    return what + std::string(" ") + std::to_string(then) + ", now " + std::to_string(later);
  };
  if (now->NumTables != s.NumTables) return differs("tables", s.NumTables, now->NumTables);
  if (now->NumBoards != s.NumBoards) return differs("boards", s.NumBoards, now->NumBoards);
  if (now->PlaysPerBoard != s.PlaysPerBoard) {
    return differs("plays per board", s.PlaysPerBoard, now->PlaysPerBoard);
  }
  for (int t = 0; t <= kMaxTable; ++t) {
    const std::string table = "round 1 at table " + std::to_string(t) + ": ";
    if (now->TableNSPair(t) != s.TableNSPair(t)) {
      return differs((table + "north-south pair").c_str(), s.TableNSPair(t), now->TableNSPair(t));
    }
    if (now->TableEWPair(t) != s.TableEWPair(t)) {
      return differs((table + "east-west pair").c_str(), s.TableEWPair(t), now->TableEWPair(t));
    }
  }
  if (now->SessionTitle != s.SessionTitle) {
    return "title \"" + s.SessionTitle + "\", now \"" + now->SessionTitle + "\"";
  }
  return {};
}

}  // namespace tallix
