// The meter window's side of the options sheet: it runs the sheet with
// copies of its values and takes over what each page applies, in the order
// the page's effects must reach the window, then saves the groups touched.

#include <cstdio>

#include "meter/options_checks.h"
#include "meter/win32/meter_window.h"
#include "meter/win32/options_sheet.h"
#include "meter/win32/resource.h"
#include "meter/win32/transparency.h"
#include "notify/win32/notification_page.h"
#include "settings/start_with_windows.h"

namespace qm {
namespace {

constexpr char kCaption[] = "Quellmark";
constexpr char kHotkeyTaken[] =
    "The hot key Ctrl+Shift+%c is already used by another program, so it cannot show Quellmark now.\n\n"
    "The option stays on: Quellmark tries the hot key again when you apply the General page again or "
    "start it the next time.";

std::string ProgramPath() {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  return n > 0 && n < sizeof path ? std::string(path, n) : std::string();
}

}  // namespace

void MeterWindow::OpenOptions() {
  if (Has(kModalOpen)) return;
  RunModal([this] {
    OptionsSheetInput input;
    input.options = opts_;
    input.layeredWindows = layered_;
    const AdapterList& list = engine_.adapters();
    for (size_t i = 0; i < list.size(); ++i) {
      const AdapterRecord& r = list[i];
      input.adapters.push_back(
          AdapterRow{r.kind, r.id, r.displayName, r.systemName, r.ipAddress, r.connectionSpeed, r.monitored});
    }
    COptionsSheet sheet(instance_, hwnd_, input);
    COptNotificationPage notification(NotificationPageCopies());
    sheet.SetNotificationPage(&notification);
    sheet.Run();
  });
}

void MeterWindow::OnOptionsApply(int code, OptionsPage& page) {
  switch (code) {
    case OPTIONS_PAGE_GENERAL:
      ApplyGeneralPage(static_cast<COptGeneralPage&>(page).Values(), page.Handle());
      break;
    case OPTIONS_PAGE_GRAPH_TEXT:
      ApplyGraphTextPage(static_cast<COptGraphTextPage&>(page).Values());
      break;
    case OPTIONS_PAGE_ADAPTERS: {
      const auto& adapters = static_cast<COptAdaptersPage&>(page);
      ApplyAdaptersPage(adapters.Values(), adapters.Rows());
      break;
    }
    case OPTIONS_PAGE_NOTIFICATION:
      ApplyNotificationPage(static_cast<COptNotificationPage&>(page));
      break;
  }
}

void MeterWindow::RegisterShowHotkey(HWND messageOwner) {
  hotkeyRegistered_ = RegisterHotKey(hwnd_, HOTKEY_SHOW, MOD_CONTROL | MOD_SHIFT, opts_.HotkeyChar) != FALSE;
  if (hotkeyRegistered_) return;
  char text[sizeof kHotkeyTaken + 8];
  std::snprintf(text, sizeof text, kHotkeyTaken, char(opts_.HotkeyChar));
  MessageBoxA(messageOwner, text, kCaption, MB_OK | MB_ICONWARNING);
}

// Every graph view takes the options without drawing, then lays itself out
// once.
void MeterWindow::RelayoutViews(bool titles) {
  const GraphViewSettings settings(opts_);
  for (AdapterRecord* r : ShownRecords()) {
    RateGraphView* view = ViewOf(*r);
    view->ApplySettings(settings);
    if (titles) view->SetTitle(AdapterTitle(*r, opts_.ShowIPInTitle));
    view->Relayout();
  }
}

void MeterWindow::ApplyGeneralPage(const Options& v, HWND page) {
  const Options before = opts_;

  opts_.ShowIPInTitle = v.ShowIPInTitle;
  engine_.options().showIpInTitle = v.ShowIPInTitle;
  recorderOptions_.showIpInTitle = v.ShowIPInTitle;

  const bool restartRule = CalendarChangeRestartsRule(opts_.NotificationEnabled, opts_.NotificationEx2, before, v);
  opts_.WeekStartDay = v.WeekStartDay;
  opts_.MonthStartDay = v.MonthStartDay;
  opts_.DateFormat = v.DateFormat;
  calendar_ = RuleCalendar{int(opts_.WeekStartDay), int(opts_.MonthStartDay), opts_.DateFormat};
  recorderOptions_.dateFormat = opts_.DateFormat;
  if (restartRule) PrepareNotification();

  // From what is registered, not from the option: a letter another program
  // held is tried again with the next apply.
  const HotkeyChange hotkey = HotkeyChangeFor(hotkeyRegistered_, before.HotkeyChar, v.HotkeyEnabled, v.HotkeyChar);
  opts_.HotkeyEnabled = v.HotkeyEnabled;
  opts_.HotkeyChar = v.HotkeyChar;
  if (hotkey == HotkeyChange::Unregister || hotkey == HotkeyChange::Reregister) {
    UnregisterHotKey(hwnd_, HOTKEY_SHOW);
    hotkeyRegistered_ = false;
  }
  if (hotkey == HotkeyChange::Register || hotkey == HotkeyChange::Reregister) RegisterShowHotkey(page);

  opts_.AlwaysOnTop = v.AlwaysOnTop;
  if (opts_.AlwaysOnTop != before.AlwaysOnTop) SetTopmost(opts_.AlwaysOnTop);
  opts_.ShowCaption = v.ShowCaption;
  if (opts_.ShowCaption != before.ShowCaption) ApplyCaptionStyle();

  if (layered_) {
    opts_.SemiTransparent = v.SemiTransparent;
    opts_.TransparentPercent = v.TransparentPercent;
    opts_.EnableClickThrough = v.EnableClickThrough;
    ApplyWindowTransparency();
  }

  opts_.StartMinimized = v.StartMinimized;
  opts_.StartWithWindows = v.StartWithWindows;
  SetStartWithWindows(store_, opts_.StartWithWindows, ProgramPath());

  for (bool Options::*flag :
       {&Options::DisplayTitle, &Options::DisplayGraph, &Options::DisplayScaleGrid, &Options::DisplayScale,
        &Options::DisplayText, &Options::DisplayMaxRateInText, &Options::TextCrSameAsGraphCr,
        &Options::DispAvgValuesInText, &Options::DispAvgDownLine, &Options::DispAvgUpLine, &Options::DisplayTimeGrid,
        &Options::DisplayTimeText, &Options::ScaleGridOnTop, &Options::TimeGridOnTop, &Options::TimeTextOnTop,
        &Options::DisplayUnitByte})
    opts_.*flag = v.*flag;
  RelayoutViews(opts_.ShowIPInTitle != before.ShowIPInTitle);

  if (opts_.DisplayUnitByte != before.DisplayUnitByte) {
    recorderOptions_.byteUnits = opts_.DisplayUnitByte;
    ReopenRatesLogs(engine_.adapters(), SystemFileSystem(), recorderOptions_, SystemClock().Now());
  }

  if (v.RateViewMargins != before.RateViewMargins) {
    opts_.RateViewMargins = v.RateViewMargins;
    stack_.margin = opts_.RateViewMargins;
    // Forgetting the last size makes the resize rule lay every view out anew.
    stack_.clientWidth = stack_.clientHeight = 0;
    RECT client;
    GetClientRect(hwnd_, &client);
    ResizeViews(stack_, client.right, client.bottom);
    PlaceViews();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }

  // Only the groups whose values the page changed.
  SaveOptionGroup(GroupsThatDiffer(before, opts_, kSaveGeneral | kSaveDisplay));
}

// The tray draws with the options' colours at every refresh (its pens are
// made per colour), so the new graph colours reach it with the next tick.
void MeterWindow::ApplyGraphTextPage(const Options& v) {
  for (uint32_t Options::*colour :
       {&Options::GraphBkgColor, &Options::GridColor, &Options::DownColor, &Options::UpColor,
        &Options::BothDownUpColor, &Options::AvgDownLineColor, &Options::AvgUpLineColor, &Options::TitleBkgColor,
        &Options::TitleTextColor, &Options::ScaleTextColor, &Options::RateTextColor, &Options::RateBkgColor,
        &Options::BorderColor, &Options::TimeGridColor, &Options::TimeTextColor})
    opts_.*colour = v.*colour;
  for (LogFontRecord Options::*font : {&Options::TitleFont, &Options::RateFont, &Options::ScaleFont,
                                       &Options::TimeTextFont})
    opts_.*font = v.*font;
  for (int32_t Options::*number :
       {&Options::RateHeightPercent, &Options::PulseSpace, &Options::PulseWidth, &Options::ScaleGridLineStyle,
        &Options::TimeGridLineStyle, &Options::TimeGridIntervalSec, &Options::TimeFormat, &Options::GraphStyle})
    opts_.*number = v.*number;
  RelayoutViews(false);
  SaveOptionGroup(kSaveColours | kSaveFonts | kSaveGraphStyle);
}

// The page's rows stand for the records at the sheet's opening, in list
// order; records found since then follow them and keep their settings.
void MeterWindow::ApplyAdaptersPage(const Options& v, const std::vector<AdapterRow>& rows) {
  AdapterList& list = engine_.adapters();
  std::vector<AdapterRecord*> shown, hidden;
  for (size_t i = 0; i < rows.size() && i < list.size(); ++i) {
    AdapterRecord& r = list[i];
    const AdapterRow& row = rows[i];
    if (r.kind != row.kind || r.id != row.id) continue;
    r.connectionSpeed = row.connectionSpeed;
    r.displayName = row.displayName;
    if (row.monitored == r.monitored) {
      if (RateGraphView* view = ViewOf(r)) {
        view->SetConnectionSpeed(r.connectionSpeed, true);
        view->SetTitle(AdapterTitle(r, opts_.ShowIPInTitle));
      }
    } else {
      (row.monitored ? shown : hidden).push_back(&r);
    }
  }
  // New views first, so that hiding never meets the last one.
  if (!shown.empty() || !hidden.empty()) {
    SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
    for (AdapterRecord* r : shown) ToggleAdapterView(*r);
    for (AdapterRecord* r : hidden) ToggleAdapterView(*r);
    SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }

  const bool trayWasOn = opts_.DispIconSystray;
  opts_.DispIconSystray = v.DispIconSystray;
  if (trayWasOn && !opts_.DispIconSystray) tray_->Remove();
  opts_.ShowGraphInSystray = v.ShowGraphInSystray;
  opts_.STIfType = v.STIfType;
  opts_.STAdpID = v.STAdpID;
  opts_.ShowAdapterNameInSystrayTips = v.ShowAdapterNameInSystrayTips;
  opts_.ShowAdapterIPInSystrayTips = v.ShowAdapterIPInSystrayTips;
  EngineOptions& eo = engine_.options();
  eo.trayIcon = opts_.DispIconSystray;
  eo.trayKind = opts_.STIfType;
  eo.trayId = opts_.STAdpID;

  engine_.SaveAdapterSettings(kIdentityGroup);
  SaveOptionGroup(kSaveTray);
}

}  // namespace qm
