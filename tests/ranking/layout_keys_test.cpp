// The grid layout on the second display and the operator's key commands.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/number_text.h"
#include "core/run_time_error.h"
#include "ranking/grid_layout.h"
#include "ranking/key_commands.h"

namespace tallix {
namespace {

// ---- Layout ----

struct Layout {
  SessionState s;
  MemoryForm form;
  Grid grid;
  PictureBox remain, elapsed;
  MemoryLog log;

  // A second display of w x h pixels right of a primary of pw x ph pixels.
  void Displays(int pw, int ph, int w, int h) {
    form.primary_width = pw * 15.0;
    form.primary_height = ph * 15.0;
    form.secondary_width = w * 15.0;
    form.secondary_height = h * 15.0;
    s.SecondMonitorWidth = static_cast<int16_t>(w);
    s.SecondMonitorHeight = static_cast<int16_t>(h);
    s.SecondMonitorLeft = w > 0 ? pw : 0;
  }
  // Moves the second display's corner to (x, y) pixels.
  void SecondAt(int x, int y) {
    s.SecondMonitorLeft = x;
    s.SecondMonitorTop = y;
    form.secondary_left = x * 15.0;
    form.secondary_top = y * 15.0;
  }
  void Run() { GridRank_InitColProps(s, form, grid, remain, elapsed, log); }
};

TEST(GridLayout, SingleDisplayKeepsTheDesignAndWritesNothing) {
  Layout l;
  l.Displays(1920, 1080, 0, 0);
  l.Run();
  EXPECT_EQ(l.s.FormWidth, 28800);
  EXPECT_EQ(l.form.Left(), 28805);
  EXPECT_EQ(l.form.GetWindowState(), WindowState::Maximized);
  EXPECT_EQ(l.grid.Width(), 14865);
  EXPECT_EQ(l.grid.Height(), 10935);
  EXPECT_EQ(l.grid.Column(2).Width, 5160);
  EXPECT_EQ(l.grid.Column(7).Width, 5160);
  EXPECT_EQ(l.remain.Height(), 0);
  EXPECT_FALSE(l.s.LogEnabled);
  EXPECT_TRUE(l.log.lines.empty());
}

TEST(GridLayout, SecondDisplaySizesWindowGridColumnsAndBars) {
  struct Case {
    int primary_w, w, h;
  };
  // Wider and narrower than the grid's design width, and a primary display
  // wider than 32767 twips.
  for (const Case& k : {Case{1920, 1280, 1024}, Case{1920, 800, 600}, Case{2560, 1920, 1080}}) {
    SCOPED_TRACE(k.w);
    Layout l;
    l.Displays(k.primary_w, 1080, k.w, k.h);
    l.remain.SetTop(77);
    l.Run();
    EXPECT_EQ(l.s.FormWidth, k.primary_w * 15);
    EXPECT_EQ(l.form.Left(), k.primary_w * 15 + 5);
    EXPECT_EQ(l.form.Width(), 15.0 * k.w);
    EXPECT_EQ(l.form.Height(), 15.0 * k.h);
    // From its design left edge the grid reaches the window's inner right edge.
    EXPECT_EQ(l.grid.Left(), 115);
    EXPECT_EQ(l.grid.Width(), 15.0 * k.w - l.form.border_x - 115);
    EXPECT_EQ(l.grid.Height(), 15.0 * k.h - l.form.border_y);

    const double growth = l.grid.Width() - 14865;
    EXPECT_EQ(l.grid.Column(2).Width, 5160 + growth / 2);
    EXPECT_EQ(l.grid.Column(7).Width, l.grid.Column(2).Width);
    // The columns together grow exactly as the grid does (design total 14775).
    EXPECT_EQ(l.grid.ColumnLeft(8) + l.grid.Column(8).Width, 14775 + growth);
    EXPECT_LT(l.grid.Left() + l.grid.ColumnLeft(8) + l.grid.Column(8).Width, l.form.ScaleWidth());

    // Both bars cover the filler column from top to bottom; their tops stay.
    for (const PictureBox* bar : {&l.remain, &l.elapsed}) {
      EXPECT_EQ(bar->Left(), l.grid.Left() + 555 + 555 + l.grid.Column(2).Width + 990);
      EXPECT_EQ(bar->Width(), 255);
      EXPECT_EQ(bar->Height(), l.grid.Height());
    }
    EXPECT_EQ(l.remain.Top(), 77);

    EXPECT_TRUE(l.s.LogEnabled);
    ASSERT_EQ(l.log.lines.size(), 1u);
    EXPECT_EQ(l.log.lines[0], "InitColProps: FormHeight:" + NumberText(15.0f * k.h) +
                                  ", GridHeight:" + NumberText(15.0f * k.h - 420));
  }
}

TEST(GridLayout, TheWindowFillsTheSecondDisplayWhereverItStands) {
  struct Case {
    const char* where;
    int x, y;          // the second display's corner, pixels
    double left, top;  // the window's, twips
  };
  // A 1280 x 1024 display beside a 1920 x 1080 primary. Right of it the
  // window goes just past the primary's maximised width; elsewhere it takes
  // the display's own corner.
  for (const Case& k :
       {Case{"right", 1920, 0, 28805, 0}, Case{"left", -1280, 0, -19200, 0},
        Case{"above", 0, -1024, 0, -15360}, Case{"right, lower", 1920, 56, 28800, 840}}) {
    SCOPED_TRACE(k.where);
    Layout l;
    l.Displays(1920, 1080, 1280, 1024);
    l.SecondAt(k.x, k.y);
    l.Run();
    EXPECT_EQ(l.form.GetWindowState(), WindowState::Maximized);
    EXPECT_EQ(l.form.Left(), k.left);
    EXPECT_EQ(l.form.Top(), k.top);
    EXPECT_EQ(l.form.Width(), 1280 * 15);
    EXPECT_EQ(l.form.Height(), 1024 * 15);
    EXPECT_EQ(l.s.FormWidth, 28800);
    EXPECT_EQ(l.log.lines.size(), 1u);
  }
}

TEST(GridLayout, LogLineText) {
  Layout l;
  l.Displays(1920, 1080, 1280, 1024);
  l.Run();
  EXPECT_EQ(l.log.lines.at(0), "InitColProps: FormHeight:15360, GridHeight:14940");
}

TEST(GridLayout, OddGrowthKeepsTheHalfTwipAndA4KDisplayFits) {
  // The name column's width after laying out w pixels with a frame of border_x twips.
  auto name_width = [](int w, double border_x) {
    Layout l;
    l.Displays(1920, 1080, w, 1080);
    l.form.border_x = border_x;
    l.Run();
    EXPECT_EQ(l.grid.Column(7).Width, l.grid.Column(2).Width);
    return l.grid.Column(2).Width;
  };
  EXPECT_EQ(name_width(1280, 121), 5160 + 2049.5);  // growth 4099
  EXPECT_EQ(name_width(3840, 120), 5160 + 21250);   // growth 42500: beyond 16 bits
}

// ---- Val ----

TEST(Val, TheNumberAtTheStartOfAnAnswer) {
  struct Case {
    const char* text;
    double value;
  };
  for (const Case& k : {Case{"", 0},
                        Case{"abc", 0},
                        Case{"  7.5", 7.5},
                        Case{"7.5 minutes", 7.5},
                        Case{"-3", -3},
                        Case{"+4", 4},
                        Case{".5", 0.5},
                        Case{"12abc", 12},
                        Case{"1e2", 100},
                        Case{"1D2", 100},
                        Case{"2e", 2},
                        Case{"3e+x", 3},
                        Case{"1.2.3", 1.2},
                        Case{"- 5", 0},
                        Case{"&HFF", 255},
                        Case{"&HFFFF", -1},
                        Case{"&H10000", 65536},
                        Case{"&Hxyz", 0},
                        Case{"\t15", 15},
                        Case{"1 5", 1}}) {
    EXPECT_EQ(Val(k.text), k.value) << k.text;
  }
  EXPECT_TRUE(std::isinf(Val("1e999")));
  EXPECT_TRUE(std::isinf(Val("&H123456789")));
}

// ---- Keys ----

constexpr int16_t kAlt = 4;
constexpr int16_t kF1 = 112, kF2 = 113, kF5 = 116, kF7 = 118, kF9 = 120, kF11 = 122, kF12 = 123;
constexpr int16_t kEnd = 35;

struct Keys {
  SessionState s;
  MemoryForm form;
  Grid grid;
  PictureBox remain;
  MemoryDialog dialog;
  ManualClock clock{MakeDateTime(2026, 3, 7, 19, 30, 0)};
  MemoryLog log;
  int prints = 0;
  KeyContext c{s, form, grid, remain, dialog, clock, log, [this] { ++prints; }};

  Keys() {
    s.RoundSeconds = 900;
    s.RoundStart = MakeDateTime(2026, 3, 7, 19, 0, 0);
    s.LogEnabled = true;
  }
  void Press(int16_t key, int16_t shift = kAlt) { GridRank_KeyDown(key, shift, c); }
  void Answer(int16_t key, const std::string& text) {
    form.answers = {text};
    Press(key);
  }
  double SecondsFromNow(DateTime t) const {
    return std::round((t.days - clock.Now().days) * 86400.0);
  }
};

TEST(EvenRowColours, AnswersAndTheColoursTheyGive) {
  struct Case {
    const char* answer;
    Colour fore, back;
  };
  const Colour kStart = RGB(9, 9, 9), kWhite = RGB(255, 255, 255);
  for (const Case& k : {
           Case{"Black", RGB(0, 0, 0), kWhite},
           Case{"Maroon", RGB(128, 0, 0), kWhite},
           Case{"Navy", RGB(0, 0, 128), kWhite},
           Case{"Red", RGB(255, 0, 0), kWhite},
           Case{"Green", RGB(0, 128, 0), kWhite},
           Case{"Cyan", RGB(0, 128, 128), kWhite},
           Case{"Lime", RGB(0, 255, 0), kWhite},
           Case{"WonG", kWhite, RGB(0, 128, 0)},
           Case{"black", kStart, kWhite},
           Case{"Red ", kStart, kWhite},
           Case{"", kStart, kWhite},
           Case{"Hex&HFF0000", RGB(0, 0, 255), kWhite},
           Case{"Hex&hff00", RGB(0, 255, 0), kWhite},
           Case{"Hex255", RGB(255, 0, 0), kWhite},
           Case{"Hex 16777215", kWhite, kWhite},
           Case{"Hexabc", kStart, kWhite},
           Case{"Hex", kStart, kWhite},
           Case{"Hex-1", kStart, kWhite},
           Case{"Hex2.5", kStart, kWhite},
           Case{"Hex16777216", kStart, kWhite},
           Case{"Hex&H1000000", kStart, kWhite},
           Case{"Hex&H", kStart, kWhite},
           Case{"Hex&H000000FF", RGB(255, 0, 0), kWhite},
           Case{"hex255", kStart, kWhite},
       }) {
    SCOPED_TRACE(k.answer);
    Keys t;
    t.grid.SetForeColorEven(kStart);
    t.grid.SetBackColorEven(RGB(1, 2, 3));
    t.Answer(kF7, k.answer);
    EXPECT_EQ(t.grid.ForeColorEven(), k.fore);
    EXPECT_EQ(t.grid.BackColorEven(), k.back);
    ASSERT_EQ(t.form.asked.size(), 1u);
    EXPECT_EQ(t.form.asked[0].prompt, "Foreground colour for even rows: ");
    EXPECT_EQ(t.form.asked[0].title, "Set Foreground Colour For Even Rows");
    EXPECT_EQ(t.form.asked[0].default_text, "");
  }
}

TEST(EvenRowColours, WonGThenBlack) {
  Keys t;
  t.Answer(kF7, "WonG");
  t.Answer(kF7, "Black");
  EXPECT_EQ(t.grid.ForeColorEven(), RGB(0, 0, 0));
  EXPECT_EQ(t.grid.BackColorEven(), RGB(255, 255, 255));
}

TEST(MinutesPerRound, AnswersInAndOutOfRange) {
  struct Case {
    const char* answer;
    int16_t seconds;
    bool restarted;
  };
  for (const Case& k :
       {Case{"4", 900, false}, Case{"61", 900, false}, Case{"5", 300, true}, Case{"60", 3600, true},
        Case{" 12.5 min", 750, true}, Case{"5.0125", 301, true},  // 300.75
        Case{"", 900, false}, Case{"1e99", 900, false}}) {
    SCOPED_TRACE(k.answer);
    Keys t;
    const DateTime before = t.s.RoundStart;
    t.Answer(kF12, k.answer);
    EXPECT_EQ(t.s.RoundSeconds, k.seconds);
    EXPECT_EQ(t.s.RoundStart, k.restarted ? t.clock.Now() : before);
    ASSERT_EQ(t.form.asked.size(), 1u);
    EXPECT_EQ(t.form.asked[0].prompt, "Minutes per round: ");
    EXPECT_EQ(t.form.asked[0].title, "Round Details");
    EXPECT_EQ(t.form.asked[0].default_text, "15");
  }
  Keys t;
  t.Answer(kF12, "61");
  EXPECT_EQ(t.s.RoundMinutes, 61.0f);  // kept as typed: the next Alt+F11 offers it
}

TEST(MinutesPerRound, NineNineNineNineStopsTheBarAndAValidLengthRestartsIt) {
  Keys t;
  t.grid.SetHeight(8000);
  t.remain.SetTop(3000);
  t.remain.SetHeight(5000);
  t.Answer(kF12, "9999");
  EXPECT_EQ(t.s.RoundSeconds, 0);
  EXPECT_EQ(t.remain.Height(), 8000);
  EXPECT_EQ(t.remain.Top(), 0);
  EXPECT_EQ(t.remain.BackColor(), RGB(1, 0, 128));
  EXPECT_EQ(t.s.RoundMinutes, 9999.0f);

  t.clock.Advance(100);
  t.Answer(kF12, "15");
  EXPECT_EQ(t.s.RoundSeconds, 900);
  EXPECT_EQ(t.s.RoundStart, t.clock.Now());
}

TEST(SynchroniseClock, SevenAndAHalfMinutesLeftOfFifteen) {
  Keys t;
  t.Answer(kF12, "15");
  t.clock.Advance(60);
  t.Answer(kF11, "7.5");
  EXPECT_EQ(t.form.asked[1].prompt, "Minutes remaining: ");
  EXPECT_EQ(t.form.asked[1].title, "Synchronising with clock");
  EXPECT_EQ(t.form.asked[1].default_text, "15");
  EXPECT_EQ(t.s.MinutesLeft, 7.5f);
  EXPECT_EQ(t.s.SecondsRemaining, 450);
  EXPECT_EQ(t.SecondsFromNow(t.s.RoundStart), -450);
}

TEST(SynchroniseClock, ZeroEmptyAndOutOfRangeChangeNothing) {
  for (const char* answer : {"0", "", "abc", "547", "-547", "1e99"}) {
    SCOPED_TRACE(answer);
    Keys t;
    t.s.SecondsRemaining = 123;
    const DateTime before = t.s.RoundStart;
    t.Answer(kF11, answer);
    EXPECT_EQ(t.form.asked.at(0).default_text, "0");  // Alt+F12 not used yet
    EXPECT_EQ(t.s.SecondsRemaining, 123);
    EXPECT_EQ(t.s.RoundStart, before);
    EXPECT_EQ(t.s.MinutesLeft, 0.0f);
  }
  // 546 minutes fit; with the clock off the shift is the whole remaining time.
  Keys t;
  t.s.RoundSeconds = 0;
  t.Answer(kF11, "546");
  EXPECT_EQ(t.s.SecondsRemaining, 32760);
  EXPECT_EQ(t.SecondsFromNow(t.s.RoundStart), 32760);
  // -546 minutes with 15-minute rounds: the shift -33660 seconds does not fit.
  Keys u;
  u.Answer(kF11, "-546");
  EXPECT_EQ(u.s.SecondsRemaining, 0);
}

TEST(Switches, AltF2TwiceAndAltF5) {
  Keys t;
  t.s.TwoFields = true;
  t.Press(kF2);
  EXPECT_FALSE(t.s.TwoFields);
  t.Press(kF2);
  EXPECT_TRUE(t.s.TwoFields);
  t.Press(kF5);
  EXPECT_FALSE(t.s.LogEnabled);
  t.Press(kF5);
  EXPECT_TRUE(t.s.LogEnabled);
}

TEST(Print, EndWithAnyShiftAndAltF1) {
  Keys t;
  t.Press(kEnd, 0);
  EXPECT_EQ(t.prints, 1);
  t.Press(kEnd, kAlt);
  EXPECT_EQ(t.prints, 2);  // once, not again as an Alt command
  t.Press(kEnd, 1 | 2 | kAlt);
  EXPECT_EQ(t.prints, 3);
  t.Press(kF1);
  EXPECT_EQ(t.prints, 4);
  t.Press(kF1, 0);
  EXPECT_EQ(t.prints, 4);
}

TEST(Print, AFailureIsLoggedAndTheDisplayCarriesOn) {
  Keys t;
  t.c.PrintAppendix = [] { throw RunTimeError(429, "ActiveX component can't create object"); };
  EXPECT_NO_THROW(t.Press(kF1));
  t.c.PrintAppendix = [] { throw std::runtime_error("template missing"); };
  EXPECT_NO_THROW(t.Press(kEnd, 0));
  EXPECT_EQ(t.log.lines, (std::vector<std::string>{
                             "Appendix failed: error 429: ActiveX component can't create object",
                             "Appendix failed: template missing"}));
}

TEST(Keys, OtherModifiersAndOtherKeysDoNothing) {
  for (int16_t shift : {0, 1, 2, 1 | kAlt, 2 | kAlt, 1 | 2 | kAlt}) {
    for (int16_t key : {kF1, kF2, kF5, kF7, kF9, kF11, kF12}) {
      Keys t;
      t.form.answers = {"Black"};
      t.dialog.fonts_to_choose = {{"Arial", 10, true, true}};
      t.Press(key, shift);
      EXPECT_EQ(t.prints, 0);
      EXPECT_FALSE(t.s.TwoFields);
      EXPECT_TRUE(t.s.LogEnabled);
      EXPECT_TRUE(t.form.asked.empty());
      EXPECT_EQ(t.dialog.font_dialogs, 0);
    }
  }
  Keys t;
  for (int16_t key : {kF1 - 1, 114, 115, 117, 119, 121, 124, 36, 13}) t.Press(key);
  EXPECT_EQ(t.prints, 0);
  EXPECT_TRUE(t.form.asked.empty());
  EXPECT_EQ(t.dialog.font_dialogs, 0);
}

TEST(GridFontKey, CopiesTheChoiceAndACancelChangesNothing) {
  Keys t;
  const GridFont design = t.grid.Font();
  t.dialog.fonts_to_choose = {{"", 0, false, false}};  // cancelled
  t.Press(kF9);
  EXPECT_EQ(t.dialog.font_dialogs, 1);
  EXPECT_EQ(t.grid.Font().Name, design.Name);
  EXPECT_EQ(t.grid.Font().Size, design.Size);

  int redraws = 0;
  t.grid.Changed = [&] { ++redraws; };
  t.dialog.fonts_to_choose = {{"Arial", 20.25f, true, true}};
  t.Press(kF9);
  EXPECT_EQ(t.dialog.Flags, 1);
  EXPECT_EQ(t.grid.Font().Name, "Arial");
  EXPECT_EQ(t.grid.Font().Size, 20.25f);
  EXPECT_TRUE(t.grid.Font().Bold);
  EXPECT_TRUE(t.grid.Font().Italic);
  EXPECT_GE(redraws, 1);  // the view learns of the new font
}

}  // namespace
}  // namespace tallix
