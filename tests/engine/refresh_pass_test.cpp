#include "engine/refresh_pass.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/structure_loading.h"
#include "platform/jet/memory_database.h"
#include "ranking/show_rankings.h"
#include "session/session_state.h"
#include "support/temp_folder.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;

class RefreshPassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(fs::path(TALLIX_SOURCE_DIR) / "share" / "SPOOLTEMPL.HTM", dir / "SPOOLTEMPL.HTM");
    db = std::make_shared<jet::MemoryDatabase>();
    db->AddTable("PlayerNumbers", {"Table", "Direction", "Name", "TimeLog"});
    db->AddTable("ReceivedData", {"Board", "Table", "Round", "PairNS", "PairEW", "NS/EW",
                                  "Contract", "Result", "Remarks", "Erased"});
    s.BWSDatabase = db;
    s.NamesQuery = kNamesQuery;
    s.NumTables = 2;
    s.NumBoards = 2;
    s.PlaysPerBoard = 2;
    s.Top = 2;
    s.TwoFields = true;
    s.NSPairCount = 2;
    s.TableNSPair(1) = 1, s.TableEWPair(1) = 1;
    s.TableNSPair(2) = 2, s.TableEWPair(2) = 2;
    s.SessionTitle = "Friday Pairs ";
    s.RoundSeconds = 900;
    s.LogEnabled = true;
    s.RoundStart = start;
    clock.Set(start);
    ctx.template_host_path = (dir / "SPOOLTEMPL.HTM").string();
    ctx.page_host_path = (dir / "RankingTable.htm").string();
    form.SetCaption("Tallix");
    grid.SetHeight(720);
  }

  void AddResult(int board, int table, int round, const char* contract, const char* result) {
    db->AddRow("ReceivedData",
               {board, table, round, table, table, "N", contract, result, Value(), false});
  }
  void Pass() { GetBWSData(ctx); }

  tallix::testing::TempFolder temp{"tallix_pass"};
  const fs::path dir = temp.Path();
  DateTime start = MakeDateTime(2026, 12, 11, 19, 30, 0);
  std::shared_ptr<jet::MemoryDatabase> db;
  SessionState s;
  MemoryForm form;
  Grid grid;
  PictureBox remain;
  Timer timer;
  MemoryTransfer inet;
  MemoryLog log;
  ManualClock clock;
  RefreshContext ctx{s, form, grid, remain, timer, inet, log, clock, {}, {}, {}};
};

TEST_F(RefreshPassTest, EmptyResultsUpdateNamesOnlyAndRearmTheTimer) {
  db->AddRow("PlayerNumbers", {1, "N", "Ann Smith", start});
  grid.AddItem("stale\trow");
  Pass();
  EXPECT_EQ(s.NorthName(1), "Ann Smith");
  EXPECT_EQ(form.Caption(), "Tallix");
  EXPECT_EQ(grid.Rows(), 1);
  EXPECT_TRUE(inet.commands.empty());
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 10000);
}

TEST_F(RefreshPassTest, AFullPassSetsCaptionClockGridPageUploadAndFontOnce) {
  AddResult(1, 1, 1, "4 H", "=");
  AddResult(1, 2, 7, "4 H", "-1");
  clock.Advance(450);
  Pass();
  EXPECT_EQ(form.Caption(), "Rankings:  Friday Pairs ; Round 7");
  ASSERT_EQ(grid.Rows(), 2);
  EXPECT_EQ(grid.Cell(0, 1), "1");
  EXPECT_EQ(grid.Cell(0, 3), "100");
  EXPECT_EQ(inet.commands, std::vector<std::string>{kUploadCommand});
  EXPECT_TRUE(fs::exists(dir / "RankingTable.htm"));
  EXPECT_EQ(s.SecondsRemaining, 450);
  EXPECT_EQ(remain.Height(), 360);
  EXPECT_EQ(remain.Top(), 360);
  EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), "Remaining:450, Height:360, Top:360"),
            log.lines.end());
  EXPECT_EQ(grid.Font().Size, 18);
  EXPECT_EQ(grid.RowHeight(), 575);
  EXPECT_TRUE(s.FontSized);
  grid.SetFontSize(9);
  Pass();  // the font is chosen once per run
  EXPECT_EQ(grid.Font().Size, 9);
  EXPECT_EQ(inet.commands.size(), 2u);  // nothing changed, uploaded again
  EXPECT_TRUE(timer.Enabled());
}

// The screen follows the grid's notices: one per pass with the new rows, never
// the emptied grid in between; emptied for good only when nothing refills it.
TEST_F(RefreshPassTest, TheGridIsShownRefilledAndNeverBareBetween) {
  AddResult(1, 1, 1, "4 S", "=");
  AddResult(1, 2, 1, "3 NT", "=");
  Pass();
  std::vector<int> shown;
  grid.Changed = [&] { shown.push_back(grid.Rows()); };
  Pass();
  EXPECT_EQ(shown, std::vector<int>{2});
  s.NSPairCount = 0;
  shown.clear();
  Pass();
  EXPECT_EQ(shown, std::vector<int>{0});
  EXPECT_TRUE(grid.Redraw());
}

TEST_F(RefreshPassTest, APageThatCannotBeWrittenLeavesTheScreenToGoOn) {
  AddResult(1, 1, 1, "4 H", "=");
  fs::remove(ctx.template_host_path);
  Pass();
  Pass();
  // The grid, the clock and the font as when the page is written.
  EXPECT_EQ(grid.Rows(), 2);
  EXPECT_EQ(grid.Font().Size, 18);
  EXPECT_EQ(grid.RowHeight(), 575);
  EXPECT_TRUE(s.FontSized);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_FALSE(ctx.page_written);
  EXPECT_TRUE(inet.commands.empty());  // no stale page goes out
  const std::string failure = "Page failed: Error 53: File not found: " + ctx.template_host_path;
  EXPECT_EQ(ctx.page_failure, failure);
  EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), failure), 1);  // once per streak

  fs::copy_file(fs::path(TALLIX_SOURCE_DIR) / "share" / "SPOOLTEMPL.HTM", ctx.template_host_path);
  Pass();
  EXPECT_TRUE(ctx.page_written);
  EXPECT_EQ(inet.commands.size(), 1u);
  fs::remove(ctx.template_host_path);
  Pass();  // a new streak is told again
  EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), failure), 2);
}

TEST_F(RefreshPassTest, ClockBarColourAndSize) {
  AddResult(1, 1, 1, "4 H", "=");
  struct Case {
    int left;
    Colour colour;
  } cases[] = {{845, RGB(0, 0, 128)},   {240, RGB(0, 0, 128)}, {239, RGB(255, 128, 0)},
               {120, RGB(255, 128, 0)}, {119, RGB(255, 0, 0)}, {0, RGB(255, 0, 0)}};
  for (const auto& c : cases) {
    clock.Set(AddSeconds(start, 900 - c.left));
    Pass();
    EXPECT_EQ(s.SecondsRemaining, c.left);
    EXPECT_EQ(remain.BackColor(), c.colour) << c.left;
    EXPECT_FLOAT_EQ(remain.Height(), static_cast<float>(720.0 * c.left / 900));
    EXPECT_FLOAT_EQ(remain.Top() + remain.Height(), 720);
  }
  EXPECT_EQ(s.RoundStart, start);               // a round ending exactly now has not ended
  clock.Set(AddSeconds(start, 3 * 900 + 100));  // idle past three round ends
  Pass();
  EXPECT_NEAR(s.RoundStart.days, AddSeconds(start, 3 * 900).days, 1e-9);
  EXPECT_EQ(s.SecondsRemaining, 800);
}

TEST_F(RefreshPassTest, NoClockWhenSwitchedOffAndNoGridWithoutNorthSouthPairs) {
  AddResult(1, 1, 1, "4 H", "=");
  s.RoundSeconds = 0;
  Pass();
  EXPECT_EQ(grid.Rows(), 2);
  for (const auto& line : log.lines) EXPECT_NE(line.rfind("Remaining:", 0), 0u) << line;
  s.NSPairCount = 0;
  s.FontSized = false;
  Pass();
  EXPECT_EQ(form.Caption(), "Rankings:  Friday Pairs ; Round 1");
  EXPECT_EQ(grid.Rows(), 0);
  EXPECT_EQ(inet.commands.size(), 1u);
  EXPECT_FALSE(s.FontSized);
}

TEST_F(RefreshPassTest, FontTableByNumberOfTables) {
  AddResult(1, 1, 1, "4 H", "=");
  const float design_size = grid.Font().Size;
  const double design_rows = grid.RowHeight();
  struct Case {
    int tables;
    float points;
    double rows;
  } cases[] = {{19, 18, 575},
               {20, 18, 550},
               {23, 18, 480},
               {24, 16, 455},
               {25, 15, 430},
               {27, 14, 405},
               {28, design_size, design_rows}};
  for (const auto& c : cases) {
    Grid fresh;
    s.NumTables = c.tables;
    s.FontSized = false;
    RefreshContext run{
        s, form, fresh, remain, timer, inet, log, clock, ctx.template_host_path, ctx.page_host_path,
        {}};
    GetBWSData(run);
    EXPECT_EQ(fresh.Font().Size, c.points) << c.tables;
    EXPECT_EQ(fresh.RowHeight(), c.rows) << c.tables;
    EXPECT_TRUE(s.FontSized);
  }
}

TEST_F(RefreshPassTest, ABadRowIsLoggedOnceWhileItStaysBadAndThePassGoesOn) {
  const auto count = [&](const std::string& line) {
    return std::count(log.lines.begin(), log.lines.end(), line);
  };
  const std::string bad_result =
      "Result left out: table 1, ID ?, board 50, round 1: Board 50: Error 9: Subscript out of "
      "range";
  const std::string bad_name =
      "Name left out: table 61, seat \"N\": Table 61: Error 9: Subscript out of range";
  AddResult(1, 1, 1, "4 H", "=");
  AddResult(50, 1, 1, "4 H", "=");
  db->AddRow("PlayerNumbers", {61, "N", "Lost", start});
  Pass();
  EXPECT_EQ(grid.Rows(), 2);
  AddResult(1, 2, 2, "4 H", "-1");  // a good row after the bad one still counts
  Pass();
  EXPECT_EQ(form.Caption(), "Rankings:  Friday Pairs ; Round 2");
  EXPECT_EQ(grid.Cell(0, 3), "100");
  EXPECT_EQ(count(bad_result), 1);
  EXPECT_EQ(count(bad_name), 1);
  EXPECT_TRUE(timer.Enabled());

  // Corrected, then bad again: logged again.
  db->ClearRows("ReceivedData");
  AddResult(1, 1, 1, "4 H", "=");
  Pass();
  AddResult(50, 1, 1, "4 H", "=");
  Pass();
  EXPECT_EQ(count(bad_result), 2);
}

TEST_F(RefreshPassTest, TheCaptionShowsTheHighestRoundRead) {
  AddResult(1, 1, 5, "4 H", "=");
  AddResult(1, 2, 2, "4 H", "-1");  // a late correction of round 2
  Pass();
  EXPECT_EQ(form.Caption(), "Rankings:  Friday Pairs ; Round 5");
}

TEST_F(RefreshPassTest, AFailedPassRearmsTheTimerAndLogsEachNewErrorOnce) {
  AddResult(1, 1, 1, "4 H", "=");
  Pass();
  auto intact = db;
  s.BWSDatabase = std::make_shared<jet::MemoryDatabase>();  // no tables at all
  Pass();
  Pass();
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(std::count_if(log.lines.begin(), log.lines.end(),
                          [](const std::string& l) { return l.rfind("Refresh failed: ", 0) == 0; }),
            1);
  EXPECT_EQ(grid.Rows(), 2);  // the display keeps the last complete pass
  EXPECT_EQ(s.ResultScore(1, 1), 420);
  s.BWSDatabase = intact;
  Pass();
  EXPECT_EQ(grid.Rows(), 2);
}

}  // namespace
}  // namespace tallix
