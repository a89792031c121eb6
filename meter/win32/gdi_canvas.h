#pragma once
// The drawing surface on a Windows device context: fills, 1-pixel pens in
// the five dash styles, outlines, text with ellipsis; and the off-screen
// bitmap the graph views draw into before one block copy to the screen.

#include <windows.h>

#include <array>
#include <vector>

#include "meter/canvas.h"
#include "meter/graph_settings.h"
#include "platform/win32/unique_handle.h"

namespace qm {

constexpr COLORREF ToColorRef(Color c) { return COLORREF(c & 0x00FFFFFF); }

// A font made from its description; an empty description makes the view's
// default font for the role.
GdiHandle<HFONT> CreateViewFont(const ViewFont& font, FontRole role);

class GdiCanvas : public Canvas {
 public:
  explicit GdiCanvas(HDC dc = nullptr);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  void Attach(HDC dc);
  HDC Dc() const { return dc_; }
  // Fonts stay owned by the caller and must outlive their use here.
  void SetFont(FontRole role, HFONT font) { fonts_[size_t(role)] = font; }

  void FillRect(const Rect& rect, Color color) override;
  void FrameRect(const Rect& rect, const Pen& pen) override;
  void Polyline(const Pen& pen, const Point* points, size_t count) override;
  void PutText(FontRole font, Color color, const Rect& rect, std::string_view text,
                TextFormat format) override;
  int TextWidth(FontRole font, std::string_view text) override;

 private:
  HPEN PenFor(const Pen& pen);
  void SelectFont(FontRole role);
  void ReleaseDc();

  struct CachedPen {
    Pen pen;
    GdiHandle<HPEN> handle;
  };
  HDC dc_ = nullptr;
  HGDIOBJ originalPen_ = nullptr;
  HGDIOBJ originalBrush_ = nullptr;
  HGDIOBJ originalFont_ = nullptr;
  std::array<HFONT, kFontRoleCount> fonts_{};
  std::vector<CachedPen> pens_;  // a handful: borders, grids, graph lines
};

// A memory device context with a bitmap of the view's size.
class OffscreenSurface {
 public:
  OffscreenSurface() = default;
  ~OffscreenSurface();
  OffscreenSurface(const OffscreenSurface&) = delete;
  OffscreenSurface& operator=(const OffscreenSurface&) = delete;

  // Makes the memory context (compatible with `reference`) on first use and
  // a bitmap of width x height when the size changed.
  bool Prepare(HDC reference, int width, int height);
  HDC Dc() const { return dc_.Get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Copies a part of the bitmap to the same place on `target`.
  void CopyTo(HDC target, const RECT& part) const;

 private:
  GdiHandle<HBITMAP> bitmap_;
  MemoryDcHandle dc_;  // after the bitmap: the context goes first
  HGDIOBJ originalBitmap_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace qm
