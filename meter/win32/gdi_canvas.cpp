#include "meter/win32/gdi_canvas.h"

#include <cstring>
#include <string>
#include <utility>

namespace qm {

GdiHandle<HFONT> CreateViewFont(const ViewFont& given, FontRole role) {
  const ViewFont font = given.face.empty() ? DefaultViewFont(role) : given;
  LOGFONTA lf{};
  lf.lfHeight = font.height;
  lf.lfWeight = font.weight;
  lf.lfItalic = font.italic;
  lf.lfUnderline = font.underline;
  lf.lfStrikeOut = font.strikeOut;
  lf.lfCharSet = font.charSet;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  std::strncpy(lf.lfFaceName, font.face.c_str(), LF_FACESIZE - 1);
  return GdiHandle<HFONT>(CreateFontIndirectA(&lf));
}

GdiCanvas::GdiCanvas(HDC dc) { Attach(dc); }

// The pens go after the context has let go of them.
GdiCanvas::~GdiCanvas() { ReleaseDc(); }

void GdiCanvas::ReleaseDc() {
  if (!dc_) return;
  SelectObject(dc_, originalPen_);
  SelectObject(dc_, originalBrush_);
  SelectObject(dc_, originalFont_);
  dc_ = nullptr;
}

void GdiCanvas::Attach(HDC dc) {
  ReleaseDc();
  dc_ = dc;
  if (!dc_) return;
  originalPen_ = GetCurrentObject(dc_, OBJ_PEN);
  originalBrush_ = SelectObject(dc_, GetStockObject(NULL_BRUSH));
  originalFont_ = GetCurrentObject(dc_, OBJ_FONT);
  // Text and dashed grid lines leave the background between their strokes.
  SetBkMode(dc_, TRANSPARENT);
}

HPEN GdiCanvas::PenFor(const Pen& pen) {
  for (const CachedPen& p : pens_)
    if (p.pen.color == pen.color && p.pen.style == pen.style) return p.handle.Get();
  static constexpr int kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
  const int style = kStyles[int(pen.style) >= 0 && int(pen.style) <= 4 ? int(pen.style) : 0];
  GdiHandle<HPEN> handle(CreatePen(style, 1, ToColorRef(pen.color)));
  if (pens_.size() >= 24) {  // colours changed many times: start afresh
    SelectObject(dc_, originalPen_);
    pens_.clear();
  }
  pens_.push_back({pen, std::move(handle)});
  return pens_.back().handle.Get();
}

void GdiCanvas::SelectFont(FontRole role) {
  HFONT font = fonts_[size_t(role)];
  SelectObject(dc_, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
}

void GdiCanvas::FillRect(const Rect& r, Color color) {
  if (r.IsEmpty()) return;
  const RECT rc{r.left, r.top, r.right, r.bottom};
  SetBkColor(dc_, ToColorRef(color));
  ExtTextOutA(dc_, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}

void GdiCanvas::FrameRect(const Rect& r, const Pen& pen) {
  if (r.IsEmpty()) return;
  SelectObject(dc_, PenFor(pen));
  Rectangle(dc_, r.left, r.top, r.right, r.bottom);
}

void GdiCanvas::Polyline(const Pen& pen, const Point* points, size_t count) {
  if (count < 2) return;
  SelectObject(dc_, PenFor(pen));
  MoveToEx(dc_, points[0].x, points[0].y, nullptr);
  for (size_t i = 1; i < count; ++i) LineTo(dc_, points[i].x, points[i].y);
}

void GdiCanvas::PutText(FontRole font, Color color, const Rect& r, std::string_view text,
                         TextFormat format) {
  SelectFont(font);
  SetTextColor(dc_, ToColorRef(color));
  UINT flags = DT_SINGLELINE | DT_NOPREFIX;
  flags |= format.horizontal == HAlign::Center  ? DT_CENTER
           : format.horizontal == HAlign::Right ? DT_RIGHT
                                                : DT_LEFT;
  flags |= format.vertical == VAlign::Bottom ? DT_BOTTOM : DT_TOP;
  if (format.ellipsis) flags |= DT_END_ELLIPSIS;
  RECT rc{r.left, r.top, r.right, r.bottom};
  const std::string copy(text);
  ::DrawTextA(dc_, copy.c_str(), int(copy.size()), &rc, flags);
}

int GdiCanvas::TextWidth(FontRole font, std::string_view text) {
  SelectFont(font);
  SIZE size{};
  GetTextExtentPoint32A(dc_, text.data(), int(text.size()), &size);
  return size.cx;
}

OffscreenSurface::~OffscreenSurface() {
  if (dc_) SelectObject(dc_.Get(), originalBitmap_);
}

bool OffscreenSurface::Prepare(HDC reference, int width, int height) {
  if (!dc_) {
    dc_.Reset(CreateCompatibleDC(reference));
    if (!dc_) return false;
    originalBitmap_ = GetCurrentObject(dc_.Get(), OBJ_BITMAP);
  }
  if (width <= 0 || height <= 0) return true;
  if (bitmap_ && width == width_ && height == height_) return true;
  HBITMAP fresh = CreateCompatibleBitmap(reference, width, height);
  if (!fresh) return false;
  SelectObject(dc_.Get(), fresh);
  bitmap_.Reset(fresh);
  width_ = width;
  height_ = height;
  return true;
}

void OffscreenSurface::CopyTo(HDC target, const RECT& part) const {
  if (!dc_ || !bitmap_) return;
  BitBlt(target, part.left, part.top, part.right - part.left, part.bottom - part.top, dc_.Get(),
         part.left, part.top, SRCCOPY);
}

}  // namespace qm
