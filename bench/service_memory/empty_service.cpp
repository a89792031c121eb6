// The floor of the service's memory measurement (measure_service.py): a
// service that only registers with the service manager, says it runs and
// waits for its stop, built and linked as QuellmarkService.exe is.
//   empty_service.exe            run by the service manager
//   empty_service.exe /install   installs itself as "QuellmarkEmptyService"

#include <windows.h>

#include <cstring>

namespace {

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
  statusHandle = RegisterServiceCtrlHandlerExA("QuellmarkEmptyService", Control, nullptr);
  if (!statusHandle) return;
  Report(SERVICE_RUNNING);
  WaitForSingleObject(stopEvent, INFINITE);
  Report(SERVICE_STOPPED);
}

int Install() {
  char path[MAX_PATH];
  if (!GetModuleFileNameA(nullptr, path, MAX_PATH)) return 1;
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
  if (!manager) return 1;
  SC_HANDLE service = CreateServiceA(manager, "QuellmarkEmptyService", "QuellmarkEmptyService", SERVICE_ALL_ACCESS,
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
  SERVICE_TABLE_ENTRYA table[] = {{const_cast<char*>("QuellmarkEmptyService"), Main}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
