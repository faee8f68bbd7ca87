// Session databases built from JSON, read by libmdb and mdbtools' tools.
#include "bws_build.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "mdb_reader.h"

namespace tallix::jetwriter {
namespace {

using nlohmann::json;
using tooltest::MdbReader;
using tooltest::RunCommand;
using tooltest::TextRows;

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "bws_" + name;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const json kSession = json::parse(R"({
  "Section": [{"ID": 1, "Letter": "A", "Tables": 3, "MissingPair": 0, "Description": "Mitchell"},
              {"ID": 2, "Letter": "B", "Tables": 2, "MissingPair": null}],
  "RoundData": [{"Section": 1, "Table": 1, "Round": 1, "NSPair": 1, "EWPair": 4,
                 "LowBoard": 1, "HighBoard": 3, "CustomBoards": ""},
                {"Section": 1, "Table": 2, "Round": 1, "NSPair": 2, "EWPair": 5,
                 "LowBoard": 4, "HighBoard": 6}],
  "PlayerNumbers": [{"Section": 1, "Table": 1, "Direction": "N", "Number": "1042",
                     "Name": "René Strauß", "Updated": true,
                     "TimeLog": "2024-03-05 19:02:31", "Processed": false},
                    {"Section": 1, "Table": 1, "Direction": "S", "Number": "",
                     "Name": "Søren Łukasiewicz"}],
  "ReceivedData": [{"ID": 1, "Section": 1, "Table": 1, "Round": 1, "Board": 1, "PairNS": 1,
                    "PairEW": 4, "Declarer": 1, "NS/EW": "N", "Contract": "4 S x",
                    "Result": "-2", "LeadCard": "HK", "Remarks": "",
                    "DateLog": "2024-03-05 00:00:00", "TimeLog": "1899-12-30 19:47:05",
                    "Processed": true, "Erased": false},
                   {"ID": 2, "Section": 1, "Table": 2, "Round": 1, "Board": 4, "PairNS": 2,
                    "PairEW": 5, "Declarer": -1, "Contract": "PASS", "Erased": true}]
})");

// What mdb-export prints for a table of the description.
std::string ExpectedCsv(const TableDef& def, const json& rows) {
  std::string out;
  for (std::size_t i = 0; i < def.columns.size(); ++i) out += (i ? "," : "") + def.columns[i].name;
  out += "\n";
  for (const json& r : rows) {
    for (std::size_t i = 0; i < def.columns.size(); ++i) {
      const Column& c = def.columns[i];
      const json v = r.value(c.name, json());
      if (i) out += ",";
      if (c.type == ColumnType::kBoolean)
        out += v.is_boolean() && v.get<bool>() ? "1" : "0";
      else if (v.is_number())
        out += v.dump();
      else if (v.is_string() && !v.get<std::string>().empty())
        out += "\"" + v.get<std::string>() + "\"";
    }
    out += "\n";
  }
  return out;
}

TEST(BwsBuild, MdbtoolsReadTheBuiltFileValueForValue) {
  const std::string session = TempPath("session.json");
  const std::string db = TempPath("session.bws");
  std::ofstream(session) << kSession.dump();
  RunCommand(std::string(BWSBUILD_PATH) + " " + db + " " + session);

  EXPECT_EQ(RunCommand("mdb-ver " + db), "JET4\n");
  EXPECT_EQ(RunCommand("mdb-tables -1 " + db), "Section\nRoundData\nPlayerNumbers\nReceivedData\n");
  for (const TableDef& def : BwsTables()) {
    const json rows = kSession[def.name];
    EXPECT_EQ(RunCommand("mdb-count " + db + " " + def.name), std::to_string(rows.size()) + "\n");
    EXPECT_EQ(RunCommand("mdb-export -T '%Y-%m-%d %H:%M:%S' " + db + " " + def.name),
              ExpectedCsv(def, rows))
        << def.name;
  }
  const std::string schema = RunCommand("mdb-schema " + db);
  for (const char* line :
       {"[ID]\t\t\tLong Integer", "[Letter]\t\t\tText (2)", "[CustomBoards]\t\t\tText (255)",
        "[NS/EW]\t\t\tText (2)", "[Updated]\t\t\tBoolean", "[TimeLog]\t\t\tDateTime"})
    EXPECT_NE(schema.find(line), std::string::npos) << line << "\n" << schema;
}

TEST(BwsBuild, FiveThousandResultsReadBackCompletelyAndInOrder) {
  json results = json::array();
  for (int id = 1; id <= 5000; ++id)
    results.push_back({{"ID", id},
                       {"Section", 1 + id % 3},
                       {"Table", id % 15},
                       {"Round", id / 400},
                       {"Board", id % 27},
                       {"Contract", "3 NT"},
                       {"Result", "+1"},
                       {"Remarks", "result " + std::to_string(id)},
                       {"TimeLog", "1899-12-30 19:00:00"},
                       {"Processed", id % 2 == 0}});
  const std::string db = TempPath("5000.bws");
  WriteBws(db, {{"ReceivedData", results}});

  MdbReader reader(db);
  const TextRows rows = reader.Read("ReceivedData");
  ASSERT_EQ(rows.size(), 5000u);
  for (int id = 1; id <= 5000; ++id) {
    const auto& r = rows[id - 1];
    ASSERT_EQ(r[0], std::to_string(id));
    ASSERT_EQ(r[1], std::to_string(1 + id % 3));
    ASSERT_EQ(r[12], "result " + std::to_string(id));
    ASSERT_EQ(r[14], "1899-12-30 19:00:00");
    ASSERT_EQ(r[15], id % 2 == 0 ? "1" : "0");
  }
  EXPECT_EQ(RunCommand("mdb-count " + db + " ReceivedData"), "5000\n");
  EXPECT_TRUE(reader.Read("Section").empty());
}

TEST(BwsBuild, AppendedResultsAreSeenByAnOpenReader) {
  const std::string db = TempPath("append.bws");
  WriteBws(db, kSession);
  MdbReader reader(db);
  ASSERT_EQ(reader.Read("ReceivedData").size(), 2u);

  AppendBws(db, json::parse(R"({"ReceivedData": [{"ID": 3, "Board": 7, "Contract": "2 H"}],
                                "PlayerNumbers": [{"Section": 1, "Table": 2, "Name": "Zoë"}]})"));
  TextRows rows = reader.Read("ReceivedData");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2][0], "3");
  EXPECT_EQ(rows[2][4], "7");
  EXPECT_EQ(rows[2][9], "2 H");
  EXPECT_EQ(reader.Read("PlayerNumbers").back()[4], "Zoë");

  // The command does the same.
  const std::string more = TempPath("more.json");
  std::ofstream(more) << R"({"ReceivedData": [{"ID": 4}, {"ID": 5}]})";
  RunCommand(std::string(BWSBUILD_PATH) + " --append " + db + " " + more);
  rows = reader.Read("ReceivedData");
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[4][0], "5");
  EXPECT_EQ(RunCommand("mdb-count " + db + " ReceivedData"), "5\n");
  EXPECT_EQ(RunCommand("mdb-count " + db + " Section"), "2\n");
}

TEST(BwsBuild, BadDescriptionsAreRefusedAndChangeNothing) {
  const std::string db = TempPath("bad.bws");
  WriteBws(db, kSession);
  const std::string before = Bytes(db);
  for (const char* bad : {
           R"([])",
           R"({"Scores": []})",
           R"({"Section": {"ID": 1}})",
           R"({"Section": [1]})",
           R"({"Section": [{"Id": 1}]})",
           R"({"Section": [{"ID": "1"}]})",
           R"({"Section": [{"ID": 1.5}]})",
           R"({"Section": [{"ID": 2147483648}]})",
           R"({"Section": [{"ID": -2147483649}]})",
           R"({"Section": [{"Letter": "ABC"}]})",
           R"({"PlayerNumbers": [{"Updated": 1}]})",
           R"({"PlayerNumbers": [{"TimeLog": "2024-03-05"}]})",
           R"({"PlayerNumbers": [{"TimeLog": "2024-02-30 10:00:00"}]})",
           R"({"PlayerNumbers": [{"TimeLog": "2024-03-05 24:00:00"}]})",
           R"({"ReceivedData": [{"ID": 9}], "RoundData": [{"Round": true}]})",
       }) {
    EXPECT_THROW(AppendBws(db, json::parse(bad)), JetError) << bad;
    EXPECT_THROW(WriteBws(TempPath("never.bws"), json::parse(bad)), JetError) << bad;
  }
  EXPECT_EQ(Bytes(db), before);
  EXPECT_FALSE(std::ifstream(TempPath("never.bws")).good());
  EXPECT_NO_THROW(AppendBws(db, json::object()));
  EXPECT_EQ(Bytes(db), before);

  const std::string missing = TempPath("missing.json");
  EXPECT_NE(
      std::system((std::string(BWSBUILD_PATH) + " " + db + " " + missing + " 2>/dev/null").c_str()),
      0);
  EXPECT_NE(std::system((std::string(BWSBUILD_PATH) + " 2>/dev/null").c_str()), 0);
}

}  // namespace
}  // namespace tallix::jetwriter
