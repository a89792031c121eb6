#include "meter/options_checks.h"

#include "engine/day_record.h"
#include "meter/options_lists.h"
#include "settings/option_limits.h"

namespace qm {

std::optional<Refusal<GeneralField>> CheckGeneralPage(const GeneralPageInput& in, int32_t& margins) {
  using R = Refusal<GeneralField>;
  if (in.layeredWindows && in.transparencyIndex < 0)
    return R{GeneralField::Transparency, "You must select a transparency percent value."};
  const std::optional<int32_t> typed = ParseInteger(in.margins);
  if (!typed) return R{GeneralField::Margins, kNotAnInteger};
  if (*typed < kRateViewMarginsRange.low) return R{GeneralField::Margins, "The margins for rate view must be greater than or equal to 0."};
  if (!in.graph && !in.text) return R{GeneralField::Graph, "At least either graph or text should be displayed."};
  margins = *typed;
  return std::nullopt;
}

HotkeyChange HotkeyChangeFor(bool registered, uint32_t wasLetter, bool on, uint32_t letter) {
  if (on && !registered) return HotkeyChange::Register;
  if (!on && registered) return HotkeyChange::Unregister;
  if (on && letter != wasLetter) return HotkeyChange::Reregister;
  return HotkeyChange::None;
}

bool CalendarChangeRestartsRule(bool notificationOn, const NotificationRule& rule, const Options& before,
                                const Options& after) {
  if (!notificationOn) return false;
  if (rule.period == kPeriodWeek) return before.WeekStartDay != after.WeekStartDay;
  if (rule.period == kPeriodMonth) return before.MonthStartDay != after.MonthStartDay;
  return false;
}

namespace {

// A typed number within its range; the refusal names the end it passed.
std::optional<Refusal<GraphTextField>> CheckNumber(GraphTextField field, const std::string& typed,
                                                   const NumberRange& range, const char* belowText,
                                                   const std::string& aboveText, int32_t& out) {
  using R = Refusal<GraphTextField>;
  const auto value = ParseInteger(typed);
  if (!value) return R{field, kNotAnInteger};
  if (*value < range.low) return R{field, belowText};
  if (*value > range.high) return R{field, aboveText};
  out = *value;
  return std::nullopt;
}

std::string NotAbove(const char* what, const NumberRange& range) {
  return std::string("The ") + what + " must not be greater than " + std::to_string(range.high) + ".";
}

}  // namespace

std::optional<Refusal<GraphTextField>> CheckGraphTextPage(const GraphTextPageInput& in, GraphTextNumbers& out) {
  GraphTextNumbers n;
  constexpr char kPercentRange[] = "The maximum graph rate height percent ranges from 50 to 100.";
  static_assert(kRateHeightPercentRange.low == 50 && kRateHeightPercentRange.high == 100);
  if (auto r = CheckNumber(GraphTextField::HeightPercent, in.heightPercent, kRateHeightPercentRange, kPercentRange,
                           kPercentRange, n.heightPercent))
    return r;
  if (auto r = CheckNumber(GraphTextField::ColumnWidth, in.columnWidth, kPulseWidthRange,
                           "The pulse width must be greater than 0.", NotAbove("pulse width", kPulseWidthRange),
                           n.columnWidth))
    return r;
  if (auto r = CheckNumber(GraphTextField::TimeGridInterval, in.timeGridInterval, kTimeGridIntervalRange,
                           "The time grid interval must be greater than 0.",
                           NotAbove("time grid interval", kTimeGridIntervalRange), n.timeGridInterval))
    return r;
  if (auto r = CheckNumber(GraphTextField::ColumnSpace, in.columnSpace, kPulseSpaceRange,
                           "The pulse space must be greater than or equal to 0.",
                           NotAbove("pulse space", kPulseSpaceRange), n.columnSpace))
    return r;
  out = n;
  return std::nullopt;
}

namespace {
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
}  // namespace

void SetDefaultColours(Options& o) {
  o.DownColor = Rgb(255, 0, 0);
  o.UpColor = Rgb(0, 204, 0);
  o.BothDownUpColor = Rgb(255, 255, 0);
  o.AvgDownLineColor = Rgb(128, 0, 0);
  o.AvgUpLineColor = Rgb(0, 100, 0);
  o.GraphBkgColor = Rgb(173, 219, 222);
  o.GridColor = Rgb(158, 158, 158);
  o.TitleBkgColor = Rgb(158, 158, 158);
  o.TitleTextColor = Rgb(255, 255, 255);
  o.ScaleTextColor = Rgb(0, 0, 0);
  o.RateTextColor = Rgb(0, 0, 0);
  o.RateBkgColor = Rgb(255, 255, 255);
  o.BorderColor = Rgb(51, 51, 51);
  o.TimeTextColor = Rgb(60, 60, 60);
  o.TimeGridColor = Rgb(110, 110, 110);
}

void SetDefaultFonts(Options& o) {
  o.TitleFont = MakeFont("Tahoma", 13, kFontWeightBold);
  o.RateFont = MakeFont("Tahoma", 13, kFontWeightNormal);
  o.ScaleFont = MakeFont("Tahoma", 13, kFontWeightNormal);
  o.TimeTextFont = MakeFont("Tahoma", 13, kFontWeightNormal);
}

std::optional<Refusal<AdaptersField>> CheckAdaptersPage(const AdaptersPageInput& in, std::vector<AdapterRow>& rows,
                                                        int32_t& trayKind, std::string& trayId) {
  using R = Refusal<AdaptersField>;
  if (in.trayIcon) {
    if (in.trayAdapterIndex < 0 || size_t(in.trayAdapterIndex) >= rows.size())
      return R{AdaptersField::TrayAdapter, "Please select an adapter for system tray."};
    trayKind = rows[size_t(in.trayAdapterIndex)].kind;
    trayId = rows[size_t(in.trayAdapterIndex)].id;
  }
  bool any = false;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].displayName.empty()) return R{AdaptersField::AdapterList, "The adapter name must not be empty."};
    rows[i].monitored = i < in.checked.size() && in.checked[i];
    any = any || rows[i].monitored;
  }
  if (!any) return R{AdaptersField::AdapterList, "At least one adapter should be monitored."};
  return std::nullopt;
}

int TrayAdapterIndex(const std::vector<AdapterRow>& rows, int32_t kind, const std::string& id) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].kind != kind) continue;
    if (kind == kKindAllConnections || kind == kKindDialUp || rows[i].id == id) return int(i);
  }
  return -1;
}

void ResetAdapterNames(std::vector<AdapterRow>& rows) {
  for (AdapterRow& row : rows)
    if (!row.systemName.empty()) row.displayName = row.systemName;
}

MonitoredChanges MonitoredChangesBetween(const std::vector<bool>& before, const std::vector<AdapterRow>& after) {
  MonitoredChanges changes;
  for (size_t i = 0; i < after.size() && i < before.size(); ++i) {
    if (after[i].monitored && !before[i]) changes.shown.push_back(i);
    if (!after[i].monitored && before[i]) changes.hidden.push_back(i);
  }
  return changes;
}

}  // namespace qm
