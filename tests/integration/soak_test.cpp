// A session played into its database by the simulator while `tallix
// --headless` refreshes every few tens of milliseconds. Afterwards: the last
// page is the page of a fresh `tallix --once` on the finished file; every
// page written on the way is the ranking of the file after some whole
// append; every failure in the activity log is one of a read that met an
// append half done, and a good pass follows it.
//
// About 30 s; TALLIX_SOAK_MINUTES plays the session over that many minutes
// (scripts/soak).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <thread>

#include "app/fm_tallix.h"
#include "app/mapped_engine.h"
#include "bws_build.h"
#include "platform/jet/mdb_engine.h"
#include "session_simulator.h"
#include "support/temp_folder.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The ranking a page shows: pair numbers and percentages, top to bottom, in
// the template's order (left half, then right half).
std::string Ranking(const std::string& page) {
  static const std::regex cell(R"(<td class="num( pct)?">([^<]*)</td>)");
  std::string out;
  for (std::sregex_iterator it(page.begin(), page.end(), cell), end; it != end; ++it)
    out += (*it)[2].str() + ((*it)[1].matched ? "\n" : " ");
  return out;
}

std::string Ranking(const Grid& grid) {
  std::string left, right;
  for (int r = 0; r < grid.Rows(); ++r) {
    if (!grid.Cell(r, 0).empty()) left += grid.Cell(r, 1) + " " + grid.DisplayText(r, 3) + "\n";
    if (!grid.Cell(r, 5).empty()) right += grid.Cell(r, 6) + " " + grid.DisplayText(r, 8) + "\n";
  }
  return left + right;
}

std::string Today() {
  const std::time_t now = std::time(nullptr);
  char buf[16];
  std::strftime(buf, sizeof buf, "%Y-%m-%d", std::localtime(&now));
  return buf;
}

pid_t Start(const std::vector<std::string>& args, const fs::path& out) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int fd = ::creat(out.c_str(), 0644);
    ::dup2(fd, 1);
    ::dup2(fd, 2);
    ::setenv("LC_TIME", "C", 1);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The rankings of the session after each of its appends, as the display
// computes them from a file holding exactly those rows.
std::set<std::string> RankingsAlongTheWay(const simulator::SessionOptions& o) {
  testing::TempFolder drive("soak_prefix");
  fs::create_directories(drive.Path() / "Bridgemate");
  fs::copy_file(fs::path(TALLIX_SOURCE_DIR) / "share/SPOOLTEMPL.HTM",
                drive.Path() / "Bridgemate/SPOOLTEMPL.HTM");
  std::ofstream(drive.Path() / "Bridgemate/BMProLog.log")
      << simulator::OpeningLine("C:\\Bridgemate\\Live.bws", std::time(nullptr)) << "\r\n";
  const std::string bws = (drive.Path() / "Bridgemate/Live.bws").string();
  jetwriter::WriteBws(bws, simulator::SessionStart(o));

  files::PathMap paths(drive.Path().string());
  files::HostFileSystem host_files(paths);
  jet::MdbEngine mdb;
  MappedEngine engine(mdb, paths);
  SystemClock clock;
  std::set<std::string> rankings;
  for (const auto& d : simulator::PlaySession(o)) {
    jetwriter::AppendBws(bws, d.rows);
    MemoryForm form;
    MemoryDialog dialog;
    MemoryTransfer inet;
    FmTallix window(FmTallixParts{engine, host_files, paths, form, dialog, inet, clock,
                                  HostDateFormat{"%d/%m/%Y", "%H:%M:%S"}, "",
                                  (drive.Path() / "TallixLog.txt").string()});
    window.Form_Activate();
    rankings.insert(Ranking(window.GridRank));
  }
  return rankings;
}

TEST(SoakTest, APlayedSessionFollowedLiveEndsAsAFreshReadAndNeverShowsAWrongPage) {
  const char* minutes_env = std::getenv("TALLIX_SOAK_MINUTES");
  const double minutes = minutes_env ? std::atof(minutes_env) : 0;
  simulator::SessionOptions o;
  o.seed = 21;
  o.date = Today();
  const int rounds = simulator::Rounds(o);
  const double round_seconds = minutes > 0 ? minutes * 60 / rounds : 2.5;

  testing::TempFolder drive("soak");
  const fs::path c = drive.Path() / "c", bridgemate = c / "Bridgemate";
  fs::create_directories(bridgemate);
  fs::copy_file(fs::path(TALLIX_SOURCE_DIR) / "share/SPOOLTEMPL.HTM",
                bridgemate / "SPOOLTEMPL.HTM");
  // The activity log lies beside the executable: a copy of its own.
  const fs::path tallix = drive.Path() / "tallix";
  fs::copy_file(TALLIX_PATH, tallix);

  const pid_t simulate =
      Start({SIMULATE_PATH, "--drive-c", c.string(), "--seed", std::to_string(o.seed),
             "--round-seconds", std::to_string(round_seconds)},
            drive.Path() / "simulate.out");
  while (!fs::exists(bridgemate / "BMProLog.log"))
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const pid_t headless =
      Start({tallix.string(), "--headless", "--drive-c", c.string(), "--refresh-ms", "30"},
            drive.Path() / "headless.out");

  // Every page the display writes on the way, as it stands on disk.
  std::set<std::string> pages;
  std::string page;
  int simulate_status = -1;
  while (simulate_status < 0) {
    const std::string now = Read(bridgemate / "RankingTable.htm");
    if (now.find("</html>") != std::string::npos) {
      page = now;
      pages.insert(Ranking(now));
    }
    int status = 0;
    if (::waitpid(simulate, &status, WNOHANG) == simulate) simulate_status = WEXITSTATUS(status);
    std::this_thread::sleep_for(std::chrono::milliseconds(7));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // passes on the finished file
  ::kill(headless, SIGTERM);
  EXPECT_EQ(Wait(headless), 0) << Read(drive.Path() / "headless.out");
  ASSERT_EQ(simulate_status, 0) << Read(drive.Path() / "simulate.out");
  const std::string last = Read(bridgemate / "RankingTable.htm");

  // A fresh read of the finished file shows the same page.
  const pid_t once =
      Start({tallix.string(), "--once", "--drive-c", c.string()}, drive.Path() / "once.out");
  ASSERT_EQ(Wait(once), 0) << Read(drive.Path() / "once.out");
  const std::string fresh = Read(bridgemate / "RankingTable.htm");
  const std::regex stamp("Updated [0-9: -]+");
  EXPECT_EQ(std::regex_replace(last, stamp, ""), std::regex_replace(fresh, stamp, ""));
  EXPECT_FALSE(Ranking(fresh).empty());

  const std::set<std::string> along = RankingsAlongTheWay(o);
  EXPECT_GT(pages.size(), 20u);
  for (const std::string& p : pages) EXPECT_TRUE(along.count(p)) << "a page no append made:\n" << p;

  // Failures: only reads that met an append half done, each followed by a
  // good pass (a pass that sets the clock bar logs it).
  std::ifstream log(drive.Path() / "TallixLog.txt");
  std::vector<std::string> lines;
  for (std::string line; std::getline(log, line);) lines.push_back(line);
  ASSERT_FALSE(lines.empty());
  int failures = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find("failed") == std::string::npos) continue;
    ++failures;
    EXPECT_NE(lines[i].find("was being written"), std::string::npos) << lines[i];
    bool good_after = false;
    for (std::size_t j = i + 1; j < lines.size() && !good_after; ++j)
      good_after = lines[j].find("Remaining:") != std::string::npos;
    EXPECT_TRUE(good_after) << lines[i];
  }
  std::cout << "soak: " << rounds << " rounds of " << round_seconds << " s, " << pages.size()
            << " different pages, " << failures << " failures logged" << std::endl;
}

}  // namespace
}  // namespace tallix
