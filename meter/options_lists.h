#pragma once
// What the options pages offer in their drop-down lists and number boxes:
// every item with the option value it stands for, the lookups that pick the
// item to select, and the reading of a typed whole number.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct ListItem {
  std::string text;
  int64_t value;
};
using ListItems = std::vector<ListItem>;

// The index of the first item with `value`, or `fallback` (-1: none).
int IndexOfValue(const ListItems& items, int64_t value, int fallback);

// General page.
ListItems TransparencyItems();   // "90% visible" (value 10) .. "10% visible" (value 90)
ListItems DateFormatItems();     // "MM/DD/YYYY" 17 .. "YYYY.MM.DD" 85
ListItems WeekDayItems();        // "Sunday" 0 .. "Saturday" 6
ListItems MonthDayItems();       // "1" .. "31"
ListItems HotkeyLetterItems();   // "A" 65 .. "Z" 90
// With no transparency item of the stored value, "85% visible" is selected.
inline constexpr int kTransparencyFallbackIndex = 1;

// Graph & Text page.
ListItems GraphStyleItems();     // "Column" 1, "Line" 0
ListItems GridLineStyleItems();  // "Dot" 2, "Solid" 0, "Dash" 1, "Dashdot" 3, "Dashdotdot" 4
ListItems TimeFormatItems();     // "HH:MM:SS" 0, "HH:MM" 1, "MM:SS" 2

// Adapters page: the connection types and their speeds in bits per second;
// the last, "Specify Speed", has the value kSpecifySpeed.
inline constexpr int64_t kSpecifySpeed = -1;
ListItems ConnectionTypeItems();
// The preset of exactly this speed, else "Specify Speed".
int ConnectionTypeIndex(uint32_t bitsPerSecond);

// The standard check of a number box: a whole number of 32 bits, blanks
// around it allowed; anything else is refused with kNotAnInteger.
inline constexpr char kNotAnInteger[] = "Please enter an integer.";
std::optional<int32_t> ParseInteger(std::string_view text);

// The custom speed as typed: the leading decimal digits (0 without any),
// at most 2147483647.
uint32_t LeadingSpeed(std::string_view text);

}  // namespace qm
