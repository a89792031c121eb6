#pragma once
// Tabbed property sheets of the common controls. A page is a dialog whose
// notifications from the sheet become typed handlers (OnSetActive, OnApply
// for "OK" and "&Apply", OnHelp); the sheet runs modally and lets its class
// dress the frame once the window exists, before anybody sees it.
//
//   class MyPage : public PropertyPage { ... ApplyResult OnApply() override; };
//   class MySheet : public SheetDialog { void OnCreated() override; };
//   MySheet sheet;  sheet.AddPage(page1);  sheet.AddPage(page2);
//   sheet.Run(instance, owner, "Caption");

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "uikit/dialog.h"

namespace qm {

class PropertyPage : public Dialog {
 public:
  explicit PropertyPage(int templateId) : templateId_(templateId) {}

  int TemplateId() const { return templateId_; }
  HWND Sheet() const { return hwnd_ ? GetParent(hwnd_) : nullptr; }
  // Makes this page the one shown.
  void Activate();
  // Enables "&Apply" for this page, or withdraws its claim on it.
  void SetModified(bool modified);

 protected:
  enum class ApplyResult { Done, Refused };
  // The page is about to be shown.
  virtual void OnSetActive() {}
  // Another page is about to be shown instead (pages check their values
  // when applied, not here).
  virtual void OnKillActive() {}
  // "OK" or "&Apply": Refused keeps the sheet open (the page has said why).
  virtual ApplyResult OnApply() { return ApplyResult::Done; }
  // The "Help" button while this page is shown. Unless a page says
  // otherwise, it asks for help as F1 on the page does.
  virtual void OnHelp();

 private:
  friend class SheetDialog;
  static INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  int templateId_;
};

class SheetDialog {
 public:
  SheetDialog() = default;
  virtual ~SheetDialog() = default;
  SheetDialog(const SheetDialog&) = delete;
  SheetDialog& operator=(const SheetDialog&) = delete;

  // Pages in tab order; each must outlive Run.
  void AddPage(PropertyPage& page) { pages_.push_back(&page); }
  // The sheet's icon (set before Run).
  void SetIcon(HICON icon) { icon_ = icon; }
  // Shows the sheet with a "Help" button and runs it until it closes;
  // true when it closed with "OK" after at least one page was applied.
  bool Run(HINSTANCE instance, HWND owner, const std::string& caption);
  HWND Handle() const { return hwnd_; }

 protected:
  // The sheet's window is about to be made with these styles.
  virtual void OnPreCreate(DWORD& style, DWORD& exStyle) { (void)style, (void)exStyle; }
  // The sheet's window exists and its first page is made; it is not shown yet.
  virtual void OnCreated() {}

 private:
  static int CALLBACK SheetProc(HWND hwnd, UINT msg, LPARAM lp);
  std::vector<PropertyPage*> pages_;
  HICON icon_ = nullptr;
  HWND hwnd_ = nullptr;
};

}  // namespace qm
