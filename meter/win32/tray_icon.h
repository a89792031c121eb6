#pragma once
// The meter window's icon in the notification area: one of four static
// icons (idle, upload, download, both) or, where colour icons can be built
// at run time, a live 16 x 16 miniature of the tray adapter's graph; its tip
// names the adapter and shows the current rates.
//
// How the meter window uses it:
//   construction   TrayIcon tray(hwnd, instance, {IDI_TRAY_ICON_ID, UM_TRAY_NOTIFY,
//                       {IDI_TRAY_IDLE, IDI_TRAY_UP, IDI_TRAY_DOWN, IDI_TRAY_BOTH}},
//                       colorTrayIcons);
//   initialisation tray.AddInitial(options)          (when DispIconSystray is on)
//   each tick      tray.Refresh(record, view ? std::optional(view->Graph().ScaleMaximum())
//                                            : std::nullopt, options)
//                  for the tray adapter's record, after its new sample was stored
//   shutdown, or DispIconSystray turned off: tray.Remove()
//   the registered "TaskbarCreated" message: tray.Restore()
// Clicks arrive at the meter window as its callback message; the tray does
// not handle them. Graph colours are read from the options at every
// refresh, so applying new colours needs no call here.

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/adapter_record.h"
#include "meter/win32/tray_miniature_icon.h"
#include "platform/win32/unique_handle.h"
#include "settings/options.h"

namespace qm {

// The first and shortest version of the notification-icon record: 88 bytes
// in a 32-bit program; the same fields with 64-bit handles and their
// alignment in a 64-bit one. Every shell since the first accepts it.
constexpr DWORD kTrayRecordSize = NOTIFYICONDATAA_V1_SIZE;
static_assert(kTrayRecordSize == (sizeof(void*) == 4 ? 88 : 104));
static_assert(offsetof(NOTIFYICONDATAA, szTip) + 64 == kTrayRecordSize);

// The few shell calls, apart so that tests can see the records sent.
class NotifyIconShell {
 public:
  virtual ~NotifyIconShell() = default;
  // NIM_ADD, NIM_MODIFY or NIM_DELETE; false when the shell refused.
  virtual bool Notify(DWORD action, const NOTIFYICONDATAA& record) = 0;
};

// Shell_NotifyIconA.
NotifyIconShell& SystemNotifyIconShell();

struct TrayIconIds {
  UINT iconId;                     // the icon's number with its owner
  UINT callbackMessage;            // sent to the owner on mouse events
  std::array<int, 4> staticIcons;  // icon resources: idle, upload, download, both
};

class TrayIcon {
 public:
  // `colorIcons`: the system can show icons built at run time, so the live
  // graph is possible.
  TrayIcon(HWND owner, HINSTANCE resources, const TrayIconIds& ids, bool colorIcons,
           NotifyIconShell& shell = SystemNotifyIconShell());
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // At start: the idle icon with the program's name as tip, unless the live
  // graph is in effect; then the first refresh adds the icon.
  void AddInitial(const Options& options);

  // A new sample of the tray adapter is at the head of `record.history`.
  // `viewScaleMax`: the scale maximum of the record's graph view; none when
  // the adapter has no view (the static icons stand in for the graph then).
  void Refresh(const AdapterRecord& record, std::optional<uint32_t> viewScaleMax,
               const Options& options);

  void Remove();

  // The notification area was re-created (the shell restarted): add the icon
  // as it was shown last. Nothing when it was not shown.
  void Restore();

  // The loaded static icon of index 0 (idle) to 3 (both); for tests.
  HICON StaticIcon(int index) const { return statics_[size_t(index)].Get(); }

 private:
  bool LiveGraph(const Options& options, bool hasView) const;
  bool Send(DWORD action, UINT flags, HICON icon);
  // Modify; when the shell refuses (no such icon, or the notification area
  // is new), delete and add it again.
  void ModifyOrAdd(UINT flags, HICON icon);

  HWND owner_;
  TrayIconIds ids_;
  NotifyIconShell& shell_;
  std::array<IconHandle, 4> statics_;
  std::unique_ptr<TrayMiniatureIcon> miniature_;  // only with colour icons
  IconHandle live_;        // the miniature shown last, kept for Restore
  int currentStatic_ = -1; // index of the static icon shown, -1 for none
  HICON shown_ = nullptr;  // the icon the shell shows; null while there is none
  std::string tip_;
};

}  // namespace qm
