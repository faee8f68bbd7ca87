// tallix_simulate: its movements, and the sessions it plays read back by
// mdbtools and by the display, also when it is interrupted.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "mdb_reader.h"
#include "session_simulator.h"
#include "support/temp_folder.h"

namespace tallix::simulator {
namespace {

using tooltest::MdbReader;
using tooltest::RunCommand;

struct MovementCase {
  Movement movement;
  int tables, boards;
  bool sit_out;
};

class MovementTest : public ::testing::TestWithParam<MovementCase> {};

// Every round seats each pair once, no pair meets a board twice, no table
// plays a board twice, and the missing pair never plays.
TEST_P(MovementTest, SeatsEveryPairOnceARoundAndNoBoardTwice) {
  const MovementCase c = GetParam();
  SessionOptions o;
  o.movement = c.movement;
  o.tables = c.tables;
  o.boards_per_round = c.boards;
  o.sit_out = c.sit_out;
  o.date = "2026-12-11";
  ASSERT_EQ(CheckOptions(o), "");
  const bool two_fields = c.movement == Movement::kMitchell;
  const int pairs = two_fields ? c.tables : 2 * c.tables;
  std::map<int, std::set<int>> boards_of_pair, boards_of_table;
  std::map<int, std::set<int>> seated;  // round -> pair keys
  int sit_outs = 0;
  for (const Seating& s : MovementOf(o)) {
    EXPECT_LE(s.high_board, 42);
    if (s.ns == 0 || s.ew == 0) {
      ++sit_outs;
      continue;
    }
    const int ns_key = s.ns, ew_key = two_fields ? 100 + s.ew : s.ew;
    EXPECT_TRUE(seated[s.round].insert(ns_key).second) << "round " << s.round;
    EXPECT_TRUE(seated[s.round].insert(ew_key).second) << "round " << s.round;
    for (int b = s.low_board; b <= s.high_board; ++b) {
      EXPECT_TRUE(boards_of_pair[ns_key].insert(b).second) << "pair " << s.ns << " board " << b;
      EXPECT_TRUE(boards_of_pair[ew_key].insert(b).second) << "pair " << s.ew << " board " << b;
      EXPECT_TRUE(boards_of_table[s.table].insert(b).second) << "table " << s.table;
    }
  }
  EXPECT_EQ(sit_outs, c.sit_out ? Rounds(o) : 0);
  for (const auto& [round, keys] : seated)
    EXPECT_EQ(static_cast<int>(keys.size()), (two_fields ? 2 * pairs : pairs) - 2 * c.sit_out);
}

INSTANTIATE_TEST_SUITE_P(Movements, MovementTest,
                         ::testing::Values(MovementCase{Movement::kMitchell, 7, 3, false},
                                           MovementCase{Movement::kMitchell, 8, 2, true},
                                           MovementCase{Movement::kMitchell, 14, 3, false},
                                           MovementCase{Movement::kHowell, 5, 2, true},
                                           MovementCase{Movement::kHowell, 4, 3, false}));

TEST(SessionTest, SameSeedSameSessionAndEveryResultInTheMovement) {
  SessionOptions o;
  o.date = "2026-12-11";
  o.seed = 9;
  const auto a = PlaySession(o), b = PlaySession(o);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].rows, b[i].rows);
  o.seed = 10;
  EXPECT_NE(PlaySession(o)[0].rows, a[0].rows);

  std::map<std::pair<int, int>, Seating> seat;  // (table, round)
  for (const Seating& s : MovementOf(o)) seat[{s.table, s.round}] = s;
  int erased = 0, corrections = 0;
  double last = 0;
  for (const Delivery& d : a) {
    EXPECT_GE(d.at, last);
    last = d.at;
    if (!d.rows.contains("ReceivedData")) continue;
    const auto& r = d.rows["ReceivedData"][0];
    const Seating& s = seat.at({r["Table"].get<int>(), r["Round"].get<int>()});
    EXPECT_EQ(r["PairNS"], s.ns);
    EXPECT_EQ(r["PairEW"], s.ew);
    EXPECT_GE(r["Board"].get<int>(), s.low_board);
    EXPECT_LE(r["Board"].get<int>(), s.high_board);
    erased += r["Erased"].get<bool>();
    corrections += r["Round"].get<int>() + 1 < d.round;
  }
  EXPECT_GT(erased, 0);
  EXPECT_GT(corrections, 0);
}

std::string Read(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class SimulateProgramTest : public ::testing::Test {
 protected:
  std::string Simulate(const std::string& args) {
    return RunCommand(std::string(SIMULATE_PATH) + " --drive-c " + drive.Path().string() + " " +
                      args + " 2>&1");
  }
  std::filesystem::path Bws() const { return drive.Path() / "Bridgemate" / "Live.bws"; }
  // What the display makes of the file: its --once run's output, after a
  // start-up that worked.
  std::string Display() {
    std::filesystem::copy_file(std::filesystem::path(TALLIX_SOURCE_DIR) / "share/SPOOLTEMPL.HTM",
                               drive.Path() / "Bridgemate/SPOOLTEMPL.HTM",
                               std::filesystem::copy_options::skip_existing);
    // Exit 3 is a start-up that found no result to make a page of yet.
    const std::string out =
        RunCommand("LC_TIME=C " + std::string(TALLIX_PATH) + " --once --drive-c " +
                   drive.Path().string() + " 2>&1; echo exit=$?");
    EXPECT_TRUE(out.find("exit=0") != std::string::npos || out.find("exit=3") != std::string::npos)
        << out;
    return out;
  }
  testing::TempFolder drive{"simulate"};
};

TEST_F(SimulateProgramTest, PlaysASessionThatMdbtoolsAndTheDisplayRead) {
  Simulate("--tables 5 --round-seconds 0.02 --seed 4 --until-round 4");
  const std::string log = Read(drive.Path() / "Bridgemate/BMProLog.log");
  EXPECT_NE(log.find(" Opening database C:\\Bridgemate\\Live.bws\r\n"), std::string::npos) << log;

  MdbReader db(Bws().string());
  EXPECT_EQ(db.RowCount("Section"), 1);
  EXPECT_EQ(db.RowCount("RoundData"), 25);
  const auto results = db.Read("ReceivedData");
  ASSERT_GT(results.size(), 40u);
  int highest_round = 0;
  for (std::size_t i = 0; i < results.size(); ++i) {
    EXPECT_EQ(results[i][0], std::to_string(i + 1));  // IDs in order of arrival
    highest_round = std::max(highest_round, std::stoi(results[i][3]));
  }
  EXPECT_EQ(highest_round, 4);
  EXPECT_EQ(RunCommand("mdb-count " + Bws().string() + " ReceivedData"),
            std::to_string(results.size()) + "\n");
  EXPECT_GE(db.RowCount("PlayerNumbers"), 15);

  const std::string shown = Display();
  EXPECT_NE(shown.find("Caption: Rankings:  Friday Pairs ; Round "), std::string::npos) << shown;
}

TEST_F(SimulateProgramTest, BadOptionsAreRefusedWithAMessage) {
  const std::string simulate = std::string(SIMULATE_PATH) + " --drive-c " + drive.Path().string();
  for (const std::string args : {"--tables 0", "--tables 31 --howell", "--boards-per-round 22",
                                 "--round-seconds x", "--until-round", "--bogus"}) {
    const int status = std::system((simulate + " " + args + " >/dev/null 2>&1").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2) << args;
  }
  EXPECT_FALSE(std::filesystem::exists(Bws()));
}

// Whenever it is stopped, what it leaves is a whole database.
TEST_F(SimulateProgramTest, InterruptedAtRandomPointsTheFileAlwaysOpens) {
  std::mt19937 rng(11);
  for (int run = 0; run < 6; ++run) {
    const auto delay = std::chrono::milliseconds(std::uniform_int_distribution<int>(5, 400)(rng));
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::execl(SIMULATE_PATH, SIMULATE_PATH, "--drive-c", drive.Path().c_str(), "--round-seconds",
              "0.05", "--seed", std::to_string(run).c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    std::this_thread::sleep_for(delay);
    ::kill(pid, run % 2 ? SIGINT : SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!std::filesystem::exists(Bws())) continue;  // stopped before it made the file
    MdbReader db(Bws().string());
    for (const char* table : {"Section", "RoundData", "PlayerNumbers", "ReceivedData"})
      EXPECT_EQ(static_cast<long>(db.Read(table).size()), db.RowCount(table))
          << table << " after " << delay.count() << " ms";
    const std::string shown = Display();
    EXPECT_NE(shown.find("Database: C:\\Bridgemate\\Live.bws"), std::string::npos) << shown;
    std::filesystem::remove(Bws());
  }
}

}  // namespace
}  // namespace tallix::simulator
