#include "service/report_task.h"

#include <cstring>

#include "settings/registry_layout.h"

namespace qm {

bool DecodeReportTask(const uint8_t* data, size_t size, ReportTask& out) {
  std::memset(&out, 0, sizeof out);
  if (size > sizeof out) return false;
  if (size) std::memcpy(&out, data, size);
  out.adapterId[sizeof out.adapterId - 1] = '\0';
  out.reportFile[259] = u'\0';
  return true;
}

std::vector<uint8_t> EncodeReportTask(const ReportTask& task) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(&task);
  return std::vector<uint8_t>(p, p + sizeof task);
}

std::string ReportTaskAdapterId(const ReportTask& task) {
  return std::string(task.adapterId, strnlen(task.adapterId, sizeof task.adapterId));
}

std::u16string ReportTaskFile(const ReportTask& task) {
  size_t n = 0;
  while (n < 260 && task.reportFile[n]) ++n;
  return std::u16string(task.reportFile, n);
}

ReportTask MakeReportTask(uint32_t reportType, int32_t adapterKind, const std::string& adapterId, int32_t interval,
                          const std::u16string& reportFile) {
  ReportTask t;
  std::memset(&t, 0, sizeof t);
  t.reportType = reportType;
  t.adapterKind = adapterKind;
  std::memcpy(t.adapterId, adapterId.data(), adapterId.size() < 259 ? adapterId.size() : 259);
  t.interval = interval;
  t.countdown = interval;
  for (size_t i = 0; i < reportFile.size() && i < 259; ++i) t.reportFile[i] = reportFile[i];
  return t;
}

std::vector<ReportTask> LoadReportTasks(SettingsStore& store, RegRoot root, std::string* stopped) {
  std::vector<ReportTask> tasks;
  // The rule that one bad value hides the later ones stays; the
  // administrator learns which value it was.
  auto stop = [stopped](const std::string& name, const char* why) {
    if (stopped)
      *stopped = "Report task \"" + name + "\" " + why + "; it and every later report task are ignored.";
  };
  for (const std::string& name : store.ValueNames(root, kServiceReportsKey)) {
    RegValue value;
    if (name.size() > kReportTaskMaxName) {
      stop(name, "has a name longer than 31 characters");
      break;
    }
    if (!store.ReadValue(root, kServiceReportsKey, name, value)) {
      stop(name, "cannot be read");
      break;
    }
    ReportTask task;
    if (!DecodeReportTask(value.data.data(), value.data.size(), task)) {
      stop(name, "is longer than 796 bytes");
      break;
    }
    if (task.interval <= 0) task.interval = 1;
    task.countdown = task.interval;
    tasks.push_back(task);
  }
  return tasks;
}

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = text[i];
    uint32_t cp = c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra) cp = c & (0x3F >> extra);
    ++i;
    for (int k = 0; k < extra && i < text.size(); ++k, ++i) cp = (cp << 6) | (uint8_t(text[i]) & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += char16_t(0xD800 + (cp >> 10));
      out += char16_t(0xDC00 + (cp & 0x3FF));
    } else {
      out += char16_t(cp);
    }
  }
  return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (cp < 0x80) {
      out += char(cp);
    } else if (cp < 0x800) {
      out += char(0xC0 | (cp >> 6)), out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += char(0xE0 | (cp >> 12)), out += char(0x80 | ((cp >> 6) & 0x3F)), out += char(0x80 | (cp & 0x3F));
    } else {
      out += char(0xF0 | (cp >> 18)), out += char(0x80 | ((cp >> 12) & 0x3F));
      out += char(0x80 | ((cp >> 6) & 0x3F)), out += char(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

}  // namespace qm
