#include "platform/jet/mdb_reader.h"

#include <mdbtools.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/run_time_error.h"

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

int32_t Int32At(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return static_cast<int32_t>(v);
}

// How the answer stores a column of this type.
CellKind KindOf(MdbHandle* mdb, const MdbColumn* col) {
  switch (col->col_type) {
    case MDB_BOOL:
      return CellKind::kFlag;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
      return CellKind::kWhole;
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC:
      return CellKind::kFloating;
    case MDB_DATETIME:
      return CellKind::kDate;
    case MDB_TEXT:
      return IS_JET3(mdb) ? CellKind::kCp1252Text : CellKind::kJet4Text;
    case MDB_OLE:
    case MDB_BINARY:
    case MDB_COMPLEX:
      return CellKind::kNull;  // nothing the program reads
    default:
      return CellKind::kText;  // memo and replication ids: libmdb's own text of them
  }
}

// The current row's value of one column, from where libmdb found it.
void Store(MdbHandle* mdb, const MdbColumn* col, std::size_t column, CellKind kind,
           AnswerBuilder& out, std::string_view table) {
  const int start = col->cur_value_start;
  const int len = col->cur_value_len;
  if (kind == CellKind::kFlag) return out.Bits(column, len == 0);  // the null bit, inverted
  if (len == 0) return out.Null(column);
  const int page = static_cast<int>(mdb->fmt->pg_size);
  if (start < 0 || len < 0 || start + len > page)
    RaiseDamaged(table, "a value of " + std::string(col->name) + " lies outside its page");
  if (kind == CellKind::kNull) return out.Null(column);
  const unsigned char* p = mdb->pg_buf + start;
  const auto fixed = [&](int size) {
    if (len != size)
      RaiseDamaged(table, "a value of " + std::string(col->name) + " has a bad size");
  };
  switch (col->col_type) {
    case MDB_BYTE:
      fixed(1);
      return out.Whole(column, p[0]);
    case MDB_INT: {
      fixed(2);
      int16_t v;
      std::memcpy(&v, p, 2);
      return out.Whole(column, v);
    }
    case MDB_LONGINT:
      fixed(4);
      return out.Whole(column, Int32At(p));
    case MDB_MONEY: {
      fixed(8);
      int64_t v;
      std::memcpy(&v, p, 8);
      return out.Number(column, static_cast<double>(v) / 10000.0);
    }
    case MDB_FLOAT: {
      fixed(4);
      float v;
      std::memcpy(&v, p, 4);
      return out.Number(column, static_cast<double>(v));
    }
    case MDB_DOUBLE:
    case MDB_DATETIME: {
      fixed(8);
      double v;
      std::memcpy(&v, p, 8);
      return out.Number(column, v);
    }
    case MDB_TEXT:
      if (!out.Text(column, p, static_cast<std::size_t>(len)))
        RaiseDamaged(table, "its texts are too large");
      return;
    default: {
      char* text = col->col_type == MDB_NUMERIC
                       ? mdb_numeric_to_string(mdb, start, col->col_scale, col->col_prec)
                       : mdb_col_to_string(mdb, mdb->pg_buf, start, col->col_type, len);
      if (!text) RaiseDamaged(table, "the value of " + std::string(col->name) + " is unreadable");
      std::unique_ptr<char, void (*)(void*)> owned(text, g_free);
      if (col->col_type == MDB_NUMERIC) return out.Number(column, std::strtod(text, nullptr));
      if (!out.Text(column, text, std::strlen(text)))
        RaiseDamaged(table, "its texts are too large");
      return;
    }
  }
}

// Every row of a table into out (only counted when out is null), checked
// against the row count of its definition.
void ReadRows(MdbHandle* mdb, MdbCatalogEntry* entry, std::string_view name,
              const std::vector<std::string>* wanted, AnswerBuilder* out) {
  TableDef def(mdb_read_table(entry));
  if (!def) RaiseDamaged(name, "its definition is unreadable");
  if (!mdb_read_columns(def.get())) RaiseDamaged(name, "its columns are unreadable");
  if (def->num_cols == 0 || def->columns->len != def->num_cols)
    RaiseDamaged(name, "its column list is incomplete");

  struct Wanted {
    const MdbColumn* col;
    CellKind kind;
  };
  std::vector<Wanted> cols;
  if (out) {
    out->Begin(def->name);
    for (unsigned i = 0; i < def->num_cols; ++i) {
      auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
      if (wanted && FindColumn(*wanted, col->name) < 0) continue;
      cols.push_back({col, KindOf(mdb, col)});
      out->AddColumn(col->name, cols.back().kind);
    }
  }
  mdb_rewind_table(def.get());
  std::size_t rows = 0;
  while (mdb_fetch_row(def.get())) {
    if (rows >= def->num_rows) RaiseDamaged(name, "more rows than its definition counts");
    ++rows;
    if (!out) continue;
    out->StartRow();
    for (std::size_t c = 0; c < cols.size(); ++c)
      Store(mdb, cols[c].col, c, cols[c].kind, *out, name);
  }
  if (rows != def->num_rows)
    RaiseDamaged(name, std::to_string(rows) + " rows found where its definition counts " +
                           std::to_string(def->num_rows));
}

}  // namespace

bool LooksLikeJet(std::string_view head) {
  return head.size() >= 20 && head[0] == 0 &&
         (head.substr(4, 16) == std::string_view("Standard Jet DB\0", 16) ||
          head.substr(4, 16) == std::string_view("Standard ACE DB\0", 16));
}

void ReadMdbTable(char* bytes, std::size_t size, std::string_view table,
                  const std::vector<std::string>* columns, AnswerBuilder& out) {
  if (!LooksLikeJet(std::string_view(bytes, size)))
    RaiseDamaged(table, "the file does not begin as a Jet database does");
  Handle mdb(mdb_open_buffer(bytes, size, MDB_NOFLAGS));
  if (!mdb) RaiseDamaged(table, "its first page is unreadable");
  if (size % static_cast<std::size_t>(mdb->fmt->pg_size) != 0)
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
  ReadRows(mdb.get(), objects, "MSysObjects", nullptr, nullptr);
  if (!found) RaiseNoSuchTable(table);
  ReadRows(mdb.get(), found, table, columns, &out);
}

}  // namespace tallix::jet
