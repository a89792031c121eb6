// The GDI surface must put pixels where the portable geometry says: the same
// exclusive edges and end points as the test canvas, under Wine's GDI.

#include "meter/win32/gdi_canvas.h"

#include <gtest/gtest.h>

#include "meter/rate_graph.h"
#include "meter/win32/tray_miniature_icon.h"
#include "tests/meter/raster_canvas.h"

namespace qm {
namespace {

constexpr Color kPaper = 0x102030;

// A 32-bit DIB section in a memory context, cleared to kPaper.
class DibSurface {
 public:
  DibSurface(int width, int height) : width_(width), height_(height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    dc_.Reset(CreateCompatibleDC(nullptr));
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
    original_ = SelectObject(dc_.Get(), bitmap_.Get());
    GdiCanvas clear(dc_.Get());
    clear.FillRect({0, 0, width, height}, kPaper);
  }
  ~DibSurface() { SelectObject(dc_.Get(), original_); }
  HDC Dc() const { return dc_.Get(); }
  Color At(int x, int y) const {
    GdiFlush();
    const uint32_t p = bits_[size_t(y) * size_t(width_) + size_t(x)];  // 0x00RRGGBB
    return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
  }

 private:
  int width_, height_;
  GdiHandle<HBITMAP> bitmap_;
  MemoryDcHandle dc_;  // after the bitmap: the context goes first
  HGDIOBJ original_;
  uint32_t* bits_ = nullptr;
};

TEST(GdiCanvas, EdgesAndEndPointsAreExclusive) {
  DibSurface s(40, 40);
  GdiCanvas c(s.Dc());
  c.FillRect({5, 5, 10, 8}, 0x0000FF);
  EXPECT_EQ(s.At(5, 5), 0x0000FFu);
  EXPECT_EQ(s.At(9, 7), 0x0000FFu);
  EXPECT_EQ(s.At(10, 7), kPaper);
  EXPECT_EQ(s.At(9, 8), kPaper);

  c.FrameRect({12, 12, 30, 22}, {0x333333});
  EXPECT_EQ(s.At(12, 12), 0x333333u);
  EXPECT_EQ(s.At(29, 21), 0x333333u);
  EXPECT_EQ(s.At(20, 16), kPaper);  // hollow
  EXPECT_EQ(s.At(30, 16), kPaper);

  c.Line({0x00CC00}, {0, 30}, {10, 30});
  EXPECT_EQ(s.At(0, 30), 0x00CC00u);
  EXPECT_EQ(s.At(9, 30), 0x00CC00u);
  EXPECT_EQ(s.At(10, 30), kPaper);
}

TEST(GdiCanvas, DashedPensLeaveGapsSolidPensDoNot) {
  for (PenStyle style : {PenStyle::Solid, PenStyle::Dash, PenStyle::Dot, PenStyle::DashDot,
                         PenStyle::DashDotDot}) {
    DibSurface s(40, 4);
    GdiCanvas c(s.Dc());
    c.Line({0x9E9E9E, style}, {0, 1}, {40, 1});
    int set = 0;
    for (int x = 0; x < 40; ++x) set += s.At(x, 1) == 0x9E9E9Eu;
    if (style == PenStyle::Solid)
      EXPECT_EQ(set, 40);
    else
      EXPECT_TRUE(set > 5 && set < 35) << int(style) << ": " << set;
  }
}

TEST(GdiCanvas, TextStaysInsideItsRectangle) {
  DibSurface s(120, 20);
  GdiCanvas c(s.Dc());
  GdiHandle<HFONT> font = CreateViewFont({}, FontRole::Title);
  c.SetFont(FontRole::Title, font.Get());
  EXPECT_GT(c.TextWidth(FontRole::Title, "999.9 mbps"), c.TextWidth(FontRole::Title, "9"));
  c.PutText(FontRole::Title, 0xFFFFFF, {2, 2, 40, 18}, "a title far too long for the band",
            {HAlign::Left, VAlign::Top, true});
  int inside = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 120; ++x) {
      const bool drawn = s.At(x, y) != kPaper;
      if (x >= 2 && x < 40 && y >= 2 && y < 18)
        inside += drawn;
      else
        EXPECT_FALSE(drawn) << x << "," << y;
    }
  EXPECT_GT(inside, 10);
  c.SetFont(FontRole::Title, nullptr);
  SelectObject(s.Dc(), GetStockObject(SYSTEM_FONT));
}

// Everything but text, on both surfaces: the pixels must agree.
TEST(GdiCanvas, GraphWithoutTextMatchesTheGeometry) {
  SampleHistory history;
  for (uint32_t i = 0; i < 60; ++i) history.push_front({(i * 37) % 1000, (i * 53) % 700, 400, 200});
  GraphViewSettings settings;
  settings.SetFlag(GraphFlag::ShowScale, false);
  settings.SetFlag(GraphFlag::ShowTimeText, false);
  settings.SetFlag(GraphFlag::ShowText, false);
  settings.SetFlag(GraphFlag::AvgDownLine, true);
  settings.SetFlag(GraphFlag::AvgUpLine, true);
  settings.timeGridStyle = PenStyle::Solid;
  RateGraph graph(&history);
  graph.ApplySettings(settings);
  graph.SetSize(150, 90);
  graph.Relayout();
  for (int i = 0; i < 7; ++i) graph.AddSample();

  test::RasterCanvas expected(150, 90);
  expected.FillRect({0, 0, 150, 90}, kPaper);
  graph.Draw(expected, 0);
  DibSurface s(150, 90);
  GdiCanvas c(s.Dc());
  graph.Draw(c, 0);
  int columnPixels = 0, differing = 0;
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 150; ++x) columnPixels += expected.At(x, y) == settings.ColorOf(GraphColor::Download);
  EXPECT_GT(columnPixels, 300);
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 150; ++x)
      if (s.At(x, y) != expected.At(x, y) && ++differing < 10)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << s.At(x, y) << " want "
                      << expected.At(x, y);
  EXPECT_EQ(differing, 0);
}

// The icon's colour image, copied onto a surface that can be read.
void CopyIconImage(const IconHandle& icon, DibSurface& s) {
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon.Get(), &info));
  // GetIconInfo hands over copies of both bitmaps.
  GdiHandle<HBITMAP> color(info.hbmColor), mask(info.hbmMask);
  MemoryDcHandle source(CreateCompatibleDC(nullptr));
  HGDIOBJ old = SelectObject(source.Get(), color.Get());
  BitBlt(s.Dc(), 0, 0, 16, 16, source.Get(), 0, 0, SRCCOPY);
  SelectObject(source.Get(), old);
}

TEST(TrayMiniatureIcon, IconCarriesTheMiniature) {
  TrayMiniatureIcon maker;
  ASSERT_TRUE(maker.Ready());
  const MiniatureColors colors{0xDEDBAD, 0x0000FF, 0x00CC00, 0x00FFFF, 0x808080, 0xFFFFFF};
  SampleHistory history{{1000, 500, 0, 0}};
  IconHandle icon = maker.Build(history, 1000, true, colors);
  ASSERT_TRUE(icon);
  DibSurface s(16, 16);
  CopyIconImage(icon, s);
  EXPECT_EQ(s.At(14, 14), colors.overlap);
  EXPECT_EQ(s.At(14, 8), colors.overlap);
  EXPECT_EQ(s.At(14, 7), colors.download);
  EXPECT_EQ(s.At(14, 1), colors.download);
  EXPECT_EQ(s.At(13, 10), colors.background);
  EXPECT_EQ(s.At(0, 5), colors.shadow);
  EXPECT_EQ(s.At(5, 15), colors.highlight);

  // The next refresh, after the graph colours were applied, draws in the
  // new colours.
  MiniatureColors applied = colors;
  applied.download = 0x800080;
  applied.overlap = 0x008080;
  DibSurface next(16, 16);
  CopyIconImage(maker.Build(history, 1000, true, applied), next);
  EXPECT_EQ(next.At(14, 14), applied.overlap);
  EXPECT_EQ(next.At(14, 1), applied.download);
}

}  // namespace
}  // namespace qm
