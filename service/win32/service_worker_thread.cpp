#include "service/win32/service_worker_thread.h"

#include <memory>
#include <thread>

#include "platform/win32/registry_settings_store.h"
#include "service/worker.h"
#include "service/win32/system_adapters.h"

namespace qm {
namespace {

bool HasIpSupport() {
  HMODULE lib = LoadLibraryA("iphlpapi.dll");
  if (!lib) return false;
  bool ok = GetProcAddress(lib, "GetIfEntry") && GetProcAddress(lib, "GetAdaptersInfo");
  FreeLibrary(lib);
  return ok;
}

std::string ToAnsi(const std::u16string& text) {
  if (text.empty()) return {};
  char buffer[520] = {};
  int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text.c_str()), int(text.size()), buffer,
                              sizeof buffer - 1, nullptr, nullptr);
  return std::string(buffer, n > 0 ? size_t(n) : 0);
}

}  // namespace

void RunWorkerOnThisThread(ActivityLog& log, const std::string& serviceFolder, HANDLE stopEvent) {
  RegistrySettingsStore store;
  std::unique_ptr<AdapterSource> adapters = MakeSystemAdapterSource();
  WorkerSeams seams{store, *adapters, SystemClock(), SystemFileSystem(), log};
  seams.serviceFolder = serviceFolder;
  seams.ipSupport = HasIpSupport();
  seams.waitForStop = [stopEvent](int ms) { return !stopEvent || WaitForSingleObject(stopEvent, DWORD(ms)) != WAIT_TIMEOUT; };
  seams.startThread = [](std::function<void()> job) { std::thread(std::move(job)).detach(); };
  seams.toAnsiPath = ToAnsi;
  RunServiceWorker(seams);
}

}  // namespace qm
