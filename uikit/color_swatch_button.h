#pragma once
// A push button that shows a swatch of its colour beside its text. The
// button is owner-drawn (BS_OWNERDRAW in the template); the dialog hands
// its WM_DRAWITEM to Draw.
//
//   ColorSwatchButton download;
//   download.Attach(Item(IDC_DOWNLOAD), RGB(255, 0, 0));
//   case WM_DRAWITEM: return download.Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));

#include <windows.h>

namespace qm {

class ColorSwatchButton {
 public:
  void Attach(HWND button, COLORREF color);
  HWND Handle() const { return hwnd_; }
  COLORREF Color() const { return color_; }
  // Shows the new colour at once.
  void SetColor(COLORREF color);
  // Draws the button when the record is its own; false otherwise.
  bool Draw(const DRAWITEMSTRUCT& item) const;

 private:
  HWND hwnd_ = nullptr;
  COLORREF color_ = 0;
};

}  // namespace qm
