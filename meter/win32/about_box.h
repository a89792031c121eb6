#pragma once
// The about box (dialog 210): version line, the home page and support
// links, and the update-check and tell-a-friend buttons.

#include "uikit/dialog.h"
#include "uikit/hyperlink_label.h"

namespace qm {

class AboutBox : public ModalDialog {
 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  HyperlinkLabel homepage_;
  HyperlinkLabel support_;
};

}  // namespace qm
