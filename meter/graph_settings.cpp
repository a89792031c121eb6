#include "meter/graph_settings.h"

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
  using F = GraphFlag;
  SetFlag(F::ShowTitle, o.DisplayTitle);
  SetFlag(F::ShowGraph, o.DisplayGraph);
  SetFlag(F::ShowScaleGrid, o.DisplayScaleGrid);
  SetFlag(F::ShowScale, o.DisplayScale);
  SetFlag(F::ShowText, o.DisplayText);
  SetFlag(F::ShowMaxInText, o.DisplayMaxRateInText);
  SetFlag(F::TextInGraphColors, o.TextCrSameAsGraphCr);
  SetFlag(F::AveragesInText, o.DispAvgValuesInText);
  SetFlag(F::UnitBytes, o.DisplayUnitByte);
  SetFlag(F::AvgDownLine, o.DispAvgDownLine);
  SetFlag(F::AvgUpLine, o.DispAvgUpLine);
  SetFlag(F::ShowTimeGrid, o.DisplayTimeGrid);
  SetFlag(F::ShowTimeText, o.DisplayTimeText);
  SetFlag(F::ScaleGridOnTop, o.ScaleGridOnTop);
  SetFlag(F::TimeGridOnTop, o.TimeGridOnTop);
  SetFlag(F::TimeTextAtTop, o.TimeTextOnTop);

  using C = GraphColor;
  SetColor(C::GraphBackground, o.GraphBkgColor);
  SetColor(C::Download, o.DownColor);
  SetColor(C::Upload, o.UpColor);
  SetColor(C::Overlap, o.BothDownUpColor);
  SetColor(C::AvgDownLine, o.AvgDownLineColor);
  SetColor(C::AvgUpLine, o.AvgUpLineColor);
  SetColor(C::Border, o.BorderColor);
  SetColor(C::ScaleGrid, o.GridColor);
  SetColor(C::TimeGrid, o.TimeGridColor);
  SetColor(C::TitleBackground, o.TitleBkgColor);
  SetColor(C::TitleText, o.TitleTextColor);
  SetColor(C::ScaleText, o.ScaleTextColor);
  SetColor(C::RateBackground, o.RateBkgColor);
  SetColor(C::RateText, o.RateTextColor);
  SetColor(C::TimeText, o.TimeTextColor);

  fonts[size_t(FontRole::Title)] = ViewFontFrom(o.TitleFont);
  fonts[size_t(FontRole::Rate)] = ViewFontFrom(o.RateFont);
  fonts[size_t(FontRole::Scale)] = ViewFontFrom(o.ScaleFont);
  fonts[size_t(FontRole::Time)] = ViewFontFrom(o.TimeTextFont);

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
