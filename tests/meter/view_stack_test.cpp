#include "meter/view_stack.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace qm {
namespace {

ViewStack Stack(int margin, int width, int height, const std::vector<float>& shares) {
  ViewStack s;
  s.margin = margin;
  s.clientWidth = width;
  s.clientHeight = height;
  EXPECT_EQ(StackViews(s, shares), 0);
  return s;
}

TEST(ViewStack, LastViewReachesTheBottomWhenTheHeightDoubles) {
  ViewStack s = Stack(0, 100, 128, {0.5f, 0.484375f});
  EXPECT_EQ(s.views, (std::vector<Rect>{{0, 0, 100, 64}, {0, 66, 100, 128}}));
  EXPECT_EQ(s.splitters, (std::vector<Rect>{{0, 64, 100, 66}}));
  EXPECT_FLOAT_EQ(s.shares[0], 0.5f);

  ResizeViews(s, 100, 256);
  EXPECT_EQ(s.views, (std::vector<Rect>{{0, 0, 100, 128}, {0, 130, 100, 256}}));
  EXPECT_EQ(s.splitters, (std::vector<Rect>{{0, 128, 100, 130}}));
  ResizeViews(s, 100, 128);
  EXPECT_EQ(s.views, (std::vector<Rect>{{0, 0, 100, 64}, {0, 66, 100, 128}}));
}

TEST(ViewStack, ViewsWithoutAShareGetAPixelAndGrowTheWindow) {
  ViewStack s;
  s.margin = 2;
  s.clientWidth = 100;
  s.clientHeight = 128;
  EXPECT_EQ(StackViews(s, {0.0f, 0.5f, -1.0f}), 6);
  EXPECT_EQ(s.clientHeight, 134);
  EXPECT_EQ(s.views, (std::vector<Rect>{{2, 2, 98, 3}, {2, 5, 98, 69}, {2, 71, 98, 132}}));

  ViewStack single;
  single.clientWidth = 100;
  single.clientHeight = 50;
  EXPECT_EQ(StackViews(single, {0.0f}), 0);
  EXPECT_EQ(single.views, (std::vector<Rect>{{2, 2, 98, 48}}));
  EXPECT_TRUE(single.splitters.empty());
}

TEST(ViewStack, WidthChangesKeepHeightsAndStretchSplitters) {
  ViewStack s = Stack(2, 100, 128, {0.25f, 0.5f});
  const std::vector<Rect> before = s.views;
  ResizeViews(s, 160, 128);
  ASSERT_EQ(s.views.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(s.views[i].top, before[i].top);
    EXPECT_EQ(s.views[i].bottom, before[i].bottom);
    EXPECT_EQ(s.views[i].right, 158);
  }
  EXPECT_EQ(s.splitters[0].right, 158);
}

TEST(ViewStack, TooSmallClientHidesViewsAndGrowingRestoresThem) {
  ViewStack s = Stack(2, 100, 128, {0.25f, 0.5f});
  const std::vector<Rect> before = s.views;
  // Too narrow, then wide again at the same height; then too low and back.
  ResizeViews(s, 4, 128);
  for (const Rect& v : s.views) EXPECT_TRUE(v.IsEmpty());
  ResizeViews(s, 100, 128);
  EXPECT_EQ(s.views, before);
  ResizeViews(s, 100, 3);
  for (const Rect& v : s.views) EXPECT_TRUE(v.IsEmpty());
  ResizeViews(s, 100, 128);
  EXPECT_EQ(s.views, before);

  ViewStack one = Stack(2, 100, 128, {1.0f});
  ResizeViews(one, 100, 2);
  ResizeViews(one, 80, 60);
  EXPECT_EQ(one.views[0], (Rect{2, 2, 78, 58}));
}

TEST(ViewStack, MarginsWiderThanAnyWindowHideEveryViewWithoutOverflow) {
  // The margin is a stored setting and may hold any positive number.
  for (int margin : {0x40000000, INT32_MAX}) {
    ViewStack s;
    s.margin = margin;
    s.clientWidth = 300;
    s.clientHeight = 300;
    StackViews(s, {0.5f, 0.5f});
    ResizeViews(s, 400, 300);
    ResizeViews(s, 400, 500);
    ShowView(s, 1, 132, {100, 600});
    HideView(s, 0, {0, 600});
    for (const Rect& v : s.views) EXPECT_TRUE(v.IsEmpty()) << margin;
  }
}

TEST(ViewStack, ProgramMovesOnlyRecordTheSize) {
  ViewStack s = Stack(2, 100, 128, {0.5f, 0.5f});
  const std::vector<Rect> before = s.views;
  ResizeViews(s, 100, 300, true);
  EXPECT_EQ(s.views, before);
  EXPECT_EQ(s.clientHeight, 300);
}

TEST(ViewStack, SplitterDragLeavesAtLeastOnePixelEachSide) {
  ViewStack s = Stack(0, 100, 128, {0.5f, 0.5f});
  EXPECT_EQ(HitSplitter(s, {10, 64}), std::optional<size_t>(0));
  EXPECT_EQ(HitSplitter(s, {10, 66}), std::nullopt);
  auto drag = BeginSplitterDrag(s, 0);
  ASSERT_TRUE(drag.has_value());
  EXPECT_EQ(drag->minTop, 1);
  EXPECT_EQ(drag->maxTop, 125);

  EXPECT_TRUE(DragSplitter(s, *drag, -40));
  EXPECT_EQ(s.views[0], (Rect{0, 0, 100, 1}));
  EXPECT_EQ(s.views[1], (Rect{0, 3, 100, 128}));
  EXPECT_FLOAT_EQ(s.shares[0], 1.0f / 128);
  EXPECT_FALSE(DragSplitter(s, *drag, 0));

  EXPECT_TRUE(DragSplitter(s, *drag, 500));
  EXPECT_EQ(s.splitters[0], (Rect{0, 125, 100, 127}));
  EXPECT_EQ(s.views[1], (Rect{0, 127, 100, 128}));
  EXPECT_FLOAT_EQ(s.shares[1], 1.0f / 128);

  EXPECT_FALSE(BeginSplitterDrag(s, 1).has_value());
}

TEST(ViewStack, ShownViewTakesItsPlaceInTheListAndTheWindowGrowsUp) {
  const int needed = NeededViewHeight(true, 13, true, 13, true);
  EXPECT_EQ(needed, 132);
  EXPECT_EQ(NeededViewHeight(false, 13, true, 13, false), 16);
  EXPECT_EQ(NeededViewHeight(false, 13, false, 13, true), 100);

  // Adapters A, B, C; A and C shown; B is shown now.
  ViewStack s = Stack(2, 200, 250, {0.5f, 0.5f});
  EXPECT_EQ(s.views, (std::vector<Rect>{{2, 2, 198, 127}, {2, 129, 198, 248}}));
  WindowSpan w = ShowView(s, 1, needed, {300, 560});
  EXPECT_EQ(w.top, 300 - 135);
  EXPECT_EQ(w.bottom, 560);
  EXPECT_EQ(s.clientHeight, 385);
  EXPECT_EQ(s.views, (std::vector<Rect>{{2, 2, 198, 127}, {2, 129, 198, 262}, {2, 264, 198, 383}}));
  EXPECT_EQ(s.splitters, (std::vector<Rect>{{2, 127, 198, 129}, {2, 262, 198, 264}}));
  EXPECT_FLOAT_EQ(s.shares[1], 133.0f / 385);

  // Hiding it again shrinks the window from the top by its height + 2.
  w = HideView(s, 1, w);
  EXPECT_EQ(w.top, 300);
  EXPECT_EQ(w.bottom, 560);
  EXPECT_EQ(s.clientHeight, 250);
  EXPECT_EQ(s.views, (std::vector<Rect>{{2, 2, 198, 127}, {2, 129, 198, 248}}));
  EXPECT_EQ(s.splitters, (std::vector<Rect>{{2, 127, 198, 129}}));
}

TEST(ViewStack, WindowAtTheScreenTopGrowsDownward) {
  ViewStack s = Stack(2, 200, 128, {1.0f});
  WindowSpan w = ShowView(s, 1, 100, {50, 210});
  EXPECT_EQ(w.top, 0);
  EXPECT_EQ(w.bottom, 210 + 53);
  EXPECT_EQ(s.views.back(), (Rect{2, 128, 198, 229}));
}

}  // namespace
}  // namespace qm
