#include "ranking/matchpoints.h"

#include <string>
#include <vector>

#include "core/checked.h"
#include "core/number_text.h"

namespace tallix {
namespace {

// Scores -33..-1 are adjusted-score codes or stray codes, never matchpointed.
bool IsReservedCode(int16_t score) {
  return score >= -33 && score <= -1;
}

// Moves the distinct scores into the ranked lists in ascending order. A
// taken entry is marked instead of overwritten with a large score, so a
// real score of any size is still ranked.
void RankScores(SessionState& s) {
  const int k = s.ScoreValues.Size();
  s.RankedScores.Clear();
  s.RankedCounts.Clear();
  s.RankedRawMP.Clear();
  s.RankedMP.Clear();
  s.RankedScores.Resize(k);
  s.RankedCounts.Resize(k);
  s.RankedRawMP.Resize(k);
  s.RankedMP.Resize(k);
  std::vector<bool> taken(static_cast<std::size_t>(k), false);
  for (int i = 0; i < k; ++i) {
    int best = -1;
    for (int j = 0; j < k; ++j) {
      if (taken[static_cast<std::size_t>(j)]) continue;
      if (best < 0 || s.ScoreValues(j) < s.ScoreValues(best)) best = j;
    }
    s.RankedScores(i) = s.ScoreValues(best);
    s.RankedCounts(i) = s.ScoreCounts(best);
    taken[static_cast<std::size_t>(best)] = true;
  }
}

float Percent(float won, float available) {
  const float product = static_cast<float>(static_cast<double>(won) / available * 100.0);
  return static_cast<float>(Round2(product));
}

std::string TotalsLine(int table, int ns_pair, float ns_won, float ns_max, float ns_percent,
                       int ew_pair, float ew_won, float ew_max, float ew_percent) {
  std::string line = NumberText(static_cast<long long>(table));
  line += ",NS" + NumberText(static_cast<long long>(ns_pair));
  line += "," + NumberText(ns_won) + "," + NumberText(ns_max) + "," + NumberText(ns_percent);
  line += ",EW" + NumberText(static_cast<long long>(ew_pair));
  line += "," + NumberText(ew_won) + "," + NumberText(ew_max) + "," + NumberText(ew_percent);
  return line;
}

}  // namespace

void MatchpointBoard(SessionState& s, uint8_t board) {
  const int b = board;
  s.BoardTop(b) = 0;
  s.ScoreValues.Clear();
  s.ScoreCounts.Clear();
  s.BoardScored(b) = true;

  for (int t = 1; t <= kMaxTable; ++t) {
    const int16_t score = s.ResultScore(b, t);
    if (s.ResultNSPair(b, t) == 0 || IsReservedCode(score)) continue;
    s.BoardTop(b) = ByteAdd(s.BoardTop(b), 2);
    int found = -1;
    for (int i = 0; i < s.ScoreValues.Size(); ++i) {
      if (s.ScoreValues(i) == score) {
        found = i;
        break;
      }
    }
    if (found >= 0) {
      s.ScoreCounts(found) = ByteAdd(s.ScoreCounts(found), 1);
    } else {
      s.ScoreValues.Append(score);
      s.ScoreCounts.Append(1);
    }
  }

  if (s.BoardTop(b) == 0) {
    s.BoardScored(b) = false;
    return;
  }
  s.BoardTop(b) = ByteSub(s.BoardTop(b), 2);
  const int n = s.BoardTop(b) / 2 + 1;

  RankScores(s);

  int16_t h = 0;
  for (int i = 0; i < s.RankedScores.Size(); ++i) {
    s.RankedRawMP(i) = ByteSub(IntAdd(h, s.RankedCounts(i)), 1);
    h = IntAdd(h, IntMul(2, s.RankedCounts(i)));
  }

  // Scales a board with n results to the top of one played PlaysPerBoard times.
  const int e = s.PlaysPerBoard;
  for (int i = 0; i < s.RankedScores.Size(); ++i) {
    const int16_t numerator = IntSub(IntMul(e, IntAdd(s.RankedRawMP(i), 1)), n);
    s.RankedMP(i) = static_cast<float>(Round2(static_cast<double>(numerator) / n));
  }
}

void CalculateRankings(SessionState& s, LogWriter& log) {
  s.NSTotalMP.Fill(0);
  s.EWTotalMP.Fill(0);
  s.NSMaxMP.Fill(0);
  s.EWMaxMP.Fill(0);
  const float top = s.Top;

  for (int b = 1; b <= s.NumBoards; ++b) {
    MatchpointBoard(s, static_cast<uint8_t>(b));
    if (!s.BoardScored(b)) continue;
    for (int t = 1; t <= s.NumTables; ++t) {
      const uint8_t p = s.ResultNSPair(b, t);
      const uint8_t q = s.ResultEWPair(b, t);
      const int16_t score = s.ResultScore(b, t);
      const int16_t v = IntSub(0, score);
      if (v >= 11 && v <= 33) {
        // An adjusted score: each digit of the code, plus 3, is that side's tenths of the top.
        s.NSBoardMP(b, t) = static_cast<float>(IntMul(s.Top, v / 10 + 3) / 10.0);
        s.EWBoardMP(b, t) = static_cast<float>(IntMul(s.Top, v % 10 + 3) / 10.0);
      } else {
        for (int i = 0; i < s.RankedScores.Size(); ++i) {
          if (s.RankedScores(i) == score) {
            s.NSBoardMP(b, t) = s.RankedMP(i);
            s.EWBoardMP(b, t) = top - s.RankedMP(i);
            break;
          }
        }
      }
      s.NSTotalMP(p) += s.NSBoardMP(b, t);
      s.NSMaxMP(p) += top;
      if (s.TwoFields) {
        s.EWTotalMP(q) += s.EWBoardMP(b, t);
        s.EWMaxMP(q) += top;
      } else {
        s.NSTotalMP(q) += s.EWBoardMP(b, t);
        s.NSMaxMP(q) += top;
      }
    }
  }

  for (int t = 1; t <= s.NumTables; ++t) {
    const uint8_t p = s.TableNSPair(t);
    if (p != 0 && s.NSMaxMP(p) != 0) s.NSPercent(p) = Percent(s.NSTotalMP(p), s.NSMaxMP(p));
    const uint8_t q = s.TableEWPair(t);
    if (q == 0) continue;
    PerPair<float>& won = s.TwoFields ? s.EWTotalMP : s.NSTotalMP;
    PerPair<float>& available = s.TwoFields ? s.EWMaxMP : s.NSMaxMP;
    PerPair<float>& percent = s.TwoFields ? s.EWPercent : s.NSPercent;
    if (available(q) != 0) percent(q) = Percent(won(q), available(q));
    log.WriteLog(TotalsLine(t, p, s.NSTotalMP(p), s.NSMaxMP(p), s.NSPercent(p), q, won(q),
                            available(q), percent(q)));
  }
}

}  // namespace tallix
