#include "ranking/matchpoints.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/number_text.h"
#include "core/run_time_error.h"

namespace tallix {
namespace {

// A session whose boards are played `plays` times; results are added by hand.
class Matchpoints : public ::testing::Test {
 protected:
  void Session(int plays, int tables, int boards, bool two_fields = true) {
    s->PlaysPerBoard = static_cast<int16_t>(plays);
    s->Top = static_cast<uint8_t>(2 * plays - 2);
    s->NumTables = static_cast<uint8_t>(tables);
    s->NumBoards = static_cast<uint8_t>(boards);
    s->TwoFields = two_fields;
  }
  void Seat(int table, int ns, int ew) {
    s->TableNSPair(table) = static_cast<uint8_t>(ns);
    s->TableEWPair(table) = static_cast<uint8_t>(ew);
  }
  void Result(int board, int table, int ns, int ew, int score) {
    s->ResultNSPair(board, table) = static_cast<uint8_t>(ns);
    s->ResultEWPair(board, table) = static_cast<uint8_t>(ew);
    s->ResultScore(board, table) = static_cast<int16_t>(score);
  }
  void Run() { CalculateRankings(*s, log); }
  int ErrorOfRun() {
    try {
      Run();
    } catch (const RunTimeError& e) {
      return e.Number;
    }
    return 0;
  }
  float NS(int board, int table) const { return s->NSBoardMP(board, table); }
  float EW(int board, int table) const { return s->EWBoardMP(board, table); }

  std::unique_ptr<SessionState> s = std::make_unique<SessionState>();
  MemoryLog log;
};

TEST_F(Matchpoints, ScalesABoardWithFewerResultsThanPlays) {
  Session(4, 4, 1);  // Top 6
  Result(1, 1, 1, 1, 420);
  Result(1, 2, 2, 2, -50);
  Result(1, 4, 4, 4, 420);  // table 3 has not played it yet
  Run();

  EXPECT_TRUE(s->BoardScored(1));
  EXPECT_EQ(s->BoardTop(1), 4);
  EXPECT_EQ(s->RankedScores.Items(), (std::vector<int16_t>{-50, 420}));
  EXPECT_EQ(s->RankedCounts.Items(), (std::vector<uint8_t>{1, 2}));
  EXPECT_EQ(s->RankedRawMP.Items(), (std::vector<uint8_t>{0, 3}));
  EXPECT_EQ(NS(1, 1), 4.33f);
  EXPECT_EQ(NS(1, 2), 0.33f);
  EXPECT_EQ(NS(1, 4), 4.33f);
  // East-west get the top minus the rounded value, in single precision.
  EXPECT_EQ(EW(1, 1), 6.0f - 4.33f);
  EXPECT_EQ(EW(1, 2), 6.0f - 0.33f);
  EXPECT_EQ(NumberText(EW(1, 1)), "1.67");
  EXPECT_EQ(NumberText(EW(1, 2)), "5.67");
  // The missing table still adds a top to the maxima, of pair 0.
  EXPECT_EQ(s->NSMaxMP(0), 6.0f);
  EXPECT_EQ(s->NSMaxMP(1), 6.0f);
}

TEST_F(Matchpoints, FullyPlayedBoardKeepsRawValues) {
  Session(4, 4, 1);
  Result(1, 1, 1, 1, 100);
  Result(1, 2, 2, 2, -200);
  Result(1, 3, 3, 3, 100);
  Result(1, 4, 4, 4, 0);  // passed out is an ordinary score
  Run();
  EXPECT_EQ(s->RankedScores.Items(), (std::vector<int16_t>{-200, 0, 100}));
  EXPECT_EQ((std::vector<float>{NS(1, 1), NS(1, 2), NS(1, 3), NS(1, 4)}),
            (std::vector<float>{5, 0, 5, 2}));
  EXPECT_EQ(EW(1, 2), 6.0f);
}

TEST_F(Matchpoints, OneResultOrAllEqualGetHalfTheTop) {
  Session(5, 5, 2);  // Top 8: half is E - 1 = 4
  Result(1, 3, 3, 3, 620);
  for (int t = 1; t <= 3; ++t) Result(2, t, t, t, -100);
  Run();
  EXPECT_EQ(s->BoardTop(1), 0);
  EXPECT_EQ(s->BoardTop(2), 4);
  EXPECT_EQ(NS(1, 3), 4.0f);
  EXPECT_EQ(EW(1, 3), 4.0f);
  for (int t = 1; t <= 3; ++t) {
    EXPECT_EQ(NS(2, t), 4.0f);
    EXPECT_EQ(EW(2, t), 4.0f);
  }
}

TEST_F(Matchpoints, ScalingRoundsHalvesToEven) {
  // E = 9 with n = 8: (9 * (raw + 1) - 8) / 8 lands on exact eighths; x.125 rounds
  // down and x.375 up, as halves go to the even hundredth.
  Session(9, 8, 1);
  for (int t = 1; t <= 8; ++t) Result(1, t, t, t, 10 * t);
  MatchpointBoard(*s, 1);
  // raw 0, 2, 4 ... 14: (9 * 1 - 8) / 8 = 0.125, (9 * 3 - 8) / 8 = 2.375, 4.625, 6.875 ...
  EXPECT_EQ(s->RankedMP(0), 0.12f);
  EXPECT_EQ(s->RankedMP(1), 2.38f);
  EXPECT_EQ(s->RankedMP(2), 4.62f);
  EXPECT_EQ(s->RankedMP(3), 6.88f);
}

TEST_F(Matchpoints, AdjustedScoresTakeFixedSharesOfTheTop) {
  Session(13, 6, 1);        // Top 24
  Result(1, 1, 1, 1, 400);  // the one counted result
  const std::vector<int> codes = {-22, -13, -31, -11, -33};
  for (int i = 0; i < 5; ++i) Result(1, i + 2, i + 2, i + 2, codes[static_cast<std::size_t>(i)]);
  Run();
  EXPECT_EQ(s->BoardTop(1), 0);  // adjusted scores do not count
  EXPECT_EQ(s->RankedScores.Items(), (std::vector<int16_t>{400}));
  const std::vector<float> ns = {12, 9.6f, 14.4f, 9.6f, 14.4f};
  const std::vector<float> ew = {12, 14.4f, 9.6f, 9.6f, 14.4f};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(NS(1, i + 2), ns[static_cast<std::size_t>(i)]) << codes[static_cast<std::size_t>(i)];
    EXPECT_EQ(EW(1, i + 2), ew[static_cast<std::size_t>(i)]) << codes[static_cast<std::size_t>(i)];
    EXPECT_EQ(s->NSMaxMP(i + 2), 24.0f);
  }
  EXPECT_EQ(NS(1, 1), 12.0f);  // the lone counted result: E - 1
}

TEST_F(Matchpoints, BoardWithOnlyAdjustedScoresIsNotScored) {
  Session(4, 2, 1);
  Result(1, 1, 1, 1, -22);
  Result(1, 2, 2, 2, -31);
  s->NSBoardMP(1, 1) = 7;
  Run();
  EXPECT_FALSE(s->BoardScored(1));
  EXPECT_EQ(s->NSBoardMP(1, 1), 7.0f);
  EXPECT_EQ(s->NSTotalMP(1), 0.0f);
  EXPECT_EQ(s->NSMaxMP(1), 0.0f);
  EXPECT_EQ(s->EWMaxMP(2), 0.0f);
}

TEST_F(Matchpoints, StrayCodesKeepTheirCellsAndCodesBelowTheRangeAreScores) {
  Session(4, 4, 1);  // Top 6
  Result(1, 1, 1, 1, 100);
  Result(1, 2, 2, 2, -4);   // from a remark beginning 3: neither counted nor adjusted
  Result(1, 3, 3, 3, -40);  // from a remark beginning 7: an ordinary score of -40
  // Cells from an earlier pass stay and are totalled again.
  s->NSBoardMP(1, 2) = 1.5f;
  s->EWBoardMP(1, 2) = 2.5f;
  Run();
  EXPECT_EQ(s->BoardTop(1), 2);
  EXPECT_EQ(s->RankedScores.Items(), (std::vector<int16_t>{-40, 100}));
  EXPECT_EQ(NS(1, 2), 1.5f);
  EXPECT_EQ(EW(1, 2), 2.5f);
  EXPECT_EQ(s->NSTotalMP(2), 1.5f);
  EXPECT_EQ(s->EWTotalMP(2), 2.5f);
  EXPECT_EQ(s->NSMaxMP(2), 6.0f);
  EXPECT_EQ(s->EWMaxMP(2), 6.0f);
  // n = 2 scaled to E = 4: (4 * 1 - 2) / 2 = 1 and (4 * 3 - 2) / 2 = 5.
  EXPECT_EQ(NS(1, 3), 1.0f);
  EXPECT_EQ(NS(1, 1), 5.0f);
}

TEST_F(Matchpoints, TotalsInTwoFieldsAndInOneField) {
  // Pair 1 sits north-south on board 1 and east-west on board 2.
  auto play = [&] {
    Result(1, 1, 1, 2, 420);
    Result(1, 2, 3, 4, 170);
    Result(2, 1, 3, 1, -100);
    Result(2, 2, 2, 4, 50);
  };
  Session(2, 2, 2, /*two_fields=*/false);  // Top 2
  play();
  Run();
  EXPECT_EQ(s->NSTotalMP(1), 2.0f + 2.0f);  // top north-south on 1, top east-west on 2
  EXPECT_EQ(s->NSMaxMP(1), 4.0f);
  EXPECT_EQ(s->NSTotalMP(2), 0.0f + 2.0f);
  EXPECT_EQ(s->NSTotalMP(4), 2.0f + 0.0f);
  EXPECT_EQ(s->EWTotalMP(1), 0.0f);
  EXPECT_EQ(s->EWMaxMP(4), 0.0f);

  s = std::make_unique<SessionState>();
  Session(2, 2, 2, /*two_fields=*/true);
  play();
  Run();
  EXPECT_EQ(s->NSTotalMP(1), 2.0f);
  EXPECT_EQ(s->NSMaxMP(1), 2.0f);
  EXPECT_EQ(s->EWTotalMP(1), 2.0f);
  EXPECT_EQ(s->EWMaxMP(1), 2.0f);
}

TEST_F(Matchpoints, TotalsAreRebuiltEachCallAndPercentagesKeptWithoutMaximum) {
  Session(2, 2, 1);
  Seat(1, 1, 1);
  Seat(2, 2, 2);
  Result(1, 1, 1, 1, 200);
  Result(1, 2, 2, 2, 100);
  Run();
  Run();
  EXPECT_EQ(s->NSTotalMP(1), 2.0f);
  EXPECT_EQ(s->NSPercent(1), 100.0f);
  EXPECT_EQ(s->EWPercent(1), 0.0f);
  // Both results erased: the board is unscored, maxima are 0, percentages stay.
  Result(1, 1, 0, 0, 0);
  Result(1, 2, 0, 0, 0);
  Run();
  EXPECT_EQ(s->NSMaxMP(1), 0.0f);
  EXPECT_EQ(s->NSPercent(1), 100.0f);
  EXPECT_EQ(s->NSPercent(2), 0.0f);
  EXPECT_EQ(s->EWPercent(2), 100.0f);
}

TEST_F(Matchpoints, LogLinePerTableWithAnEastWestPair) {
  Session(4, 3, 1);  // Top 6
  Seat(1, 1, 1);
  Seat(2, 2, 0);  // no east-west pair: no line
  Seat(3, 3, 3);
  Result(1, 1, 1, 1, 420);
  Result(1, 2, 2, 9, 420);
  Result(1, 3, 3, 3, -50);
  Run();
  EXPECT_EQ(log.lines, (std::vector<std::string>{"1,NS1,4.33,6,72.17,EW1,1.67,6,27.83",
                                                 "3,NS3,0.33,6,5.5,EW3,5.67,6,94.5"}));
}

TEST_F(Matchpoints, LogLineOfAMovingSession) {
  // Seven tables, E = 7 (Top 12); east-west pairs 8 to 14 move one table down each board.
  Session(7, 7, 8);
  for (int t = 1; t <= 7; ++t) Seat(t, t, t + 7);
  // North-south matchpoints wanted on boards 1 to 7, table 1 to 7; scores follow them.
  const int mp[7][7] = {{0, 2, 4, 12, 6, 8, 10}, {0, 2, 10, 12, 4, 6, 8}, {0, 10, 2, 12, 4, 6, 8},
                        {10, 0, 2, 12, 4, 6, 8}, {0, 4, 6, 2, 10, 12, 8}, {4, 6, 8, 2, 10, 0, 12},
                        {1, 6, 8, 1, 4, 10, 12}};
  for (int b = 1; b <= 7; ++b) {
    for (int t = 1; t <= 7; ++t) {
      const int want = mp[b - 1][t - 1];
      Result(b, t, t, 8 + (t + b - 2) % 7, want == 1 ? -100 : 10 * want);
    }
  }
  // Board 8 so far at three tables: 420, 420 and -50, pair 11 defending the -50.
  Result(8, 4, 4, 9, 420);
  Result(8, 5, 5, 12, 420);
  Result(8, 6, 6, 11, -50);
  Run();
  ASSERT_EQ(log.lines.size(), 7u);
  EXPECT_EQ(log.lines[3], "4,NS4,61.33,96,63.89,EW11,40.67,96,42.36");
}

TEST_F(Matchpoints, LogShowsSinglePrecisionValues) {
  // The best of three results scales to 5.67; east-west keep 6 - 5.67 in single
  // precision, which reads 0.3299999.
  Session(4, 3, 1);
  Seat(1, 1, 1);
  Result(1, 1, 1, 1, 420);
  Result(1, 2, 2, 2, 100);
  Result(1, 3, 3, 3, -50);
  Run();
  EXPECT_EQ(log.lines[0], "1,NS1,5.67,6,94.5,EW1,0.3299999,6,5.5");
}

TEST_F(Matchpoints, BadDataRaisesSubscriptAndOverflow) {
  Session(2, 2, 1);
  Result(1, 1, 61, 1, 100);  // pair number beyond the arrays
  EXPECT_EQ(ErrorOfRun(), err::kSubscript);

  s = std::make_unique<SessionState>();
  Session(2, 61, 1);  // more tables than the arrays hold
  Result(1, 1, 1, 1, 100);
  EXPECT_EQ(ErrorOfRun(), err::kSubscript);

  s = std::make_unique<SessionState>();
  Session(2, 2, 43);  // more boards than the arrays hold
  EXPECT_EQ(ErrorOfRun(), err::kSubscript);

  s = std::make_unique<SessionState>();
  Session(2, 2, 1);
  Result(1, 1, 1, 1, 100);
  Result(1, 2, 2, 2, -32768);  // its negation does not fit 16 bits
  EXPECT_EQ(ErrorOfRun(), err::kOverflow);

  s = std::make_unique<SessionState>();
  Session(600, 2, 1);  // 600 * (raw + 1) overflows the 16-bit numerator
  for (int t = 1; t <= 60; ++t) Result(1, t, 1, 1, t);
  EXPECT_EQ(ErrorOfRun(), err::kOverflow);
}

TEST_F(Matchpoints, ScoresOfAnySizeAreRanked) {
  // A mistyped trick count can score 10000 and more; it still ranks above the rest.
  Session(3, 3, 1);
  Result(1, 1, 1, 1, 12000);
  Result(1, 2, 2, 2, 9999);
  Result(1, 3, 3, 3, 420);
  Run();
  EXPECT_EQ(s->RankedScores.Items(), (std::vector<int16_t>{420, 9999, 12000}));
  EXPECT_EQ(NS(1, 1), 4.0f);
  EXPECT_EQ(NS(1, 2), 2.0f);
  EXPECT_EQ(NS(1, 3), 0.0f);

  s = std::make_unique<SessionState>();
  Session(3, 1, 1);
  Result(1, 1, 1, 1, 9999);
  Run();
  EXPECT_EQ(NS(1, 1), 2.0f);
}

}  // namespace
}  // namespace tallix
