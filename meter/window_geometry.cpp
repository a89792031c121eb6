#include "meter/window_geometry.h"

#include <algorithm>

namespace qm {

int TransparencyAlpha(int percent) {
  percent = std::clamp(percent, 0, 100);
  return (100 - percent) * 255 / 100;
}

Rect BottomRightPlacement(const Rect& window, const Rect& workArea, int vScrollWidth, int hScrollHeight) {
  const int right = workArea.right - vScrollWidth;
  const int bottom = workArea.bottom - hScrollHeight;
  return {right - window.Width(), bottom - window.Height(), right, bottom};
}

Rect GrowForMargins(const Rect& window, int clientWidth, int clientHeight, int margin) {
  Rect out = window;
  const int least = 2 * std::clamp(margin, 0, 65535) + 1;
  if (clientWidth < least) out.right += least - clientWidth;
  if (clientHeight < least) out.bottom += least - clientHeight;
  return out;
}

}  // namespace qm
