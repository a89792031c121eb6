#pragma once
// Stacking of the graph views inside the meter window: one view per
// monitored adapter, in adapter-list order, inset by the margin, 2 pixels
// apart; each gap is a splitter. Every view's share of the client height is
// kept so that the arrangement survives resizing and restarts.
//
// Pure arithmetic over rectangles: the meter window moves the real windows
// and stores the shares in the adapter records.

#include <cstddef>
#include <optional>
#include <vector>

#include "meter/canvas.h"

namespace qm {

constexpr int kSplitterHeight = 2;

struct ViewStack {
  int margin = 2;        // taken as 0..65535 by the functions below
  int clientWidth = 0;   // the last client size recorded
  int clientHeight = 0;
  std::vector<Rect> views;      // the monitored adapters' views, list order
  std::vector<float> shares;    // each view's height / client height
  std::vector<Rect> splitters;  // splitter i lies between view i and i + 1
};

// Lays out views with the stored shares in a client of the recorded size.
// Returns how many pixels the window must first grow: 3 for each view whose
// share gave no height, when there is more than one view. The layout is made
// for the grown client, whose height the stack then records.
int StackViews(ViewStack& stack, const std::vector<float>& storedShares);

// The size handler. `byProgram`: the window is being moved by ShowView or
// HideView, so only the size is recorded.
void ResizeViews(ViewStack& stack, int width, int height, bool byProgram = false);

// Window rectangle in screen coordinates (only top and bottom change here).
struct WindowSpan {
  int top = 0;
  int bottom = 0;
};

// Pixels a newly shown view asks for.
int NeededViewHeight(bool showTitle, int titleFontHeight, bool showText, int rateFontHeight,
                     bool showGraph);

// Inserts a view at `index` (its place in the adapter list among the shown
// views), grows the window upward by needed + 3 (downward past the screen
// top) and re-stacks. Returns the window's new span.
WindowSpan ShowView(ViewStack& stack, size_t index, int needed, WindowSpan window);

// Removes view `index`, shrinks the window from the top by its height + 2
// and re-stacks the rest. Returns the window's new span.
WindowSpan HideView(ViewStack& stack, size_t index, WindowSpan window);

// The splitter under a client point, if any.
std::optional<size_t> HitSplitter(const ViewStack& stack, Point p);

struct SplitterDrag {
  size_t splitter = 0;
  size_t upper = 0;  // the view above and the view below the splitter
  size_t lower = 0;
  int minTop = 0;  // allowed range of the splitter's top
  int maxTop = 0;
};

// Left button down on splitter `index`: the views it separates and how far
// it may move (each of them keeps at least 1 pixel).
std::optional<SplitterDrag> BeginSplitterDrag(const ViewStack& stack, size_t index);

// Mouse move while dragging: returns true when the splitter moved (the two
// views and their shares changed).
bool DragSplitter(ViewStack& stack, const SplitterDrag& drag, int y);

}  // namespace qm
