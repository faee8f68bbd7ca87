#pragma once
// Text helpers with 1-based character positions over UTF-8 text, exact and
// case-sensitive.
#include <string>
#include <string_view>
#include <vector>

namespace tallix {

// Number of characters (code points).
int Len(std::string_view s);
// Position of the first `find` at or after character `start`; 0 when absent.
int InStr(std::string_view s, std::string_view find, int start = 1);
// Characters from `start` on, at most `length` of them (all when negative).
std::string Mid(std::string_view s, int start, int length = -1);
std::string Left(std::string_view s, int length);
std::string Right(std::string_view s, int length);
// Blanks only, as the program trims.
std::string Trim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
// Every occurrence, left to right, not overlapping.
std::string Replace(std::string_view s, std::string_view find, std::string_view with);
std::vector<std::string> Split(std::string_view s, char separator);

// Single-byte Windows text to UTF-8.
std::string Cp1252ToUtf8(std::string_view s);
// Escapes &, <, >, " and ' for HTML text and attribute values.
std::string HtmlEscape(std::string_view s);

// The text without C0 and C1 controls, DEL and bidirectional formatting
// marks, which would garble a screen or a page; a tab becomes a blank.
std::string PrintableText(std::string_view s);

}  // namespace tallix
