#pragma once
// StopwatchWindow: the modal "Stopwatch" dialog. It times one adapter's
// traffic between Start and Stop from the samples the meter window's tick
// puts into the adapter's history (it samples nothing itself), and shows the
// elapsed time, the totals in bytes and bits and the maximum, minimum and
// average rates.

#include <windows.h>

#include <functional>
#include <vector>

#include "engine/adapter_list.h"
#include "platform/win32/unique_handle.h"
#include "recorder/stopwatch.h"
#include "uikit/dialog.h"

namespace qm {

struct StopwatchSetup {
  AdapterList* adapters = nullptr;
  bool byteUnits = false;          // DisplayUnitByte
  bool alwaysOnTop = false;        // StopwatchAlwaysOnTop
  bool resetAdapterGraph = false;  // StopwatchResetAdapterGraph
  // The meter window's Reset Rates of one adapter; returns when done.
  std::function<void(AdapterRecord&)> resetRates;
};

class StopwatchWindow : public ModalDialog {
 public:
  StopwatchWindow(HINSTANCE instance, StopwatchSetup setup) : instance_(instance), setup_(std::move(setup)) {}

  INT_PTR Run(HWND owner);
  // The two options as the dialog closed, for the meter window to keep.
  bool alwaysOnTop() const { return setup_.alwaysOnTop; }
  bool resetAdapterGraph() const { return setup_.resetAdapterGraph; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnTimer(UINT_PTR id) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void StartMeasurement();
  void StopMeasurement();
  void ShowFigures();
  void SetLabel(int id, const std::string& text);
  void ApplyAlwaysOnTop();
  void ReadCheckBoxes();

  HINSTANCE instance_;
  StopwatchSetup setup_;
  std::vector<AdapterRecord*> choices_;  // the drop-down list's records, in its order
  AdapterRecord* measured_ = nullptr;
  StopwatchMeasurement watch_;
  GdiHandle<HFONT> elapsedFont_;
};

}  // namespace qm
