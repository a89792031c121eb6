#include "engine/adapter_record.h"

#include <cstdio>

#include "platform/ascii_case.h"

namespace qm {

AdapterRecord MakePseudoAdapter(int32_t kind) {
  AdapterRecord r;
  r.kind = kind;
  r.systemName = r.displayName = kind == kKindAllConnections ? kAllConnectionsName : kDialUpConnectionsName;
  return r;
}

const std::string& MakeAdapterId(SystemAdapter& entry) {
  if (entry.name.size() > 10) {
    for (char& c : entry.name) c = AsciiUpper(c);  // in place: the list is read again without allocating
  } else {
    uint8_t b[8] = {};
    for (size_t i = 0; i < 8 && i < entry.hardwareAddress.size(); ++i) b[i] = entry.hardwareAddress[i];
    char text[17];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X%02X%02X", b[0], b[1], b[2], b[3], b[4], b[5], b[6],
                  b[7]);
    entry.name = text;
  }
  if (entry.name.size() > kMaxAdapterIdLength) entry.name.resize(kMaxAdapterIdLength);
  return entry.name;
}

bool IsDialUpType(uint32_t interfaceType) { return interfaceType == kIfTypePpp || interfaceType == kIfTypeSlip; }

std::string SystemNameFor(const std::string& description, uint32_t interfaceType) {
  const char* space = " \t\r\n\v\f";
  size_t first = description.find_first_not_of(space);
  if (first == std::string::npos) return IsDialUpType(interfaceType) ? kWanName : kUnknownConnectionName;
  size_t last = description.find_last_not_of(space);
  return description.substr(first, last - first + 1);
}

std::string FirstIpAddress(const SystemAdapter& entry) {
  if (entry.ipAddresses.empty()) return std::string();
  return entry.ipAddresses.front().substr(0, kMaxIpAddressLength);
}

std::string AdapterTitle(const AdapterRecord& record, bool showIp) {
  if (!showIp || record.kind != kKindAdapter || record.ipAddress.empty()) return record.displayName;
  if (record.displayName.empty()) return record.ipAddress;
  return record.displayName + " [" + record.ipAddress + "]";
}

}  // namespace qm
