// Real session files from the project's Jet writer, read through libmdb:
// opening, and every kind of damage a reader can meet while the file is being
// written (cut short, pages of zeros, torn appends, random bytes). Each must
// end in an error, or give the table whole; never a crash, a hang or a short table.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/run_time_error.h"
#include "mdb_backend.h"
#include "support/error_number.h"

namespace tallix::jet::testing {
namespace {

constexpr std::size_t kPage = 4096;

const std::vector<std::string> kResultColumns = {"ID",       "Section", "Table",   "Round",
                                                 "Board",    "PairNS",  "PairEW",  "NS/EW",
                                                 "Contract", "Result",  "Remarks", "Erased"};

std::vector<Value> ResultRow(int id) {
  return {id,
          1,
          1 + id % 15,
          1 + id / 45,
          1 + id % 27,
          1 + id % 15,
          1 + (id + 3) % 15,
          "N",
          "4HX",
          "=",
          id % 7 == 0 ? Value("60%-40%") : Value(),
          id % 11 == 0};
}

std::vector<std::vector<Value>> ResultRows(int from, int to) {
  std::vector<std::vector<Value>> rows;
  for (int id = from; id < to; ++id) rows.push_back(ResultRow(id));
  return rows;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

using ::tallix::testing::ErrorNumber;

using Rows = std::vector<std::vector<Value>>;

Rows ReadResults(Database& db) {
  auto rs = db.OpenRecordset("ReceivedData");
  Rows rows;
  for (; !rs->Eof(); rs->MoveNext()) {
    std::vector<Value> row;
    for (const auto& c : kResultColumns) row.push_back(rs->Field(c));
    rows.push_back(row);
  }
  return rows;
}

// 400 results over several data pages, and a few names.
class DamagedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MdbBackend backend;
    nlohmann::json session = {
        {"Section", {{{"ID", 1}, {"Letter", "A"}, {"Tables", 15}, {"Description", "Club"}}}},
        {"ReceivedData", ToJson(kResultColumns, ResultRows(0, 400))}};
    jetwriter::WriteBws(good_.path(), session);
    bytes_ = ReadFile(good_.path());
    ASSERT_EQ(bytes_.size() % kPage, 0u);
    ASSERT_GE(bytes_.size() / kPage, 8u);
    full_ = ResultRows(0, 400);
    for (auto& row : full_)
      if (row[10].Kind() == ValueKind::Text && std::get<std::string>(row[10].Raw()).empty())
        row[10] = Value();
  }

  // Opens the good file, then reads it after it has become `bytes`: an error,
  // or every row as written. Returns the error number (0 for a whole table).
  int ReadAfterDamage(const std::string& bytes, const Rows& expected) {
    TempFile file("damaged");
    WriteFile(file.path(), bytes_);
    auto db = MdbEngine(MdbOptions{std::chrono::milliseconds(3000)}).OpenDatabase(file.path());
    WriteFile(file.path(), bytes);
    try {
      const Rows rows = ReadResults(*db);
      EXPECT_EQ(rows, expected);
      return 0;
    } catch (const RunTimeError& e) {
      EXPECT_EQ(e.Number, err::kNotADatabase) << e.Description;
      return e.Number;
    }
  }

  TempFile good_;
  std::string bytes_;
  Rows full_;
};

TEST_F(DamagedFileTest, GoodFileReadsWhole) {
  auto db = MdbEngine().OpenDatabase(good_.path());
  EXPECT_EQ(ReadResults(*db), full_);
}

TEST_F(DamagedFileTest, FileCutShort) {
  int errors = 0;
  const std::size_t pages = bytes_.size() / kPage;
  for (std::size_t cut = 1; cut < pages; ++cut) {
    SCOPED_TRACE("cut after page " + std::to_string(cut));
    errors += ReadAfterDamage(bytes_.substr(0, cut * kPage), full_) != 0;
  }
  // Cut inside a page, and so short that only the header remains.
  for (std::size_t at : {bytes_.size() - 1, bytes_.size() - kPage / 2, kPage + 100, kPage - 1,
                         std::size_t{100}, std::size_t{0}}) {
    SCOPED_TRACE("cut at byte " + std::to_string(at));
    EXPECT_NE(ReadAfterDamage(bytes_.substr(0, at), full_), 0);
  }
  EXPECT_GE(errors, 3);
}

TEST_F(DamagedFileTest, PagesOfZeros) {
  int errors = 0;
  const std::size_t pages = bytes_.size() / kPage;
  for (std::size_t p = 0; p < pages; ++p) {
    SCOPED_TRACE("page " + std::to_string(p) + " zeroed");
    std::string bytes = bytes_;
    std::fill(bytes.begin() + static_cast<long>(p * kPage),
              bytes.begin() + static_cast<long>((p + 1) * kPage), '\0');
    errors += ReadAfterDamage(bytes, full_) != 0;
  }
  EXPECT_GE(errors, 4);
}

TEST_F(DamagedFileTest, RandomBytesAfterTheHeader) {
  std::mt19937 rng(7);
  std::string bytes = bytes_;
  for (std::size_t i = kPage; i < bytes.size(); ++i) bytes[i] = static_cast<char>(rng());
  EXPECT_NE(ReadAfterDamage(bytes, full_), 0);
  std::string noise(bytes_.size(), '\0');
  for (char& c : noise) c = static_cast<char>(rng());
  EXPECT_NE(ReadAfterDamage(noise, full_), 0);
}

// Random bytes changed anywhere: a value may change unseen (Jet keeps no
// checksums), but the read never crashes the program, hangs or drops rows.
TEST_F(DamagedFileTest, ScatteredDamageNeverCrashesOrHangs) {
  std::mt19937 rng(11);
  TempFile file("fuzz");
  WriteFile(file.path(), bytes_);
  auto db = MdbEngine(MdbOptions{std::chrono::milliseconds(3000)}).OpenDatabase(file.path());
  int errors = 0, reads = 0;
  for (int round = 0; round < 150; ++round) {
    std::string bytes = bytes_;
    const int changes = 1 + static_cast<int>(rng() % 16);
    for (int i = 0; i < changes; ++i)
      bytes[kPage + rng() % (bytes.size() - kPage)] = static_cast<char>(rng());
    WriteFile(file.path(), bytes);
    try {
      const Rows rows = ReadResults(*db);
      EXPECT_EQ(rows.size(), full_.size());
      ++reads;
    } catch (const RunTimeError& e) {
      ++errors;
    }
  }
  EXPECT_EQ(errors + reads, 150);
}

// A reader can catch an append half done: some changed pages written, others
// not. Every mix of old and new pages reads as before, as after, or fails.
TEST_F(DamagedFileTest, TornAppend) {
  TempFile after("after");
  WriteFile(after.path(), bytes_);
  jetwriter::AppendBws(after.path(),
                       {{"ReceivedData", ToJson(kResultColumns, ResultRows(400, 460))}});
  const std::string next = ReadFile(after.path());
  Rows more = full_;
  for (auto row : ResultRows(400, 460)) {
    if (row[10].Kind() == ValueKind::Text && std::get<std::string>(row[10].Raw()).empty())
      row[10] = Value();
    more.push_back(row);
  }
  std::vector<std::size_t> changed;
  for (std::size_t p = 0; p < next.size() / kPage; ++p)
    if (p * kPage >= bytes_.size() || bytes_.compare(p * kPage, kPage, next, p * kPage, kPage) != 0)
      changed.push_back(p);
  ASSERT_GE(changed.size(), 2u);
  ASSERT_LE(changed.size(), 10u);
  int errors = 0;
  for (unsigned mask = 1; mask + 1 < (1u << changed.size()); ++mask) {
    std::string bytes = next;
    for (std::size_t i = 0; i < changed.size(); ++i) {
      if (mask & (1u << i)) continue;  // this page not yet written
      const std::size_t at = changed[i] * kPage;
      if (at < bytes_.size())
        bytes.replace(at, kPage, bytes_, at, kPage);
      else
        std::fill(bytes.begin() + static_cast<long>(at),
                  bytes.begin() + static_cast<long>(at + kPage), '\0');
    }
    TempFile file("torn");
    WriteFile(file.path(), bytes);
    try {
      const Rows rows = ReadResults(*MdbEngine().OpenDatabase(file.path()));
      EXPECT_TRUE(rows == full_ || rows == more) << "mask " << mask << ": " << rows.size();
    } catch (const RunTimeError& e) {
      EXPECT_EQ(e.Number, err::kNotADatabase);
      ++errors;
    }
  }
  EXPECT_GE(errors, 1);
}

// A usage-map pointer of 205 in ReceivedData's definition page makes libmdb
// itself crash: the reader process dies, the read fails, and the next read
// (with a new reader) works again.
TEST_F(DamagedFileTest, ParserCrashIsContained) {
  const std::string remarks("R\0e\0m\0a\0r\0k\0s\0", 14);
  std::size_t definition = 0;
  for (std::size_t p = 1; p < bytes_.size() / kPage && !definition; ++p)
    if (bytes_[p * kPage] == 2 &&
        bytes_.substr(p * kPage, kPage).find(remarks) != std::string::npos)
      definition = p;
  ASSERT_NE(definition, 0u);
  std::string bytes = bytes_;
  bytes[definition * kPage + 55] = static_cast<char>(205);
  TempFile file("crash");
  WriteFile(file.path(), bytes);
  auto db = MdbEngine().OpenDatabase(file.path());
  try {
    ReadResults(*db);
    ADD_FAILURE() << "read a damaged table";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.Number, err::kNotADatabase);
  }
  EXPECT_EQ(ErrorNumber([&] { db->OpenRecordset("Section"); }), 0);
  WriteFile(file.path(), bytes_);
  EXPECT_EQ(ReadResults(*db), full_);
}

// Texts as the writer stores them: compressed (ASCII and Latin-1 bytes), and
// UTF-16 where a character lies past Latin-1 or the text is too short to gain.
TEST(MdbEngineTest, TextsReadBackInEveryForm) {
  const std::vector<std::string> names = {"Ann Lee", "é ß ø Ãx", "Łukasz Øster-Groß",       "Bo",
                                          "",        "Zoë",      std::string(40, 'a') + "ç"};
  TableSpec players{"PlayerNumbers", {"Section", "Table", "Direction", "Name"}, {}};
  for (std::size_t i = 0; i < names.size(); ++i)
    players.rows.push_back({1, static_cast<int>(i + 1), "N", names[i]});
  MdbBackend backend;
  auto db = backend.Open({players});
  auto rs = db->OpenRecordset("Select Name From PlayerNumbers");
  std::vector<Value> read;
  for (; !rs->Eof(); rs->MoveNext()) read.push_back(rs->Field("Name"));
  ASSERT_EQ(read.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(read[i], names[i].empty() ? Value() : Value(names[i])) << names[i];
}

TEST(MdbEngineTest, OpeningFails) {
  TempFile empty("empty"), text("text"), folder("folder");
  WriteFile(empty.path(), "");
  WriteFile(text.path(), "Board,Table\n1,2\n");
  std::filesystem::create_directory(folder.path());
  struct Case {
    std::string path;
    int number;
  } cases[] = {
      {"", err::kCannotOpenFile},
      {"/nonexistent/folder/session.bws", err::kCannotOpenFile},
      {folder.path(), err::kCannotOpenFile},
      {empty.path(), err::kNotADatabase},
      {text.path(), err::kNotADatabase},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ErrorNumber([&] { MdbEngine().OpenDatabase(c.path); }), c.number);
  }
  std::filesystem::remove(folder.path());
}

TEST(MdbEngineTest, FileRemovedWhileOpen) {
  TempFile file;
  jetwriter::WriteBws(file.path(), nlohmann::json::object());
  auto db = MdbEngine().OpenDatabase(file.path());
  EXPECT_TRUE(db->OpenRecordset("ReceivedData")->Eof());
  std::filesystem::remove(file.path());
  EXPECT_EQ(ErrorNumber([&] { db->OpenRecordset("ReceivedData"); }), err::kCannotOpenFile);
}

// Each open reads the file afresh: rows appended by several writes in a row
// all appear, and a table name or a query sees the same rows.
TEST(MdbEngineTest, ManyAppendsWhileOpen) {
  TempFile file;
  jetwriter::WriteBws(file.path(), nlohmann::json::object());
  auto db = MdbEngine().OpenDatabase(file.path());
  for (int batch = 0; batch < 6; ++batch) {
    jetwriter::AppendBws(
        file.path(),
        {{"ReceivedData", ToJson(kResultColumns, ResultRows(batch * 50, batch * 50 + 50))}});
    EXPECT_EQ(ReadResults(*db).size(), static_cast<std::size_t>(batch * 50 + 50));
    auto rs = db->OpenRecordset("Select Board, Round From ReceivedData Where ID >= 100");
    std::size_t n = 0;
    for (; !rs->Eof(); rs->MoveNext()) ++n;
    EXPECT_EQ(n, batch < 2 ? 0u : static_cast<std::size_t>(batch * 50 + 50 - 100));
  }
}

// A pass opens the names and the results: one read of the file serves both.
// Once the file has stood unchanged a while its tables are kept, and any
// write, however soon after a read, is seen by the next one.
TEST(MdbEngineTest, OneFileReadAPassAndNoneWhileTheFileIsUnchanged) {
  TempFile file;
  jetwriter::WriteBws(file.path(), {{"ReceivedData", ToJson(kResultColumns, ResultRows(0, 30))}});
  MdbReads reads;
  MdbOptions options;
  options.settled_after = std::chrono::milliseconds(200);
  options.reads = &reads;
  auto db = MdbEngine(options).OpenDatabase(file.path());
  const auto pass = [&] {
    db->OpenRecordset("Select Board From ReceivedData Where ID >= 10")->Close();
    return ReadResults(*db).size();
  };
  EXPECT_EQ(pass(), 30u);
  EXPECT_EQ(reads.asked, 2);
  EXPECT_EQ(reads.file_reads, 1);

  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  EXPECT_EQ(pass(), 30u);  // read again: the first reads came too soon after the change
  EXPECT_EQ(pass(), 30u);
  EXPECT_EQ(pass(), 30u);
  EXPECT_EQ(reads.asked, 4);
  EXPECT_EQ(reads.file_reads, 2);

  // Appends in place, each read at once: none may be missed, even when the
  // file's size and times do not move between two of them.
  for (int id = 30; id < 60; ++id) {
    jetwriter::AppendBws(file.path(),
                         {{"ReceivedData", ToJson(kResultColumns, ResultRows(id, id + 1))}});
    ASSERT_EQ(pass(), static_cast<std::size_t>(id + 1));
  }
}

TEST(MdbEngineTest, AFilePutInThePlaceOfAnotherIsRead) {
  TempFile file, other("other");
  jetwriter::WriteBws(file.path(), {{"ReceivedData", ToJson(kResultColumns, ResultRows(0, 20))}});
  jetwriter::WriteBws(other.path(),
                      {{"ReceivedData", ToJson(kResultColumns, ResultRows(100, 120))}});
  MdbOptions options;
  options.settled_after = std::chrono::milliseconds(0);
  auto db = MdbEngine(options).OpenDatabase(file.path());
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(ReadResults(*db)[0][0], Value(0));
  // Same size and the same modification time, another file.
  struct stat st {};
  ASSERT_EQ(::stat(file.path().c_str(), &st), 0);
  const timespec times[2] = {st.st_atim, st.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, other.path().c_str(), times, 0), 0);
  std::filesystem::rename(other.path(), file.path());
  EXPECT_EQ(ReadResults(*db)[0][0], Value(100));
}

}  // namespace
}  // namespace tallix::jet::testing
