#pragma once
// RateGraphView: the child window that shows one adapter's rate graph in the
// meter window. It draws the portable RateGraph into an off-screen bitmap
// and copies it to the screen in one step, so it never flickers.

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/rate_sample.h"
#include "meter/rate_graph.h"
#include "meter/win32/gdi_canvas.h"

namespace qm {

class RateGraphView {
 public:
  // `history` is the adapter's; `ownerVisible` tells whether the meter
  // window is shown (nothing is drawn while it is hidden).
  RateGraphView(const SampleHistory* history, std::function<bool()> ownerVisible);
  ~RateGraphView();
  RateGraphView(const RateGraphView&) = delete;
  RateGraphView& operator=(const RateGraphView&) = delete;

  // Creates the visible child window. Set the properties before this.
  bool Create(HWND parent, const Rect& rect, int childId);
  void Destroy();
  HWND Handle() const { return hwnd_; }
  const RateGraph& Graph() const { return graph_; }

  // The tick put a new sample at the head of the history.
  void AddSample();
  void SetTitle(const std::string& title);

  // Setters: with `applyNow` the change is shown at once (a new layout or a
  // redraw, as the property needs); without, it is only stored.
  void ApplySettings(const GraphViewSettings& settings);  // stored; then Relayout
  void SetFlag(GraphFlag flag, bool on, bool applyNow);
  void SetColor(GraphColor which, Color color, bool applyNow);
  void SetFont(FontRole role, const ViewFont& font, bool applyNow);
  void SetGraphStyle(GraphStyle style, bool applyNow);
  void SetPulse(int width, int space, bool applyNow);
  void SetTimeGridInterval(int seconds, bool applyNow);
  void SetRateHeightPercent(int percent, bool applyNow);
  void SetTimeFormat(int format, bool applyNow);
  void SetGridStyles(PenStyle scaleGrid, PenStyle timeGrid, bool applyNow);
  void SetConnectionSpeed(uint32_t bitsPerSecond, bool applyNow);
  void ResetTimeGrid(bool applyNow);

  void Relayout();
  void Redraw();

  // Local time in seconds for the time labels (tests fix it).
  void SetClock(std::function<int64_t()> localNow) { localNow_ = std::move(localNow); }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void Apply(Repaint what, bool applyNow);
  void MakeFonts();
  void DeleteFonts();
  void Render();
  void OnPaint();

  RateGraph graph_;
  std::function<bool()> ownerVisible_;
  std::function<int64_t()> localNow_;
  int dpi_;  // the screen's, for the font heights given as for 96 DPI
  HWND hwnd_ = nullptr;
  std::array<GdiHandle<HFONT>, kFontRoleCount> fonts_;
  OffscreenSurface surface_;  // before the canvas: the canvas lets go first
  GdiCanvas canvas_;
};

// Local time of day in seconds, as the time labels show it.
int64_t LocalSecondsNow();
// The screen's dots per inch (96 when it cannot be read).
int ScreenDpi();
// The user's time format: true for the 12-hour clock (also when unknown).
bool UserUsesTwelveHourClock();

}  // namespace qm
