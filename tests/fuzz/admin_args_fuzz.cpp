// QuellmarkAdmin's arguments, one per input line, against settings that
// already hold a rule and two report tasks. Whatever it is given, it
// answers with whole lines and status 0 or 2 (1 only from "check", which
// found problems); a refused command and every
// /reg command leave the settings as they were; and what it stores is
// always read back whole by the service (no task it would stop at, no rule
// of an unknown version).

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/ascii_case.h"
#include "service/admin/admin_commands.h"
#include "service/report_task.h"
#include "settings/notification_rule.h"
#include "settings/registry_layout.h"
#include "tests/fakes/memory_settings_store.h"
#include "tests/fakes/scripted_adapter_source.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using qm::RegRoot;

using qm::fuzz::Check;

// Everything the tool may touch, for comparing before and after.
std::map<std::string, std::pair<qm::RegType, std::vector<uint8_t>>> Snapshot(qm::MemorySettingsStore& store) {
  std::map<std::string, std::pair<qm::RegType, std::vector<uint8_t>>> out;
  for (const char* key : {qm::kServiceReportsKey, qm::kOptionsKey}) {
    for (const std::string& name : store.ValueNames(RegRoot::LocalMachine, key)) {
      qm::RegValue v;
      store.ReadValue(RegRoot::LocalMachine, key, name, v);
      out[std::string(key) + "\\" + name] = {v.type, v.data};
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return -1;
  qm::MemorySettingsStore store;
  qm::ScriptedAdapterSource adapters;
  qm::SystemAdapter eth;
  eth.name = "{00000002-0000-0000-0000-4E6574446576}";
  eth.description = "eth0";
  eth.hardwareAddress = {2, 0, 0x5e, 1, 2, 3};
  eth.ipAddresses = {"198.51.100.1"};
  adapters.adapters = {eth};
  const std::string id = "{00000002-0000-0000-0000-4E6574446576}";
  Check(qm::RunAdminCommand(store, {"report", "add", "lan-daily", "daily", id, "3600", "C:\\r\\lan.csv"}).exitCode == 0);
  Check(qm::RunAdminCommand(store, {"report", "add", "all", "summary", "all", "60", "C:\\r\\all.htm"}).exitCode == 0);
  Check(qm::RunAdminCommand(store, {"rule", "set", "all", "1.5", "GB", "both", "month", "a@example.com"}).exitCode == 0);
  const auto before = Snapshot(store);

  std::vector<std::string> args = size ? qm::fuzz::ArgumentLines(data, size) : std::vector<std::string>();
  qm::AdminResult result = qm::RunAdminCommand(store, args, &adapters);

  const bool reg = !args.empty() && qm::AsciiEqualNoCase(args[0], "/reg");
  const bool check = args.size() > size_t(reg) && qm::AsciiEqualNoCase(args[reg], "check");
  Check(result.exitCode == 0 || result.exitCode == 2 || (result.exitCode == 1 && check));
  Check(!result.output.empty() && result.output.back() == '\n');
  if (result.exitCode != 0 || reg) Check(Snapshot(store) == before);

  // The service reads every task and the rule.
  Check(qm::LoadReportTasks(store, RegRoot::LocalMachine).size() ==
        store.ValueNames(RegRoot::LocalMachine, qm::kServiceReportsKey).size());
  qm::NotificationRuleU rule;
  Check(qm::ReadNotificationRule(store, RegRoot::LocalMachine, rule) != qm::RuleRead::Rejected);
  return 0;
}
