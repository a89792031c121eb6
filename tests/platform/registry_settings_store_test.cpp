// Round trips through the real registry of the test prefix.
#include "platform/win32/registry_settings_store.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

const char kKey[] = "Software\\Quellmark\\SeamTest";

class RegistryStoreTest : public ::testing::TestWithParam<RegRoot> {
 protected:
  void SetUp() override { store.DeleteKey(GetParam(), kKey); }
  void TearDown() override { store.DeleteKey(GetParam(), kKey); }
  RegistrySettingsStore store;
};

TEST_P(RegistryStoreTest, TypedValuesRoundTrip) {
  RegRoot root = GetParam();
  const uint8_t blob[] = {0, 1, 2, 0xfe, 0xff};
  ASSERT_TRUE(store.WriteDword(root, kKey, "Number", 0xdeadbeef));
  ASSERT_TRUE(store.WriteString(root, kKey, "Text", "C:\\Program Files\\Quellmark"));
  ASSERT_TRUE(store.WriteBinary(root, kKey, "Record", blob, sizeof blob));

  uint32_t n = 0;
  std::string text;
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(store.ReadDword(root, kKey, "number", n));
  EXPECT_EQ(n, 0xdeadbeefu);
  EXPECT_TRUE(store.ReadString(root, kKey, "TEXT", text));
  EXPECT_EQ(text, "C:\\Program Files\\Quellmark");
  EXPECT_TRUE(store.ReadBinary(root, kKey, "Record", bytes));
  EXPECT_EQ(bytes, std::vector<uint8_t>(blob, blob + sizeof blob));

  RegValue raw;
  ASSERT_TRUE(store.ReadValue(root, kKey, "Number", raw));
  EXPECT_EQ(raw.type, RegType::Dword);
  ASSERT_TRUE(store.ReadValue(root, kKey, "Record", raw));
  EXPECT_EQ(raw.type, RegType::Binary);
  EXPECT_FALSE(store.ReadDword(root, kKey, "Text", n));  // wrong type
  EXPECT_FALSE(store.ReadDword(root, kKey, "Missing", n));
}

TEST_P(RegistryStoreTest, SubKeysEnumerateAndDeleteRecursively) {
  RegRoot root = GetParam();
  const std::string key = kKey;
  ASSERT_TRUE(store.WriteDword(root, key + "\\Reports\\0", "x", 1));
  ASSERT_TRUE(store.WriteDword(root, key + "\\Reports\\1", "x", 2));
  ASSERT_TRUE(store.CreateKey(root, key + "\\Reports\\1\\Deeper"));
  auto subs = store.SubKeys(root, key + "\\Reports");
  EXPECT_EQ(subs, (std::vector<std::string>{"0", "1"}));
  EXPECT_EQ(store.ValueNames(root, key + "\\Reports\\0"), std::vector<std::string>{"x"});
  EXPECT_TRUE(store.DeleteValue(root, key + "\\Reports\\0", "x"));
  EXPECT_TRUE(store.ValueNames(root, key + "\\Reports\\0").empty());
  EXPECT_TRUE(store.DeleteKey(root, key + "\\Reports"));
  EXPECT_FALSE(store.KeyExists(root, key + "\\Reports"));
  EXPECT_TRUE(store.KeyExists(root, key));
}

INSTANTIATE_TEST_SUITE_P(BothRoots, RegistryStoreTest, ::testing::Values(RegRoot::CurrentUser, RegRoot::LocalMachine));

}  // namespace
}  // namespace qm
