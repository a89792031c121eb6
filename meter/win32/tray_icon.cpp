#include "meter/win32/tray_icon.h"

#include <cstring>

#include "meter/tray_tip.h"

namespace qm {

namespace {

class ShellNotifyIcon : public NotifyIconShell {
 public:
  bool Notify(DWORD action, const NOTIFYICONDATAA& record) override {
    NOTIFYICONDATAA copy = record;  // the call takes a non-const record
    return Shell_NotifyIconA(action, &copy) != FALSE;
  }
};

constexpr UINT kAllFields = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr int kColumnStyle = 1;

}  // namespace

NotifyIconShell& SystemNotifyIconShell() {
  static ShellNotifyIcon shell;
  return shell;
}

TrayIcon::TrayIcon(HWND owner, HINSTANCE resources, const TrayIconIds& ids, bool colorIcons,
                   NotifyIconShell& shell)
    : owner_(owner), ids_(ids), shell_(shell) {
  for (size_t i = 0; i < statics_.size(); ++i)
    statics_[i].Reset(static_cast<HICON>(LoadImageA(resources, MAKEINTRESOURCEA(ids.staticIcons[i]),
                                                    IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
  if (colorIcons) miniature_ = std::make_unique<TrayMiniatureIcon>();
}

bool TrayIcon::LiveGraph(const Options& options, bool hasView) const {
  return miniature_ && miniature_->Ready() && options.ShowGraphInSystray && hasView;
}

void TrayIcon::AddInitial(const Options& options) {
  if (!options.DispIconSystray || LiveGraph(options, true)) return;
  currentStatic_ = 0;
  tip_ = "Quellmark";
  Send(NIM_ADD, kAllFields, statics_[0].Get());
}

void TrayIcon::Refresh(const AdapterRecord& record, std::optional<uint32_t> viewScaleMax,
                       const Options& options) {
  const RateSample newest = record.history.empty() ? RateSample{} : record.history.front();
  TrayTipInput tip{record.displayName, record.ipAddress, newest, options.DisplayUnitByte,
                   options.ShowAdapterNameInSystrayTips, options.ShowAdapterIPInSystrayTips};
  tip_ = BuildTrayTip(tip);

  if (LiveGraph(options, viewScaleMax.has_value())) {
    const MiniatureColors colors = TrayMiniatureIcon::WithSystemFrame(
        {options.GraphBkgColor, options.DownColor, options.UpColor, options.BothDownUpColor});
    IconHandle icon(miniature_->Build(record.history, *viewScaleMax,
                                      options.GraphStyle == kColumnStyle, colors));
    if (icon) {
      ModifyOrAdd(NIF_ICON | NIF_TIP, icon.Get());
      live_ = std::move(icon);  // the shell holds its own copy of the one before
      currentStatic_ = -1;
      return;
    }
    // No icon could be built: the static icons stand in.
  }

  const int index = StaticTrayIconIndex(newest);
  if (index == currentStatic_) {
    ModifyOrAdd(NIF_TIP, statics_[size_t(index)].Get());
  } else {
    currentStatic_ = index;
    ModifyOrAdd(NIF_ICON | NIF_TIP, statics_[size_t(index)].Get());
  }
}

void TrayIcon::Remove() {
  Send(NIM_DELETE, NIF_MESSAGE, nullptr);
  shown_ = nullptr;
}

void TrayIcon::Restore() {
  if (shown_) Send(NIM_ADD, kAllFields, shown_);
}

void TrayIcon::ModifyOrAdd(UINT flags, HICON icon) {
  if (!Send(NIM_MODIFY, flags, icon)) {
    Send(NIM_DELETE, NIF_MESSAGE, nullptr);
    Send(NIM_ADD, kAllFields, icon);  // a failing add shows nothing and is not reported
  }
  shown_ = icon;
}

bool TrayIcon::Send(DWORD action, UINT flags, HICON icon) {
  NOTIFYICONDATAA record{};
  record.cbSize = kTrayRecordSize;
  record.hWnd = owner_;
  record.uID = ids_.iconId;
  record.uFlags = flags;
  record.uCallbackMessage = ids_.callbackMessage;
  record.hIcon = icon;
  const std::string tip = CutTrayTip(tip_);
  std::memcpy(record.szTip, tip.c_str(), tip.size() + 1);
  const bool sent = shell_.Notify(action, record);
  if (sent && action == NIM_ADD) shown_ = icon;
  return sent;
}

}  // namespace qm
