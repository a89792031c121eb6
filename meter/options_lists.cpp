#include "meter/options_lists.h"

#include <cstdio>

namespace qm {

int IndexOfValue(const ListItems& items, int64_t value, int fallback) {
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].value == value) return int(i);
  return fallback;
}

ListItems TransparencyItems() {
  ListItems items;
  for (int visible = 90; visible >= 10; visible -= 5) {
    char text[32];
    std::snprintf(text, sizeof text, "%d%% visible", visible);
    items.push_back({text, 100 - visible});
  }
  return items;
}

ListItems DateFormatItems() {
  return {{"MM/DD/YYYY", 17}, {"MM.DD.YYYY", 119}, {"DD/MM/YYYY", 34}, {"DD.MM.YYYY", 102},
          {"YYYY/MM/DD", 51}, {"YYYY-MM-DD", 68},  {"YYYY.MM.DD", 85}};
}

ListItems WeekDayItems() {
  return {{"Sunday", 0},   {"Monday", 1}, {"Tuesday", 2},  {"Wednesday", 3},
          {"Thursday", 4}, {"Friday", 5}, {"Saturday", 6}};
}

ListItems MonthDayItems() {
  ListItems items;
  for (int day = 1; day <= 31; ++day) items.push_back({std::to_string(day), day});
  return items;
}

ListItems HotkeyLetterItems() {
  ListItems items;
  for (char c = 'A'; c <= 'Z'; ++c) items.push_back({std::string(1, c), c});
  return items;
}

ListItems GraphStyleItems() { return {{"Column", 1}, {"Line", 0}}; }

ListItems GridLineStyleItems() {
  return {{"Dot", 2}, {"Solid", 0}, {"Dash", 1}, {"Dashdot", 3}, {"Dashdotdot", 4}};
}

ListItems TimeFormatItems() { return {{"HH:MM:SS", 0}, {"HH:MM", 1}, {"MM:SS", 2}}; }

ListItems ConnectionTypeItems() {
  return {{"Auto Scale", 0},
          {"33.6 kbps (analog modems)", 33600},
          {"48.0 kbps (analog modems)", 48000},
          {"56.0 kbps (analog modems)", 56000},
          {"64 kbps (ISDN - single channel)", 64000},
          {"128 kbps (ISDN - dual channel)", 128000},
          {"256 kbps (DSL, Frame Relay)", 256000},
          {"384 kbps (DSL)", 384000},
          {"512 kbps (DSL)", 512000},
          {"768 kbps (DSL)", 768000},
          {"1.544 mbps (T1, DSL, Cable Modem)", 1544000},
          {"2 mbps (DSL, Cable Modem)", 2000000},
          {"10 mbps (DSL, Cable Modem, LAN)", 10000000},
          {"44.736 mbps (DS3)", 44736000},
          {"100 mbps (LAN)", 100000000},
          {"Specify Speed", kSpecifySpeed}};
}

int ConnectionTypeIndex(uint32_t bitsPerSecond) {
  const ListItems items = ConnectionTypeItems();
  return IndexOfValue(items, bitsPerSecond, int(items.size()) - 1);
}

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::optional<int32_t> ParseInteger(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > int64_t(INT32_MAX) + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return std::nullopt;
  return int32_t(value);
}

uint32_t LeadingSpeed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + uint64_t(c - '0');
    if (value > uint64_t(INT32_MAX)) return uint32_t(INT32_MAX);
  }
  return uint32_t(value);
}

}  // namespace qm
