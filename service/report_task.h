#pragma once
// Scheduled report tasks: every N service ticks, the daily, weekly, monthly
// or summary report of one adapter is written to one file. Each task is one
// binary value of 796 bytes below "Service\Reports" (HKEY_LOCAL_MACHINE).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/settings_store.h"

namespace qm {

#pragma pack(push, 1)
struct ReportTask {
  uint32_t reportType;      // ReportKind: 1 daily, 2 weekly, 3 monthly, any other value summary
  int32_t adapterKind;      // 100, 200 or 300
  char adapterId[260];      // ANSI, NUL-terminated; ignored for the pseudo adapters
  int32_t interval;         // seconds (ticks); 0 or less runs every tick
  int32_t countdown;        // ticks until the next run; the stored value is ignored
  char16_t reportFile[260]; // UTF-16, NUL-terminated
};
#pragma pack(pop)

static_assert(sizeof(ReportTask) == 796);
static_assert(offsetof(ReportTask, adapterKind) == 4);
static_assert(offsetof(ReportTask, adapterId) == 8);
static_assert(offsetof(ReportTask, interval) == 268);
static_assert(offsetof(ReportTask, countdown) == 272);
static_assert(offsetof(ReportTask, reportFile) == 276);

inline constexpr size_t kReportTaskSize = sizeof(ReportTask);
inline constexpr size_t kReportTaskMaxName = 31;

// The bytes of a stored value over a zeroed task (shorter data leaves the
// rest zero); both text fields are terminated within themselves. False
// when the data is longer than a task.
bool DecodeReportTask(const uint8_t* data, size_t size, ReportTask& out);
std::vector<uint8_t> EncodeReportTask(const ReportTask& task);

// The adapter ID and the report path as texts (never past their fields).
std::string ReportTaskAdapterId(const ReportTask& task);
std::u16string ReportTaskFile(const ReportTask& task);
// Builds a task; texts too long for their fields are cut.
ReportTask MakeReportTask(uint32_t reportType, int32_t adapterKind, const std::string& adapterId, int32_t interval,
                          const std::u16string& reportFile);

// Loads the tasks in enumeration order, each with the interval rule applied
// (0 or less becomes 1) and its countdown set to the interval. A value whose
// name is longer than 31 characters or whose data is longer than a task
// ends the list; `stopped` (when given) then gets one activity log line
// naming that value. No key, no tasks.
std::vector<ReportTask> LoadReportTasks(SettingsStore& store, RegRoot root, std::string* stopped = nullptr);

// One service tick: every task counts down by one; a task that was at 1 or
// less is due, is started through `run` and begins its next interval.
template <typename Run>
void AdvanceReportTasks(std::vector<ReportTask>& tasks, Run&& run) {
  for (ReportTask& task : tasks) {
    if (task.countdown-- <= 1) {
      run(static_cast<const ReportTask&>(task));
      task.countdown = task.interval;
    }
  }
}

// UTF-8 and UTF-16 for the administration tool and the tests; the service
// converts report paths to the system's ANSI code page itself.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace qm
