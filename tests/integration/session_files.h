#pragma once
// Session databases and control-software logs for the end-to-end tests:
// a temporary folder standing for drive C:, with the page template in place.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bws_build.h"

namespace tallix::testing {

using nlohmann::json;

struct Seat {
  int table, round, ns, ew, low, high;
};

inline json SessionJson(int tables, const std::string& description,
                        const std::vector<Seat>& seats) {
  json session;
  session["Section"] = json::array({{{"ID", 1},
                                     {"Letter", "A"},
                                     {"Tables", tables},
                                     {"MissingPair", 0},
                                     {"Description", description}}});
  json rounds = json::array();
  for (const Seat& s : seats) {
    rounds.push_back({{"Section", 1},
                      {"Table", s.table},
                      {"Round", s.round},
                      {"NSPair", s.ns},
                      {"EWPair", s.ew},
                      {"LowBoard", s.low},
                      {"HighBoard", s.high}});
  }
  session["RoundData"] = rounds;
  session["PlayerNumbers"] = json::array();
  session["ReceivedData"] = json::array();
  return session;
}

inline json Result(int id, int table, int round, int board, int ns, int ew, const char* declarer,
                   const char* contract, const char* result, const char* remarks = nullptr,
                   bool erased = false) {
  json row = {{"ID", id},
              {"Section", 1},
              {"Table", table},
              {"Round", round},
              {"Board", board},
              {"PairNS", ns},
              {"PairEW", ew},
              {"NS/EW", declarer},
              {"Contract", contract},
              {"Result", result},
              {"Erased", erased},
              {"DateLog", "2026-12-11 00:00:00"},
              {"TimeLog", "2026-12-11 19:30:00"}};
  if (remarks) row["Remarks"] = remarks;
  return row;
}

inline json Name(int table, const char* direction, const char* name, const std::string& timelog) {
  return {{"Section", 1}, {"Table", table},  {"Direction", direction}, {"Number", "0"},
          {"Name", name}, {"Updated", true}, {"TimeLog", timelog},     {"Processed", false}};
}

// A folder standing for drive C: with C:\Bridgemate\SPOOLTEMPL.HTM.
class DriveC {
 public:
  DriveC() {
    root_ = std::filesystem::temp_directory_path() /
            ("tallix_c_" + std::to_string(::getpid()) + "_" + std::to_string(counter()++));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "Bridgemate");
    std::filesystem::create_directories(root_ / "BridgeData" / "Club");
    std::filesystem::copy_file(
        std::filesystem::path(TALLIX_SOURCE_DIR) / "share" / "SPOOLTEMPL.HTM",
        root_ / "Bridgemate" / "SPOOLTEMPL.HTM");
  }
  ~DriveC() { std::filesystem::remove_all(root_); }
  DriveC(const DriveC&) = delete;
  DriveC& operator=(const DriveC&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  std::string Host(const std::string& relative) const { return (root_ / relative).string(); }

  // The control software's log: the given lines, CR LF each.
  void WriteLog(const std::vector<std::string>& lines) const {
    std::ofstream out(root_ / "Bridgemate" / "BMProLog.log", std::ios::binary);
    for (const auto& l : lines) out << l << "\r\n";
  }
  std::string ReadPage() const {
    std::ifstream in(root_ / "Bridgemate" / "RankingTable.htm", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  static int& counter() {
    static int n = 0;
    return n;
  }
  std::filesystem::path root_;
};

}  // namespace tallix::testing
