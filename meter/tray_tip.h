#pragma once
// The notification-area icon's tip and its 16 x 16 live miniature graph.

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/rate_sample.h"
#include "meter/canvas.h"

namespace qm {

// The notification-icon record holds 63 characters and a terminator.
constexpr size_t kTrayTipMax = 63;

struct TrayTipInput {
  std::string name;  // the adapter's display name
  std::string ip;    // its address, possibly empty
  RateSample newest;
  bool unitBytes = false;
  bool showName = true;
  bool showIp = true;
};

// Name and address (when wanted) on the first line, "Dw: ...  Up: ..." on
// the second, the name shortened so that the whole fits into 63 characters.
std::string BuildTrayTip(const TrayTipInput& input);

// The tip as the notification-icon record stores it: at most 63 characters.
std::string CutTrayTip(const std::string& tip);

struct MiniatureColors {
  Color background = 0;  // the view's graph background
  Color download = 0;
  Color upload = 0;
  Color overlap = 0;
  Color shadow = 0;     // the system's button shadow
  Color highlight = 0;  // the system's button highlight
};

constexpr int kMiniatureSize = 16;

// Draws the tray miniature into the 16 x 16 square at the canvas origin,
// with the graph view's scale maximum.
void DrawTrayMiniature(Canvas& canvas, const SampleHistory& history, uint32_t scaleMax,
                       bool columns, const MiniatureColors& colors);

// Which of the four static icons (0 idle, 1 upload, 2 download, 3 both)
// stands for the newest sample.
int StaticTrayIconIndex(const RateSample& newest);

}  // namespace qm
