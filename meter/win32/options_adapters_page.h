#pragma once
// COptAdaptersPage (code 203): which adapters have a graph view, their
// names and connection speeds, and the tray icon's adapter and tips.

#include <windows.h>

#include <vector>

#include "meter/options_checks.h"
#include "meter/win32/options_page.h"
#include "settings/options.h"
#include "uikit/sortable_list_view.h"

namespace qm {

class COptAdaptersPage : public OptionsPage {
 public:
  // `rows`: the adapter list in list order.
  COptAdaptersPage(const Options& options, const std::vector<AdapterRow>& rows);

  // The page's copies; after an apply they hold what was applied.
  const Options& Values() const { return values_; }
  const std::vector<AdapterRow>& Rows() const { return rows_; }

 protected:
  bool OnInitPage() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  std::optional<Refused> ReadAndCheck() override;

 private:
  void FillList();
  void FillTrayAdapters(int select);
  void ShowRow(int row);  // -1: no row
  void EnableTrayControls();
  void OnNameEdited();
  void OnTypeChosen();
  void OnSpeedTyped();
  void CompareChecks();
  void Reset();
  void Renumber();
  int SelectedRow() const;
  bool RowChecked(int row) const;

  Options values_;
  std::vector<AdapterRow> rows_;
  const std::vector<AdapterRow> original_;
  SortableListView list_;  // each list row carries its index in rows_
  int editing_ = -1;     // the row in the editor
  bool filling_ = false; // the page itself is writing into the editor
};

}  // namespace qm
