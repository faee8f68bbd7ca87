#pragma once
// A failure with a number and a description; it travels up to the nearest
// handler, as the program's failures do.
#include <stdexcept>
#include <string>

namespace tallix {

namespace err {
inline constexpr int kInvalidCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kSubscript = 9;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kFileNotFound = 53;
inline constexpr int kInvalidNull = 94;
// The database engine's own numbers.
inline constexpr int kNoCurrentRecord = 3021;
inline constexpr int kCannotOpenFile = 3024;
inline constexpr int kSyntaxError = 3075;
inline constexpr int kNoSuchTable = 3078;
inline constexpr int kNoSuchField = 3265;
inline constexpr int kNotADatabase = 3343;
}  // namespace err

class RunTimeError : public std::runtime_error {
 public:
  RunTimeError(int number, std::string description)
      : std::runtime_error(description), Number(number), Description(std::move(description)) {}
  int Number;
  std::string Description;
};

[[noreturn]] void RaiseOverflow();
[[noreturn]] void RaiseSubscript();
[[noreturn]] void RaiseTypeMismatch();
[[noreturn]] void RaiseInvalidNull();

}  // namespace tallix
