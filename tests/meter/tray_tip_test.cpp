#include "meter/tray_tip.h"

#include <gtest/gtest.h>

#include "format/amount.h"
#include "tests/meter/raster_canvas.h"

namespace qm {
namespace {

using test::RasterCanvas;

// 12500 B/s down and nothing up, in bits: "Dw: 100.0 kbps  Up: 0 bps".
TrayTipInput Input(size_t nameLength, size_t ipLength) {
  TrayTipInput in;
  in.name = std::string(nameLength, 'n');
  in.ip = std::string(ipLength, '1');
  in.newest = {12500, 0, 0, 0};
  return in;
}

std::string Rates() { return "Dw: " + FormatRate(12500, false) + "  Up: " + FormatRate(0, false); }

TEST(TrayTip, NameIsCutSoThatTheTipFitsSixtyThreeCharacters) {
  ASSERT_EQ(Rates().size(), 25u);
  const std::string rates = Rates();
  struct Case {
    const char* what;
    TrayTipInput in;
    std::string tip;
  } cases[] = {
      {"both fit", Input(10, 13), std::string(10, 'n') + " [" + std::string(13, '1') + "]\n" + rates},
      {"name cut to 21", Input(30, 13), std::string(21, 'n') + " [" + std::string(13, '1') + "]\n" + rates},
      {"no room for a name", Input(30, 34), std::string(34, '1') + "\n" + rates},
      {"no room for the address", Input(30, 35), rates},
      {"name alone cut", Input(60, 0), std::string(37, 'n') + "\n" + rates},
      {"address alone", Input(0, 13), std::string(13, '1') + "\n" + rates},
      {"address too long", Input(0, 38), rates},
  };
  for (const Case& c : cases) EXPECT_EQ(BuildTrayTip(c.in), c.tip) << c.what;
  EXPECT_EQ(BuildTrayTip(Input(30, 13)).size(), 63u);

  TrayTipInput off = Input(30, 13);
  off.showName = off.showIp = false;
  EXPECT_EQ(BuildTrayTip(off), rates);
  off.unitBytes = true;
  EXPECT_EQ(BuildTrayTip(off), "Dw: " + FormatRate(12500, true) + "  Up: " + FormatRate(0, true));
}

TEST(TrayTip, EveryTipFitsTheRecord) {
  for (size_t name = 0; name <= 80; name += 3)
    for (size_t ip = 0; ip <= 70; ip += 1) {
      TrayTipInput in = Input(name, ip);
      in.newest = {4000000000u, 4000000000u, 0, 0};
      EXPECT_LE(BuildTrayTip(in).size(), kTrayTipMax) << name << " " << ip;
    }
  EXPECT_EQ(CutTrayTip(std::string(80, 'x')), std::string(63, 'x'));
  EXPECT_EQ(CutTrayTip("short"), "short");
}

TEST(TrayIcon, StaticIconFollowsTheNewestSample) {
  EXPECT_EQ(StaticTrayIconIndex({0, 0, 9, 9}), 0);
  EXPECT_EQ(StaticTrayIconIndex({0, 1, 0, 0}), 1);
  EXPECT_EQ(StaticTrayIconIndex({5, 0, 0, 0}), 2);
  EXPECT_EQ(StaticTrayIconIndex({5, 1, 0, 0}), 3);
}

const MiniatureColors kColors{0xDEDBAD, 0x0000FF, 0x00CC00, 0x00FFFF, 0x808080, 0xFFFFFF};

TEST(TrayMiniature, ColumnsStackOverlapUnderDownload) {
  SampleHistory h;
  for (int i = 0; i < 20; ++i) h.push_back({1, 1, 0, 0});
  h.push_front({1000, 500, 0, 0});
  RasterCanvas c(16, 16);
  DrawTrayMiniature(c, h, 1000, true, kColors);
  // Newest at x = 14: 7 pixels of overlap from row 14 up, then 7 of download.
  EXPECT_EQ(c.CountInColumn(14, 8, 15, kColors.overlap), 7);
  EXPECT_EQ(c.CountInColumn(14, 1, 8, kColors.download), 7);
  // Tiny rates give no height; 14 columns at most, the frame stays.
  EXPECT_EQ(c.CountInColumn(13, 1, 15, kColors.background), 14);
  EXPECT_EQ(c.At(0, 5), kColors.shadow);
  EXPECT_EQ(c.At(5, 0), kColors.shadow);
  EXPECT_EQ(c.At(15, 5), kColors.highlight);
  EXPECT_EQ(c.At(5, 15), kColors.highlight);
}

TEST(TrayMiniature, ZeroScaleLeavesColumnsOutAndLinesOnRowFourteen) {
  SampleHistory h(20, RateSample{300, 200, 0, 0});
  RasterCanvas columns(16, 16);
  DrawTrayMiniature(columns, h, 0, true, kColors);
  for (int x = 1; x <= 14; ++x) EXPECT_EQ(columns.CountInColumn(x, 1, 15, kColors.background), 14);

  RasterCanvas lines(16, 16);
  DrawTrayMiniature(lines, h, 0, false, kColors);
  auto down = lines.LinesOf(kColors.download);
  ASSERT_EQ(down.size(), 1u);
  ASSERT_EQ(down[0].points.size(), 15u);
  for (const Point& p : down[0].points) EXPECT_EQ(p.y, 14);
  EXPECT_EQ(down[0].points.front().x, 14);
  EXPECT_EQ(down[0].points.back().x, 0);
}

TEST(TrayMiniature, LinesRiseToRowOneAtTheScaleMaximum) {
  SampleHistory h{{2000, 500, 0, 0}, {0, 0, 0, 0}};
  RasterCanvas c(16, 16);
  DrawTrayMiniature(c, h, 1000, false, kColors);
  auto down = c.LinesOf(kColors.download);
  auto up = c.LinesOf(kColors.upload);
  ASSERT_EQ(down.size(), 1u);
  EXPECT_EQ(down[0].points, (std::vector<Point>{{14, 1}, {13, 14}}));
  EXPECT_EQ(up[0].points, (std::vector<Point>{{14, 8}, {13, 14}}));
}

}  // namespace
}  // namespace qm
