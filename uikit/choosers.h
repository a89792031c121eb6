#pragma once
// The system's colour and font choosers as the options use them.

#include <windows.h>

namespace qm {

// The colour chooser fully opened, starting at `color`. True with the
// user's choice in `color`; false (and `color` untouched) when cancelled.
// The custom colours are kept for the life of the process.
bool ChooseColorFor(HWND owner, COLORREF& color);

// The font chooser with screen fonts only, no vertical fonts and no script
// selection, starting from `font`. True with the choice in `font` and its
// size in tenths of a point in `pointTenths`.
bool ChooseScreenFont(HWND owner, LOGFONTA& font, int& pointTenths);

}  // namespace qm
