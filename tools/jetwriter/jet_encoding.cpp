#include "jet_encoding.h"

#include <array>
#include <utility>

#include "jet_writer.h"

namespace tallix::jetwriter {
namespace detail {

std::u16string Utf8ToUcs2(std::string_view utf8) {
  std::u16string out;
  std::size_t i = 0;
  auto bad = [&](const char* why) {
    throw JetError(std::string("text \"") + std::string(utf8) + "\": " + why);
  };
  while (i < utf8.size()) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    std::uint32_t cp = 0;
    int extra = 0;
    if (b < 0x80) {
      cp = b;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F;
      extra = 1;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F;
      extra = 2;
    } else if ((b & 0xF8) == 0xF0) {
      bad("character outside the Basic Multilingual Plane");
    } else {
      bad("malformed UTF-8");
    }
    if (i + extra >= utf8.size()) bad("truncated UTF-8");
    for (int k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(utf8[i + k]);
      if ((c & 0xC0) != 0x80) bad("malformed UTF-8");
      cp = (cp << 6) | (c & 0x3F);
    }
    // Overlong forms and surrogate code points are not characters.
    if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (cp >= 0xD800 && cp <= 0xDFFF))
      bad("malformed UTF-8");
    out.push_back(static_cast<char16_t>(cp));
    i += 1 + extra;
  }
  return out;
}

std::string Ucs2ToUtf8(std::u16string_view ucs2) {
  std::string out;
  for (char16_t u : ucs2) {
    const std::uint32_t c = u;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::vector<std::uint8_t> EncodeText(std::u16string_view ucs2) {
  bool compressible = ucs2.size() > 2;  // FF FE + n bytes beats 2n bytes only past 2
  for (char16_t u : ucs2) compressible = compressible && u != 0 && u <= 0xFF;
  std::vector<std::uint8_t> out;
  if (compressible) {
    out.reserve(ucs2.size() + 2);
    out.push_back(0xFF);
    out.push_back(0xFE);
    for (char16_t u : ucs2) out.push_back(static_cast<std::uint8_t>(u));
  } else {
    out.resize(ucs2.size() * 2);
    for (std::size_t i = 0; i < ucs2.size(); ++i) Put16(&out[2 * i], ucs2[i]);
  }
  return out;
}

std::string DecodeText(const std::uint8_t* data, std::size_t size) {
  std::u16string units;
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    // A zero byte toggles between one-byte and two-byte characters.
    bool compressed = true;
    for (std::size_t i = 2; i < size;) {
      if (data[i] == 0) {
        compressed = !compressed;
        ++i;
      } else if (compressed) {
        units.push_back(data[i++]);
      } else if (i + 1 < size) {
        units.push_back(static_cast<char16_t>(Get16(data + i)));
        i += 2;
      } else {
        break;
      }
    }
  } else {
    for (std::size_t i = 0; i + 1 < size; i += 2)
      units.push_back(static_cast<char16_t>(Get16(data + i)));
  }
  return Ucs2ToUtf8(units);
}

void Rc4(std::span<const std::uint8_t> key, std::span<std::uint8_t> data) {
  std::array<std::uint8_t, 256> s;
  for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
  std::uint8_t j = 0;
  for (int i = 0; i < 256; ++i) {
    j = static_cast<std::uint8_t>(j + s[i] + key[i % key.size()]);
    std::swap(s[i], s[j]);
  }
  std::uint8_t a = 0;
  std::uint8_t b = 0;
  for (auto& byte : data) {
    a = static_cast<std::uint8_t>(a + 1);
    b = static_cast<std::uint8_t>(b + s[a]);
    std::swap(s[a], s[b]);
    byte ^= s[static_cast<std::uint8_t>(s[a] + s[b])];
  }
}

}  // namespace detail

double JetDateTime(int year, int month, int day, int hour, int minute, int second) {
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 59)
    throw JetError("date-time out of range");
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) throw JetError("date out of range");
  // Days since 1970-01-01 of the proleptic Gregorian calendar (eras of 400 years).
  auto civil = [](long y, long m, long d) {
    y -= m <= 2 ? 1 : 0;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
  };
  const long days = civil(year, month, day) - civil(1899, 12, 30);
  const double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
  // Before the epoch Jet keeps the day negative and the time positive.
  return days < 0 ? days - fraction : days + fraction;
}

}  // namespace tallix::jetwriter
