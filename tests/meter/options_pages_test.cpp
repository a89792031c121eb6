// The options pages' portable side: the list items and their lookups, the
// number boxes, the checks in their order with the field that gets the
// focus, the defaults of the Graph & Text page, and what the meter window
// decides from a page's values.

#include <gtest/gtest.h>

#include <functional>

#include "meter/options_checks.h"
#include "meter/options_lists.h"
#include "meter/window_geometry.h"
#include "tests/fakes/memory_settings_store.h"

namespace qm {
namespace {

TEST(TransparencyList, OffersNinetyDownToTenPercentVisibleAsTransparency) {
  const ListItems items = TransparencyItems();
  ASSERT_EQ(items.size(), 17u);
  EXPECT_EQ(items.front().text, "90% visible");
  EXPECT_EQ(items.front().value, 10);
  EXPECT_EQ(items[1].text, "85% visible");
  EXPECT_EQ(items.back().text, "10% visible");
  EXPECT_EQ(items.back().value, 90);
  // The item for 10 % visible makes the window alpha 25.
  EXPECT_EQ(TransparencyAlpha(int(items.back().value)), 25);
  EXPECT_EQ(IndexOfValue(items, 30, kTransparencyFallbackIndex), 4);
  EXPECT_EQ(IndexOfValue(items, 12, kTransparencyFallbackIndex), 1);  // 85 % visible
}

TEST(OptionLists, SelectTheStoredValueOrTheirFallback) {
  EXPECT_EQ(IndexOfValue(DateFormatItems(), 102, 0), 3);
  EXPECT_EQ(IndexOfValue(DateFormatItems(), 5, 0), 0);
  EXPECT_EQ(IndexOfValue(WeekDayItems(), 6, 0), 6);
  EXPECT_EQ(IndexOfValue(MonthDayItems(), 31, 0), 30);
  EXPECT_EQ(IndexOfValue(HotkeyLetterItems(), 'M', -1), 12);
  EXPECT_EQ(IndexOfValue(HotkeyLetterItems(), '1', -1), -1);  // no selection outside A to Z
  EXPECT_EQ(IndexOfValue(GridLineStyleItems(), 2, 0), 0);    // "Dot" first
  EXPECT_EQ(IndexOfValue(GraphStyleItems(), 0, 0), 1);
  EXPECT_EQ(DateFormatItems()[6].text, "YYYY.MM.DD");
  EXPECT_EQ(DateFormatItems()[6].value, 85);
}

TEST(ConnectionTypes, MatchAPresetExactlyOrSpecifyTheSpeed) {
  const ListItems items = ConnectionTypeItems();
  ASSERT_EQ(items.size(), 16u);
  EXPECT_EQ(ConnectionTypeIndex(0), 0);
  EXPECT_EQ(ConnectionTypeIndex(1544000), 10);
  EXPECT_EQ(items[10].text, "1.544 mbps (T1, DSL, Cable Modem)");
  EXPECT_EQ(ConnectionTypeIndex(100000000), 14);
  EXPECT_EQ(ConnectionTypeIndex(1000000), 15);  // no preset: "Specify Speed"
  EXPECT_EQ(items[15].value, kSpecifySpeed);
}

TEST(NumberBoxes, TakeWholeNumbersOfThirtyTwoBitsOnly) {
  const struct { const char* text; std::optional<int32_t> value; } cases[] = {
      {"0", 0}, {" 12 ", 12}, {"-3", -3}, {"+7", 7}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
      {"", std::nullopt}, {"-", std::nullopt}, {"1.5", std::nullopt}, {"abc", std::nullopt}, {"12a", std::nullopt},
      {"2147483648", std::nullopt}, {"99999999999999999999", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(ParseInteger(c.text), c.value) << c.text;
}

TEST(CustomSpeed, ReadsTheLeadingDigitsUpToTheLargestSpeed) {
  const struct { const char* text; uint32_t speed; } cases[] = {
      {"1000000", 1000000}, {"12ab", 12}, {"", 0}, {"x1", 0}, {"99999999999", 2147483647}, {"2147483647", 2147483647}};
  for (const auto& c : cases) EXPECT_EQ(LeadingSpeed(c.text), c.speed) << c.text;
}

TEST(GeneralPageChecks, RefuseInOrderWithTheFieldToFocus) {
  struct Case {
    GeneralPageInput in;
    std::optional<GeneralField> field;
    const char* message;
  };
  const Case cases[] = {
      {{true, -1, "-1", false, false}, GeneralField::Transparency, "You must select a transparency percent value."},
      {{false, -1, "2", true, true}, std::nullopt, ""},  // no list without layered windows
      {{true, 0, "-1", false, false}, GeneralField::Margins,
       "The margins for rate view must be greater than or equal to 0."},
      {{true, 0, "two", true, true}, GeneralField::Margins, "Please enter an integer."},
      {{true, 0, "0", false, false}, GeneralField::Graph, "At least either graph or text should be displayed."},
      {{true, 0, "0", false, true}, std::nullopt, ""},
      {{true, 0, "1000", true, false}, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    int32_t margins = -99;
    const auto refusal = CheckGeneralPage(c.in, margins);
    ASSERT_EQ(refusal.has_value(), c.field.has_value()) << c.in.margins;
    if (refusal) {
      EXPECT_EQ(refusal->field, *c.field);
      EXPECT_EQ(refusal->message, c.message);
    } else {
      EXPECT_EQ(margins, *ParseInteger(c.in.margins));
    }
  }
}

TEST(HotkeyChanges, FollowWhatIsRegisteredNotWhatTheOptionSaid) {
  // On with a letter another program held: the same letter is tried again.
  EXPECT_EQ(HotkeyChangeFor(false, 'M', true, 'M'), HotkeyChange::Register);
  EXPECT_EQ(HotkeyChangeFor(true, 'M', false, 'Q'), HotkeyChange::Unregister);
  EXPECT_EQ(HotkeyChangeFor(true, 'M', true, 'Q'), HotkeyChange::Reregister);
  EXPECT_EQ(HotkeyChangeFor(true, 'M', true, 'M'), HotkeyChange::None);
  EXPECT_EQ(HotkeyChangeFor(false, 'M', false, 'Q'), HotkeyChange::None);
}

TEST(CalendarChanges, RestartOnlyTheRuleThatCountsInThatPeriod) {
  NotificationRule rule{};
  Options before, weekMoved, monthMoved;
  weekMoved.WeekStartDay = 1;
  monthMoved.MonthStartDay = 15;
  rule.period = kPeriodWeek;
  EXPECT_TRUE(CalendarChangeRestartsRule(true, rule, before, weekMoved));
  EXPECT_FALSE(CalendarChangeRestartsRule(true, rule, before, monthMoved));
  EXPECT_FALSE(CalendarChangeRestartsRule(false, rule, before, weekMoved));
  rule.period = kPeriodMonth;
  EXPECT_TRUE(CalendarChangeRestartsRule(true, rule, before, monthMoved));
  rule.period = kPeriodLastDays;
  EXPECT_FALSE(CalendarChangeRestartsRule(true, rule, before, monthMoved));
}

TEST(GraphTextPageChecks, RefuseInOrderWithTheFieldToFocus) {
  struct Case {
    GraphTextPageInput in;
    std::optional<GraphTextField> field;
    const char* message;
  };
  const Case cases[] = {
      {{"49", "0", "x", "0"}, GraphTextField::HeightPercent,
       "The maximum graph rate height percent ranges from 50 to 100."},
      {{"101", "3", "1", "30"}, GraphTextField::HeightPercent,
       "The maximum graph rate height percent ranges from 50 to 100."},
      {{"9x", "3", "1", "30"}, GraphTextField::HeightPercent, "Please enter an integer."},
      {{"50", "0", "x", "0"}, GraphTextField::ColumnWidth, "The pulse width must be greater than 0."},
      {{"100", "1", "x", "0"}, GraphTextField::TimeGridInterval, "The time grid interval must be greater than 0."},
      {{"100", "1", "x", "1"}, GraphTextField::ColumnSpace, "Please enter an integer."},
      {{"100", "1001", "1", "1"}, GraphTextField::ColumnWidth, "The pulse width must not be greater than 1000."},
      {{"100", "1", "1", "10001"}, GraphTextField::TimeGridInterval,
       "The time grid interval must not be greater than 10000."},
      {{"100", "1", "-5", "1"}, GraphTextField::ColumnSpace, "The pulse space must be greater than or equal to 0."},
      {{"100", "1", "1001", "1"}, GraphTextField::ColumnSpace, "The pulse space must not be greater than 1000."},
      {{"100", "1000", "-5", "10000"}, GraphTextField::ColumnSpace,
       "The pulse space must be greater than or equal to 0."},
      {{"100", "1000", "1000", "10000"}, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    GraphTextNumbers n;
    const auto refusal = CheckGraphTextPage(c.in, n);
    ASSERT_EQ(refusal.has_value(), c.field.has_value()) << c.in.heightPercent << " " << c.in.columnWidth;
    if (refusal) {
      EXPECT_EQ(refusal->field, *c.field);
      EXPECT_EQ(refusal->message, c.message);
    } else {
      EXPECT_EQ(n.heightPercent, 100);
      EXPECT_EQ(n.columnWidth, 1000);
      EXPECT_EQ(n.columnSpace, 1000);
      EXPECT_EQ(n.timeGridInterval, 10000);
    }
  }
}

// Whatever a page accepts must come back unchanged at the next start, and
// whatever the next start would reset, the page must refuse.
TEST(NumberBoxes, AcceptExactlyWhatTheNextStartReadsBack) {
  struct Box {
    const char* name;
    int32_t Options::*option;
    std::function<bool(const std::string&, int32_t&)> accepts;
  };
  auto graphText = [](std::string GraphTextPageInput::*box, int32_t GraphTextNumbers::*number) {
    return [=](const std::string& typed, int32_t& out) {
      GraphTextPageInput in{"95", "3", "1", "30"};
      in.*box = typed;
      GraphTextNumbers n;
      if (CheckGraphTextPage(in, n)) return false;
      out = n.*number;
      return true;
    };
  };
  const Box boxes[] = {
      {"RateViewMargins", &Options::RateViewMargins,
       [](const std::string& typed, int32_t& out) { return !CheckGeneralPage({false, -1, typed, true, true}, out); }},
      {"RateHeightPercent", &Options::RateHeightPercent,
       graphText(&GraphTextPageInput::heightPercent, &GraphTextNumbers::heightPercent)},
      {"PulseWidth", &Options::PulseWidth, graphText(&GraphTextPageInput::columnWidth, &GraphTextNumbers::columnWidth)},
      {"PulseSpace", &Options::PulseSpace, graphText(&GraphTextPageInput::columnSpace, &GraphTextNumbers::columnSpace)},
      {"TimeGridIntervalSec", &Options::TimeGridIntervalSec,
       graphText(&GraphTextPageInput::timeGridInterval, &GraphTextNumbers::timeGridInterval)},
  };
  const int32_t typed[] = {INT32_MIN, -1, 0, 1, 49, 50, 100, 101, 999, 1000, 1001, 5000, 9999, 10000, 10001, INT32_MAX};
  for (const Box& box : boxes) {
    for (int32_t value : typed) {
      SCOPED_TRACE(std::string(box.name) + " = " + std::to_string(value));
      int32_t accepted = 0;
      const bool pageAccepts = box.accepts(std::to_string(value), accepted);
      Options saved = DefaultOptions(true);
      saved.*box.option = value;
      MemorySettingsStore store;
      ASSERT_TRUE(SaveOptions(store, RegRoot::CurrentUser, saved, kSaveAll));
      Options read = DefaultOptions(true);
      LoadOptions(store, RegRoot::CurrentUser, read);
      EXPECT_EQ(pageAccepts, read.*box.option == value);
      if (pageAccepts) {
        EXPECT_EQ(accepted, value);
      }
    }
  }
}

TEST(GraphTextDefaults, AreTheColoursOfTheFirstStartAndTahomaThirteen) {
  Options o;
  const Options fresh;
  o.DownColor = o.UpColor = o.GraphBkgColor = o.TimeGridColor = 0x123456;
  SetDefaultColours(o);
  for (auto colour : {&Options::GraphBkgColor, &Options::GridColor, &Options::DownColor, &Options::UpColor,
                      &Options::BothDownUpColor, &Options::AvgDownLineColor, &Options::AvgUpLineColor,
                      &Options::TitleBkgColor, &Options::TitleTextColor, &Options::ScaleTextColor,
                      &Options::RateTextColor, &Options::RateBkgColor, &Options::BorderColor,
                      &Options::TimeGridColor, &Options::TimeTextColor})
    EXPECT_EQ(o.*colour, fresh.*colour);
  SetDefaultFonts(o);
  EXPECT_EQ(o.TitleFont, MakeFont("Tahoma", 13, kFontWeightBold));
  EXPECT_EQ(o.RateFont, fresh.RateFont);
  // Unlike the first start: height 13 and normal weight for these two.
  EXPECT_EQ(o.ScaleFont, MakeFont("Tahoma", 13, kFontWeightNormal));
  EXPECT_EQ(o.TimeTextFont, MakeFont("Tahoma", 13, kFontWeightNormal));
}

std::vector<AdapterRow> Rows() {
  return {{100, "", "All Connections", "All Connections", "", 0, true},
          {200, "", "Dial-Up Connections", "Dial-Up Connections", "", 0, false},
          {300, "{A}", "Office", "eth0", "198.51.100.2", 1000000, false},
          {300, "{B}", "Old card", "", "", 0, true}};
}

TEST(AdaptersPageChecks, RefuseInOrderAndTakeTheTicksAndTheTrayAdapter) {
  std::vector<AdapterRow> rows = Rows();
  int32_t kind = 0;
  std::string id;
  AdaptersPageInput in{true, -1, {true, false, false, false}};
  auto refusal = CheckAdaptersPage(in, rows, kind, id);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->field, AdaptersField::TrayAdapter);
  EXPECT_EQ(refusal->message, "Please select an adapter for system tray.");

  in.trayAdapterIndex = 2;
  rows[3].displayName.clear();
  refusal = CheckAdaptersPage(in, rows, kind, id);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->message, "The adapter name must not be empty.");
  EXPECT_EQ(refusal->field, AdaptersField::AdapterList);

  rows = Rows();
  in.checked = {false, false, false, false};
  refusal = CheckAdaptersPage(in, rows, kind, id);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->message, "At least one adapter should be monitored.");

  in.checked = {false, true, true, false};
  ASSERT_FALSE(CheckAdaptersPage(in, rows, kind, id));
  EXPECT_EQ(kind, 300);
  EXPECT_EQ(id, "{A}");
  EXPECT_EQ((std::vector<bool>{rows[0].monitored, rows[1].monitored, rows[2].monitored, rows[3].monitored}),
            (std::vector<bool>{false, true, true, false}));

  // Without the tray icon no tray adapter is needed, and the old one stays.
  in = {false, -1, {true, false, false, false}};
  ASSERT_FALSE(CheckAdaptersPage(in, rows, kind, id));
  EXPECT_EQ(kind, 300);
}

TEST(AdaptersPage, FindsTheTrayAdapterResetsNamesAndOrdersViewChanges) {
  std::vector<AdapterRow> rows = Rows();
  EXPECT_EQ(TrayAdapterIndex(rows, 200, "ANYTHING"), 1);  // pseudo adapters by kind alone
  EXPECT_EQ(TrayAdapterIndex(rows, 300, "{B}"), 3);
  EXPECT_EQ(TrayAdapterIndex(rows, 300, "{C}"), -1);

  ResetAdapterNames(rows);
  EXPECT_EQ(rows[2].displayName, "eth0");
  EXPECT_EQ(rows[3].displayName, "Old card");  // the system does not report it now

  rows[0].monitored = false;
  rows[1].monitored = true;
  rows[2].monitored = true;
  rows[3].monitored = false;
  const MonitoredChanges changes = MonitoredChangesBetween({true, false, false, true}, rows);
  EXPECT_EQ(changes.shown, (std::vector<size_t>{1, 2}));
  EXPECT_EQ(changes.hidden, (std::vector<size_t>{0, 3}));
}

}  // namespace
}  // namespace qm
