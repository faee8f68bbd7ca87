#include "session_simulator.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <random>

namespace tallix::simulator {
namespace {

using nlohmann::json;

constexpr int kMostBoards = 42;  // the display's board arrays end there
constexpr int kMostPairs = 60;

const char* const kFirst[] = {"Alice",  "Bernard", "Chloe",  "Dennis", "Edith", "Frank",
                              "Grace",  "Hugh",    "Irene",  "James",  "Karen", "Leo",
                              "Maud",   "Nigel",   "Olive",  "Percy",  "Rita",  "Ralph",
                              "Sophie", "Tom",     "Ursula", "Victor", "Wendy", "Yvonne"};
const char* const kLast[] = {"Archer", "Baker",  "Carter", "Dawson", "Ellis",  "Fisher",
                             "Gray",   "Harper", "Jones",  "Knight", "Lowe",   "Mason",
                             "Owen",   "Price",  "Quinn",  "Reed",   "Shaw",   "Turner",
                             "Vance",  "Walsh",  "Young",  "Zeller", "Abbott", "Bishop"};
const char* const kContracts[] = {"4 S", "4 H",   "3 NT", "2 S", "3 C",   "1 NT",
                                  "5 D", "2 H x", "6 S",  "3 D", "4 S x", "PASS"};
const char* const kResults[] = {"=", "=", "=", "+1", "+1", "-1", "-1", "+2", "-2", "-3"};
const char* const kAdjusted[] = {"60%-40%", "50%-50%", "40%-60%"};

template <typename T, std::size_t N>
const T& Pick(std::mt19937& rng, const T (&from)[N]) {
  return from[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}
bool Chance(std::mt19937& rng, double p) {
  return std::uniform_real_distribution<double>(0, 1)(rng) < p;
}
double Between(std::mt19937& rng, double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(rng);
}

int BoardSets(const SessionOptions& o) {
  const int pairs_rounds = o.movement == Movement::kMitchell ? o.tables : 2 * o.tables - 1;
  return std::min(pairs_rounds, kMostBoards / o.boards_per_round);
}

// A pair number of the movement that is absent in a session with a sit-out.
int MissingPair(const SessionOptions& o) {
  if (!o.sit_out) return 0;
  return o.movement == Movement::kMitchell ? o.tables : 2 * o.tables;
}

// Two-field Mitchell: North-South stay, East-West move up a table (two after
// half the rounds when the tables are even, so nobody meets a board twice),
// boards move down.
void Mitchell(const SessionOptions& o, int round, std::vector<Seating>& out) {
  const int n = o.tables;
  const int skip = n % 2 == 0 && round > n / 2 ? 1 : 0;
  for (int t = 1; t <= n; ++t) {
    const int ew = ((t - round - skip) % n + 2 * n) % n + 1;
    const int set = (t + round - 2) % BoardSets(o) + 1;
    out.push_back({t, round, t, ew, (set - 1) * o.boards_per_round + 1, set * o.boards_per_round});
  }
}

// Board-set offsets for the Howell's tables: table k (from 0) plays set
// round + c[k]. Pair p meets it at distance k from the round, so it sees
// sets c[k] - k and c[k] + k past its own number: these and c[0] must all
// differ for nobody to meet a set twice, and the c[k] must differ for the
// tables of a round to hold different sets.
bool FindOffsets(int m, int k, std::vector<int>& c, std::vector<bool>& seen,
                 std::vector<bool>& centre) {
  if (k == 0) {
    for (int v = 0; v < m; ++v)
      if (!seen[v] && !centre[v]) return c[0] = v, true;
    return false;
  }
  for (int v = 0; v < m; ++v) {
    const int lo = (v - k + m) % m, hi = (v + k) % m;
    if (centre[v] || seen[lo] || seen[hi]) continue;
    centre[v] = seen[lo] = seen[hi] = true;
    c[k] = v;
    if (FindOffsets(m, k - 1, c, seen, centre)) return true;
    centre[v] = seen[lo] = seen[hi] = false;
  }
  return false;
}

std::vector<int> HowellOffsets(int tables) {
  const int m = 2 * tables - 1;
  std::vector<int> c(tables);
  std::vector<bool> seen(m), centre(m);
  if (!FindOffsets(m, tables - 1, c, seen, centre)) c.assign(tables, 0);
  return c;
}

// One-field Howell by the circle: pair 2N stays at table 1, the others turn.
void Howell(const SessionOptions& o, int round, std::vector<Seating>& out) {
  const int n = o.tables, m = 2 * o.tables - 1;
  static thread_local std::map<int, std::vector<int>> offsets;
  if (!offsets.count(n)) offsets[n] = HowellOffsets(n);
  for (int t = 1; t <= n; ++t) {
    int a, b;
    if (t == 1) {
      a = 2 * n;
      b = round;
    } else {
      a = (round + t - 2) % m + 1;
      b = ((round - t) % m + m) % m + 1;
    }
    const bool flip = (round + t) % 2 == 1;
    const int set = (round - 1 + offsets[n][static_cast<std::size_t>(t - 1)]) % m + 1;
    out.push_back({t, round, flip ? b : a, flip ? a : b, (set - 1) * o.boards_per_round + 1,
                   set * o.boards_per_round});
  }
}

std::string Clock(double seconds) {  // seconds since midnight
  const long s = static_cast<long>(seconds);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", s / 3600 % 24, s / 60 % 60, s % 60);
  return buf;
}

struct Clocked {
  double at;
  int round;
  std::string table;
  json row;
};

class Session {
 public:
  explicit Session(const SessionOptions& o) : o_(o), rng_(o.seed), seats_(MovementOf(o)) {
    for (int r = 1; r <= Rounds(o); ++r) PlayRound(r);
    Names();
  }

  std::vector<Delivery> Deliveries() {
    std::stable_sort(out_.begin(), out_.end(),
                     [](const Clocked& a, const Clocked& b) { return a.at < b.at; });
    std::vector<Delivery> d;
    int id = 0;
    double last_name = 0;
    for (Clocked& c : out_) {
      if (c.table == "ReceivedData") {
        c.row["ID"] = ++id;
        c.row["TimeLog"] = "1899-12-30 " + Clock(SessionSeconds(c.at));
        c.row["DateLog"] = o_.date + " 00:00:00";
      } else {
        // Names are found by their time: each a second after the one before.
        last_name = std::max(last_name + 1, SessionSeconds(c.at));
        c.row["TimeLog"] = o_.date + " " + Clock(last_name);
      }
      d.push_back({c.at, c.round, json{{c.table, json::array({c.row})}}});
    }
    return d;
  }

 private:
  // The session starts at 19:00; a board takes seven and a half minutes.
  double SessionSeconds(double at) const { return 19 * 3600.0 + at * o_.boards_per_round * 450; }

  const Seating& Seat(int table, int round) const {
    return seats_[static_cast<std::size_t>((round - 1) * o_.tables + table - 1)];
  }

  json Result(const Seating& s, int board, int round) {
    const std::string contract = Pick(rng_, kContracts);
    const char* declarer = Pick(rng_, {"N", "S", "E", "W"});
    json row = {{"Section", 1},   {"Table", s.table}, {"Round", round},     {"Board", board},
                {"PairNS", s.ns}, {"PairEW", s.ew},   {"NS/EW", declarer},  {"Contract", contract},
                {"LeadCard", ""}, {"Remarks", ""},    {"Processed", false}, {"Erased", false}};
    row["Declarer"] = contract == "PASS" ? 0 : (*declarer == 'N' || *declarer == 'S') ? s.ns : s.ew;
    row["Result"] = contract == "PASS" ? "" : Pick(rng_, kResults);
    return row;
  }

  void Send(double at, int round, json row) {
    out_.push_back({at, round, "ReceivedData", std::move(row)});
  }

  void PlayRound(int r) {
    for (int t = 1; t <= o_.tables; ++t) {
      const Seating& s = Seat(t, r);
      if (s.ns == 0 || s.ew == 0) continue;
      const int boards = s.high_board - s.low_board + 1;
      const double pace = Between(rng_, 0.8, 1.12);  // some tables are slow
      for (int k = 0; k < boards; ++k) {
        const int board = s.low_board + k;
        const double at = r - 1 + (k + 1) * pace / (boards + 0.5) + Between(rng_, 0, 0.02);
        if (at >= r - 0.01) {  // out of time: the director cancels the board
          json row = Result(s, board, r);
          row["Contract"] = "";
          row["Result"] = "";
          row["Remarks"] = "Not played";
          Send(r - 0.01, r, row);
          continue;
        }
        json row = Result(s, board, r);
        if (Chance(rng_, 0.02)) {
          row["Contract"] = "";
          row["Result"] = "";
          row["NS/EW"] = "";
          row["Remarks"] = Pick(rng_, kAdjusted);
        }
        Send(at, r, row);
        if (Chance(rng_, 0.05)) {  // a wrong entry, erased and entered again
          json erased = row;
          erased["Erased"] = true;
          Send(at + 0.01, r, erased);
          Send(at + 0.02, r, Result(s, board, r));
        }
      }
    }
    // Now and then the director corrects a result of two rounds ago.
    if (r >= 3 && Chance(rng_, 0.5)) {
      const int old = r - 2;
      const int t = std::uniform_int_distribution<int>(1, o_.tables)(rng_);
      const Seating& s = Seat(t, old);
      if (s.ns != 0 && s.ew != 0)
        Send(r - 1 + Between(rng_, 0.2, 0.8), r, Result(s, s.low_board, old));
    }
  }

  // Names are typed in round 1, most at once, some late, a few never; a
  // stationary pair may still type in round 2.
  void Names() {
    for (int t = 1; t <= o_.tables; ++t) {
      const Seating& s = Seat(t, 1);
      for (const char* seat : {"N", "S", "E", "W"}) {
        const bool ns = *seat == 'N' || *seat == 'S';
        if ((ns ? s.ns : s.ew) == 0 || Chance(rng_, 0.05)) continue;
        const bool stays = ns && o_.movement == Movement::kMitchell;
        double at = Between(rng_, 0, 0.12);
        if (Chance(rng_, 0.12)) at = Between(rng_, 0.3, stays ? 1.4 : 0.95);
        const int pair = ns ? s.ns : s.ew;
        // Partners who share a surname, now and then.
        const int last = pair * 7 + (*seat == 'S' || *seat == 'W') * (pair % 3 != 0);
        std::string name = std::string(Pick(rng_, kFirst)) + " " +
                           kLast[static_cast<std::size_t>(last) % std::size(kLast)];
        json row = {{"Section", 1},
                    {"Table", t},
                    {"Direction", seat},
                    {"Number", std::to_string(1000 + pair * 4 +
                                              static_cast<int>(std::string("NSEW").find(*seat)))},
                    {"Name", name},
                    {"Updated", true},
                    {"Processed", false}};
        out_.push_back({at, at < 1 ? 1 : 2, "PlayerNumbers", std::move(row)});
      }
    }
  }

  const SessionOptions& o_;
  std::mt19937 rng_;
  std::vector<Seating> seats_;
  std::vector<Clocked> out_;
};

}  // namespace

std::string CheckOptions(const SessionOptions& o) {
  const int most_tables = o.movement == Movement::kMitchell ? kMostPairs : kMostPairs / 2;
  if (o.tables < 2 || o.tables > most_tables)
    return "--tables must be 2 to " + std::to_string(most_tables) + " for this movement";
  if (o.boards_per_round < 1 || o.boards_per_round > kMostBoards / 2)
    return "--boards-per-round must be 1 to " + std::to_string(kMostBoards / 2);
  if (o.movement == Movement::kHowell && (2 * o.tables - 1) * o.boards_per_round > kMostBoards)
    return "a Howell of " + std::to_string(o.tables) + " tables plays " +
           std::to_string(2 * o.tables - 1) + " rounds: more than " + std::to_string(kMostBoards) +
           " boards at " + std::to_string(o.boards_per_round) + " a round";
  if (o.date.size() != 10) return "the session date must be YYYY-MM-DD";
  return "";
}

int Rounds(const SessionOptions& o) {
  return BoardSets(o);
}

std::vector<Seating> MovementOf(const SessionOptions& o) {
  std::vector<Seating> out;
  for (int r = 1; r <= Rounds(o); ++r) {
    if (o.movement == Movement::kMitchell)
      Mitchell(o, r, out);
    else
      Howell(o, r, out);
  }
  const int missing = MissingPair(o);
  // In a Mitchell the missing pair is an East-West one; North-South pairs
  // have numbers of their own.
  const bool one_field = o.movement == Movement::kHowell;
  for (Seating& s : out) {
    if (one_field && s.ns == missing) s.ns = 0;
    if (s.ew == missing) s.ew = 0;
  }
  return out;
}

json SessionStart(const SessionOptions& o) {
  json rounds = json::array();
  for (const Seating& s : MovementOf(o)) {
    rounds.push_back({{"Section", 1},
                      {"Table", s.table},
                      {"Round", s.round},
                      {"NSPair", s.ns},
                      {"EWPair", s.ew},
                      {"LowBoard", s.low_board},
                      {"HighBoard", s.high_board},
                      {"CustomBoards", ""}});
  }
  return {{"Section", json::array({{{"ID", 1},
                                    {"Letter", "A"},
                                    {"Tables", o.tables},
                                    {"MissingPair", MissingPair(o)},
                                    {"Description", o.title}}})},
          {"RoundData", rounds}};
}

std::vector<Delivery> PlaySession(const SessionOptions& o) {
  return Session(o).Deliveries();
}

std::string OpeningLine(const std::string& windows_path, std::time_t when) {
  std::tm tm{};
  localtime_r(&when, &tm);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%d/%m/%Y %H:%M:%S", &tm);
  return std::string(stamp) + " Opening database " + windows_path;
}

}  // namespace tallix::simulator
