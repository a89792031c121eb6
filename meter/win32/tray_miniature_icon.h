#pragma once
// The tray's live 16 x 16 miniature as an icon: a memory context and two
// bitmaps kept for the meter window's life (the mask stays all zero, so the
// icon is fully opaque), drawn afresh for every refresh.

#include <windows.h>

#include "engine/rate_sample.h"
#include "meter/tray_tip.h"
#include "meter/win32/gdi_canvas.h"

namespace qm {

class TrayMiniatureIcon {
 public:
  TrayMiniatureIcon();
  ~TrayMiniatureIcon();
  TrayMiniatureIcon(const TrayMiniatureIcon&) = delete;
  TrayMiniatureIcon& operator=(const TrayMiniatureIcon&) = delete;

  bool Ready() const { return dc_ && color_ && mask_; }
  // The icon belongs to the caller (DestroyIcon); null on failure.
  HICON Build(const SampleHistory& history, uint32_t scaleMax, bool columns,
              const MiniatureColors& colors);
  // The system's button shadow and highlight for the frame.
  static MiniatureColors WithSystemFrame(MiniatureColors colors);

 private:
  HDC dc_ = nullptr;
  HBITMAP color_ = nullptr;
  HBITMAP mask_ = nullptr;
  HGDIOBJ original_ = nullptr;
  GdiCanvas canvas_;  // on dc_ for the icon's life, so its pens are kept
};

}  // namespace qm
