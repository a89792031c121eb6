#pragma once
// The four report kinds, each with the word that names it (command lines,
// task listings, the service's log) and the title its report carries.

#include <cstdint>
#include <string_view>

#include "reports/report_types.h"

namespace qm {

struct ReportKindNames {
  ReportKind kind;
  const char* word;
  const char* title;
};

inline constexpr ReportKindNames kReportKinds[] = {
    {ReportKind::Daily, "daily", "Daily Traffic Report"},
    {ReportKind::Weekly, "weekly", "Weekly Traffic Report"},
    {ReportKind::Monthly, "monthly", "Monthly Traffic Report"},
    {ReportKind::Summary, "summary", "General Traffic Summary"},
};

const char* ReportKindWord(ReportKind kind);
const char* ReportKindTitle(ReportKind kind);

// The kind named by its word, in lower case as the table has it; false for
// any other text.
bool ReportKindFromWord(std::string_view word, ReportKind& kind);

// A stored kind number (a report task's): 1 to 3 are daily, weekly and
// monthly, and any other value is read as the summary.
ReportKind ReportKindFromNumber(uint32_t number);

}  // namespace qm
