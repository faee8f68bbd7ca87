// The reader's answer as the program takes it: every value kind back as it
// was stored, and an answer cut short or pointing outside itself refused
// whole, never read past its end.
#include "platform/jet/mdb_answer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "core/run_time_error.h"

namespace tallix::jet {
namespace {

std::string Encoded(const AnswerBuilder& b) {
  std::string out;
  b.AppendTo(out);
  return out;
}

std::shared_ptr<const TableData> Parse(const std::string& bytes) {
  std::unique_ptr<char[]> copy(new char[bytes.size() + 1]);
  std::memcpy(copy.get(), bytes.data(), bytes.size());
  return ParseAnswer(std::move(copy), bytes.size());
}

// Two rows: one of values, one of Nulls (a flag is never Null).
AnswerBuilder Sample() {
  AnswerBuilder b;
  b.Begin("T");
  const CellKind kinds[] = {CellKind::kFlag,       CellKind::kWhole, CellKind::kFloating,
                            CellKind::kDate,       CellKind::kText,  CellKind::kJet4Text,
                            CellKind::kCp1252Text, CellKind::kNull};
  for (CellKind k : kinds) b.AddColumn("c" + std::to_string(static_cast<int>(k)), k);
  b.StartRow();
  b.Bits(0, 1);
  b.Whole(1, -7);
  b.Number(2, 2.5);
  b.Number(3, 46088.75);
  b.Text(4, "Zoë", 4);
  b.Text(5,
         "\xFF\xFE"
         "Ann\xE9",
         6);
  b.Text(6, "caf\xE9", 4);
  b.Null(7);
  b.StartRow();
  b.Bits(0, 0);
  for (std::size_t c = 1; c < 8; ++c) b.Null(c);
  return b;
}

TEST(MdbAnswerTest, ValuesComeBackAsStored) {
  const auto t = Parse(Encoded(Sample()));
  EXPECT_EQ(t->Name(), "T");
  ASSERT_EQ(t->Columns().size(), 8u);
  ASSERT_EQ(t->RowCount(), 2u);
  const Value want[] = {true, -7, 2.5, DateTime{46088.75}, "Zoë", "Anné", "café", Value()};
  for (std::size_t c = 0; c < 8; ++c) {
    EXPECT_EQ(t->At(0, c), want[c]) << c;
    EXPECT_EQ(t->At(1, c), c == 0 ? Value(false) : Value()) << c;
  }
}

TEST(MdbAnswerTest, ErrorAnswerThrowsItsError) {
  std::string out;
  AppendErrorAnswer(out, err::kNotADatabase, "damaged");
  try {
    Parse(out);
    ADD_FAILURE() << "no error";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.Number, err::kNotADatabase);
    EXPECT_EQ(e.Description, "damaged");
  }
}

TEST(MdbAnswerTest, MalformedAnswersRefused) {
  const std::string whole = Encoded(Sample());
  for (std::size_t n = 0; n < whole.size(); ++n)
    EXPECT_THROW(Parse(whole.substr(0, n)), std::out_of_range) << "cut at " << n;
  EXPECT_THROW(Parse(whole + "x"), std::out_of_range);

  // A text whose bytes would lie past the answer's texts.
  AnswerBuilder b;
  b.Begin("T");
  b.AddColumn("Name", CellKind::kText);
  b.StartRow();
  b.Bits(0, uint64_t{3} | (uint64_t{100} << 32));
  EXPECT_THROW(Parse(Encoded(b)), std::out_of_range);
}

}  // namespace
}  // namespace tallix::jet
