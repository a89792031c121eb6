#include "service/win32/service_control.h"

#include <windows.h>

#include "platform/win32/system_error.h"
#include "platform/win32/unique_handle.h"

namespace qm {
namespace {

// A service that ended without saying it stopped (a crash, a kill) is
// started again after a short pause; a day without failures resets the
// count, so a rare crash never leaves the meter off.
bool SetRestartOnFailure(SC_HANDLE service) {
  SC_ACTION actions[kRestartActions];
  for (SC_ACTION& a : actions) a = SC_ACTION{SC_ACTION_RESTART, kRestartDelayMs};
  SERVICE_FAILURE_ACTIONSA failure{};
  failure.dwResetPeriod = kFailureResetSeconds;
  failure.cActions = kRestartActions;
  failure.lpsaActions = actions;
  return ChangeServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, &failure) != 0;
}

// False with the system's reason for the call that just failed.
bool Failed(std::string& reason) {
  reason = SystemErrorText(GetLastError());
  return false;
}

}  // namespace

bool InstallService(const std::string& programPath, std::string& reason, bool* restartSet) {
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  if (!manager) return Failed(reason);
  std::string command = "\"" + programPath + "\"";
  ServiceHandle service(CreateServiceA(manager.Get(), kServiceName, kServiceDisplayName, SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                       command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  if (!service) return Failed(reason);
  // The service exists from here on; without its restart settings it
  // still runs, so only the creation decides the outcome.
  const bool set = SetRestartOnFailure(service.Get());
  if (restartSet) *restartSet = set;
  return true;
}

bool UninstallService(std::string& reason) {
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return Failed(reason);
  ServiceHandle service(OpenServiceA(manager.Get(), kServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
  if (!service) return Failed(reason);
  SERVICE_STATUS status{};
  if (ControlService(service.Get(), SERVICE_CONTROL_STOP, &status)) {
    // A service that never leaves "stop pending" must not hang the
    // uninstaller: give it two minutes, then delete it all the same.
    for (int polls = 0; polls < 400 && status.dwCurrentState == SERVICE_STOP_PENDING; ++polls) {
      Sleep(300);
      if (!QueryServiceStatus(service.Get(), &status)) break;
    }
  }
  return DeleteService(service.Get()) != 0 || Failed(reason);
}

}  // namespace qm
