#include "service/win32/service_worker_thread.h"

#include <memory>
#include <new>

#include "platform/win32/registry_settings_store.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_adapter_source.h"
#include "service/worker.h"

namespace qm {
namespace {

// Stands in when the IP support library is missing; the worker then only
// logs that and ends.
class NoAdapters : public AdapterSource {
 public:
  bool ListAdapters(std::vector<SystemAdapter>&) override { return false; }
  bool ReadCounters(uint32_t, InterfaceCounters&) override { return false; }
};

DWORD WINAPI RunJob(LPVOID param) {
  std::unique_ptr<std::function<void()>> job(static_cast<std::function<void()>*>(param));
  (*job)();
  return 0;
}

// A thread of the system's own: a failure to start one is a false return
// the worker logs, never an exception that would end the worker.
bool StartJobThread(std::function<void()> job) {
  auto* owned = new (std::nothrow) std::function<void()>(std::move(job));
  if (!owned) return false;
  KernelHandle thread(CreateThread(nullptr, 0, RunJob, owned, 0, nullptr));
  if (!thread) {
    delete owned;
    return false;
  }
  return true;
}

std::string ToAnsi(const std::u16string& text) {
  if (text.empty()) return {};
  char buffer[520] = {};
  int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text.c_str()), int(text.size()), buffer,
                              sizeof buffer - 1, nullptr, nullptr);
  return std::string(buffer, n > 0 ? size_t(n) : 0);
}

}  // namespace

size_t RunWorkerOnThisThread(ActivityLog& log, const std::string& serviceFolder, HANDLE stopEvent) {
  RegistrySettingsStore store;
  std::unique_ptr<AdapterSource> adapters = OpenSystemAdapterSource();
  NoAdapters none;
  WorkerSeams seams(store, adapters ? *adapters : none, SystemClock(), SystemFileSystem(), log);
  seams.serviceFolder = serviceFolder;
  seams.ipSupport = adapters != nullptr;
  seams.waitForStop = [stopEvent](int ms) { return !stopEvent || WaitForSingleObject(stopEvent, DWORD(ms)) != WAIT_TIMEOUT; };
  seams.startThread = StartJobThread;
  seams.toAnsiPath = ToAnsi;
  return RunServiceWorker(seams);
}

}  // namespace qm
