#include "platform/jet/mdb_answer.h"

#include <bit>
#include <cstring>
#include <stdexcept>

#include "core/date_time.h"
#include "core/run_time_error.h"
#include "core/text.h"

namespace tallix::jet {
namespace {

// The byte form, all numbers in the machine's own order (both ends are one program):
//   u8 0, text table, u32 columns, u32 rows, u32 text bytes,
//   per column: text name, u8 kind; row after row, a u8 null flag per column;
//   row after row, an 8-byte cell per column (a text: u32 offset, u32 size); the texts.
//   u8 1, u32 error number, text description.
// A text is u32 size, then its bytes.
void PutU32(std::string& out, uint32_t v) {
  out.append(reinterpret_cast<const char*>(&v), 4);
}
void PutText(std::string& out, std::string_view s) {
  PutU32(out, static_cast<uint32_t>(s.size()));
  out.append(s);
}

bool IsText(CellKind kind) {
  return kind == CellKind::kText || kind == CellKind::kJet4Text || kind == CellKind::kCp1252Text;
}

class Cursor {
 public:
  Cursor(const char* p, std::size_t n) : p_(p), n_(n) {}
  const char* Take(std::size_t n) {
    if (n_ - pos_ < n) throw std::out_of_range("short answer");
    const char* p = p_ + pos_;
    pos_ += n;
    return p;
  }
  uint8_t U8() { return static_cast<uint8_t>(*Take(1)); }
  uint32_t U32() {
    uint32_t v;
    std::memcpy(&v, Take(4), 4);
    return v;
  }
  std::string Text() {
    const uint32_t n = U32();
    return std::string(Take(n), n);
  }
  std::size_t Left() const { return n_ - pos_; }

 private:
  const char* p_;
  std::size_t n_;
  std::size_t pos_ = 0;
};

class AnswerTable : public TableData {
 public:
  AnswerTable(std::unique_ptr<char[]> bytes, std::size_t size) : bytes_(std::move(bytes)) {
    Cursor in(bytes_.get(), size);
    if (in.U8() != 0) {
      const int number = static_cast<int>(in.U32());
      throw RunTimeError(number, in.Text());
    }
    name_ = in.Text();
    const uint32_t columns = in.U32();
    rows_ = in.U32();
    const uint32_t text_size = in.U32();
    // Checked before anything is sized by it: a column takes 5 bytes at least.
    if (static_cast<uint64_t>(columns) * 5 > in.Left())
      throw std::out_of_range("answer larger than its bytes");
    names_.reserve(columns);
    cols_.resize(columns);
    for (Col& c : cols_) {
      names_.push_back(in.Text());
      const uint8_t kind = in.U8();
      if (kind > static_cast<uint8_t>(CellKind::kCp1252Text))
        throw std::out_of_range("bad cell kind");
      c.kind = static_cast<CellKind>(kind);
    }
    const std::size_t cells = static_cast<std::size_t>(rows_) * columns;
    if (columns > 0 && cells / columns != rows_) throw std::out_of_range("answer too large");
    nulls_ = reinterpret_cast<const uint8_t*>(in.Take(cells));
    if (cells > in.Left() / 8) throw std::out_of_range("short answer");
    cells_ = in.Take(cells * 8);
    texts_ = in.Take(text_size);
    texts_size_ = text_size;
    if (in.Left() != 0) throw std::out_of_range("answer longer than its table");
    // Every text within the texts, so that reading a field cannot fail.
    for (std::size_t c = 0; c < columns; ++c) {
      if (!IsText(cols_[c].kind)) continue;
      for (std::size_t at = c; at < cells; at += columns) {
        const uint64_t bits = CellBits(at);
        if (!nulls_[at] && (bits & 0xFFFFFFFF) + (bits >> 32) > texts_size_)
          throw std::out_of_range("text outside the answer");
      }
    }
  }

  const std::string& Name() const override { return name_; }
  const std::vector<std::string>& Columns() const override { return names_; }
  std::size_t RowCount() const override { return rows_; }

  Value At(std::size_t row, std::size_t column) const override {
    const Col& c = cols_[column];
    const std::size_t at = row * cols_.size() + column;
    if (nulls_[at]) return Value();
    const uint64_t bits = CellBits(at);
    const char* text = texts_ + (bits & 0xFFFFFFFF);
    const std::size_t size = static_cast<std::size_t>(bits >> 32);
    switch (c.kind) {
      case CellKind::kNull:
        return Value();
      case CellKind::kFlag:
        return Value(bits != 0);
      case CellKind::kWhole:
        return Value(static_cast<int64_t>(bits));
      case CellKind::kFloating:
        return Value(std::bit_cast<double>(bits));
      case CellKind::kDate:
        return Value(DateTime{std::bit_cast<double>(bits)});
      case CellKind::kText:
        return Value(std::string(text, size));
      case CellKind::kJet4Text:
        return Value(Jet4Text(reinterpret_cast<const unsigned char*>(text), size));
      case CellKind::kCp1252Text:
        return Value(Cp1252ToUtf8(std::string_view(text, size)));
    }
    return Value();
  }

 private:
  struct Col {
    CellKind kind = CellKind::kNull;
  };
  uint64_t CellBits(std::size_t at) const {
    uint64_t bits;
    std::memcpy(&bits, cells_ + at * 8, 8);
    return bits;
  }

  std::unique_ptr<char[]> bytes_;
  std::string name_;
  std::vector<std::string> names_;
  std::vector<Col> cols_;
  std::size_t rows_ = 0;
  const uint8_t* nulls_ = nullptr;  // row after row, one for each column
  const char* cells_ = nullptr;
  const char* texts_ = nullptr;
  std::size_t texts_size_ = 0;
};

// Writes cp as UTF-8 at out; the bytes written.
std::size_t PutUtf8(char* out, uint32_t cp) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

}  // namespace

void AnswerBuilder::Begin(std::string_view table) {
  table_ = table;
  columns_.clear();
  rows_ = 0;
  nulls_.clear();
  cells_.clear();
  texts_.clear();
}

std::size_t AnswerBuilder::AddColumn(std::string_view name, CellKind kind) {
  columns_.push_back({std::string(name), kind});
  return columns_.size() - 1;
}

void AnswerBuilder::StartRow() {
  const std::size_t at = rows_ * columns_.size();
  ++rows_;
  nulls_.resize(at + columns_.size());
  cells_.resize(at + columns_.size());
  row_nulls_ = nulls_.data() + at;
  row_cells_ = cells_.data() + at;
}

void AnswerBuilder::Number(std::size_t column, double v) {
  Bits(column, std::bit_cast<uint64_t>(v));
}

bool AnswerBuilder::Text(std::size_t column, const void* bytes, std::size_t size) {
  const std::size_t offset = texts_.size();
  if (offset + size > 0xFFFFFFFF) return false;
  texts_.append(static_cast<const char*>(bytes), size);
  Bits(column, offset | (static_cast<uint64_t>(size) << 32));
  return true;
}

void AnswerBuilder::AppendTo(std::string& out, std::vector<std::string_view>* rest) const {
  out += '\0';
  PutText(out, table_);
  PutU32(out, static_cast<uint32_t>(columns_.size()));
  PutU32(out, static_cast<uint32_t>(rows_));
  PutU32(out, static_cast<uint32_t>(texts_.size()));
  for (const Column& c : columns_) {
    PutText(out, c.name);
    out += static_cast<char>(c.kind);
  }
  const std::string_view arrays[] = {
      {reinterpret_cast<const char*>(nulls_.data()), nulls_.size()},
      {reinterpret_cast<const char*>(cells_.data()), cells_.size() * 8},
      texts_};
  for (std::string_view a : arrays) {
    if (rest)
      rest->push_back(a);
    else
      out.append(a);
  }
}

void AppendErrorAnswer(std::string& out, int number, const std::string& description) {
  out += '\1';
  PutU32(out, static_cast<uint32_t>(number));
  PutText(out, description);
}

std::shared_ptr<const TableData> ParseAnswer(std::unique_ptr<char[]> bytes, std::size_t size) {
  return std::make_shared<AnswerTable>(std::move(bytes), size);
}

std::string Jet4Text(const unsigned char* p, std::size_t n) {
  // No input byte gives more than two bytes of UTF-8 (a surrogate pair: four for four).
  std::string out(2 * n, '\0');
  char* o = out.data();
  const bool switching = n >= 2 && p[0] == 0xFF && p[1] == 0xFE;
  bool compressed = switching;
  std::size_t i = switching ? 2 : 0;
  uint32_t high = 0;  // a pending high surrogate
  while (i < n) {
    if (switching && p[i] == 0) {
      compressed = !compressed;
      ++i;
    } else if (compressed) {
      o += PutUtf8(o, p[i++]);
    } else if (i + 1 < n) {
      const uint32_t unit = p[i] | (p[i + 1] << 8);
      i += 2;
      if (unit >= 0xD800 && unit < 0xDC00) {
        high = unit;
        continue;
      }
      if (unit >= 0xDC00 && unit < 0xE000 && high)
        o += PutUtf8(o, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
      else
        o += PutUtf8(o, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
      high = 0;
    } else {
      break;
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

}  // namespace tallix::jet
