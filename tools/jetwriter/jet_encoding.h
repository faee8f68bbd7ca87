// Byte-level pieces of the Jet 4 format: little-endian fields, text as Jet
// stores it, the page-0 scrambling.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tallix::jetwriter::detail {

inline void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint16_t Get16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t Get32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// UTF-8 to UCS-2; throws JetError on malformed input or a character outside
// the Basic Multilingual Plane (UCS-2 cannot hold it).
std::u16string Utf8ToUcs2(std::string_view utf8);
std::string Ucs2ToUtf8(std::u16string_view ucs2);

// The bytes of a text value: the compressed form (FF FE, one byte a character)
// when every character is U+0001..U+00FF and that is shorter, else UCS-2 LE.
std::vector<std::uint8_t> EncodeText(std::u16string_view ucs2);
// Either form back to UTF-8.
std::string DecodeText(const std::uint8_t* data, std::size_t size);

// RC4 in place (the same call scrambles and unscrambles).
void Rc4(std::span<const std::uint8_t> key, std::span<std::uint8_t> data);

}  // namespace tallix::jetwriter::detail
