#pragma once
// The tray's live 16 x 16 miniature as an icon: a memory context and two
// bitmaps kept for the meter window's life (the mask stays all zero, so the
// icon is fully opaque), drawn afresh for every refresh.

#include <windows.h>

#include "engine/rate_sample.h"
#include "meter/tray_tip.h"
#include "meter/win32/gdi_canvas.h"
#include "platform/win32/unique_handle.h"

namespace qm {

class TrayMiniatureIcon {
 public:
  TrayMiniatureIcon();
  ~TrayMiniatureIcon();
  TrayMiniatureIcon(const TrayMiniatureIcon&) = delete;
  TrayMiniatureIcon& operator=(const TrayMiniatureIcon&) = delete;

  bool Ready() const { return dc_ && color_ && mask_; }
  // A fresh icon each time; empty on failure.
  IconHandle Build(const SampleHistory& history, uint32_t scaleMax, bool columns,
              const MiniatureColors& colors);
  // The system's button shadow and highlight for the frame.
  static MiniatureColors WithSystemFrame(MiniatureColors colors);

 private:
  MemoryDcHandle dc_;
  GdiHandle<HBITMAP> color_;
  GdiHandle<HBITMAP> mask_;
  HGDIOBJ original_ = nullptr;
  GdiCanvas canvas_;  // on dc_ for the icon's life, so its pens are kept
};

}  // namespace qm
