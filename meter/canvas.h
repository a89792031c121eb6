#pragma once
// The small drawing surface the graph view and the tray miniature draw on.
// Coordinates are integer pixels; rectangles exclude their right and bottom
// edges, and a line excludes its end point, as the Windows fill and line
// operations do, so the same geometry draws the same pixels everywhere.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qm {

// 0x00BBGGRR, as stored in the registry.
using Color = uint32_t;

constexpr Color MakeColor(uint8_t r, uint8_t g, uint8_t b) {
  return Color(r) | (Color(g) << 8) | (Color(b) << 16);
}

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The five dash styles of the grid pens, numbered as the options store them.
enum class PenStyle : int { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4 };

// A 1-pixel pen.
struct Pen {
  Color color = 0;
  PenStyle style = PenStyle::Solid;
};

// Style numbers outside 0..4 draw solid.
PenStyle PenStyleFromNumber(int number);

enum class FontRole : int { Title = 0, Rate = 1, Scale = 2, Time = 3 };
constexpr int kFontRoleCount = 4;

enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Bottom };

// Text is always one line, without prefix processing, on a transparent
// background; `ellipsis` ends a text that does not fit with "...".
struct TextFormat {
  HAlign horizontal = HAlign::Left;
  VAlign vertical = VAlign::Top;
  bool ellipsis = false;
};

class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void FillRect(const Rect& rect, Color color) = 0;
  // Outline of the rectangle, inside it, with a hollow interior.
  virtual void FrameRect(const Rect& rect, const Pen& pen) = 0;
  // Connected segments through the points; the last point is not drawn.
  virtual void Polyline(const Pen& pen, const Point* points, size_t count) = 0;
  virtual void PutText(FontRole font, Color color, const Rect& rect, std::string_view text,
                        TextFormat format) = 0;
  virtual int TextWidth(FontRole font, std::string_view text) = 0;

  void Line(const Pen& pen, Point from, Point to) {
    const Point points[2] = {from, to};
    Polyline(pen, points, 2);
  }
};

}  // namespace qm
