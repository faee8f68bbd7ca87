#include "ranking/show_rankings.h"

#include "core/number_text.h"
#include "core/text.h"

namespace tallix {
namespace {

constexpr int kExportHtml = 1;
constexpr int kExportFlags = 7;

// Puts `candidate` at the first empty place or before the first pair with a
// lower percentage, so equal percentages keep the order of arrival.
template <class PercentOf>
void InsertRanked(WorkList<int16_t>& order, int n, int candidate, PercentOf percent) {
  for (int p = 1; p <= n; ++p) {
    if (order(p) == 0) {
      order(p) = static_cast<int16_t>(candidate);
      return;
    }
    if (percent(candidate) > percent(order(p))) {
      for (int q = n; q > p; --q) order(q) = order(q - 1);
      order(p) = static_cast<int16_t>(candidate);
      return;
    }
  }
}

// A tab inside a name would push the later cells into the wrong columns.
std::string CellText(const std::string& name) {
  return Replace(name, "\t", " ");
}

std::string Part(int position, int pair, const std::string& name, float percent) {
  return NumberText(static_cast<long long>(position)) + "\t" +
         NumberText(static_cast<long long>(pair)) + "\t" + CellText(name) + "\t" +
         NumberText(percent);
}

// Redrawing comes back on however the call ends, so the screen never stays frozen.
class RedrawSuspended {
 public:
  explicit RedrawSuspended(Grid& grid) : grid_(grid) { grid_.SetRedraw(false); }
  ~RedrawSuspended() { grid_.SetRedraw(true); }

 private:
  Grid& grid_;
};

}  // namespace

void ShowRankings(SessionState& s, Grid& grid, Transfer& inet, const std::string& caption,
                  const std::string& template_host_path, const std::string& page_host_path) {
  FillRankingGrid(s, grid);
  PublishPage(grid, inet, s.TwoFields, caption, template_host_path, page_host_path);
}

void FillRankingGrid(SessionState& s, Grid& grid) {
  const int tables = s.NumTables;
  const int n = s.TwoFields ? tables : 2 * tables;
  s.NSRankOrder.Clear();
  s.NSRankOrder.Resize(n + 1);
  if (s.TwoFields) {
    s.EWRankOrder.Clear();
    s.EWRankOrder.Resize(tables + 1);
  }

  const auto ns_percent = [&](int pair) { return s.NSPercent(pair); };
  for (int i = 1; i <= n; ++i) InsertRanked(s.NSRankOrder, n, i, ns_percent);
  if (s.TwoFields) {
    const auto ew_percent = [&](int pair) { return s.EWPercent(pair); };
    for (int t = 1; t <= tables; ++t) {
      InsertRanked(s.EWRankOrder, tables, s.TableEWPair(t), ew_percent);
    }
  }

  {
    RedrawSuspended redraw(grid);
    grid.RemoveAll();
    for (int r = 1; r <= tables; ++r) {
      const int a = s.NSRankOrder(r);
      std::string row = a != 0 ? Part(r, a, s.NSPairName(a), s.NSPercent(a)) : "\t\t\t";
      if (s.TwoFields) {
        const int b = s.EWRankOrder(r);
        if (b != 0) row += "\t\t" + Part(r, b, s.EWPairName(b), s.EWPercent(b));
      } else {
        const int b = s.NSRankOrder(r + tables);
        if (b != 0) row += "\t\t" + Part(r + tables, b, s.NSPairName(b), s.NSPercent(b));
      }
      grid.AddItem(row);
    }
  }
}

void PublishPage(const Grid& grid, Transfer& inet, bool two_fields, const std::string& caption,
                 const std::string& template_host_path, const std::string& page_host_path) {
  grid.ExportToHtml(kExportHtml, kExportFlags, page_host_path, template_host_path,
                    {caption, two_fields});
  inet.Execute("", kUploadCommand);
}

}  // namespace tallix
