#include "meter/win32/tray_miniature_icon.h"

namespace qm {

TrayMiniatureIcon::TrayMiniatureIcon() {
  {
    WindowDc screen(nullptr);
    dc_.Reset(CreateCompatibleDC(screen.Get()));
    color_.Reset(CreateCompatibleBitmap(screen.Get(), kMiniatureSize, kMiniatureSize));
    mask_.Reset(CreateCompatibleBitmap(screen.Get(), kMiniatureSize, kMiniatureSize));
  }
  if (dc_ && mask_) {
    // Nothing is ever drawn into the mask but this clearing.
    original_ = SelectObject(dc_.Get(), mask_.Get());
    PatBlt(dc_.Get(), 0, 0, kMiniatureSize, kMiniatureSize, BLACKNESS);
    SelectObject(dc_.Get(), original_);
  }
  canvas_.Attach(dc_.Get());
}

TrayMiniatureIcon::~TrayMiniatureIcon() { canvas_.Attach(nullptr); }

MiniatureColors TrayMiniatureIcon::WithSystemFrame(MiniatureColors colors) {
  colors.shadow = Color(GetSysColor(COLOR_BTNSHADOW));
  colors.highlight = Color(GetSysColor(COLOR_BTNHIGHLIGHT));
  return colors;
}

IconHandle TrayMiniatureIcon::Build(const SampleHistory& history, uint32_t scaleMax, bool columns,
                               const MiniatureColors& colors) {
  if (!Ready()) return IconHandle();
  original_ = SelectObject(dc_.Get(), color_.Get());
  DrawTrayMiniature(canvas_, history, scaleMax, columns, colors);
  SelectObject(dc_.Get(), original_);
  ICONINFO info{};
  info.fIcon = TRUE;  // hot spot 0, 0
  info.hbmMask = mask_.Get();
  info.hbmColor = color_.Get();
  return IconHandle(CreateIconIndirect(&info));
}

}  // namespace qm
