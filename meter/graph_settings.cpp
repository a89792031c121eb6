#include "meter/graph_settings.h"

#include <iterator>

#include "settings/options.h"

namespace qm {

PenStyle PenStyleFromNumber(int number) {
  return number >= 0 && number <= 4 ? PenStyle(number) : PenStyle::Solid;
}

ViewFont DefaultViewFont(FontRole role) {
  ViewFont font;
  font.face = "Tahoma";
  font.height = 13;
  font.weight = role == FontRole::Title ? 700 : 400;
  return font;
}

bool FlagChangesLayout(GraphFlag flag) {
  switch (flag) {
    case GraphFlag::ShowTitle:
    case GraphFlag::ShowGraph:
    case GraphFlag::ShowScale:
    case GraphFlag::ShowText:
    case GraphFlag::UnitBytes:
    case GraphFlag::AvgDownLine:
    case GraphFlag::AvgUpLine:
      return true;
    default:
      return false;
  }
}

namespace {

// The options behind each flag, colour and font, in the order of GraphFlag,
// GraphColor and FontRole.
constexpr bool Options::*kFlagOptions[] = {
    &Options::DisplayTitle,         &Options::DisplayGraph,        &Options::DisplayScaleGrid,
    &Options::DisplayScale,         &Options::DisplayText,         &Options::DisplayMaxRateInText,
    &Options::TextCrSameAsGraphCr,  &Options::DispAvgValuesInText, &Options::DisplayUnitByte,
    &Options::DispAvgDownLine,      &Options::DispAvgUpLine,       &Options::DisplayTimeGrid,
    &Options::DisplayTimeText,      &Options::ScaleGridOnTop,      &Options::TimeGridOnTop,
    &Options::TimeTextOnTop,
};
constexpr uint32_t Options::*kColorOptions[] = {
    &Options::GraphBkgColor,  &Options::DownColor,      &Options::UpColor,       &Options::BothDownUpColor,
    &Options::AvgDownLineColor, &Options::AvgUpLineColor, &Options::BorderColor, &Options::GridColor,
    &Options::TimeGridColor,  &Options::TitleBkgColor,  &Options::TitleTextColor, &Options::ScaleTextColor,
    &Options::RateBkgColor,   &Options::RateTextColor,  &Options::TimeTextColor,
};
constexpr LogFontRecord Options::*kFontOptions[] = {
    &Options::TitleFont, &Options::RateFont, &Options::ScaleFont, &Options::TimeTextFont,
};
static_assert(std::size(kFlagOptions) == size_t(GraphFlag::Count));
static_assert(std::size(kColorOptions) == size_t(GraphColor::Count));
static_assert(std::size(kFontOptions) == size_t(kFontRoleCount));

ViewFont ViewFontFrom(const LogFontRecord& record) {
  ViewFont font;
  font.face = record.FaceName();
  font.height = record.lfHeight;
  font.weight = record.lfWeight;
  font.italic = record.lfItalic != 0;
  font.underline = record.lfUnderline != 0;
  font.strikeOut = record.lfStrikeOut != 0;
  font.charSet = record.lfCharSet;
  return font;
}

}  // namespace

GraphViewSettings::GraphViewSettings() : GraphViewSettings(Options{}) {}

GraphViewSettings::GraphViewSettings(const Options& o) {
  for (size_t i = 0; i < flags.size(); ++i) flags[i] = o.*kFlagOptions[i];
  for (size_t i = 0; i < colors.size(); ++i) colors[i] = o.*kColorOptions[i];
  for (size_t i = 0; i < fonts.size(); ++i) fonts[i] = ViewFontFrom(o.*kFontOptions[i]);
  style = o.GraphStyle == 0 ? GraphStyle::Line : GraphStyle::Columns;
  pulseWidth = o.PulseWidth;
  pulseSpace = o.PulseSpace;
  timeGridInterval = o.TimeGridIntervalSec;
  rateHeightPercent = o.RateHeightPercent;
  timeFormat = o.TimeFormat;
  scaleGridStyle = PenStyleFromNumber(o.ScaleGridLineStyle);
  timeGridStyle = PenStyleFromNumber(o.TimeGridLineStyle);
}

}  // namespace qm
