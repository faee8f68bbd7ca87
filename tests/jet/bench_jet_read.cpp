// A full session of 60 tables and 42 boards (2520 results): open the database
// and read every result field the results step reads. Beside it, the parse
// alone in this process, and the whole process of mdb-export on the same file.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>

#include "bws_build.h"
#include "core/run_time_error.h"
#include "mdb_backend.h"
#include "platform/jet/mdb_engine.h"
#include "platform/jet/mdb_reader.h"

extern char** environ;

namespace tallix::jet::testing {
namespace {

const char* const kFields[] = {"Erased", "Remarks", "Board",    "Table",  "PairNS",
                               "PairEW", "NS/EW",   "Contract", "Result", "Round"};

const std::string& SessionFile() {
  static TempFile file("bench");
  static const bool written = [] {
    nlohmann::json results = nlohmann::json::array();
    int id = 0;
    for (int round = 1; round <= 14; ++round)
      for (int table = 1; table <= 60; ++table)
        for (int k = 0; k < 3; ++k) {
          const int board = (round - 1) * 3 + k + 1;
          results.push_back({{"ID", ++id},
                             {"Section", 1},
                             {"Table", table},
                             {"Round", round},
                             {"Board", board},
                             {"PairNS", table},
                             {"PairEW", table},
                             {"Declarer", table},
                             {"NS/EW", "N"},
                             {"Contract", "4 H x"},
                             {"Result", "+1"},
                             {"LeadCard", "SA"},
                             {"Remarks", id % 97 == 0 ? "60%-40%" : ""},
                             {"DateLog", "2026-03-07 00:00:00"},
                             {"TimeLog", "2026-03-07 19:30:00"},
                             {"Processed", true},
                             {"Erased", false}});
        }
    jetwriter::WriteBws(file.path(), {{"ReceivedData", results}});
    return true;
  }();
  (void)written;
  return file.path();
}

void BM_ReadReceivedData(benchmark::State& state) {
  auto db = MdbEngine().OpenDatabase(SessionFile());
  std::size_t rows = 0;
  for (auto _ : state) {
    auto rs = db->OpenRecordset("ReceivedData");
    rows = 0;
    for (; !rs->Eof(); rs->MoveNext(), ++rows)
      for (const char* f : kFields) benchmark::DoNotOptimize(rs->Field(f));
    rs->Close();
  }
  if (rows != 2520) state.SkipWithError("wrong row count");
  state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_ReadReceivedData)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The same parse without the child process: what the isolation costs.
void BM_ParseInProcess(benchmark::State& state) {
  std::ifstream in(SessionFile(), std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), {});
  AnswerBuilder table;
  for (auto _ : state) {
    std::string bytes = file;
    ReadMdbTable(bytes.data(), bytes.size(), "ReceivedData", nullptr, table);
    benchmark::DoNotOptimize(table.Rows());
  }
}
BENCHMARK(BM_ParseInProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// mdb-export ReceivedData, start to exit, output thrown away.
void BM_MdbExportProcess(benchmark::State& state) {
  const std::string path = SessionFile();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>("mdb-export"), const_cast<char*>(path.c_str()),
                  const_cast<char*>("ReceivedData"), nullptr};
  for (auto _ : state) {
    pid_t pid;
    if (posix_spawnp(&pid, "mdb-export", &actions, nullptr, argv, environ) != 0) {
      state.SkipWithError("mdb-export not found");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("mdb-export failed");
  }
  posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(BM_MdbExportProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace
}  // namespace tallix::jet::testing
