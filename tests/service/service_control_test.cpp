// Installing the service in this Wine prefix's service manager: what an
// administrator finds there afterwards. The service is removed again.
#include "service/win32/service_control.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/unique_handle.h"

namespace qm {
namespace {

void Remove() {
  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  ServiceHandle service(manager ? OpenServiceA(manager.Get(), kServiceName, DELETE) : nullptr);
  if (service) DeleteService(service.Get());
}

TEST(InstallService, RestartsTheServiceAfterACrash) {
  Remove();  // a leftover of an interrupted run
  bool restartSet = false;
  std::string reason;
  ASSERT_TRUE(InstallService("C:\\Quellmark\\QuellmarkService.exe", reason, &restartSet)) << reason;
  struct Cleanup {
    ~Cleanup() { Remove(); }
  } cleanup;
  EXPECT_TRUE(restartSet);

  ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  ServiceHandle service(OpenServiceA(manager.Get(), kServiceName, SERVICE_QUERY_CONFIG));
  ASSERT_TRUE(service);
  DWORD needed = 0;
  std::vector<BYTE> buffer(8192);
  if (!QueryServiceConfig2A(service.Get(), SERVICE_CONFIG_FAILURE_ACTIONS, buffer.data(), DWORD(buffer.size()),
                            &needed)) {
    // Wine's service manager takes the setting but cannot give it back.
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_LEVEL));
    return;
  }
  const auto* failure = reinterpret_cast<const SERVICE_FAILURE_ACTIONSA*>(buffer.data());
  EXPECT_EQ(failure->dwResetPeriod, 86400u);
  ASSERT_EQ(failure->cActions, 3u);
  for (DWORD i = 0; i < failure->cActions; ++i) {
    EXPECT_EQ(failure->lpsaActions[i].Type, SC_ACTION_RESTART) << i;
    EXPECT_EQ(failure->lpsaActions[i].Delay, 10000u) << i;
  }
}

}  // namespace
}  // namespace qm
