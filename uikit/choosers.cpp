#include "uikit/choosers.h"

#include <commdlg.h>

namespace qm {

bool ChooseColorFor(HWND owner, COLORREF& color) {
  static COLORREF custom[16] = {};
  CHOOSECOLORA c{};
  c.lStructSize = sizeof c;
  c.hwndOwner = owner;
  c.rgbResult = color;
  c.lpCustColors = custom;
  c.Flags = CC_FULLOPEN | CC_RGBINIT;
  if (!ChooseColorA(&c)) return false;
  color = c.rgbResult;
  return true;
}

bool ChooseScreenFont(HWND owner, LOGFONTA& font, int& pointTenths) {
  LOGFONTA chosen = font;
  CHOOSEFONTA c{};
  c.lStructSize = sizeof c;
  c.hwndOwner = owner;
  c.lpLogFont = &chosen;
  c.Flags = CF_SCREENFONTS | CF_NOVERTFONTS | CF_NOSCRIPTSEL | CF_INITTOLOGFONTSTRUCT;
  if (!ChooseFontA(&c)) return false;
  font = chosen;
  pointTenths = c.iPointSize;
  return true;
}

}  // namespace qm
