// Writes the reader's answers that seed fuzz_answer: every cell kind, Nulls,
// texts in each encoding, an empty table and an error answer.
#include <fstream>
#include <iostream>
#include <string>

#include "platform/jet/mdb_answer.h"

namespace {

void Save(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_seeds FOLDER\n";
    return 2;
  }
  using tallix::jet::CellKind;
  const std::string folder = argv[1];
  tallix::jet::AnswerBuilder b;
  b.Begin("ReceivedData");
  const auto board = b.AddColumn("Board", CellKind::kWhole);
  const auto erased = b.AddColumn("Erased", CellKind::kFlag);
  const auto contract = b.AddColumn("Contract", CellKind::kText);
  const auto remarks = b.AddColumn("Remarks", CellKind::kJet4Text);
  const auto name = b.AddColumn("Name", CellKind::kCp1252Text);
  const auto when = b.AddColumn("TimeLog", CellKind::kDate);
  const auto score = b.AddColumn("Score", CellKind::kFloating);
  b.AddColumn("LeadCard", CellKind::kNull);
  for (int row = 0; row < 3; ++row) {
    b.StartRow();
    b.Whole(board, row + 1);
    b.Bits(erased, row == 2);
    b.Text(contract, "4 Hx", 4);
    if (row == 1) {
      b.Null(remarks);
    } else {
      b.Text(remarks,
             "6\x00"
             "0\x00%\x00",
             6);
    }
    b.Text(name, "Ren\xE9", 4);
    b.Number(when, 46367.8125);
    b.Number(score, -420.5);
  }
  std::string answer;
  b.AppendTo(answer);
  Save(folder + "/rows", answer);

  b.Begin("Section");
  b.AddColumn("Tables", CellKind::kWhole);
  answer.clear();
  b.AppendTo(answer);
  Save(folder + "/empty", answer);

  answer.clear();
  tallix::jet::AppendErrorAnswer(answer, 3343, "not a database");
  Save(folder + "/error", answer);
  return 0;
}
