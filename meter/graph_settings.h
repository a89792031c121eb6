#pragma once
// Everything a rate graph view is told by the meter window: display flags,
// graph style numbers, colours and fonts, all taken from the options.

#include <array>
#include <cstdint>
#include <string>

#include "meter/canvas.h"

namespace qm {

// A font as the options describe it (the parts of a logical-font record the
// drawing uses). An empty face means "not given": the view makes its default.
struct ViewFont {
  std::string face;
  int32_t height = 0;  // negative: character height, positive: cell height
  int32_t weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  uint8_t charSet = 1;  // the system's default character set

  // Height of one line of text, as the layout counts it. A corrupt record
  // may hold any height: beyond the tallest possible window (16 bits of
  // pixels) it lays out the same, and the layout's sums cannot overflow.
  int LineHeight() const {
    const int64_t h = height < 0 ? -int64_t(height) : int64_t(height);
    return int(h < kMaxLineHeight ? h : kMaxLineHeight);
  }
  static constexpr int kMaxLineHeight = 65535;
  friend bool operator==(const ViewFont&, const ViewFont&) = default;
};

ViewFont DefaultViewFont(FontRole role);

enum class GraphFlag : int {
  ShowTitle,
  ShowGraph,
  ShowScaleGrid,
  ShowScale,
  ShowText,
  ShowMaxInText,
  TextInGraphColors,
  AveragesInText,
  UnitBytes,
  AvgDownLine,
  AvgUpLine,
  ShowTimeGrid,
  ShowTimeText,
  ScaleGridOnTop,
  TimeGridOnTop,
  TimeTextAtTop,
  Count
};

// Whether changing the flag moves something in the layout (or the scale).
bool FlagChangesLayout(GraphFlag flag);

enum class GraphColor : int {
  GraphBackground,
  Download,
  Upload,
  Overlap,
  AvgDownLine,
  AvgUpLine,
  Border,
  ScaleGrid,
  TimeGrid,
  TitleBackground,
  TitleText,
  ScaleText,
  RateBackground,
  RateText,
  TimeText,
  Count
};

enum class GraphStyle : int { Line = 0, Columns = 1 };

struct Options;

struct GraphViewSettings {
  std::array<bool, size_t(GraphFlag::Count)> flags{};
  std::array<Color, size_t(GraphColor::Count)> colors{};
  std::array<ViewFont, kFontRoleCount> fonts{};

  GraphStyle style = GraphStyle::Columns;
  int pulseWidth = 0;          // pixels per sample
  int pulseSpace = 0;          // pixels between samples
  int timeGridInterval = 0;    // samples between time grid lines
  int rateHeightPercent = 0;   // share of the plot the scale maximum reaches
  int timeFormat = 0;          // 0 "H:MM:SS", 1 "H:MM", 2 "MM:SS"
  PenStyle scaleGridStyle = PenStyle::Solid;
  PenStyle timeGridStyle = PenStyle::Solid;

  // The built-in option defaults.
  GraphViewSettings();
  // What the options say; the one place that turns options into view settings.
  explicit GraphViewSettings(const Options& options);

  bool Flag(GraphFlag f) const { return flags[size_t(f)]; }
  void SetFlag(GraphFlag f, bool on) { flags[size_t(f)] = on; }
  Color ColorOf(GraphColor c) const { return colors[size_t(c)]; }
  void SetColor(GraphColor c, Color value) { colors[size_t(c)] = value; }
  const ViewFont& Font(FontRole role) const { return fonts[size_t(role)]; }
  friend bool operator==(const GraphViewSettings&, const GraphViewSettings&) = default;
};

}  // namespace qm
