// The Database interface as the program uses it, run against every backend:
// tables and the names query, walking rows, fields by name, the failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backends.h"
#include "core/date_time.h"
#include "core/run_time_error.h"
#include "platform/jet/snapshot.h"
#include "support/error_number.h"

#ifdef TALLIX_JET_MDB
#include "mdb_backend.h"
#endif

namespace tallix::jet::testing {
namespace {

using Rows = std::vector<std::vector<Value>>;

DateTime At(int hour, int minute, int second) {
  return MakeDateTime(2026, 3, 7, hour, minute, second);
}

// PlayerNumbers rows out of time order, with a Null name and a Null time.
std::vector<TableSpec> Session() {
  return {
      {"PlayerNumbers",
       {"Section", "Table", "Direction", "Number", "Name", "TimeLog"},
       {{1, 1, "N", "101", "Ann Lee", At(14, 5, 9)},
        {1, 1, "S", "102", "Bob Lee", At(14, 5, 8)},
        {1, 2, "E", "103", Value(), At(14, 6, 0)},
        {1, 2, "W", "104", "Dee Roe", Value()},
        {1, 3, "N", "105", "Eve Ray", At(14, 5, 10)}}},
      {"ReceivedData",
       {"ID", "Section", "Table", "Round", "Board", "PairNS", "PairEW", "NS/EW", "Contract",
        "Result", "Remarks", "Erased"},
       {}},
  };
}

template <typename Backend>
class DatabaseTest : public ::testing::Test {
 protected:
  std::shared_ptr<Database> Open(const std::vector<TableSpec>& tables = Session()) {
    return backend_.Open(tables);
  }
  Backend backend_;
};

#ifdef TALLIX_JET_MDB
using Backends = ::testing::Types<MdbBackend>;
#else
using Backends = ::testing::Types<MemoryBackend>;
#endif

struct BackendNames {
  template <typename T>
  static std::string GetName(int) {
    return T::kName;
  }
};
TYPED_TEST_SUITE(DatabaseTest, Backends, BackendNames);

Rows ReadAll(Recordset& rs, const std::vector<std::string>& fields) {
  Rows rows;
  for (; !rs.Eof(); rs.MoveNext()) {
    std::vector<Value> row;
    for (const auto& f : fields) row.push_back(rs.Field(f));
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> Directions(Database& db, const std::string& source) {
  auto rs = db.OpenRecordset(source);
  std::vector<std::string> out;
  for (; !rs->Eof(); rs->MoveNext()) out.push_back(TextOrEmpty(rs->Field("Direction")));
  rs->Close();
  return out;
}

using ::tallix::testing::ErrorNumber;

TYPED_TEST(DatabaseTest, TableGivesEveryRowInTableOrderWithItsValues) {
  auto db = this->Open();
  auto rs = db->OpenRecordset("PlayerNumbers");
  const Rows rows = ReadAll(*rs, {"Table", "Direction", "Name", "TimeLog"});
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], (std::vector<Value>{1, "N", "Ann Lee", At(14, 5, 9)}));
  EXPECT_EQ(rows[2][0].Kind(), ValueKind::Whole);
  EXPECT_TRUE(rows[2][2].IsNull());
  EXPECT_TRUE(rows[3][3].IsNull());
  EXPECT_EQ(rows[4], (std::vector<Value>{3, "N", "Eve Ray", At(14, 5, 10)}));
}

TYPED_TEST(DatabaseTest, NamesIgnoreCase) {
  auto db = this->Open();
  auto rs = db->OpenRecordset("playernumbers");
  EXPECT_EQ(rs->Field("DIRECTION"), Value("N"));
  EXPECT_EQ(Directions(*db, "SELECT direction FROM PLAYERNUMBERS"),
            (std::vector<std::string>{"N", "S", "E", "W", "N"}));
}

TYPED_TEST(DatabaseTest, WalkingAndItsLimits) {
  auto db = this->Open();
  auto rs = db->OpenRecordset("PlayerNumbers");
  EXPECT_EQ(ErrorNumber([&] { rs->Field("Nope"); }), err::kNoSuchField);
  for (int i = 0; i < 5; ++i) rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(ErrorNumber([&] { rs->Field("Name"); }), err::kNoCurrentRecord);
  EXPECT_EQ(ErrorNumber([&] { rs->Field("Nope"); }), err::kNoSuchField);
  EXPECT_EQ(ErrorNumber([&] { rs->MoveNext(); }), err::kNoCurrentRecord);
  rs->MoveFirst();
  EXPECT_EQ(rs->Field("Number"), Value("101"));
  rs->Close();
  EXPECT_EQ(ErrorNumber([&] { rs->Eof(); }), kObjectClosed);
}

TYPED_TEST(DatabaseTest, EmptyTableIsAtEndAtOnce) {
  auto db = this->Open();
  auto rs = db->OpenRecordset("ReceivedData");
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(ErrorNumber([&] { rs->MoveFirst(); }), err::kNoCurrentRecord);
  EXPECT_EQ(ErrorNumber([&] { rs->MoveNext(); }), err::kNoCurrentRecord);
  EXPECT_EQ(ErrorNumber([&] { rs->Field("Board"); }), err::kNoCurrentRecord);
}

TYPED_TEST(DatabaseTest, MissingTableOrField) {
  auto db = this->Open();
  EXPECT_EQ(ErrorNumber([&] { db->OpenRecordset("Players"); }), err::kNoSuchTable);
  EXPECT_EQ(ErrorNumber([&] { db->OpenRecordset("Select Name From Players"); }), err::kNoSuchTable);
  EXPECT_EQ(ErrorNumber([&] { db->OpenRecordset("Select Nickname From PlayerNumbers"); }),
            err::kNoSuchField);
  EXPECT_EQ(ErrorNumber([&] {
              db->OpenRecordset("Select Name From PlayerNumbers Where Stamp > #1/1/2026#");
            }),
            err::kNoSuchField);
  EXPECT_EQ(ErrorNumber([&] { db->OpenRecordset("Select Name From PlayerNumbers Where"); }),
            err::kSyntaxError);
}

TYPED_TEST(DatabaseTest, NamesQueryFirstPassReadsEveryTimedRow) {
  auto db = this->Open();
  auto rs = db->OpenRecordset(
      "Select Direction, Table, Name, TimeLog From PlayerNumbers Where TimeLog > #12/30/1899 "
      "00:00:00#");
  const Rows rows = ReadAll(*rs, {"Direction", "Table", "Name", "TimeLog"});
  // The row with no time is left out; the others keep table order, not time order.
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1], (std::vector<Value>{"S", 1, "Bob Lee", At(14, 5, 8)}));
  EXPECT_EQ(rows[3][0], Value("N"));
  rs->MoveFirst();
  EXPECT_EQ(ErrorNumber([&] { rs->Field("Number"); }), err::kNoSuchField);
}

TYPED_TEST(DatabaseTest, NamesQueryComparisons) {
  auto db = this->Open();
  const std::string head = "Select Direction From PlayerNumbers Where ";
  struct Case {
    std::string where;
    std::vector<std::string> directions;
  } cases[] = {
      {"TimeLog >= #3/7/2026 14:05:09#", {"N", "E", "N"}},
      {"TimeLog > #3/7/2026 14:05:09#", {"E", "N"}},
      {"TimeLog = #3/7/2026 14:05:09#", {"N"}},
      {"TimeLog <> #3/7/2026 14:05:09#", {"S", "E", "N"}},
      {"TimeLog < #3/7/2026 14:05:09#", {"S"}},
      {"TimeLog <= #3/7/2026 14:05:09#", {"N", "S"}},
      {"TimeLog > #3/7/2026#", {"N", "S", "E", "N"}},
      {"TimeLog > #3/8/2026#", {}},
      {"Table = 2", {"E", "W"}},
      {"Table <> 2", {"N", "S", "N"}},
      {"Table >= 2.5", {"N"}},
      {"Table < -1", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    EXPECT_EQ(Directions(*db, head + c.where), c.directions);
  }
}

TYPED_TEST(DatabaseTest, TextComparedWithNumberIsAMismatch) {
  auto db = this->Open();
  EXPECT_EQ(
      ErrorNumber([&] { db->OpenRecordset("Select Name From PlayerNumbers Where Name > 1"); }),
      kDataTypeMismatch);
}

TYPED_TEST(DatabaseTest, RowsAppendedWhileOpenAppearAtTheNextOpen) {
  auto db = this->Open();
  auto before = db->OpenRecordset("PlayerNumbers");
  this->backend_.Append("PlayerNumbers", {{1, 3, "S", "106", "Fay Ray", At(14, 7, 0)},
                                          {1, 4, "N", "107", "Gus Kim", At(14, 7, 1)}});
  EXPECT_EQ(ReadAll(*before, {"Direction"}).size(), 5u);
  const std::string later =
      "Select Direction, Name From PlayerNumbers Where TimeLog > #3/7/2026 14:06:00#";
  auto rs = db->OpenRecordset(later);
  EXPECT_EQ(ReadAll(*rs, {"Name"}), (Rows{{"Fay Ray"}, {"Gus Kim"}}));
  EXPECT_EQ(Directions(*db, "PlayerNumbers").size(), 7u);
}

}  // namespace
}  // namespace tallix::jet::testing
