#include <gtest/gtest.h>

#include "session/session_state.h"
#include "app/structure_loading.h"
#include "core/run_time_error.h"
#include "core/text.h"
#include "engine/pair_names.h"
#include "engine/results_ingestion.h"
#include "platform/jet/memory_database.h"

namespace tallix {
namespace {

using jet::MemoryDatabase;

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

TEST_F(NamesTest, ABadTableStopsThePassAfterTheRowsBeforeIt) {
  Add(1, "N", "Ann Smith", 1);
  Add(61, "N", "Lost", 2);
  Add(2, "N", "Later", 3);
  EXPECT_THROW(ReadPlayerNumbers(s, db, timer), RunTimeError);
  EXPECT_EQ(s.NorthName(1), "Ann Smith");
  EXPECT_EQ(s.LastTimeLog, MakeDateTime(2026, 12, 11, 19, 30, 1));
  EXPECT_EQ(s.NorthName(2), "");
  // The failing row comes back on every later pass.
  EXPECT_THROW(ReadPlayerNumbers(s, db, timer), RunTimeError);
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
  EXPECT_EQ(read.CurrentRound, 1);  // the last row's round, not the highest
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

TEST_F(ResultsTest, ABadRowStopsEveryPassUntilItIsErased) {
  Add(1, 1, 1, "4 H", "=");
  Add(43, 1, 1, "4 H", "=");
  Add(2, 1, 1, "4 H", "=");
  EXPECT_THROW(ReadReceivedData(s, db), RunTimeError);
  EXPECT_EQ(s.ResultScore(1, 1), 420);
  EXPECT_EQ(s.ResultScore(2, 1), 0);
  // Erasing the bad row clears the way, although it has no cell to empty.
  db.ClearRows("ReceivedData");
  Add(1, 1, 1, "4 H", "=");
  Add(43, 1, 1, "4 H", "=", Value(), true);
  Add(2, 1, 1, "4 H", "=");
  Add(1, 61, 1, "", "", "Not played");
  Add(Value(), 2, 1, "", "", Value(), true);
  EXPECT_NO_THROW(ReadReceivedData(s, db));
  EXPECT_EQ(s.ResultScore(2, 1), 620);  // board 2: north-south vulnerable
}

TEST_F(ResultsTest, FailuresOfARow) {
  struct Case {
    Value board, table;
    const char *contract, *result, *remarks;
    int number;
  } cases[] = {
      {Value(), 1, "4 H", "=", nullptr, err::kInvalidNull},
      {1, 61, "4 H", "=", nullptr, err::kSubscript},
      {1, 1, "4 H", "=", "x%-y%", err::kTypeMismatch},
      {1, 1, "H", "=", nullptr, err::kTypeMismatch},
  };
  for (const auto& c : cases) {
    db.ClearRows("ReceivedData");
    Add(c.board, c.table, 1, c.contract, c.result, c.remarks ? Value(c.remarks) : Value());
    try {
      ReadReceivedData(s, db);
      ADD_FAILURE() << "no failure for " << c.contract;
    } catch (const RunTimeError& e) {
      EXPECT_EQ(e.Number, c.number) << c.contract;
    }
  }
}

}  // namespace
}  // namespace tallix
