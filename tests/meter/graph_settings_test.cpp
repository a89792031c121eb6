#include "meter/graph_settings.h"

#include <gtest/gtest.h>

#include "settings/options.h"

namespace qm {
namespace {

// Several options share a default (title background and grid, scale and
// rate text), so only distinct values show that each reaches its own place.
TEST(GraphViewSettingsFromOptions, EachOptionReachesItsOwnSetting) {
  Options o;
  struct ColourCase {
    uint32_t Options::*option;
    GraphColor color;
  } colours[] = {
      {&Options::GraphBkgColor, GraphColor::GraphBackground}, {&Options::DownColor, GraphColor::Download},
      {&Options::UpColor, GraphColor::Upload},                {&Options::BothDownUpColor, GraphColor::Overlap},
      {&Options::AvgDownLineColor, GraphColor::AvgDownLine},  {&Options::AvgUpLineColor, GraphColor::AvgUpLine},
      {&Options::BorderColor, GraphColor::Border},            {&Options::GridColor, GraphColor::ScaleGrid},
      {&Options::TimeGridColor, GraphColor::TimeGrid},        {&Options::TitleBkgColor, GraphColor::TitleBackground},
      {&Options::TitleTextColor, GraphColor::TitleText},      {&Options::ScaleTextColor, GraphColor::ScaleText},
      {&Options::RateBkgColor, GraphColor::RateBackground},   {&Options::RateTextColor, GraphColor::RateText},
      {&Options::TimeTextColor, GraphColor::TimeText},
  };
  static_assert(std::size(colours) == size_t(GraphColor::Count));
  for (size_t i = 0; i < std::size(colours); ++i) o.*colours[i].option = 0x010000u * uint32_t(i + 1);
  o.TitleFont = MakeFont("Arial", -20, 800);
  o.ScaleFont = MakeFont("Verdana", 9, 400);
  o.ScaleFont.lfItalic = 1;
  o.TimeGridLineStyle = 4;
  o.ScaleGridLineStyle = 9;  // not a pen style: solid
  o.GraphStyle = 0;
  o.DispAvgDownLine = true;
  o.TimeTextOnTop = false;

  const GraphViewSettings s(o);
  for (size_t i = 0; i < std::size(colours); ++i)
    EXPECT_EQ(s.ColorOf(colours[i].color), 0x010000u * uint32_t(i + 1)) << "colour " << i;
  EXPECT_EQ(s.Font(FontRole::Title), (ViewFont{"Arial", -20, 800, false, false, false, 0}));
  EXPECT_EQ(s.Font(FontRole::Scale), (ViewFont{"Verdana", 9, 400, true, false, false, 0}));
  EXPECT_EQ(s.Font(FontRole::Time).weight, 700);
  EXPECT_EQ(s.timeGridStyle, PenStyle::DashDotDot);
  EXPECT_EQ(s.scaleGridStyle, PenStyle::Solid);
  EXPECT_EQ(s.style, GraphStyle::Line);
  EXPECT_TRUE(s.Flag(GraphFlag::AvgDownLine));
  EXPECT_FALSE(s.Flag(GraphFlag::AvgUpLine));
  EXPECT_FALSE(s.Flag(GraphFlag::TimeTextAtTop));
  EXPECT_TRUE(s.Flag(GraphFlag::TimeGridOnTop));
}

}  // namespace
}  // namespace qm
