#include "service/admin/settings_check.h"

#include <utility>
#include <vector>

#include "engine/adapter_record.h"
#include "engine/day_record.h"
#include "platform/ascii_case.h"
#include "service/metrics_server.h"
#include "service/report_task.h"
#include "service/service_config.h"
#include "settings/notification_rule.h"
#include "settings/registry_layout.h"

namespace qm {
namespace {

constexpr RegRoot kLm = RegRoot::LocalMachine;

void Add(std::string& out, const std::string& what, const std::string& problem) {
  if (!problem.empty()) out += what + ": " + problem + "\n";
}

std::string RecorderProblems(SettingsStore& store, AdapterSource* adapters, FileSystem* files) {
  std::string out;
  const std::string root = std::string(kProductKey) + kAdaptersKey;
  for (const std::string& name : store.SubKeys(kLm, root)) {
    const std::string key = root + "\\" + name;
    std::string id, file;
    uint32_t records = 0;
    if (!store.ReadString(kLm, key, "AdapterID", id)) continue;  // the service ignores such keys
    const int32_t kind = name.rfind("300-", 0) == 0 ? kKindAdapter : 0;
    Add(out, "AdaptersEx\\" + name, UnknownAdapterProblem(adapters, kind, AsciiUpper(id)));
    if (store.ReadDword(kLm, key, "RecordTrafficRates", records) && records != 0 &&
        store.ReadString(kLm, key, "RecordFile", file))
      Add(out, "AdaptersEx\\" + name + " RecordFile", MissingFolderProblem(files, file));
  }
  return out;
}

std::string TaskProblems(SettingsStore& store, AdapterSource* adapters, FileSystem* files) {
  std::string out, history;
  store.ReadString(kLm, kOptionsKey, "TrafficLogFile", history);
  std::vector<std::pair<std::string, std::string>> earlier;  // name and file of the tasks before
  for (const std::string& name : store.ValueNames(kLm, kServiceReportsKey)) {
    std::vector<uint8_t> data;
    ReportTask t;
    if (!store.ReadBinary(kLm, kServiceReportsKey, name, data) || !DecodeReportTask(data.data(), data.size(), t))
      continue;  // "report list" names these
    const std::string what = "Report task \"" + name + "\"";
    const std::string file = Utf16ToUtf8(ReportTaskFile(t));
    Add(out, what, UnknownAdapterProblem(adapters, t.adapterKind, ReportTaskAdapterId(t)));
    Add(out, what, MissingFolderProblem(files, file));
    if (!history.empty() && SamePathText(history, file))
      Add(out, what, "\"" + file + "\" is the service's traffic log file (TrafficLogFile); the service never writes a "
                     "report over it.");
    for (const auto& [other, otherFile] : earlier)
      if (SamePathText(otherFile, file)) {
        Add(out, what, SharedFileProblem(other, otherFile));
        break;
      }
    earlier.emplace_back(name, file);
  }
  return out;
}

std::string RuleProblems(SettingsStore& store, AdapterSource* adapters) {
  NotificationRuleU r;
  uint32_t enabled = 0;
  if (ReadNotificationRule(store, kLm, r) != RuleRead::Accepted ||
      !store.ReadDword(kLm, kOptionsKey, "NotificationEnabled", enabled) || enabled == 0)
    return "";
  std::string out;
  Add(out, "Notification rule", UnknownAdapterProblem(adapters, r.adapterKind, FieldText(r.adapterId)));
  return out;
}

}  // namespace

bool SamePathText(std::string a, std::string b) {
  for (std::string* p : {&a, &b})
    for (char& c : *p)
      if (c == '/') c = '\\';
  return AsciiEqualNoCase(a, b);
}

std::string SharedFileProblem(const std::string& other, const std::string& otherFile) {
  return "report task \"" + other + "\" writes \"" + otherFile + "\" too; each run replaces the other's report.";
}

std::string FolderOf(const std::string& path) {
  const size_t last = path.find_last_of("\\/");
  if (last == std::string::npos) return "";
  if (last == 2 && path[1] == ':') return path.substr(0, 3);  // a drive's root
  return path.substr(0, last);
}

std::string MissingFolderProblem(FileSystem* files, const std::string& path) {
  const std::string folder = FolderOf(path);
  if (!files || folder.empty() || files->IsDirectory(folder)) return "";
  return "the folder \"" + folder + "\" of \"" + path + "\" does not exist; create it (mkdir \"" + folder +
         "\"), or the service cannot write the file.";
}

std::string UnknownAdapterProblem(AdapterSource* adapters, int32_t kind, const std::string& id) {
  std::vector<SystemAdapter> entries;
  if (kind != kKindAdapter || !adapters || !adapters->ListAdapters(entries)) return "";
  for (SystemAdapter& e : entries)
    if (MakeAdapterId(e) == id) return "";
  return "no adapter present now has the ID \"" + id +
         "\", so nothing is written for it until such an adapter appears. \"QuellmarkAdmin adapters\" lists the IDs.";
}

std::string ServiceSettingsProblems(SettingsStore& store, AdapterSource* adapters, FileSystem* files) {
  std::string out;
  const ServiceConfig config = ReadServiceConfig(store, kLm);
  if (config.ServiceEnabled == 0) out += "ServiceEnabled: not 1, so the service stops as soon as it starts.\n";
  std::string listen;
  uint32_t address = 0;
  uint16_t port = 0;
  if (store.ReadString(kLm, kServiceKey, kMetricsListenValue, listen) && !listen.empty() &&
      !ParseMetricsListen(listen, address, port))
    out += "MetricsListen: \"" + listen + "\" is not IPv4ADDRESS:PORT, so the service serves no metrics.\n";
  std::string history;
  if (store.ReadString(kLm, kOptionsKey, "TrafficLogFile", history) && !history.empty())
    Add(out, "TrafficLogFile", MissingFolderProblem(files, history));
  return out + RecorderProblems(store, adapters, files) + TaskProblems(store, adapters, files) +
         RuleProblems(store, adapters);
}

}  // namespace qm
