// One whole refresh pass (names, results, matchpoints, ranking, page) on the
// largest session the arrays hold, read from a real session database.
#include <benchmark/benchmark.h>

#include "app/fm_tallix.h"
#include "app/mapped_engine.h"
#include "platform/jet/mdb_engine.h"
#include "session_files.h"

namespace tallix {
namespace {

using testing::json;

void WholePass(benchmark::State& state) {
  testing::DriveC drive;
  constexpr int kTables = 60, kBoards = 42;
  std::vector<testing::Seat> seats;
  for (int t = 1; t <= kTables; ++t) seats.push_back({t, 1, t, t, 1, kBoards});
  json session = testing::SessionJson(kTables, "Benchmark Pairs Session 1", seats);
  static const char* kDirections[] = {"N", "S", "E", "W"};
  static const char* kResults[] = {"-2", "-1", "=", "+1", "+2"};
  int id = 0;
  for (int t = 1; t <= kTables; ++t) {
    for (const char* d : kDirections) {
      session["PlayerNumbers"].push_back(testing::Name(
          t, d, ("Player " + std::to_string(t) + d + " Name").c_str(), "2026-12-11 19:01:00"));
    }
    for (int b = 1; b <= kBoards; ++b) {
      session["ReceivedData"].push_back(
          testing::Result(++id, t, 1 + b / 3, b, t, t, "N", "4 S", kResults[(b * 7 + t * 3) % 5]));
    }
  }
  jetwriter::WriteBws(drive.Host("BridgeData/Club/big.bws"), session);
  drive.WriteLog({"11/12/2026 19:00:00 Opening database C:\\BridgeData\\Club\\big.bws"});

  files::PathMap paths(drive.Root().string());
  files::HostFileSystem host_files(paths);
  jet::MdbEngine mdb;
  MappedEngine engine(mdb, paths);
  ManualClock clock(MakeDateTime(2026, 12, 11, 19, 30, 0));
  MemoryForm form;
  MemoryDialog dialog;
  MemoryTransfer inet;
  FmTallix window(FmTallixParts{engine, host_files, paths, form, dialog, inet, clock,
                                HostDateFormat{"%d/%m/%Y", "%H:%M:%S"}, "",
                                drive.Host("TallixLog.txt")});
  window.Form_Activate();
  if (window.GridRank.Rows() != kTables)
    state.SkipWithError("the first pass did not fill the grid");
  for (auto _ : state) {
    window.GetBWSData();
    inet.commands.clear();
  }
}
BENCHMARK(WholePass)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tallix
