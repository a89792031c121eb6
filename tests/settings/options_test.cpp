// Defaults, checks on reading, hostile stored values and the grouped save
// of the "Options" key, on the in-memory store.
#include "settings/options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "tests/fakes/memory_settings_store.h"
#include "settings/registry_layout.h"

namespace qm {
namespace {

constexpr RegRoot kUser = RegRoot::CurrentUser;

RegValue Dword(uint32_t v) { return {RegType::Dword, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}}; }
RegValue Bytes(std::vector<uint8_t> b, RegType t = RegType::Binary) { return {t, std::move(b)}; }
RegValue Sz(const std::string& s) {
  RegValue v{RegType::String, std::vector<uint8_t>(s.begin(), s.end())};
  v.data.push_back(0);
  return v;
}

class OptionsTest : public ::testing::Test {
 protected:
  void Put(const std::string& name, const RegValue& v) { store.WriteValue(kUser, kOptionsKey, name, v); }
  Options Load() {
    Options o = DefaultOptions(true);
    LoadOptions(store, kUser, o);
    return o;
  }
  MemorySettingsStore store;
};

uint32_t AsDword(const RegValue& v) {
  uint32_t n = 0;
  std::memcpy(&n, v.data.data(), 4);
  return n;
}

// The documented value table: every written value, its type and its
// built-in default, in the order of the save groups.
struct Documented {
  const char* name;
  RegType type;
  uint32_t dflt;  // for 32-bit values
};
const Documented kDocumented[] = {
    {"HWND", RegType::Dword, 0},
    {"SumLastDays", RegType::Dword, 30},
    {"WeekStartDay", RegType::Dword, 0}, {"MonthStartDay", RegType::Dword, 1},
    {"RateViewMargins", RegType::Dword, 2}, {"TransparentPercent", RegType::Dword, 10},
    {"StartMinimized", RegType::Dword, 0}, {"StartWithWindows", RegType::Dword, 0},
    {"HotkeyEnabled", RegType::Dword, 1}, {"HotkeyChar", RegType::Dword, 77},
    {"DateFormat", RegType::Dword, 17}, {"SemiTransparent", RegType::Dword, 1},
    {"EnableClickThrough", RegType::Dword, 0}, {"ShowIPInTitle", RegType::Dword, 1},
    {"AlwaysOnTop", RegType::Dword, 1}, {"ShowCaption", RegType::Dword, 1},
    {"DisplayUnitByte", RegType::Dword, 0},
    {"NextAlertType", RegType::Dword, 0}, {"NextAlertMin", RegType::Dword, 5},
    {"DisplayTitle", RegType::Dword, 1}, {"DisplayGraph", RegType::Dword, 1},
    {"DisplayScaleGrid", RegType::Dword, 1}, {"DisplayScale", RegType::Dword, 1},
    {"DisplayText", RegType::Dword, 1}, {"DisplayMaxRateInText", RegType::Dword, 1},
    {"TextCrSameAsGraphCr", RegType::Dword, 1}, {"DispAvgValuesInText", RegType::Dword, 0},
    {"DispAvgDownLine", RegType::Dword, 0}, {"DispAvgUpLine", RegType::Dword, 0},
    {"DisplayTimeGrid", RegType::Dword, 1}, {"DisplayTimeText", RegType::Dword, 1},
    {"ScaleGridOnTop", RegType::Dword, 0}, {"TimeGridOnTop", RegType::Dword, 1},
    {"TimeTextOnTop", RegType::Dword, 1},
    {"DispIconSystray", RegType::Dword, 1}, {"ShowGraphInSystray", RegType::Dword, 1},
    {"ShowAdapterNameInSystrayTips", RegType::Dword, 1}, {"ShowAdapterIPInSystrayTips", RegType::Dword, 1},
    {"STIfType", RegType::Dword, 100}, {"STAdpID", RegType::String, 0},
    {"GraphBkgColor", RegType::Dword, 0xDEDBAD}, {"DownColor", RegType::Dword, 0x0000FF},
    {"BothDownUpColor", RegType::Dword, 0x00FFFF}, {"GridColor", RegType::Dword, 0x9E9E9E},
    {"UpColor", RegType::Dword, 0x00CC00}, {"AvgDownLineColor", RegType::Dword, 0x000080},
    {"AvgUpLineColor", RegType::Dword, 0x006400}, {"TitleBkgColor", RegType::Dword, 0x9E9E9E},
    {"TitleTextColor", RegType::Dword, 0xFFFFFF}, {"ScaleTextColor", RegType::Dword, 0},
    {"RateTextColor", RegType::Dword, 0}, {"RateBkgColor", RegType::Dword, 0xFFFFFF},
    {"BorderColor", RegType::Dword, 0x333333}, {"TimeGridColor", RegType::Dword, 0x6E6E6E},
    {"TimeTextColor", RegType::Dword, 0x3C3C3C},
    {"PulseSpace", RegType::Dword, 1}, {"PulseWidth", RegType::Dword, 3},
    {"ScaleGridLineStyle", RegType::Dword, 2}, {"TimeGridLineStyle", RegType::Dword, 2},
    {"TimeGridIntervalSec", RegType::Dword, 30}, {"TimeFormat", RegType::Dword, 0},
    {"RateHeightPercent", RegType::Dword, 95}, {"GraphStyle", RegType::Dword, 1},
    {"TimeTextFont", RegType::Binary, 0}, {"RateFont", RegType::Binary, 0},
    {"ScaleFont", RegType::Binary, 0}, {"TitleFont", RegType::Binary, 0},
    {"NotificationEnabled", RegType::Dword, 0}, {"NotificationEx2", RegType::Binary, 0},
    {"WndPosition", RegType::Binary, 0}, {"StopwatchResetAdapterGraph", RegType::Dword, 0},
    {"StopwatchAlwaysOnTop", RegType::Dword, 0},
};

TEST_F(OptionsTest, SavingEveryGroupWritesTheDocumentedNamesTypesAndDefaultsInGroupOrder) {
  // The bits are combined out of order on purpose: the order is the groups'.
  ASSERT_TRUE(SaveOptions(store, kUser, DefaultOptions(true), kSaveWindow | kSaveHandle | kSaveFonts | kSaveAll));
  const auto& w = store.writes();
  ASSERT_EQ(w.size(), std::size(kDocumented));
  for (size_t i = 0; i < w.size(); ++i) {
    SCOPED_TRACE(kDocumented[i].name);
    EXPECT_EQ(w[i].key, "Software\\Quellmark\\Options");
    EXPECT_EQ(w[i].name, kDocumented[i].name);
    EXPECT_EQ(w[i].value.type, kDocumented[i].type);
    if (kDocumented[i].type == RegType::Dword) {
      ASSERT_EQ(w[i].value.data.size(), 4u);
      EXPECT_EQ(AsDword(w[i].value), kDocumented[i].dflt);
    }
  }
}

TEST_F(OptionsTest, RecordValuesHaveTheirFixedSizesAndDefaultContents) {
  SaveOptions(store, kUser, DefaultOptions(true), kSaveFonts | kSaveNotification | kSaveWindow | kSaveTray);
  RegValue v;
  struct Font {
    const char* name;
    int32_t height, weight;
  };
  for (Font f : {Font{"TitleFont", 13, 700}, Font{"RateFont", 13, 400}, Font{"ScaleFont", 12, 400},
                 Font{"TimeTextFont", 12, 700}}) {
    SCOPED_TRACE(f.name);
    ASSERT_TRUE(store.ReadValue(kUser, kOptionsKey, f.name, v));
    ASSERT_EQ(v.data.size(), 60u);
    int32_t height, weight;
    std::memcpy(&height, &v.data[0], 4);
    std::memcpy(&weight, &v.data[16], 4);
    EXPECT_EQ(height, f.height);
    EXPECT_EQ(weight, f.weight);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&v.data[28])), "Tahoma");
  }
  ASSERT_TRUE(store.ReadValue(kUser, kOptionsKey, "NotificationEx2", v));
  ASSERT_EQ(v.data.size(), 1148u);
  EXPECT_EQ(AsDword(v), 3u);  // written as version 3 even from a zeroed rule
  ASSERT_TRUE(store.ReadValue(kUser, kOptionsKey, "WndPosition", v));
  EXPECT_EQ(v.data.size(), 16u);
  ASSERT_TRUE(store.ReadValue(kUser, kOptionsKey, "STAdpID", v));
  EXPECT_EQ(v.data, std::vector<uint8_t>{0});  // empty text with its terminating zero
}

TEST_F(OptionsTest, EachGroupWritesOnlyItsOwnValues) {
  EXPECT_EQ(SaveGroupValueNames(kSaveNextAlert), (std::vector<std::string>{"NextAlertType", "NextAlertMin"}));
  SaveOptions(store, kUser, DefaultOptions(true), kSaveNextAlert | kSaveLastDays);
  std::vector<std::string> names;
  for (const auto& w : store.writes()) names.push_back(w.name);
  EXPECT_EQ(names, (std::vector<std::string>{"SumLastDays", "NextAlertType", "NextAlertMin"}));
}

// A page that edits two groups saves only those whose values it changed.
TEST(GroupsThatDiffer, NamesOnlyTheGroupsWithAChangedValue) {
  const Options before = DefaultOptions(true);
  const struct {
    const char* what;
    void (*change)(Options&);
    SaveGroups expected;
  } cases[] = {
      {"nothing", [](Options&) {}, 0},
      {"margins", [](Options& o) { o.RateViewMargins = 7; }, kSaveGeneral},
      {"the last general value", [](Options& o) { o.DisplayUnitByte = !o.DisplayUnitByte; }, kSaveGeneral},
      {"a display flag", [](Options& o) { o.TimeTextOnTop = !o.TimeTextOnTop; }, kSaveDisplay},
      {"both", [](Options& o) { o.WeekStartDay = 3, o.DisplayTitle = false; }, kSaveGeneral | kSaveDisplay},
      {"a group not asked about", [](Options& o) { o.DownColor = 1; }, 0},
      {"a text", [](Options& o) { o.STAdpID = "X"; }, 0},
  };
  for (const auto& c : cases) {
    Options after = before;
    c.change(after);
    EXPECT_EQ(GroupsThatDiffer(before, after, kSaveGeneral | kSaveDisplay), c.expected) << c.what;
  }
  Options font = before;
  font.ScaleFont.lfHeight = 20;
  EXPECT_EQ(GroupsThatDiffer(before, font, kSaveAll), kSaveFonts);
  Options tray = before;
  tray.STAdpID = "{ID}";
  EXPECT_EQ(GroupsThatDiffer(before, tray, kSaveAll), kSaveTray);
}

TEST_F(OptionsTest, AnEmptySetWritesNothingNotEvenTheKey) {
  EXPECT_TRUE(SaveOptions(store, kUser, DefaultOptions(true), 0));
  EXPECT_TRUE(store.writes().empty());
  EXPECT_FALSE(store.KeyExists(kUser, kOptionsKey));
}

TEST_F(OptionsTest, NoProductKeyLeavesEveryDefaultAndTheFirstSaveCreatesOptions) {
  Options o = Load();
  EXPECT_EQ(o.MonthStartDay, 1u);
  EXPECT_EQ(o.TransparentPercent, 10);
  EXPECT_FALSE(o.hasWindowRect);
  EXPECT_EQ(o.NotificationEx2.nDays, 1);
  EXPECT_TRUE(store.writes().empty());
  // Saved and read again, the defaults give the very same bytes.
  ASSERT_TRUE(SaveOptions(store, kUser, o, kSaveAll & ~kSaveHandle & ~kSaveWindow));
  auto first = store.writes();
  Options again = Load();
  store.ClearWrites();
  SaveOptions(store, kUser, again, kSaveAll & ~kSaveHandle & ~kSaveWindow);
  ASSERT_EQ(store.writes().size(), first.size());
  for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(store.writes()[i].value.data, first[i].value.data) << first[i].name;
}

TEST_F(OptionsTest, WithoutLayeredWindowsTransparencyDefaultsOffAndAMissingValueStaysZero) {
  Options o = DefaultOptions(false);
  LoadOptions(store, kUser, o);
  EXPECT_FALSE(o.SemiTransparent);
  EXPECT_EQ(o.TransparentPercent, 0);
}

TEST_F(OptionsTest, EveryChangedValueSurvivesASaveAndLoad) {
  Options o = DefaultOptions(true);
  o.WeekStartDay = 1;
  o.MonthStartDay = 15;
  o.DateFormat = 0x44;
  o.SumLastDays = 7;
  o.TransparentPercent = 40;
  o.RateViewMargins = 0;
  o.HotkeyChar = 'Q';
  o.AlwaysOnTop = false;
  o.DisplayUnitByte = true;
  o.NotificationEnabled = true;
  o.NotificationEx2.adapterKind = 300;
  SetFieldText(o.NotificationEx2.adapterId, "{00000002-0000-0000-0000-4E6574446576}");
  SetFieldText(o.NotificationEx2.limitText, "1.5");
  o.NotificationEx2.unit = kUnitGB;
  o.NotificationEx2.nDays = 9;
  o.NextAlertType = 1;
  o.NextAlertMin = 12;
  o.DisplayGraph = false;
  o.DispAvgUpLine = true;
  o.PulseWidth = 5;
  o.TimeGridIntervalSec = 60;
  o.BorderColor = 0x123456;
  o.RateFont = MakeFont("Courier New", -11, 400);
  o.STIfType = 300;
  o.STAdpID = "{00000002-0000-0000-0000-4E6574446576}";
  o.windowRect = {-1200, 40, -900, 300};
  o.hasWindowRect = true;
  o.StopwatchAlwaysOnTop = true;
  ASSERT_TRUE(SaveOptions(store, kUser, o, kSaveAll));

  Options r = Load();
  EXPECT_EQ(r.WeekStartDay, 1u);
  EXPECT_EQ(r.MonthStartDay, 15u);
  EXPECT_EQ(r.DateFormat, 0x44u);
  EXPECT_EQ(r.SumLastDays, 7);
  EXPECT_EQ(r.TransparentPercent, 40);
  EXPECT_EQ(r.RateViewMargins, 0);
  EXPECT_EQ(r.HotkeyChar, uint32_t('Q'));
  EXPECT_FALSE(r.AlwaysOnTop);
  EXPECT_TRUE(r.DisplayUnitByte);
  EXPECT_TRUE(r.NotificationEnabled);
  EXPECT_EQ(r.NotificationEx2.version, 3u);
  EXPECT_EQ(r.NotificationEx2.adapterKind, 300);
  EXPECT_EQ(FieldText(r.NotificationEx2.limitText), "1.5");
  EXPECT_EQ(r.NotificationEx2.unit, uint32_t(kUnitGB));
  EXPECT_EQ(r.NotificationEx2.nDays, 9);
  EXPECT_EQ(r.NextAlertType, 1u);
  EXPECT_EQ(r.NextAlertMin, 12);
  EXPECT_FALSE(r.DisplayGraph);
  EXPECT_TRUE(r.DispAvgUpLine);
  EXPECT_EQ(r.PulseWidth, 5);
  EXPECT_EQ(r.TimeGridIntervalSec, 60);
  EXPECT_EQ(r.BorderColor, 0x123456u);
  EXPECT_EQ(r.RateFont, o.RateFont);
  EXPECT_EQ(r.STIfType, 300);
  EXPECT_EQ(r.STAdpID, o.STAdpID);
  EXPECT_TRUE(r.hasWindowRect);
  EXPECT_EQ(r.windowRect, o.windowRect);
  EXPECT_TRUE(r.StopwatchAlwaysOnTop);
  EXPECT_EQ(r.mainWindowHandle, 0u);  // "HWND" is never read back into the options
}

struct CheckCase {
  const char* name;
  RegValue stored;
  std::function<int64_t(const Options&)> field;
  int64_t expected;
};

TEST_F(OptionsTest, ChecksOnReading) {
  auto week = [](const Options& o) -> int64_t { return o.WeekStartDay; };
  auto month = [](const Options& o) -> int64_t { return o.MonthStartDay; };
  auto transparent = [](const Options& o) -> int64_t { return o.TransparentPercent; };
  auto alertType = [](const Options& o) -> int64_t { return o.NextAlertType; };
  auto alertMin = [](const Options& o) -> int64_t { return o.NextAlertMin; };
  auto margins = [](const Options& o) -> int64_t { return o.RateViewMargins; };
  auto width = [](const Options& o) -> int64_t { return o.PulseWidth; };
  auto space = [](const Options& o) -> int64_t { return o.PulseSpace; };
  auto interval = [](const Options& o) -> int64_t { return o.TimeGridIntervalSec; };
  const CheckCase cases[] = {
      {"WeekStartDay", Dword(7), week, 0},          {"WeekStartDay", Dword(6), week, 6},
      {"WeekStartDay", Dword(0xFFFFFFFF), week, 0}, {"MonthStartDay", Dword(0), month, 1},
      {"MonthStartDay", Dword(32), month, 1},       {"MonthStartDay", Dword(31), month, 31},
      {"TransparentPercent", Dword(5), transparent, 10},
      {"TransparentPercent", Dword(95), transparent, 90},
      {"TransparentPercent", Dword(55), transparent, 55},
      {"TransparentPercent", Dword(uint32_t(-20)), transparent, 10},
      {"NextAlertType", Dword(2), alertType, 0},    {"NextAlertType", Dword(1), alertType, 1},
      {"NextAlertMin", Dword(0), alertMin, 1},      {"NextAlertMin", Dword(uint32_t(-3)), alertMin, 1},
      {"NextAlertMin", Dword(90), alertMin, 90},    {"RateViewMargins", Dword(uint32_t(-1)), margins, 2},
      {"RateViewMargins", Dword(0), margins, 0},    {"PulseWidth", Dword(0), width, 3},
      {"PulseSpace", Dword(uint32_t(-1)), space, 1}, {"PulseSpace", Dword(0), space, 0},
      {"TimeGridIntervalSec", Dword(0), interval, 30},
      {"TimeGridIntervalSec", Dword(10000), interval, 10000},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " = " + std::to_string(AsDword(c.stored)));
    store = MemorySettingsStore();
    Put(c.name, c.stored);
    EXPECT_EQ(c.field(Load()), c.expected);
  }
}

TEST_F(OptionsTest, GraphAndTextBothOffReadAsBothOn) {
  Put("DisplayGraph", Dword(0));
  Put("DisplayText", Dword(0));
  Options o = Load();
  EXPECT_TRUE(o.DisplayGraph);
  EXPECT_TRUE(o.DisplayText);

  Put("DisplayText", Dword(1));
  o = Load();
  EXPECT_FALSE(o.DisplayGraph);
  EXPECT_TRUE(o.DisplayText);
}

TEST_F(OptionsTest, TrayAdapterIdIsUpperCasedAndCutToItsBuffer) {
  Put("STAdpID", Sz("{0000000a-0000-0000-0000-4e6574446576}"));
  EXPECT_EQ(Load().STAdpID, "{0000000A-0000-0000-0000-4E6574446576}");
  Put("STAdpID", Sz(std::string(1000, 'x')));
  EXPECT_EQ(Load().STAdpID, std::string(259, 'X'));
  Put("STAdpID", Bytes({'a', 'b'}, RegType::String));  // no terminator
  EXPECT_EQ(Load().STAdpID, "AB");
}

std::vector<uint8_t> RuleBytes(uint32_t version, int32_t nDays) {
  std::vector<uint8_t> b(1148, 0);
  std::memcpy(&b[0], &version, 4);
  int32_t kind = 100;
  std::memcpy(&b[4], &kind, 4);
  std::memcpy(&b[616], &nDays, 4);
  return b;
}

TEST_F(OptionsTest, RuleVersionDecidesWhetherTheRuleAndNotificationsSurvive) {
  struct Case {
    uint32_t version;
    bool kept;
  } cases[] = {{3, true}, {2, true}, {1, false}, {0, false}, {4, false}};
  for (Case c : cases) {
    SCOPED_TRACE(c.version);
    Put("NotificationEnabled", Dword(1));
    Put("NotificationEx2", Bytes(RuleBytes(c.version, 5)));
    Options o = Load();
    EXPECT_EQ(o.NotificationEnabled, c.kept);
    EXPECT_EQ(o.NotificationEx2.adapterKind, c.kept ? 100 : 0);
    EXPECT_EQ(o.NotificationEx2.nDays, c.kept ? 5 : 1);
  }
}

TEST_F(OptionsTest, RuleDayCountIsRaisedToAtLeastOne) {
  for (int32_t days : {0, -7}) {
    Put("NotificationEx2", Bytes(RuleBytes(3, days)));
    EXPECT_EQ(Load().NotificationEx2.nDays, 1) << days;
  }
}

TEST_F(OptionsTest, HostileValuesNeverReadPastTheirBuffers) {
  // A number stored as a text, as 8 bytes or as 2 bytes keeps its default;
  // four bytes of another type are taken, as a 4-byte read would.
  Put("SumLastDays", Sz("12"));
  Put("PulseSpace", Bytes({1, 0, 0, 0, 0, 0, 0, 0}, RegType::Qword));
  Put("HotkeyChar", Bytes({'Z', 0}));
  Put("DateFormat", Bytes({0x22, 0, 0, 0}));
  Put("GridColor", Bytes({}));
  // Records of the wrong size keep their defaults.
  Put("TitleFont", Bytes(std::vector<uint8_t>(59, 0x41)));
  Put("WndPosition", Bytes(std::vector<uint8_t>(15, 1)));
  Options o = Load();
  EXPECT_EQ(o.SumLastDays, 30);
  EXPECT_EQ(o.PulseSpace, 1);
  EXPECT_EQ(o.HotkeyChar, 77u);
  EXPECT_EQ(o.DateFormat, 0x22u);
  EXPECT_EQ(o.GridColor, 0x9E9E9Eu);
  EXPECT_EQ(o.TitleFont, DefaultOptions(true).TitleFont);
  EXPECT_FALSE(o.hasWindowRect);

  // A full-size font whose face name fills its field is cut inside it.
  Put("RateFont", Bytes(std::vector<uint8_t>(60, 'A')));
  EXPECT_EQ(Load().RateFont.FaceName(), std::string(31, 'A'));
}

TEST_F(OptionsTest, ShortAndLongRuleValuesTakeTheBytesThatFitWithTextsTerminated) {
  std::vector<uint8_t> shortRule = RuleBytes(3, 2);
  shortRule.resize(272);  // version .. the first bytes of the limit text
  shortRule[268] = '7';
  Put("NotificationEnabled", Dword(1));
  Put("NotificationEx2", Bytes(shortRule));
  Options o = Load();
  EXPECT_TRUE(o.NotificationEnabled);
  EXPECT_EQ(FieldText(o.NotificationEx2.limitText), "7");
  EXPECT_EQ(o.NotificationEx2.nDays, 1);  // past the stored bytes: zero, raised to 1

  std::vector<uint8_t> longRule(4000, 'x');
  std::memcpy(longRule.data(), RuleBytes(2, 3).data(), 8);  // version 2, kind 100
  Put("NotificationEx2", Bytes(longRule));
  o = Load();
  EXPECT_TRUE(o.NotificationEnabled);
  EXPECT_EQ(FieldText(o.NotificationEx2.adapterId), std::string(259, 'x'));
  EXPECT_EQ(FieldText(o.NotificationEx2.limitText), std::string(63, 'x'));
  EXPECT_EQ(FieldText(o.NotificationEx2.program), std::string(259, 'x'));

  Put("NotificationEx2", Bytes({}));  // present but empty: version 0
  EXPECT_FALSE(Load().NotificationEnabled);
}

TEST_F(OptionsTest, AKeyThatCannotBeCreatedWritesNothingAndLoadingKeepsDefaults) {
  store.set_fail_writes(true);
  EXPECT_FALSE(SaveOptions(store, kUser, DefaultOptions(true), kSaveAll));
  EXPECT_TRUE(store.writes().empty());
  EXPECT_EQ(Load().DateFormat, 17u);
}

TEST_F(OptionsTest, FirstRunAndWindowHandle) {
  EXPECT_TRUE(IsFirstRun(store, kUser));
  ASSERT_TRUE(ClearFirstRun(store, kUser));
  EXPECT_FALSE(IsFirstRun(store, kUser));

  uint32_t handle = 0;
  EXPECT_FALSE(ReadMainWindowHandle(store, kUser, handle));
  Options o = DefaultOptions(true);
  o.mainWindowHandle = 0x000A01B2;
  SaveOptions(store, kUser, o, kSaveHandle);
  ASSERT_TRUE(ReadMainWindowHandle(store, kUser, handle));
  EXPECT_EQ(handle, 0x000A01B2u);
}

TEST(RegistryLayoutNames, AdapterKeysAreKindHyphenId) {
  EXPECT_EQ(AdapterKeyPath(300, "{00000002-0000-0000-0000-4E6574446576}"),
            "Software\\Quellmark\\AdaptersEx\\300-{00000002-0000-0000-0000-4E6574446576}");
  EXPECT_EQ(AdapterKeyPath(100, ""), "Software\\Quellmark\\AdaptersEx\\100-");
}

}  // namespace
}  // namespace qm
