#pragma once
// Case folding for the names the system itself compares without regard to
// case: registry keys and values, file extensions, adapter IDs, command-line
// words. Only the letters A-Z and a-z change; every other byte (UTF-8 and
// ANSI text included) stays as it is, whatever locale the C library runs in.

#include <string>
#include <string_view>

namespace qm {

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

std::string AsciiLower(std::string text);
std::string AsciiUpper(std::string text);

// Same length and the same letters but for case.
bool AsciiEqualNoCase(std::string_view a, std::string_view b);

}  // namespace qm
