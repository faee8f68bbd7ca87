#include <gtest/gtest.h>

#include <limits>

#include "app/structure_loading.h"
#include "core/run_time_error.h"
#include "core/text.h"
#include "engine/pair_names.h"
#include "engine/results_ingestion.h"
#include "platform/jet/memory_database.h"
#include "session/session_state.h"

namespace tallix {
namespace {

using jet::MemoryDatabase;
using namespace std::string_literals;

TEST(FormatPairName, SharedSurnameShortensOnlyTheResult) {
  struct Case {
    const char *first, *second, *pair, *first_after;
  } cases[] = {
      {"Ann Smith", "Bob Smith", "Ann & Bob Smith", "Ann Smith"},
      {"Ann Smith", "Bob Jones", "Ann Smith & Bob Jones", "Ann Smith"},
      {"  Ann Smith ", "Bob Smith", "Ann & Bob Smith", "Ann Smith"},
      {"Ann SMITH", "Bob Smith", "Ann SMITH & Bob Smith", "Ann SMITH"},
      {"Ann Smithson Smith", "Bob Smith", "Annson & Bob Smith", "Ann Smithson Smith"},
      {"Smith", "Bob Smith", "Smith & Bob Smith", "Smith"},
      {"Ann", "", "Ann & ", "Ann"},
      {"", " Bob ", " & Bob", ""},
      {"", "", " & ", ""},
  };
  for (const auto& c : cases) {
    std::string first = c.first, second = c.second;
    EXPECT_EQ(FormatPairName(first, second), c.pair) << c.first << " / " << c.second;
    EXPECT_EQ(first, c.first_after);
    EXPECT_EQ(second, Trim(c.second));
  }
}

class NamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db.AddTable("PlayerNumbers", {"Section", "Table", "Direction", "Name", "TimeLog"});
    s.NamesQuery = kNamesQuery;
    s.TwoFields = true;
    s.TableNSPair(1) = 1, s.TableEWPair(1) = 1;
    s.TableNSPair(2) = 2, s.TableEWPair(2) = 2;
    timer.SetInterval(65000);
  }
  void Add(int table, const char* dir, Value name, int second) {
    db.AddRow("PlayerNumbers", {1, table, dir, name, MakeDateTime(2026, 12, 11, 19, 30, second)});
  }
  SessionState s;
  MemoryDatabase db;
  Timer timer;
};

TEST_F(NamesTest, RowsFileUnderTheRoundOnePairAndSetTheTenSecondInterval) {
  ReadPlayerNumbers(s, db, timer);
  EXPECT_EQ(timer.Interval(), 65000);  // no rows, no change
  Add(1, "N", "Ann Smith", 1);
  Add(1, "S", "Bob Smith", 2);
  Add(2, "E", "Cé Ørsted", 3);
  Add(2, "X", "Nobody", 4);
  ReadPlayerNumbers(s, db, timer);
  EXPECT_EQ(s.NSPairName(1), "Ann & Bob Smith");
  EXPECT_EQ(s.EWPairName(2), "Cé Ørsted & ");
  EXPECT_EQ(s.NSPairName(2), "");  // two fields: east-west names stay apart
  EXPECT_EQ(s.LastTimeLog, MakeDateTime(2026, 12, 11, 19, 30, 4));  // the odd row too
  EXPECT_EQ(timer.Interval(), 10000);
}

TEST_F(NamesTest, ANameEnteredInTheSameSecondAsTheLastRowReadIsNotLost) {
  Add(1, "N", "Ann Smith", 5);
  ReadPlayerNumbers(s, db, timer);
  Add(1, "S", "Bob Smith", 5);  // same second, after the pass
  ReadPlayerNumbers(s, db, timer);
  EXPECT_EQ(s.NSPairName(1), "Ann & Bob Smith");
  EXPECT_EQ(s.NorthName(1), "Ann Smith");  // read again, stored again, unchanged
}

TEST_F(NamesTest, OneFieldEastWestNamesAlsoNameThePairInTheCommonList) {
  s.TwoFields = false;
  s.TableEWPair(2) = 14;
  Add(2, "W", Value(), 1);
  Add(2, "E", " Dan Ek ", 2);
  ReadPlayerNumbers(s, db, timer);
  EXPECT_EQ(s.EWPairName(14), "Dan Ek & ");
  EXPECT_EQ(s.NSPairName(14), "Dan Ek & ");
  EXPECT_EQ(s.EastName(14), "Dan Ek");
}

TEST_F(NamesTest, ABadRowIsLeftOutAndTheRowsAroundItAreFiled) {
  s.TableNSPair(3) = 200;  // no pair list holds it
  Add(1, "N", "Ann Smith", 1);
  Add(61, "N", "Lost", 2);
  db.AddRow("PlayerNumbers", {1, Value(), "S", "No table", MakeDateTime(2026, 12, 11, 19, 30, 3)});
  Add(3, "S", "Nowhere", 4);
  Add(2, "N", "Later", 5);
  const std::vector<std::string> bad = ReadPlayerNumbers(s, db, timer);
  EXPECT_EQ(s.NorthName(1), "Ann Smith");
  EXPECT_EQ(s.NorthName(2), "Later");
  EXPECT_EQ(s.SouthName(1), "");
  EXPECT_EQ(s.LastTimeLog, MakeDateTime(2026, 12, 11, 19, 30, 5));
  ASSERT_EQ(bad.size(), 3u);
  EXPECT_EQ(bad[0],
            "Name left out: table 61, seat \"N\": Table 61: Error 9: Subscript out of range");
  EXPECT_EQ(bad[1],
            "Name left out: table Null, seat \"S\": Table Null: Error 94: Invalid use of Null");
  EXPECT_EQ(bad[2], "Name left out: table 3, seat \"S\": Table 3: Error 9: Subscript out of range");
}

TEST_F(NamesTest, ATimeNoDateFieldCanHoldIsLeftOutAndLaterQueriesStillWork) {
  Add(1, "N", "Ann Smith", 1);
  for (const double days : {1e184, -1e10, std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()}) {
    db.AddRow("PlayerNumbers", {1, 1, "S", "Wild", DateTime{days}});
  }
  const std::vector<std::string> bad = ReadPlayerNumbers(s, db, timer);
  EXPECT_EQ(s.LastTimeLog, MakeDateTime(2026, 12, 11, 19, 30, 1));
  EXPECT_EQ(bad.size(), 2u);  // the query never returns the two before its literal
  EXPECT_NO_THROW(ReadPlayerNumbers(s, db, timer));
  EXPECT_THROW(FormatQueryDate(DateTime{1e184}), RunTimeError);
}

TEST_F(NamesTest, ControlCharactersAndDirectionMarksAreDroppedFromNames) {
  Add(1, "N", "Ann\tLee\x01\x7F\xE2\x80\xAE Smith\xC2\x85", 1);
  Add(1, "S", "Bo\0b \xE2\x81\xA6Smith"s, 2);
  ReadPlayerNumbers(s, db, timer);
  EXPECT_EQ(s.NorthName(1), "Ann Lee Smith");
  EXPECT_EQ(s.SouthName(1), "Bob Smith");
  EXPECT_EQ(s.NSPairName(1), "Ann Lee & Bob Smith");
}

class ResultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db.AddTable("ReceivedData", {"Board", "Table", "Round", "PairNS", "PairEW", "NS/EW", "Contract",
                                 "Result", "Remarks", "Erased"});
  }
  void Add(Value board, Value table, int round, const char* contract, const char* result,
           Value remarks = Value(), Value erased = false, const char* declarer = "S") {
    db.AddRow("ReceivedData",
              {board, table, round, 3, 4, declarer, contract, result, remarks, erased});
  }
  SessionState s;
  MemoryDatabase db;
};

TEST_F(ResultsTest, EmptyTableWritesNothingAndSaysSo) {
  const ReceivedDataRead read = ReadReceivedData(s, db);
  EXPECT_FALSE(read.had_rows);
  EXPECT_EQ(read.CurrentRound, 0);
}

TEST_F(ResultsTest, ScoresCodesAndErasures) {
  Add(1, 1, 2, "4 H", "+1");
  Add(2, 1, 1, "3 NT", "=", Value(), false, "E");
  Add(3, 1, 3, "", "", "60%-40%");
  Add(3, 2, 3, "", "", "50%-50%");
  Add(3, 3, 3, "", "", "40%-60%");
  Add(3, 4, 3, "", "", "30%-70%");
  Add(3, 5, 3, "", "", "70%-30%");
  Add(4, 1, 1, "PASS", "");
  Add(5, 1, 1, "1 C", "=");
  Add(5, 1, 1, "1 C", "=", Value(), true);  // erased after the result
  Add(6, 1, 1, "1 C", "=", "Not played");
  Add(7, 1, 1, "2 S", "-1", Value(), true);
  Add(7, 1, 4, "2 S", "-1");  // re-entered after the erasure
  Add(0, 0, 1, "1 N", "=");   // slot 0, never matchpointed
  const ReceivedDataRead read = ReadReceivedData(s, db);
  EXPECT_TRUE(read.had_rows);
  EXPECT_EQ(read.CurrentRound, 4);  // the highest round, not the last row's
  EXPECT_EQ(s.ResultScore(1, 1), 450);
  EXPECT_EQ(s.ResultScore(2, 1), -400);
  EXPECT_EQ(s.ResultScore(3, 1), -31);
  EXPECT_EQ(s.ResultScore(3, 2), -22);
  EXPECT_EQ(s.ResultScore(3, 3), -13);
  EXPECT_EQ(s.ResultScore(3, 4), -4);
  EXPECT_EQ(s.ResultScore(3, 5), -40);
  EXPECT_EQ(s.ResultNSPair(3, 1), 3);
  EXPECT_EQ(s.ResultEWPair(3, 1), 4);
  EXPECT_EQ(s.ResultScore(4, 1), 0);
  EXPECT_EQ(s.ResultNSPair(4, 1), 3);  // passed out is a result
  EXPECT_EQ(s.ResultNSPair(5, 1), 0);
  EXPECT_EQ(s.ResultScore(5, 1), 0);
  EXPECT_EQ(s.ResultNSPair(6, 1), 0);
  EXPECT_EQ(s.ResultScore(7, 1), -100);
  EXPECT_EQ(s.ResultNSPair(0, 0), 3);
}

TEST_F(ResultsTest, ABadRowIsLeftOutAndTheRowsAroundItAreFiled) {
  struct Case {
    Value board, table, round, pair_ns, pair_ew, contract, result, remarks;
    const char* field;  // named in the log line
  } cases[] = {
      {1, 1, 1, 3, 4, "", "=", Value(), "Contract"},
      {1, 1, 1, 3, 4, Value(), "=", Value(), "Contract"},
      {1, 1, 1, 3, 4, "pass", "", Value(), "Contract"},
      {1, 1, 1, 3, 4, "8 S", "=", Value(), "Contract"},
      {1, 1, 1, 3, 4, "1 Z", "=", Value(), "Contract"},
      {1, 1, 1, 3, 4, "4 H", "+", Value(), "Result"},
      {1, 1, 1, 3, 4, "4 H", "-", Value(), "Result"},
      {1, 1, 1, 3, 4, "4 H", "+99", Value(), "Result"},
      {1, 1, 1, 3, 4, "", "", "%", "Remarks"},
      {1, 1, 1, 3, 4, "", "", "9%", "Remarks"},
      {1, 1, 1, 3, 4, "", "", "x%-y%", "Remarks"},
      {1, 1, 1, 3, 4, "", "", "60%-40", "Remarks"},
      {43, 1, 1, 3, 4, "4 H", "=", Value(), "Board"},
      {Value(), 1, 1, 3, 4, "4 H", "=", Value(), "Board"},
      {-1, 1, 1, 3, 4, "4 H", "=", Value(), "Board"},
      {1, 61, 1, 3, 4, "4 H", "=", Value(), "Table"},
      {1, "one", 1, 3, 4, "4 H", "=", Value(), "Table"},
      {1, 1, 256, 3, 4, "4 H", "=", Value(), "Round"},
      {1, 1, Value(), 3, 4, "4 H", "=", Value(), "Round"},
      {1, 1, 1, 256, 4, "4 H", "=", Value(), "PairNS"},
      {1, 1, 1, 3, 61, "4 H", "=", Value(), "PairEW"},
      {1, 1, 1, 3, Value(), "4 H", "=", Value(), "PairEW"},
  };
  for (const Case& c : cases) {
    db.ClearRows("ReceivedData");
    Add(2, 1, 1, "4 H", "=");
    Add(1, 2, 1, "4 H", "-1");  // the bad row's cell has a result at another table
    db.AddRow("ReceivedData", {c.board, c.table, c.round, c.pair_ns, c.pair_ew, "N", c.contract,
                               c.result, c.remarks, false});
    Add(3, 1, 2, "3 N", "+1");
    s = SessionState{};
    const ReceivedDataRead read = ReadReceivedData(s, db);
    const std::string what = std::string(c.field) + " " + Describe(c.board) + " " +
                             Describe(c.contract) + " " + Describe(c.result) + " " +
                             Describe(c.remarks);
    EXPECT_EQ(s.ResultScore(2, 1), 620) << what;
    EXPECT_EQ(s.ResultScore(1, 2), -50) << what;
    EXPECT_EQ(s.ResultScore(3, 1), 430) << what;
    EXPECT_EQ(s.ResultNSPair(1, 1), 0) << what;  // as if never received
    EXPECT_EQ(s.ResultScore(1, 1), 0) << what;
    EXPECT_EQ(read.CurrentRound, 2) << what;
    ASSERT_EQ(read.bad_rows.size(), 1u) << what;
    EXPECT_NE(read.bad_rows[0].find(": " + std::string(c.field) + " "), std::string::npos)
        << read.bad_rows[0];
  }
}

TEST_F(ResultsTest, TheLineForABadRowNamesTableIdBoardRoundFieldValueAndError) {
  MemoryDatabase with_id;
  with_id.AddTable("ReceivedData", {"ID", "Board", "Table", "Round", "PairNS", "PairEW", "NS/EW",
                                    "Contract", "Result", "Remarks", "Erased"});
  with_id.AddRow("ReceivedData", {17, 5, 3, 2, 3, 4, "N", "4 H", "+99", Value(), false});
  const ReceivedDataRead read = ReadReceivedData(s, with_id);
  EXPECT_EQ(read.bad_rows, std::vector<std::string>{
                               "Result left out: table 3, ID 17, board 5, round 2: Result \"+99\": "
                               "Error 5: No deal has 99 overtricks on a contract of level 4"});
}

TEST_F(ResultsTest, ErasingABadRowNeedsNoCellAndEveryReadRebuildsTheCells) {
  Add(1, 1, 1, "4 H", "=");
  Add(43, 1, 1, "4 H", "=", Value(), true);
  Add(2, 1, 1, "4 H", "=");
  Add(1, 61, 1, "", "", "Not played");
  Add(Value(), 2, 1, "", "", Value(), true);
  ReceivedDataRead read = ReadReceivedData(s, db);
  EXPECT_TRUE(read.bad_rows.empty());
  EXPECT_EQ(s.ResultScore(1, 1), 420);
  EXPECT_EQ(s.ResultScore(2, 1), 620);  // board 2: north-south vulnerable

  // Another session's rows in place of these: nothing of the first remains.
  db.ClearRows("ReceivedData");
  Add(2, 2, 1, "3 N", "=");
  read = ReadReceivedData(s, db);
  EXPECT_EQ(s.ResultNSPair(1, 1), 0);
  EXPECT_EQ(s.ResultScore(1, 1), 0);
  EXPECT_EQ(s.ResultScore(2, 1), 0);
  EXPECT_EQ(s.ResultScore(2, 2), 600);

  // A database that fails leaves the cells of the last complete read.
  MemoryDatabase broken;
  EXPECT_THROW(ReadReceivedData(s, broken), RunTimeError);
  EXPECT_EQ(s.ResultScore(2, 2), 600);
}

}  // namespace
}  // namespace tallix
