#include "engine/contract_scoring.h"

#include <cmath>
#include <string>

#include "core/checked.h"
#include "core/run_time_error.h"
#include "core/text.h"

namespace tallix {
namespace {

struct Scale {
  int game;
  int small_slam;
  int grand_slam;
  int undertrick;
  int doubled_one;
  int doubled_two;
  int doubled_three;
  int doubled_overtrick;
};

constexpr Scale kNotVulnerable{300, 500, 1000, 50, 100, 300, 500, 100};
constexpr Scale kVulnerable{500, 750, 1500, 100, 200, 500, 800, 200};
constexpr int kDoubledBeyondThree = 300;

bool IsSeat(const Value& declarer, const char* a, const char* b) {
  return IsEqual(declarer, a) || IsEqual(declarer, b);
}

// Board 17 deals as board 1, board 32 as board 16; 0, negatives and Null are
// not vulnerable.
bool Vulnerable(const Value& board, const Value& declarer) {
  if (board.IsNull()) return false;
  double b = board.AsNumber();
  // Closed form of "subtract 16 while above 16", so a wild number cannot spin.
  if (b > 16) b -= 16 * std::ceil((b - 16) / 16);
  if (b == 4 || b == 7 || b == 10 || b == 13) return true;
  if (b == 2 || b == 5 || b == 12 || b == 15) return IsSeat(declarer, "N", "S");
  if (b == 3 || b == 6 || b == 9 || b == 16) return IsSeat(declarer, "E", "W");
  return false;
}

[[noreturn]] void RaiseImpossible(const std::string& what) {
  throw RunTimeError(err::kInvalidCall, what);
}

uint8_t Level(const std::string& contract) {
  const std::string first = Left(contract, 1);
  if (first.size() != 1 || first[0] < '0' || first[0] > '9') RaiseTypeMismatch();
  if (first[0] < '1' || first[0] > '7') RaiseImpossible("No contract has level " + first);
  return static_cast<uint8_t>(first[0] - '0');
}

std::string Strain(const std::string& contract) {
  const std::string strain = Mid(contract, 3, 1);
  if (strain != "C" && strain != "D" && strain != "H" && strain != "S" && strain != "N") {
    RaiseImpossible("No contract has strain \"" + strain + "\"");
  }
  return strain;
}

uint8_t TricksTaken(uint8_t level, const Value& result) {
  const double contracted = level + 6;
  if (result.IsNull()) return static_cast<uint8_t>(contracted);
  const std::string text = result.AsText();
  const std::string sign = Left(text, 1);
  if (sign != "+" && sign != "-") return static_cast<uint8_t>(contracted);
  const double n = Value(Mid(text, 2)).AsNumber();  // "" or "x" is a Type mismatch
  const double tricks = sign == "+" ? contracted + n : contracted - n;
  if (!(tricks >= 0 && tricks <= 13) || tricks != std::floor(tricks)) {
    RaiseImpossible("No deal has " + Mid(text, 2) + (sign == "+" ? " overtricks" : " undertricks") +
                    " on a contract of level " + std::to_string(level));
  }
  return static_cast<uint8_t>(tricks);
}

int16_t Penalty(int undertricks, bool doubled, bool redoubled, const Scale& k) {
  if (!doubled) return IntMul(undertricks, k.undertrick);
  int16_t penalty;
  if (undertricks == 1) {
    penalty = static_cast<int16_t>(k.doubled_one);
  } else if (undertricks == 2) {
    penalty = static_cast<int16_t>(k.doubled_two);
  } else if (undertricks == 3) {
    penalty = static_cast<int16_t>(k.doubled_three);
  } else {
    penalty = IntAdd(k.doubled_three, IntMul(undertricks - 3, kDoubledBeyondThree));
  }
  return redoubled ? IntMul(penalty, 2) : penalty;
}

int16_t MadeScore(uint8_t level, const std::string& strain, int overtricks, bool doubled,
                  bool redoubled, const Scale& k) {
  int16_t trick_score = 0;
  int16_t overtrick_value = 0;
  if (strain == "C" || strain == "D") {
    trick_score = IntMul(20, level);
    overtrick_value = 20;
  } else if (strain == "H" || strain == "S") {
    trick_score = IntMul(30, level);
    overtrick_value = 30;
  } else if (strain == "N") {
    trick_score = IntAdd(IntMul(30, level), 10);
    overtrick_value = 30;
  }
  if (doubled) trick_score = IntMul(trick_score, 2);
  if (redoubled) trick_score = IntMul(trick_score, 2);

  int16_t score = IntAdd(trick_score, trick_score < 100 ? 50 : k.game);
  if (doubled) {
    score = IntAdd(score, 50);
    overtrick_value = static_cast<int16_t>(k.doubled_overtrick);
  }
  if (redoubled) {
    score = IntAdd(score, 50);
    overtrick_value = IntMul(overtrick_value, 2);
  }
  if (overtricks > 0) score = IntAdd(score, IntMul(overtricks, overtrick_value));
  if (level == 6) score = IntAdd(score, k.small_slam);
  if (level == 7) score = IntAdd(score, k.grand_slam);
  return score;
}

}  // namespace

int16_t ScoreContract(const Value& board, const Value& declarer, const Value& contract,
                      const Value& result) {
  const Scale& k = Vulnerable(board, declarer) ? kVulnerable : kNotVulnerable;
  if (!contract.IsNull() && Trim(contract.AsText()) == "PASS") return 0;

  uint8_t level = 0;
  std::string strain;
  bool doubled = false, redoubled = false;
  try {
    const std::string text = contract.AsText();  // Null: Invalid use of Null
    level = Level(text);
    strain = Strain(text);
    doubled = InStr(text, "x") > 0;
    redoubled = InStr(text, "xx") > 0;
  } catch (const RunTimeError& e) {
    throw ScoringError("Contract", e);
  }
  uint8_t tricks = 0;
  try {
    tricks = TricksTaken(level, result);
  } catch (const RunTimeError& e) {
    throw ScoringError("Result", e);
  }
  const bool east_west = IsSeat(declarer, "E", "W");

  const int contracted = level + 6;
  if (tricks < contracted) {
    const int16_t penalty = Penalty(contracted - tricks, doubled, redoubled, k);
    return east_west ? penalty : IntSub(0, penalty);
  }
  const int16_t score = MadeScore(level, strain, tricks - contracted, doubled, redoubled, k);
  return east_west ? IntSub(0, score) : score;
}

}  // namespace tallix
