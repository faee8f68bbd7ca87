#include "platform/grid/grid.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include "core/number_text.h"
#include "core/run_time_error.h"
#include "core/text.h"

namespace tallix {

Grid::Grid() {
  const char* captions[] = {"Posn", "Pair", "Names", "%", "", "Posn", "Pair", "Names", "%"};
  const char* names[] = {"NSPosn", "NS",     "NSNames", "NS%",    "Filler",
                         "EWPosn", "EWPair", "EWNames", "EWPcent"};
  const double widths[] = {555, 555, 5160, 990, 255, 555, 555, 5160, 990};
  for (int k = 0; k < 9; ++k) {
    columns_.push_back({captions[k], names[k], widths[k], k == 3 || k == 8 ? "##.00" : ""});
  }
  font_ = {"Impact", 17.25f, false, false};
  head_font_ = {"Arial", 12.0f, true, false};
  // Fits one line of the design-time cell font with a little air.
  row_height_ = 480;
}

const GridColumn& Grid::Column(int k) const {
  if (k < 0 || k >= ColumnCount()) RaiseSubscript();
  return columns_[static_cast<std::size_t>(k)];
}

void Grid::SetColumnWidth(int k, double twips) {
  if (k < 0 || k >= ColumnCount()) RaiseSubscript();
  columns_[static_cast<std::size_t>(k)].Width = twips;
  Notify();
}

double Grid::ColumnLeft(int k) const {
  if (k < 0 || k >= ColumnCount()) RaiseSubscript();
  double left = 0;
  for (int j = 0; j < k; ++j) left += columns_[static_cast<std::size_t>(j)].Width;
  return left;
}

void Grid::AddItem(const std::string& tab_text) {
  std::vector<std::string> cells = Split(tab_text, '\t');
  // Cells beyond the last column have nowhere to go.
  if (cells.size() > columns_.size()) cells.resize(columns_.size());
  rows_.push_back(std::move(cells));
  Notify();
}

void Grid::RemoveAll() {
  rows_.clear();
  Notify();
}

std::string Grid::Cell(int row, int column) const {
  if (row < 0 || row >= Rows() || column < 0 || column >= ColumnCount()) RaiseSubscript();
  const auto& cells = rows_[static_cast<std::size_t>(row)];
  return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)]
                                                         : std::string();
}

std::string Grid::DisplayText(int row, int column) const {
  std::string text = Cell(row, column);
  if (Column(column).NumberFormat == "##.00") return FormatPercent(text);
  return text;
}

void Grid::SetRedraw(bool on) {
  const bool resumed = on && !redraw_;
  redraw_ = on;
  if (resumed) Notify();
}

void Grid::SetLeft(double v) {
  left_ = v;
  Notify();
}
void Grid::SetTop(double v) {
  top_ = v;
  Notify();
}
void Grid::SetWidth(double v) {
  width_ = v;
  Notify();
}
void Grid::SetHeight(double v) {
  height_ = v;
  Notify();
}
void Grid::SetRowHeight(double v) {
  row_height_ = v;
  Notify();
}

GridFont& Grid::MutableFont() {
  return font_;
}
void Grid::SetFontSize(float points) {
  font_.Size = points;
  Notify();
}

void Grid::SetForeColorEven(Colour c) {
  fore_even_ = c;
  Notify();
}
void Grid::SetBackColorEven(Colour c) {
  back_even_ = c;
  Notify();
}

void Grid::Notify() {
  if (redraw_ && Changed) Changed();
}

bool Grid::LooksLike(const Grid& o) const {
  return columns_ == o.columns_ && rows_ == o.rows_ && left_ == o.left_ && top_ == o.top_ &&
         width_ == o.width_ && height_ == o.height_ && row_height_ == o.row_height_ &&
         font_ == o.font_ && head_font_ == o.head_font_ && fore_even_ == o.fore_even_ &&
         back_even_ == o.back_even_;
}

std::string FormatPercent(const std::string& text) {
  double parsed = 0;
  if (!ParseNumber(text, parsed)) return text;  // not a number: shown as typed
  // The column holds 32-bit floats, and the format rounds their decimal
  // digits, halves away from zero: 63.885 shows as 63.89 although the float
  // lies just below it.
  const float value = static_cast<float>(parsed);
  if (!std::isfinite(value)) return text;
  char digits[32];
  std::snprintf(digits, sizeof digits, "%.6e", static_cast<double>(std::fabs(value)));
  const long long mantissa = std::atoll(digits) * 1000000 + std::atoll(digits + 2);
  const int exponent = std::atoi(std::strchr(digits, 'e') + 1);
  const int shift = exponent - 4;  // value * 100 = mantissa * 10^shift
  if (shift > 10) {
    std::snprintf(digits, sizeof digits, "%.2f", static_cast<double>(value));
    return digits;
  }
  long long hundredths = mantissa;
  if (shift >= 0) {
    for (int i = 0; i < shift; ++i) hundredths *= 10;
  } else if (shift < -7) {
    hundredths = 0;
  } else {
    long long divisor = 1;
    for (int i = 0; i < -shift; ++i) divisor *= 10;
    hundredths = mantissa / divisor + (2 * (mantissa % divisor) >= divisor ? 1 : 0);
  }
  const long long whole = hundredths / 100;
  const int fraction = static_cast<int>(hundredths % 100);
  const char* sign = value < 0 && hundredths != 0 ? "-" : "";
  char buf[48];
  // "#" digits are optional: a zero integer part leaves nothing before the point.
  if (whole == 0)
    std::snprintf(buf, sizeof buf, "%s.%02d", sign, fraction);
  else
    std::snprintf(buf, sizeof buf, "%s%lld.%02d", sign, whole, fraction);
  return buf;
}

}  // namespace tallix
