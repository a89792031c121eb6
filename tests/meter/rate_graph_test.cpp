#include "meter/rate_graph.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "format/amount.h"
#include "tests/meter/raster_canvas.h"

namespace qm {
namespace {

using test::RasterCanvas;

// With the default fonts (title and rate 13, scale 12) and the test
// canvas's 6-pixel characters: label width 65, title band 0..17, the graph
// band from 16 to H - 16, the plot from 17 to H - 17 (H - 34 high),
// starting at x = 67 and ending at W - 1.
constexpr int kWidth = 200;
constexpr int kPlotLeft = 67;
constexpr int kPlotRight = kWidth - 1;

struct Graph {
  SampleHistory history;
  RateGraph graph{&history};
  RasterCanvas canvas;

  explicit Graph(int height, const GraphViewSettings& settings = {}, int width = kWidth)
      : canvas(width, height) {
    graph.ApplySettings(settings);
    graph.MeasureLabelWidth(canvas);
    graph.SetSize(width, height);
    graph.Relayout();
  }
  void Add(uint32_t down, uint32_t up, uint32_t avgDown = 0, uint32_t avgUp = 0) {
    history.push_front({down, up, avgDown, avgUp});
    graph.AddSample();
  }
  RasterCanvas& Draw(int64_t now = 0) {
    canvas = RasterCanvas(graph.Width(), graph.Height());
    graph.Draw(canvas, now);
    return canvas;
  }
  Color C(GraphColor c) const { return graph.Settings().ColorOf(c); }
};

GraphViewSettings With(GraphFlag flag, bool on, GraphViewSettings s = {}) {
  s.SetFlag(flag, on);
  return s;
}

TEST(RateGraphLayout, DefaultsGiveTheDocumentedBandsAndPlot) {
  Graph g(134);
  const GraphLayout& l = g.graph.Layout();
  EXPECT_EQ(g.graph.LabelWidth(), 65);
  EXPECT_EQ(l.titleBand, (Rect{0, 0, kWidth, 17}));
  EXPECT_EQ(l.titleText, (Rect{3, 2, kWidth - 3, 15}));
  EXPECT_EQ(l.rateBand, (Rect{0, 117, kWidth, 134}));
  EXPECT_EQ(l.rateText, (Rect{3, 119, kWidth - 3, 132}));
  EXPECT_EQ(l.graphBand, (Rect{0, 16, kWidth, 118}));
  EXPECT_EQ(l.scale, (Rect{1, 17, 66, 117}));
  EXPECT_EQ(l.plot, (Rect{kPlotLeft, 17, kPlotRight, 117}));
  // A 100-pixel plot at 95 %.
  EXPECT_EQ(l.h100, 95);
  EXPECT_EQ(g.graph.VisibleSamples(), 33);  // ceil((200 - 68) / 4)
}

TEST(RateGraphLayout, ValueAtTheScaleMaximumLeavesFivePixelsAbove) {
  Graph g(134);
  g.Add(7000, 0);
  RasterCanvas& c = g.Draw();
  const int x = kPlotRight - 1;
  EXPECT_EQ(c.CountInColumn(x, 17, 117, g.C(GraphColor::Download)), 95);
  EXPECT_EQ(c.At(x, 117 - 95), g.C(GraphColor::Download));
  EXPECT_EQ(c.At(x, 117 - 96), g.C(GraphColor::GraphBackground));
}

TEST(RateGraphLayout, NarrowViewsDropTheScaleAndThenTheGraph) {
  // Narrower than the label width + 3: no labels, no separator.
  Graph narrow(134, {}, 60);
  const GraphLayout& l = narrow.graph.Layout();
  EXPECT_TRUE(l.scale.IsEmpty());
  EXPECT_EQ(l.plot, (Rect{1, 17, 59, 117}));
  narrow.Add(100, 50);
  RasterCanvas& c = narrow.Draw();
  EXPECT_TRUE(c.TextsOf(FontRole::Scale).empty());
  for (const auto& line : c.LinesOf(narrow.C(GraphColor::Border)))
    ADD_FAILURE() << "border line at x = " << line.points[0].x;

  for (int width : {2, 1, 0}) {
    Graph tiny(134, {}, width);
    tiny.Add(100, 50);
    EXPECT_EQ(tiny.graph.VisibleSamples(), 0);
    EXPECT_TRUE(tiny.graph.Layout().plot.IsEmpty()) << width;
    EXPECT_EQ(tiny.graph.Layout().h100, 0);
  }
}

TEST(RateGraphLayout, BandsFollowTheDisplayFlags) {
  struct Case {
    const char* name;
    GraphViewSettings settings;
    Rect title, rate, graph;
  } cases[] = {
      {"no title", With(GraphFlag::ShowTitle, false), {}, {0, 117, 200, 134}, {0, 0, 200, 118}},
      {"no text", With(GraphFlag::ShowText, false), {0, 0, 200, 17}, {}, {0, 16, 200, 134}},
      // Text alone takes the whole height below the title, its text centred.
      {"no graph", With(GraphFlag::ShowGraph, false), {0, 0, 200, 17}, {0, 16, 200, 134}, {}},
  };
  for (const Case& c : cases) {
    Graph g(134, c.settings);
    EXPECT_EQ(g.graph.Layout().titleBand, c.title) << c.name;
    EXPECT_EQ(g.graph.Layout().rateBand, c.rate) << c.name;
    EXPECT_EQ(g.graph.Layout().graphBand, c.graph) << c.name;
  }
  Graph textOnly(134, With(GraphFlag::ShowGraph, false));
  const Rect& t = textOnly.graph.Layout().rateText;
  EXPECT_EQ(t.Height(), 14);  // 114 high, inset by (114 - 13) / 2 each side
  EXPECT_EQ(t.top, 18 + 50);
}

TEST(RateGraphLayout, CorruptFontHeightsFillTheViewWithoutOverflow) {
  // Font records come from the registry; any height must lay out and draw.
  for (int32_t height : {INT32_MIN, INT32_MAX, -70000}) {
    GraphViewSettings title;
    title.fonts[size_t(FontRole::Title)].height = height;
    Graph t(134, title);
    EXPECT_EQ(t.graph.Layout().titleBand, (Rect{0, 0, kWidth, 134})) << height;
    EXPECT_TRUE(t.graph.Layout().rateBand.IsEmpty()) << height;

    GraphViewSettings rate;
    rate.fonts[size_t(FontRole::Rate)].height = height;
    Graph r(134, rate);
    EXPECT_EQ(r.graph.Layout().rateBand, (Rect{0, 16, kWidth, 134})) << height;
    EXPECT_TRUE(r.graph.Layout().graphBand.IsEmpty()) << height;

    GraphViewSettings scale;
    scale.fonts[size_t(FontRole::Scale)].height = height;
    Graph g(134, scale);
    g.Add(1000, 0);
    EXPECT_EQ(g.graph.ScaleLines(), 1) << height;
    EXPECT_TRUE(g.Draw().TextsOf(FontRole::Scale).empty()) << height;
  }
}

TEST(RateGraphLayout, MissingFontsAreTahomaThirteen) {
  GraphViewSettings s;
  s.fonts = {};
  Graph g(134, s);
  EXPECT_EQ(g.graph.Settings().Font(FontRole::Title), DefaultViewFont(FontRole::Title));
  EXPECT_EQ(g.graph.Settings().Font(FontRole::Title).weight, 700);
  EXPECT_EQ(g.graph.Layout().titleBand.bottom, 17);
  EXPECT_EQ(g.graph.Layout().rateBand.top, 117);
}

TEST(RateGraphLayout, ScaleLineCountFollowsTheScaleHeight) {
  // Scale height = H - 34 with the default fonts; scale font height 12.
  struct Case {
    int height, scaleHeight, lines, spacing;
  } cases[] = {{74, 40, 3, 11}, {234, 200, 9, 21}, {44, 10, 1, 4}};
  for (const Case& c : cases) {
    Graph g(c.height);
    g.Add(1000, 0);
    ASSERT_EQ(g.graph.Layout().scale.Height(), c.scaleHeight);
    EXPECT_EQ(g.graph.ScaleLines(), c.lines) << c.scaleHeight;
    EXPECT_EQ(g.graph.ScaleSpacing(), c.spacing) << c.scaleHeight;
    RasterCanvas& canvas = g.Draw();
    EXPECT_EQ(canvas.TextsOf(FontRole::Scale).size(), size_t(c.lines)) << c.scaleHeight;
  }
}

TEST(RateGraphScale, LabelsReadTheScaleAtTheirTicks) {
  Graph g(134);
  g.Add(9500, 0);  // scale maximum 9500 over h100 95: 100 per pixel
  RasterCanvas& c = g.Draw();
  auto labels = c.TextsOf(FontRole::Scale);
  ASSERT_EQ(labels.size(), 6u);  // t = 8 gives (8 - 6) / 3 + 6 lines
  // First tick at 17 + 6 = 23: 94 pixels above the scale bottom.
  EXPECT_EQ(labels[0].text, FormatRate(9400, false));
  EXPECT_EQ(labels[0].rect, (Rect{2, 17, 62, 29}));
  EXPECT_EQ(labels[0].format.horizontal, HAlign::Right);
  EXPECT_EQ(c.At(63, 23), g.C(GraphColor::Border));  // tick 63..65
  EXPECT_EQ(c.At(66, 40), g.C(GraphColor::Border));  // separator
}

TEST(RateGraphColumns, OverlapAndDownloadShareTheColumn) {
  GraphViewSettings s;
  s.rateHeightPercent = 96;
  Graph g(134, s);
  ASSERT_EQ(g.graph.Layout().h100, 96);
  g.Add(1000, 500);
  RasterCanvas& c = g.Draw();
  // (x = plot right - 3 carries the newest time grid line.)
  for (int x : {kPlotRight - 2, kPlotRight - 1}) {
    EXPECT_EQ(c.CountInColumn(x, 117 - 48, 117, g.C(GraphColor::Overlap)), 48);
    EXPECT_EQ(c.CountInColumn(x, 117 - 96, 117 - 48, g.C(GraphColor::Download)), 48);
  }
  // The column is 3 pixels wide, then 1 pixel of space.
  EXPECT_EQ(c.At(kPlotRight - 4, 110), g.C(GraphColor::GraphBackground));
}

TEST(RateGraphColumns, EqualRatesOverlapAndZeroRatesLeaveNoColumn) {
  Graph g(134);
  g.Add(0, 0);
  g.Add(600, 600);
  g.Add(300, 600);
  RasterCanvas& c = g.Draw();
  const Color bg = g.C(GraphColor::GraphBackground);
  // Newest: upload above overlap; then equal: all overlap; then nothing.
  EXPECT_EQ(c.CountInColumn(kPlotRight - 1, 17, 117, g.C(GraphColor::Overlap)), 47);
  EXPECT_EQ(c.CountInColumn(kPlotRight - 1, 17, 117, g.C(GraphColor::Upload)), 48);
  EXPECT_EQ(c.CountInColumn(kPlotRight - 5, 17, 117, g.C(GraphColor::Overlap)), 95);
  for (GraphColor color : {GraphColor::Download, GraphColor::Upload, GraphColor::Overlap})
    EXPECT_EQ(c.CountInColumn(kPlotRight - 9, 17, 117, g.C(color)), 0);
  EXPECT_EQ(c.At(kPlotRight - 9, 116), bg);
}

TEST(RateGraphColumns, IdleAdapterDrawsNothingAndLabelsReadZero) {
  Graph columns(134);
  for (int i = 0; i < 5; ++i) columns.Add(0, 0);
  RasterCanvas& c = columns.Draw();
  EXPECT_EQ(columns.graph.ScaleMaximum(), 0u);
  for (GraphColor color : {GraphColor::Download, GraphColor::Upload, GraphColor::Overlap})
    EXPECT_EQ(c.CountInColumn(kPlotRight - 1, 17, 117, columns.C(color)), 0);
  for (const auto& label : c.TextsOf(FontRole::Scale)) EXPECT_EQ(label.text, FormatRate(0, false));

  GraphViewSettings s;
  s.style = GraphStyle::Line;
  Graph lines(134, s);
  for (int i = 0; i < 5; ++i) lines.Add(0, 0);
  RasterCanvas& l = lines.Draw();
  for (GraphColor color : {GraphColor::Upload, GraphColor::Download}) {
    auto polylines = l.LinesOf(lines.C(color));
    ASSERT_EQ(polylines.size(), 1u);
    ASSERT_EQ(polylines[0].points.size(), 5u);
    for (const Point& p : polylines[0].points) EXPECT_EQ(p.y, 116);
    EXPECT_EQ(polylines[0].points[0].x, kPlotRight - 1);
    EXPECT_EQ(polylines[0].points[1].x, kPlotRight - 5);
  }
  // Upload first, download on top of it.
  std::vector<Color> order;
  for (const auto& line : l.lines)
    if (line.pen.color == lines.C(GraphColor::Upload) || line.pen.color == lines.C(GraphColor::Download))
      order.push_back(line.pen.color);
  EXPECT_EQ(order, (std::vector<Color>{lines.C(GraphColor::Upload), lines.C(GraphColor::Download)}));
}

TEST(RateGraphDrawing, GridsLieUnderOrOverTheColumnsAsAsked) {
  // Three full columns; the time grid line at plot right - 11 and the second
  // scale grid line at y = 17 + 6 + 15 cross them, and so does the average
  // download line at 116 - 47.
  struct Case {
    bool scaleOnTop, timeOnTop;
  } cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
  for (const Case& c : cases) {
    GraphViewSettings s = With(GraphFlag::AvgDownLine, true);
    s.SetFlag(GraphFlag::ScaleGridOnTop, c.scaleOnTop);
    s.SetFlag(GraphFlag::TimeGridOnTop, c.timeOnTop);
    Graph g(134, s);
    for (int i = 0; i < 3; ++i) g.Add(1000, 0, 500, 0);
    RasterCanvas& canvas = g.Draw();
    const Color down = g.C(GraphColor::Download);
    EXPECT_EQ(canvas.At(kPlotRight - 11, 100), c.timeOnTop ? g.C(GraphColor::TimeGrid) : down);
    EXPECT_EQ(canvas.At(kPlotRight - 1, 38), c.scaleOnTop ? g.C(GraphColor::ScaleGrid) : down);
    EXPECT_EQ(canvas.At(kPlotRight - 2, 69), g.C(GraphColor::AvgDownLine));
  }
}

TEST(RateGraphColumns, LinesStopAtTheTopOfTheRange) {
  GraphViewSettings s;
  s.style = GraphStyle::Line;
  Graph g(134, s);
  g.Add(0, 0);
  g.Add(1000, 500);
  auto down = g.Draw().LinesOf(g.C(GraphColor::Download));
  ASSERT_EQ(down.size(), 1u);
  // h100 - 1 = 94 pixels of range above the bottom row 116.
  EXPECT_EQ(down[0].points[0], (Point{kPlotRight - 1, 116 - 94}));
  EXPECT_EQ(down[0].points[1], (Point{kPlotRight - 5, 116}));
}

TEST(RateGraphScale, FixedScaleFromTheConnectionSpeedClipsBursts) {
  Graph g(134);
  g.graph.SetConnectionSpeed(1000000);
  g.graph.Relayout();
  EXPECT_TRUE(g.graph.FixedScale());
  EXPECT_EQ(g.graph.ScaleMaximum(), 125000u);
  g.Add(500000, 62500);
  EXPECT_EQ(g.graph.ScaleMaximum(), 125000u);
  EXPECT_EQ(g.graph.DisplayedMaximum(), 500000u);
  RasterCanvas& c = g.Draw();
  EXPECT_EQ(c.CountInColumn(kPlotRight - 1, 17, 117, g.C(GraphColor::Download)), 95 - 47);
  EXPECT_EQ(c.CountInColumn(kPlotRight - 1, 17, 117, g.C(GraphColor::Overlap)), 47);
  EXPECT_EQ(c.At(kPlotRight - 1, 117 - 96), g.C(GraphColor::GraphBackground));

  g.graph.SetConnectionSpeed(7);  // below one byte per second
  EXPECT_EQ(g.graph.ScaleMaximum(), 1u);
  g.graph.SetConnectionSpeed(0);
  g.graph.Relayout();
  EXPECT_FALSE(g.graph.FixedScale());
  EXPECT_EQ(g.graph.ScaleMaximum(), 500000u);
}

TEST(RateGraphScale, AutomaticScaleDropsWhenThePeakScrollsOut) {
  Graph g(134);  // 33 visible samples
  g.Add(1000, 0);
  for (int i = 0; i < 32; ++i) g.Add(10, 20);
  EXPECT_EQ(g.graph.ScaleMaximum(), 1000u);
  g.Add(10, 20);  // the peak is now the 34th sample
  EXPECT_EQ(g.graph.ScaleMaximum(), 20u);
  EXPECT_EQ(g.graph.DisplayedMaximum(), 20u);
  g.Add(0, 300);
  EXPECT_EQ(g.graph.ScaleMaximum(), 300u);
}

TEST(RateGraphScale, AverageLinesTakePartButTheTextMaximumFollowsTheRates) {
  Graph g(134, With(GraphFlag::AvgDownLine, true));
  g.Add(100, 50, 5000, 9000);  // the upload average is not drawn
  EXPECT_EQ(g.graph.ScaleMaximum(), 5000u);
  EXPECT_EQ(g.graph.DisplayedMaximum(), 100u);
  g.Add(200, 0, 4000, 0);
  EXPECT_EQ(g.graph.ScaleMaximum(), 5000u);
  EXPECT_EQ(g.graph.DisplayedMaximum(), 200u);
  // When the 200 scrolls out while a higher average arrives, the text
  // maximum falls back to what is visible.
  for (int i = 0; i < 32; ++i) g.Add(10, 0, 4000, 0);
  EXPECT_EQ(g.graph.DisplayedMaximum(), 200u);
  g.Add(20, 0, 7000, 0);
  EXPECT_EQ(g.graph.ScaleMaximum(), 7000u);
  EXPECT_EQ(g.graph.DisplayedMaximum(), 20u);
}

TEST(RateGraphScale, FixedModeTracksTheVisibleMaximum) {
  Graph g(134);
  g.graph.SetConnectionSpeed(8000);
  g.graph.Relayout();
  g.Add(300, 0);
  g.Add(0, 400);
  EXPECT_EQ(g.graph.DisplayedMaximum(), 400u);
  for (int i = 0; i < 32; ++i) g.Add(1, 2);
  EXPECT_EQ(g.graph.DisplayedMaximum(), 400u);
  g.Add(1, 2);  // 400 leaves the visible period
  EXPECT_EQ(g.graph.DisplayedMaximum(), 2u);
  EXPECT_EQ(g.graph.ScaleMaximum(), 1000u);
}

TEST(RateGraphTimeGrid, FirstSampleStartsALineThreePixelsInAndEveryThirtySamplesAnother) {
  Graph g(134);
  EXPECT_EQ(g.graph.GridLimit(), 119);
  EXPECT_EQ(g.graph.GridPhase(), 119);
  EXPECT_EQ(g.graph.GridCounter(), 29);
  g.Add(0, 0);
  EXPECT_EQ(g.graph.GridPhase(), 3);
  EXPECT_EQ(g.graph.GridCounter(), 0);

  const int64_t now = 10 * 3600 + 20 * 60 + 30;  // 10:20:30
  auto gridXs = [&](RasterCanvas& c) {
    std::vector<int> xs;
    for (const auto& line : c.LinesOf(g.C(GraphColor::TimeGrid))) xs.push_back(line.points[0].x);
    return xs;
  };
  RasterCanvas& first = g.Draw(now);
  EXPECT_EQ(gridXs(first), (std::vector<int>{kPlotRight - 3, kPlotRight - 123}));
  auto labels = first.TextsOf(FontRole::Time);
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0].text, "10:20:30");
  EXPECT_EQ(labels[0].rect, (Rect{kPlotRight + 1, 17, kPlotRight, 117}));
  EXPECT_EQ(labels[1].text, "10:20:00");
  EXPECT_EQ(labels[0].format.vertical, VAlign::Top);
  EXPECT_EQ(first.LinesOf(g.C(GraphColor::TimeGrid))[0].pen.style, PenStyle::Dot);

  for (int i = 0; i < 29; ++i) g.Add(0, 0);
  EXPECT_EQ(g.graph.GridPhase(), 119);
  EXPECT_EQ(gridXs(g.Draw(now)), (std::vector<int>{kPlotRight - 119}));
  g.Add(0, 0);
  EXPECT_EQ(g.graph.GridPhase(), 3);
  EXPECT_EQ(g.graph.GridCounter(), 0);
}

TEST(RateGraphTimeGrid, PulseAndIntervalChangesRestartTheGrid) {
  Graph g(134);
  g.Add(0, 0);
  EXPECT_EQ(g.graph.SetPulse(2, 2), Repaint::Relayout);
  EXPECT_EQ(g.graph.GridLimit(), 30 * 4 - 2);
  EXPECT_EQ(g.graph.GridPhase(), 118);
  EXPECT_EQ(g.graph.SetPulse(2, 2), Repaint::None);
  EXPECT_EQ(g.graph.SetTimeGridInterval(10), Repaint::Redraw);
  EXPECT_EQ(g.graph.GridCounter(), 9);
  // A zero interval or width would never finish a drawing loop.
  g.graph.SetTimeGridInterval(0);
  g.graph.SetPulse(0, 0);
  EXPECT_EQ(g.graph.GridLimit(), 1);
  g.graph.Relayout();
  g.Add(5, 5);
  g.Draw();
}

TEST(RateGraphTimeText, TwelveHourClockShowsNoonAndMidnightAsZero) {
  struct Case {
    int64_t seconds;
    int format;
    bool twelve;
    const char* text;
  } cases[] = {
      {12 * 3600, 0, true, "0:00:00"},       {0, 0, true, "0:00:00"},
      {13 * 3600 + 5 * 60 + 9, 0, true, "1:05:09"}, {12 * 3600, 0, false, "12:00:00"},
      {23 * 3600 + 59 * 60, 1, false, "23:59"},  {-1, 2, false, "59:59"},
      {86400 + 7 * 3600 + 60, 1, true, "7:01"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatGridTime(c.seconds, c.format, c.twelve), c.text);

  Graph g(134, With(GraphFlag::TimeTextAtTop, false));
  g.graph.SetTwelveHourClock(true);
  g.Add(0, 0);
  auto labels = g.Draw(12 * 3600).TextsOf(FontRole::Time);
  ASSERT_FALSE(labels.empty());
  EXPECT_EQ(labels[0].text, "0:00:00");
  EXPECT_EQ(labels[0].format.vertical, VAlign::Bottom);
}

TEST(RateGraphRateText, OneColourLineIsCentred) {
  GraphViewSettings s = With(GraphFlag::TextInGraphColors, false);
  Graph g(134, s);
  g.Add(2000, 100, 700, 50);
  g.Add(1000, 100, 700, 50);
  auto texts = g.Draw().TextsOf(FontRole::Rate);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "(Max: " + FormatRate(2000, false) + ")  Down: " +
                               FormatRate(1000, false) + "  Up: " + FormatRate(100, false));
  EXPECT_EQ(texts[0].format.horizontal, HAlign::Center);
  EXPECT_EQ(texts[0].format.vertical, VAlign::Bottom);
  EXPECT_EQ(texts[0].color, g.C(GraphColor::RateText));

  s.SetFlag(GraphFlag::AveragesInText, true);
  s.SetFlag(GraphFlag::ShowMaxInText, false);
  Graph avg(134, s);
  avg.Add(1000, 100, 700, 50);
  EXPECT_EQ(avg.Draw().TextsOf(FontRole::Rate)[0].text,
            "Avg Down: " + FormatRate(700, false) + "  Avg Up: " + FormatRate(50, false));
}

TEST(RateGraphRateText, GraphColourPiecesAreCentredTogether) {
  Graph g(134, With(GraphFlag::UnitBytes, true));
  g.Add(500, 20);
  auto texts = g.Draw().TextsOf(FontRole::Rate);
  ASSERT_EQ(texts.size(), 3u);
  // "(Max: 500 B/s)" 14, "Down: 500 B/s" 13, "Up: 20 B/s" 10 characters.
  const int M = 84, D = 78, U = 60, sp = 6, left = 3, right = 197;
  const int x0 = left + ((right - 4 * sp - U - D - left - M) >> 1);
  EXPECT_EQ(texts[0].text, "(Max: 500 B/s)");
  EXPECT_EQ(texts[0].rect.left, x0);
  EXPECT_EQ(texts[1].rect.left, x0 + 2 * sp + M);
  EXPECT_EQ(texts[1].color, g.C(GraphColor::Download));
  EXPECT_EQ(texts[2].rect.left, x0 + 2 * sp + M + 2 * sp + D);
  EXPECT_EQ(texts[2].color, g.C(GraphColor::Upload));

  Graph noMax(134, With(GraphFlag::ShowMaxInText, false, With(GraphFlag::UnitBytes, true)));
  noMax.Add(500, 20);
  auto pieces = noMax.Draw().TextsOf(FontRole::Rate);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].rect.left, left + ((right - U - D - left - 2 * sp) >> 1));

  // Pieces wider than a 125-pixel view (text from 3 to 122): with the
  // maximum piece the overhang is halved rounding down, (-127 >> 1) = -64;
  // without it towards zero, -31 / 2 = -15.
  struct Case {
    bool showMax;
    int firstLeft;
  } cases[] = {{true, 3 - 64}, {false, 3 - 15}};
  for (const Case& c : cases) {
    Graph narrow(134, With(GraphFlag::ShowMaxInText, c.showMax, With(GraphFlag::UnitBytes, true)),
                 125);
    narrow.Add(500, 20);
    auto first = narrow.Draw().TextsOf(FontRole::Rate);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first[0].rect.left, c.firstLeft) << "maximum shown: " << c.showMax;
  }
}

TEST(RateGraphSettings, SettersSayWhatTheyNeedToBeShown) {
  RateGraph g;
  const GraphFlag layoutFlags[] = {GraphFlag::ShowTitle, GraphFlag::ShowGraph, GraphFlag::ShowScale,
                                   GraphFlag::ShowText,  GraphFlag::UnitBytes, GraphFlag::AvgDownLine,
                                   GraphFlag::AvgUpLine};
  for (int f = 0; f < int(GraphFlag::Count); ++f) {
    const bool layout = std::find(std::begin(layoutFlags), std::end(layoutFlags), GraphFlag(f)) !=
                        std::end(layoutFlags);
    EXPECT_EQ(g.SetFlag(GraphFlag(f), true), layout ? Repaint::Relayout : Repaint::Redraw) << f;
  }
  EXPECT_EQ(g.SetColor(GraphColor::Download, 0x123456), Repaint::Redraw);
  EXPECT_EQ(g.SetGraphStyle(GraphStyle::Line), Repaint::Redraw);
  EXPECT_EQ(g.SetConnectionSpeed(0), Repaint::Relayout);

  // The rate height is taken only from 50 to 100 %.
  EXPECT_EQ(g.SetRateHeightPercent(49), Repaint::None);
  EXPECT_EQ(g.SetRateHeightPercent(101), Repaint::None);
  EXPECT_EQ(g.Settings().rateHeightPercent, 95);
  EXPECT_EQ(g.SetRateHeightPercent(50), Repaint::Relayout);
  EXPECT_EQ(g.Settings().rateHeightPercent, 50);

  // The scale font and the unit change the label width.
  RasterCanvas c(10, 10);
  g.MeasureLabelWidth(c);
  EXPECT_EQ(g.SetFont(FontRole::Time, DefaultViewFont(FontRole::Time)), Repaint::Redraw);
  EXPECT_FALSE(g.LabelWidthStale());
  EXPECT_EQ(g.SetFont(FontRole::Scale, {"Verdana", -11, 400}), Repaint::Relayout);
  EXPECT_TRUE(g.LabelWidthStale());
  g.MeasureLabelWidth(c);
  g.SetFlag(GraphFlag::UnitBytes, false);
  EXPECT_TRUE(g.LabelWidthStale());
}

TEST(RateGraphLayout, ScaleIsAsWideAsTheWidestLabelOfTheUnit) {
  // A canvas whose byte label is wider than its bit label.
  struct Canvas : RasterCanvas {
    Canvas() : RasterCanvas(1, 1) {}
    int TextWidth(FontRole, std::string_view text) override { return text == "999.9 MB/s" ? 70 : 60; }
  } canvas;
  RateGraph g;
  g.MeasureLabelWidth(canvas);
  EXPECT_EQ(g.LabelWidth(), 65);
  g.SetFlag(GraphFlag::UnitBytes, true);
  g.MeasureLabelWidth(canvas);
  EXPECT_EQ(g.LabelWidth(), 75);
  g.SetSize(200, 134);
  g.Relayout();
  EXPECT_EQ(g.Layout().scale, (Rect{1, 17, 76, 117}));
  EXPECT_EQ(g.Layout().plot.left, 77);
}

TEST(RateGraphScale, EmptiedHistoryShowsAnEmptyGraph) {
  Graph g(134);
  g.Add(1000, 500);
  g.history.clear();  // the adapter's rates were reset
  g.graph.Relayout();
  EXPECT_EQ(g.graph.ScaleMaximum(), 0u);
  EXPECT_EQ(g.graph.DisplayedMaximum(), 0u);
  RasterCanvas& c = g.Draw();
  EXPECT_TRUE(c.TextsOf(FontRole::Rate).empty());
  EXPECT_EQ(c.CountInColumn(kPlotRight - 1, 17, 117, g.C(GraphColor::Overlap)), 0);
}

TEST(RateGraphDrawing, BandsAndTitleInTheirColours) {
  Graph g(134);
  g.graph.SetTitle("eth0 [198.51.100.7]");
  g.Add(0, 0);
  RasterCanvas& c = g.Draw();
  EXPECT_EQ(c.At(100, 8), g.C(GraphColor::TitleBackground));
  EXPECT_EQ(c.At(100, 0), g.C(GraphColor::Border));
  EXPECT_EQ(c.At(100, 16), g.C(GraphColor::Border));  // shared by title and graph
  EXPECT_EQ(c.At(100, 117), g.C(GraphColor::Border));  // shared by graph and rate
  EXPECT_EQ(c.At(100, 125), g.C(GraphColor::RateBackground));
  auto titles = c.TextsOf(FontRole::Title);
  ASSERT_EQ(titles.size(), 1u);
  EXPECT_EQ(titles[0].text, "eth0 [198.51.100.7]");
  EXPECT_TRUE(titles[0].format.ellipsis);
  // An empty history draws no rate text.
  Graph empty(134);
  EXPECT_TRUE(empty.Draw().TextsOf(FontRole::Rate).empty());
}

}  // namespace
}  // namespace qm
