#include "meter/graph_settings.h"

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

GraphViewSettings::GraphViewSettings() {
  using F = GraphFlag;
  for (F f : {F::ShowTitle, F::ShowGraph, F::ShowScaleGrid, F::ShowScale, F::ShowText,
              F::ShowMaxInText, F::TextInGraphColors, F::ShowTimeGrid, F::ShowTimeText,
              F::TimeGridOnTop, F::TimeTextAtTop}) {
    SetFlag(f, true);
  }
  using C = GraphColor;
  SetColor(C::GraphBackground, 0xDEDBAD);
  SetColor(C::ScaleGrid, 0x9E9E9E);
  SetColor(C::Download, 0x0000FF);
  SetColor(C::Upload, 0x00CC00);
  SetColor(C::Overlap, 0x00FFFF);
  SetColor(C::AvgDownLine, 0x000080);
  SetColor(C::AvgUpLine, 0x006400);
  SetColor(C::TitleBackground, 0x9E9E9E);
  SetColor(C::TitleText, 0xFFFFFF);
  SetColor(C::ScaleText, 0x000000);
  SetColor(C::RateText, 0x000000);
  SetColor(C::RateBackground, 0xFFFFFF);
  SetColor(C::Border, 0x333333);
  SetColor(C::TimeGrid, 0x6E6E6E);
  SetColor(C::TimeText, 0x3C3C3C);

  fonts[size_t(FontRole::Title)] = {"Tahoma", 13, 700};
  fonts[size_t(FontRole::Rate)] = {"Tahoma", 13, 400};
  fonts[size_t(FontRole::Scale)] = {"Tahoma", 12, 400};
  fonts[size_t(FontRole::Time)] = {"Tahoma", 12, 700};
}

}  // namespace qm
