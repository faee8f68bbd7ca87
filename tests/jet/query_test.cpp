// The query text: the forms accepted and the texts refused.
#include "platform/jet/query.h"

#include <gtest/gtest.h>

#include "core/date_time.h"
#include "core/run_time_error.h"
#include "platform/jet/snapshot.h"

namespace tallix::jet {
namespace {

TEST(QueryTest, TheNamesQuery) {
  const Query q = ParseQuery(
      "Select Direction, Table, Name, TimeLog From PlayerNumbers Where TimeLog >= #3/7/2026 "
      "14:05:09#");
  EXPECT_EQ(q.columns, (std::vector<std::string>{"Direction", "Table", "Name", "TimeLog"}));
  EXPECT_EQ(q.table, "PlayerNumbers");
  ASSERT_TRUE(q.where);
  EXPECT_EQ(q.where->field, "TimeLog");
  EXPECT_EQ(q.where->op, CompareOp::GreaterOrEqual);
  EXPECT_EQ(q.where->literal, Value(MakeDateTime(2026, 3, 7, 14, 5, 9)));
  EXPECT_EQ(ParseQuery("Select x From t Where d > #12/30/1899 00:00:00#").where->literal,
            Value(DateTime{0}));
}

TEST(QueryTest, AcceptedVariants) {
  const Query a = ParseQuery("  select [NS/EW] ,Board\tFROM\n[Received Data] where Board<>-3 ; ");
  EXPECT_EQ(a.columns, (std::vector<std::string>{"NS/EW", "Board"}));
  EXPECT_EQ(a.table, "Received Data");
  EXPECT_EQ(a.where->op, CompareOp::NotEqual);
  EXPECT_EQ(a.where->literal, Value(-3));
  const Query b = ParseQuery("SELECT * FROM Section");
  EXPECT_TRUE(b.all_columns);
  EXPECT_FALSE(b.where);
  EXPECT_EQ(ParseQuery("Select a From t Where a < 2.5").where->literal, Value(2.5));
  EXPECT_EQ(ParseQuery("Select a From t Where a = #1/2/2026 3:04#").where->literal,
            Value(MakeDateTime(2026, 1, 2, 3, 4, 0)));
}

TEST(QueryTest, EveryOtherTextIsASyntaxError) {
  const char* texts[] = {
      "Select",
      "Select From t",
      "Select a, From t",
      "Select a t",
      "Select a From",
      "Select a From t Where",
      "Select a From t Where a",
      "Select a From t Where a >",
      "Select a From t Where a > b",
      "Select a From t Where a > 'x'",
      "Select a From t Where a > 1 And b < 2",
      "Select a From t Order By a",
      "Select a From t, u",
      "Select a From t Where a => 1",
      "Select a From t Where a > #13/1/2026#",
      "Select a From t Where a > #2/29/2025#",
      "Select a From t Where a > #1/1/26#",
      "Select a From t Where a > #1/1/2026 24:00:00#",
      "Select a From t Where a > #1/1/2026 10:60#",
      "Select a From t Where a > #1/1/2026",
      "Select [a From t",
      "Select [] From t",
      "Selectа From t",
      "Select a Fromt",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    try {
      ParseQuery(text);
      ADD_FAILURE() << "accepted";
    } catch (const RunTimeError& e) {
      EXPECT_EQ(e.Number, err::kSyntaxError);
      EXPECT_NE(e.Description.find(text), std::string::npos);
    }
  }
}

TEST(QueryTest, WhatCountsAsAQuery) {
  EXPECT_TRUE(IsQueryText("Select a From t"));
  EXPECT_TRUE(IsQueryText(" SELECT a"));
  EXPECT_FALSE(IsQueryText("Select"));
  EXPECT_FALSE(IsQueryText("Selection"));
  EXPECT_FALSE(IsQueryText("ReceivedData"));
}

TEST(QueryTest, NullNeverSatisfiesAndKindsCompareAsNumbers) {
  const Condition ge{"x", CompareOp::GreaterOrEqual, Value(0)};
  const Condition ne{"x", CompareOp::NotEqual, Value(0)};
  EXPECT_FALSE(Satisfies(Value(), ge));
  EXPECT_FALSE(Satisfies(Value(), ne));
  EXPECT_TRUE(Satisfies(Value(false), ge));
  EXPECT_FALSE(Satisfies(Value(true), ge));  // True is -1
  EXPECT_TRUE(Satisfies(Value(DateTime{0.5}), ge));
  EXPECT_TRUE(Satisfies(Value(0.25), ne));
  try {
    Satisfies(Value("5"), ge);
    ADD_FAILURE();
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.Number, kDataTypeMismatch);
  }
}

}  // namespace
}  // namespace tallix::jet
