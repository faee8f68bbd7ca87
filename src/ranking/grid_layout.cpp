#include "ranking/grid_layout.h"

#include "core/checked.h"
#include "core/number_text.h"

namespace tallix {
namespace {

constexpr int kNSNames = 2;
constexpr int kFiller = 4;
constexpr int kEWNames = 7;

// A second display whose top edge is the primary's and which lies right of
// it: just past the primary's right edge is on it.
bool RightOfPrimary(const SessionState& s) {
  return s.SecondMonitorLeft > 0 && s.SecondMonitorTop == 0;
}

}  // namespace

void GridRank_InitColProps(SessionState& s, FormControl& form, Grid& grid, PictureBox& PicRemain,
                           PictureBox& PicElapsed, LogWriter& log) {
  // Maximised, the window measures the primary display; just past its right
  // edge and maximised again, it fills the display to its right. A display
  // elsewhere is reached at its own corner.
  form.SetWindowState(WindowState::Maximized);
  s.FormWidth = ToLong(form.Width());
  form.SetWindowState(WindowState::Normal);
  const bool own_corner = s.SecondMonitorWidth != 0 && !RightOfPrimary(s);
  if (own_corner) {
    form.SetLeft(s.SecondMonitorLeft * form.TwipsPerPixelX());
    form.SetTop(s.SecondMonitorTop * form.TwipsPerPixelY());
  } else {
    form.SetLeft(static_cast<double>(s.FormWidth) + 5);
  }
  form.SetWindowState(WindowState::Maximized);
  if (s.SecondMonitorWidth == 0) return;

  form.SetHeight(s.SecondMonitorHeight * form.TwipsPerPixelY());
  form.SetWidth(s.SecondMonitorWidth * form.TwipsPerPixelX());
  if (own_corner) {
    // Maximising stops at the work area; the window covers the whole monitor.
    form.SetLeft(s.SecondMonitorLeft * form.TwipsPerPixelX());
    form.SetTop(s.SecondMonitorTop * form.TwipsPerPixelY());
  }

  grid.SetHeight(form.ScaleHeight());
  // Whole twips, held in 32 bits: a 4K second display grows the grid by
  // more than 32767 twips. From its left edge the grid reaches the window's
  // right edge, not beyond it, so the last column stays on the display.
  const int32_t w0 = ToLong(grid.Width());
  grid.SetWidth(form.ScaleWidth() - grid.Left());
  const int32_t d = ToLong(grid.Width() - w0);

  grid.SetColumnWidth(kNSNames, grid.Column(kNSNames).Width + d / 2.0);
  grid.SetColumnWidth(kEWNames, grid.Column(kNSNames).Width);

  PicElapsed.SetHeight(grid.Height());
  PicRemain.SetHeight(grid.Height());
  PicElapsed.SetLeft(grid.Left() + grid.ColumnLeft(kFiller));
  PicRemain.SetLeft(PicElapsed.Left());
  PicElapsed.SetWidth(grid.Column(kFiller).Width);
  PicRemain.SetWidth(grid.Column(kFiller).Width);

  s.LogEnabled = true;
  log.WriteLog("InitColProps: FormHeight:" + NumberText(static_cast<float>(form.Height())) +
               ", GridHeight:" + NumberText(static_cast<float>(grid.Height())));
}

}  // namespace tallix
