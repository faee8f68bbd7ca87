// The appendix's layout on the in-memory workbook.
#include "appendix/print_appendix.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/spreadsheet/memory_workbook.h"
#include "support/error_number.h"

namespace tallix {
namespace {

using spreadsheet::Cell;
using spreadsheet::CellValue;
using spreadsheet::MemoryWorkbook;
using spreadsheet::Sheet;

constexpr char kTemplate[] = "/c/Bridge/GridAppendix.xls";

// Template rows 1 to 12 of worksheet 1 carry a marker in column 8, so that
// every move of a template row shows.
Sheet MarkedSheet() {
  Sheet sheet;
  for (int r = 1; r <= 12; ++r) sheet[{r, 8}] = Cell{"t" + std::to_string(r), ""};
  return sheet;
}

MemoryWorkbook Office() {
  return MemoryWorkbook({{kTemplate, {MarkedSheet(), Sheet{}}}});
}

std::string Marker(const Sheet& sheet, int row) {
  const auto at = sheet.find({row, 8});
  return at == sheet.end() ? "" : std::get<std::string>(at->second.value);
}

// The values written in columns 1 to 6 of a row, absent cells as monostate.
std::vector<CellValue> Row(const Sheet& sheet, int row, int first = 1) {
  std::vector<CellValue> cells;
  for (int c = first; c < first + 6; ++c) {
    const auto at = sheet.find({row, c});
    cells.push_back(at == sheet.end() ? CellValue{} : at->second.value);
  }
  return cells;
}

std::vector<CellValue> Ranked(int p, int k, const std::string& name, float pc, float won,
                              float max) {
  return {int32_t{p}, int32_t{k}, name, pc, won, max};
}

std::vector<CellValue> Blank() {
  return std::vector<CellValue>(6);
}

// Pairs ranked in `order` (position 1 first); pair k has percentage 40 + k,
// k won and 10 available unless told otherwise.
void Rank(SessionState& s, WorkList<int16_t>& order, const std::vector<int>& pairs, bool ew) {
  order.Resize(static_cast<int>(pairs.size()) + 1);
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const int k = pairs[i];
    order(static_cast<int>(i) + 1) = static_cast<int16_t>(k);
    if (k == 0) continue;
    (ew ? s.EWPairName : s.NSPairName)(k) = (ew ? "EW " : "NS ") + std::to_string(k);
    (ew ? s.EWPercent : s.NSPercent)(k) = 40.0f + k;
    (ew ? s.EWTotalMP : s.NSTotalMP)(k) = static_cast<float>(k);
    (ew ? s.EWMaxMP : s.NSMaxMP)(k) = 10;
  }
}

std::vector<std::pair<int, int>> FormattedCells(const Sheet& sheet) {
  std::vector<std::pair<int, int>> at;
  for (const auto& [where, cell] : sheet) {
    if (!cell.format.empty()) {
      EXPECT_EQ(cell.format, "0.00");
      at.push_back(where);
    }
  }
  return at;
}

TEST(PrintAppendix, OneFieldListsAllPairsWithGapsAndDeletesTheThreeRowsBelow) {
  SessionState s;
  s.SessionTitle = "Thursday Pairs";
  s.NumTables = 6;
  // Pair 4 has nothing available yet: no row, but position 3 is not reused.
  Rank(s, s.NSRankOrder, {7, 2, 4, 12, 1, 3, 5, 6, 8, 9, 10, 11}, false);
  s.NSMaxMP(4) = 0;
  MemoryWorkbook office = Office();
  PrintAppendix(s, office, kTemplate);

  ASSERT_EQ(office.Printed().size(), 2u);
  const Sheet& one = office.Printed()[0].cells;
  EXPECT_EQ(office.Printed()[0].index, 1);
  EXPECT_EQ(std::get<std::string>(one.at({1, 1}).value), "Thursday Pairs");
  EXPECT_EQ(Row(one, 7), Ranked(1, 7, "NS 7", 47, 7, 10));
  EXPECT_EQ(Row(one, 8), Ranked(2, 2, "NS 2", 42, 2, 10));
  EXPECT_EQ(Row(one, 9), Ranked(4, 12, "NS 12", 52, 12, 10));
  EXPECT_EQ(Row(one, 17), Ranked(12, 11, "NS 11", 51, 11, 10));
  // Template rows 1-6 stay, 7-9 are gone, 10 follows the list.
  EXPECT_EQ(Marker(one, 6), "t6");
  EXPECT_EQ(Marker(one, 17), "");
  EXPECT_EQ(Marker(one, 18), "t10");
  EXPECT_EQ(Marker(one, 20), "t12");
  std::vector<std::pair<int, int>> formatted;
  for (int r = 7; r <= 17; ++r) formatted.push_back({r, 4});
  EXPECT_EQ(FormattedCells(one), formatted);
  EXPECT_EQ(s.AppendixNSPair, 11);
}

TEST(PrintAppendix, TwoFieldsListEastWestFromRowTwelvePlusNUnderTheirOwnNumbers) {
  SessionState s;
  s.TwoFields = true;
  s.NumTables = 5;
  Rank(s, s.NSRankOrder, {3, 1, 5, 2, 4}, false);
  s.NSMaxMP(5) = 0;  // n = 4 listed
  // East-west pairs numbered 6 to 10 apart from their tables; one position
  // empty (a missing pair); pair 9 has played nothing and is still listed.
  Rank(s, s.EWRankOrder, {8, 0, 6, 10, 9}, true);
  s.EWMaxMP(9) = 0;
  for (int t = 1; t <= 5; ++t) s.TableEWPair(t) = static_cast<uint8_t>(t + 5);
  MemoryWorkbook office = Office();
  PrintAppendix(s, office, kTemplate);

  ASSERT_EQ(office.Printed().size(), 2u);
  const Sheet& one = office.Printed()[0].cells;
  EXPECT_EQ(Row(one, 7), Ranked(1, 3, "NS 3", 43, 3, 10));
  EXPECT_EQ(Row(one, 9), Ranked(4, 2, "NS 2", 42, 2, 10));
  EXPECT_EQ(Row(one, 10), Ranked(5, 4, "NS 4", 44, 4, 10));
  EXPECT_EQ(Row(one, 11), Blank());  // the inserted blank row, 7 + n
  EXPECT_EQ(Marker(one, 11), "");
  EXPECT_EQ(Marker(one, 12), "t7");
  EXPECT_EQ(Marker(one, 15), "t10");
  EXPECT_EQ(Row(one, 16), Ranked(1, 8, "EW 8", 48, 8, 10));  // 12 + n
  EXPECT_EQ(Marker(one, 16), "t11");                         // written over, not inserted
  EXPECT_EQ(Row(one, 17), Ranked(3, 6, "EW 6", 46, 6, 10));
  EXPECT_EQ(Row(one, 19), Ranked(5, 9, "EW 9", 49, 9, 0));
  EXPECT_EQ(Row(one, 20), Blank());
  const std::vector<std::pair<int, int>> formatted = {{7, 4},  {8, 4},  {9, 4},  {10, 4},
                                                      {16, 4}, {17, 4}, {18, 4}, {19, 4}};
  EXPECT_EQ(FormattedCells(one), formatted);
  EXPECT_EQ(s.AppendixEWPair, 9);
}

TEST(PrintAppendix, TwoFieldLayoutHasOneHeadingRowLessAndIgnoresTwoFields) {
  SessionState s;
  s.TwoFields = false;
  s.NumTables = 3;
  Rank(s, s.NSRankOrder, {2, 0, 1}, false);
  Rank(s, s.EWRankOrder, {5, 6, 4}, true);
  s.NSMaxMP(1) = 0;  // listed all the same in this layout
  MemoryWorkbook office = Office();
  PrintAppendix(s, office, kTemplate, AppendixLayout::kTwoField);

  const Sheet& one = office.Printed().at(0).cells;
  EXPECT_EQ(Row(one, 6), Ranked(1, 2, "NS 2", 42, 2, 10));
  EXPECT_EQ(Row(one, 7), Ranked(3, 1, "NS 1", 41, 1, 0));
  EXPECT_EQ(Row(one, 8), Blank());
  EXPECT_EQ(Marker(one, 8), "");
  EXPECT_EQ(Marker(one, 9), "t6");
  EXPECT_EQ(Row(one, 12), Ranked(1, 5, "EW 5", 45, 5, 10));  // 10 + n
  EXPECT_EQ(Marker(one, 12), "t9");
  EXPECT_EQ(Row(one, 14), Ranked(3, 4, "EW 4", 44, 4, 10));
  EXPECT_EQ(Marker(one, 15), "t12");  // nothing deleted
}

TEST(PrintAppendix, BoardGridBandsColumnsAndScores) {
  SessionState s;
  s.TwoFields = true;
  s.NumTables = 2;
  s.NumBoards = 30;
  Rank(s, s.NSRankOrder, {1, 2}, false);
  Rank(s, s.EWRankOrder, {3, 4}, true);
  struct Result {
    int board, table, ns, ew, score;
    float ns_mp, ew_mp;
  };
  const Result results[] = {
      {1, 1, 1, 3, 420, 2, 0},       {1, 2, 2, 4, -420, 0, 2}, {9, 2, 2, 4, 0, 1, 1},
      {10, 1, 1, 3, -7, 1.5f, 0.5f}, {27, 2, 2, 4, 50, 2, 0},  {28, 1, 1, 3, -100, 0, 2},
      {30, 2, 2, 4, 110, 1, 1},
  };
  for (const Result& r : results) {
    s.ResultNSPair(r.board, r.table) = static_cast<uint8_t>(r.ns);
    s.ResultEWPair(r.board, r.table) = static_cast<uint8_t>(r.ew);
    s.ResultScore(r.board, r.table) = static_cast<int16_t>(r.score);
    s.NSBoardMP(r.board, r.table) = r.ns_mp;
    s.EWBoardMP(r.board, r.table) = r.ew_mp;
  }
  MemoryWorkbook office = Office();
  PrintAppendix(s, office, kTemplate);

  ASSERT_EQ(office.Printed().size(), 2u);
  EXPECT_EQ(office.Printed()[1].index, 2);
  const Sheet& two = office.Printed()[1].cells;
  using V = std::vector<CellValue>;
  const CellValue none;
  EXPECT_EQ(Row(two, 3, 1), (V{1, 3, 420, none, 2.0f, 0.0f}));
  EXPECT_EQ(Row(two, 4, 1), (V{2, 4, none, 420, 0.0f, 2.0f}));
  EXPECT_EQ(Row(two, 4, 49), (V{2, 4, none, 0, 1.0f, 1.0f}));     // board 9
  EXPECT_EQ(Row(two, 29, 1), (V{1, 3, none, 7, 1.5f, 0.5f}));     // board 10, a reserved code
  EXPECT_EQ(Row(two, 56, 49), (V{2, 4, 50, none, 2.0f, 0.0f}));   // board 27
  EXPECT_EQ(Row(two, 55, 55), (V{1, 3, none, 100, 0.0f, 2.0f}));  // board 28
  EXPECT_EQ(Row(two, 56, 67), (V{2, 4, 110, none, 1.0f, 1.0f}));  // board 30
  EXPECT_EQ(two.size(),
            5 * std::size(results));  // tables without a result leave their rows untouched
  EXPECT_TRUE(FormattedCells(two).empty());
}

TEST(PrintAppendix, ClosesUnsavedAndQuitsOnEveryWayOut) {
  struct Case {
    const char* what;
    std::string path;
    int sheets;
    int tables;  // beyond the session arrays' bounds
    int error;
    std::size_t printed;
  };
  const Case cases[] = {
      {"fine", kTemplate, 2, 2, 0, 2},
      {"template missing", "/c/Bridge/none.xls", 2, 2, err::kFileNotFound, 0},
      {"one worksheet", kTemplate, 1, 2, err::kSubscript, 1},
      {"no ranking yet", kTemplate, 2, 0, err::kSubscript, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SessionState s;
    s.TwoFields = true;
    s.NumTables = 2;
    if (c.tables > 0) {
      Rank(s, s.NSRankOrder, {1, 2}, false);
      Rank(s, s.EWRankOrder, {3, 4}, true);
    }
    std::vector<Sheet> sheets = {MarkedSheet()};
    if (c.sheets == 2) sheets.push_back(Sheet{});
    MemoryWorkbook office({{kTemplate, sheets}});
    EXPECT_EQ(testing::ErrorNumber([&] { PrintAppendix(s, office, c.path); }), c.error);
    EXPECT_EQ(office.Printed().size(), c.printed);
    EXPECT_FALSE(office.Open());
    EXPECT_FALSE(office.Running());
    EXPECT_EQ(office.Files().at(kTemplate).front(), MarkedSheet());  // the file never changes
  }
}

}  // namespace
}  // namespace tallix
