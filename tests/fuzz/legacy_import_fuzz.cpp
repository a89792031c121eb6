// The one-time import of the older headerless log, as any bytes: each
// whole 40-byte record becomes one day record, in order, when it is a
// pseudo adapter's or its hardware address belongs to a present adapter;
// everything else is dropped, and the history file stays a history file.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/day_record.h"
#include "engine/history_file.h"
#include "tests/fakes/memory_file_system.h"
#include "tests/fakes/scripted_adapter_source.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using qm::fuzz::Check;

constexpr size_t kLegacyRecordSize = 40;

// The seeds use these addresses: one short, one of eight bytes.
qm::SystemAdapter Adapter(const std::string& name, std::vector<uint8_t> address) {
  qm::SystemAdapter a;
  a.name = name;
  a.description = "eth";
  a.hardwareAddress = std::move(address);
  return a;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qm::MemoryFileSystem fs('/');
  const std::string path = "TrafficHistory.log";
  fs.SetContent(qm::LegacyLogPath(path), std::string(reinterpret_cast<const char*>(data), size));

  qm::ScriptedAdapterSource source;
  source.adapters = {Adapter("eth0", {0x02, 0x00, 0x5e, 0x10, 0x20, 0x30}),
                     Adapter("{00000003-0000-0000-0000-4E6574446576}", {1, 2, 3, 4, 5, 6, 7, 8})};
  std::vector<qm::SystemAdapter> named = source.adapters;
  std::vector<std::string> ids;
  for (qm::SystemAdapter& a : named) ids.push_back(qm::MakeAdapterId(a));

  qm::HistoryFile history(fs);
  Check(history.Open(path) && history.createdEmpty());
  Check(history.ImportLegacyLog(qm::LegacyLogPath(path), source));
  history.Close();

  // What should have come over, in order.
  const std::string file = fs.Content(path);
  Check(file.size() >= size_t(qm::kHistoryHeaderSize) &&
        (file.size() - qm::kHistoryHeaderSize) % qm::kDayRecordSize == 0);
  size_t at = qm::kHistoryHeaderSize;
  for (size_t offset = 0; offset + kLegacyRecordSize <= size; offset += kLegacyRecordSize) {
    const uint8_t* l = data + offset;
    int32_t kind;
    std::memcpy(&kind, l + 12, 4);
    std::string id;
    if (kind != qm::kKindAllConnections && kind != qm::kKindDialUp) {
      for (size_t i = 0; i < named.size() && id.empty(); ++i) {
        uint8_t padded[8] = {};
        std::memcpy(padded, source.adapters[i].hardwareAddress.data(),
                    std::min<size_t>(8, source.adapters[i].hardwareAddress.size()));
        if (std::memcmp(padded, l + 16, 8) == 0) id = ids[i];
      }
      if (id.empty()) continue;  // an adapter this machine no longer has
      kind = qm::kKindAdapter;
    }
    Check(at + qm::kDayRecordSize <= file.size());
    qm::DayRecord r;
    std::memcpy(&r, file.data() + at, sizeof r);
    Check(std::memcmp(&r, l, 12) == 0 && r.kind == kind && r.Id() == id);
    Check(std::memcmp(&r.download, l + 24, 16) == 0);
    at += qm::kDayRecordSize;
  }
  Check(at == file.size());
  return 0;
}
