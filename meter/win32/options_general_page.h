#pragma once
// COptGeneralPage (code 201): the meter window's behaviour, the calendar,
// the date format, the display elements and the unit of rates.

#include <windows.h>

#include "meter/win32/options_page.h"
#include "settings/options.h"

namespace qm {

class COptGeneralPage : public OptionsPage {
 public:
  COptGeneralPage(const Options& options, bool layeredWindows);

  // The page's copy; after an apply it holds what was applied.
  const Options& Values() const { return values_; }

 protected:
  bool OnInitPage() override;
  bool OnCommand(int id, int code, HWND control) override;
  std::optional<Refused> ReadAndCheck() override;

 private:
  void EnableTransparencyList();

  Options values_;
  bool layered_;
};

}  // namespace qm
