#include "meter/win32/meter_window.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>

#include "engine/history_file.h"
#include "format/amount.h"
#include "meter/window_geometry.h"
#include "meter/win32/about_box.h"
#include "meter/win32/help_viewer.h"
#include "meter/win32/resource.h"
#include "meter/win32/transparency.h"
#include "meter/win32/web_address.h"
#include "notify/beep_player.h"
#include "notify/win32/alert_window.h"
#include "notify/notification_mail.h"
#include "reports/win32/summary_sheet.h"
#include "platform/win32/shell_folders.h"
#include "platform/win32/system_error.h"
#include "recorder/recorder_choices.h"
#include "recorder/win32/rates_recorder_dialog.h"
#include "recorder/win32/stopwatch_window.h"
#include "settings/history_path.h"
#include "settings/registry_layout.h"
#include "settings/start_with_windows.h"
#include "uikit/file_dialogs.h"

namespace qm {
namespace {

constexpr char kCaption[] = "Quellmark";
constexpr char kConnectionViewer[] = "Tcpview.exe";
constexpr char kGraphOrText[] = "At least either graph or text should be displayed.";
constexpr char kOneAdapter[] = "At least one adapter should be monitored.";
constexpr char kLogFailed[] =
    "Failed to create traffic log file \"%s\". Please make sure you have permission to create and write file at "
    "the folder.\n\nDo you want to choose a custom log file?";
constexpr char kLogGivenUp[] =
    "Dear user, you've given up to choose a file for traffic log, which means all traffic information will be "
    "lost when the software restarts.";
constexpr char kHistoryWriteFailed[] =
    "Failed to write traffic log file \"%s\": %s\n\nToday's traffic is kept in memory and written again every "
    "four minutes and when Quellmark exits.";
constexpr char kHistoryLostAtExit[] =
    "Failed to write traffic log file \"%s\": %s\n\nThe traffic counted since the file was last written "
    "(today on All Connections: %s downloaded, %s uploaded) is lost when Quellmark exits. Make room on the disk "
    "or make the file writable, then choose Retry. Cancel exits without it.";
constexpr char kHistoryMovedAside[] =
    "Traffic log file \"%s\" is not a traffic log file. It was kept as \"%s\", and a new traffic log file "
    "was started in its place.";
constexpr char kProgramFailed[] = "Failed to run the program \"%s\" of the usage notification: %s";
constexpr char kRecorderWriteFailed[] =
    "Failed to write rates recording file \"%s\": %s\n\nRecording the traffic rates of %s has stopped. "
    "Choose OK in the Traffic Rates Recorder (F5) to record again.";
constexpr char kConnectionViewerQuestion[] =
    "TCP Connections shows every TCP and UDP endpoint of this computer through a free network utility of "
    "another vendor, which is not part of %s.\n\nTo use it, download the utility, unpack it and copy its "
    "\"Tcpview.exe\" into the folder\n\n%s\n\nAfter that, this command starts it.\n\nDo you want to open that "
    "folder and the utility's download page now?";

Date DateOf(const LocalTime& t) { return MakeDate(t.year, t.month, t.day); }

Rect ToRect(const RECT& r) { return {int(r.left), int(r.top), int(r.right), int(r.bottom)}; }

// Colour icons built at run time need version 5.1 or later.
bool ColourTrayIconsSupported() {
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&v)) return false;
#pragma GCC diagnostic pop
  return v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion != 0);
}

}  // namespace

MeterWindow::MeterWindow(HINSTANCE instance, AdapterSource& adapters, SettingsStore& store)
    : instance_(instance), store_(store),
      engine_(EngineVariant::Desktop, adapters, store, SystemFileSystem(), SystemClock()), alerts_(*this) {
  layered_ = LayeredWindowsSupported();
  colourTray_ = ColourTrayIconsSupported();
  opts_ = DefaultOptions(layered_);
  engine_.options().historyLimit = size_t(std::max(GetSystemMetrics(SM_CXSCREEN), 2048));
  engine_.set_listener(this);
}

MeterWindow::~MeterWindow() = default;

INT_PTR MeterWindow::Run() { return ModalDialog::Run(instance_, IDD_METER, nullptr); }

// ---- initialisation ----------------------------------------------------------

bool MeterWindow::OnInit() {
  // 1. Options, window rectangle, e-mail settings.
  LoadOptions(store_, RegRoot::CurrentUser, opts_);
  if (!layered_) opts_.SemiTransparent = opts_.EnableClickThrough = false;
  LoadEmailSettings(store_, RegRoot::CurrentUser, email_);
  recorderOptions_ = RatesLogOptions{opts_.DisplayUnitByte, opts_.ShowIPInTitle, opts_.DateFormat};
  calendar_ = RuleCalendar{int(opts_.WeekStartDay), int(opts_.MonthStartDay), opts_.DateFormat};
  alerts_.SetNextAlert(opts_.NextAlertType, opts_.NextAlertMin);

  // 3. Icons, title, and the handle a second start finds.
  icon_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  HICON small = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, LR_SHARED));
  SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small ? small : icon_));
  SetWindowTextA(hwnd_, kCaption);
  opts_.mainWindowHandle = uint32_t(reinterpret_cast<uintptr_t>(hwnd_));
  SaveOptions(store_, RegRoot::CurrentUser, opts_, kSaveHandle);

  // 4. Splitter cursor, accelerators, pop-up menu.
  splitterCursor_ = LoadCursorA(instance_, MAKEINTRESOURCEA(IDC_SPLITTER));
  if (!splitterCursor_) splitterCursor_ = LoadCursor(nullptr, IDC_SIZENS);
  accelerators_ = LoadAcceleratorsA(instance_, MAKEINTRESOURCEA(IDR_ACCELERATORS));
  menu_.Load(instance_);
  menuDrawing_ = std::make_unique<OwnerDrawnMenu>(
      instance_, IDR_MENU_IMAGES,
      std::vector<MenuImage>{{ID_SHOW, 0}, {ID_OPTIONS, 1}, {ID_STOPWATCH, 2}, {ID_TRAFFIC_REPORTS, 3},
                             {ID_HELP_FINDER, 4}});
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  tray_ = std::make_unique<TrayIcon>(
      hwnd_, instance_,
      TrayIconIds{IDI_TRAY_ICON_ID, UM_TRAY_NOTIFY, {IDI_TRAY_IDLE, IDI_TRAY_UP, IDI_TRAY_DOWN, IDI_TRAY_BOTH}},
      colourTray_);

  // 5.-6. Adapters and their menu entries.
  EngineOptions& eo = engine_.options();
  eo.showIpInTitle = opts_.ShowIPInTitle;
  eo.trayIcon = opts_.DispIconSystray;
  eo.notificationEnabled = opts_.NotificationEnabled;
  engine_.LoadAdapterList();
  AdapterList& list = engine_.adapters();
  for (size_t i = 0; i < list.size(); ++i) list.AssignMenuCommands(list[i]);
  menu_.AddAdapters(list);

  // 7. Rates recorders.
  StartDesktopRecorders(list, SystemFileSystem(), recorderOptions_, SystemClock().Now());

  // 8. The Run entry decides whether the program starts with the system.
  opts_.StartWithWindows = IsStartWithWindows(store_);

  // 9. Place the window, make the graph views.
  PlaceWindow();
  StackAllViews();

  // 10. The tray adapter must exist.
  if (!list.FindTrayAdapter(opts_.STIfType, opts_.STAdpID)) {
    opts_.STIfType = kKindAllConnections;
    opts_.STAdpID.clear();
  }
  eo.trayKind = opts_.STIfType;
  eo.trayId = opts_.STAdpID;

  // 11. Transparency and click-through.
  if (layered_) {
    if (opts_.SemiTransparent)
      ApplyTransparency(hwnd_, opts_.TransparentPercent, opts_.EnableClickThrough);
    else if (opts_.EnableClickThrough)
      ApplyTransparency(hwnd_, 0, true);
  }
  // 12. Topmost once the dialog runs.
  if (opts_.AlwaysOnTop) PostMessageA(hwnd_, UM_APPLY_TOPMOST, 0, 0);
  // 13. Caption.
  if (!opts_.ShowCaption) {
    SetWindowLongPtrA(hwnd_, GWL_STYLE, GetWindowLongPtrA(hwnd_, GWL_STYLE) & ~LONG_PTR(WS_CAPTION));
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
  // 14. Start hidden or visible.
  if (opts_.StartMinimized) {
    Set(kStartHidden, true);
    Set(kVisible, false);
  } else {
    Set(kVisible, true);
  }
  // 15. No task-bar button.
  LONG_PTR ex = GetWindowLongPtrA(hwnd_, GWL_EXSTYLE);
  SetWindowLongPtrA(hwnd_, GWL_EXSTYLE, (ex & ~LONG_PTR(WS_EX_APPWINDOW)) | WS_EX_TOOLWINDOW);
  // 16. The static tray icon, unless the live graph brings its own.
  if (opts_.DispIconSystray) tray_->AddInitial(opts_);
  // 17. History file and today's totals.
  OpenHistory();
  // 18. Notification.
  if (opts_.NotificationEnabled) PrepareNotification();
  // 19. Hot key.
  hotkeyRegistered_ =
      opts_.HotkeyEnabled && RegisterHotKey(hwnd_, HOTKEY_SHOW, MOD_CONTROL | MOD_SHIFT, opts_.HotkeyChar);
  // 20. First run opens the help.
  if (IsFirstRun(store_, RegRoot::CurrentUser)) {
    ClearFirstRun(store_, RegRoot::CurrentUser);
    OpenHelpMaximized(hwnd_);
  }
  // 21. The tick.
  StartTick();
  return true;
}

void MeterWindow::PlaceWindow() {
  RECT current;
  GetWindowRect(hwnd_, &current);
  Rect r;
  if (opts_.hasWindowRect && opts_.windowRect.right > opts_.windowRect.left &&
      opts_.windowRect.bottom > opts_.windowRect.top) {
    r = {opts_.windowRect.left, opts_.windowRect.top, opts_.windowRect.right, opts_.windowRect.bottom};
  } else {
    RECT work;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) GetWindowRect(GetDesktopWindow(), &work);
    r = BottomRightPlacement(ToRect(current), ToRect(work), GetSystemMetrics(SM_CXVSCROLL),
                             GetSystemMetrics(SM_CYHSCROLL));
  }
  MoveWindow(hwnd_, r.left, r.top, r.Width(), r.Height(), TRUE);
  RECT client;
  GetClientRect(hwnd_, &client);
  const Rect grown = GrowForMargins(r, client.right, client.bottom, opts_.RateViewMargins);
  if (!(grown == r)) MoveWindow(hwnd_, grown.left, grown.top, grown.Width(), grown.Height(), TRUE);
}

void MeterWindow::StartTick() {
  if (SetTimer(hwnd_, TIMER_TICK, 1000, nullptr)) Set(kTickRunning, true);
}

void MeterWindow::StopTick() {
  KillTimer(hwnd_, TIMER_TICK);
  Set(kTickRunning, false);
}

void MeterWindow::OpenHistory() {
  bool configured = false;
  const std::string path =
      SelectDesktopHistoryPath(store_, SystemFileSystem(), DocumentsFolder(), ProgramFolder(), configured);
  if (engine_.OpenHistoryFile(path, configured))
    TellMovedAside();
  else
    PostMessageA(hwnd_, UM_LOGFILE_FAILED, 0, 0);
}

// Said once the window runs: the person would otherwise find an empty
// history and no word of where the old file went.
void MeterWindow::TellMovedAside() {
  const std::string& path = engine_.historyPath();
  const std::string& aside = engine_.history().movedAsidePath();
  if (aside.empty()) return;
  std::vector<char> text(sizeof kHistoryMovedAside + path.size() + aside.size());
  std::snprintf(text.data(), text.size(), kHistoryMovedAside, path.c_str(), aside.c_str());
  auto* message = new std::string(text.data());
  if (!PostMessageA(hwnd_, UM_HISTORY_MOVED_ASIDE, 0, reinterpret_cast<LPARAM>(message))) delete message;
}

// The history file could not be opened: the user may choose another one,
// or the program runs without one.
void MeterWindow::OnLogFileFailed() {
  std::string path = engine_.historyPath();
  for (;;) {
    std::vector<char> text(sizeof kLogFailed + path.size());
    std::snprintf(text.data(), text.size(), kLogFailed, path.c_str());
    if (MessageBoxA(hwnd_, text.data(), kCaption, MB_YESNO | MB_ICONWARNING) != IDYES) break;
    FileDialogSetup setup;
    setup.filter = "Log File (*.log)\0*.log\0";
    setup.defaultExtension = "log";
    setup.flags = OFN_PATHMUSTEXIST;
    if (!ChooseFileToSave(hwnd_, setup, path)) break;
    store_.WriteString(RegRoot::CurrentUser, kOptionsKey, kTrafficLogFileValue, path);
    if (engine_.OpenHistoryFile(path, true)) {
      TellMovedAside();
      return;
    }
  }
  MessageBoxA(hwnd_, kLogGivenUp, kCaption, MB_OK | MB_ICONINFORMATION);
}

// ---- messages -------------------------------------------------------------------

bool MeterWindow::PreTranslate(MSG& msg) {
  if (!accelerators_ || !hwnd_) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  return TranslateAcceleratorA(hwnd_, accelerators_, &msg) != 0;
}

bool MeterWindow::OnTimer(UINT_PTR id) {
  if (id != TIMER_TICK) return false;
  engine_.SampleTick();
  return true;
}

bool MeterWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_PAINT:
      if (!IsIconic(hwnd_)) return false;
      {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        RECT r;
        GetClientRect(hwnd_, &r);
        DrawIcon(dc, (r.right - GetSystemMetrics(SM_CXICON) + 1) / 2, (r.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2,
                 icon_);
        EndPaint(hwnd_, &ps);
      }
      return true;
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<LRESULT>(icon_);
      return true;
    case WM_CLOSE:
      Exit();
      return true;
    case WM_SIZE:
      if (wp == SIZE_MINIMIZED) return false;
      ResizeViews(stack_, LOWORD(lp), HIWORD(lp), movingByProgram_);
      if (!movingByProgram_) PlaceViews();
      return true;
    case WM_CONTEXTMENU: {
      POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      if (lp == -1) GetCursorPos(&p);
      POINT c = p;
      ScreenToClient(hwnd_, &c);
      RECT client;
      GetClientRect(hwnd_, &client);
      if (!PtInRect(&client, c)) return false;
      ShowPopupMenu(p);
      return true;
    }
    case WM_NCHITTEST: {
      if (!(GetAsyncKeyState(VK_LBUTTON) & 0x8000)) return false;
      POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      ScreenToClient(hwnd_, &p);
      RECT client;
      GetClientRect(hwnd_, &client);
      if (!PtInRect(&client, p) || HitSplitter(stack_, Point{p.x, p.y})) return false;
      result = HTCAPTION;
      return true;
    }
    case WM_SETCURSOR: {
      if (LOWORD(lp) != HTCLIENT) return false;
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(hwnd_, &p);
      if (!HitSplitter(stack_, Point{p.x, p.y})) return false;
      SetCursor(splitterCursor_);
      result = TRUE;
      return true;
    }
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      return OnSplitterMouse(msg, lp);
    case WM_WINDOWPOSCHANGING:
      if (opts_.StartMinimized && Has(kStartHidden))
        reinterpret_cast<WINDOWPOS*>(lp)->flags &= ~UINT(SWP_SHOWWINDOW);
      return false;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) != SC_MINIMIZE) return false;
      Hide();
      return true;
    case WM_HELP: {
      // F1: the menu shows it beside Help, the accelerators have no entry.
      // In the program's other windows it comes here as their owner, from
      // the control that had the focus; in a menu it names no window.
      const auto* info = reinterpret_cast<const HELPINFO*>(lp);
      OpenHelpFor(hwnd_, info && info->iContextType == HELPINFO_WINDOW ? static_cast<HWND>(info->hItemHandle)
                                                                         : nullptr);
      result = TRUE;
      return true;
    }
    case WM_HOTKEY:
      if (wp == HOTKEY_SHOW && opts_.HotkeyEnabled) Show();
      return true;
    case WM_POWERBROADCAST:
      if (wp == PBT_APMSUSPEND) {
        StopTick();
        engine_.Suspend();
      } else if ((wp == PBT_APMRESUMESUSPEND || wp == PBT_APMRESUMEAUTOMATIC) && !Has(kTickRunning)) {
        // Every wake announces the automatic resumption; the other one
        // follows only when somebody touches the machine, and traffic must
        // be counted even when nobody does.
        StartTick();
      }
      result = TRUE;
      return true;
    case WM_ENDSESSION:
      if (wp) Shutdown();
      return false;
    case WM_INITMENUPOPUP:
      menu_.Refresh(opts_, engine_.adapters(), MenuState{Has(kVisible), Has(kModalOpen), layered_});
      return menuDrawing_->HandleMessage(msg, wp, lp, result);
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_MENUCHAR:
      return menuDrawing_ && menuDrawing_->HandleMessage(msg, wp, lp, result);
    case UM_LOGFILE_FAILED:
      OnLogFileFailed();
      return true;
    case UM_MAIL_DONE: {
      std::unique_ptr<std::string> error(reinterpret_cast<std::string*>(lp));
      if (error && !error->empty())
        MessageBoxA(hwnd_, NotificationMailFailedText(*error).c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
      return true;
    }
    case UM_PROGRAM_FAILED: {
      // Said over the alert window that is opening, which it belongs to.
      std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lp));
      if (text) MessageBoxA(GetLastActivePopup(hwnd_), text->c_str(), kCaption, MB_OK | MB_ICONWARNING);
      return true;
    }
    case UM_HISTORY_WRITE_FAILED:
    case UM_HISTORY_MOVED_ASIDE:
    case UM_RECORDER_WRITE_FAILED: {
      std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lp));
      if (text) MessageBoxA(hwnd_, text->c_str(), kCaption, MB_OK | MB_ICONWARNING);
      return true;
    }
    case UM_OPTIONS_APPLY:
      if (lp) OnOptionsApply(int(wp), *reinterpret_cast<OptionsPage*>(lp));
      return true;
    case UM_APPLY_TOPMOST:
      if (opts_.AlwaysOnTop) SetTopmost(true);
      return true;
    case UM_RESET_HISTORY_FILE:
      engine_.ClearHistory();
      return true;
    case UM_TRAY_NOTIFY:
      if (LOWORD(lp) == WM_LBUTTONUP) {
        if (Has(kVisible))
          Hide();
        else
          Show();
      } else if (LOWORD(lp) == WM_RBUTTONUP) {
        POINT p;
        GetCursorPos(&p);
        SetForegroundWindow(hwnd_);
        ShowPopupMenu(p);
        PostMessageA(hwnd_, WM_NULL, 0, 0);
      }
      return true;
    default:
      if (taskbarCreated_ && msg == taskbarCreated_) {
        // The notification area was made anew (the shell restarted): the
        // icon is gone with the old one.
        if (opts_.DispIconSystray) tray_->Restore();
        return true;
      }
      return false;
  }
}

bool MeterWindow::OnCommand(int id, int, HWND) {
  if (id >= int(kFirstAdaptersCommand) && id <= int(kLastAdaptersCommand)) {
    ToggleAdapterView(uint32_t(id));
    return true;
  }
  if (id >= int(kFirstResetRatesCommand) && id <= int(kLastResetRatesCommand)) {
    engine_.ResetRates(uint32_t(id));
    return true;
  }
  if (const ViewToggle* toggle = FindViewToggle(id)) {
    ToggleView(*toggle);
    return true;
  }
  switch (id) {
    case IDOK:
    case IDCANCEL:
      return true;  // Enter and Esc never close the window
    case ID_SHOW: Show(); return true;
    case ID_HIDE: Hide(); return true;
    case ID_EXIT: Exit(); return true;
    case ID_TRAFFIC_REPORTS: OpenTrafficReports(); return true;
    case ID_OPTIONS: OpenOptions(); return true;
    case ID_STOPWATCH: OpenStopwatch(); return true;
    case ID_RATES_RECORDER: OpenRatesRecorder(); return true;
    case ID_TCP_CONNECTIONS: OpenConnectionViewer(); return true;
    case ID_POPUP_MENU: PopupMenuAtCursorOrCentre(); return true;
    case ID_SHOW_ALERT: alerts_.ReShow(opts_.NotificationEnabled); return true;
    case ID_RESET_ALL_RATES: engine_.ResetRates(); return true;
    case ID_VIEW_IP_ADDRESS: ToggleIpInTitle(); return true;
    case ID_VIEW_UNIT_BYTES:
    case ID_VIEW_UNIT_BITS: ToggleUnit(); return true;
    case ID_VIEW_COLUMN_GRAPH:
    case ID_VIEW_LINE_GRAPH: ToggleGraphStyle(); return true;
    case ID_VIEW_ALWAYS_ON_TOP: ToggleAlwaysOnTop(); return true;
    case ID_VIEW_CAPTION: ToggleCaption(); return true;
    case ID_VIEW_CLICK_THROUGH: ToggleClickThrough(); return true;
    case ID_VIEW_SEMI_TRANSPARENT: ToggleSemiTransparent(); return true;
    case ID_RESET_WINDOW_POSITION: ResetWindowPosition(); return true;
    // From the menu or a Help button: the page of the window it came from,
    // the program's window in front (active or not: the click may come
    // from elsewhere, a tray menu or another program).
    case ID_HELP_FINDER: OpenHelpFor(hwnd_, GetLastActivePopup(hwnd_)); return true;
    case ID_HOMEPAGE: OpenWebAddressWaiting(kHomePage); return true;
    case ID_EMAIL_SUPPORT: OpenWebAddressWaiting(kSupportMail); return true;
    case ID_CHECK_UPDATES: OpenWebAddressWaiting(UpdateCheckAddress()); return true;
    case ID_TELL_FRIEND: OpenWebAddressWaiting(TellAFriendAddress()); return true;
    case ID_APP_ABOUT: ShowAbout(); return true;
  }
  return false;
}

// ---- commands ---------------------------------------------------------------------

void MeterWindow::Show() {
  Set(kStartHidden, false);
  Set(kVisible, true);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetActiveWindow(hwnd_);
  SetFocus(hwnd_);
}

void MeterWindow::Hide() {
  ShowWindow(hwnd_, SW_HIDE);
  Set(kVisible, false);
}

void MeterWindow::ShowPopupMenu(POINT screen) {
  menu_.Refresh(opts_, engine_.adapters(), MenuState{Has(kVisible), Has(kModalOpen), layered_});
  menu_.Track(hwnd_, screen);
}

void MeterWindow::PopupMenuAtCursorOrCentre() {
  POINT p;
  GetCursorPos(&p);
  POINT c = p;
  ScreenToClient(hwnd_, &c);
  RECT client;
  GetClientRect(hwnd_, &client);
  if (!PtInRect(&client, c)) {
    p = {client.right / 2, client.bottom / 2};
    ClientToScreen(hwnd_, &p);
  }
  ShowPopupMenu(p);
}

void MeterWindow::SaveOptionGroup(SaveGroups groups) { SaveOptions(store_, RegRoot::CurrentUser, opts_, groups); }

void MeterWindow::ToggleView(const ViewToggle& t) {
  const bool on = !(opts_.*t.option);
  const bool graphAfter = t.option == &Options::DisplayGraph ? on : opts_.DisplayGraph;
  const bool textAfter = t.option == &Options::DisplayText ? on : opts_.DisplayText;
  if (!graphAfter && !textAfter) {
    MessageBoxA(hwnd_, kGraphOrText, kCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  opts_.*t.option = on;
  for (AdapterRecord* r : ShownRecords()) ViewOf(*r)->SetFlag(t.flag, on, true);
  SaveOptionGroup(kSaveDisplay);
}

void MeterWindow::ToggleUnit() {
  opts_.DisplayUnitByte = !opts_.DisplayUnitByte;
  for (AdapterRecord* r : ShownRecords()) ViewOf(*r)->SetFlag(GraphFlag::UnitBytes, opts_.DisplayUnitByte, true);
  recorderOptions_.byteUnits = opts_.DisplayUnitByte;
  ReopenRatesLogs(engine_.adapters(), SystemFileSystem(), recorderOptions_, SystemClock().Now());
  SaveOptionGroup(kSaveGeneral);
}

void MeterWindow::ToggleGraphStyle() {
  opts_.GraphStyle = opts_.GraphStyle == 1 ? 0 : 1;
  const GraphStyle style = opts_.GraphStyle == 1 ? GraphStyle::Columns : GraphStyle::Line;
  for (AdapterRecord* r : ShownRecords()) ViewOf(*r)->SetGraphStyle(style, true);
  SaveOptionGroup(kSaveGraphStyle);
}

void MeterWindow::ToggleIpInTitle() {
  opts_.ShowIPInTitle = !opts_.ShowIPInTitle;
  engine_.options().showIpInTitle = opts_.ShowIPInTitle;
  recorderOptions_.showIpInTitle = opts_.ShowIPInTitle;
  for (AdapterRecord* r : ShownRecords()) ViewOf(*r)->SetTitle(AdapterTitle(*r, opts_.ShowIPInTitle));
  SaveOptionGroup(kSaveGeneral);
}

void MeterWindow::ToggleAlwaysOnTop() {
  opts_.AlwaysOnTop = !opts_.AlwaysOnTop;
  SetTopmost(opts_.AlwaysOnTop);
  SaveOptionGroup(kSaveGeneral);
}

void MeterWindow::ToggleCaption() {
  opts_.ShowCaption = !opts_.ShowCaption;
  ApplyCaptionStyle();
  SaveOptionGroup(kSaveGeneral);
}

void MeterWindow::ApplyCaptionStyle() {
  LONG_PTR style = GetWindowLongPtrA(hwnd_, GWL_STYLE);
  style = opts_.ShowCaption ? (style | WS_CAPTION) : (style & ~LONG_PTR(WS_CAPTION));
  SetWindowLongPtrA(hwnd_, GWL_STYLE, style);
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE);
}

void MeterWindow::ToggleClickThrough() {
  if (!layered_) return;
  opts_.EnableClickThrough = !opts_.EnableClickThrough;
  ApplyWindowTransparency();
  SaveOptionGroup(kSaveGeneral);
}

void MeterWindow::ToggleSemiTransparent() {
  if (!layered_) return;
  opts_.SemiTransparent = !opts_.SemiTransparent;
  ApplyWindowTransparency();
  SaveOptionGroup(kSaveGeneral);
}

void MeterWindow::ApplyWindowTransparency() {
  ApplyTransparency(hwnd_, opts_.SemiTransparent ? opts_.TransparentPercent : 0, opts_.EnableClickThrough);
}

void MeterWindow::SetTopmost(bool topmost) {
  SetWindowPos(hwnd_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void MeterWindow::ResetWindowPosition() {
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  if (!Has(kVisible)) Show();
}

void MeterWindow::OpenConnectionViewer() {
  const std::string folder = ProgramFolder();
  const std::string viewer = folder + kConnectionViewer;
  const DWORD attributes = GetFileAttributesA(viewer.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_ARCHIVE) &&
      !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ShellExecuteA(hwnd_, "open", viewer.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
    return;
  }
  std::vector<char> text(sizeof kConnectionViewerQuestion + folder.size() + 16);
  std::snprintf(text.data(), text.size(), kConnectionViewerQuestion, kCaption, folder.c_str());
  if (MessageBoxA(hwnd_, text.data(), kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  ShellExecuteA(hwnd_, "explore", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  OpenWebAddress(kConnectionViewerPage, SW_SHOWNORMAL);
}

// Every modal window of the program opens through here: its commands are
// disabled meanwhile, and the meter window must not cover it.
// The alert window may open over another modal window (the tick runs in
// every modal loop): the outer one keeps its state when the alert closes.
void MeterWindow::RunModal(const std::function<void()>& window) {
  const bool nested = Has(kModalOpen);
  Set(kModalOpen, true);
  SetTopmost(false);
  window();
  if (nested) return;
  if (opts_.AlwaysOnTop) SetTopmost(true);
  Set(kModalOpen, false);
}

void MeterWindow::ShowAbout() {
  if (Has(kModalOpen)) return;
  RunModal([this] {
    AboutBox about;
    about.Run(instance_, IDD_ABOUTBOX, hwnd_);
  });
}

void MeterWindow::OpenTrafficReports() {
  if (Has(kModalOpen)) return;
  RunModal([this] {
    ReportsWindowState state;
    state.history = engine_.history().file();
    state.adapters = &engine_.adapters();
    state.dateFormat = opts_.DateFormat;
    state.weekStartDay = int(opts_.WeekStartDay);
    state.monthStartDay = int(opts_.MonthStartDay);
    state.subject = reportSubject_;
    state.lastDays = opts_.SumLastDays;
    state.historyPath = engine_.historyPath();
    state.pageIndex = reportPage_;
    CSummarySheet sheet(instance_, state);
    sheet.Run(hwnd_);
    reportSubject_ = state.subject;
    reportPage_ = state.pageIndex;
    opts_.SumLastDays = state.lastDays;
    SaveOptionGroup(kSaveLastDays);
    engine_.ChangeHistoryPath(state.historyPath);
  });
}

void MeterWindow::OpenStopwatch() {
  if (Has(kModalOpen)) return;
  StopwatchSetup setup;
  setup.adapters = &engine_.adapters();
  setup.byteUnits = opts_.DisplayUnitByte;
  setup.alwaysOnTop = opts_.StopwatchAlwaysOnTop;
  setup.resetAdapterGraph = opts_.StopwatchResetAdapterGraph;
  setup.resetRates = [this](AdapterRecord& record) { engine_.ResetRates(record); };
  RunModal([this, &setup] {
    StopwatchWindow stopwatch(instance_, std::move(setup));
    stopwatch.Run(hwnd_);
    // Kept with the window's position, saved when the program ends.
    opts_.StopwatchAlwaysOnTop = stopwatch.alwaysOnTop();
    opts_.StopwatchResetAdapterGraph = stopwatch.resetAdapterGraph();
  });
}

void MeterWindow::OpenRatesRecorder() {
  if (Has(kModalOpen)) return;
  RunModal([this] {
    RatesRecorderDialog dialog(instance_, RecorderRowsOf(engine_.adapters()), SystemFileSystem());
    if (dialog.Run(hwnd_) != IDOK) return;
    ApplyRecorderRows(engine_.adapters(), dialog.rows(), SystemFileSystem(), recorderOptions_, SystemClock().Now());
    engine_.SaveAdapterSettings(kRecorderGroup);
  });
}

// ---- graph views --------------------------------------------------------------

std::vector<AdapterRecord*> MeterWindow::ShownRecords() {
  std::vector<AdapterRecord*> shown;
  AdapterList& list = engine_.adapters();
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].HasView()) shown.push_back(&list[i]);
  return shown;
}

RateGraphView* MeterWindow::ViewOf(const AdapterRecord& record) {
  if (record.viewSlot < 0 || size_t(record.viewSlot) >= views_.size()) return nullptr;
  return views_[size_t(record.viewSlot)].get();
}

bool MeterWindow::CreateView(AdapterRecord& record, const Rect& rect) {
  auto view = std::make_unique<RateGraphView>(&record.history, [this] { return Has(kVisible); });
  view->ApplySettings(GraphViewSettings(opts_));
  view->SetConnectionSpeed(record.connectionSpeed, false);
  view->SetTitle(AdapterTitle(record, opts_.ShowIPInTitle));
  if (!view->Create(hwnd_, rect, nextChildId_++)) return false;
  auto free = std::find(views_.begin(), views_.end(), nullptr);
  if (free == views_.end()) free = views_.insert(views_.end(), nullptr);
  *free = std::move(view);
  record.viewSlot = int(free - views_.begin());
  return true;
}

void MeterWindow::DestroyView(AdapterRecord& record) {
  if (RateGraphView* view = ViewOf(record)) {
    view->Destroy();
    views_[size_t(record.viewSlot)].reset();
  }
  record.viewSlot = -1;
}

// Start-up: a view for every monitored adapter, with its stored share.
void MeterWindow::StackAllViews() {
  RECT client;
  GetClientRect(hwnd_, &client);
  stack_.margin = opts_.RateViewMargins;
  stack_.clientWidth = client.right;
  stack_.clientHeight = client.bottom;
  std::vector<AdapterRecord*> monitored;
  std::vector<float> shares;
  AdapterList& list = engine_.adapters();
  for (size_t i = 0; i < list.size(); ++i) {
    if (!list[i].monitored) continue;
    monitored.push_back(&list[i]);
    shares.push_back(list[i].size);
  }
  if (const int growth = StackViews(stack_, shares); growth > 0) {
    RECT w;
    GetWindowRect(hwnd_, &w);
    movingByProgram_ = true;
    SetWindowPos(hwnd_, nullptr, 0, 0, w.right - w.left, w.bottom - w.top + growth, SWP_NOMOVE | SWP_NOZORDER);
    movingByProgram_ = false;
  }
  for (size_t i = 0; i < monitored.size(); ++i) {
    CreateView(*monitored[i], stack_.views[i]);
    monitored[i]->size = stack_.shares[i];
  }
}

// Moves every view to its place in the stack and keeps its share.
void MeterWindow::PlaceViews() {
  std::vector<AdapterRecord*> shown = ShownRecords();
  const size_t n = std::min(shown.size(), stack_.views.size());
  for (size_t i = 0; i < n; ++i) {
    const Rect& r = stack_.views[i];
    if (RateGraphView* view = ViewOf(*shown[i]))
      SetWindowPos(view->Handle(), nullptr, r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height()),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    shown[i]->size = i < stack_.shares.size() ? stack_.shares[i] : 0.0f;
  }
}

void MeterWindow::ToggleAdapterView(uint32_t command) {
  AdapterList& list = engine_.adapters();
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].adaptersMenuCommand != command) continue;
    ToggleAdapterView(list[i]);
    return;
  }
}

void MeterWindow::ToggleAdapterView(AdapterRecord& r) {
  if (!r.HasView())
    ShowAdapterView(r);
  else if (ShownRecords().size() < 2)
    MessageBoxA(hwnd_, kOneAdapter, kCaption, MB_OK | MB_ICONWARNING);
  else
    HideAdapterView(r);
}

void MeterWindow::MoveWindowSpan(const WindowSpan& span) {
  RECT w;
  GetWindowRect(hwnd_, &w);
  movingByProgram_ = true;
  SetWindowPos(hwnd_, nullptr, w.left, span.top, w.right - w.left, span.bottom - span.top, SWP_NOZORDER);
  movingByProgram_ = false;
}

void MeterWindow::ShowAdapterView(AdapterRecord& record) {
  // Views stand in list order: the new one goes after the shown records before it.
  size_t index = 0;
  AdapterList& list = engine_.adapters();
  for (size_t i = 0; i < list.size() && &list[i] != &record; ++i)
    if (list[i].HasView()) ++index;
  const GraphViewSettings view(opts_);
  const int needed = NeededViewHeight(opts_.DisplayTitle, view.Font(FontRole::Title).LineHeight(),
                                      opts_.DisplayText, view.Font(FontRole::Rate).LineHeight(),
                                      opts_.DisplayGraph);
  RECT w;
  GetWindowRect(hwnd_, &w);
  const WindowSpan span = ShowView(stack_, index, needed, WindowSpan{int(w.top), int(w.bottom)});
  for (AdapterRecord* r : ShownRecords()) ViewOf(*r)->ResetTimeGrid(true);
  if (!CreateView(record, Rect{})) {
    // Without its window the stack must not keep the place made for it.
    HideView(stack_, index, span);
    return;
  }
  record.monitored = true;
  MoveWindowSpan(span);
  PlaceViews();
}

void MeterWindow::HideAdapterView(AdapterRecord& record) {
  std::vector<AdapterRecord*> shown = ShownRecords();
  const size_t index = size_t(std::find(shown.begin(), shown.end(), &record) - shown.begin());
  RECT w;
  GetWindowRect(hwnd_, &w);
  const WindowSpan span = HideView(stack_, index, WindowSpan{int(w.top), int(w.bottom)});
  record.monitored = false;
  DestroyView(record);
  MoveWindowSpan(span);
  PlaceViews();
}

bool MeterWindow::OnSplitterMouse(UINT msg, LPARAM lp) {
  const Point p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  switch (msg) {
    case WM_LBUTTONDOWN:
      if (auto hit = HitSplitter(stack_, p)) {
        drag_ = BeginSplitterDrag(stack_, *hit);
        if (drag_) SetCapture(hwnd_);
      }
      return false;
    case WM_MOUSEMOVE:
      if (drag_ && DragSplitter(stack_, *drag_, p.y)) PlaceViews();
      return drag_.has_value();
    case WM_LBUTTONUP:
      if (!drag_) return false;
      ReleaseCapture();
      drag_.reset();
      return true;
  }
  return false;
}

// ---- tick consumers -------------------------------------------------------------

void MeterWindow::AddSample(AdapterRecord& record, const RateSample&) {
  if (RateGraphView* view = ViewOf(record)) view->AddSample();
}

void MeterWindow::SetTitle(AdapterRecord& record, const std::string& title) {
  if (RateGraphView* view = ViewOf(record)) view->SetTitle(title);
}

void MeterWindow::RefreshTrayIcon(AdapterRecord& record) {
  const RateGraphView* view = ViewOf(record);
  tray_->Refresh(record, view ? std::optional(view->Graph().ScaleMaximum()) : std::nullopt, opts_);
}

// A line that cannot be written stops that adapter's recorder; the user
// hears of it once, after the tick, and the meter runs on.
void MeterWindow::WriteRatesLine(AdapterRecord& record, const RateSample& sample, const LocalTime& time) {
  if (qm::WriteRatesLine(record, sample, time, recorderOptions_)) return;
  const std::string reason = LastFileErrorText();
  const std::string title = AdapterTitle(record, opts_.ShowIPInTitle);
  std::vector<char> text(sizeof kRecorderWriteFailed + record.recordFile.size() + reason.size() + title.size());
  std::snprintf(text.data(), text.size(), kRecorderWriteFailed, record.recordFile.c_str(), reason.c_str(),
                title.c_str());
  auto* message = new std::string(text.data());
  if (!PostMessageA(hwnd_, UM_RECORDER_WRITE_FAILED, 0, reinterpret_cast<LPARAM>(message))) delete message;
}

void MeterWindow::PrepareNotification() {
  alerts_.Prepare(opts_.NotificationEx2, DateOf(engine_.currentDay()), calendar_, engine_.history().file(),
                  engine_.adapters());
}

void MeterWindow::EvaluateNotification() { alerts_.Evaluate(); }

void MeterWindow::AdapterAdded(AdapterRecord& record) { menu_.AddAdapter(record); }

void MeterWindow::Relayout(AdapterRecord& record) {
  if (RateGraphView* view = ViewOf(record)) view->Relayout();
}

// ---- notification owner -----------------------------------------------------------

AlertChoice MeterWindow::ShowAlertWindow(const AlertRequest& request) {
  AlertChoice choice = request.choice;
  RunModal([&] {
    AlertWindow alert(request);
    choice = alert.Show(instance_, hwnd_);
  });
  return choice;
}

void MeterWindow::StartNotificationMail(uint64_t periodTotal) {
  const AdapterRecord* adapter = alerts_.prepared().adapter;
  NotificationMailInput in;
  in.settings = &email_;
  in.rule = &opts_.NotificationEx2;
  in.adapterTitle = adapter ? AdapterTitle(*adapter, opts_.ShowIPInTitle) : std::string();
  in.calendar = calendar_;
  in.periodTotal = periodTotal;
  HWND owner = hwnd_;
  // The mail thread hands its outcome over; the window frees it.
  SendNotificationMail(in, SystemClock(), [owner](const std::string& error) {
    auto* text = error.empty() ? nullptr : new std::string(error);
    if (!PostMessageA(owner, UM_MAIL_DONE, WPARAM(GetCurrentThreadId()), reinterpret_cast<LPARAM>(text)))
      delete text;
  }, DesktopSmtpLimits());
}

// The engine says so once per run of failed writes, from inside the tick: the
// question is asked after the tick, so the timer never waits on a message box.
void MeterWindow::HistoryWriteFailed(const std::string& path, const std::string& reason) {
  if (exiting_) return;  // SaveHistoryBeforeExit asks
  std::vector<char> text(sizeof kHistoryWriteFailed + path.size() + reason.size());
  std::snprintf(text.data(), text.size(), kHistoryWriteFailed, path.c_str(), reason.c_str());
  auto* message = new std::string(text.data());
  if (!PostMessageA(hwnd_, UM_HISTORY_WRITE_FAILED, 0, reinterpret_cast<LPARAM>(message))) delete message;
}

// A program that cannot be started is said after the tick, as the history
// failure is, so the alert window is not held up by the message.
void MeterWindow::RunProgram(const std::string& path) {
  const auto code = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (code > 32) return;
  const DWORD error = GetLastError();
  const std::string reason = SystemErrorText(error ? error : DWORD(code));
  std::vector<char> text(sizeof kProgramFailed + path.size() + reason.size());
  std::snprintf(text.data(), text.size(), kProgramFailed, path.c_str(), reason.c_str());
  auto* message = new std::string(text.data());
  if (!PostMessageA(hwnd_, UM_PROGRAM_FAILED, 0, reinterpret_cast<LPARAM>(message))) delete message;
}

void MeterWindow::SaveNextAlert(const AlertChoice& choice) {
  opts_.NextAlertType = choice.nextAlertType;
  opts_.NextAlertMin = choice.nextAlertMin;
  SaveOptionGroup(kSaveNextAlert);
}

void MeterWindow::RefusalBeep() { Beep(300, 100); }

// ---- shutdown --------------------------------------------------------------------

void MeterWindow::OnDestroy() { Shutdown(); }

// Exit from the menu, or from a setup or uninstaller ending the program.
// With one of the program's modal windows open, the meter's loop would end
// only once that window is closed by hand, and a setup waiting for the
// program would find its files still in use. Everything is saved as at a
// normal end, and the process ends at once; the open window's changes that
// were not applied go, as with Cancel.
void MeterWindow::Exit() {
  // A setup or uninstaller sends Exit from its own process and waits only a
  // few seconds: nobody would answer a question then.
  SaveHistoryBeforeExit(!InSendMessage());
  if (!Has(kModalOpen)) {
    End(2);
    return;
  }
  Shutdown();
  ExitProcess(0);
}

void MeterWindow::SaveHistoryBeforeExit(bool mayAsk) {
  if (exiting_) return;  // an Exit from the tray while the question is open
  exiting_ = true;
  StopTick();
  if (!engine_.history().IsOpen()) return;
  engine_.CountLastTraffic();
  while (!engine_.FlushDayRecords() && mayAsk) {
    const AdapterList& list = engine_.adapters();
    const std::string path = engine_.history().path(), reason = engine_.history().lastError();
    const std::string down = FormatAmount(list.size() ? list[0].todayDownload : 0, true);
    const std::string up = FormatAmount(list.size() ? list[0].todayUpload : 0, true);
    std::vector<char> text(sizeof kHistoryLostAtExit + path.size() + reason.size() + down.size() + up.size());
    std::snprintf(text.data(), text.size(), kHistoryLostAtExit, path.c_str(), reason.c_str(), down.c_str(),
                  up.c_str());
    if (MessageBoxA(hwnd_, text.data(), kCaption, MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY) break;
  }
}

void MeterWindow::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  StopTick();
  StopBeep();
  if (hotkeyRegistered_) UnregisterHotKey(hwnd_, HOTKEY_SHOW);
  CloseHelp();
  if (engine_.history().IsOpen()) {
    engine_.CountLastTraffic();
    engine_.FlushDayRecords();
    engine_.CloseHistoryFile();
  }
  RECT w;
  GetWindowRect(hwnd_, &w);
  opts_.windowRect = WndPosition{int32_t(w.left), int32_t(w.top), int32_t(w.right), int32_t(w.bottom)};
  opts_.hasWindowRect = true;
  SaveOptionGroup(kSaveWindow);
  engine_.SaveAdapterSettings(kIdentityGroup);
  if (opts_.DispIconSystray) tray_->Remove();
  AdapterList& list = engine_.adapters();
  for (size_t i = 0; i < list.size(); ++i) {
    DestroyView(list[i]);
    list[i].history.clear();
  }
  views_.clear();
  CloseRatesLogs(list);
  list.Clear();
}

}  // namespace qm
