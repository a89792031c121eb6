#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include <cstring>
#include <utility>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_adapter_source.h"

namespace qm {
namespace {

static_assert(sizeof(MIB_IFROW) == 860, "GetIfEntry fills an 860-byte row");
static_assert(sizeof(MIB_IF_ROW2) == 1352);

using GetAdaptersInfoFn = DWORD(WINAPI*)(PIP_ADAPTER_INFO, PULONG);
using GetIfEntryFn = DWORD(WINAPI*)(PMIB_IFROW);
using GetIfEntry2Fn = DWORD(WINAPI*)(PMIB_IF_ROW2);

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
        getIfEntry2_(options.narrowCountersOnly ? nullptr : Lookup<GetIfEntry2Fn>(lib_.Get(), "GetIfEntry2")) {}

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
    if (NarrowCountersNeeded(wideRead, wide)) {
      MIB_IFROW row;
      std::memset(&row, 0, sizeof row);
      row.dwIndex = index;
      narrowRead = getIfEntry_(&row) == NO_ERROR;
      if (narrowRead) narrow = InterfaceCounters{row.dwInOctets, row.dwOutOctets, row.dwType, false};
    }
    return PickInterfaceCounters(wideRead, wide, narrowRead, narrow, out);
  }

 private:
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
  std::vector<unsigned long long> buffer_;  // 8-byte aligned for IP_ADAPTER_INFO
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
