#include "jet_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <span>

#include "jet_encoding.h"

namespace tallix::jetwriter {
namespace {

using detail::Get16;
using detail::Get32;
using detail::Put16;
using detail::Put32;

static_assert(std::endian::native == std::endian::little, "Jet stores doubles little-endian");

constexpr std::size_t kPageSize = 4096;
using Page = std::array<std::uint8_t, kPageSize>;

// Column types as the table definition stores them.
constexpr std::uint8_t kJetBool = 0x01;
constexpr std::uint8_t kJetInteger = 0x03;
constexpr std::uint8_t kJetLong = 0x04;
constexpr std::uint8_t kJetDateTime = 0x08;
constexpr std::uint8_t kJetText = 0x0A;
constexpr std::uint8_t kJetOle = 0x0B;

// Data page: type, 1, free space, owning table definition, 4 unknown, row count,
// then one 2-byte offset a row; rows fill the page from its end.
constexpr std::size_t kDataHeader = 14;
constexpr std::size_t kRowCountAt = 12;
constexpr std::uint16_t kOffsetMask = 0x1FFF;
constexpr std::uint16_t kDeletedRow = 0x8000;
constexpr std::uint16_t kLookupRow = 0x4000;
constexpr int kMaxRowsPerPage = 255;  // row numbers are one byte in a row pointer
constexpr std::size_t kMaxRowSize = kPageSize - kDataHeader - 2;

// Table definition fields.
constexpr std::size_t kTdefLenAt = 8;
constexpr std::size_t kTdefRowsAt = 16;
constexpr std::size_t kTdefTableTypeAt = 40;
constexpr std::size_t kTdefMaxColsAt = 41;
constexpr std::size_t kTdefVarColsAt = 43;
constexpr std::size_t kTdefColsAt = 45;
constexpr std::size_t kTdefIndexesAt = 47;
constexpr std::size_t kTdefRealIndexesAt = 51;
constexpr std::size_t kTdefUsedMapAt = 55;
constexpr std::size_t kTdefFreeMapAt = 59;
constexpr std::size_t kTdefColumnsAt = 63;
constexpr std::size_t kColumnEntrySize = 25;

// Usage maps: a 69-byte row, either inline (type 0: start page + 64-byte
// bitmap) or by reference (type 1: 17 pointers to bitmap pages of type 5).
constexpr std::size_t kMapRowSize = 69;
constexpr std::uint32_t kInlineMapPages = 64 * 8;
constexpr std::uint32_t kBitmapPagePages = (kPageSize - 4) * 8;
constexpr int kMapSlots = 17;

constexpr std::uint32_t kCatalogPage = 2;
constexpr std::int32_t kSystemTableFlags = static_cast<std::int32_t>(0x80000002u);

struct ColumnLayout {
  std::string name;
  std::uint8_t type = 0;
  std::uint16_t size = 0;  // bytes; Text holds two a character
  std::uint16_t number = 0;
  bool fixed = false;
  std::uint16_t fixed_offset = 0;
  std::uint16_t var_index = 0;
};

struct TableLayout {
  std::string name;
  std::vector<ColumnLayout> columns;  // by column number
  std::uint16_t fixed_size = 0;
  std::uint16_t var_count = 0;
};

struct TableState {
  TableLayout layout;
  std::uint32_t tdef_page = 0;
  std::uint32_t used_map = 0;  // row pointer: page << 8 | row
  std::uint32_t num_rows = 0;
  std::vector<std::uint32_t> pages;  // data pages, ascending
};

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

TableLayout LayoutOf(
    const std::string& name,
    const std::vector<std::pair<std::string, std::pair<std::uint8_t, std::uint16_t>>>& columns) {
  TableLayout t{name, {}, 0, 0};
  for (const auto& [col_name, field_type] : columns) {
    ColumnLayout c;
    c.name = col_name;
    c.type = field_type.first;
    c.size = field_type.second;
    c.number = static_cast<std::uint16_t>(t.columns.size());
    c.fixed = c.type != kJetText && c.type != kJetOle;
    if (c.fixed) {
      c.fixed_offset = t.fixed_size;
      if (c.type != kJetBool) t.fixed_size = static_cast<std::uint16_t>(t.fixed_size + c.size);
    } else {
      c.var_index = t.var_count++;
    }
    t.columns.push_back(c);
  }
  return t;
}

TableLayout LayoutOf(const TableDef& def) {
  if (def.name.empty() || def.name.size() > 64)
    throw JetError("table name must have 1 to 64 characters: \"" + def.name + "\"");
  if (def.columns.empty() || def.columns.size() > 255)
    throw JetError("table " + def.name + " must have 1 to 255 columns");
  std::vector<std::pair<std::string, std::pair<std::uint8_t, std::uint16_t>>> field_types;
  for (const Column& c : def.columns) {
    if (c.name.empty() || c.name.size() > 64)
      throw JetError("table " + def.name + ": column name must have 1 to 64 characters");
    for (const auto& s : field_types)
      if (EqualsNoCase(s.first, c.name))
        throw JetError("table " + def.name + ": column " + c.name + " appears twice");
    switch (c.type) {
      case ColumnType::kLong:
        field_types.push_back({c.name, {kJetLong, 4}});
        break;
      case ColumnType::kInteger:
        field_types.push_back({c.name, {kJetInteger, 2}});
        break;
      case ColumnType::kDateTime:
        field_types.push_back({c.name, {kJetDateTime, 8}});
        break;
      case ColumnType::kBoolean:
        field_types.push_back({c.name, {kJetBool, 1}});
        break;
      case ColumnType::kText:
        if (c.length < 1 || c.length > 255)
          throw JetError("table " + def.name + ": text column " + c.name +
                         " must hold 1 to 255 characters");
        field_types.push_back({c.name, {kJetText, static_cast<std::uint16_t>(2 * c.length)}});
        break;
    }
  }
  return LayoutOf(def.name, field_types);
}

TableLayout CatalogLayout() {
  return LayoutOf("MSysObjects", {{"Id", {kJetLong, 4}},
                                  {"Name", {kJetText, 2 * 128}},
                                  {"Type", {kJetInteger, 2}},
                                  {"Flags", {kJetLong, 4}},
                                  {"LvProp", {kJetOle, 0}}});
}

// ---------------------------------------------------------------- the file

class PageFile {
 public:
  std::uint32_t Allocate() {
    pages_.emplace_back();
    pages_.back().fill(0);
    dirty_.push_back(true);
    return static_cast<std::uint32_t>(pages_.size() - 1);
  }
  const Page& At(std::uint32_t n) const {
    if (n >= pages_.size()) throw JetError("page " + std::to_string(n) + " is past the file's end");
    return pages_[n];
  }
  Page& Edit(std::uint32_t n) {
    At(n);
    dirty_[n] = true;
    return pages_[n];
  }

  void Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw JetError("cannot open " + path);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() % kPageSize != 0 || bytes.size() < 3 * kPageSize)
      throw JetError(path + " is not a Jet 4 file (size)");
    pages_.resize(bytes.size() / kPageSize);
    for (std::size_t i = 0; i < pages_.size(); ++i)
      std::memcpy(pages_[i].data(), bytes.data() + i * kPageSize, kPageSize);
    dirty_.assign(pages_.size(), false);
    existing_ = pages_.size();
  }

  // A new file appears whole: written beside the target and renamed over it.
  void WriteNew(const std::string& path) const {
    const std::string tmp = path + ".tmp";
    {
      std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
      for (const Page& p : pages_) out.write(reinterpret_cast<const char*>(p.data()), kPageSize);
      out.flush();
      if (!out) {
        std::remove(tmp.c_str());
        throw JetError("cannot write " + tmp);
      }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
      std::remove(tmp.c_str());
      throw JetError("cannot replace " + path);
    }
  }

  // Rewrites changed pages in place and adds new ones. New pages and data pages
  // go first, usage maps next, table definitions (the row counts) last, so a
  // reader never follows a pointer to a page not yet written.
  void Commit(const std::string& path) const {
    const int fd = ::open(path.c_str(), O_WRONLY);
    if (fd < 0) throw JetError("cannot open " + path + " for writing");
    auto write_page = [&](std::size_t n) {
      const auto off = static_cast<off_t>(n * kPageSize);
      if (::pwrite(fd, pages_[n].data(), kPageSize, off) != static_cast<ssize_t>(kPageSize)) {
        ::close(fd);
        throw JetError("cannot write page " + std::to_string(n) + " of " + path);
      }
    };
    for (std::size_t n = existing_; n < pages_.size(); ++n) write_page(n);
    auto rank = [&](std::size_t n) {
      const Page& p = pages_[n];
      if (p[0] == 0x01) return Get32(&p[4]) != 0 ? 0 : 2;
      if (p[0] == 0x05) return 1;
      return p[0] == 0x02 ? 3 : 4;
    };
    std::vector<std::size_t> changed;
    for (std::size_t n = 0; n < existing_; ++n)
      if (dirty_[n]) changed.push_back(n);
    std::stable_sort(changed.begin(), changed.end(),
                     [&](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
    for (std::size_t n : changed) write_page(n);
    ::close(fd);
  }

 private:
  std::vector<Page> pages_;
  std::vector<bool> dirty_;
  std::size_t existing_ = 0;
};

// ---------------------------------------------------------------- data pages

void InitDataPage(Page& p, std::uint32_t owner) {
  p.fill(0);
  p[0] = 0x01;
  p[1] = 0x01;
  Put16(&p[2], kPageSize - kDataHeader);
  Put32(&p[4], owner);
}

int RowCount(const Page& p) {
  return Get16(&p[kRowCountAt]);
}

// Where the lowest row starts; the free space ends there.
std::size_t RowsStart(const Page& p) {
  const int n = RowCount(p);
  return n == 0 ? kPageSize : Get16(&p[kDataHeader + 2 * (n - 1)]) & kOffsetMask;
}

bool RowFits(const Page& p, std::size_t size) {
  const int n = RowCount(p);
  return n < kMaxRowsPerPage && kDataHeader + 2 * (n + 1) + size <= RowsStart(p);
}

int AddRowToPage(Page& p, std::span<const std::uint8_t> row) {
  const int n = RowCount(p);
  const std::size_t start = RowsStart(p) - row.size();
  std::memcpy(&p[start], row.data(), row.size());
  Put16(&p[kDataHeader + 2 * n], static_cast<std::uint16_t>(start));
  Put16(&p[kRowCountAt], static_cast<std::uint16_t>(n + 1));
  Put16(&p[2], static_cast<std::uint16_t>(start - (kDataHeader + 2 * (n + 1))));
  return n;
}

// The bytes of row `row`, or nullopt for a deleted row.
std::optional<std::span<const std::uint8_t>> RowBytes(const Page& p, int row) {
  if (p[0] != 0x01 || row >= RowCount(p)) throw JetError("row pointer to a missing row");
  const std::uint16_t raw = Get16(&p[kDataHeader + 2 * row]);
  if (raw & kDeletedRow) return std::nullopt;
  if (raw & kLookupRow) throw JetError("overflow rows are not supported");
  const std::size_t start = raw & kOffsetMask;
  const std::size_t end =
      row == 0 ? kPageSize : Get16(&p[kDataHeader + 2 * (row - 1)]) & kOffsetMask;
  if (start > end || end > kPageSize) throw JetError("corrupt row offsets");
  return std::span<const std::uint8_t>(&p[start], end - start);
}

// Where a usage map row lies: its page and the offset of its first byte.
std::pair<std::uint32_t, std::size_t> MapRowAt(const PageFile& f, std::uint32_t ptr) {
  const std::uint32_t page = ptr >> 8;
  const Page& p = f.At(page);
  const auto bytes = RowBytes(p, static_cast<int>(ptr & 0xFF));
  if (!bytes || bytes->size() != kMapRowSize) throw JetError("unexpected usage map row");
  return {page, static_cast<std::size_t>(bytes->data() - p.data())};
}

std::span<const std::uint8_t> MapRow(const PageFile& f, std::uint32_t ptr) {
  const auto [page, offset] = MapRowAt(f, ptr);
  return std::span<const std::uint8_t>(&f.At(page)[offset], kMapRowSize);
}

// ---------------------------------------------------------------- rows

std::string Where(const TableLayout& t, std::size_t row, const ColumnLayout& c) {
  return "table " + t.name + ", row " + std::to_string(row) + ", column " + c.name;
}

std::vector<std::uint8_t> EncodeRow(const TableLayout& t, const Row& row, std::size_t index) {
  if (row.size() != t.columns.size())
    throw JetError("table " + t.name + ", row " + std::to_string(index) + ": " +
                   std::to_string(row.size()) + " values for " + std::to_string(t.columns.size()) +
                   " columns");
  std::vector<std::uint8_t> fixed(t.fixed_size, 0);
  std::vector<std::vector<std::uint8_t>> vars(t.var_count);
  std::vector<std::uint8_t> mask((t.columns.size() + 7) / 8, 0);
  auto present = [&](const ColumnLayout& c) { mask[c.number / 8] |= 1 << (c.number % 8); };
  for (std::size_t i = 0; i < t.columns.size(); ++i) {
    const ColumnLayout& c = t.columns[i];
    const Value& v = row[i];
    if (std::holds_alternative<std::monostate>(v)) continue;
    auto wrong = [&](const char* want) {
      throw JetError(Where(t, index, c) + ": expected " + want);
    };
    switch (c.type) {
      case kJetLong:
        if (!std::holds_alternative<std::int32_t>(v)) wrong("a Long (int32)");
        Put32(&fixed[c.fixed_offset], static_cast<std::uint32_t>(std::get<std::int32_t>(v)));
        present(c);
        break;
      case kJetInteger: {
        if (!std::holds_alternative<std::int32_t>(v)) wrong("an Integer");
        const std::int32_t x = std::get<std::int32_t>(v);
        if (x < -32768 || x > 32767) wrong("an Integer in -32768..32767");
        Put16(&fixed[c.fixed_offset], static_cast<std::uint16_t>(x));
        present(c);
        break;
      }
      case kJetDateTime: {
        if (!std::holds_alternative<double>(v) || !std::isfinite(std::get<double>(v)))
          wrong("a DateTime (finite double)");
        const double d = std::get<double>(v);
        std::memcpy(&fixed[c.fixed_offset], &d, 8);
        present(c);
        break;
      }
      case kJetBool:
        if (!std::holds_alternative<bool>(v)) wrong("a Boolean");
        if (std::get<bool>(v)) present(c);
        break;
      case kJetText: {
        if (!std::holds_alternative<std::string>(v)) wrong("a Text (string)");
        std::u16string units;
        try {
          units = detail::Utf8ToUcs2(std::get<std::string>(v));
        } catch (const JetError& e) {
          throw JetError(Where(t, index, c) + ": " + e.what());
        }
        if (units.size() > c.size / 2u)
          throw JetError(Where(t, index, c) + ": " + std::to_string(units.size()) +
                         " characters, the column holds " + std::to_string(c.size / 2));
        vars[c.var_index] = detail::EncodeText(units);
        present(c);
        break;
      }
      default:
        throw JetError(Where(t, index, c) + ": this column type takes only Null");
    }
  }
  std::vector<std::uint8_t> out(2);
  Put16(out.data(), static_cast<std::uint16_t>(t.columns.size()));
  out.insert(out.end(), fixed.begin(), fixed.end());
  std::vector<std::uint16_t> offsets;
  for (const auto& bytes : vars) {
    offsets.push_back(static_cast<std::uint16_t>(out.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  if (t.var_count > 0) {
    // End of the variable data, the offsets last to first, then their count.
    offsets.push_back(static_cast<std::uint16_t>(out.size()));
    for (auto it = offsets.rbegin(); it != offsets.rend(); ++it) {
      out.resize(out.size() + 2);
      Put16(&out[out.size() - 2], *it);
    }
    out.resize(out.size() + 2);
    Put16(&out[out.size() - 2], t.var_count);
  }
  out.insert(out.end(), mask.begin(), mask.end());
  if (out.size() > kMaxRowSize)
    throw JetError("table " + t.name + ", row " + std::to_string(index) + ": " +
                   std::to_string(out.size()) + " bytes do not fit on a page");
  return out;
}

Row DecodeRow(const TableLayout& t, std::span<const std::uint8_t> r) {
  if (r.size() < 2) throw JetError("corrupt row in " + t.name);
  const std::size_t row_cols = Get16(r.data());
  const std::size_t mask_size = (row_cols + 7) / 8;
  if (r.size() < 2 + mask_size) throw JetError("corrupt row in " + t.name);
  const std::uint8_t* mask = r.data() + r.size() - mask_size;
  std::size_t row_vars = 0;
  std::vector<std::uint16_t> offsets;
  if (t.var_count > 0) {
    const std::size_t last = r.size() - mask_size;  // one past the var count
    if (last < 4) throw JetError("corrupt row in " + t.name);
    row_vars = Get16(&r[last - 2]);
    if (last < 2 + 2 * (row_vars + 1)) throw JetError("corrupt row in " + t.name);
    for (std::size_t i = 0; i <= row_vars; ++i) offsets.push_back(Get16(&r[last - 4 - 2 * i]));
  }
  Row out;
  for (const ColumnLayout& c : t.columns) {
    const bool bit = c.number / 8 < mask_size && (mask[c.number / 8] >> (c.number % 8)) & 1;
    if (c.type == kJetBool) {
      out.emplace_back(bit);
      continue;
    }
    if (!bit || (!c.fixed && c.var_index >= row_vars)) {
      out.emplace_back(std::monostate{});
      continue;
    }
    if (c.fixed) {
      const std::size_t at = 2 + c.fixed_offset;
      if (at + c.size > r.size()) throw JetError("corrupt row in " + t.name);
      switch (c.type) {
        case kJetLong:
          out.emplace_back(static_cast<std::int32_t>(Get32(&r[at])));
          break;
        case kJetInteger:
          out.emplace_back(static_cast<std::int32_t>(static_cast<std::int16_t>(Get16(&r[at]))));
          break;
        case kJetDateTime: {
          double d;
          std::memcpy(&d, &r[at], 8);
          out.emplace_back(d);
          break;
        }
        default:
          out.emplace_back(std::monostate{});
      }
    } else {
      const std::size_t begin = offsets[c.var_index];
      const std::size_t end = offsets[c.var_index + 1];
      if (begin > end || end > r.size()) throw JetError("corrupt row in " + t.name);
      if (c.type == kJetText)
        out.emplace_back(detail::DecodeText(r.data() + begin, end - begin));
      else
        out.emplace_back(std::monostate{});
    }
  }
  return out;
}

// ---------------------------------------------------------------- usage maps

std::vector<std::uint32_t> DecodeMap(const PageFile& f, std::span<const std::uint8_t> map) {
  std::vector<std::uint32_t> pages;
  if (map[0] == 0x00) {
    const std::uint32_t start = Get32(&map[1]);
    for (std::uint32_t i = 0; i < (kMapRowSize - 5) * 8; ++i)
      if (map[5 + i / 8] & (1 << (i % 8))) pages.push_back(start + i);
  } else if (map[0] == 0x01) {
    for (int slot = 0; slot < kMapSlots; ++slot) {
      const std::uint32_t bitmap_page = Get32(&map[1 + 4 * slot]);
      if (bitmap_page == 0) continue;
      const Page& b = f.At(bitmap_page);
      if (b[0] != 0x05) throw JetError("usage map points at a page that is no bitmap");
      for (std::uint32_t i = 0; i < kBitmapPagePages; ++i)
        if (b[4 + i / 8] & (1 << (i % 8))) pages.push_back(slot * kBitmapPagePages + i);
    }
  } else {
    throw JetError("unknown usage map type");
  }
  return pages;
}

// Rewrites the map row in place: inline while the pages span fewer than 512,
// else by reference, reusing the bitmap pages it already has.
void EncodeMap(PageFile& f, std::uint32_t ptr, const std::vector<std::uint32_t>& pages) {
  std::array<std::uint8_t, kMapRowSize> old;
  const auto current = MapRow(f, ptr);
  std::copy(current.begin(), current.end(), old.begin());
  std::array<std::uint8_t, kMapRowSize> row{};
  if (pages.empty() || pages.back() - pages.front() < kInlineMapPages) {
    row[0] = 0x00;
    const std::uint32_t start = pages.empty() ? Get32(&old[1]) : pages.front();
    Put32(&row[1], start);
    for (std::uint32_t p : pages) row[5 + (p - start) / 8] |= 1 << ((p - start) % 8);
  } else {
    row[0] = 0x01;
    std::array<std::uint32_t, kMapSlots> slots{};
    if (old[0] == 0x01)
      for (int s = 0; s < kMapSlots; ++s) slots[s] = Get32(&old[1 + 4 * s]);
    for (std::uint32_t s : slots)
      if (s != 0) std::fill(f.Edit(s).begin() + 4, f.Edit(s).end(), 0);
    for (std::uint32_t p : pages) {
      const std::uint32_t s = p / kBitmapPagePages;
      if (s >= static_cast<std::uint32_t>(kMapSlots)) throw JetError("table too large");
      if (slots[s] == 0) {
        slots[s] = f.Allocate();
        Page& b = f.Edit(slots[s]);
        b[0] = 0x05;
        b[1] = 0x01;
      }
      const std::uint32_t i = p % kBitmapPagePages;
      f.Edit(slots[s])[4 + i / 8] |= 1 << (i % 8);
    }
    for (int s = 0; s < kMapSlots; ++s) Put32(&row[1 + 4 * s], slots[s]);
  }
  const auto [page, offset] = MapRowAt(f, ptr);
  std::copy(row.begin(), row.end(), f.Edit(page).begin() + static_cast<std::ptrdiff_t>(offset));
}

std::array<std::uint8_t, kMapRowSize> EmptyMap(std::uint32_t start) {
  std::array<std::uint8_t, kMapRowSize> row{};
  Put32(&row[1], start);
  return row;
}

// ---------------------------------------------------------------- table definitions

void BuildTdef(Page& p, const TableLayout& t, bool system, std::uint32_t used_map,
               std::uint32_t free_map) {
  p.fill(0);
  p[0] = 0x02;
  p[1] = 0x01;
  p[kTdefTableTypeAt] = system ? 0x53 : 0x4E;
  const auto n = static_cast<std::uint16_t>(t.columns.size());
  Put16(&p[kTdefMaxColsAt], n);
  Put16(&p[kTdefVarColsAt], t.var_count);
  Put16(&p[kTdefColsAt], n);
  Put32(&p[kTdefIndexesAt], 0);
  Put32(&p[kTdefRealIndexesAt], 0);
  Put32(&p[kTdefUsedMapAt], used_map);
  Put32(&p[kTdefFreeMapAt], free_map);
  std::size_t pos = kTdefColumnsAt;
  for (const ColumnLayout& c : t.columns) {
    std::uint8_t* e = &p[pos];
    e[0] = c.type;
    Put16(e + 5, c.number);
    Put16(e + 7, c.fixed ? 0 : c.var_index);
    Put16(e + 9, c.number);
    if (c.type == kJetText) {
      Put16(e + 11, 0x0409);  // General sort order
      e[16] = 0x01;           // Unicode compression allowed
    }
    e[15] = c.fixed ? 0x03 : 0x02;
    Put16(e + 21, c.fixed ? c.fixed_offset : 0);
    Put16(e + 23, c.size);
    pos += kColumnEntrySize;
  }
  for (const ColumnLayout& c : t.columns) {
    const std::u16string name = detail::Utf8ToUcs2(c.name);
    if (pos + 2 + 2 * name.size() > kPageSize)
      throw JetError("table " + t.name + ": the definition does not fit on a page");
    Put16(&p[pos], static_cast<std::uint16_t>(2 * name.size()));
    for (std::size_t i = 0; i < name.size(); ++i) Put16(&p[pos + 2 + 2 * i], name[i]);
    pos += 2 + 2 * name.size();
  }
  Put32(&p[kTdefLenAt], static_cast<std::uint32_t>(pos));
  Put16(&p[2], static_cast<std::uint16_t>(kPageSize - pos >= 8 ? kPageSize - pos - 8 : 0));
}

TableState OpenTable(const PageFile& f, std::uint32_t tdef_page, const std::string& name) {
  const Page& p = f.At(tdef_page);
  if (p[0] != 0x02) throw JetError("table " + name + ": no table definition at its page");
  if (Get32(&p[4]) != 0) throw JetError("table " + name + ": multi-page definitions unsupported");
  if (Get32(&p[kTdefRealIndexesAt]) != 0)
    throw JetError("table " + name + ": tables with indexes are not supported");
  TableState t;
  t.tdef_page = tdef_page;
  t.num_rows = Get32(&p[kTdefRowsAt]);
  t.used_map = Get32(&p[kTdefUsedMapAt]);
  t.layout.name = name;
  const std::size_t n = Get16(&p[kTdefColsAt]);
  t.layout.var_count = Get16(&p[kTdefVarColsAt]);
  std::size_t pos = kTdefColumnsAt;
  if (pos + n * kColumnEntrySize > kPageSize) throw JetError("corrupt table definition");
  for (std::size_t i = 0; i < n; ++i, pos += kColumnEntrySize) {
    const std::uint8_t* e = &p[pos];
    ColumnLayout c;
    c.type = e[0];
    c.number = Get16(e + 5);
    c.var_index = Get16(e + 7);
    c.fixed = e[15] & 0x01;
    c.fixed_offset = Get16(e + 21);
    c.size = Get16(e + 23);
    if (c.fixed && c.type != kJetBool)
      t.layout.fixed_size = std::max<std::uint16_t>(t.layout.fixed_size, c.fixed_offset + c.size);
    t.layout.columns.push_back(c);
  }
  for (ColumnLayout& c : t.layout.columns) {
    if (pos + 2 > kPageSize) throw JetError("corrupt table definition");
    const std::size_t len = Get16(&p[pos]);
    if (pos + 2 + len > kPageSize) throw JetError("corrupt table definition");
    c.name = detail::DecodeText(&p[pos + 2], len);
    pos += 2 + len;
  }
  std::sort(t.layout.columns.begin(), t.layout.columns.end(),
            [](const ColumnLayout& a, const ColumnLayout& b) { return a.number < b.number; });
  t.pages = DecodeMap(f, MapRow(f, t.used_map));
  for (std::uint32_t page : t.pages) {
    const Page& d = f.At(page);
    if (d[0] != 0x01 || Get32(&d[4]) != tdef_page)
      throw JetError("table " + name + ": usage map lists a page of another table");
  }
  return t;
}

// Validates every row first, so a bad one changes nothing.
void AddRows(PageFile& f, TableState& t, const std::vector<Row>& rows) {
  if (rows.empty()) return;
  std::vector<std::vector<std::uint8_t>> encoded;
  encoded.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i)
    encoded.push_back(EncodeRow(t.layout, rows[i], t.num_rows + i));
  for (const auto& row : encoded) {
    if (t.pages.empty() || !RowFits(f.At(t.pages.back()), row.size())) {
      const std::uint32_t page = f.Allocate();
      InitDataPage(f.Edit(page), t.tdef_page);
      t.pages.push_back(page);
    }
    AddRowToPage(f.Edit(t.pages.back()), row);
  }
  t.num_rows += static_cast<std::uint32_t>(rows.size());
  Put32(&f.Edit(t.tdef_page)[kTdefRowsAt], t.num_rows);
  EncodeMap(f, t.used_map, t.pages);
}

// ---------------------------------------------------------------- header and catalog

const std::array<std::uint8_t, 4> kHeaderKey = {0xC7, 0xDA, 0x39, 0x6B};
constexpr std::size_t kScrambledAt = 0x18;
constexpr std::size_t kScrambledSize = 128;

void BuildHeader(Page& p) {
  p.fill(0);
  p[1] = 0x01;
  std::memcpy(&p[4], "Standard Jet DB", 15);
  Put32(&p[0x14], 1);       // Jet 4
  Put16(&p[0x3C], 1252);    // code page
  Put32(&p[0x3E], 0);       // database key: none, the pages are plain
  Put32(&p[0x6E], 0x0409);  // General sort order
  const double created = JetDateTime(2000, 1, 1);
  std::memcpy(&p[0x72], &created, 8);
  detail::Rc4(kHeaderKey, std::span<std::uint8_t>(&p[kScrambledAt], kScrambledSize));
}

void CheckHeader(const PageFile& f, const std::string& path) {
  Page p = f.At(0);
  if (p[0] != 0x00 || std::memcmp(&p[4], "Standard Jet DB", 15) != 0 || Get32(&p[0x14]) != 1)
    throw JetError(path + " is not a Jet 4 file");
  detail::Rc4(kHeaderKey, std::span<std::uint8_t>(&p[kScrambledAt], kScrambledSize));
  if (Get32(&p[0x3E]) != 0) throw JetError(path + " is encrypted");
}

struct CatalogEntry {
  std::string name;
  std::uint32_t tdef_page;
};

std::vector<CatalogEntry> ReadCatalog(const PageFile& f) {
  TableState cat = OpenTable(f, kCatalogPage, "MSysObjects");
  auto column = [&](const char* name) {
    for (std::size_t i = 0; i < cat.layout.columns.size(); ++i)
      if (EqualsNoCase(cat.layout.columns[i].name, name)) return i;
    throw JetError(std::string("catalog has no column ") + name);
  };
  const std::size_t id = column("Id"), name = column("Name"), type = column("Type"),
                    flags = column("Flags");
  std::vector<CatalogEntry> out;
  for (std::uint32_t page : cat.pages) {
    const Page& p = f.At(page);
    for (int r = 0; r < RowCount(p); ++r) {
      const auto bytes = RowBytes(p, r);
      if (!bytes) continue;
      const Row row = DecodeRow(cat.layout, *bytes);
      auto as_int = [&](std::size_t i) {
        return std::holds_alternative<std::int32_t>(row[i]) ? std::get<std::int32_t>(row[i]) : 0;
      };
      if (as_int(type) != 1 || (as_int(flags) & kSystemTableFlags) != 0) continue;
      if (!std::holds_alternative<std::string>(row[name])) continue;
      out.push_back(
          {std::get<std::string>(row[name]), static_cast<std::uint32_t>(as_int(id)) & 0x00FFFFFF});
    }
  }
  return out;
}

}  // namespace

void WriteDatabase(const std::string& path, const std::vector<Table>& tables) {
  std::vector<TableLayout> layouts;
  for (const Table& t : tables) {
    if (t.def.name.rfind("MSys", 0) == 0)
      throw JetError("table name " + t.def.name + " is reserved");
    for (const TableLayout& l : layouts)
      if (EqualsNoCase(l.name, t.def.name))
        throw JetError("table " + t.def.name + " appears twice");
    layouts.push_back(LayoutOf(t.def));
  }
  PageFile f;
  BuildHeader(f.Edit(f.Allocate()));
  std::uint32_t map_page = f.Allocate();
  InitDataPage(f.Edit(map_page), 0);
  const std::uint32_t catalog_page = f.Allocate();
  std::vector<std::uint32_t> tdef_pages;
  for (std::size_t i = 0; i < tables.size(); ++i) tdef_pages.push_back(f.Allocate());

  // Each table's two usage maps (pages it owns, pages with free space) are rows
  // of a map page; the free-space maps stay empty.
  auto add_maps = [&](std::uint32_t tdef_page) {
    const auto empty = EmptyMap(tdef_page);
    std::array<std::uint32_t, 2> ptrs{};
    for (auto& ptr : ptrs) {
      if (!RowFits(f.At(map_page), kMapRowSize)) {
        map_page = f.Allocate();
        InitDataPage(f.Edit(map_page), 0);
      }
      ptr = map_page << 8 | static_cast<std::uint32_t>(AddRowToPage(f.Edit(map_page), empty));
    }
    return ptrs;
  };
  auto define = [&](std::uint32_t page, const TableLayout& layout, bool system) {
    const auto maps = add_maps(page);
    BuildTdef(f.Edit(page), layout, system, maps[0], maps[1]);
    TableState t;
    t.layout = layout;
    t.tdef_page = page;
    t.used_map = maps[0];
    return t;
  };

  TableState catalog = define(catalog_page, CatalogLayout(), true);
  std::vector<Row> catalog_rows = {{std::int32_t{kCatalogPage}, std::string("MSysObjects"),
                                    std::int32_t{1}, kSystemTableFlags, std::monostate{}}};
  std::vector<TableState> states;
  for (std::size_t i = 0; i < tables.size(); ++i) {
    states.push_back(define(tdef_pages[i], layouts[i], false));
    catalog_rows.push_back({static_cast<std::int32_t>(tdef_pages[i]), tables[i].def.name,
                            std::int32_t{1}, std::int32_t{0}, std::monostate{}});
  }
  AddRows(f, catalog, catalog_rows);
  for (std::size_t i = 0; i < tables.size(); ++i) AddRows(f, states[i], tables[i].rows);
  f.WriteNew(path);
}

void AppendRows(const std::string& path, const std::map<std::string, std::vector<Row>>& rows) {
  PageFile f;
  f.Load(path);
  CheckHeader(f, path);
  const std::vector<CatalogEntry> catalog = ReadCatalog(f);
  for (const auto& [name, table_rows] : rows) {
    auto it = std::find_if(catalog.begin(), catalog.end(),
                           [&](const CatalogEntry& e) { return EqualsNoCase(e.name, name); });
    if (it == catalog.end()) throw JetError(path + " has no table " + name);
    TableState t = OpenTable(f, it->tdef_page, it->name);
    AddRows(f, t, table_rows);
  }
  f.Commit(path);
}

std::vector<TableDef> ReadTableDefs(const std::string& path) {
  PageFile f;
  f.Load(path);
  CheckHeader(f, path);
  std::vector<TableDef> out;
  for (const CatalogEntry& e : ReadCatalog(f)) {
    const TableState t = OpenTable(f, e.tdef_page, e.name);
    TableDef def{e.name, {}};
    for (const ColumnLayout& c : t.layout.columns) {
      Column col{c.name, ColumnType::kLong, 0};
      switch (c.type) {
        case kJetLong:
          col.type = ColumnType::kLong;
          break;
        case kJetInteger:
          col.type = ColumnType::kInteger;
          break;
        case kJetBool:
          col.type = ColumnType::kBoolean;
          break;
        case kJetDateTime:
          col.type = ColumnType::kDateTime;
          break;
        case kJetText:
          col.type = ColumnType::kText;
          col.length = c.size / 2;
          break;
        default:
          throw JetError("table " + e.name + ": column " + c.name + " has another type");
      }
      def.columns.push_back(col);
    }
    out.push_back(def);
  }
  return out;
}

}  // namespace tallix::jetwriter
