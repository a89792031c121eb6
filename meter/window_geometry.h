#pragma once
// The meter window's own arithmetic: its first place on the screen, the
// least size its margins need, and the alpha of its transparency.

#include "meter/canvas.h"

namespace qm {

// Opacity for a transparency in percent (held to 0..100): 10 gives 229,
// 90 gives 25, 0 gives 255.
int TransparencyAlpha(int percent);

// A first start: the window keeps its size and sits at the bottom-right of
// the work area, one scroll-bar width from its right and one scroll-bar
// height from its bottom edge.
Rect BottomRightPlacement(const Rect& window, const Rect& workArea, int vScrollWidth, int hScrollHeight);

// The window widened and heightened so that its client area holds twice
// the margin plus one pixel.
Rect GrowForMargins(const Rect& window, int clientWidth, int clientHeight, int margin);

}  // namespace qm
