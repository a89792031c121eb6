#pragma once
// The ranges of the options typed as numbers. Reading keeps a stored value
// inside its range (anything else reads as the default) and the options
// pages refuse a typed value outside it, so what a page accepts is what
// the next start reads back.

#include <cstdint>

namespace qm {

struct NumberRange {
  int32_t low;
  int32_t high;
  int32_t fallback;  // what a stored value outside the range reads as
  bool Holds(int64_t v) const { return v >= low && v <= high; }
};

// Graph & Text page. The graph divides by the column step and the grid
// interval, and a height outside 50..100 % leaves the scale off the plot.
inline constexpr NumberRange kRateHeightPercentRange{50, 100, 95};
inline constexpr NumberRange kPulseWidthRange{1, 1000, 3};
inline constexpr NumberRange kPulseSpaceRange{0, 1000, 1};
inline constexpr NumberRange kTimeGridIntervalRange{1, 10000, 30};

// General page. Any margin is safe: past the client size it only hides the
// graph, so there is no upper end.
inline constexpr NumberRange kRateViewMarginsRange{0, INT32_MAX, 2};

}  // namespace qm
