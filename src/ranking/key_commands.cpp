#include "ranking/key_commands.h"

#include <cctype>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "core/number_text.h"
#include "core/run_time_error.h"
#include "core/text.h"

namespace tallix {
namespace {

constexpr int16_t kEnd = 35;
constexpr int16_t kF1 = 112, kF2 = 113, kF5 = 116, kF7 = 118, kF9 = 120, kF11 = 122, kF12 = 123;
constexpr int16_t kAltAlone = 4;
constexpr float kClockOff = 9999;

// The stores below would overflow outside these ranges; such an answer is refused whole.
std::optional<float> AsSingle(double v) {
  if (!(std::fabs(v) <= std::numeric_limits<float>::max())) return std::nullopt;
  return static_cast<float>(v);
}

std::optional<int16_t> AsInteger(double v) {
  const double r = std::nearbyint(v);  // halves to even
  if (!(r >= -32768 && r <= 32767)) return std::nullopt;
  return static_cast<int16_t>(r);
}

// A whole number in decimal or as "&H" and hex digits, within 24 bits.
std::optional<Colour> ParseColour(const std::string& text) {
  const std::string t = Trim(text);
  std::size_t start = 0;
  int base = 10;
  if (t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h')) {
    start = 2;
    base = 16;
  }
  if (start == t.size()) return std::nullopt;
  uint32_t v = 0;
  for (std::size_t i = start; i < t.size(); ++i) {
    const unsigned char ch = static_cast<unsigned char>(t[i]);
    const bool ok = base == 16 ? std::isxdigit(ch) : std::isdigit(ch);
    if (!ok) return std::nullopt;
    const uint32_t digit = std::isdigit(ch) ? ch - '0' : std::tolower(ch) - 'a' + 10;
    v = v * base + digit;
    if (v > 0xFFFFFF) return std::nullopt;
  }
  return v;
}

void CallPrintAppendix(KeyContext& c) {
  // A missing spreadsheet application or template must not end the display.
  try {
    c.PrintAppendix();
  } catch (const RunTimeError& e) {
    c.log.WriteLog("Appendix failed: error " + std::to_string(e.Number) + ": " + e.Description);
  } catch (const std::exception& e) {
    c.log.WriteLog(std::string("Appendix failed: ") + e.what());
  }
}

void EvenRowColours(KeyContext& c) {
  const std::string answer = c.form.InputBox(
      "Foreground colour for even rows: ", "Set Foreground Colour For Even Rows", "");
  c.GridRank.SetBackColorEven(RGB(255, 255, 255));
  struct Named {
    const char* name;
    Colour colour;
  };
  static constexpr Named kNamed[] = {
      {"Black", RGB(0, 0, 0)},  {"Maroon", RGB(128, 0, 0)}, {"Navy", RGB(0, 0, 128)},
      {"Red", RGB(255, 0, 0)},  {"Green", RGB(0, 128, 0)},  {"Cyan", RGB(0, 128, 128)},
      {"Lime", RGB(0, 255, 0)},
  };
  for (const Named& n : kNamed) {
    if (answer == n.name) {
      c.GridRank.SetForeColorEven(n.colour);
      return;
    }
  }
  if (answer == "WonG") {
    c.GridRank.SetForeColorEven(RGB(255, 255, 255));
    c.GridRank.SetBackColorEven(RGB(0, 128, 0));
  } else if (Left(answer, 3) == "Hex") {
    if (auto colour = ParseColour(Mid(answer, 4))) c.GridRank.SetForeColorEven(*colour);
  }
}

void ChooseGridFont(KeyContext& c) {
  c.CommonDialog1.Flags = 1;  // screen fonts
  if (!c.CommonDialog1.ShowFont()) return;
  const FontChoice& chosen = c.CommonDialog1.Font;
  GridFont& font = c.GridRank.MutableFont();
  font.Name = chosen.Name;
  font.Bold = chosen.Bold;
  font.Italic = chosen.Italic;
  // Last, as its setter tells the view, which then shows the whole font.
  c.GridRank.SetFontSize(chosen.Size);
}

void MinutesPerRound(KeyContext& c) {
  const auto v = AsSingle(Val(c.form.InputBox("Minutes per round: ", "Round Details", "15")));
  if (!v) return;
  c.s.RoundMinutes = *v;
  if (*v == kClockOff) {
    c.s.RoundSeconds = 0;
    c.PicRemain.SetHeight(c.GridRank.Height());
    c.PicRemain.SetTop(0);
    c.PicRemain.SetBackColor(RGB(1, 0, 128));
  } else if (*v >= 5 && *v <= 60) {
    c.s.RoundSeconds = *AsInteger(*v * 60.0);
    c.s.RoundStart = c.clock.Now();
  }
}

void SynchroniseClock(KeyContext& c) {
  const std::string answer = c.form.InputBox("Minutes remaining: ", "Synchronising with clock",
                                             NumberText(c.s.RoundMinutes));
  const auto m = AsSingle(Val(answer));
  if (!m) return;
  if (*m == 0) {
    c.s.MinutesLeft = 0;
    return;
  }
  const auto remaining = AsInteger(*m * 60.0);
  if (!remaining) return;
  const auto shift = AsInteger(static_cast<double>(*remaining) - c.s.RoundSeconds);
  if (!shift) return;
  // The round period ends RoundSeconds after its start: m minutes from now.
  c.s.MinutesLeft = *m;
  c.s.SecondsRemaining = *remaining;
  c.s.RoundStart = AddSeconds(c.clock.Now(), *shift);
}

}  // namespace

void GridRank_KeyDown(int16_t KeyCode, int16_t Shift, KeyContext& c) {
  if (KeyCode == kEnd) CallPrintAppendix(c);
  if (Shift != kAltAlone) return;
  switch (KeyCode) {
    case kF1:
      CallPrintAppendix(c);
      break;
    case kF2:
      c.s.TwoFields = !c.s.TwoFields;
      break;
    case kF5:
      c.s.LogEnabled = !c.s.LogEnabled;
      break;
    case kF7:
      EvenRowColours(c);
      break;
    case kF9:
      ChooseGridFont(c);
      break;
    case kF11:
      SynchroniseClock(c);
      break;
    case kF12:
      MinutesPerRound(c);
      break;
    default:
      break;
  }
}

}  // namespace tallix
