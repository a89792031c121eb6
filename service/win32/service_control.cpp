#include "service/win32/service_control.h"

#include <windows.h>

namespace qm {

bool InstallService(const std::string& programPath) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
  if (!manager) return false;
  std::string command = "\"" + programPath + "\"";
  SC_HANDLE service = CreateServiceA(manager, kServiceName, kServiceDisplayName, SERVICE_ALL_ACCESS,
                                     SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                     command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
  bool ok = service != nullptr;
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return ok;
}

bool UninstallService() {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (!manager) return false;
  SC_HANDLE service = OpenServiceA(manager, kServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
  if (!service) {
    CloseServiceHandle(manager);
    return false;
  }
  SERVICE_STATUS status{};
  if (ControlService(service, SERVICE_CONTROL_STOP, &status)) {
    // A service that never leaves "stop pending" must not hang the
    // uninstaller: give it two minutes, then delete it all the same.
    for (int polls = 0; polls < 400 && status.dwCurrentState == SERVICE_STOP_PENDING; ++polls) {
      Sleep(300);
      if (!QueryServiceStatus(service, &status)) break;
    }
  }
  bool ok = DeleteService(service) != 0;
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return ok;
}

}  // namespace qm
