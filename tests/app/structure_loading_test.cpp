#include "app/structure_loading.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/run_time_error.h"
#include "platform/jet/memory_database.h"

namespace tallix {
namespace {

using jet::MemoryDatabase;

constexpr const char* kPath = "C:\\BridgeData\\Club.bws";

struct Row {
  Value table, round, ns, ew, low, high;
};

class StructureLoading : public ::testing::Test {
 public:
  StructureLoading() {
    engine.Add(kPath, db);
    s.BWSPath = kPath;
    SetSection(12, "Tuesday Pairs Session 3");
    db->AddTable("RoundData",
                 {"Section", "Table", "Round", "NSPair", "EWPair", "LowBoard", "HighBoard"});
  }
  void SetSection(Value tables, Value description) {
    db->AddTable("Section", {"ID", "Tables", "Description"});
    db->AddRow("Section", {1, tables, description});
  }
  void Add(const Row& r) {
    db->AddRow("RoundData", {1, r.table, r.round, r.ns, r.ew, r.low, r.high});
  }
  // Twelve tables, twelve rounds: NS pairs stay, EW pairs and board sets move
  // up one table each round, so every board set is played once at each table.
  void AddMitchell() {
    for (int round = 1; round <= 12; ++round) {
      for (int table = 1; table <= 12; ++table) {
        const int step = (table - 1 + round - 1) % 12;
        Add({table, round, table, step + 1, step * 2 + 1, step * 2 + 2});
      }
    }
  }
  void Load() { LoadSessionStructure(s, engine, clock); }
  int ErrorOfLoad() {
    try {
      Load();
    } catch (const RunTimeError& e) {
      return e.Number;
    }
    return 0;
  }

  std::shared_ptr<MemoryDatabase> db = std::make_shared<MemoryDatabase>();
  jet::MemoryEngine engine;
  ManualClock clock{MakeDateTime(2026, 3, 5, 19, 30, 0)};
  SessionState s;
};

TEST_F(StructureLoading, MitchellMovement) {
  AddMitchell();
  Load();
  EXPECT_EQ(s.NamesQuery, kNamesQuery);
  EXPECT_EQ(s.RoundSeconds, 900);
  EXPECT_EQ(s.RoundStart, clock.Now());
  EXPECT_TRUE(s.LogEnabled);
  EXPECT_NE(s.BWSDatabase, nullptr);
  EXPECT_EQ(s.NumTables, 12);
  EXPECT_EQ(s.SessionTitle, "Tuesday Pairs ");
  EXPECT_EQ(s.NumBoards, 24);
  EXPECT_EQ(s.PlaysPerBoard, 12);
  EXPECT_EQ(s.Top, 22);
  EXPECT_TRUE(s.TwoFields);
  EXPECT_EQ(s.NSPairCount, 12);
  for (int t = 1; t <= 12; ++t) {
    EXPECT_EQ(s.TableNSPair(t), t);
    EXPECT_EQ(s.TableEWPair(t), t);
  }
  EXPECT_EQ(s.TableNSPair(13), 0);
}

TEST_F(StructureLoading, TitleIsCutBeforeTheFirstSession) {
  AddMitchell();
  struct Case {
    Value description;
    std::string title;
  } cases[] = {
      {"Tuesday Pairs Session 3", "Tuesday Pairs "},
      {"Session 3 of Session 4", ""},
      {"Club session 3", "Club session 3"},
      {"", ""},
      {Value::Null(), ""},
      {42, "42"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Describe(c.description));
    s.SessionTitle.clear();
    SetSection(12, c.description);
    Load();
    EXPECT_EQ(s.SessionTitle, c.title);
  }
  db->AddTable("Section", {"Tables"});  // no Description at all
  db->AddRow("Section", {12});
  s.SessionTitle.clear();
  Load();
  EXPECT_EQ(s.SessionTitle, "");
}

TEST_F(StructureLoading, OneFieldWhenANorthSouthNumberPassesTheTables) {
  AddMitchell();
  Add({5, 7, 13, 1, 3, 4});  // a later round's row, not even round 1
  Load();
  EXPECT_FALSE(s.TwoFields);
}

TEST_F(StructureLoading, SitOutsLaterTablesRepeatsAndNullFields) {
  SetSection(4, "Howell");
  const Value null;
  const std::vector<Row> rows = {
      {1, 1, 1, 2, 1, 2},          {2, 1, 3, 0, 1, 2},  // sit-out: seated, not a play of the boards
      {3, 1, 0, 4, 1, 2},                               // empty NS seat: seated, not counted
      {1, 1, 4, 3, 3, 4},                               // the same table again: this one stands
      {4, 2, 2, 1, 1, 2},                               // table 4 only in round 2
      {9, null, 3, 3, 1, 30},                           // Null round: a play, no seating
      {null, 2, null, 4, 1, null},                      // Null NS pair and HighBoard: adds nothing
      {2, 3, 2, 4, null, 6},                            // Null LowBoard: not a play
  };
  for (const Row& r : rows) Add(r);
  Load();
  EXPECT_EQ(s.NumBoards, 30);
  EXPECT_EQ(s.PlaysPerBoard, 3);
  EXPECT_EQ(s.Top, 4);
  const int seating[5][2] = {{0, 0}, {4, 3}, {3, 0}, {0, 4}, {0, 0}};
  for (int t = 1; t <= 4; ++t) {
    EXPECT_EQ(s.TableNSPair(t), seating[t][0]) << t;
    EXPECT_EQ(s.TableEWPair(t), seating[t][1]) << t;
  }
  EXPECT_EQ(s.NSPairCount, 3);  // both rows of table 1, and table 2
  EXPECT_TRUE(s.TwoFields);

  // A round-1 row with an empty seat number cannot be seated.
  s = SessionState{};
  s.BWSPath = kPath;
  Add({4, 1, null, 2, 1, 2});
  EXPECT_EQ(ErrorOfLoad(), err::kInvalidNull);
}

TEST_F(StructureLoading, Failures) {
  const auto rows = [](int n, Row r) {
    return [n, r](StructureLoading& f) {
      for (int i = 0; i < n; ++i) f.Add(r);
    };
  };
  struct Case {
    const char* name;
    std::function<void(StructureLoading&)> change;
    int error;
  } cases[] = {
      {"no path (dialog cancelled)", [](StructureLoading& f) { f.s.BWSPath.clear(); },
       err::kCannotOpenFile},
      {"no Section",
       [](StructureLoading& f) {
         f.db = std::make_shared<MemoryDatabase>();
         f.engine.Add(kPath, f.db);
       },
       err::kNoSuchTable},
      {"no RoundData",
       [](StructureLoading& f) {
         f.db = std::make_shared<MemoryDatabase>();
         f.engine.Add(kPath, f.db);
         f.SetSection(12, "x");
       },
       err::kNoSuchTable},
      {"empty Section",
       [](StructureLoading& f) {
         f.db->AddTable("Section", {"Tables", "Description"});
       },
       err::kNoCurrentRecord},
      {"empty RoundData", [](StructureLoading&) {}, err::kNoCurrentRecord},
      {"Section without Tables",
       [](StructureLoading& f) {
         f.db->AddTable("Section", {"Description"});
         f.db->AddRow("Section", {"x"});
       },
       err::kNoSuchField},
      {"RoundData without EWPair",
       [](StructureLoading& f) {
         f.db->AddTable("RoundData", {"Table", "Round", "NSPair", "LowBoard", "HighBoard"});
         f.db->AddRow("RoundData", {1, 2, 1, 1, 2});
       },
       err::kNoSuchField},
      {"Tables over 255", [](StructureLoading& f) { f.SetSection(256, "x"); }, err::kOverflow},
      {"Tables empty", [](StructureLoading& f) { f.SetSection(Value(), "x"); }, err::kInvalidNull},
      {"HighBoard over 255", rows(1, {1, 1, 1, 1, 1, 256}), err::kOverflow},
      {"round-1 table over 60", rows(1, {61, 1, 1, 1, 1, 2}), err::kSubscript},
      {"round-1 EW pair over 255", rows(1, {1, 1, 1, 256, 1, 2}), err::kOverflow},
      {"more than 255 NS pairs at round 1", rows(256, {1, 1, 1, 1, 1, 2}), err::kOverflow},
      {"no play of the first boards: Top below 0", rows(1, {1, 1, 1, 0, 1, 2}), err::kOverflow},
      {"129 plays: Top over 255", rows(129, {1, 2, 1, 1, 1, 2}), err::kOverflow},
      {"128 plays: Top 254 fits", rows(128, {1, 2, 1, 1, 1, 2}), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    db = std::make_shared<MemoryDatabase>();
    engine.Add(kPath, db);
    s = SessionState{};
    s.BWSPath = kPath;
    SetSection(12, "Pairs");
    db->AddTable("RoundData",
                 {"Section", "Table", "Round", "NSPair", "EWPair", "LowBoard", "HighBoard"});
    c.change(*this);
    EXPECT_EQ(ErrorOfLoad(), c.error);
  }
}

}  // namespace
}  // namespace tallix
