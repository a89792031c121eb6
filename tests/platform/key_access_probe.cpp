// key_access_probe.exe KEY: prints who may open HKEY_LOCAL_MACHINE\KEY, for
// the end-to-end test (see key_access.h for the form).
#include <cstdio>

#include "tests/platform/key_access.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: key_access_probe KEY-BELOW-HKLM\n", stderr);
    return 2;
  }
  std::fputs(qm::DescribeKeyAccess(HKEY_LOCAL_MACHINE, argv[1]).c_str(), stdout);
  return 0;
}
