#include <gtest/gtest.h>

#include <cmath>

#include "core/arrays.h"
#include "core/checked.h"
#include "core/clock.h"
#include "core/date_time.h"
#include "core/number_text.h"
#include "core/run_time_error.h"
#include "core/text.h"
#include "core/value.h"
#include "support/error_number.h"

namespace tallix {
namespace {

using ::tallix::testing::ErrorNumber;

TEST(NumberText, FloatsAsTheProgramWritesThem) {
  struct Case {
    float x;
    const char* text;
  } cases[] = {
      {63.89f, "63.89"},   {50.0f, "50"},
      {0.0f, "0"},         {0.33f, "0.33"},
      {4.335f, "4.335"},   {1.0f / 3, "0.3333333"},
      {-0.33f, "-0.33"},   {-50.5f, "-50.5"},
      {96.0f, "96"},       {0.12f - 1e-7f, "0.1199999"},
      {1e7f, "1E+07"},     {1234567.0f, "1234567"},
      {0.0001f, "0.0001"}, {360.0f, "360"},
  };
  for (const auto& c : cases) EXPECT_EQ(NumberText(c.x), c.text) << c.x;
  EXPECT_EQ(NumberText(-12LL), "-12");
  EXPECT_EQ(DoubleText(0.1 + 0.2), "0.3");
}

TEST(NumberText, RoundingToTwoDecimalsSendsExactHalvesToEven) {
  struct Case {
    double x, rounded;
  } cases[] = {
      {63.885, 63.88},  // 6388.5 is not exact in binary: 63.885 * 100 = 6388.499...
      {0.125, 0.12},   {0.375, 0.38},     {2.5 / 100, 0.02}, {1.0 / 3, 0.33}, {4.335, 4.34},
      {-0.125, -0.12}, {-1.0 / 3, -0.33}, {50, 50},          {0, 0},          {63.888, 63.89},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(Round2(c.x), c.rounded) << c.x;
}

TEST(Checked, StoresRangeCheckAfterRoundingHalfToEven) {
  EXPECT_EQ(ToByte(255.0), 255);
  EXPECT_EQ(ToByte(2.5), 2);
  EXPECT_EQ(ToByte(3.5), 4);
  EXPECT_EQ(ToByte(-0.5), 0);
  EXPECT_EQ(ErrorNumber([] { ToByte(255.5); }), err::kOverflow);
  EXPECT_EQ(ErrorNumber([] { ToByte(-1.0); }), err::kOverflow);
  EXPECT_EQ(ToInteger(-32768.0), -32768);
  EXPECT_EQ(ErrorNumber([] { ToInteger(32768.0); }), err::kOverflow);
  EXPECT_EQ(ErrorNumber([] { IntMul(200, 200); }), err::kOverflow);
  EXPECT_EQ(ErrorNumber([] { ToByte(std::nan("")); }), err::kOverflow);
}

TEST(Arrays, BoundsAreInclusiveAndCheckedEitherWay) {
  FixedArray<int, 0, 60> a;
  a(0) = 1;
  a(60) = 2;
  EXPECT_EQ(a(0) + a(60), 3);
  EXPECT_EQ(ErrorNumber([&] { a(61); }), err::kSubscript);
  EXPECT_EQ(ErrorNumber([&] { a(-1); }), err::kSubscript);
  FixedArray2<int, 0, 42, 0, 60> b;
  b(42, 60) = 7;
  EXPECT_EQ(b(42, 60), 7);
  EXPECT_EQ(ErrorNumber([&] { b(43, 0); }), err::kSubscript);
  EXPECT_EQ(ErrorNumber([&] { b(0, 61); }), err::kSubscript);
  WorkList<int> w;
  EXPECT_EQ(ErrorNumber([&] { w(0); }), err::kSubscript);
  w.Append(5);
  w.Resize(3);
  EXPECT_EQ(w(0), 5);
  EXPECT_EQ(w(2), 0);
  EXPECT_EQ(ErrorNumber([&] { w(3); }), err::kSubscript);
}

TEST(Value, ConversionsAndNull) {
  EXPECT_EQ(ErrorNumber([] { ToByte(Value()); }), err::kInvalidNull);
  EXPECT_EQ(ErrorNumber([] { ToByte(Value("abc")); }), err::kTypeMismatch);
  EXPECT_EQ(ToByte(Value(" 12 ")), 12);
  EXPECT_EQ(ErrorNumber([] { ToByte(Value(256)); }), err::kOverflow);
  EXPECT_EQ(ErrorNumber([] { ToByte(Value(true)); }), err::kOverflow);  // True is -1
  EXPECT_EQ(ToInteger(Value(-40)), -40);
  EXPECT_EQ(ToLong(Value("&HFF0000")), 0xFF0000);
  EXPECT_EQ(ToInteger(Value("&HFFFF")), -1);
  EXPECT_EQ(TextOrEmpty(Value()), "");
  EXPECT_FALSE(FlagOrFalse(Value()));
  EXPECT_EQ(Value(7).AsText(), "7");
  EXPECT_EQ(ErrorNumber([] { Value("x").AsDate(); }), err::kTypeMismatch);
}

TEST(Value, EveryComparisonWithNullIsFalse) {
  const Value null;
  EXPECT_FALSE(IsEqual(null, 0.0));
  EXPECT_FALSE(IsGreater(null, -1e9));
  EXPECT_FALSE(IsEqual(null, ""));
  EXPECT_TRUE(IsGreater(Value(3), 2));
  EXPECT_TRUE(IsEqual(Value("Not played"), "Not played"));
  EXPECT_FALSE(IsEqual(Value("not played"), "Not played"));
}

TEST(Text, OneBasedCharacterPositions) {
  EXPECT_EQ(InStr("Tuesday Pairs Session 1", "Session"), 15);
  EXPECT_EQ(InStr("abc", "x"), 0);
  EXPECT_EQ(InStr("abcabc", "b", 3), 5);
  EXPECT_EQ(InStr("Jérôme Session", "Session"), 8);  // characters, not bytes
  EXPECT_EQ(Left("Jérôme Session", 6), "Jérôme");
  EXPECT_EQ(Mid("60%-40%", 5, 1), "4");
  EXPECT_EQ(Mid("abc", 2), "bc");
  EXPECT_EQ(Mid("abc", 9), "");
  EXPECT_EQ(Right("abcdef", 2), "ef");
  EXPECT_EQ(Len("ßøł"), 3);
  EXPECT_EQ(Trim("  a b \t "), "a b \t");  // blanks only
  EXPECT_EQ(Replace("Ann Smithson Smith", " Smith", ""), "Annson");
  EXPECT_EQ(Split("a  b", ' ').size(), 3u);
  EXPECT_EQ(Cp1252ToUtf8("Caf\xe9 \x80"), "Café €");
  EXPECT_EQ(HtmlEscape("<b>\"O'Neil\" & co</b>"),
            "&lt;b&gt;&quot;O&#39;Neil&quot; &amp; co&lt;/b&gt;");
}

TEST(DateTime, DaysSince1899AndTheProgramsTexts) {
  EXPECT_EQ(MakeDateTime(1899, 12, 30).days, 0);
  EXPECT_EQ(MakeDateTime(1900, 1, 1).days, 2);
  EXPECT_EQ(MakeDateTime(2026, 3, 7).days, 46088);
  const DateTime t = MakeDateTime(2026, 3, 7, 14, 5, 9);
  EXPECT_EQ(FormatQueryDate(t), "3/7/2026 14:05:09");
  EXPECT_EQ(FormatQueryDate(DateTime{}), "12/30/1899 00:00:00");
  // The query literal is cut to the second, never rounded up.
  EXPECT_EQ(FormatQueryDate(AddSeconds(t, 0.9)), "3/7/2026 14:05:09");
  EXPECT_EQ(TruncateToSecond(AddSeconds(t, 0.9)), t);
  EXPECT_EQ(SplitDateTime(AddSeconds(t, 0.6)).second, 10);
  EXPECT_EQ(FormatDayMonthYear(MakeDateTime(2026, 3, 5), '-'), "05-03-2026");
  const HostDateFormat host{"%d/%m/%Y", "%H:%M:%S"};
  EXPECT_EQ(host.DateSeparator(), '/');
  EXPECT_EQ((HostDateFormat{"%Y.%m.%d", "%T"}).DateSeparator(), '.');
  EXPECT_EQ(FormatGeneralDate(MakeDateTime(2026, 3, 5, 14, 5, 9), host), "05/03/2026 14:05:09");
  EXPECT_EQ(WholeSecondsBetween(t, AddSeconds(t, 450.2)), 450);
  ManualClock clock(t);
  clock.Advance(60);
  EXPECT_EQ(FormatQueryDate(clock.Now()), "3/7/2026 14:06:09");
}

}  // namespace
}  // namespace tallix
