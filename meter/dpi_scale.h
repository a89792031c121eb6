#pragma once
// Pixel sizes given for a 96-DPI screen, scaled to the screen's DPI. The
// desktop program declares itself DPI-aware, so the system no longer
// stretches its windows: fonts and layout given in pixels grow here.

#include "meter/graph_settings.h"

namespace qm {

constexpr int kDefaultDpi = 96;

// value × dpi / 96, rounded half away from zero like the system's MulDiv,
// and held to the range of int. A DPI of 0 or less counts as 96.
int ScaleToDpi(int value, int dpi);

// The settings with every font height scaled to the DPI; the layout counts
// line heights from them, so the text and its bands grow together.
GraphViewSettings ScaledToDpi(const GraphViewSettings& settings, int dpi);
ViewFont ScaledToDpi(const ViewFont& font, int dpi);

// The height stored for a font chosen on a screen of `dpi`: its pixels on
// a 96-DPI screen, since the graph scales stored heights to the screen.
// Taken from the chosen size in tenths of a point when the chooser gives
// one, else from its logical height (either sign); always positive.
int FontHeightAt96Dpi(int pointTenths, int logicalHeight, int dpi);

}  // namespace qm
