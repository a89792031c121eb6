#pragma once
// MeterWindow: the desktop program's main window. It owns the traffic
// engine and runs its tick on timer 101, shows one graph view per monitored
// adapter, and carries the pop-up menu, the accelerators, the hot key, the
// transparency, the tray icon and the orderly shutdown.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "engine/traffic_engine.h"
#include "meter/view_stack.h"
#include "meter/win32/meter_menu.h"
#include "meter/options_checks.h"
#include "meter/win32/options_page.h"
#include "meter/win32/rate_graph_view.h"
#include "meter/win32/tray_icon.h"
#include "notify/notification_monitor.h"
#include "notify/win32/notification_page.h"
#include "recorder/adapter_rates_log.h"
#include "reports/report_types.h"
#include "settings/email_settings.h"
#include "settings/options.h"
#include "uikit/dialog.h"
#include "uikit/owner_drawn_menu.h"

namespace qm {

class MeterWindow : public ModalDialog, public TickListener, public NotificationOwner {
 public:
  MeterWindow(HINSTANCE instance, AdapterSource& adapters, SettingsStore& store);
  ~MeterWindow() override;

  // Runs the window until Exit or close; returns the dialog's result.
  INT_PTR Run();

 protected:
  // Dialog
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnTimer(UINT_PTR id) override;
  void OnDestroy() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  bool PreTranslate(MSG& msg) override;

  // TickListener
  void AddSample(AdapterRecord& record, const RateSample& sample) override;
  void SetTitle(AdapterRecord& record, const std::string& title) override;
  void RefreshTrayIcon(AdapterRecord& record) override;
  void WriteRatesLine(AdapterRecord& record, const RateSample& sample, const LocalTime& time) override;
  void PrepareNotification() override;
  void EvaluateNotification() override;
  void AdapterAdded(AdapterRecord& record) override;
  void Relayout(AdapterRecord& record) override;

  // NotificationOwner
  AlertChoice ShowAlertWindow(const AlertRequest& request) override;
  void StartNotificationMail(uint64_t periodTotal) override;
  void RunProgram(const std::string& path) override;
  void SaveNextAlert(const AlertChoice& choice) override;
  void RefusalBeep() override;
  void HistoryWriteFailed(const std::string& path, const std::string& reason) override;

 private:
  enum StateBit : uint32_t { kVisible = 1, kStartHidden = 2, kTickRunning = 4, kModalOpen = 8 };
  bool Has(StateBit bit) const { return (state_ & bit) != 0; }
  void Set(StateBit bit, bool on) { state_ = on ? (state_ | bit) : (state_ & ~uint32_t(bit)); }

  // Start-up pieces
  void PlaceWindow();
  void StartTick();
  void StopTick();
  void OpenHistory();
  void OnLogFileFailed();

  // Commands
  void Show();
  void Hide();
  void ShowPopupMenu(POINT screen);
  void PopupMenuAtCursorOrCentre();
  void ToggleView(const ViewToggle& toggle);
  void ToggleUnit();
  void ToggleGraphStyle();
  void ToggleIpInTitle();
  void ToggleAlwaysOnTop();
  void ToggleCaption();
  void ApplyCaptionStyle();
  void ToggleClickThrough();
  void ToggleSemiTransparent();
  void ApplyWindowTransparency();
  void ResetWindowPosition();
  void OpenConnectionViewer();
  void ShowAbout();
  void OpenTrafficReports();
  void OpenStopwatch();
  void OpenRatesRecorder();
  void RunModal(const std::function<void()>& window);
  void SetTopmost(bool topmost);
  void SaveOptionGroup(SaveGroups groups);

  // The options sheet and what its pages apply (meter_window_options.cpp)
  void OpenOptions();
  void OnOptionsApply(int code, OptionsPage& page);
  void ApplyGeneralPage(const Options& values, HWND page);
  void ApplyGraphTextPage(const Options& values);
  void ApplyAdaptersPage(const Options& values, const std::vector<AdapterRow>& rows);
  void RegisterShowHotkey(HWND messageOwner);
  void RelayoutViews(bool titles);
  // The Notification page (meter_window_notification.cpp)
  NotificationPageInput NotificationPageCopies();
  void ApplyNotificationPage(const COptNotificationPage& page);

  // Graph views (stacking)
  std::vector<AdapterRecord*> ShownRecords();
  RateGraphView* ViewOf(const AdapterRecord& record);
  bool CreateView(AdapterRecord& record, const Rect& rect);
  void DestroyView(AdapterRecord& record);
  void StackAllViews();
  void PlaceViews();
  void ToggleAdapterView(uint32_t command);
  void ToggleAdapterView(AdapterRecord& record);
  void ShowAdapterView(AdapterRecord& record);
  void HideAdapterView(AdapterRecord& record);
  void MoveWindowSpan(const WindowSpan& span);
  bool OnSplitterMouse(UINT msg, LPARAM lp);

  // Tells of a file at the history path that was kept under another name.
  void TellMovedAside();
  void Exit();
  // Today's totals to the file while the window can still ask: on failure
  // the person may make room and try again, or end without them. Without
  // `mayAsk` the write is tried once.
  void SaveHistoryBeforeExit(bool mayAsk);
  void Shutdown();

  HINSTANCE instance_;
  SettingsStore& store_;
  TrafficEngine engine_;
  Options opts_;
  EmailSettings email_{};
  bool layered_ = false;
  bool colourTray_ = false;
  // The show hot key is ours now; false while another program holds it.
  bool hotkeyRegistered_ = false;
  uint32_t state_ = 0;
  bool shutDown_ = false;
  // Set once the program is ending: a failed write is asked about at once,
  // not posted for a loop that will not run any more.
  bool exiting_ = false;

  HICON icon_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HCURSOR splitterCursor_ = nullptr;
  PopupMenu menu_;
  std::unique_ptr<OwnerDrawnMenu> menuDrawing_;  // draws menu_ with its images
  std::unique_ptr<TrayIcon> tray_;  // made with the window
  UINT taskbarCreated_ = 0;

  std::vector<std::unique_ptr<RateGraphView>> views_;  // by AdapterRecord::viewSlot
  ViewStack stack_;
  bool movingByProgram_ = false;
  std::optional<SplitterDrag> drag_;
  int nextChildId_ = 8000;

  // The traffic reports window's subject and page, kept for the run.
  ReportSubject reportSubject_;
  int reportPage_ = 0;

  RatesLogOptions recorderOptions_;
  NotificationAlerts alerts_;
  RuleCalendar calendar_;
};

}  // namespace qm
