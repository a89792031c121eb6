#pragma once
// A canvas for tests: paints fills, frames and lines into a pixel grid with
// the exclusive right/bottom and end-point rules of the real surface, and
// records every text with its rectangle. Text is 6 pixels per character.

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "meter/canvas.h"

namespace qm::test {

constexpr Color kUntouched = 0xFF000000;

struct TextCall {
  FontRole font;
  Color color;
  Rect rect;
  std::string text;
  TextFormat format;
};

struct LineCall {
  Pen pen;
  std::vector<Point> points;
};

class RasterCanvas : public Canvas {
 public:
  RasterCanvas(int width, int height)
      : width_(width), height_(height), pixels_(size_t(width) * size_t(height), kUntouched) {}

  void FillRect(const Rect& r, Color color) override {
    fills.push_back(r);
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) Set(x, y, color);
  }
  void FrameRect(const Rect& r, const Pen& pen) override {
    frames.push_back(r);
    if (r.IsEmpty()) return;
    for (int x = r.left; x < r.right; ++x) Set(x, r.top, pen.color), Set(x, r.bottom - 1, pen.color);
    for (int y = r.top; y < r.bottom; ++y) Set(r.left, y, pen.color), Set(r.right - 1, y, pen.color);
  }
  void Polyline(const Pen& pen, const Point* points, size_t count) override {
    lines.push_back({pen, std::vector<Point>(points, points + count)});
    for (size_t i = 0; i + 1 < count; ++i) Segment(points[i], points[i + 1], pen.color);
  }
  void PutText(FontRole font, Color color, const Rect& rect, std::string_view text,
                TextFormat format) override {
    texts.push_back({font, color, rect, std::string(text), format});
  }
  int TextWidth(FontRole, std::string_view text) override { return int(text.size()) * 6; }

  Color At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return kUntouched;
    return pixels_[size_t(y) * size_t(width_) + size_t(x)];
  }
  // Pixels of one colour in column x from row `from` to row `to` (exclusive).
  int CountInColumn(int x, int from, int to, Color color) const {
    int n = 0;
    for (int y = from; y < to; ++y) n += At(x, y) == color;
    return n;
  }
  std::vector<TextCall> TextsOf(FontRole font) const {
    std::vector<TextCall> out;
    for (const TextCall& t : texts)
      if (t.font == font) out.push_back(t);
    return out;
  }
  std::vector<LineCall> LinesOf(Color color) const {
    std::vector<LineCall> out;
    for (const LineCall& l : lines)
      if (l.pen.color == color) out.push_back(l);
    return out;
  }

  std::vector<Rect> fills;
  std::vector<Rect> frames;
  std::vector<LineCall> lines;
  std::vector<TextCall> texts;

 private:
  void Set(int x, int y, Color c) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[size_t(y) * size_t(width_) + size_t(x)] = c;
  }
  // Steps from `a` towards `b` and stops before `b`.
  void Segment(Point a, Point b, Color c) {
    const int dx = b.x - a.x, dy = b.y - a.y;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    for (int i = 0; i < steps; ++i)
      Set(a.x + (dx * i + (dx >= 0 ? steps / 2 : -steps / 2)) / steps,
          a.y + (dy * i + (dy >= 0 ? steps / 2 : -steps / 2)) / steps, c);
  }

  int width_;
  int height_;
  std::vector<Color> pixels_;
};

}  // namespace qm::test
