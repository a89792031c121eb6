#pragma once
// Exporting the report a page shows: the save dialog with its three file
// types, the name completed by the chosen type, the file written anew, and
// the question whether to open it.

#include <windows.h>

#include "reports/report_writer.h"

namespace qm {

void ExportReport(HWND owner, const ReportCells& cells);

}  // namespace qm
