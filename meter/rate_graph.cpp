#include "meter/rate_graph.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

#include "format/amount.h"

namespace qm {
namespace {

Rect Inset(const Rect& r, int dx, int dy) {
  return {r.left + dx, r.top + dy, r.right - dx, r.bottom - dy};
}

// Text rectangle inside a band: 3 pixels in from the sides, 2 from top and
// bottom, nothing when the band is too small to hold any text.
Rect BandText(const Rect& band) {
  if (band.Height() < 5 || band.Width() < 7) return {};
  return Inset(band, 3, 2);
}

uint32_t MaxRate(const RateSample& s) { return std::max(s.download, s.upload); }

}  // namespace

std::string FormatGridTime(int64_t localSeconds, int format, bool twelveHour) {
  int64_t day = localSeconds % 86400;
  if (day < 0) day += 86400;
  int hour = int(day / 3600), minute = int(day / 60 % 60), second = int(day % 60);
  if (twelveHour) hour %= 12;
  char text[32];
  switch (format) {
    case 1: std::snprintf(text, sizeof text, "%d:%02d", hour, minute); break;
    case 2: std::snprintf(text, sizeof text, "%02d:%02d", minute, second); break;
    default: std::snprintf(text, sizeof text, "%d:%02d:%02d", hour, minute, second); break;
  }
  return text;
}

RateGraph::RateGraph(const SampleHistory* history) : history_(history) { ResetTimeGrid(); }

// ---- settings ---------------------------------------------------------------

void RateGraph::ApplySettings(const GraphViewSettings& settings) {
  const GraphViewSettings old = settings_;
  settings_ = settings;
  // A zero step or interval would stall the grid and column loops.
  settings_.pulseWidth = std::max(1, settings_.pulseWidth);
  settings_.pulseSpace = std::max(0, settings_.pulseSpace);
  settings_.timeGridInterval = std::max(1, settings_.timeGridInterval);
  for (int role = 0; role < kFontRoleCount; ++role)
    if (settings_.fonts[size_t(role)].face.empty())
      settings_.fonts[size_t(role)] = DefaultViewFont(FontRole(role));
  if (settings.rateHeightPercent < 50 || settings.rateHeightPercent > 100)
    settings_.rateHeightPercent = old.rateHeightPercent;
  if (settings_.pulseWidth != old.pulseWidth || settings_.pulseSpace != old.pulseSpace ||
      settings_.timeGridInterval != old.timeGridInterval)
    ResetTimeGrid();
  if (settings_.Font(FontRole::Scale) != old.Font(FontRole::Scale) ||
      settings_.Flag(GraphFlag::UnitBytes) != old.Flag(GraphFlag::UnitBytes))
    labelWidthStale_ = true;
}

Repaint RateGraph::SetFlag(GraphFlag flag, bool on) {
  if (flag == GraphFlag::UnitBytes && on != settings_.Flag(flag)) labelWidthStale_ = true;
  settings_.SetFlag(flag, on);
  return FlagChangesLayout(flag) ? Repaint::Relayout : Repaint::Redraw;
}

Repaint RateGraph::SetColor(GraphColor which, Color color) {
  settings_.SetColor(which, color);
  return Repaint::Redraw;
}

Repaint RateGraph::SetFont(FontRole role, const ViewFont& font) {
  settings_.fonts[size_t(role)] = font.face.empty() ? DefaultViewFont(role) : font;
  if (role == FontRole::Scale) labelWidthStale_ = true;
  // Title, rate and scale fonts size the bands; the time font only draws.
  return role == FontRole::Time ? Repaint::Redraw : Repaint::Relayout;
}

Repaint RateGraph::SetGraphStyle(GraphStyle style) {
  settings_.style = style;
  return Repaint::Redraw;
}

Repaint RateGraph::SetPulse(int width, int space) {
  width = std::max(1, width);
  space = std::max(0, space);
  if (width == settings_.pulseWidth && space == settings_.pulseSpace) return Repaint::None;
  settings_.pulseWidth = width;
  settings_.pulseSpace = space;
  ResetTimeGrid();
  return Repaint::Relayout;  // the visible sample count follows the step
}

Repaint RateGraph::SetTimeGridInterval(int seconds) {
  seconds = std::max(1, seconds);
  if (seconds == settings_.timeGridInterval) return Repaint::None;
  settings_.timeGridInterval = seconds;
  ResetTimeGrid();
  return Repaint::Redraw;
}

Repaint RateGraph::SetRateHeightPercent(int percent) {
  if (percent < 50 || percent > 100) return Repaint::None;
  settings_.rateHeightPercent = percent;
  return Repaint::Relayout;
}

Repaint RateGraph::SetTimeFormat(int format) {
  settings_.timeFormat = format;
  return Repaint::Redraw;
}

Repaint RateGraph::SetGridStyles(PenStyle scaleGrid, PenStyle timeGrid) {
  settings_.scaleGridStyle = scaleGrid;
  settings_.timeGridStyle = timeGrid;
  return Repaint::Redraw;
}

Repaint RateGraph::SetConnectionSpeed(uint32_t bitsPerSecond) {
  fixed_ = bitsPerSecond != 0;
  if (fixed_) scaleMax_ = std::max<uint32_t>(1, bitsPerSecond / 8);
  return Repaint::Relayout;
}

bool RateGraph::SetTitle(const std::string& title) {
  if (title == title_) return false;
  title_ = title;
  return true;
}

void RateGraph::ResetTimeGrid() {
  limit_ = settings_.timeGridInterval * Step() - settings_.pulseSpace;
  phase_ = limit_;
  counter_ = settings_.timeGridInterval - 1;
}

void RateGraph::MeasureLabelWidth(Canvas& canvas) {
  const char* widest = settings_.Flag(GraphFlag::UnitBytes) ? "999.9 MB/s" : "999.9 mbps";
  labelWidth_ = canvas.TextWidth(FontRole::Scale, widest) + 5;
  labelWidthStale_ = false;
}

int RateGraph::ScaleFontHeight() const {
  // A zero height (the font's default size) must not divide by zero.
  return std::max(1, settings_.Font(FontRole::Scale).LineHeight());
}

// ---- scale ------------------------------------------------------------------

uint32_t RateGraph::Peak(const RateSample& s) const {
  uint32_t peak = MaxRate(s);
  if (settings_.Flag(GraphFlag::AvgDownLine)) peak = std::max(peak, s.averageDownload);
  if (settings_.Flag(GraphFlag::AvgUpLine)) peak = std::max(peak, s.averageUpload);
  return peak;
}

void RateGraph::RecomputeScale() {
  uint32_t shown = 0, peak = 0;
  if (history_) {
    const size_t n = std::min(history_->size(), size_t(visible_));
    for (size_t i = 0; i < n; ++i) {
      const RateSample& s = (*history_)[i];
      shown = std::max(shown, MaxRate(s));
      peak = std::max(peak, Peak(s));
    }
  }
  displayedMax_ = shown;
  if (!fixed_) scaleMax_ = peak;
}

void RateGraph::AddSample() {
  phase_ += Step();
  if (phase_ > limit_) phase_ = settings_.pulseWidth;
  if (++counter_ >= settings_.timeGridInterval) counter_ = 0;

  if (!history_ || history_->empty()) return;
  const RateSample& s = history_->front();
  const RateSample* leaving =
      history_->size() > size_t(visible_) ? &(*history_)[size_t(visible_)] : nullptr;

  if (fixed_) {
    const bool downRaised = s.download > displayedMax_;
    if (downRaised) displayedMax_ = s.download;
    if (s.upload > displayedMax_) {
      displayedMax_ = s.upload;
    } else if (!downRaised && leaving && MaxRate(*leaving) >= displayedMax_) {
      RecomputeScale();
    }
    return;
  }
  // The displayed maximum follows the rates even when an average line holds
  // the scale maximum above them, so the sample leaving the visible period
  // may have held either maximum.
  scaleMax_ = std::max(scaleMax_, Peak(s));
  displayedMax_ = std::max(displayedMax_, MaxRate(s));
  if (leaving && (Peak(*leaving) >= scaleMax_ || MaxRate(*leaving) >= displayedMax_))
    RecomputeScale();
}

// ---- layout -----------------------------------------------------------------

void RateGraph::Relayout() {
  const int W = width_;
  const bool showGraph = settings_.Flag(GraphFlag::ShowGraph);
  const bool showScale = settings_.Flag(GraphFlag::ShowScale);
  const int lw = labelWidth_;

  visible_ = 0;
  if (W > 2) {
    const int a = showScale && showGraph && lw + 3 < W ? W - (lw + 3) : W - 2;
    visible_ = (a + Step() - 1) / Step();
  }
  RecomputeScale();
  ComputeLayout();
}

void RateGraph::ComputeLayout() {
  const int W = width_, H = height_;
  const bool showGraph = settings_.Flag(GraphFlag::ShowGraph);
  const bool showText = settings_.Flag(GraphFlag::ShowText);
  const int ht = settings_.Font(FontRole::Title).LineHeight();
  const int hr = settings_.Font(FontRole::Rate).LineHeight();
  const int hs = ScaleFontHeight();
  const int lw = labelWidth_;

  GraphLayout l;
  if (W <= 0 || H <= 0) {
    layout_ = l;
    return;
  }
  int d = 0;
  if (settings_.Flag(GraphFlag::ShowTitle)) {
    l.titleBand = {0, 0, W, std::min(ht + 4, H)};
    d = l.titleBand.bottom - 1;
    l.titleText = BandText(l.titleBand);
  }
  if (l.titleBand.bottom >= H) {
    layout_ = l;
    return;
  }
  if (showText) {
    const int below = H - hr - 4;
    const int top = showGraph && below >= d ? below : d;
    l.rateBand = {0, top, W, H};
    l.rateText = BandText(l.rateBand);
    if (!l.rateText.IsEmpty() && l.rateText.Height() > hr) {
      const int extra = (l.rateText.Height() - hr) / 2;
      l.rateText.top += extra;
      l.rateText.bottom -= extra;
    }
  }
  if (showGraph) {
    if (!showText)
      l.graphBand = {0, d, W, H};
    else if (d < l.rateBand.top)
      l.graphBand = {0, d, W, l.rateBand.top + 1};
  }
  if (l.graphBand.Height() > 2 && W > 2) {
    const Rect& band = l.graphBand;
    if (settings_.Flag(GraphFlag::ShowScale) && lw + 3 < W) {
      l.scale = {1, band.top + 1, lw + 1, band.bottom - 1};
      const int t = l.scale.Height() / hs;
      scaleLines_ = t > 6 ? (t - 6) / 3 + 6 : t < 1 ? 1 : t;
      scaleSpacing_ = std::max(0, (l.scale.Height() - hs / 2) / scaleLines_);
      l.plot = {lw + 2, band.top + 1, W - 1, band.bottom - 1};
    } else {
      // The grid keeps the line count and spacing of the last scale.
      l.plot = Inset(band, 1, 1);
    }
    l.h100 = l.plot.Height() * settings_.rateHeightPercent / 100;
  }
  layout_ = l;
}

// ---- drawing ----------------------------------------------------------------

int RateGraph::ColumnHeight(uint32_t v) const {
  const int full = layout_.h100;
  if (scaleMax_ == 0 || full <= 0) return 0;
  const double h = double(v) / double(scaleMax_) * full;
  return h >= full ? full : int(h);
}

int RateGraph::LinePointY(uint32_t v) const {
  const int full = layout_.h100 - 1;
  int h = 0;
  if (scaleMax_ != 0 && full > 0) {
    const double exact = double(v) / double(scaleMax_) * full;
    h = exact >= full ? full : int(exact);
  }
  return layout_.plot.bottom - 1 - h;
}

void RateGraph::Draw(Canvas& c, int64_t localNow) const {
  const GraphLayout& l = layout_;
  const bool scaleGridOnTop = settings_.Flag(GraphFlag::ScaleGridOnTop);
  const bool timeGridOnTop = settings_.Flag(GraphFlag::TimeGridOnTop);
  DrawTitle(c);
  DrawGraphBand(c);
  DrawScaleLabels(c);
  if (!scaleGridOnTop) DrawScaleGrid(c);
  if (!timeGridOnTop) DrawTimeGrid(c);
  if (l.plot.bottom > 0) {
    if (settings_.style == GraphStyle::Line) {
      DrawLine(c, {settings_.ColorOf(GraphColor::Upload)}, &RateSample::upload);
      DrawLine(c, {settings_.ColorOf(GraphColor::Download)}, &RateSample::download);
    } else if (scaleMax_ != 0 && l.h100 > 0) {
      DrawColumns(c);
    }
  }
  DrawAverageLines(c);
  if (scaleGridOnTop) DrawScaleGrid(c);
  if (timeGridOnTop) DrawTimeGrid(c);
  DrawTimeText(c, localNow);
  DrawRateBand(c);
  DrawRateText(c);
}

void RateGraph::DrawTitle(Canvas& c) const {
  const GraphLayout& l = layout_;
  if (l.titleBand.bottom < 1) return;
  c.FillRect(l.titleBand, settings_.ColorOf(GraphColor::TitleBackground));
  c.FrameRect(l.titleBand, {settings_.ColorOf(GraphColor::Border)});
  if (l.titleText.bottom >= 1)
    c.PutText(FontRole::Title, settings_.ColorOf(GraphColor::TitleText), l.titleText, title_,
               {HAlign::Left, VAlign::Top, true});
}

void RateGraph::DrawGraphBand(Canvas& c) const {
  const GraphLayout& l = layout_;
  if (l.graphBand.bottom <= 0) return;
  const Pen border{settings_.ColorOf(GraphColor::Border)};
  c.FillRect(l.graphBand, settings_.ColorOf(GraphColor::GraphBackground));
  c.FrameRect(l.graphBand, border);
  if (l.scale.bottom > 0)
    c.Line(border, {l.scale.right, l.scale.top}, {l.scale.right, l.scale.bottom});
}

void RateGraph::DrawScaleLabels(Canvas& c) const {
  const GraphLayout& l = layout_;
  if (l.scale.bottom <= 0 || l.h100 <= 0) return;
  const Pen border{settings_.ColorOf(GraphColor::Border)};
  const Color text = settings_.ColorOf(GraphColor::ScaleText);
  const bool bytes = settings_.Flag(GraphFlag::UnitBytes);
  const int hs = ScaleFontHeight();
  const double perPixel = double(scaleMax_) / double(l.h100);
  for (int i = 1; i <= scaleLines_; ++i) {
    const int y = l.scale.top + hs / 2 + (i - 1) * scaleSpacing_;
    if (y >= l.scale.bottom) continue;
    c.Line(border, {l.scale.right - 3, y}, {l.scale.right, y});
    const double value = perPixel * double(l.scale.bottom - y);
    const uint32_t label = value >= double(std::numeric_limits<uint32_t>::max())
                               ? std::numeric_limits<uint32_t>::max()
                               : uint32_t(value);
    const Rect r{l.scale.left + 1, y - hs / 2, l.scale.right - 4,
                 std::min(y + hs - hs / 2, l.scale.bottom)};
    c.PutText(FontRole::Scale, text, r, FormatRate(label, bytes), {HAlign::Right, VAlign::Top});
  }
}

void RateGraph::DrawScaleGrid(Canvas& c) const {
  const GraphLayout& l = layout_;
  if (!settings_.Flag(GraphFlag::ShowScaleGrid) || !settings_.Flag(GraphFlag::ShowScale) ||
      l.plot.bottom <= 0)
    return;
  const Pen pen{settings_.ColorOf(GraphColor::ScaleGrid), settings_.scaleGridStyle};
  int y = l.plot.top + ScaleFontHeight() / 2;
  for (int i = 1; i <= scaleLines_ && y < l.plot.bottom; ++i, y += scaleSpacing_)
    c.Line(pen, {l.plot.left, y}, {l.plot.right, y});
}

void RateGraph::DrawTimeGrid(Canvas& c) const {
  const GraphLayout& l = layout_;
  if (!settings_.Flag(GraphFlag::ShowTimeGrid) || !settings_.Flag(GraphFlag::ShowGraph) ||
      l.plot.bottom <= 0)
    return;
  const Pen pen{settings_.ColorOf(GraphColor::TimeGrid), settings_.timeGridStyle};
  const int stride = Step() * settings_.timeGridInterval;
  for (int x = l.plot.right - phase_; x > l.plot.left; x -= stride)
    c.Line(pen, {x, l.plot.top}, {x, l.plot.bottom});
}

void RateGraph::DrawColumns(Canvas& c) const {
  if (!history_) return;
  const GraphLayout& l = layout_;
  const Color down = settings_.ColorOf(GraphColor::Download);
  const Color up = settings_.ColorOf(GraphColor::Upload);
  const Color both = settings_.ColorOf(GraphColor::Overlap);
  const int bottom = l.plot.bottom;
  int r = l.plot.right;
  for (auto it = history_->begin(); it != history_->end() && r > l.plot.left; ++it) {
    const int left = std::max(r - settings_.pulseWidth, l.plot.left);
    const int hd = ColumnHeight(it->download), hu = ColumnHeight(it->upload);
    if (hu < hd) {
      if (hu > 0) c.FillRect({left, bottom - hu, r, bottom}, both);
      c.FillRect({left, bottom - hd, r, bottom - hu}, down);
    } else if (hd < hu) {
      if (hd > 0) c.FillRect({left, bottom - hd, r, bottom}, both);
      c.FillRect({left, bottom - hu, r, bottom - hd}, up);
    } else if (hd > 0) {
      c.FillRect({left, bottom - hd, r, bottom}, both);
    }
    r -= Step();
  }
}

void RateGraph::DrawLine(Canvas& c, const Pen& pen, uint32_t RateSample::*value) const {
  if (!history_ || history_->empty()) return;
  const GraphLayout& l = layout_;
  std::vector<Point> points;
  int x = l.plot.right - 1;
  for (auto it = history_->begin(); it != history_->end(); ++it, x -= Step()) {
    if (it != history_->begin() && x < l.plot.left) break;
    points.push_back({x, LinePointY((*it).*value)});
  }
  c.Polyline(pen, points.data(), points.size());
}

void RateGraph::DrawAverageLines(Canvas& c) const {
  const GraphLayout& l = layout_;
  const bool up = settings_.Flag(GraphFlag::AvgUpLine);
  const bool down = settings_.Flag(GraphFlag::AvgDownLine);
  if (l.plot.bottom <= 0 || scaleMax_ == 0 || l.h100 <= 0 || !(up || down)) return;
  if (up) DrawLine(c, {settings_.ColorOf(GraphColor::AvgUpLine)}, &RateSample::averageUpload);
  if (down)
    DrawLine(c, {settings_.ColorOf(GraphColor::AvgDownLine)}, &RateSample::averageDownload);
}

void RateGraph::DrawTimeText(Canvas& c, int64_t localNow) const {
  const GraphLayout& l = layout_;
  if (!settings_.Flag(GraphFlag::ShowTimeText) || !settings_.Flag(GraphFlag::ShowGraph) ||
      l.plot.bottom <= 0)
    return;
  const Color color = settings_.ColorOf(GraphColor::TimeText);
  const TextFormat format{HAlign::Left,
                          settings_.Flag(GraphFlag::TimeTextAtTop) ? VAlign::Top : VAlign::Bottom};
  const int interval = settings_.timeGridInterval;
  int64_t t = localNow - counter_;
  for (int x = l.plot.right - phase_; l.plot.left < x; x -= Step() * interval, t -= interval) {
    c.PutText(FontRole::Time, color, {x + 4, l.plot.top, l.plot.right, l.plot.bottom},
               FormatGridTime(t, settings_.timeFormat, twelveHour_), format);
  }
}

void RateGraph::DrawRateBand(Canvas& c) const {
  const GraphLayout& l = layout_;
  if (l.rateBand.bottom <= 0) return;
  c.FillRect(l.rateBand, settings_.ColorOf(GraphColor::RateBackground));
  c.FrameRect(l.rateBand, {settings_.ColorOf(GraphColor::Border)});
}

void RateGraph::DrawRateText(Canvas& c) const {
  const Rect& r = layout_.rateText;
  if (r.bottom <= 0 || !history_ || history_->empty()) return;
  const RateSample& s = history_->front();
  const bool bytes = settings_.Flag(GraphFlag::UnitBytes);
  const bool averages = settings_.Flag(GraphFlag::AveragesInText);
  const bool showMax = settings_.Flag(GraphFlag::ShowMaxInText);
  const Color textColor = settings_.ColorOf(GraphColor::RateText);

  const std::string maxPiece = "(Max: " + FormatRate(displayedMax_, bytes) + ")";
  const std::string downPiece = averages ? "Avg Down: " + FormatRate(s.averageDownload, bytes)
                                         : "Down: " + FormatRate(s.download, bytes);
  const std::string upPiece = averages ? "Avg Up: " + FormatRate(s.averageUpload, bytes)
                                       : "Up: " + FormatRate(s.upload, bytes);

  if (!settings_.Flag(GraphFlag::TextInGraphColors)) {
    const std::string line = (showMax ? maxPiece + "  " : std::string()) + downPiece + "  " + upPiece;
    c.PutText(FontRole::Rate, textColor, r, line, {HAlign::Center, VAlign::Bottom});
    return;
  }
  const TextFormat format{HAlign::Left, VAlign::Bottom};
  const int sp = c.TextWidth(FontRole::Rate, " ");
  const int D = c.TextWidth(FontRole::Rate, downPiece);
  const int U = c.TextWidth(FontRole::Rate, upPiece);
  // When the pieces overhang the band the two starts round differently:
  // with the maximum piece down (a shift), without it towards zero.
  int x;
  if (showMax) {
    const int M = c.TextWidth(FontRole::Rate, maxPiece);
    x = r.left + ((r.right - 4 * sp - U - D - r.left - M) >> 1);
    c.PutText(FontRole::Rate, textColor, {x, r.top, r.right, r.bottom}, maxPiece, format);
    x += 2 * sp + M;
  } else {
    x = r.left + (r.right - U - D - r.left - 2 * sp) / 2;
  }
  c.PutText(FontRole::Rate, settings_.ColorOf(GraphColor::Download), {x, r.top, r.right, r.bottom},
             downPiece, format);
  x += 2 * sp + D;
  c.PutText(FontRole::Rate, settings_.ColorOf(GraphColor::Upload), {x, r.top, r.right, r.bottom},
             upPiece, format);
}

}  // namespace qm
