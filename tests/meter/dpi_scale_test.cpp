#include "meter/dpi_scale.h"

#include <gtest/gtest.h>

#include <limits>

namespace qm {
namespace {

TEST(ScaleToDpi, RoundsLikeMulDivAndHoldsTheRange) {
  constexpr int kMax = std::numeric_limits<int>::max(), kMin = std::numeric_limits<int>::min();
  const struct {
    int value, dpi, expected;
  } cases[] = {
      {13, 96, 13},   {13, 144, 20},  {-11, 144, -17}, {12, 120, 15},  {13, 192, 26},
      {1, 144, 2},    {0, 144, 0},    {-1, 144, -2},   {13, 0, 13},    {13, -5, 13},
      {kMax, 144, kMax}, {kMin, 144, kMin}, {kMax, 96, kMax},
  };
  for (const auto& c : cases) EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;
}

TEST(ScaleToDpi, ScalesEveryFontOfTheViewAndNothingElse) {
  GraphViewSettings settings;
  settings.fonts[0].height = 13;
  settings.fonts[1].height = -12;
  settings.pulseWidth = 3;
  const GraphViewSettings scaled = ScaledToDpi(settings, 144);
  EXPECT_EQ(scaled.fonts[0].height, 20);
  EXPECT_EQ(scaled.fonts[1].height, -18);
  EXPECT_EQ(scaled.fonts[0].face, settings.fonts[0].face);
  EXPECT_EQ(scaled.pulseWidth, 3);
  EXPECT_EQ(ScaledToDpi(settings, 96), settings);
  EXPECT_EQ(ScaledToDpi(settings, 144).fonts[0].LineHeight(), 20);
}

// The chooser hands back a 10-point font as 13 pixels at 96 DPI and 20 at
// 144; both must be stored alike, or the graph, which scales the stored
// height up again, would show the font half as large again at 144 DPI.
TEST(FontHeightAt96Dpi, StoresTheSamePointSizeAlikeOnEveryScreen) {
  const struct {
    int pointTenths, logicalHeight, dpi, expected;
  } cases[] = {
      {100, -13, 96, 13}, {100, -20, 144, 13}, {100, -17, 120, 13}, {100, -27, 192, 13},
      {80, -11, 96, 11},  {80, -16, 144, 11},  {90, -18, 144, 12},  {110, -22, 144, 15},
      {720, -144, 144, 96},
      // No point size from the chooser: the logical height, either sign, scaled back.
      {0, -20, 144, 13},  {0, 20, 144, 13},    {-1, -13, 96, 13},   {0, -26, 192, 13},
      {0, -13, 0, 13},    {0, std::numeric_limits<int>::min(), 96, std::numeric_limits<int>::max()},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FontHeightAt96Dpi(c.pointTenths, c.logicalHeight, c.dpi), c.expected)
        << c.pointTenths << " tenths, height " << c.logicalHeight << " at " << c.dpi;
}

TEST(FontHeightAt96Dpi, ComesBackToTheChosenPixelsOnTheScreen) {
  // Stored at 144 DPI, drawn at 144 DPI: the pixels the chooser showed.
  for (int points = 6; points <= 36; ++points) {
    const int chosen = (points * 144 + 36) / 72;
    EXPECT_NEAR(ScaleToDpi(FontHeightAt96Dpi(points * 10, -chosen, 144), 144), chosen, 1) << points << " points";
  }
}

}  // namespace
}  // namespace qm
