#include "engine/adapter_list.h"

#include <cstring>

#include "platform/ascii_case.h"

namespace qm {
namespace {

// String values are read as into a 1024-byte buffer.
constexpr size_t kMaxRegistryText = 1023;

std::string AdaptersExPath() { return std::string(kProductKey) + kAdaptersKey; }

bool ReadText(SettingsStore& store, RegRoot root, const std::string& key, const char* name, std::string& out) {
  if (!store.ReadString(root, key, name, out)) return false;
  if (out.size() > kMaxRegistryText) out.resize(kMaxRegistryText);
  return true;
}

// Reads one AdaptersEx sub-key into `r`; false when it has no AdapterID.
bool ReadAdapterKey(SettingsStore& store, RegRoot root, const std::string& key, EngineVariant variant,
                    AdapterRecord& r) {
  std::string id;
  if (!ReadText(store, root, key, "AdapterID", id)) return false;
  // The pseudo adapters are identified by kind alone; an ID there would
  // make their day records unreadable.
  r.id = r.IsPseudo() ? std::string() : AsciiUpper(id.substr(0, kMaxAdapterIdLength));

  std::string name;
  if (ReadText(store, root, key, "AdapterName", name) && !name.empty()) r.displayName = name;

  if (variant == EngineVariant::Desktop) {
    uint32_t v = 0;
    if (store.ReadDword(root, key, "ConnRatebps", v)) r.connectionSpeed = v;
    if (store.ReadDword(root, key, "Monitored", v)) r.monitored = v != 0;
    std::vector<uint8_t> size;
    if (store.ReadBinary(root, key, "Size", size) && size.size() >= sizeof(float)) {
      std::memcpy(&r.size, size.data(), sizeof(float));
      if (!(r.size >= 0.0f && r.size <= 1.0f)) r.size = 0.0f;  // NaN or out of range: the default share
    }
  }

  store.ReadDword(root, key, "RecordTrafficRates", r.recordRates);
  if (variant == EngineVariant::Desktop || r.recordRates != 0) {
    uint32_t v = 0;
    if (store.ReadDword(root, key, "RecordNumberOnly", v)) r.recordFlags = (r.recordFlags & ~1u) | (v ? 1u : 0u);
    store.ReadDword(root, key, "RecordInterval", r.recordInterval);
    ReadText(store, root, key, "RecordFile", r.recordFile);
  }
  return true;
}

void TakeReading(AdapterRecord& r, const SystemAdapter& entry, const InterfaceCounters& c) {
  r.interfaceType = c.type;
  r.previousIn = c.received;
  r.previousOut = c.sent;
  r.previousWide = c.wide;
  r.hasPreviousSample = true;
  r.ipAddress = FirstIpAddress(entry);
  r.systemName = SystemNameFor(entry.description, c.type);
}

}  // namespace

AdapterRecord& AdapterList::Insert(size_t at, AdapterRecord record) {
  if (at > records_.size()) at = records_.size();
  auto it = records_.insert(records_.begin() + std::ptrdiff_t(at), std::make_unique<AdapterRecord>(std::move(record)));
  return **it;
}

AdapterRecord* AdapterList::FindReal(const std::string& id) {
  for (size_t i = kFirstReal; i < records_.size(); ++i) {
    if (records_[i]->id == id) return records_[i].get();
  }
  return nullptr;
}

AdapterRecord* AdapterList::FindByResetCommand(uint32_t command) {
  if (command == 0) return nullptr;
  for (auto& r : records_) {
    if (r->resetRatesCommand == command) return r.get();
  }
  return nullptr;
}

AdapterRecord* AdapterList::FindTrayAdapter(int32_t kind, const std::string& id) {
  for (auto& r : records_) {
    if (r->kind == kind && (r->IsPseudo() || r->id == id)) return r.get();
  }
  return nullptr;
}

void AdapterList::AssignMenuCommands(AdapterRecord& record) {
  if (record.adaptersMenuCommand == 0 && nextAdaptersCommand_ <= kLastAdaptersCommand) {
    record.adaptersMenuCommand = nextAdaptersCommand_++;
  }
  if (record.resetRatesCommand == 0 && nextResetRatesCommand_ <= kLastResetRatesCommand) {
    record.resetRatesCommand = nextResetRatesCommand_++;
  }
}

bool LoadAdapterList(AdapterList& list, SettingsStore& store, RegRoot root, EngineVariant variant,
                     AdapterSource& source) {
  list.Clear();
  bool haveAll = false, haveDialUp = false, anyMonitored = false;
  const std::string base = AdaptersExPath();
  for (const std::string& sub : store.SubKeys(root, base)) {
    int32_t kind = sub.compare(0, 3, "100") == 0   ? kKindAllConnections
                   : sub.compare(0, 3, "200") == 0 ? kKindDialUp
                   : sub.compare(0, 3, "300") == 0 ? kKindAdapter
                                                   : 0;
    if (kind == 0) continue;
    // A second key of a pseudo kind would break the list's order; the
    // first one stands.
    if ((kind == kKindAllConnections && haveAll) || (kind == kKindDialUp && haveDialUp)) continue;
    AdapterRecord r = kind == kKindAdapter ? AdapterRecord{} : MakePseudoAdapter(kind);
    r.kind = kind;
    if (!ReadAdapterKey(store, root, base + "\\" + sub, variant, r)) continue;
    anyMonitored = anyMonitored || r.monitored;
    if (kind == kKindAllConnections) {
      list.Insert(0, std::move(r));
      haveAll = true;
    } else if (kind == kKindDialUp) {
      list.Insert(haveAll ? 1 : 0, std::move(r));
      haveDialUp = true;
    } else {
      list.Append(std::move(r));
    }
  }
  if (!haveAll) list.Insert(0, MakePseudoAdapter(kKindAllConnections));
  if (!haveDialUp) list.Insert(1, MakePseudoAdapter(kKindDialUp));

  bool ok = RefreshFromSystem(list, source);
  if (variant == EngineVariant::Desktop && !anyMonitored) list[0].monitored = true;
  return ok;
}

bool RefreshFromSystem(AdapterList& list, AdapterSource& source) {
  std::vector<SystemAdapter> entries;
  if (!source.ListAdapters(entries)) return false;
  for (SystemAdapter& entry : entries) {
    const std::string id = MakeAdapterId(entry);
    InterfaceCounters c;
    if (!source.ReadCounters(entry.index, c)) continue;
    bool matched = false;
    for (size_t i = AdapterList::kFirstReal; i < list.size(); ++i) {
      if (list[i].id != id) continue;
      TakeReading(list[i], entry, c);
      matched = true;
    }
    if (!matched) AddSystemAdapter(list, entry, c);
  }
  return true;
}

AdapterRecord& AddSystemAdapter(AdapterList& list, const SystemAdapter& entry, const InterfaceCounters& counters) {
  AdapterRecord r;
  r.kind = kKindAdapter;
  r.id = AsciiUpper(entry.name.substr(0, kMaxAdapterIdLength));
  TakeReading(r, entry, counters);
  r.displayName = r.systemName;
  return list.Append(std::move(r));
}

std::string AdapterKeyPath(const AdapterRecord& record) {
  return AdapterKeyPath(record.kind, record.id);
}

void SaveAdapterSettings(const AdapterList& list, SettingsStore& store, RegRoot root, unsigned groups) {
  for (size_t i = 0; i < list.size(); ++i) {
    const AdapterRecord& r = list[i];
    const std::string key = AdapterKeyPath(r);
    if (groups & kIdentityGroup) {
      if (!store.WriteString(root, key, "AdapterID", r.id)) continue;  // the key cannot be created
      store.WriteString(root, key, "AdapterName", r.displayName);
      store.WriteDword(root, key, "ConnRatebps", r.connectionSpeed);
      store.WriteDword(root, key, "Monitored", r.monitored ? 1 : 0);
      if (r.HasView()) store.WriteBinary(root, key, "Size", &r.size, sizeof r.size);
    }
    if (groups & kRecorderGroup) {
      // The ID goes with the recorder group too: a key without it is ignored
      // at load, which would drop these settings when the identity group has
      // not been saved yet.
      if (!store.WriteString(root, key, "AdapterID", r.id)) continue;
      store.WriteDword(root, key, "RecordTrafficRates", r.recordRates);
      store.WriteDword(root, key, "RecordNumberOnly", r.recordFlags & 1u);
      store.WriteDword(root, key, "RecordInterval", r.recordInterval);
      store.WriteString(root, key, "RecordFile", r.recordFile);
    }
  }
}

}  // namespace qm
