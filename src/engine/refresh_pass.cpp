#include "engine/refresh_pass.h"

#include "core/checked.h"
#include "core/number_text.h"
#include "core/run_time_error.h"
#include "engine/pair_names.h"
#include "engine/results_ingestion.h"
#include "platform/jet/database.h"
#include "ranking/matchpoints.h"
#include "ranking/show_rankings.h"

namespace tallix {
namespace {

struct FontStep {
  int tables;
  float points;
  double row_height;
};
// Up to and including `tables`; above 27 tables the design settings stay.
constexpr FontStep kFontSteps[] = {{19, 18, 575}, {20, 18, 550}, {21, 18, 520}, {22, 18, 500},
                                   {23, 18, 480}, {24, 16, 455}, {25, 15, 430}, {27, 14, 405}};

void AdvanceRoundClock(RefreshContext& c) {
  SessionState& s = c.s;
  const DateTime now = c.clock.Now();
  while (AddSeconds(s.RoundStart, s.RoundSeconds) < now) {
    s.RoundStart = AddSeconds(s.RoundStart, s.RoundSeconds);
  }
  s.SecondsRemaining = ToInteger(static_cast<double>(s.RoundSeconds) -
                                 static_cast<double>(WholeSecondsBetween(s.RoundStart, now)));
  c.PicRemain.SetBackColor(ClockColour(s.SecondsRemaining));
  const float height = static_cast<float>(c.GridRank.Height() * s.SecondsRemaining /
                                          static_cast<double>(s.RoundSeconds));
  c.PicRemain.SetHeight(height);
  const float top = static_cast<float>(c.GridRank.Height() - c.PicRemain.Height());
  c.PicRemain.SetTop(top);
  c.log.WriteLog("Remaining:" + NumberText(static_cast<long long>(s.SecondsRemaining)) +
                 ", Height:" + NumberText(height) + ", Top:" + NumberText(top));
}

void SizeFont(RefreshContext& c) {
  for (const FontStep& step : kFontSteps) {
    if (c.s.NumTables <= step.tables) {
      c.GridRank.SetFontSize(step.points);
      c.GridRank.SetRowHeight(step.row_height);
      break;
    }
  }
  c.s.FontSized = true;
}

void NoteBadRows(RefreshContext& c, const std::vector<std::string>& lines) {
  std::set<std::string> now;
  for (const std::string& line : lines) {
    if (now.insert(line).second && !c.bad_rows.count(line)) c.log.WriteLog(line);
  }
  c.bad_rows = std::move(now);
}

// Holds the grid's redrawing off while it is emptied and filled again, so the
// screen shows the new rows at once and never the bare grid between.
class QuietRefill {
 public:
  explicit QuietRefill(Grid& grid) : grid_(grid) { grid_.SetRedraw(false); }
  ~QuietRefill() { grid_.SetRedraw(true); }

 private:
  Grid& grid_;
};

// Logs a failure once per streak: the same failure pass after pass is told once.
void NoteFailure(RefreshContext& c, const std::string& what, int number,
                 const std::string& description) {
  const std::string failure = what + ": Error " + std::to_string(number) + ": " + description;
  c.page_failure = failure;
  if (failure == c.last_failure) return;
  c.last_failure = failure;
  c.log.WriteLog(failure);
}

// True when the pass went through without a failure of the page.
bool Pass(RefreshContext& c) {
  SessionState& s = c.s;
  std::vector<std::string> bad_rows = ReadPlayerNumbers(s, *s.BWSDatabase, c.Timer1);
  const ReceivedDataRead read = ReadReceivedData(s, *s.BWSDatabase);
  bad_rows.insert(bad_rows.end(), read.bad_rows.begin(), read.bad_rows.end());
  NoteBadRows(c, bad_rows);
  if (!read.had_rows) {
    c.page_failure = "no results in ReceivedData yet";
    return true;
  }
  CalculateRankings(s, c.log);
  c.form.SetCaption("Rankings:  " + s.SessionTitle + "; Round " +
                    NumberText(static_cast<long long>(read.CurrentRound)));
  QuietRefill quiet(c.GridRank);
  c.GridRank.RemoveAll();
  if (s.NSPairCount == 0) {
    c.page_failure = "no north-south pair seated in round 1";
    return true;
  }
  if (s.RoundSeconds > 0) AdvanceRoundClock(c);
  FillRankingGrid(s, c.GridRank);
  // A page that cannot be written or sent ends only the page's part of the
  // pass: the screen's font sizing must not wait for a template.
  bool page_ok = true;
  try {
    PublishPage(c.GridRank, c.Inet1, s.TwoFields, c.form.Caption(), c.template_host_path,
                c.page_host_path);
    c.page_written = true;
  } catch (const RunTimeError& e) {
    NoteFailure(c, "Page failed", e.Number, e.Description);
    page_ok = false;
  }
  if (!s.FontSized) SizeFont(c);
  return page_ok;
}

}  // namespace

Colour ClockColour(int seconds_remaining) {
  if (seconds_remaining >= 240) return 0x800000;
  if (seconds_remaining >= 120) return 0x0080FF;
  return 0x0000FF;
}

void GetBWSData(RefreshContext& c) {
  c.page_written = false;
  c.page_failure.clear();
  try {
    if (!c.s.BWSDatabase) throw RunTimeError(91, "Object variable not set");
    if (Pass(c)) c.last_failure.clear();
  } catch (const RunTimeError& e) {
    NoteFailure(c, "Refresh failed", e.Number, e.Description);
  } catch (const std::exception& e) {
    NoteFailure(c, "Refresh failed", 51, e.what());
  }
  c.Timer1.SetEnabled(true);
}

}  // namespace tallix
