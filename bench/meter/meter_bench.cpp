// Graph view CPU per tick: AddSample (scale upkeep) and a full drawing of a
// view onto a canvas that only counts calls, with a full 2048-sample history;
// and the tray tip and miniature of one refresh.

#include <benchmark/benchmark.h>

#include "meter/rate_graph.h"
#include "meter/tray_tip.h"

namespace qm {
namespace {

class CountingCanvas : public Canvas {
 public:
  void FillRect(const Rect&, Color) override { ++calls; }
  void FrameRect(const Rect&, const Pen&) override { ++calls; }
  void Polyline(const Pen&, const Point*, size_t count) override { calls += count; }
  void PutText(FontRole, Color, const Rect&, std::string_view text, TextFormat) override {
    calls += text.size();
  }
  int TextWidth(FontRole, std::string_view text) override { return int(text.size()) * 6; }
  size_t calls = 0;
};

SampleHistory FullHistory() {
  SampleHistory h;
  for (uint32_t i = 0; i < 2048; ++i) h.push_back({(i * 7919) % 90000, (i * 104729) % 20000, 30000, 8000});
  return h;
}

// One tick of a visible view of the given width: the sample scrolls in, the
// oldest is trimmed, the scale is kept and the whole view is drawn.
void BM_TickAndDraw(benchmark::State& state) {
  SampleHistory history = FullHistory();
  GraphViewSettings settings;
  settings.style = state.range(1) ? GraphStyle::Columns : GraphStyle::Line;
  settings.SetFlag(GraphFlag::AvgDownLine, true);
  RateGraph graph(&history);
  graph.ApplySettings(settings);
  CountingCanvas canvas;
  graph.MeasureLabelWidth(canvas);
  graph.SetSize(int(state.range(0)), 120);
  graph.Relayout();
  uint32_t i = 0;
  for (auto _ : state) {
    history.push_front({(i * 7919) % 90000, (i * 104729) % 20000, 30000, 8000});
    history.pop_back();
    ++i;
    graph.AddSample();
    graph.Draw(canvas, 43200 + i);
  }
  benchmark::DoNotOptimize(canvas.calls);
}
BENCHMARK(BM_TickAndDraw)->Args({250, 1})->Args({250, 0})->Args({1900, 1});

void BM_TrayRefresh(benchmark::State& state) {
  SampleHistory history = FullHistory();
  CountingCanvas canvas;
  TrayTipInput tip{"Intel(R) Ethernet Connection I219-V", "198.51.100.23", history.front()};
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildTrayTip(tip));
    DrawTrayMiniature(canvas, history, 90000, true, {});
  }
  benchmark::DoNotOptimize(canvas.calls);
}
BENCHMARK(BM_TrayRefresh);

}  // namespace
}  // namespace qm
