// The floors of the service's memory measurement (measure_service.py): a
// service that only registers with the service manager, says it runs and
// waits for its stop, built and linked as QuellmarkService.exe is. Built
// with QM_READ_COUNTERS (counting_service.exe) it also reads the system's
// interface and address tables every second, as any meter must: what the
// system's own libraries cost a process that counts traffic.
//   empty_service.exe            run by the service manager
//   empty_service.exe /install   installs itself as "QuellmarkEmptyService"
//                                (counting_service.exe: "QuellmarkCountingService")

#ifdef QM_READ_COUNTERS
#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>
#endif
#include <windows.h>

#include <cstring>

namespace {

#ifdef QM_READ_COUNTERS
constexpr char kServiceName[] = "QuellmarkCountingService";

// The adapter list once, then the two tables every second.
void Wait(HANDLE stop) {
  ULONG size = 0;
  GetAdaptersInfo(nullptr, &size);
  if (void* list = HeapAlloc(GetProcessHeap(), 0, size ? size : 1)) {
    GetAdaptersInfo(static_cast<IP_ADAPTER_INFO*>(list), &size);
    HeapFree(GetProcessHeap(), 0, list);
  }
  static unsigned long long addresses[512];
  do {
    MIB_IF_TABLE2* table = nullptr;
    if (GetIfTable2(&table) == NO_ERROR) FreeMibTable(table);
    ULONG bytes = sizeof addresses;
    GetIpAddrTable(reinterpret_cast<MIB_IPADDRTABLE*>(addresses), &bytes, FALSE);
  } while (WaitForSingleObject(stop, 1000) == WAIT_TIMEOUT);
}
#else
constexpr char kServiceName[] = "QuellmarkEmptyService";

void Wait(HANDLE stop) { WaitForSingleObject(stop, INFINITE); }
#endif

SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE stopEvent = nullptr;

void Report(DWORD state) {
  SERVICE_STATUS s{};
  s.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  s.dwCurrentState = state;
  s.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(statusHandle, &s);
}

DWORD WINAPI Control(DWORD control, DWORD, LPVOID, LPVOID) {
  if (control == SERVICE_CONTROL_STOP) SetEvent(stopEvent);
  return NO_ERROR;
}

void WINAPI Main(DWORD, LPSTR*) {
  statusHandle = RegisterServiceCtrlHandlerExA(kServiceName, Control, nullptr);
  if (!statusHandle) return;
  Report(SERVICE_RUNNING);
  Wait(stopEvent);
  Report(SERVICE_STOPPED);
}

int Install() {
  char path[MAX_PATH];
  if (!GetModuleFileNameA(nullptr, path, MAX_PATH)) return 1;
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
  if (!manager) return 1;
  SC_HANDLE service = CreateServiceA(manager, kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                     SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, path,
                                     nullptr, nullptr, nullptr, nullptr, nullptr);
  const int rc = service ? 0 : 1;
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "/install") == 0) return Install();
  stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SERVICE_TABLE_ENTRYA table[] = {{const_cast<char*>(kServiceName), Main}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
