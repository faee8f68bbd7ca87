#include "core/text.h"

#include <cstdint>

namespace tallix {
namespace {

bool IsContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// Byte offset of character `index` (0-based); s.size() when past the end.
std::size_t ByteOffset(std::string_view s, int index) {
  std::size_t i = 0;
  for (int n = 0; n < index && i < s.size(); ++n) {
    ++i;
    while (i < s.size() && IsContinuation(static_cast<unsigned char>(s[i]))) ++i;
  }
  return i;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Windows-1252's 0x80..0x9F; 0 marks the five unassigned bytes, kept as
// their C1 code points.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

int Len(std::string_view s) {
  int n = 0;
  for (unsigned char c : s) n += !IsContinuation(c);
  return n;
}

int InStr(std::string_view s, std::string_view find, int start) {
  if (start < 1) start = 1;
  const std::size_t from = ByteOffset(s, start - 1);
  if (from > s.size()) return 0;
  const std::size_t at = s.find(find, from);
  if (at == std::string_view::npos) return 0;
  return Len(s.substr(0, at)) + 1;
}

std::string Mid(std::string_view s, int start, int length) {
  if (start < 1) start = 1;
  const std::size_t from = ByteOffset(s, start - 1);
  if (length < 0) return std::string(s.substr(from));
  const std::size_t to = from + ByteOffset(s.substr(from), length);
  return std::string(s.substr(from, to - from));
}

std::string Left(std::string_view s, int length) {
  return Mid(s, 1, length < 0 ? 0 : length);
}

std::string Right(std::string_view s, int length) {
  const int n = Len(s);
  if (length >= n) return std::string(s);
  return Mid(s, n - (length < 0 ? 0 : length) + 1);
}

std::string LTrim(std::string_view s) {
  const std::size_t i = s.find_first_not_of(' ');
  return i == std::string_view::npos ? std::string() : std::string(s.substr(i));
}

std::string RTrim(std::string_view s) {
  const std::size_t i = s.find_last_not_of(' ');
  return i == std::string_view::npos ? std::string() : std::string(s.substr(0, i + 1));
}

std::string Trim(std::string_view s) {
  return LTrim(RTrim(s));
}

std::string Replace(std::string_view s, std::string_view find, std::string_view with) {
  if (find.empty()) return std::string(s);
  std::string out;
  std::size_t i = 0;
  for (std::size_t at; (at = s.find(find, i)) != std::string_view::npos; i = at + find.size()) {
    out.append(s.substr(i, at - i));
    out.append(with);
  }
  out.append(s.substr(i));
  return out;
}

std::vector<std::string> Split(std::string_view s, char separator) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  for (std::size_t at; (at = s.find(separator, i)) != std::string_view::npos; i = at + 1) {
    parts.emplace_back(s.substr(i, at - i));
  }
  parts.emplace_back(s.substr(i));
  return parts;
}

std::string Cp1252ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (unsigned char c : s) {
    char32_t cp = c;
    if (c >= 0x80 && c <= 0x9F && kHighControls[c - 0x80] != 0) cp = kHighControls[c - 0x80];
    AppendUtf8(out, cp);
  }
  return out;
}

std::string HtmlEscape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string PrintableText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const auto next = [&](std::size_t k) {
      return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0;
    };
    if (c == '\t') {
      out += ' ';
    } else if (c < 0x20 || c == 0x7F) {
      continue;
    } else if (c == 0xC2 && next(1) >= 0x80 && next(1) <= 0x9F) {
      ++i;  // U+0080-U+009F
    } else if (c == 0xD8 && next(1) == 0x9C) {
      ++i;  // U+061C arabic letter mark
    } else if (c == 0xE2 && next(1) == 0x80 &&
               (next(2) == 0x8E || next(2) == 0x8F || (next(2) >= 0xAA && next(2) <= 0xAE))) {
      i += 2;  // U+200E, U+200F, U+202A-U+202E
    } else if (c == 0xE2 && next(1) == 0x81 && next(2) >= 0xA6 && next(2) <= 0xA9) {
      i += 2;  // U+2066-U+2069
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace tallix
