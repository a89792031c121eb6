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

}  // namespace
}  // namespace qm
