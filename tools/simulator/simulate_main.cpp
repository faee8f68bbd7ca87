// tallix_simulate: plays a pairs session into a session database the way the
// terminals' control software does, round by round at a chosen pace.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include "bws_build.h"
#include "session_simulator.h"

namespace {

namespace fs = std::filesystem;
using tallix::simulator::Movement;

const char kUsage[] =
    "usage: tallix_simulate --drive-c DIR [--tables N] [--boards-per-round B]\n"
    "         [--howell] [--sit-out] [--round-seconds S] [--seed K] [--until-round R]\n"
    "         [--title TEXT] [--database NAME]\n"
    "  --drive-c DIR        the folder that stands for drive C: (created when missing)\n"
    "  --tables N           tables of the movement (default 7)\n"
    "  --boards-per-round B boards a table plays each round (default 3)\n"
    "  --howell             a one-field Howell (default a two-field Mitchell)\n"
    "  --sit-out            one pair short: each round one table sits out\n"
    "  --round-seconds S    seconds a round lasts here, fractions allowed (default 60)\n"
    "  --seed K             the same K plays the same session (default 1)\n"
    "  --until-round R      stop when round R has been played (default all rounds)\n"
    "  --title TEXT         the session's description\n"
    "  --database NAME      the file's name in C:\\Bridgemate (default Live.bws)\n";

struct Options {
  tallix::simulator::SessionOptions session;
  std::string drive_c;
  std::string database = "Live.bws";
  double round_seconds = 60;
  int until_round = 0;
};

bool Number(const char* text, double& out) {
  char* end = nullptr;
  out = std::strtod(text, &end);
  return end != text && *end == '\0';
}

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool has_value = i + 1 < argc;
    double v = 0;
    auto number = [&](double low, double high) {
      if (!has_value || !Number(argv[++i], v) || v < low || v > high) {
        std::cerr << "tallix_simulate: " << a << " needs a number from " << low << " to " << high
                  << "\n";
        return false;
      }
      return true;
    };
    if (a == "--howell") {
      o.session.movement = Movement::kHowell;
    } else if (a == "--sit-out") {
      o.session.sit_out = true;
    } else if (a == "--drive-c" && has_value) {
      o.drive_c = argv[++i];
    } else if (a == "--title" && has_value) {
      o.session.title = argv[++i];
    } else if (a == "--database" && has_value) {
      o.database = argv[++i];
    } else if (a == "--tables") {
      if (!number(1, 60)) return false;
      o.session.tables = static_cast<int>(v);
    } else if (a == "--boards-per-round") {
      if (!number(1, 42)) return false;
      o.session.boards_per_round = static_cast<int>(v);
    } else if (a == "--round-seconds") {
      if (!number(0, 86400)) return false;
      o.round_seconds = v;
    } else if (a == "--seed") {
      if (!number(0, 4294967295.0)) return false;
      o.session.seed = static_cast<unsigned>(v);
    } else if (a == "--until-round") {
      if (!number(1, 255)) return false;
      o.until_round = static_cast<int>(v);
    } else {
      std::cerr << "tallix_simulate: unknown or incomplete option " << a << "\n" << kUsage;
      return false;
    }
  }
  if (o.drive_c.empty()) {
    std::cerr << "tallix_simulate: --drive-c is needed\n" << kUsage;
    return false;
  }
  return true;
}

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
  return buf;
}

// An interruption (Ctrl+C, a kill, the terminal closing) waits until the
// append in hand is done, so the file is always a whole database.
class Uninterrupted {
 public:
  Uninterrupted() {
    sigset_t block;
    sigemptyset(&block);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&block, s);
    sigprocmask(SIG_BLOCK, &block, &old_);
  }
  ~Uninterrupted() { sigprocmask(SIG_SETMASK, &old_, nullptr); }

 private:
  sigset_t old_;
};

}  // namespace

int main(int argc, char** argv) {
  Options o;
  o.session.date = Today();
  if (!Parse(argc, argv, o)) return 2;
  if (const std::string why = tallix::simulator::CheckOptions(o.session); !why.empty()) {
    std::cerr << "tallix_simulate: " << why << "\n";
    return 2;
  }
  const int rounds = tallix::simulator::Rounds(o.session);
  const int last_round = o.until_round > 0 ? std::min(o.until_round, rounds) : rounds;
  try {
    const fs::path folder = fs::path(o.drive_c) / "Bridgemate";
    fs::create_directories(folder);
    const std::string db = (folder / o.database).string();
    const auto deliveries = tallix::simulator::PlaySession(o.session);
    {
      Uninterrupted hold;
      tallix::jetwriter::WriteBws(db, tallix::simulator::SessionStart(o.session));
      std::ofstream log(folder / "BMProLog.log", std::ios::app | std::ios::binary);
      log << tallix::simulator::OpeningLine("C:\\Bridgemate\\" + o.database, std::time(nullptr))
          << "\r\n";
      if (!log.flush())
        throw std::runtime_error("cannot write " + (folder / "BMProLog.log").string());
    }
    std::cout << "tallix_simulate: " << db << ", " << rounds << " rounds" << std::endl;

    const auto start = std::chrono::steady_clock::now();
    int announced = 0;
    for (const auto& d : deliveries) {
      if (d.at >= last_round) break;
      const int round = static_cast<int>(d.at) + 1;
      std::this_thread::sleep_until(start +
                                    std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                        std::chrono::duration<double>(d.at * o.round_seconds)));
      if (round > announced) {
        std::cout << "tallix_simulate: round " << round << std::endl;
        announced = round;
      }
      Uninterrupted hold;
      tallix::jetwriter::AppendBws(db, d.rows);
    }
    std::this_thread::sleep_until(start +
                                  std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                      std::chrono::duration<double>(last_round * o.round_seconds)));
    std::cout << "tallix_simulate: played " << last_round << " of " << rounds << " rounds"
              << std::endl;
  } catch (const std::exception& e) {
    std::cerr << "tallix_simulate: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
