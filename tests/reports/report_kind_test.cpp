#include "reports/report_kind.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(ReportKinds, WordsAndStoredNumbersNameTheKinds) {
  for (const ReportKindNames& n : kReportKinds) {
    ReportKind kind = ReportKind(0);
    EXPECT_TRUE(ReportKindFromWord(n.word, kind)) << n.word;
    EXPECT_EQ(kind, n.kind);
    EXPECT_EQ(ReportKindFromNumber(uint32_t(n.kind)), n.kind);
  }
  ReportKind kind;
  for (const char* word : {"Daily", "", "yearly", "daily "}) EXPECT_FALSE(ReportKindFromWord(word, kind)) << word;
  // The service reads a task of any other number as a summary.
  for (uint32_t number : {0u, 5u, 0xFFFFFFFFu}) EXPECT_EQ(ReportKindFromNumber(number), ReportKind::Summary);
}

}  // namespace
}  // namespace qm
