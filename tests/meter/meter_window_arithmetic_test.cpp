// The meter window's portable arithmetic: transparency alpha, first
// placement, growth for the margins and the browser fallback's command line.

#include <gtest/gtest.h>

#include "meter/browser_command.h"
#include "meter/window_geometry.h"

namespace qm {
namespace {

TEST(TransparencyAlpha, IsTheOpacityOfTheHeldPercent) {
  const struct { int percent, alpha; } cases[] = {{10, 229}, {90, 25}, {0, 255}, {100, 0}, {-20, 255}, {250, 0}, {33, 170}};
  for (const auto& c : cases) EXPECT_EQ(TransparencyAlpha(c.percent), c.alpha) << c.percent;
}

TEST(BottomRightPlacement, KeepsTheSizeOneScrollBarFromTheWorkAreaEdges) {
  const Rect window{100, 100, 481, 246};  // 381 x 146
  const Rect work{0, 0, 1024, 738};       // a task bar below
  EXPECT_EQ(BottomRightPlacement(window, work, 17, 16), (Rect{1024 - 17 - 381, 738 - 16 - 146, 1007, 722}));
  // A work area that does not start at the origin.
  EXPECT_EQ(BottomRightPlacement(window, Rect{200, 50, 800, 600}, 10, 10), (Rect{409, 444, 790, 590}));
}

TEST(GrowForMargins, WidensOnlyWhatIsTooSmallForTwiceTheMarginPlusOne) {
  const Rect window{10, 20, 110, 70};
  EXPECT_EQ(GrowForMargins(window, 94, 30, 2), window);
  EXPECT_EQ(GrowForMargins(window, 94, 30, 20), (Rect{10, 20, 110, 81}));  // needs 41: 11 more rows
  EXPECT_EQ(GrowForMargins(window, 4, 30, 10), (Rect{10, 20, 127, 70}));   // needs 21: 17 more columns
  // An absurd stored margin cannot overflow the rectangle.
  EXPECT_EQ(GrowForMargins(window, 94, 30, 1 << 30).right, 10 + 100 + (2 * 65535 + 1 - 94));
}

TEST(BrowserCommandLine, PutsTheAddressWhereTheDocumentArgumentWas) {
  const struct { const char* command; const char* line; } cases[] = {
      {"\"C:\\Browser\\browser.exe\" -url \"%1\"", "\"C:\\Browser\\browser.exe\" -url  https://a.example/"},
      {"C:\\browser.exe %1 -new", "C:\\browser.exe  https://a.example/"},
      {"C:\\browser.exe -nohome", "C:\\browser.exe -nohome https://a.example/"},
      // The quoted placeholder wins over an earlier bare one.
      {"b.exe %1x \"%1\"", "b.exe %1x  https://a.example/"},
  };
  for (const auto& c : cases) EXPECT_EQ(BrowserCommandLine(c.command, "https://a.example/"), c.line) << c.command;
}

}  // namespace
}  // namespace qm
