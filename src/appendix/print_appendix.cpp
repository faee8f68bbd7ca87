#include "appendix/print_appendix.h"

namespace tallix {
namespace {

using spreadsheet::Spreadsheet;

constexpr char kPercentFormat[] = "0.00";

int32_t Whole(int v) {
  return static_cast<int32_t>(v);
}

// Columns 1 to 6 of a ranking row: position, pair, name, percentage, won, available.
void WriteRankingRow(Spreadsheet& app, int r, int p, int k, const std::string& name, float percent,
                     float won, float available) {
  app.SetValue(r, 1, Whole(p));
  app.SetValue(r, 2, Whole(k));
  app.SetValue(r, 3, name);
  app.SetValue(r, 4, percent);
  app.SetNumberFormat(r, 4, kPercentFormat);
  app.SetValue(r, 5, won);
  app.SetValue(r, 6, available);
}

// Every ranked pair is listed under its own number. (Looking the pair up in
// the round-1 seating by its number would drop east-west pairs numbered apart
// from their tables and print other pairs' numbers.)
int WriteEastWestList(SessionState& s, Spreadsheet& app, int r) {
  for (int p = 1; p <= s.NumTables; ++p) {
    const int k = s.EWRankOrder(p);
    s.AppendixEWPair = static_cast<int16_t>(k);
    if (k == 0) continue;
    ++r;
    WriteRankingRow(app, r, p, k, s.EWPairName(k), s.EWPercent(k), s.EWTotalMP(k), s.EWMaxMP(k));
  }
  return r;
}

void WriteStandardRankings(SessionState& s, Spreadsheet& app) {
  int r = 6;
  const int m = s.TwoFields ? s.NumTables : 2 * s.NumTables;
  for (int p = 1; p <= m; ++p) {
    const int k = s.NSRankOrder(p);
    s.AppendixNSPair = static_cast<int16_t>(k);
    if (s.NSMaxMP(k) == 0) continue;  // nothing available yet: no row, but the position counts
    ++r;
    app.InsertRow(r);
    WriteRankingRow(app, r, p, k, s.NSPairName(k), s.NSPercent(k), s.NSTotalMP(k), s.NSMaxMP(k));
  }
  if (s.TwoFields) {
    app.InsertRow(r + 1);
    WriteEastWestList(s, app, r + 5);
  } else {
    for (int i = 0; i < 3; ++i) app.DeleteRow(r + 1);
  }
}

void WriteTwoFieldRankings(SessionState& s, Spreadsheet& app) {
  int r = 5;
  for (int p = 1; p <= s.NumTables; ++p) {
    const int k = s.NSRankOrder(p);
    s.AppendixNSPair = static_cast<int16_t>(k);
    if (k == 0) continue;
    ++r;
    app.InsertRow(r);
    WriteRankingRow(app, r, p, k, s.NSPairName(k), s.NSPercent(k), s.NSTotalMP(k), s.NSMaxMP(k));
  }
  app.InsertRow(r + 1);
  WriteEastWestList(s, app, r + 4);
}

void WriteBoardResults(const SessionState& s, Spreadsheet& app) {
  for (int b = 1; b <= s.NumBoards; ++b) {
    const int band = b <= 9 ? 0 : b <= 18 ? 1 : 2;
    const int row_offset = 2 + 26 * band, base = 9 * band;
    const int c = (b - base - 1) * 6 + 1;
    for (int t = 1; t <= s.NumTables; ++t) {
      if (s.ResultNSPair(b, t) == 0) continue;
      const int row = t + row_offset;
      app.SetValue(row, c, Whole(s.ResultNSPair(b, t)));
      app.SetValue(row, c + 1, Whole(s.ResultEWPair(b, t)));
      const int score = s.ResultScore(b, t);
      if (score > 0) {
        app.SetValue(row, c + 2, Whole(score));
      } else {
        app.SetValue(row, c + 3, Whole(-score));
      }
      app.SetValue(row, c + 4, s.NSBoardMP(b, t));
      app.SetValue(row, c + 5, s.EWBoardMP(b, t));
    }
  }
}

void FillAndPrint(SessionState& s, Spreadsheet& app, const std::string& template_host_path,
                  AppendixLayout layout) {
  app.Open(template_host_path);
  app.Worksheet(1);
  app.SetValue(1, 1, s.SessionTitle);
  if (layout == AppendixLayout::kTwoField) {
    WriteTwoFieldRankings(s, app);
  } else {
    WriteStandardRankings(s, app);
  }
  app.PrintOut();
  app.Worksheet(2);
  WriteBoardResults(s, app);
  app.PrintOut();
}

}  // namespace

void PrintAppendix(SessionState& s, Spreadsheet& app, const std::string& template_host_path,
                   AppendixLayout layout) {
  app.Start();
  try {
    FillAndPrint(s, app, template_host_path, layout);
    app.MarkSaved();
    app.Close();
  } catch (...) {
    // An application left running would stay behind after every failed press.
    try {
      app.Close();
      app.Quit();
    } catch (...) {
    }
    throw;
  }
  app.Quit();
}

}  // namespace tallix
