// What only the in-memory database offers its tests.
#include "platform/jet/memory_database.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/run_time_error.h"

namespace tallix::jet {
namespace {

TEST(MemoryDatabaseTest, RowsByPositionOrByName) {
  MemoryDatabase db;
  db.AddTable("Section", {"ID", "Tables", "Description"});
  db.AddRow("Section", {1, 12, "Tuesday"});
  db.AddRowNamed("section", {{"tables", 7}});
  EXPECT_THROW(db.AddRow("Section", {1, 2}), std::invalid_argument);
  EXPECT_THROW(db.AddRowNamed("Section", {{"Letter", "A"}}), std::invalid_argument);
  EXPECT_THROW(db.AddRow("Nope", {}), std::invalid_argument);
  EXPECT_EQ(db.RowCount("Section"), 2u);
  auto rs = db.OpenRecordset("Section");
  rs->MoveNext();
  EXPECT_EQ(rs->Field("Tables"), Value(7));
  EXPECT_TRUE(rs->Field("Description").IsNull());
  db.ClearRows("Section");
  EXPECT_TRUE(db.OpenRecordset("Section")->Eof());
  EXPECT_FALSE(rs->Eof());  // the open recordset keeps its rows
}

TEST(MemoryDatabaseTest, FailNextOpenFailsOnce) {
  MemoryDatabase db;
  db.AddTable("T", {"a"});
  db.FailNextOpen(RunTimeError(3343, "damaged"));
  try {
    db.OpenRecordset("T");
    ADD_FAILURE();
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.Number, 3343);
  }
  EXPECT_NO_THROW(db.OpenRecordset("T"));
  EXPECT_EQ(db.OpenCount(), 2);
}

TEST(MemoryDatabaseTest, EngineOpensRegisteredPathsOnly) {
  MemoryEngine engine;
  auto db = std::make_shared<MemoryDatabase>();
  engine.Add("/data/a.bws", db);
  EXPECT_EQ(engine.OpenDatabase("/data/a.bws"), db);
  try {
    engine.OpenDatabase("/data/b.bws");
    ADD_FAILURE();
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.Number, err::kCannotOpenFile);
  }
}

}  // namespace
}  // namespace tallix::jet
