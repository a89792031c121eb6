#pragma once
// The modal "Traffic Rates Recorder" dialog: a row per adapter with its
// recorder group, edited below the list; OK checks every recording row and
// leaves the rows for the meter window to take over, Cancel changes nothing.

#include <windows.h>

#include <vector>

#include "platform/file.h"
#include "recorder/recorder_choices.h"
#include "uikit/dialog.h"

namespace qm {

class RatesRecorderDialog : public ModalDialog {
 public:
  RatesRecorderDialog(HINSTANCE instance, std::vector<RecorderRow> rows, FileSystem& fs)
      : instance_(instance), rows_(std::move(rows)), fs_(fs) {}

  // IDOK when the rows passed their checks and are to be applied.
  INT_PTR Run(HWND owner);
  const std::vector<RecorderRow>& rows() const { return rows_; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  int Selected() const;
  void ShowRow(size_t index);
  void FillEditors();
  void EnableEditors();
  void Browse();
  void Ok();
  void SelectRow(size_t index);

  HINSTANCE instance_;
  std::vector<RecorderRow> rows_;
  FileSystem& fs_;
  int filter_ = kTextFilter;  // the browse dialog's filter last chosen
  bool filling_ = false;      // the editors are being filled, not edited
};

}  // namespace qm
