#include "meter/dpi_scale.h"

#include <cstdint>
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
