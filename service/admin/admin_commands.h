#pragma once
// quellmark-admin: writes the binary machine-wide settings that a .reg
// file cannot express readably, the service's report tasks and its
// notification rule, either straight into the settings store or as .reg
// text for deployment with "reg import".
//
//   QuellmarkAdmin adapters
//   QuellmarkAdmin check
//   QuellmarkAdmin report add NAME TYPE ADAPTER SECONDS FILE
//   QuellmarkAdmin report delete NAME
//   QuellmarkAdmin report list
//   QuellmarkAdmin rule set ADAPTER LIMIT UNIT TRANSFER PERIOD ADDRESSES
//   QuellmarkAdmin rule show
//   QuellmarkAdmin metrics set ADDRESS:PORT | metrics off | metrics show
//   QuellmarkAdmin email set SERVER SENDER [ACCOUNT]   (see email_command.h)
//   QuellmarkAdmin email protect
//   QuellmarkAdmin /reg report add ...   (print .reg text instead of writing)

#include <string>
#include <vector>

#include "platform/adapter_source.h"
#include "platform/file.h"
#include "platform/settings_store.h"
#include "service/admin/email_command.h"

namespace qm {

struct AdminResult {
  int exitCode = 0;
  std::string output;  // what the command prints (usage and errors included)
};

// Runs one command against the HKEY_LOCAL_MACHINE settings of `store`;
// "adapters" lists what `adapters` reports (none: the system's list cannot
// be read); the e-mail commands need `secrets`; missing folders are found
// through `files` (none: not looked for). Arguments are UTF-8; texts
// stored as UTF-16 are converted. A wrong argument count names the
// argument and prints that command's usage.
AdminResult RunAdminCommand(SettingsStore& store, const std::vector<std::string>& args,
                            AdapterSource* adapters = nullptr, EmailSecrets* secrets = nullptr,
                            FileSystem* files = nullptr);

// A binary value as .reg text: "\"name\"=hex:01,02,..." wrapped at 80
// columns with "\\" continuations, as the registry editor writes it.
std::string RegBinaryLine(const std::string& name, const std::vector<uint8_t>& data);

}  // namespace qm
