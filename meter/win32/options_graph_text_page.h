#pragma once
// COptGraphTextPage (code 202): the graph's colours and fonts, the height
// of its scale, the style of its columns, grids and time labels.

#include <windows.h>

#include <array>

#include "meter/win32/options_page.h"
#include "settings/options.h"
#include "uikit/color_swatch_button.h"

namespace qm {

class COptGraphTextPage : public OptionsPage {
 public:
  explicit COptGraphTextPage(const Options& options);

  // The page's copy; after an apply it holds what was applied.
  const Options& Values() const { return values_; }

 protected:
  bool OnInitPage() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  std::optional<Refused> ReadAndCheck() override;

 private:
  void ChooseColour(size_t index);
  void ChooseFont(LogFontRecord& font);
  void ShowColours();

  Options values_;
  std::array<ColorSwatchButton, 15> swatches_;
};

}  // namespace qm
