#pragma once
// The reader process's answer to one read, in a byte form cheap at both ends:
// the table's columns, each an array of fixed-size cells, and the bytes of
// its texts. The reader stores the bytes it found (texts still in the file's
// encoding); the program keeps the answer as it came and makes a Value only
// when a field is read.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/jet/snapshot.h"

namespace tallix::jet {

// How a column's cells are stored; every kind but kNull may also hold Nulls.
enum class CellKind : uint8_t {
  kNull,        // a column of a type the program never reads
  kFlag,        // 0 or 1
  kWhole,       // int64
  kFloating,    // double
  kDate,        // double, days as DateTime
  kText,        // UTF-8 bytes
  kJet4Text,    // Jet 4 text bytes (UTF-16LE or compressed)
  kCp1252Text,  // Jet 3 text bytes
};

// Builds an answer row by row. Begin keeps the memory of the last answer,
// so a reader serving one read after another allocates little.
class AnswerBuilder {
 public:
  void Begin(std::string_view table);
  // Columns come first, before any row; returns the column's index.
  std::size_t AddColumn(std::string_view name, CellKind kind);
  // StartRow, then one of these for every column of the row.
  void StartRow();
  void Null(std::size_t column) { row_nulls_[column] = 1; }
  void Bits(std::size_t column, uint64_t bits) { row_cells_[column] = bits; }
  void Whole(std::size_t column, int64_t v) { Bits(column, static_cast<uint64_t>(v)); }
  void Number(std::size_t column, double v);
  // Text bytes in the column's own encoding; false when the texts grow past 4 GiB.
  bool Text(std::size_t column, const void* bytes, std::size_t size);

  std::size_t Rows() const { return rows_; }
  std::size_t ColumnCount() const { return columns_.size(); }

  // Appends the answer's bytes to out; with `rest`, only the first of them,
  // the others left where they are, listed in order in *rest.
  void AppendTo(std::string& out, std::vector<std::string_view>* rest = nullptr) const;

 private:
  struct Column {
    std::string name;
    CellKind kind = CellKind::kNull;
  };
  std::string table_;
  std::vector<Column> columns_;
  std::size_t rows_ = 0;
  // Row after row, a null flag and a cell for each column.
  std::vector<uint8_t> nulls_;
  std::vector<uint64_t> cells_;
  uint8_t* row_nulls_ = nullptr;
  uint64_t* row_cells_ = nullptr;
  std::string texts_;
};

// Appends the answer of a failed read to out.
void AppendErrorAnswer(std::string& out, int number, const std::string& description);

// The table of an answer, keeping the answer's bytes. An error answer throws
// its RunTimeError; bytes that are no answer (cut short, out of bounds)
// throw std::out_of_range.
std::shared_ptr<const TableData> ParseAnswer(std::unique_ptr<char[]> bytes, std::size_t size);

// Jet 4 text: UTF-16LE, or "compressed" after FF FE, where a zero byte
// switches between one byte a character and two. As UTF-8.
std::string Jet4Text(const unsigned char* p, std::size_t n);

}  // namespace tallix::jet
