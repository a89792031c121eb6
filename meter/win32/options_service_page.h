#pragma once
// COptServicePage: what the service can be told, shown for information
// only. Every control is disabled; nothing is loaded into it or saved
// from it.

#include <windows.h>

#include "uikit/property_sheet.h"

namespace qm {

class COptServicePage : public PropertyPage {
 public:
  COptServicePage();
  void SetFont(HFONT font) { font_ = font; }

 protected:
  bool OnInit() override;

 private:
  HFONT font_ = nullptr;
};

}  // namespace qm
