#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include <atomic>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/narrow_read_schedule.h"
#include "platform/win32/address_change_watch.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_adapter_source.h"

namespace qm {
namespace {

static_assert(sizeof(MIB_IFROW) == 860, "GetIfEntry fills an 860-byte row");
static_assert(sizeof(MIB_IF_ROW2) == 1352);

using GetAdaptersInfoFn = DWORD(WINAPI*)(PIP_ADAPTER_INFO, PULONG);
using GetIfEntryFn = DWORD(WINAPI*)(PMIB_IFROW);
using GetIfEntry2Fn = DWORD(WINAPI*)(PMIB_IF_ROW2);
using GetIfTable2Fn = DWORD(WINAPI*)(PMIB_IF_TABLE2*);
using FreeMibTableFn = VOID(WINAPI*)(PVOID);
using GetIpAddrTableFn = DWORD(WINAPI*)(PMIB_IPADDRTABLE, PULONG, BOOL);
using NotifyIpInterfaceChangeFn = DWORD(WINAPI*)(ADDRESS_FAMILY, PIPINTERFACE_CHANGE_CALLBACK, PVOID, BOOLEAN,
                                                 HANDLE*);
using NotifyUnicastIpAddressChangeFn = DWORD(WINAPI*)(ADDRESS_FAMILY, PUNICAST_IPADDRESS_CHANGE_CALLBACK, PVOID,
                                                      BOOLEAN, HANDLE*);
using CancelMibChangeNotify2Fn = DWORD(WINAPI*)(HANDLE);

// Set while the IP support library is loaded, for closing notifications.
std::atomic<CancelMibChangeNotify2Fn> cancelMibChangeNotify{nullptr};

struct MibNotificationTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) {
    if (CancelMibChangeNotify2Fn cancel = cancelMibChangeNotify.load()) cancel(h);
  }
};
using MibNotificationHandle = UniqueHandle<MibNotificationTraits>;

// A table the IP support library allocated, given back to it.
class MibTable {
 public:
  MibTable(void* table, FreeMibTableFn free) : table_(table), free_(free) {}
  ~MibTable() { free_(table_); }
  MibTable(const MibTable&) = delete;
  MibTable& operator=(const MibTable&) = delete;

 private:
  void* table_;
  FreeMibTableFn free_;
};

// FNV-1a, for noticing that the interfaces are others than a tick ago.
uint64_t Mix(uint64_t hash, const void* data, size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
  return hash;
}

uint64_t MixInterface(uint64_t hash, const MIB_IF_ROW2& row) {
  hash = Mix(hash, &row.InterfaceIndex, sizeof row.InterfaceIndex);
  hash = Mix(hash, &row.Type, sizeof row.Type);
  const ULONG length = row.PhysicalAddressLength < sizeof row.PhysicalAddress ? row.PhysicalAddressLength
                                                                               : ULONG(sizeof row.PhysicalAddress);
  hash = Mix(hash, row.PhysicalAddress, length);
  hash = Mix(hash, row.Description, wcsnlen(row.Description, IF_MAX_STRING_SIZE) * sizeof(WCHAR));
  return Mix(hash, row.Alias, wcsnlen(row.Alias, IF_MAX_STRING_SIZE) * sizeof(WCHAR));
}

template <typename Fn>
Fn Lookup(HMODULE lib, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(lib, name)));
}

class Win32AdapterSource : public AdapterSource {
 public:
  Win32AdapterSource(ModuleHandle lib, const Win32AdapterSourceOptions& options)
      : lib_(std::move(lib)),
        options_(options),
        getAdaptersInfo_(Lookup<GetAdaptersInfoFn>(lib_.Get(), "GetAdaptersInfo")),
        getIfEntry_(Lookup<GetIfEntryFn>(lib_.Get(), "GetIfEntry")),
        getIfEntry2_(options.narrowCountersOnly ? nullptr : Lookup<GetIfEntry2Fn>(lib_.Get(), "GetIfEntry2")),
        getIfTable2_(options.narrowCountersOnly || options.noCounterTable
                         ? nullptr
                         : Lookup<GetIfTable2Fn>(lib_.Get(), "GetIfTable2")),
        freeMibTable_(Lookup<FreeMibTableFn>(lib_.Get(), "FreeMibTable")),
        getIpAddrTable_(Lookup<GetIpAddrTableFn>(lib_.Get(), "GetIpAddrTable")) {
    if (!freeMibTable_) getIfTable2_ = nullptr;
    WatchChanges();
  }

  bool usable() const { return getAdaptersInfo_ && getIfEntry_; }

  bool ListAdapters(std::vector<SystemAdapter>& out) override {
    if (!Fill()) return false;
    size_t n = 0;
    for (const IP_ADAPTER_INFO* p = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer_.data()); p; p = p->Next) {
      if (n == out.size()) out.emplace_back();
      SystemAdapter& a = out[n++];
      a.name = p->AdapterName;
      a.description = p->Description;
      UINT length = p->AddressLength < sizeof p->Address ? p->AddressLength : UINT(sizeof p->Address);
      a.hardwareAddress.assign(p->Address, p->Address + length);
      a.index = p->Index;
      a.type = p->Type;
      a.ipAddresses.clear();
      for (const IP_ADDR_STRING* ip = &p->IpAddressList; ip; ip = ip->Next) {
        if (ip->IpAddress.String[0]) a.ipAddresses.emplace_back(ip->IpAddress.String);
      }
    }
    out.resize(n);
    return true;
  }

  bool ReadCounters(uint32_t index, InterfaceCounters& out) override {
    InterfaceCounters wide, narrow;
    bool wideRead = false, narrowRead = false;
    if (getIfEntry2_) {
      MIB_IF_ROW2 row;
      std::memset(&row, 0, sizeof row);
      row.InterfaceIndex = index;
      wideRead = getIfEntry2_(&row) == NO_ERROR;
      if (wideRead) wide = InterfaceCounters{row.InOctets, row.OutOctets, uint32_t(row.Type), true};
    }
    if (NarrowCountersNeeded(wideRead, wide)) narrowRead = ReadNarrow(index, narrow);
    return PickInterfaceCounters(wideRead, wide, narrowRead, narrow, out);
  }

  bool ReadCounterTable(std::vector<IndexedCounters>& out) override {
    MIB_IF_TABLE2* table = nullptr;
    if (!getIfTable2_ || getIfTable2_(&table) != NO_ERROR || !table) return false;
    MibTable owner(table, freeMibTable_);
    narrowSchedule_.NextTick();
    out.clear();
    uint64_t print = 14695981039346656037ull;
    for (ULONG i = 0; i < table->NumEntries; ++i) {
      const MIB_IF_ROW2& row = table->Table[i];
      print = MixInterface(print, row);
      InterfaceCounters c{row.InOctets, row.OutOctets, uint32_t(row.Type), true};
      if (NarrowCountersNeeded(true, c) && narrowSchedule_.Needed(row.InterfaceIndex)) {
        const InterfaceCounters wide = c;
        InterfaceCounters narrow;
        const bool narrowRead = ReadNarrow(row.InterfaceIndex, narrow);
        narrowSchedule_.Record(row.InterfaceIndex, narrowRead && (narrow.received != 0 || narrow.sent != 0));
        PickInterfaceCounters(true, wide, narrowRead, narrow, c);
      }
      out.push_back(IndexedCounters{row.InterfaceIndex, c});
    }
    tablePrint_ = print;
    tableRead_ = true;
    return true;
  }

  // A change shows in the interface table (an adapter came, went or was
  // renamed) or in the address table; the system's notification, where it
  // is delivered, says the same sooner. The interface table comes with the
  // counters; the address table costs as much as the list itself under
  // Wine, so it is read only when the address watch fired, when the
  // interfaces changed, every kAddressSafetyTicks calls, and every call
  // where no watch could be armed.
  bool AdaptersMayHaveChanged() override {
    bool changed = notified_.exchange(false);
    if (!tableRead_ || tablePrint_ != previousTablePrint_) changed = true;
    previousTablePrint_ = tablePrint_;
    tableRead_ = false;
    if (!AddressTableDue(changed)) return changed;
    if (!ReadAddressTable()) return true;
    if (addresses_ != previousAddresses_) changed = true;
    addresses_.swap(previousAddresses_);
    return changed;
  }

 private:
  static constexpr unsigned kAddressSafetyTicks = 60;

  // Whether to read the address table now. Re-arms the watch first when it
  // is read, so that a change made while it is read fires the watch again.
  bool AddressTableDue(bool interfacesChanged) {
    const bool fired = addressWatch_.Fired();
    if (addressWatch_.armed() && !fired && !interfacesChanged && ++ticksSinceAddresses_ < kAddressSafetyTicks) {
      return false;
    }
    ticksSinceAddresses_ = 0;
    if (!options_.noAddressWatch) addressWatch_.Arm();
    return true;
  }

  bool ReadNarrow(uint32_t index, InterfaceCounters& out) {
    MIB_IFROW row;
    std::memset(&row, 0, sizeof row);
    row.dwIndex = index;
    if (getIfEntry_(&row) != NO_ERROR) return false;
    out = InterfaceCounters{row.dwInOctets, row.dwOutOctets, row.dwType, false};
    return true;
  }

  // The IPv4 address table as bytes into addresses_, its buffer kept.
  bool ReadAddressTable() {
    if (!getIpAddrTable_) return false;
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (addressBuffer_.empty()) addressBuffer_.resize(64);
      ULONG size = ULONG(addressBuffer_.size() * sizeof(addressBuffer_[0]));
      auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(addressBuffer_.data());
      const DWORD rc = getIpAddrTable_(table, &size, FALSE);
      if (rc == ERROR_INSUFFICIENT_BUFFER) {
        addressBuffer_.resize((size + sizeof(addressBuffer_[0]) - 1) / sizeof(addressBuffer_[0]));
        continue;
      }
      if (rc != NO_ERROR) return false;
      const auto* bytes = reinterpret_cast<const unsigned char*>(table);
      addresses_.assign(bytes, bytes + offsetof(MIB_IPADDRTABLE, table) + table->dwNumEntries * sizeof(MIB_IPADDRROW));
      return true;
    }
    return false;
  }

  static void WINAPI OnInterfaceChange(PVOID context, PMIB_IPINTERFACE_ROW, MIB_NOTIFICATION_TYPE) {
    static_cast<Win32AdapterSource*>(context)->notified_ = true;
  }
  static void WINAPI OnAddressChange(PVOID context, PMIB_UNICASTIPADDRESS_ROW, MIB_NOTIFICATION_TYPE) {
    static_cast<Win32AdapterSource*>(context)->notified_ = true;
  }

  void WatchChanges() {
    auto cancel = Lookup<CancelMibChangeNotify2Fn>(lib_.Get(), "CancelMibChangeNotify2");
    auto onInterface = Lookup<NotifyIpInterfaceChangeFn>(lib_.Get(), "NotifyIpInterfaceChange");
    auto onAddress = Lookup<NotifyUnicastIpAddressChangeFn>(lib_.Get(), "NotifyUnicastIpAddressChange");
    if (!cancel) return;
    cancelMibChangeNotify = cancel;
    HANDLE h = nullptr;
    if (onInterface && onInterface(AF_UNSPEC, OnInterfaceChange, this, FALSE, &h) == NO_ERROR) {
      interfaceNotification_.Reset(h);
    }
    h = nullptr;
    if (onAddress && onAddress(AF_UNSPEC, OnAddressChange, this, FALSE, &h) == NO_ERROR) {
      addressNotification_.Reset(h);
    }
  }

  // Fills buffer_ with the adapter list. The buffer of the last list is
  // tried first: the size query costs as much as the list itself.
  bool Fill() {
    ULONG size = ULONG(buffer_.size() * sizeof(buffer_[0]));
    if (options_.alwaysQuerySize || size == 0) {
      size = 0;
      if (getAdaptersInfo_(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return false;
      buffer_.resize((size + sizeof(buffer_[0]) - 1) / sizeof(buffer_[0]));
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
      ULONG have = ULONG(buffer_.size() * sizeof(buffer_[0]));
      DWORD rc = getAdaptersInfo_(reinterpret_cast<PIP_ADAPTER_INFO>(buffer_.data()), &have);
      if (rc == NO_ERROR) return true;
      if (rc != ERROR_BUFFER_OVERFLOW) return false;  // ERROR_NO_DATA: no adapters
      buffer_.resize((have + sizeof(buffer_[0]) - 1) / sizeof(buffer_[0]));  // the list grew
    }
    return false;
  }

  ModuleHandle lib_;  // first: the functions below live in it
  Win32AdapterSourceOptions options_;
  GetAdaptersInfoFn getAdaptersInfo_;
  GetIfEntryFn getIfEntry_;
  GetIfEntry2Fn getIfEntry2_;
  GetIfTable2Fn getIfTable2_;
  FreeMibTableFn freeMibTable_;
  GetIpAddrTableFn getIpAddrTable_;
  std::vector<unsigned long long> buffer_;  // 8-byte aligned for IP_ADAPTER_INFO
  NarrowReadSchedule narrowSchedule_;
  uint64_t tablePrint_ = 0, previousTablePrint_ = 0;
  bool tableRead_ = false;
  std::vector<unsigned long long> addressBuffer_;  // aligned for MIB_IPADDRTABLE
  std::vector<unsigned char> addresses_, previousAddresses_;
  std::atomic<bool> notified_{false};
  AddressChangeWatch addressWatch_;
  unsigned ticksSinceAddresses_ = 0;
  // Last: cancelled (waiting for a callback under way) before the rest goes.
  MibNotificationHandle interfaceNotification_, addressNotification_;
};

}  // namespace

bool PickInterfaceCounters(bool wideRead, const InterfaceCounters& wide, bool narrowRead,
                           const InterfaceCounters& narrow, InterfaceCounters& out) {
  if (wideRead && (!NarrowCountersNeeded(wideRead, wide) || !narrowRead ||
                   (narrow.received == 0 && narrow.sent == 0))) {
    out = wide;
    return true;
  }
  if (!narrowRead) return false;
  out = narrow;
  return true;
}

std::unique_ptr<AdapterSource> OpenSystemAdapterSource(const Win32AdapterSourceOptions& options) {
  ModuleHandle lib(LoadLibraryA("iphlpapi.dll"));
  if (!lib) return nullptr;
  auto source = std::make_unique<Win32AdapterSource>(std::move(lib), options);
  if (!source->usable()) return nullptr;  // frees the library
  return source;
}

}  // namespace qm
