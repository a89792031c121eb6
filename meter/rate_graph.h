#pragma once
// The rate graph of one adapter, apart from any window: layout of the title,
// graph and rate bands, the automatic or fixed scale, the scrolling time
// grid, and the drawing of every layer onto a Canvas. The Win32 view feeds
// it sizes, settings and ticks and gives it a canvas to draw on.

#include <cstdint>
#include <string>

#include "engine/rate_sample.h"
#include "meter/canvas.h"
#include "meter/graph_settings.h"

namespace qm {

struct GraphLayout {
  Rect titleBand;
  Rect titleText;
  Rect rateBand;
  Rect rateText;
  Rect graphBand;
  Rect scale;
  Rect plot;
  int h100 = 0;  // plot pixels that the scale maximum reaches
};

// What a setter asks of the view when the change is to be shown at once.
enum class Repaint { None, Redraw, Relayout };

class RateGraph {
 public:
  // The history belongs to the adapter; the graph only reads it. It may be
  // null, which draws as an empty history.
  explicit RateGraph(const SampleHistory* history = nullptr);

  // Settings. Each setter stores the value and says what it would take to
  // show it; values out of their range are corrected or ignored.
  const GraphViewSettings& Settings() const { return settings_; }
  void ApplySettings(const GraphViewSettings& settings);  // then Relayout
  Repaint SetFlag(GraphFlag flag, bool on);
  Repaint SetColor(GraphColor which, Color color);
  Repaint SetFont(FontRole role, const ViewFont& font);
  Repaint SetGraphStyle(GraphStyle style);
  Repaint SetPulse(int width, int space);
  Repaint SetTimeGridInterval(int seconds);
  Repaint SetRateHeightPercent(int percent);
  Repaint SetTimeFormat(int format);
  Repaint SetGridStyles(PenStyle scaleGrid, PenStyle timeGrid);
  // 0 bits per second: automatic scale; otherwise the scale is fixed.
  Repaint SetConnectionSpeed(uint32_t bitsPerSecond);
  void SetTwelveHourClock(bool on) { twelveHour_ = on; }
  // True when the title changed.
  bool SetTitle(const std::string& title);
  const std::string& Title() const { return title_; }

  // Restarts the time grid at the right edge, its spacing taken afresh from
  // the pulse and the interval (also for views that were moved).
  void ResetTimeGrid();

  // The scale labels' width depends on the scale font and the unit; it is
  // measured again on the next Relayout that has a canvas to measure with.
  bool LabelWidthStale() const { return labelWidthStale_; }
  void MeasureLabelWidth(Canvas& canvas);

  void SetSize(int width, int height) { width_ = width, height_ = height; }
  // Computes the layout and the scale. The caller draws afterwards.
  void Relayout();
  // The tick put a new sample at the head of the history: scroll the time
  // grid and keep the scale up to date. The caller draws afterwards.
  void AddSample();
  // Draws every layer. `localNow` is the local time in seconds (any epoch
  // whose multiples of 86400 fall on midnight).
  void Draw(Canvas& canvas, int64_t localNow) const;

  const GraphLayout& Layout() const { return layout_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  uint32_t ScaleMaximum() const { return scaleMax_; }
  uint32_t DisplayedMaximum() const { return displayedMax_; }
  bool FixedScale() const { return fixed_; }
  int VisibleSamples() const { return visible_; }
  int GridPhase() const { return phase_; }
  int GridCounter() const { return counter_; }
  int GridLimit() const { return limit_; }
  int ScaleLines() const { return scaleLines_; }
  int ScaleSpacing() const { return scaleSpacing_; }
  int LabelWidth() const { return labelWidth_; }

 private:
  int Step() const { return settings_.pulseWidth + settings_.pulseSpace; }
  int ScaleFontHeight() const;
  uint32_t Peak(const RateSample& s) const;
  void RecomputeScale();
  void ComputeLayout();
  int ColumnHeight(uint32_t v) const;
  int LinePointY(uint32_t v) const;

  void DrawTitle(Canvas& c) const;
  void DrawGraphBand(Canvas& c) const;
  void DrawScaleLabels(Canvas& c) const;
  void DrawScaleGrid(Canvas& c) const;
  void DrawTimeGrid(Canvas& c) const;
  void DrawColumns(Canvas& c) const;
  void DrawLine(Canvas& c, const Pen& pen, uint32_t RateSample::*value) const;
  void DrawAverageLines(Canvas& c) const;
  void DrawTimeText(Canvas& c, int64_t localNow) const;
  void DrawRateBand(Canvas& c) const;
  void DrawRateText(Canvas& c) const;

  const SampleHistory* history_;
  GraphViewSettings settings_;
  std::string title_;
  bool twelveHour_ = true;

  bool fixed_ = false;
  uint32_t scaleMax_ = 0;
  uint32_t displayedMax_ = 0;
  int visible_ = 0;

  int limit_ = 0;
  int phase_ = 0;
  int counter_ = 0;

  int width_ = 0;
  int height_ = 0;
  int labelWidth_ = 0;
  bool labelWidthStale_ = true;
  int scaleLines_ = 0;
  int scaleSpacing_ = 0;
  GraphLayout layout_;
};

// The time label of a grid line; hour 0 stands for noon and midnight on the
// 12-hour clock.
std::string FormatGridTime(int64_t localSeconds, int format, bool twelveHour);

}  // namespace qm
