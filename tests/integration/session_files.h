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

// Three-table Mitchell, three rounds of two boards: north-south pairs stay,
// east-west pairs move up a table and boards down a table each round.
inline std::vector<Seat> Mitchell3() {
  std::vector<Seat> seats;
  for (int r = 1; r <= 3; ++r) {
    for (int t = 1; t <= 3; ++t) {
      const int set = ((t - r) % 3 + 3) % 3;
      seats.push_back({t, r, t, (t + r - 2) % 3 + 1, 2 * set + 1, 2 * set + 2});
    }
  }
  return seats;
}

// On boards 1 to 5 pair 1 north-south scores best, pair 3 worst; board 6
// goes pair 3, pair 1, pair 2.
inline const char* MitchellResult(int board, int ns) {
  static const char* kBest[] = {"+1", "=", "-1"};
  const int place = board == 6 ? (ns == 3 ? 0 : ns == 1 ? 1 : 2) : ns - 1;
  return kBest[place];
}

inline json MitchellResults(int first_round, int last_round) {
  json rows = json::array();
  int id = first_round * 100;
  for (const Seat& s : Mitchell3()) {
    if (s.round < first_round || s.round > last_round) continue;
    for (int b = s.low; b <= s.high; ++b) {
      rows.push_back(
          Result(++id, s.table, s.round, b, s.ns, s.ew, "N", "4 S", MitchellResult(b, s.ns)));
    }
  }
  return rows;
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
