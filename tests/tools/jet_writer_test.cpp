// The writer's files as libmdb and mdbtools read them.
#include "jet_writer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <fstream>
#include <iterator>

#include "mdb_reader.h"

namespace tallix::jetwriter {
namespace {

using tooltest::MdbReader;
using tooltest::RunCommand;
using tooltest::TextRows;

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "jet_" + name;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const TableDef kTypes = {"Types",
                         {{"L", ColumnType::kLong},
                          {"I", ColumnType::kInteger},
                          {"Größe", ColumnType::kText, 20},
                          {"B", ColumnType::kBoolean},
                          {"D", ColumnType::kDateTime}}};

TEST(JetWriter, EveryTypeRoundTripsThroughLibmdb) {
  struct Case {
    Row row;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {{1, 1, std::string("plain"), true, JetDateTime(2024, 3, 5, 19, 30, 7)},
       {"1", "1", "plain", "1", "2024-03-05 19:30:07"}},
      {{INT32_MIN, -32768, std::string(""), false, JetDateTime(1899, 12, 30)},
       {"-2147483648", "-32768", "", "0", "1899-12-30 00:00:00"}},
      {{INT32_MAX, 32767, std::string("é ß ø"), true, JetDateTime(2099, 12, 31, 23, 59, 59)},
       {"2147483647", "32767", "é ß ø", "1", "2099-12-31 23:59:59"}},
      // ł is past U+00FF: the value is stored as plain UCS-2, not compressed.
      {{-1, -1, std::string("Łukasz Øster-Groß"), false, JetDateTime(1899, 12, 30, 19, 31, 0)},
       {"-1", "-1", "Łukasz Øster-Groß", "0", "1899-12-30 19:31:00"}},
      {{0, 0, std::string("twenty characters !!"), true, JetDateTime(2000, 2, 29, 0, 0, 1)},
       {"0", "0", "twenty characters !!", "1", "2000-02-29 00:00:01"}},
      {{std::monostate{}, std::monostate{}, std::monostate{}, std::monostate{}, std::monostate{}},
       {"", "", "", "0", ""}},
      {{7, {}, std::string("ab"), {}, {}}, {"7", "", "ab", "0", ""}},
  };
  Table table{kTypes, {}};
  TextRows expected;
  for (const Case& c : cases) {
    table.rows.push_back(c.row);
    expected.push_back(c.expected);
  }
  const std::string path = TempPath("types.mdb");
  WriteDatabase(path, {table, Table{{"Empty", {{"X", ColumnType::kLong}}}, {}}});

  MdbReader reader(path);
  EXPECT_EQ(reader.Tables(), (std::vector<std::string>{"Types", "Empty"}));
  EXPECT_EQ(reader.Columns("Types"), (std::vector<std::string>{"L", "I", "Größe", "B", "D"}));
  EXPECT_EQ(reader.Read("Types"), expected);
  EXPECT_EQ(reader.RowCount("Types"), static_cast<long>(cases.size()));
  EXPECT_TRUE(reader.Read("Empty").empty());

  // Null and a value differ for a fixed column in the bytes libmdb hands out:
  // mdb-export prints nothing for the Null Long and 0 for the zero.
  const std::string csv = RunCommand("mdb-export -T '%Y-%m-%d %H:%M:%S' " + path + " Types");
  EXPECT_NE(csv.find("\n0,0,\"twenty characters !!\",1,\"2000-02-29 00:00:01\"\n"),
            std::string::npos)
      << csv;
  EXPECT_NE(csv.find("\n,,,0,\n"), std::string::npos) << csv;

  const std::vector<TableDef> defs = ReadTableDefs(path);
  ASSERT_EQ(defs.size(), 2u);
  ASSERT_EQ(defs[0].columns.size(), kTypes.columns.size());
  for (std::size_t i = 0; i < kTypes.columns.size(); ++i) {
    EXPECT_EQ(defs[0].columns[i].name, kTypes.columns[i].name);
    EXPECT_EQ(defs[0].columns[i].type, kTypes.columns[i].type);
    EXPECT_EQ(defs[0].columns[i].length, kTypes.columns[i].length);
  }
}

TEST(JetWriter, AppendIsSeenByAReaderHoldingTheFileOpen) {
  const std::string path = TempPath("append.mdb");
  const TableDef def{"T", {{"N", ColumnType::kLong}, {"S", ColumnType::kText, 50}}};
  const TableDef other{"Other", {{"N", ColumnType::kLong}}};
  auto row = [](int n) { return Row{n, "row " + std::to_string(n)}; };
  WriteDatabase(path, {{def, {row(0), row(1), row(2)}}, {other, {{std::int32_t{5}}}}});

  MdbReader reader(path);
  ASSERT_EQ(reader.Read("T").size(), 3u);

  AppendRows(path, {{"T", {row(3), row(4)}}});  // fits on the table's last page
  EXPECT_EQ(reader.Read("T").size(), 5u);

  std::vector<Row> many;
  for (int n = 5; n < 400; ++n) many.push_back(row(n));
  AppendRows(path, {{"T", many}, {"Other", {{std::int32_t{6}}}}});  // new pages at the end

  const TextRows rows = reader.Read("T");
  ASSERT_EQ(rows.size(), 400u);
  for (int n = 0; n < 400; ++n)
    ASSERT_EQ(rows[n], (std::vector<std::string>{std::to_string(n), "row " + std::to_string(n)}));
  EXPECT_EQ(reader.Read("Other"), (TextRows{{"5"}, {"6"}}));
  EXPECT_EQ(RunCommand("mdb-count " + path + " T"), "400\n");
  EXPECT_EQ(reader.RowCount("T"), 400);
}

// Past 512 pages a table's usage map points at bitmap pages; a table whose
// pages grow apart (appends after another table's many pages) switches to it.
TEST(JetWriter, TablesOfManyPagesAreReadCompletelyAndInOrder) {
  const std::string path = TempPath("wide.mdb");
  const TableDef small{"Small", {{"N", ColumnType::kLong}}};
  const TableDef wide{"Wide", {{"N", ColumnType::kLong}, {"S", ColumnType::kText, 255}}};
  const std::string filler = "ł" + std::string(254, 'x');  // 510 bytes: seven rows a page
  std::vector<Row> wide_rows;
  for (int n = 0; n < 4000; ++n) wide_rows.push_back({n, filler});
  WriteDatabase(path, {{small, {{std::int32_t{0}}}}, {wide, wide_rows}});
  ASSERT_GT(Bytes(path).size(), 560u * 4096);

  MdbReader reader(path);
  auto check_wide = [&](int count) {
    const TextRows rows = reader.Read("Wide");
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n) {
      ASSERT_EQ(rows[n][0], std::to_string(n));
      ASSERT_EQ(rows[n][1], filler);
    }
  };
  check_wide(4000);

  // 300 more rows overflow Small's page (255 rows at most); its new page lies
  // past Wide's, more than 512 pages from its first.
  std::vector<Row> small_rows;
  TextRows small_expected = {{"0"}};
  for (int n = 1; n <= 300; ++n) {
    small_rows.push_back({n});
    small_expected.push_back({std::to_string(n)});
  }
  AppendRows(path, {{"Small", small_rows}, {"Wide", {{std::int32_t{4000}, filler}}}});
  EXPECT_EQ(reader.Read("Small"), small_expected);
  check_wide(4001);
  EXPECT_EQ(RunCommand("mdb-count " + path + " Small"), "301\n");
}

TEST(JetWriter, BadInputIsRefusedAndChangesNothing) {
  const std::string path = TempPath("bad.mdb");
  WriteDatabase(path, {{kTypes, {{1, 2, std::string("x"), true, 1.5}}}});
  const std::string before = Bytes(path);

  const std::vector<std::pair<const char*, Row>> bad_rows = {
      {"string in a Long", {std::string("1"), {}, {}, {}, {}}},
      {"Integer out of range", {{}, 40000, {}, {}, {}}},
      {"text too long", {{}, {}, std::string(21, 'a'), {}, {}}},
      {"malformed UTF-8", {{}, {}, std::string("\xC3"), {}, {}}},
      {"character outside UCS-2", {{}, {}, std::string("\xF0\x9F\x98\x80"), {}, {}}},
      {"date-time not finite", {{}, {}, {}, {}, std::nan("")}},
      {"bool in a DateTime", {{}, {}, {}, {}, true}},
      {"too few values", {{}, {}}},
  };
  for (const auto& [why, row] : bad_rows) {
    // The good row first: nothing of a batch is written when one row is bad.
    EXPECT_THROW(AppendRows(path, {{"Types", {Row{1, 2, {}, {}, {}}, row}}}), JetError) << why;
    EXPECT_THROW(WriteDatabase(TempPath("never.mdb"), {{kTypes, {row}}}), JetError) << why;
  }
  EXPECT_THROW(AppendRows(path, {{"Missing", {}}}), JetError);
  EXPECT_THROW(WriteDatabase(TempPath("never.mdb"), {{kTypes, {}}, {kTypes, {}}}), JetError);
  EXPECT_THROW(WriteDatabase(TempPath("never.mdb"), {{{"T", {{"A", ColumnType::kText, 0}}}, {}}}),
               JetError);
  EXPECT_THROW(AppendRows(TempPath("never.mdb"), {}), JetError);
  EXPECT_EQ(Bytes(path), before);
  EXPECT_FALSE(std::ifstream(TempPath("never.mdb")).good());
}

}  // namespace
}  // namespace tallix::jetwriter
