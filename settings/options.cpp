#include "settings/options.h"

#include <string_view>

#include "platform/ascii_case.h"
#include "settings/option_limits.h"
#include "settings/registry_layout.h"
#include "settings/value_reading.h"

namespace qm {
namespace {

constexpr SaveGroup kGroupOrder[] = {kSaveHandle,  kSaveLastDays, kSaveGeneral,   kSaveNextAlert,
                                     kSaveDisplay, kSaveTray,     kSaveColours,   kSaveGraphStyle,
                                     kSaveFonts,   kSaveNotification, kSaveWindow};

// The one list of value names: the save order of each group, used for
// reading, writing and naming alike. `Opts` is Options or const Options.
template <class Opts, class Io>
void VisitGroup(SaveGroup group, Opts& o, Io& io) {
  switch (group) {
    case kSaveHandle:
      io.Number("HWND", o.mainWindowHandle);
      break;
    case kSaveLastDays:
      io.Number("SumLastDays", o.SumLastDays);
      break;
    case kSaveGeneral:
      io.Number("WeekStartDay", o.WeekStartDay);
      io.Number("MonthStartDay", o.MonthStartDay);
      io.Number("RateViewMargins", o.RateViewMargins);
      io.Number("TransparentPercent", o.TransparentPercent);
      io.Number("StartMinimized", o.StartMinimized);
      io.Number("StartWithWindows", o.StartWithWindows);
      io.Number("HotkeyEnabled", o.HotkeyEnabled);
      io.Number("HotkeyChar", o.HotkeyChar);
      io.Number("DateFormat", o.DateFormat);
      io.Number("SemiTransparent", o.SemiTransparent);
      io.Number("EnableClickThrough", o.EnableClickThrough);
      io.Number("ShowIPInTitle", o.ShowIPInTitle);
      io.Number("AlwaysOnTop", o.AlwaysOnTop);
      io.Number("ShowCaption", o.ShowCaption);
      io.Number("DisplayUnitByte", o.DisplayUnitByte);
      break;
    case kSaveNextAlert:
      io.Number("NextAlertType", o.NextAlertType);
      io.Number("NextAlertMin", o.NextAlertMin);
      break;
    case kSaveDisplay:
      io.Number("DisplayTitle", o.DisplayTitle);
      io.Number("DisplayGraph", o.DisplayGraph);
      io.Number("DisplayScaleGrid", o.DisplayScaleGrid);
      io.Number("DisplayScale", o.DisplayScale);
      io.Number("DisplayText", o.DisplayText);
      io.Number("DisplayMaxRateInText", o.DisplayMaxRateInText);
      io.Number("TextCrSameAsGraphCr", o.TextCrSameAsGraphCr);
      io.Number("DispAvgValuesInText", o.DispAvgValuesInText);
      io.Number("DispAvgDownLine", o.DispAvgDownLine);
      io.Number("DispAvgUpLine", o.DispAvgUpLine);
      io.Number("DisplayTimeGrid", o.DisplayTimeGrid);
      io.Number("DisplayTimeText", o.DisplayTimeText);
      io.Number("ScaleGridOnTop", o.ScaleGridOnTop);
      io.Number("TimeGridOnTop", o.TimeGridOnTop);
      io.Number("TimeTextOnTop", o.TimeTextOnTop);
      break;
    case kSaveTray:
      io.Number("DispIconSystray", o.DispIconSystray);
      io.Number("ShowGraphInSystray", o.ShowGraphInSystray);
      io.Number("ShowAdapterNameInSystrayTips", o.ShowAdapterNameInSystrayTips);
      io.Number("ShowAdapterIPInSystrayTips", o.ShowAdapterIPInSystrayTips);
      io.Number("STIfType", o.STIfType);
      io.Text("STAdpID", o.STAdpID);
      break;
    case kSaveColours:
      io.Number("GraphBkgColor", o.GraphBkgColor);
      io.Number("DownColor", o.DownColor);
      io.Number("BothDownUpColor", o.BothDownUpColor);
      io.Number("GridColor", o.GridColor);
      io.Number("UpColor", o.UpColor);
      io.Number("AvgDownLineColor", o.AvgDownLineColor);
      io.Number("AvgUpLineColor", o.AvgUpLineColor);
      io.Number("TitleBkgColor", o.TitleBkgColor);
      io.Number("TitleTextColor", o.TitleTextColor);
      io.Number("ScaleTextColor", o.ScaleTextColor);
      io.Number("RateTextColor", o.RateTextColor);
      io.Number("RateBkgColor", o.RateBkgColor);
      io.Number("BorderColor", o.BorderColor);
      io.Number("TimeGridColor", o.TimeGridColor);
      io.Number("TimeTextColor", o.TimeTextColor);
      break;
    case kSaveGraphStyle:
      io.Number("PulseSpace", o.PulseSpace);
      io.Number("PulseWidth", o.PulseWidth);
      io.Number("ScaleGridLineStyle", o.ScaleGridLineStyle);
      io.Number("TimeGridLineStyle", o.TimeGridLineStyle);
      io.Number("TimeGridIntervalSec", o.TimeGridIntervalSec);
      io.Number("TimeFormat", o.TimeFormat);
      io.Number("RateHeightPercent", o.RateHeightPercent);
      io.Number("GraphStyle", o.GraphStyle);
      break;
    case kSaveFonts:
      io.Font("TimeTextFont", o.TimeTextFont);
      io.Font("RateFont", o.RateFont);
      io.Font("ScaleFont", o.ScaleFont);
      io.Font("TitleFont", o.TitleFont);
      break;
    case kSaveNotification:
      io.Number("NotificationEnabled", o.NotificationEnabled);
      io.Rule("NotificationEx2", o.NotificationEx2);
      break;
    case kSaveWindow:
      io.Rect("WndPosition", o.windowRect, o.hasWindowRect);
      io.Number("StopwatchResetAdapterGraph", o.StopwatchResetAdapterGraph);
      io.Number("StopwatchAlwaysOnTop", o.StopwatchAlwaysOnTop);
      break;
    default:
      break;
  }
}

class Reader {
 public:
  Reader(SettingsStore& store, RegRoot root) : store_(store), root_(root) {}

  void Number(const char* name, uint32_t& v) { settings_io::ReadNumber(store_, root_, kOptionsKey, name, v); }
  void Number(const char* name, int32_t& v) {
    uint32_t raw;
    if (settings_io::ReadNumber(store_, root_, kOptionsKey, name, raw)) {
      v = static_cast<int32_t>(raw);
      if (std::string_view(name) == "TransparentPercent") transparentRead = true;
    }
  }
  void Number(const char* name, bool& v) {
    uint32_t raw;
    if (settings_io::ReadNumber(store_, root_, kOptionsKey, name, raw)) v = raw != 0;
  }
  void Text(const char* name, std::string& v) {
    settings_io::ReadFixedText(store_, root_, kOptionsKey, name, 260, v);
  }
  void Font(const char* name, LogFontRecord& v) {
    LogFontRecord f;
    if (!settings_io::ReadExact(store_, root_, kOptionsKey, name, &f, sizeof f)) return;
    f.lfFaceName[sizeof f.lfFaceName - 1] = 0;
    v = f;
  }
  void Rule(const char*, NotificationRule& v) { ruleRead = ReadNotificationRule(store_, root_, v); }
  void Rect(const char* name, WndPosition& v, bool& present) {
    if (settings_io::ReadExact(store_, root_, kOptionsKey, name, &v, sizeof v)) present = true;
  }

  bool transparentRead = false;
  RuleRead ruleRead = RuleRead::Missing;

 private:
  SettingsStore& store_;
  RegRoot root_;
};

class Writer {
 public:
  Writer(SettingsStore& store, RegRoot root) : store_(store), root_(root) {}

  void Number(const char* name, uint32_t v) { Done(store_.WriteDword(root_, kOptionsKey, name, v)); }
  void Number(const char* name, int32_t v) { Number(name, static_cast<uint32_t>(v)); }
  void Number(const char* name, bool v) { Number(name, uint32_t(v ? 1 : 0)); }
  void Text(const char* name, const std::string& v) { Done(store_.WriteString(root_, kOptionsKey, name, v)); }
  void Font(const char* name, const LogFontRecord& v) { Done(store_.WriteBinary(root_, kOptionsKey, name, &v, sizeof v)); }
  void Rule(const char*, const NotificationRule& v) { Done(WriteNotificationRule(store_, root_, v)); }
  void Rect(const char* name, const WndPosition& v, bool) {
    Done(store_.WriteBinary(root_, kOptionsKey, name, &v, sizeof v));
  }

  bool ok = true;

 private:
  void Done(bool written) { ok = ok && written; }
  SettingsStore& store_;
  RegRoot root_;
};

struct NameCollector {
  template <class T>
  void Number(const char* name, const T&) { names.push_back(name); }
  void Text(const char* name, const std::string&) { names.push_back(name); }
  void Font(const char* name, const LogFontRecord&) { names.push_back(name); }
  void Rule(const char* name, const NotificationRule&) { names.push_back(name); }
  void Rect(const char* name, const WndPosition&, bool) { names.push_back(name); }
  std::vector<std::string> names;
};

// A group's values as bytes, to compare two option sets group by group.
struct Flattener {
  template <class T>
  void Number(const char*, const T& v) { Add(&v, sizeof v); }
  void Text(const char*, const std::string& v) {
    const size_t n = v.size();
    Add(&n, sizeof n);
    Add(v.data(), n);
  }
  void Font(const char*, const LogFontRecord& v) { Add(&v, sizeof v); }
  void Rule(const char*, const NotificationRule& v) { Add(&v, sizeof v); }
  void Rect(const char*, const WndPosition& v, bool present) {
    Add(&v, sizeof v);
    Add(&present, sizeof present);
  }
  void Add(const void* p, size_t n) { bytes.append(static_cast<const char*>(p), n); }
  std::string bytes;
};

void KeepWithin(int32_t& v, const NumberRange& range) {
  if (!range.Holds(v)) v = range.fallback;
}

}  // namespace

Options DefaultOptions(bool layeredWindowsSupported) {
  Options o;
  if (!layeredWindowsSupported) {
    o.SemiTransparent = false;
    o.TransparentPercent = 0;
  }
  o.NotificationEx2.nDays = 1;
  return o;
}

void ApplyOptionChecks(Options& o, bool transparentRead) {
  o.WeekStartDay = CheckedWeekStartDay(o.WeekStartDay);
  o.MonthStartDay = CheckedMonthStartDay(o.MonthStartDay);
  if (transparentRead) {
    if (o.TransparentPercent < 10) o.TransparentPercent = 10;
    if (o.TransparentPercent > 90) o.TransparentPercent = 90;
  }
  if (o.NextAlertType > 1) o.NextAlertType = 0;
  if (o.NextAlertMin <= 0) o.NextAlertMin = 1;
  KeepWithin(o.RateViewMargins, kRateViewMarginsRange);
  if (!o.DisplayGraph && !o.DisplayText) o.DisplayGraph = o.DisplayText = true;
  KeepWithin(o.RateHeightPercent, kRateHeightPercentRange);
  KeepWithin(o.PulseWidth, kPulseWidthRange);
  KeepWithin(o.PulseSpace, kPulseSpaceRange);
  KeepWithin(o.TimeGridIntervalSec, kTimeGridIntervalRange);
  if (o.STAdpID.size() > 259) o.STAdpID.resize(259);
  o.STAdpID = AsciiUpper(std::move(o.STAdpID));
  if (o.NotificationEx2.nDays <= 0) o.NotificationEx2.nDays = 1;
}

void LoadOptions(SettingsStore& store, RegRoot root, Options& opts) {
  Reader reader(store, root);
  for (SaveGroup g : kGroupOrder)
    if (g != kSaveHandle) VisitGroup(g, opts, reader);
  if (reader.ruleRead == RuleRead::Rejected) opts.NotificationEnabled = false;
  ApplyOptionChecks(opts, reader.transparentRead);
}

bool SaveOptions(SettingsStore& store, RegRoot root, const Options& opts, SaveGroups groups) {
  if ((groups & kSaveAll) == 0) return true;
  if (!store.CreateKey(root, kOptionsKey)) return false;
  Writer writer(store, root);
  for (SaveGroup g : kGroupOrder)
    if (groups & g) VisitGroup(g, opts, writer);
  return writer.ok;
}

SaveGroups GroupsThatDiffer(const Options& a, const Options& b, SaveGroups among) {
  SaveGroups differ = 0;
  for (SaveGroup g : kGroupOrder) {
    if (!(among & g)) continue;
    Flattener fa, fb;
    VisitGroup(g, a, fa);
    VisitGroup(g, b, fb);
    if (fa.bytes != fb.bytes) differ |= g;
  }
  return differ;
}

std::vector<std::string> SaveGroupValueNames(SaveGroup group) {
  NameCollector names;
  const Options o;
  VisitGroup(group, o, names);
  return names.names;
}

bool IsFirstRun(SettingsStore& store, RegRoot root) {
  uint32_t v = 1;
  settings_io::ReadNumber(store, root, kOptionsKey, "FirstRun", v);
  return v != 0;
}

bool ClearFirstRun(SettingsStore& store, RegRoot root) { return store.WriteDword(root, kOptionsKey, "FirstRun", 0); }

bool ReadMainWindowHandle(SettingsStore& store, RegRoot root, uint32_t& handle) {
  return settings_io::ReadNumber(store, root, kOptionsKey, "HWND", handle);
}

}  // namespace qm
