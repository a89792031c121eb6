// Closing a machine-wide key to everyone but SYSTEM and Administrators, read
// back from the registry of the Wine prefix.
#include "platform/win32/key_security.h"

#include <gtest/gtest.h>

#include "tests/platform/key_access.h"

namespace qm {
namespace {

constexpr char kKey[] = "Software\\QuellmarkTest\\Secret";
constexpr char kClosed[] =
    "protected\n"
    "allow S-1-5-18 0x000f003f 0x02\n"
    "allow S-1-5-32-544 0x000f003f 0x02\n";

TEST(RestrictMachineKeyToAdministrators, CreatesTheKeyClosedToOthersAndKeepsItsValues) {
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\QuellmarkTest");
  std::string reason;
  ASSERT_TRUE(RestrictMachineKeyToAdministrators(kKey, reason)) << reason;
  EXPECT_EQ(DescribeKeyAccess(HKEY_LOCAL_MACHINE, kKey), kClosed);

  // A key imported later with values keeps them, and applying twice (the
  // admin command after /install) leaves the same list.
  ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKey, "AuthPass", REG_SZ, "pw", 3), ERROR_SUCCESS);
  ASSERT_TRUE(RestrictMachineKeyToAdministrators(kKey, reason)) << reason;
  EXPECT_EQ(DescribeKeyAccess(HKEY_LOCAL_MACHINE, kKey), kClosed);
  char value[8] = {};
  DWORD size = sizeof value;
  EXPECT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, kKey, "AuthPass", RRF_RT_REG_SZ, nullptr, value, &size), ERROR_SUCCESS);
  EXPECT_STREQ(value, "pw");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\QuellmarkTest");
}

TEST(RestrictMachineKeyToAdministrators, SaysWhyWhenTheKeyCannotBeMade) {
  std::string reason;
  // A key name may have at most 255 characters.
  EXPECT_FALSE(RestrictMachineKeyToAdministrators("Software\\QuellmarkTest\\" + std::string(300, 'k'), reason));
  EXPECT_FALSE(reason.empty());
}

}  // namespace
}  // namespace qm
