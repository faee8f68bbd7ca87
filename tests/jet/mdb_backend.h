#pragma once
// Session databases written by the project's Jet writer and read back
// through MdbEngine, for the interface suite and the file tests.
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "backends.h"
#include "bws_build.h"
#include "core/date_time.h"
#include "platform/jet/mdb_engine.h"

namespace tallix::jet::testing {

inline nlohmann::json ToJson(const Value& v) {
  switch (v.Kind()) {
    case ValueKind::Null:
      return nullptr;
    case ValueKind::Flag:
      return std::get<bool>(v.Raw());
    case ValueKind::Whole:
      return std::get<int64_t>(v.Raw());
    case ValueKind::Floating:
      return std::get<double>(v.Raw());
    case ValueKind::Text:
      return std::get<std::string>(v.Raw());
    case ValueKind::Date: {
      const DateParts p = SplitDateTime(std::get<DateTime>(v.Raw()));
      char buf[32];
      std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day,
                    p.hour, p.minute, p.second);
      return buf;
    }
  }
  return nullptr;
}

inline nlohmann::json ToJson(const std::vector<std::string>& columns,
                             const std::vector<std::vector<Value>>& rows) {
  nlohmann::json out = nlohmann::json::array();
  for (const auto& row : rows) {
    nlohmann::json r = nlohmann::json::object();
    for (std::size_t i = 0; i < columns.size(); ++i) r[columns[i]] = ToJson(row[i]);
    out.push_back(r);
  }
  return out;
}

// A file name of its own under the test's temporary folder, removed at the end.
class TempFile {
 public:
  explicit TempFile(const std::string& stem = "session") {
    static std::atomic<int> counter{0};
    path_ = (std::filesystem::temp_directory_path() /
             ("tallix-jet-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
              stem + ".bws"))
                .string();
  }
  ~TempFile() { std::filesystem::remove(path_); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class MdbBackend {
 public:
  static constexpr const char* kName = "mdb";
  std::shared_ptr<Database> Open(const std::vector<TableSpec>& tables) {
    nlohmann::json session = nlohmann::json::object();
    for (const TableSpec& t : tables) {
      session[t.name] = ToJson(t.columns, t.rows);
      columns_[t.name] = t.columns;
    }
    jetwriter::WriteBws(file_.path(), session);
    return MdbEngine().OpenDatabase(file_.path());
  }
  void Append(const std::string& table, const std::vector<std::vector<Value>>& rows) {
    jetwriter::AppendBws(file_.path(), {{table, ToJson(columns_.at(table), rows)}});
  }

 private:
  TempFile file_;
  std::map<std::string, std::vector<std::string>> columns_;
};

}  // namespace tallix::jet::testing
