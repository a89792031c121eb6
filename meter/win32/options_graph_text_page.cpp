#include "meter/win32/options_graph_text_page.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "meter/dpi_scale.h"
#include "meter/options_checks.h"
#include "meter/win32/rate_graph_view.h"
#include "meter/win32/options_controls.h"
#include "meter/win32/resource.h"
#include "settings/option_limits.h"
#include "uikit/choosers.h"

namespace qm {
namespace {

struct ColourButton {
  int control;
  uint32_t Options::*option;
};
constexpr ColourButton kColours[15] = {
    {IDC_OPT_COLOR_DOWN, &Options::DownColor},
    {IDC_OPT_COLOR_UP, &Options::UpColor},
    {IDC_OPT_COLOR_BOTH, &Options::BothDownUpColor},
    {IDC_OPT_COLOR_AVG_DOWN, &Options::AvgDownLineColor},
    {IDC_OPT_COLOR_AVG_UP, &Options::AvgUpLineColor},
    {IDC_OPT_COLOR_BACKGROUND, &Options::GraphBkgColor},
    {IDC_OPT_COLOR_BORDER, &Options::BorderColor},
    {IDC_OPT_COLOR_TITLE_BKG, &Options::TitleBkgColor},
    {IDC_OPT_COLOR_TITLE_TEXT, &Options::TitleTextColor},
    {IDC_OPT_COLOR_RATE_BKG, &Options::RateBkgColor},
    {IDC_OPT_COLOR_RATE_TEXT, &Options::RateTextColor},
    {IDC_OPT_COLOR_SCALE_GRID, &Options::GridColor},
    {IDC_OPT_COLOR_SCALE_TEXT, &Options::ScaleTextColor},
    {IDC_OPT_COLOR_TIME_GRID, &Options::TimeGridColor},
    {IDC_OPT_COLOR_TIME_TEXT, &Options::TimeTextColor},
};

struct FontButton {
  int control;
  LogFontRecord Options::*option;
};
constexpr FontButton kFonts[] = {
    {IDC_OPT_FONT_TITLE, &Options::TitleFont},
    {IDC_OPT_FONT_RATE, &Options::RateFont},
    {IDC_OPT_FONT_SCALE, &Options::ScaleFont},
    {IDC_OPT_FONT_TIME, &Options::TimeTextFont},
};

// The drop-down lists and the number each one sets.
struct ListChoice {
  int control;
  int32_t Options::*option;
  ListItems (*items)();
};
constexpr ListChoice kLists[] = {
    {IDC_OPT_GRAPH_STYLE, &Options::GraphStyle, GraphStyleItems},
    {IDC_OPT_SCALE_GRID_STYLE, &Options::ScaleGridLineStyle, GridLineStyleItems},
    {IDC_OPT_TIME_GRID_STYLE, &Options::TimeGridLineStyle, GridLineStyleItems},
    {IDC_OPT_TIME_FORMAT, &Options::TimeFormat, TimeFormatItems},
};

// The number boxes; each spin runs over what the page accepts.
struct NumberBox {
  int control;
  int spin;
  int32_t Options::*option;
  const NumberRange& range;
};
constexpr NumberBox kNumbers[] = {
    {IDC_OPT_HEIGHT_PERCENT, IDC_OPT_HEIGHT_PERCENT_SPIN, &Options::RateHeightPercent, kRateHeightPercentRange},
    {IDC_OPT_PULSE_WIDTH, IDC_OPT_PULSE_WIDTH_SPIN, &Options::PulseWidth, kPulseWidthRange},
    {IDC_OPT_PULSE_SPACE, IDC_OPT_PULSE_SPACE_SPIN, &Options::PulseSpace, kPulseSpaceRange},
    {IDC_OPT_TIME_GRID_INTERVAL, IDC_OPT_TIME_GRID_INTERVAL_SPIN, &Options::TimeGridIntervalSec,
     kTimeGridIntervalRange},
};

}  // namespace

COptGraphTextPage::COptGraphTextPage(const Options& options)
    : OptionsPage(IDD_OPT_GRAPH_TEXT, OPTIONS_PAGE_GRAPH_TEXT), values_(options) {}

bool COptGraphTextPage::OnInitPage() {
  for (size_t i = 0; i < swatches_.size(); ++i) swatches_[i].Attach(Item(kColours[i].control), values_.*kColours[i].option);
  for (const ListChoice& l : kLists) {
    const ListItems items = l.items();
    FillCombo(Item(l.control), items);
    SelectComboIndex(Item(l.control), IndexOfValue(items, values_.*l.option, 0));
  }
  for (const NumberBox& n : kNumbers) {
    SendDlgItemMessageA(hwnd_, n.spin, UDM_SETRANGE32, WPARAM(n.range.low), LPARAM(n.range.high));
    SetDlgItemTextA(hwnd_, n.control, std::to_string(values_.*n.option).c_str());
  }
  return true;
}

void COptGraphTextPage::ShowColours() {
  for (size_t i = 0; i < swatches_.size(); ++i) swatches_[i].SetColor(values_.*kColours[i].option);
}

void COptGraphTextPage::ChooseColour(size_t index) {
  COLORREF colour = values_.*kColours[index].option;
  if (!ChooseColorFor(hwnd_, colour) || colour == values_.*kColours[index].option) return;
  values_.*kColours[index].option = colour;
  swatches_[index].SetColor(colour);
  MarkChanged();
}

void COptGraphTextPage::ChooseFont(LogFontRecord& font) {
  static_assert(sizeof(LOGFONTA) == sizeof(LogFontRecord));
  // Stored heights are pixels at 96 DPI; the chooser works on this screen.
  const int dpi = ScreenDpi();
  LOGFONTA chosen;
  std::memcpy(&chosen, &font, sizeof chosen);
  chosen.lfHeight = -ScaleToDpi(std::abs(font.lfHeight), dpi);
  int pointTenths = 0;
  if (!ChooseScreenFont(hwnd_, chosen, pointTenths)) return;
  chosen.lfHeight = FontHeightAt96Dpi(pointTenths, chosen.lfHeight, dpi);
  std::memcpy(&font, &chosen, sizeof font);
  font.lfFaceName[sizeof font.lfFaceName - 1] = 0;
  MarkChanged();
}

bool COptGraphTextPage::OnCommand(int id, int code, HWND) {
  for (size_t i = 0; i < swatches_.size(); ++i) {
    if (kColours[i].control != id) continue;
    if (code == BN_CLICKED) ChooseColour(i);
    return true;
  }
  for (const FontButton& f : kFonts) {
    if (f.control != id) continue;
    if (code == BN_CLICKED) ChooseFont(values_.*f.option);
    return true;
  }
  for (const ListChoice& l : kLists) {
    if (l.control != id) continue;
    if (code == CBN_SELCHANGE) MarkChanged();
    return true;
  }
  for (const NumberBox& n : kNumbers) {
    if (n.control != id) continue;
    if (code == EN_CHANGE) MarkChanged();
    return true;
  }
  if (id == IDC_OPT_COLORS_DEFAULT && code == BN_CLICKED) {
    SetDefaultColours(values_);
    ShowColours();
    MarkChanged();
    return true;
  }
  if (id == IDC_OPT_FONTS_DEFAULT && code == BN_CLICKED) {
    SetDefaultFonts(values_);
    MarkChanged();
    return true;
  }
  return false;
}

bool COptGraphTextPage::OnMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
  if (msg != WM_DRAWITEM) return false;
  const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
  for (const ColorSwatchButton& swatch : swatches_)
    if (swatch.Draw(item)) {
      result = TRUE;
      return true;
    }
  return false;
}

std::optional<OptionsPage::Refused> COptGraphTextPage::ReadAndCheck() {
  GraphTextPageInput in{WindowText(Item(IDC_OPT_HEIGHT_PERCENT)), WindowText(Item(IDC_OPT_PULSE_WIDTH)),
                        WindowText(Item(IDC_OPT_PULSE_SPACE)), WindowText(Item(IDC_OPT_TIME_GRID_INTERVAL))};
  GraphTextNumbers numbers;
  if (const auto refusal = CheckGraphTextPage(in, numbers)) {
    const int control = refusal->field == GraphTextField::HeightPercent ? IDC_OPT_HEIGHT_PERCENT
                        : refusal->field == GraphTextField::ColumnWidth ? IDC_OPT_PULSE_WIDTH
                        : refusal->field == GraphTextField::ColumnSpace ? IDC_OPT_PULSE_SPACE
                                                                        : IDC_OPT_TIME_GRID_INTERVAL;
    return Refused{control, refusal->message};
  }
  values_.RateHeightPercent = numbers.heightPercent;
  values_.PulseWidth = numbers.columnWidth;
  values_.PulseSpace = numbers.columnSpace;
  values_.TimeGridIntervalSec = numbers.timeGridInterval;
  for (const ListChoice& l : kLists) {
    const ListItems items = l.items();
    values_.*l.option = int32_t(ComboValue(Item(l.control)).value_or(items.front().value));
  }
  return std::nullopt;
}

}  // namespace qm
