#pragma once
// The ranking grid as a model: its columns, rows added from tab-separated
// text, fonts, colours and geometry (twips), and its HTML export through a
// template. A toolkit view follows it through `Changed`, which runs only
// while redrawing is on.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/window/controls.h"

namespace tallix {

struct GridColumn {
  std::string Caption;
  std::string Name;
  double Width = 0;          // twips
  std::string NumberFormat;  // "##.00" for the percentages, else empty
  bool operator==(const GridColumn&) const = default;
};

struct GridFont {
  std::string Name;
  float Size = 0;  // points
  bool Bold = false;
  bool Italic = false;
  bool operator==(const GridFont&) const = default;
};

class Grid {
 public:
  Grid();  // the nine design-time columns, fonts and size

  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  const GridColumn& Column(int k) const;
  void SetColumnWidth(int k, double twips);
  // Offset of column k's left edge within the grid.
  double ColumnLeft(int k) const;

  // Splits at tabs, no quoting; a short row leaves the later cells empty.
  void AddItem(const std::string& tab_text);
  void RemoveAll();
  int Rows() const { return static_cast<int>(rows_.size()); }
  // The cell's stored text ("" past the row's end).
  std::string Cell(int row, int column) const;
  // The cell as shown: numbers in a formatted column through its format.
  std::string DisplayText(int row, int column) const;

  bool Redraw() const { return redraw_; }
  void SetRedraw(bool on);

  double Left() const { return left_; }
  double Top() const { return top_; }
  double Width() const { return width_; }
  double Height() const { return height_; }
  void SetLeft(double v);
  void SetTop(double v);
  void SetWidth(double v);
  void SetHeight(double v);
  double RowHeight() const { return row_height_; }
  void SetRowHeight(double v);

  const GridFont& Font() const { return font_; }
  GridFont& MutableFont();  // the cell font object; changes show at the next redraw
  void SetFontSize(float points);
  const GridFont& HeadFont() const { return head_font_; }

  Colour ForeColorEven() const { return fore_even_; }
  Colour BackColorEven() const { return back_even_; }
  void SetForeColorEven(Colour c);
  void SetBackColorEven(Colour c);

  // What the page says beside the rows: the window caption, and whether
  // the halves hold two rankings (north-south, east-west) or one.
  struct PageValues {
    PageValues(std::string caption, bool two_fields = true)
        : caption(std::move(caption)), two_fields(two_fields) {}
    PageValues(const char* caption) : PageValues(std::string(caption)) {}
    std::string caption;
    bool two_fields;
  };

  // Writes the grid's rows, in column order, into the template and stores
  // the page at `out_path`: written to a temporary file, then renamed over
  // it. Raises a RunTimeError (53, 75) when the template cannot be read or
  // the page cannot be written.
  void ExportToHtml(int type, int flags, const std::string& out_path,
                    const std::string& template_path, const PageValues& values) const;

  std::function<void()> Changed;

  // Whether the two grids show the same: columns, rows, geometry, fonts and
  // colours (the redraw switch and Changed aside).
  bool LooksLike(const Grid& other) const;

 private:
  void Notify();
  std::vector<GridColumn> columns_;
  std::vector<std::vector<std::string>> rows_;
  bool redraw_ = true;
  // At its design place the filler column lies under the clock bars' start
  // rectangle (left 7375 twips).
  double left_ = 115, top_ = 0, width_ = 14865, height_ = 10935, row_height_ = 0;
  GridFont font_, head_font_;
  Colour fore_even_ = 0, back_even_ = RGB(255, 255, 255);
};

// "##.00": at least one integer digit is not forced, two decimals are.
std::string FormatPercent(const std::string& text);

}  // namespace tallix
