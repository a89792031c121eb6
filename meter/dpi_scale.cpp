#include "meter/dpi_scale.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace qm {

int ScaleToDpi(int value, int dpi) {
  if (dpi <= 0) dpi = kDefaultDpi;
  const int64_t product = int64_t(value) * dpi;
  const int64_t half = kDefaultDpi / 2;
  const int64_t scaled = product >= 0 ? (product + half) / kDefaultDpi : -((-product + half) / kDefaultDpi);
  if (scaled > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (scaled < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return int(scaled);
}

int FontHeightAt96Dpi(int pointTenths, int logicalHeight, int dpi) {
  if (dpi <= 0) dpi = kDefaultDpi;
  // A point is 1/72 inch: 96/72 pixels at 96 DPI.
  const int64_t numerator = pointTenths > 0 ? int64_t(pointTenths) * kDefaultDpi : std::abs(int64_t(logicalHeight)) * kDefaultDpi;
  const int64_t denominator = pointTenths > 0 ? 720 : dpi;
  const int64_t height = (numerator + denominator / 2) / denominator;
  return int(std::min<int64_t>(height, std::numeric_limits<int>::max()));
}

ViewFont ScaledToDpi(const ViewFont& font, int dpi) {
  ViewFont scaled = font;
  scaled.height = ScaleToDpi(font.height, dpi);
  return scaled;
}

GraphViewSettings ScaledToDpi(const GraphViewSettings& settings, int dpi) {
  GraphViewSettings scaled = settings;
  for (ViewFont& font : scaled.fonts) font = ScaledToDpi(font, dpi);
  return scaled;
}

}  // namespace qm
