#include "engine/contract_scoring.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/run_time_error.h"

namespace tallix {
namespace {

struct Case {
  Value board;
  Value declarer;
  Value contract;
  Value result;
  int score;
};

std::string Show(const Case& c) {
  return Describe(c.board) + " " + Describe(c.declarer) + " " + Describe(c.contract) + " " +
         Describe(c.result);
}

void ExpectScores(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(ScoreContract(c.board, c.declarer, c.contract, c.result), c.score) << Show(c);
  }
}

TEST(ScoreContract, WorkedValues) {
  ExpectScores({
      {1, "S", "4 H", "+1", 450},
      {2, "E", "3 N", "=", -400},
      {4, "N", "2 Sx", "-2", -500},
      {1, "N", "1 Cx", "=", 140},
      {1, "W", "2 Sx", "=", -470},
      {1, "E", "3 D", "-1", 50},
  });
}

TEST(ScoreContract, MadeContractsOverLevelsStrainsAndDoubling) {
  ExpectScores({
      // Part scores, game in each strain, the no-trump first trick.
      {1, "N", "1 C", "=", 70},
      {1, "N", "2 D", "+2", 130},
      {1, "N", "1 N", "=", 90},
      {1, "N", "3 N", "=", 400},
      {1, "N", "2 H", "+2", 170},
      {1, "N", "5 C", "=", 400},
      {4, "N", "4 S", "=", 620},
      {4, "N", "3 N", "+1", 630},
      // Doubled and redoubled: trick score x2 / x4, insult, doubled overtricks.
      {1, "S", "2 Hx", "+1", 570},
      {4, "S", "2 Hx", "+1", 870},
      {1, "S", "1 Cxx", "=", 230},
      {1, "S", "1 Nxx", "+1", 760},
      {4, "S", "1 Nxx", "+1", 1160},
      {1, "S", "4 Sxx", "=", 880},
      // Slams.
      {1, "N", "6 C", "=", 920},
      {4, "N", "6 N", "+1", 1470},
      {1, "N", "7 S", "=", 1510},
      {4, "N", "7 N", "=", 2220},
      {4, "N", "7 Nxx", "=", 2980},
      // East-West declaring is negated.
      {1, "E", "4 S", "=", -420},
      {1, "W", "6 Hx", "=", -1210},
  });
}

TEST(ScoreContract, Undertricks) {
  ExpectScores({
      {1, "N", "4 S", "-3", -150},
      {4, "N", "4 S", "-3", -300},
      {1, "S", "3 Nx", "-1", -100},
      {1, "S", "3 Nx", "-2", -300},
      {1, "S", "3 Nx", "-3", -500},
      {1, "S", "3 Nx", "-4", -800},
      {4, "S", "3 Nx", "-1", -200},
      {4, "S", "3 Nx", "-3", -800},
      {4, "S", "3 Nx", "-5", -1400},
      {1, "N", "2 Hxx", "-2", -600},
      {4, "N", "2 Hxx", "-1", -400},
      {1, "E", "4 H", "-1", 50},
      {4, "W", "4 Hxx", "-2", 1000},
      // Thirteen down redoubled vulnerable: (800 + 10 x 300) x 2.
      {4, "N", "7 Nxx", "-13", -7600},
      {4, "E", "7 Nxx", "-13", 7600},
  });
}

TEST(ScoreContract, VulnerabilityByBoard) {
  // 4 S made by each side shows who is vulnerable: 420 or 620.
  ExpectScores({
      {1, "N", "4 S", "=", 420},
      {1, "E", "4 S", "=", -420},
      {2, "S", "4 S", "=", 620},
      {2, "W", "4 S", "=", -420},
      {3, "N", "4 S", "=", 420},
      {3, "E", "4 S", "=", -620},
      {7, "N", "4 S", "=", 620},
      {7, "W", "4 S", "=", -620},
      {8, "N", "4 S", "=", 420},
      {9, "W", "4 S", "=", -620},
      {10, "S", "4 S", "=", 620},
      {12, "N", "4 S", "=", 620},
      {13, "E", "4 S", "=", -620},
      {15, "E", "4 S", "=", -420},
      {16, "E", "4 S", "=", -620},
      {16, "N", "4 S", "=", 420},
      // Boards beyond 16 repeat the cycle.
      {17, "N", "4 S", "=", 420},
      {17, "E", "4 S", "=", -420},
      {20, "N", "4 S", "=", 620},
      {32, "W", "4 S", "=", -620},
      {32, "S", "4 S", "=", 420},
      {33, "N", "4 S", "=", 420},
      {36, "E", "4 S", "=", -620},
      // Null, 0 and negative boards are not vulnerable; a text board converts.
      {Value(), "N", "4 S", "=", 420},
      {0, "N", "4 S", "=", 420},
      {-12, "N", "4 S", "=", 420},
      {"20", "N", "4 S", "=", 620},
  });
}

TEST(ScoreContract, OddInputs) {
  ExpectScores({
      // Passed out, blanks around it, on any board.
      {4, "N", "PASS", "=", 0},
      {7, "E", "  PASS ", Value(), 0},
      // Null result or an unknown first character: made exactly.
      {1, "N", "4 H", Value(), 420},
      {1, "N", "4 H", "", 420},
      {1, "N", "4 H", "1", 420},
      {1, "N", "4 H", "*3", 420},
      // "x" and "xx" anywhere; an upper-case X is no double.
      {1, "N", "1 C x", "=", 140},
      {1, "N", "2 C x x", "=", 180},
      {1, "N", "2 C xx", "=", 560},
      {1, "N", "2 CX", "=", 90},
      // Other declarer letters sign as North-South, vulnerable only on 4, 7, 10, 13.
      {2, "X", "4 S", "=", 420},
      {3, "n", "4 S", "=", 420},
      {4, Value(), "4 S", "=", 620},
      {1, "Q", "4 S", "-1", -50},
      // Blanks around the trick count still convert.
      {1, "N", "4 S", "+ 1", 450},
  });
}

TEST(ScoreContract, UnreadableAndImpossibleInputsNameTheInputAtFault) {
  struct Failure {
    Value contract;
    Value result;
    int error;
    const char* input;
  } failures[] = {
      {Value(), "=", err::kInvalidNull, "Contract"},
      {"", "=", err::kTypeMismatch, "Contract"},
      {"Pass", "=", err::kTypeMismatch, "Contract"},
      {"pass", "=", err::kTypeMismatch, "Contract"},
      {"H4", "=", err::kTypeMismatch, "Contract"},
      {" 4 H", "=", err::kTypeMismatch, "Contract"},
      // Levels outside 1-7 and strains other than C, D, H, S, N.
      {"8 S", "=", err::kInvalidCall, "Contract"},
      {"0 S", "=", err::kInvalidCall, "Contract"},
      {"9 Nx", "-1", err::kInvalidCall, "Contract"},
      {"1 Z", "=", err::kInvalidCall, "Contract"},
      {"3 s", "=", err::kInvalidCall, "Contract"},
      {"3", "=", err::kInvalidCall, "Contract"},
      {"4H", "=", err::kInvalidCall, "Contract"},
      {"4 H", "+", err::kTypeMismatch, "Result"},
      {"4 H", "-", err::kTypeMismatch, "Result"},
      {"4 H", "+one", err::kTypeMismatch, "Result"},
      {"4 H", "-1x", err::kTypeMismatch, "Result"},
      // Tricks taken outside 0-13, or not whole.
      {"4 H", "+4", err::kInvalidCall, "Result"},
      {"4 H", "+99", err::kInvalidCall, "Result"},
      {"1 N", "-8", err::kInvalidCall, "Result"},
      {"7 Nxx", "-14", err::kInvalidCall, "Result"},
      {"7 N", "+243", err::kInvalidCall, "Result"},
      {"2 S", "+0.5", err::kInvalidCall, "Result"},
  };
  for (const Failure& f : failures) {
    const std::string what = Describe(f.contract) + " " + Describe(f.result);
    try {
      ScoreContract(1, "N", f.contract, f.result);
      ADD_FAILURE() << "scored " << what;
    } catch (const ScoringError& e) {
      EXPECT_EQ(e.Number, f.error) << what;
      EXPECT_STREQ(e.Input, f.input) << what;
    }
  }
  // The edges of the trick range still score.
  EXPECT_EQ(ScoreContract(1, "N", "1 N", "-7"), -350);
  EXPECT_EQ(ScoreContract(1, "N", "7 N", "-13"), -650);
  EXPECT_EQ(ScoreContract(1, "N", "1 C", "+6"), 190);
}

}  // namespace
}  // namespace tallix
