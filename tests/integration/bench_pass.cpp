// One whole refresh pass (names, results, matchpoints, ranking, page) on the
// largest session the arrays hold, read from a real session database: after
// the file changed, and on a file that did not change since the last pass.
// Beside them the whole `tallix --once` process against mdb-export of the
// results table on the same file. "cpu_ms" counts the program and its reader
// process together.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "app/fm_tallix.h"
#include "app/mapped_engine.h"
#include "platform/jet/mdb_engine.h"
#include "session_files.h"

extern char** environ;

namespace tallix {
namespace {

using testing::json;

// CPU seconds of this process and of the children it has now.
double CpuSeconds() {
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  double s = self.ru_utime.tv_sec + self.ru_stime.tv_sec +
             (self.ru_utime.tv_usec + self.ru_stime.tv_usec) / 1e6;
  std::ifstream children("/proc/self/task/" + std::to_string(::gettid()) + "/children");
  for (int pid; children >> pid;) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string f;
    unsigned long utime = 0, stime = 0;
    for (int k = 3; k <= 15 && fields >> f; ++k) {
      if (k == 14) utime = std::stoul(f);
      if (k == 15) stime = std::stoul(f);
    }
    s += static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
  }
  return s;
}

double ChildrenCpuSeconds() {
  rusage r{};
  getrusage(RUSAGE_CHILDREN, &r);
  return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// The largest session: 60 tables, 42 boards each, every name typed.
struct BigSession {
  BigSession() {
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
        session["ReceivedData"].push_back(testing::Result(++id, t, 1 + b / 3, b, t, t, "N", "4 S",
                                                          kResults[(b * 7 + t * 3) % 5]));
      }
    }
    jetwriter::WriteBws(bws, session);
    drive.WriteLog({"11/12/2026 19:00:00 Opening database C:\\BridgeData\\Club\\big.bws"});
    SetModified(0);
  }
  // An hour ago plus `step` nanoseconds: a new modification time each step.
  void SetModified(long step) const {
    timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= 3600;
    times[0].tv_nsec = step % 1000000000;
    times[1] = times[0];
    utimensat(AT_FDCWD, bws.c_str(), times, 0);
  }
  testing::DriveC drive;
  std::string bws = drive.Host("BridgeData/Club/big.bws");
};

void Pass(benchmark::State& state, bool file_changes) {
  BigSession session;
  files::PathMap paths(session.drive.Root().string());
  files::HostFileSystem host_files(paths);
  jet::MdbEngine mdb;
  MappedEngine engine(mdb, paths);
  ManualClock clock(MakeDateTime(2026, 12, 11, 19, 30, 0));
  MemoryForm form;
  MemoryDialog dialog;
  MemoryTransfer inet;
  FmTallix window(FmTallixParts{engine, host_files, paths, form, dialog, inet, clock,
                                HostDateFormat{"%d/%m/%Y", "%H:%M:%S"}, "",
                                session.drive.Host("TallixLog.txt")});
  window.Form_Activate();
  if (window.GridRank.Rows() != 60) state.SkipWithError("the first pass did not fill the grid");
  // A file counts as unchanged once its last change lies seconds back.
  if (!file_changes) std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  window.GetBWSData();
  long step = 0;
  const double cpu = CpuSeconds();
  for (auto _ : state) {
    if (file_changes) session.SetModified(++step);
    window.GetBWSData();
    inet.commands.clear();
  }
  state.counters["cpu_ms"] =
      benchmark::Counter((CpuSeconds() - cpu) * 1e3, benchmark::Counter::kAvgIterations);
  if (window.GridRank.Rows() != 60) state.SkipWithError("a pass did not fill the grid");
}

void PassAfterAChange(benchmark::State& state) {
  Pass(state, true);
}
void PassOnAnUnchangedFile(benchmark::State& state) {
  Pass(state, false);
}
BENCHMARK(PassAfterAChange)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(PassOnAnUnchangedFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// A whole process, start to exit, output thrown away.
void Process(benchmark::State& state, std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const double cpu = ChildrenCpuSeconds();
  for (auto _ : state) {
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("cannot start the program");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("the program failed");
  }
  posix_spawn_file_actions_destroy(&actions);
  state.counters["cpu_ms"] =
      benchmark::Counter((ChildrenCpuSeconds() - cpu) * 1e3, benchmark::Counter::kAvgIterations);
}

void TallixOnceProcess(benchmark::State& state) {
  static BigSession session;
  // The log names today's database: the program looks for today's line.
  char today[16];
  const std::time_t now = std::time(nullptr);
  std::strftime(today, sizeof today, "%d/%m/%Y", std::localtime(&now));
  session.drive.WriteLog(
      {std::string(today) + " 19:00:00 Opening database C:\\BridgeData\\Club\\big.bws"});
  setenv("LC_TIME", "C", 1);
  Process(state, {TALLIX_PATH, "--once", "--drive-c", session.drive.Root().string()});
}
void MdbExportProcess(benchmark::State& state) {
  static BigSession session;
  Process(state, {"mdb-export", session.bws, "ReceivedData"});
}
BENCHMARK(TallixOnceProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(MdbExportProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace
}  // namespace tallix
