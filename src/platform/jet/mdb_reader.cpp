#include "platform/jet/mdb_reader.h"

#include <mdbtools.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "core/run_time_error.h"
#include "core/text.h"

namespace tallix::jet {
namespace {

[[noreturn]] void RaiseDamaged(std::string_view table, const std::string& what) {
  throw RunTimeError(err::kNotADatabase, "Could not read the table '" + std::string(table) + "': " +
                                             what + " (the file is damaged or was being written)");
}

struct HandleCloser {
  void operator()(MdbHandle* h) const { mdb_close(h); }
};
struct TableFreer {
  void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using Handle = std::unique_ptr<MdbHandle, HandleCloser>;
using TableDef = std::unique_ptr<MdbTableDef, TableFreer>;

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Jet 4 text: UTF-16LE, or "compressed" after FF FE, where a zero byte
// switches between one byte a character and two.
std::string Jet4Text(const unsigned char* p, std::size_t n) {
  std::string out;
  out.reserve(n);
  const bool switching = n >= 2 && p[0] == 0xFF && p[1] == 0xFE;
  bool compressed = switching;
  std::size_t i = switching ? 2 : 0;
  uint32_t high = 0;  // a pending high surrogate
  while (i < n) {
    if (switching && p[i] == 0) {
      compressed = !compressed;
      ++i;
    } else if (compressed) {
      AppendUtf8(out, p[i++]);
    } else if (i + 1 < n) {
      const uint32_t unit = p[i] | (p[i + 1] << 8);
      i += 2;
      if (unit >= 0xD800 && unit < 0xDC00) {
        high = unit;
        continue;
      }
      if (unit >= 0xDC00 && unit < 0xE000 && high)
        AppendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
      else
        AppendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
      high = 0;
    } else {
      break;
    }
  }
  return out;
}

int32_t Int32At(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return static_cast<int32_t>(v);
}

// The current row's value of one column, from where libmdb found it.
Value Decode(MdbHandle* mdb, MdbColumn* col, std::string_view table) {
  const int start = col->cur_value_start;
  const int len = col->cur_value_len;
  if (col->col_type == MDB_BOOL) return Value(len == 0);  // the null bit holds the value, inverted
  if (len == 0) return Value();
  const int page = static_cast<int>(mdb->fmt->pg_size);
  if (start < 0 || len < 0 || start + len > page)
    RaiseDamaged(table, "a value of " + std::string(col->name) + " lies outside its page");
  const unsigned char* p = mdb->pg_buf + start;
  const auto fixed = [&](int size) {
    if (len != size)
      RaiseDamaged(table, "a value of " + std::string(col->name) + " has a bad size");
  };
  switch (col->col_type) {
    case MDB_BYTE:
      fixed(1);
      return Value(static_cast<int64_t>(p[0]));
    case MDB_INT: {
      fixed(2);
      int16_t v;
      std::memcpy(&v, p, 2);
      return Value(static_cast<int64_t>(v));
    }
    case MDB_LONGINT:
      fixed(4);
      return Value(static_cast<int64_t>(Int32At(p)));
    case MDB_MONEY: {
      fixed(8);
      int64_t v;
      std::memcpy(&v, p, 8);
      return Value(static_cast<double>(v) / 10000.0);
    }
    case MDB_FLOAT: {
      fixed(4);
      float v;
      std::memcpy(&v, p, 4);
      return Value(static_cast<double>(v));
    }
    case MDB_DOUBLE:
    case MDB_DATETIME: {
      fixed(8);
      double v;
      std::memcpy(&v, p, 8);
      if (col->col_type == MDB_DATETIME) return Value(DateTime{v});
      return Value(v);
    }
    case MDB_TEXT:
      if (IS_JET3(mdb))
        return Value(Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(p), len)));
      return Value(Jet4Text(p, static_cast<std::size_t>(len)));
    case MDB_OLE:
    case MDB_BINARY:
    case MDB_COMPLEX:
      return Value();  // nothing the program reads
    default: {
      // Memo, numeric and replication ids: libmdb's own text of them.
      char* text = col->col_type == MDB_NUMERIC
                       ? mdb_numeric_to_string(mdb, start, col->col_scale, col->col_prec)
                       : mdb_col_to_string(mdb, mdb->pg_buf, start, col->col_type, len);
      if (!text) RaiseDamaged(table, "the value of " + std::string(col->name) + " is unreadable");
      std::string s(text);
      g_free(text);
      if (col->col_type == MDB_NUMERIC) return Value(std::strtod(s.c_str(), nullptr));
      return Value(std::move(s));
    }
  }
}

// Every row of a table, checked against the row count of its definition.
TableSnapshot ReadRows(MdbHandle* mdb, MdbCatalogEntry* entry, std::string_view name,
                       const std::vector<std::string>* wanted) {
  TableDef def(mdb_read_table(entry));
  if (!def) RaiseDamaged(name, "its definition is unreadable");
  if (!mdb_read_columns(def.get())) RaiseDamaged(name, "its columns are unreadable");
  if (def->num_cols == 0 || def->columns->len != def->num_cols)
    RaiseDamaged(name, "its column list is incomplete");

  TableSnapshot snap;
  snap.name = def->name;
  std::vector<MdbColumn*> cols;
  for (unsigned i = 0; i < def->num_cols; ++i) {
    auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
    if (wanted && FindColumn(*wanted, col->name) < 0) continue;
    cols.push_back(col);
    snap.columns.emplace_back(col->name);
  }
  mdb_rewind_table(def.get());
  snap.rows.reserve(def->num_rows);
  while (mdb_fetch_row(def.get())) {
    if (snap.rows.size() >= def->num_rows)
      RaiseDamaged(name, "more rows than its definition counts");
    std::vector<Value>& row = snap.rows.emplace_back();
    row.reserve(cols.size());
    for (MdbColumn* col : cols) row.push_back(Decode(mdb, col, name));
  }
  if (snap.rows.size() != def->num_rows)
    RaiseDamaged(name, std::to_string(snap.rows.size()) +
                           " rows found where its definition counts " +
                           std::to_string(def->num_rows));
  return snap;
}

}  // namespace

bool LooksLikeJet(std::string_view head) {
  return head.size() >= 20 && head[0] == 0 &&
         (head.substr(4, 16) == std::string_view("Standard Jet DB\0", 16) ||
          head.substr(4, 16) == std::string_view("Standard ACE DB\0", 16));
}

TableSnapshot ReadMdbTable(std::string& bytes, std::string_view table,
                           const std::vector<std::string>* columns) {
  if (!LooksLikeJet(bytes)) RaiseDamaged(table, "the file does not begin as a Jet database does");
  Handle mdb(mdb_open_buffer(bytes.data(), bytes.size(), MDB_NOFLAGS));
  if (!mdb) RaiseDamaged(table, "its first page is unreadable");
  if (bytes.size() % static_cast<std::size_t>(mdb->fmt->pg_size) != 0)
    RaiseDamaged(table, "the file does not end at a page boundary");
  GPtrArray* catalog = mdb_read_catalog(mdb.get(), MDB_ANY);
  if (!catalog) RaiseDamaged(table, "the list of tables is unreadable");

  MdbCatalogEntry* found = nullptr;
  MdbCatalogEntry* objects = nullptr;
  for (unsigned i = 0; i < catalog->len; ++i) {
    auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
    if (e->object_type != MDB_TABLE) continue;
    if (std::strcmp(e->object_name, "MSysObjects") == 0) objects = e;
    if (!found && EqualsIgnoringCase(e->object_name, table)) found = e;
  }
  // The catalog is itself a table: a part of it lost would hide tables.
  if (!objects) RaiseDamaged(table, "the list of tables is incomplete");
  const std::vector<std::string> none{""};
  ReadRows(mdb.get(), objects, "MSysObjects", &none);
  if (!found) RaiseNoSuchTable(table);
  return ReadRows(mdb.get(), found, table, columns);
}

}  // namespace tallix::jet
