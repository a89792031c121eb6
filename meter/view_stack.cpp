#include "meter/view_stack.h"

#include <algorithm>

namespace qm {
namespace {

float ShareOf(const Rect& view, int clientHeight) {
  return clientHeight > 0 ? float(view.Height()) / float(clientHeight) : 0.0f;
}

void UpdateShares(ViewStack& s) {
  s.shares.resize(s.views.size());
  for (size_t i = 0; i < s.views.size(); ++i) s.shares[i] = ShareOf(s.views[i], s.clientHeight);
}

// Splitter i from the bottom of view i to the top of view i + 1.
void UpdateSplitters(ViewStack& s) {
  s.splitters.clear();
  for (size_t i = 0; i + 1 < s.views.size(); ++i)
    s.splitters.push_back({s.margin, s.views[i].bottom, s.clientWidth - s.margin,
                           s.views[i + 1].top});
}

bool Collapsed(const ViewStack& s, int w, int h) { return 2 * s.margin >= w || 2 * s.margin >= h; }

// The margin is a stored setting. Past the largest client (16 bits of
// pixels) every margin hides all views alike, so a larger one is taken as
// that, and the sums below cannot overflow.
void LimitMargin(ViewStack& s) { s.margin = std::clamp(s.margin, 0, 65535); }

// Stacks views of the given heights from the top margin, 2 pixels apart,
// none passing the bottom margin.
void Restack(ViewStack& s, const std::vector<int>& heights) {
  const int floor = s.clientHeight - s.margin;
  int top = s.margin;
  for (size_t i = 0; i < s.views.size(); ++i) {
    Rect& v = s.views[i];
    v.left = s.margin;
    v.right = s.clientWidth - s.margin;
    v.top = top;
    v.bottom = std::min(top + heights[i], floor);
    top = std::min(v.bottom + kSplitterHeight, floor);
  }
  UpdateShares(s);
  UpdateSplitters(s);
}

}  // namespace

int StackViews(ViewStack& s, const std::vector<float>& storedShares) {
  LimitMargin(s);
  const size_t n = storedShares.size();
  std::vector<int> heights(n);
  int growth = 0;
  for (size_t i = 0; i < n; ++i) {
    heights[i] = int(storedShares[i] * float(s.clientHeight));
    if (heights[i] <= 0) {
      heights[i] = 1;
      if (n > 1) growth += 3;
    }
  }
  s.clientHeight += growth;
  s.views.assign(n, Rect{});
  const int floor = s.clientHeight - s.margin;
  int top = s.margin;
  for (size_t i = 0; i < n; ++i) {
    int bottom = top + heights[i];
    if (i + 1 == n || bottom > floor) bottom = floor;
    s.views[i] = {s.margin, top, s.clientWidth - s.margin, bottom};
    top = std::min(bottom + kSplitterHeight, floor);
  }
  UpdateShares(s);
  UpdateSplitters(s);
  return growth;
}

void ResizeViews(ViewStack& s, int w, int h, bool byProgram) {
  LimitMargin(s);
  const bool wasCollapsed = Collapsed(s, s.clientWidth, s.clientHeight);
  if (!byProgram) {
    if (Collapsed(s, w, h)) {
      for (Rect& v : s.views) v = Rect{};
    } else if (h == s.clientHeight && !wasCollapsed) {
      // Only the width changed: heights and splitters stay.
      for (Rect& v : s.views) v.right = w - s.margin;
      for (Rect& sp : s.splitters) sp.right = w - s.margin;
    } else if (s.views.size() == 1) {
      s.views[0] = {s.margin, s.margin, w - s.margin, h - s.margin};
    } else if (!s.views.empty()) {
      // Re-stacked from the shares, so views hidden by a too small client
      // come back as they were.
      const int floor = h - s.margin;
      int top = s.margin;
      for (size_t i = 0; i < s.views.size(); ++i) {
        int bottom = top + int(float(h) * s.shares[i]);
        if (i + 1 == s.views.size() || bottom > floor) bottom = floor;
        s.views[i] = {s.margin, top, w - s.margin, bottom};
        top = std::min(bottom + kSplitterHeight, floor);
      }
      s.clientWidth = w;
      UpdateSplitters(s);
    }
  }
  s.clientWidth = w;
  s.clientHeight = h;
}

int NeededViewHeight(bool showTitle, int titleFontHeight, bool showText, int rateFontHeight,
                     bool showGraph) {
  return (showTitle ? titleFontHeight + 3 : 0) + (showText ? rateFontHeight + 3 : 0) +
         (showGraph ? 100 : 0);
}

WindowSpan ShowView(ViewStack& s, size_t index, int needed, WindowSpan window) {
  LimitMargin(s);
  index = std::min(index, s.views.size());
  std::vector<int> heights;
  for (const Rect& v : s.views) heights.push_back(v.Height());
  heights.insert(heights.begin() + long(index), needed + 1);
  s.views.insert(s.views.begin() + long(index), Rect{});

  const int growth = needed + 3;
  window.top -= growth;
  if (window.top < 0) {
    window.bottom -= window.top;  // grows downward by what the top could not
    window.top = 0;
  }
  s.clientHeight += growth;
  Restack(s, heights);
  return window;
}

WindowSpan HideView(ViewStack& s, size_t index, WindowSpan window) {
  LimitMargin(s);
  if (index >= s.views.size()) return window;
  const int shrink = s.views[index].Height() + kSplitterHeight;
  s.views.erase(s.views.begin() + long(index));
  std::vector<int> heights;
  for (const Rect& v : s.views) heights.push_back(v.Height());
  window.top += shrink;
  s.clientHeight -= shrink;
  Restack(s, heights);
  return window;
}

std::optional<size_t> HitSplitter(const ViewStack& s, Point p) {
  for (size_t i = 0; i < s.splitters.size(); ++i)
    if (s.splitters[i].Contains(p)) return i;
  return std::nullopt;
}

std::optional<SplitterDrag> BeginSplitterDrag(const ViewStack& s, size_t index) {
  if (index >= s.splitters.size()) return std::nullopt;
  const Rect& sp = s.splitters[index];
  std::optional<size_t> upper, lower;
  for (size_t i = 0; i < s.views.size(); ++i) {
    if (!upper && s.views[i].bottom == sp.top) upper = i;
    if (!lower && s.views[i].top == sp.bottom) lower = i;
  }
  if (!upper || !lower) return std::nullopt;
  SplitterDrag d;
  d.splitter = index;
  d.upper = *upper;
  d.lower = *lower;
  d.minTop = s.views[*upper].top + 1;
  d.maxTop = s.views[*lower].bottom - 3;
  if (d.maxTop < d.minTop) return std::nullopt;
  return d;
}

bool DragSplitter(ViewStack& s, const SplitterDrag& d, int y) {
  y = std::clamp(y, d.minTop, d.maxTop);
  Rect& sp = s.splitters[d.splitter];
  if (y == sp.top) return false;
  sp.bottom = y + sp.Height();
  sp.top = y;
  s.views[d.upper].bottom = sp.top;
  s.views[d.lower].top = sp.bottom;
  s.shares[d.upper] = ShareOf(s.views[d.upper], s.clientHeight);
  s.shares[d.lower] = ShareOf(s.views[d.lower], s.clientHeight);
  return true;
}

}  // namespace qm
