#include "meter/win32/meter_menu.h"

#include "meter/win32/resource.h"

namespace qm {

const ViewToggle kViewToggles[11] = {
    {ID_VIEW_TITLE, &Options::DisplayTitle, GraphFlag::ShowTitle},
    {ID_VIEW_GRAPH, &Options::DisplayGraph, GraphFlag::ShowGraph},
    {ID_VIEW_SCALE, &Options::DisplayScale, GraphFlag::ShowScale},
    {ID_VIEW_SCALE_GRID, &Options::DisplayScaleGrid, GraphFlag::ShowScaleGrid},
    {ID_VIEW_TIME_TEXT, &Options::DisplayTimeText, GraphFlag::ShowTimeText},
    {ID_VIEW_TIME_GRID, &Options::DisplayTimeGrid, GraphFlag::ShowTimeGrid},
    {ID_VIEW_AVG_DOWN_LINE, &Options::DispAvgDownLine, GraphFlag::AvgDownLine},
    {ID_VIEW_AVG_UP_LINE, &Options::DispAvgUpLine, GraphFlag::AvgUpLine},
    {ID_VIEW_TEXT, &Options::DisplayText, GraphFlag::ShowText},
    {ID_VIEW_MAX_RATE, &Options::DisplayMaxRateInText, GraphFlag::ShowMaxInText},
    {ID_VIEW_AVERAGE_SPEEDS, &Options::DispAvgValuesInText, GraphFlag::AveragesInText},
};

const ViewToggle* FindViewToggle(int command) {
  for (const ViewToggle& t : kViewToggles)
    if (t.command == command) return &t;
  return nullptr;
}

namespace {

void Enable(HMENU menu, UINT id, bool on) { EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); }
void Check(HMENU menu, UINT id, bool on) { CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); }

// A radio mark on `on` for a pair of items that share one option.
void Radio(HMENU menu, UINT first, UINT second, bool firstOn) {
  CheckMenuRadioItem(menu, first, second, firstOn ? first : second, MF_BYCOMMAND);
}

void SetItemText(HMENU menu, UINT id, const std::string& text) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<char*>(text.c_str());
  SetMenuItemInfoA(menu, id, FALSE, &info);
}

}  // namespace

PopupMenu::~PopupMenu() {
  if (menu_) DestroyMenu(menu_);
}

bool PopupMenu::Load(HINSTANCE instance) {
  menu_ = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_POPUP_MENU));
  popup_ = menu_ ? GetSubMenu(menu_, 0) : nullptr;
  return popup_ != nullptr;
}

void PopupMenu::AddAdapters(const AdapterList& list) {
  for (size_t i = 0; i < list.size(); ++i) AddAdapter(list[i]);
}

void PopupMenu::AddAdapter(const AdapterRecord& record) {
  if (!popup_) return;
  HMENU adapters = GetSubMenu(popup_, POPUP_POS_ADAPTERS);
  HMENU reset = GetSubMenu(popup_, POPUP_POS_RESET_RATES);
  const char* name = record.displayName.c_str();
  if (record.adaptersMenuCommand && GetMenuState(adapters, record.adaptersMenuCommand, MF_BYCOMMAND) == UINT(-1)) {
    DeleteMenu(adapters, ID_NO_ADAPTERS, MF_BYCOMMAND);
    AppendMenuA(adapters, MF_STRING, record.adaptersMenuCommand, name);
  }
  if (record.resetRatesCommand && GetMenuState(reset, record.resetRatesCommand, MF_BYCOMMAND) == UINT(-1)) {
    DeleteMenu(reset, ID_NO_ADAPTERS, MF_BYCOMMAND);
    AppendMenuA(reset, MF_STRING, record.resetRatesCommand, name);
  }
}

void PopupMenu::Refresh(const Options& o, const AdapterList& list, const MenuState& s) {
  HMENU m = popup_;
  if (!m) return;
  Enable(m, ID_SHOW, !s.visible);
  Enable(m, ID_HIDE, s.visible);
  for (UINT id : {ID_TRAFFIC_REPORTS, ID_OPTIONS, ID_STOPWATCH, ID_RATES_RECORDER, ID_APP_ABOUT}) Enable(m, id, !s.modalOpen);

  for (size_t i = 0; i < list.size(); ++i) {
    const AdapterRecord& r = list[i];
    const std::string title = AdapterTitle(r, o.ShowIPInTitle);
    if (r.adaptersMenuCommand) {
      SetItemText(m, r.adaptersMenuCommand, title);
      Check(m, r.adaptersMenuCommand, r.HasView());
    }
    if (r.resetRatesCommand) {
      SetItemText(m, r.resetRatesCommand, title);
      Enable(m, r.resetRatesCommand, r.HasView());
    }
  }

  for (const ViewToggle& t : kViewToggles) Check(m, t.command, o.*t.option);
  Check(m, ID_VIEW_IP_ADDRESS, o.ShowIPInTitle);
  Check(m, ID_VIEW_ALWAYS_ON_TOP, o.AlwaysOnTop);
  Check(m, ID_VIEW_CAPTION, o.ShowCaption);
  Radio(m, ID_VIEW_UNIT_BYTES, ID_VIEW_UNIT_BITS, o.DisplayUnitByte);
  Radio(m, ID_VIEW_COLUMN_GRAPH, ID_VIEW_LINE_GRAPH, o.GraphStyle == 1);
  Check(m, ID_VIEW_CLICK_THROUGH, s.layeredWindows && o.EnableClickThrough);
  Check(m, ID_VIEW_SEMI_TRANSPARENT, s.layeredWindows && o.SemiTransparent);
  Enable(m, ID_VIEW_CLICK_THROUGH, s.layeredWindows);
  Enable(m, ID_VIEW_SEMI_TRANSPARENT, s.layeredWindows);
}

void PopupMenu::Track(HWND owner, POINT screen) {
  if (popup_) TrackPopupMenu(popup_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
}

}  // namespace qm
