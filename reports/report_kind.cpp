#include "reports/report_kind.h"

namespace qm {
namespace {

const ReportKindNames& Names(ReportKind kind) {
  for (const ReportKindNames& n : kReportKinds)
    if (n.kind == kind) return n;
  return kReportKinds[3];
}

}  // namespace

const char* ReportKindWord(ReportKind kind) { return Names(kind).word; }
const char* ReportKindTitle(ReportKind kind) { return Names(kind).title; }

bool ReportKindFromWord(std::string_view word, ReportKind& kind) {
  for (const ReportKindNames& n : kReportKinds) {
    if (word == n.word) {
      kind = n.kind;
      return true;
    }
  }
  return false;
}

ReportKind ReportKindFromNumber(uint32_t number) {
  for (const ReportKindNames& n : kReportKinds)
    if (uint32_t(n.kind) == number) return n.kind;
  return ReportKind::Summary;
}

}  // namespace qm
