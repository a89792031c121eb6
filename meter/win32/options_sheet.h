#pragma once
// COptionsSheet: the modal options sheet. The meter window fills it with
// copies of its values and runs it; the pages apply through UM_OPTIONS_APPLY
// (options_page.h). Tabs: General, Graph & Text, Adapters, Notification
// (its page is made elsewhere and handed in), Service.

#include <windows.h>

#include <vector>

#include "meter/options_checks.h"
#include "meter/win32/options_adapters_page.h"
#include "meter/win32/options_general_page.h"
#include "meter/win32/options_graph_text_page.h"
#include "meter/win32/options_service_page.h"
#include "platform/win32/unique_handle.h"
#include "settings/options.h"
#include "uikit/property_sheet.h"

namespace qm {

struct OptionsSheetInput {
  Options options;
  bool layeredWindows = true;
  std::vector<AdapterRow> adapters;  // the adapter list, in list order
};

class COptionsSheet : public SheetDialog {
 public:
  COptionsSheet(HINSTANCE instance, HWND meterWindow, const OptionsSheetInput& input);

  // The Notification page, shown between Adapters and Service.
  void SetNotificationPage(OptionsPage* page) { notification_ = page; }

  // Runs the sheet; the pages have applied what they had to on the way.
  void Run();

  COptGeneralPage& General() { return general_; }
  COptGraphTextPage& GraphText() { return graphText_; }
  COptAdaptersPage& Adapters() { return adapters_; }

 private:
  void OnPreCreate(DWORD& style, DWORD& exStyle) override;
  void OnCreated() override;

  HINSTANCE instance_;
  HWND meter_;
  GdiHandle<HFONT> font_;
  COptGeneralPage general_;
  COptGraphTextPage graphText_;
  COptAdaptersPage adapters_;
  OptionsPage* notification_ = nullptr;
  COptServicePage service_;
};

}  // namespace qm
