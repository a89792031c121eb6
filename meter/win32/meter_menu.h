#pragma once
// The meter window's pop-up menu (resource 130): the adapter sub-menus
// filled from the adapter list, and the marks and enabled states refreshed
// each time it opens.

#include <windows.h>

#include "engine/adapter_list.h"
#include "meter/graph_settings.h"
#include "settings/options.h"

namespace qm {

// A View command that flips one display option of every graph view.
struct ViewToggle {
  int command;
  bool Options::*option;
  GraphFlag flag;
};
extern const ViewToggle kViewToggles[11];
const ViewToggle* FindViewToggle(int command);

// What the menu's state depends on besides the options and the adapters.
struct MenuState {
  bool visible = true;
  bool modalOpen = false;
  bool layeredWindows = true;
  bool alertWindowAvailable = false;
};

class PopupMenu {
 public:
  PopupMenu() = default;
  ~PopupMenu();
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;

  bool Load(HINSTANCE instance);
  HMENU Popup() const { return popup_; }

  // Drops the placeholders and appends an item to both adapter sub-menus
  // for every record given its commands since the last call.
  void AddAdapters(const AdapterList& list);
  void AddAdapter(const AdapterRecord& record);

  // The state of every item, as the menu is about to open.
  void Refresh(const Options& opts, const AdapterList& list, const MenuState& state);

  // Tracks the menu with the right button; commands go to `owner`.
  void Track(HWND owner, POINT screen);

 private:
  HMENU menu_ = nullptr;   // the resource's menu bar; owns everything below
  HMENU popup_ = nullptr;  // its first sub-menu
};

}  // namespace qm
