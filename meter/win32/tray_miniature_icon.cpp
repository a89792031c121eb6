#include "meter/win32/tray_miniature_icon.h"

namespace qm {

TrayMiniatureIcon::TrayMiniatureIcon() {
  HDC screen = GetDC(nullptr);
  dc_ = CreateCompatibleDC(screen);
  color_ = CreateCompatibleBitmap(screen, kMiniatureSize, kMiniatureSize);
  mask_ = CreateCompatibleBitmap(screen, kMiniatureSize, kMiniatureSize);
  ReleaseDC(nullptr, screen);
  if (dc_ && mask_) {
    // Nothing is ever drawn into the mask but this clearing.
    original_ = SelectObject(dc_, mask_);
    PatBlt(dc_, 0, 0, kMiniatureSize, kMiniatureSize, BLACKNESS);
    SelectObject(dc_, original_);
  }
  canvas_.Attach(dc_);
}

TrayMiniatureIcon::~TrayMiniatureIcon() {
  canvas_.Attach(nullptr);
  if (dc_) DeleteDC(dc_);
  if (color_) DeleteObject(color_);
  if (mask_) DeleteObject(mask_);
}

MiniatureColors TrayMiniatureIcon::WithSystemFrame(MiniatureColors colors) {
  colors.shadow = Color(GetSysColor(COLOR_BTNSHADOW));
  colors.highlight = Color(GetSysColor(COLOR_BTNHIGHLIGHT));
  return colors;
}

HICON TrayMiniatureIcon::Build(const SampleHistory& history, uint32_t scaleMax, bool columns,
                               const MiniatureColors& colors) {
  if (!Ready()) return nullptr;
  original_ = SelectObject(dc_, color_);
  DrawTrayMiniature(canvas_, history, scaleMax, columns, colors);
  SelectObject(dc_, original_);
  ICONINFO info{};
  info.fIcon = TRUE;  // hot spot 0, 0
  info.hbmMask = mask_;
  info.hbmColor = color_;
  return CreateIconIndirect(&info);
}

}  // namespace qm
