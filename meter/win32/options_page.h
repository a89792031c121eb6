#pragma once
// The apply protocol every page of the options sheet follows. A page edits
// its own copy of the values; any edit after its initialisation marks it
// changed and enables "&Apply". On "OK" or "&Apply" a changed page reads
// its controls and checks them: the first failure activates the page, puts
// the focus on the control at fault and says why (the sheet stays open);
// otherwise the page sends its owner UM_OPTIONS_APPLY with its code and
// itself, synchronously, and is unchanged again. A page added later only
// derives from this class and answers ReadAndCheck.

#include <windows.h>

#include <optional>
#include <string>

#include "uikit/property_sheet.h"

namespace qm {

class OptionsPage : public PropertyPage {
 public:
  // `code`: the page code sent with UM_OPTIONS_APPLY (201 General, ...).
  OptionsPage(int templateId, int code) : PropertyPage(templateId), code_(code) {}

  int Code() const { return code_; }
  bool Changed() const { return changed_; }
  // Set by the sheet before it runs: where the values go, the sheet's font.
  void Attach(HWND receiver, HFONT font) {
    receiver_ = receiver;
    font_ = font;
  }

 protected:
  struct Refused {
    int control;          // the control that gets the focus
    std::string message;  // shown as a warning
  };

  // WM_INITDIALOG: sets the sheet's font on every control, then runs
  // OnInitPage; edits count from its end on.
  bool OnInit() final;
  virtual bool OnInitPage() { return true; }
  // Reads the controls into the page's values; the first failing check.
  virtual std::optional<Refused> ReadAndCheck() = 0;

  // An edit of the user's (ignored while the page initialises).
  void MarkChanged();
  bool Initialised() const { return initialised_; }
  HFONT SheetFont() const { return font_; }

 private:
  ApplyResult OnApply() final;
  void OnHelp() override;

  int code_;
  HWND receiver_ = nullptr;
  HFONT font_ = nullptr;
  bool changed_ = false;
  bool initialised_ = false;
};

// Sets `font` on every child of `window`.
void SetFontOnChildren(HWND window, HFONT font);

}  // namespace qm
