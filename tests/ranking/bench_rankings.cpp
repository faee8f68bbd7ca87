// CalculateRankings on the largest session the arrays hold: 60 tables,
// 42 boards, every result in.
#include <benchmark/benchmark.h>

#include <memory>

#include "ranking/matchpoints.h"

namespace tallix {
namespace {

class NullLog : public LogWriter {
 public:
  void WriteLog(const std::string&) override {}
};

std::unique_ptr<SessionState> FullSession() {
  static const int kScores[] = {-800, -200, -100, -50, 0,   50,  90,  110, 140,
                                170,  400,  420,  450, 620, 650, 920, 1430};
  auto s = std::make_unique<SessionState>();
  s->NumTables = kMaxTable;
  s->NumBoards = kMaxBoard;
  s->PlaysPerBoard = kMaxTable;
  s->Top = 2 * kMaxTable - 2;
  s->TwoFields = true;
  unsigned seed = 12345;
  for (int t = 1; t <= kMaxTable; ++t) {
    s->TableNSPair(t) = static_cast<uint8_t>(t);
    s->TableEWPair(t) = static_cast<uint8_t>(t);
  }
  for (int b = 1; b <= kMaxBoard; ++b) {
    for (int t = 1; t <= kMaxTable; ++t) {
      seed = seed * 1103515245u + 12345u;
      s->ResultNSPair(b, t) = static_cast<uint8_t>(t);
      s->ResultEWPair(b, t) = static_cast<uint8_t>((t + b) % kMaxTable + 1);
      // A few adjusted scores among the ordinary ones.
      s->ResultScore(b, t) = static_cast<int16_t>(
          (seed >> 16) % 50 == 0 ? -22 : kScores[(seed >> 16) % std::size(kScores)]);
    }
  }
  return s;
}

void BM_CalculateRankings(benchmark::State& state) {
  auto s = FullSession();
  NullLog log;
  for (auto _ : state) {
    CalculateRankings(*s, log);
    benchmark::DoNotOptimize(s->NSPercent(1));
  }
}
BENCHMARK(BM_CalculateRankings)->Unit(benchmark::kMicrosecond);

void BM_CalculateRankingsMemoryLog(benchmark::State& state) {
  auto s = FullSession();
  MemoryLog log;
  for (auto _ : state) {
    log.lines.clear();
    CalculateRankings(*s, log);
    benchmark::DoNotOptimize(log.lines.data());
  }
}
BENCHMARK(BM_CalculateRankingsMemoryLog)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tallix
