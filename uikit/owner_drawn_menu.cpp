#include "uikit/owner_drawn_menu.h"

#include <algorithm>

#include "platform/ascii_case.h"

namespace qm {

void handle_traits::ImageList::Close(HIMAGELIST h) { ImageList_Destroy(h); }

struct OwnerDrawnMenu::Item {
  std::string text;   // as the menu holds it: "&Hide\tEsc"
  int image = -1;     // index in the strip, -1 for none
  bool separator = false;
  bool radio = false;  // the check mark is a bullet
  bool submenu = false;
};

namespace {

constexpr int kImage = 16;
constexpr int kGutter = kImage + 8;       // image column, also for the marks
constexpr int kTextLeft = kGutter + 6;
constexpr int kAccelGap = 24;             // between text and accelerator
constexpr int kArrowArea = 18;            // right margin, holds the sub-menu arrow
constexpr int kSeparatorHeight = 7;
constexpr COLORREF kTransparent = RGB(255, 0, 255);

// A solid rectangle without making a brush.
void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
  const RECT r{left, top, right, bottom};
  SetBkColor(dc, color);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

// A check mark, 7 x 7 around (cx, cy): columns three pixels tall along a tick.
void DrawCheck(HDC dc, int cx, int cy, COLORREF color) {
  static const int kTop[7] = {2, 3, 4, 3, 2, 1, 0};
  for (int i = 0; i < 7; ++i) Fill(dc, cx - 3 + i, cy - 3 + kTop[i], cx - 2 + i, cy + kTop[i], color);
}

// A round bullet, 7 x 7 around (cx, cy).
void DrawBullet(HDC dc, int cx, int cy, COLORREF color) {
  static const int kHalf[7] = {1, 2, 3, 3, 3, 2, 1};
  for (int i = 0; i < 7; ++i) Fill(dc, cx - kHalf[i], cy - 3 + i, cx + kHalf[i] + 1, cy - 2 + i, color);
}

// A small triangle pointing right, 4 x 7, its tip at (x + 3, cy).
void DrawArrow(HDC dc, int x, int cy, COLORREF color) {
  for (int i = 0; i < 4; ++i) Fill(dc, x + i, cy - 3 + i, x + i + 1, cy + 4 - i, color);
}

// A greyed image: the image on the item's background, each of its pixels
// turned grey and faded halfway into that background.
void DrawFaded(HDC dc, HIMAGELIST images, int index, int x, int y, COLORREF back) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = kImage;
  bi.bmiHeader.biHeight = -kImage;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  MemoryDcHandle memory(CreateCompatibleDC(dc));
  GdiHandle<HBITMAP> dib(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!memory || !dib || !bits) return;
  HGDIOBJ old = SelectObject(memory.Get(), dib.Get());
  Fill(memory.Get(), 0, 0, kImage, kImage, back);
  ImageList_Draw(images, index, memory.Get(), 0, 0, ILD_TRANSPARENT);
  GdiFlush();
  const DWORD backPixel = DWORD(GetRValue(back)) << 16 | DWORD(GetGValue(back)) << 8 | GetBValue(back);
  auto* pixel = static_cast<DWORD*>(bits);
  for (int i = 0; i < kImage * kImage; ++i) {
    const DWORD p = pixel[i] & 0xFFFFFF;
    if (p == backPixel) continue;
    const DWORD grey = ((p >> 16 & 0xFF) * 30 + (p >> 8 & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
    const DWORD r = (grey + GetRValue(back)) / 2, g = (grey + GetGValue(back)) / 2, b = (grey + GetBValue(back)) / 2;
    pixel[i] = r << 16 | g << 8 | b;
  }
  BitBlt(dc, x, y, kImage, kImage, memory.Get(), 0, 0, SRCCOPY);
  SelectObject(memory.Get(), old);
}

// The text before and after the tab.
std::pair<std::string, std::string> SplitAtTab(const std::string& text) {
  const size_t tab = text.find('\t');
  if (tab == std::string::npos) return {text, {}};
  return {text.substr(0, tab), text.substr(tab + 1)};
}

SIZE TextSize(HDC dc, const std::string& text, UINT format) {
  RECT r{0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), int(text.size()), &r, format | DT_CALCRECT | DT_SINGLELINE);
  return {r.right - r.left, r.bottom - r.top};
}

// The letter after the first single '&', or 0.
char Mnemonic(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] != '&') return AsciiLower(text[i + 1]);
    ++i;  // "&&" is a literal ampersand
  }
  return 0;
}

}  // namespace

OwnerDrawnMenu::OwnerDrawnMenu(HINSTANCE instance, int strip, std::vector<MenuImage> images)
    : commands_(std::move(images)) {
  GdiHandle<HBITMAP> bitmap(static_cast<HBITMAP>(
      LoadImageA(instance, MAKEINTRESOURCEA(strip), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  if (bitmap) {
    images_.Reset(ImageList_Create(kImage, kImage, ILC_COLOR24 | ILC_MASK, 5, 0));
    if (images_) ImageList_AddMasked(images_.Get(), bitmap.Get(), kTransparent);
  }
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    font_.Reset(CreateFontIndirectA(&metrics.lfMenuFont));
}

OwnerDrawnMenu::~OwnerDrawnMenu() = default;

int OwnerDrawnMenu::ImageFor(UINT command) const {
  for (const MenuImage& m : commands_)
    if (m.command == command) return images_ ? m.index : -1;
  return -1;
}

bool OwnerDrawnMenu::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_INITMENUPOPUP:
      Prepare(reinterpret_cast<HMENU>(wp));
      result = 0;
      return true;
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (mis->CtlType != ODT_MENU) return false;
      Measure(*mis);
      result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (dis->CtlType != ODT_MENU) return false;
      Draw(*dis);
      result = TRUE;
      return true;
    }
    case WM_MENUCHAR:
      result = MenuChar(reinterpret_cast<HMENU>(lp), char(LOWORD(wp)));
      return true;
  }
  return false;
}

void OwnerDrawnMenu::Prepare(HMENU popup) {
  const int count = GetMenuItemCount(popup);
  if (count < 0) return;
  std::vector<std::unique_ptr<Item>>& old = items_[popup];
  std::vector<std::unique_ptr<Item>> fresh(static_cast<size_t>(count));
  for (int pos = 0; pos < count; ++pos) {
    char text[512] = "";
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_DATA;
    mii.dwTypeData = text;
    mii.cch = sizeof text;
    if (!GetMenuItemInfoA(popup, UINT(pos), TRUE, &mii)) continue;

    // An item turned before keeps its record (items may have moved since);
    // its text is read again, as the owner may have changed it.
    auto known = std::find_if(old.begin(), old.end(), [&](const std::unique_ptr<Item>& i) {
      return i && reinterpret_cast<ULONG_PTR>(i.get()) == mii.dwItemData;
    });
    std::unique_ptr<Item> item = known != old.end() ? std::move(*known) : std::make_unique<Item>();
    item->separator = (mii.fType & MFT_SEPARATOR) != 0;
    item->radio = (mii.fType & MFT_RADIOCHECK) != 0;
    item->submenu = mii.hSubMenu != nullptr;
    if (!item->separator && text[0]) item->text = text;
    item->image = item->submenu || item->separator ? -1 : ImageFor(mii.wID);

    MENUITEMINFOA set{};
    set.cbSize = sizeof set;
    set.fMask = MIIM_FTYPE | MIIM_DATA;
    set.fType = mii.fType | MFT_OWNERDRAW;
    set.dwItemData = reinterpret_cast<ULONG_PTR>(item.get());
    SetMenuItemInfoA(popup, UINT(pos), TRUE, &set);
    fresh[size_t(pos)] = std::move(item);
  }
  old = std::move(fresh);
}

LRESULT OwnerDrawnMenu::MenuChar(HMENU popup, char key) const {
  const auto found = items_.find(popup);
  if (found == items_.end() || !key) return MAKELRESULT(0, MNC_IGNORE);
  const char wanted = AsciiLower(key);
  int first = -1, matches = 0;
  for (size_t pos = 0; pos < found->second.size(); ++pos) {
    const Item* item = found->second[pos].get();
    if (!item || item->separator || Mnemonic(item->text) != wanted) continue;
    if (GetMenuState(popup, UINT(pos), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) continue;
    if (first < 0) first = int(pos);
    ++matches;
  }
  if (first < 0) return MAKELRESULT(0, MNC_IGNORE);
  return MAKELRESULT(first, matches == 1 ? MNC_EXECUTE : MNC_SELECT);
}

void OwnerDrawnMenu::Measure(MEASUREITEMSTRUCT& mis) {
  const auto* item = reinterpret_cast<const Item*>(mis.itemData);
  if (!item) return;
  if (item->separator) {
    mis.itemWidth = 0;
    mis.itemHeight = kSeparatorHeight;
    return;
  }
  WindowDc screen(nullptr);
  HGDIOBJ old = SelectObject(screen.Get(), font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT));
  const auto [label, accel] = SplitAtTab(item->text);
  const SIZE text = TextSize(screen.Get(), label, 0);
  const SIZE keys = TextSize(screen.Get(), accel, DT_NOPREFIX);
  SelectObject(screen.Get(), old);
  mis.itemWidth = UINT(kTextLeft + text.cx + (accel.empty() ? 0 : kAccelGap + keys.cx) + kArrowArea);
  mis.itemHeight = UINT(std::max<LONG>(kImage + 6, text.cy + 8));
}

void OwnerDrawnMenu::Draw(const DRAWITEMSTRUCT& dis) const {
  const auto* item = reinterpret_cast<const Item*>(dis.itemData);
  if (!item) return;
  HDC dc = dis.hDC;
  const RECT& r = dis.rcItem;
  const int cy = (r.top + r.bottom) / 2;
  const int saved = SaveDC(dc);

  if (item->separator) {
    Fill(dc, r.left, r.top, r.right, r.bottom, GetSysColor(COLOR_MENU));
    Fill(dc, r.left + kGutter, cy - 1, r.right - 2, cy, GetSysColor(COLOR_BTNSHADOW));
    Fill(dc, r.left + kGutter, cy, r.right - 2, cy + 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    RestoreDC(dc, saved);
    return;
  }

  const bool selected = (dis.itemState & ODS_SELECTED) != 0;
  const bool disabled = (dis.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  const bool checked = (dis.itemState & ODS_CHECKED) != 0;
  BOOL flat = FALSE;
  SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0);
  const COLORREF back = GetSysColor(!selected ? COLOR_MENU : flat ? COLOR_MENUHILIGHT : COLOR_HIGHLIGHT);
  const COLORREF fore = GetSysColor(disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  Fill(dc, r.left, r.top, r.right, r.bottom, back);

  // Image column: the image (framed while checked), or the mark alone.
  const int gx = r.left + (kGutter - kImage) / 2, gy = cy - kImage / 2;
  if (item->image >= 0) {
    if (checked) {
      RECT frame{gx - 2, gy - 2, gx + kImage + 2, gy + kImage + 2};
      DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
    }
    if (disabled) {
      DrawFaded(dc, images_.Get(), item->image, gx, gy, back);
    } else {
      ImageList_Draw(images_.Get(), item->image, dc, gx, gy, ILD_TRANSPARENT);
    }
  } else if (checked) {
    (item->radio ? DrawBullet : DrawCheck)(dc, r.left + kGutter / 2, cy, fore);
  }

  SelectObject(dc, font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, fore);
  const auto [label, accel] = SplitAtTab(item->text);
  RECT text{r.left + kTextLeft, r.top, r.right - kArrowArea, r.bottom};
  const UINT line = DT_SINGLELINE | DT_VCENTER | ((dis.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
  DrawTextA(dc, label.c_str(), int(label.size()), &text, line | DT_LEFT);
  if (!accel.empty()) DrawTextA(dc, accel.c_str(), int(accel.size()), &text, line | DT_RIGHT | DT_NOPREFIX);
  if (item->submenu) DrawArrow(dc, r.right - kArrowArea + 7, cy, fore);
  RestoreDC(dc, saved);
  // The system draws its own arrow after this, in its own colours: keep it
  // off the item.
  if (item->submenu) ExcludeClipRect(dc, r.right - kArrowArea, r.top, r.right, r.bottom);
}

}  // namespace qm
