#pragma once
// Pop-up menus drawn by the program: a 16 x 16 image beside chosen
// commands, the system's menu colours (so they follow the theme), check and
// radio marks, greyed items, sub-menu arrows and accelerator texts after a
// tab.
//
// The menus stay ordinary menus for the code that fills them: texts set
// with SetMenuItemInfo, marks with CheckMenuItem or CheckMenuRadioItem,
// states with EnableMenuItem, items appended with AppendMenu. Each time a
// pop-up opens its items are read afresh and turned into owner-drawn ones.
//
// Use in the owner window's procedure:
//   OwnerDrawnMenu menus(instance, IDR_MENU_IMAGES, {{ID_SHOW, 0}, {ID_OPTIONS, 1}, ...});
//   WM_INITMENUPOPUP: update the items' state first, then
//   if (menus.HandleMessage(msg, wp, lp, result)) return result;   (for the
//   four messages WM_INITMENUPOPUP, WM_MEASUREITEM, WM_DRAWITEM, WM_MENUCHAR)

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace qm {

namespace handle_traits {
struct ImageList {
  using Type = HIMAGELIST;
  static Type Invalid() { return nullptr; }
  static void Close(Type h);
};
}  // namespace handle_traits
using ImageListHandle = UniqueHandle<handle_traits::ImageList>;

struct MenuImage {
  UINT command;
  int index;  // in the image strip
};

class OwnerDrawnMenu {
 public:
  // `strip`: bitmap resource of 16 x 16 images side by side, magenta
  // (255, 0, 255) where transparent.
  OwnerDrawnMenu(HINSTANCE instance, int strip, std::vector<MenuImage> images);
  ~OwnerDrawnMenu();
  OwnerDrawnMenu(const OwnerDrawnMenu&) = delete;
  OwnerDrawnMenu& operator=(const OwnerDrawnMenu&) = delete;

  // True when the message was one of the menu's; `result` is its answer.
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  // Turns the items of one pop-up into owner-drawn ones (done by
  // WM_INITMENUPOPUP; callable for a menu shown some other way).
  void Prepare(HMENU popup);

  // WM_MENUCHAR's answer for a key typed in `popup`: the item whose
  // mnemonic (the letter after '&') it is.
  LRESULT MenuChar(HMENU popup, char key) const;

  struct Item;

 private:
  void Measure(MEASUREITEMSTRUCT& mis);
  void Draw(const DRAWITEMSTRUCT& dis) const;
  int ImageFor(UINT command) const;

  ImageListHandle images_;
  std::vector<MenuImage> commands_;
  GdiHandle<HFONT> font_;
  std::map<HMENU, std::vector<std::unique_ptr<Item>>> items_;
};

}  // namespace qm
