#pragma once
// CSummarySheet: the traffic reports window. A modal tabbed window with the
// Summary, Daily, Weekly and Monthly pages of one adapter at a time, chosen
// in the drop-down beside its Export, Clear and Close buttons. A page's
// window is made when it is first shown.

#include <array>
#include <memory>

#include "reports/win32/report_page.h"
#include "uikit/dialog.h"

namespace qm {

class CSummarySheet : public ModalDialog {
 public:
  CSummarySheet(HINSTANCE instance, ReportsWindowState& state);
  ~CSummarySheet() override;

  // Runs the window; `state` holds what it hands back when this returns.
  void Run(HWND owner);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnDestroy() override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  bool PreTranslate(MSG& msg) override;

 private:
  void LayOutButtons();
  void FillAdapters();
  void ShowCaption();
  void SelectPage(int index);
  void AdapterChosen();
  void Clear();

  HINSTANCE instance_;
  ReportsWindowState& state_;
  HWND owner_ = nullptr;
  std::array<std::unique_ptr<ReportPage>, 4> pages_;
  int active_ = -1;
};

}  // namespace qm
