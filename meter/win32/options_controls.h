#pragma once
// Helpers for the options pages' controls: drop-down lists filled from the
// options' list items (options_lists.h), each item keeping its value; list
// view columns, sized for the screen's DPI; texts.

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "meter/options_lists.h"

namespace qm {

void FillCombo(HWND combo, const ListItems& items);
// Selects the item at `index` (-1: none).
void SelectComboIndex(HWND combo, int index);
int ComboIndex(HWND combo);
// The selected item's value; none without a selection.
std::optional<int64_t> ComboValue(HWND combo);

// A window's text.
std::string WindowText(HWND window);

struct PlainColumn {
  const char* title;
  int width;  // pixels at 96 DPI
};
// Adds report columns to a list view.
void AddListColumns(HWND list, std::initializer_list<PlainColumn> columns);

}  // namespace qm
