#include "platform/grid/grid.h"

#include <gtest/gtest.h>

#include "core/run_time_error.h"

namespace tallix {
namespace {

TEST(GridModel, DesignTimeColumnsFontsAndSize) {
  Grid g;
  struct Want {
    const char *caption, *name;
    double width;
    const char* format;
  };
  const Want want[] = {
      {"Posn", "NSPosn", 555, ""}, {"Pair", "NS", 555, ""},        {"Names", "NSNames", 5160, ""},
      {"%", "NS%", 990, "##.00"},  {"", "Filler", 255, ""},        {"Posn", "EWPosn", 555, ""},
      {"Pair", "EWPair", 555, ""}, {"Names", "EWNames", 5160, ""}, {"%", "EWPcent", 990, "##.00"}};
  ASSERT_EQ(g.ColumnCount(), 9);
  for (int k = 0; k < 9; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(g.Column(k).Caption, want[k].caption);
    EXPECT_EQ(g.Column(k).Name, want[k].name);
    EXPECT_EQ(g.Column(k).Width, want[k].width);
    EXPECT_EQ(g.Column(k).NumberFormat, want[k].format);
  }
  EXPECT_EQ(g.Width(), 14865);
  EXPECT_EQ(g.Height(), 10935);
  EXPECT_EQ(g.Font().Name, "Impact");
  EXPECT_FLOAT_EQ(g.Font().Size, 17.25f);
  EXPECT_FALSE(g.Font().Bold);
  EXPECT_EQ(g.HeadFont().Name, "Arial");
  EXPECT_FLOAT_EQ(g.HeadFont().Size, 12);
  EXPECT_TRUE(g.HeadFont().Bold);
  EXPECT_GT(g.RowHeight(), 0);
  EXPECT_THROW(g.Column(9), RunTimeError);
}

TEST(GridModel, ColumnOffsetsFollowTheWidths) {
  Grid g;
  EXPECT_EQ(g.ColumnLeft(0), 0);
  EXPECT_EQ(g.ColumnLeft(4), 555 + 555 + 5160 + 990);
  g.SetColumnWidth(2, 7000.5);
  EXPECT_EQ(g.ColumnLeft(4), 555 + 555 + 7000.5 + 990);
  EXPECT_EQ(g.ColumnLeft(8), 555 + 555 + 7000.5 + 990 + 255 + 555 + 555 + 5160);
}

TEST(GridModel, RowsSplitAtTabsWithoutQuoting) {
  Grid g;
  g.AddItem("1\t3\t\"Ann, \"Bo\"\t\t63.89");
  g.AddItem("2\t\t\t");
  g.AddItem("");
  ASSERT_EQ(g.Rows(), 3);
  EXPECT_EQ(g.Cell(0, 2), "\"Ann, \"Bo\"");  // quotes are text, not delimiters
  EXPECT_EQ(g.Cell(0, 3), "");
  EXPECT_EQ(g.Cell(0, 4), "63.89");
  EXPECT_EQ(g.Cell(0, 8), "");  // a short row leaves the later cells empty
  EXPECT_EQ(g.Cell(1, 0), "2");
  EXPECT_EQ(g.Cell(2, 0), "");
  EXPECT_THROW(g.Cell(3, 0), RunTimeError);
  g.RemoveAll();
  EXPECT_EQ(g.Rows(), 0);
}

TEST(GridModel, ChangedRunsOnlyWhileRedrawIsOnAndOnceOnResume) {
  Grid g;
  int changes = 0;
  g.Changed = [&] { ++changes; };
  g.AddItem("1");
  g.SetRowHeight(575);
  EXPECT_EQ(changes, 2);

  g.SetRedraw(false);
  g.RemoveAll();
  for (int r = 0; r < 5; ++r) g.AddItem("x");
  g.SetFontSize(18);
  g.SetBackColorEven(RGB(0, 128, 0));
  g.SetRedraw(false);
  EXPECT_EQ(changes, 2);
  g.SetRedraw(true);
  EXPECT_EQ(changes, 3);
  g.SetRedraw(true);  // already on: nothing new to show
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(g.Rows(), 5);
  EXPECT_FLOAT_EQ(g.Font().Size, 18);
  EXPECT_EQ(g.BackColorEven(), RGB(0, 128, 0));
}

TEST(GridModel, PercentColumnsShowTheNumberFormat) {
  struct Case {
    const char *stored, *shown;
  };
  const Case cases[] = {
      {"63.89", "63.89"},   {"50", "50.00"},   {"5.5", "5.50"},
      {"0", ".00"},  // '#' digits are optional, so nothing before the point
      {"0.25", ".25"},      {"100", "100.00"},  // more integer digits than '#'s: all shown
      {"0.125", ".13"},                         // an exact half rounds away from zero
      {"63.885", "63.89"},  {"1.005", "1.01"},  // the floats lie just below the halves
      {"99.996", "100.00"}, {"", ""},          {"abc", "abc"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatPercent(c.stored), c.shown) << c.stored;

  Grid g;
  g.AddItem("1\t50\tA\t50\t\t2\t7\tB\t0");
  EXPECT_EQ(g.DisplayText(0, 1), "50");  // unformatted column
  EXPECT_EQ(g.DisplayText(0, 3), "50.00");
  EXPECT_EQ(g.DisplayText(0, 8), ".00");
  EXPECT_EQ(g.Cell(0, 3), "50");
}

}  // namespace
}  // namespace tallix
