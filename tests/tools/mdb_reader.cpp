#include "mdb_reader.h"

#include <gtest/gtest.h>
#include <mdbtools.h>

#include <array>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace tallix::tooltest {
namespace {

MdbHandle* H(void* p) {
  return static_cast<MdbHandle*>(p);
}

struct TableCloser {
  void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableCloser>;

TablePtr Open(MdbHandle* mdb, const std::string& table) {
  mdb_read_catalog(mdb, MDB_ANY);
  TablePtr t(mdb_read_table_by_name(mdb, const_cast<gchar*>(table.c_str()), MDB_TABLE));
  if (!t) throw std::runtime_error("libmdb finds no table " + table);
  mdb_read_columns(t.get());
  return t;
}

}  // namespace

MdbReader::MdbReader(const std::string& path) : mdb_(mdb_open(path.c_str(), MDB_NOFLAGS)) {
  if (!mdb_) throw std::runtime_error("libmdb cannot open " + path);
  mdb_set_date_fmt(H(mdb_), "%Y-%m-%d %H:%M:%S");
}

MdbReader::~MdbReader() {
  mdb_close(H(mdb_));
}

std::vector<std::string> MdbReader::Tables() {
  std::vector<std::string> out;
  GPtrArray* catalog = mdb_read_catalog(H(mdb_), MDB_TABLE);
  for (guint i = 0; catalog && i < catalog->len; ++i) {
    auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
    if (!mdb_is_system_table(e)) out.push_back(e->object_name);
  }
  return out;
}

std::vector<std::string> MdbReader::Columns(const std::string& table) {
  TablePtr t = Open(H(mdb_), table);
  std::vector<std::string> out;
  for (guint i = 0; i < t->num_cols; ++i)
    out.push_back(static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i))->name);
  return out;
}

TextRows MdbReader::Read(const std::string& table) {
  TablePtr t = Open(H(mdb_), table);
  std::vector<std::vector<char>> bound(t->num_cols, std::vector<char>(MDB_BIND_SIZE));
  for (guint i = 0; i < t->num_cols; ++i) mdb_bind_column(t.get(), i + 1, bound[i].data(), nullptr);
  mdb_rewind_table(t.get());
  TextRows rows;
  while (mdb_fetch_row(t.get())) {
    std::vector<std::string> row;
    for (const auto& b : bound) row.emplace_back(b.data());
    rows.push_back(std::move(row));
  }
  return rows;
}

long MdbReader::RowCount(const std::string& table) {
  return Open(H(mdb_), table)->num_rows;
}

std::string RunCommand(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) throw std::runtime_error("cannot run " + command);
  std::string out;
  std::array<char, 4096> buf;
  std::size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), pipe.get())) > 0) out.append(buf.data(), n);
  const int status = pclose(pipe.release());
  EXPECT_EQ(status, 0) << command;
  return out;
}

}  // namespace tallix::tooltest
