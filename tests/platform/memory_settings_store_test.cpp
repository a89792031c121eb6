#include "tests/fakes/memory_settings_store.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(MemorySettingsStore, NamesCompareWithoutRegardToCase) {
  MemorySettingsStore s;
  ASSERT_TRUE(s.WriteDword(RegRoot::CurrentUser, "Software\\Quellmark\\Options", "ShowIPInTitle", 1));
  uint32_t v = 0;
  EXPECT_TRUE(s.ReadDword(RegRoot::CurrentUser, "software\\QUELLMARK\\options", "showipintitle", v));
  EXPECT_EQ(v, 1u);
  EXPECT_FALSE(s.ReadDword(RegRoot::LocalMachine, "Software\\Quellmark\\Options", "ShowIPInTitle", v));
}

TEST(MemorySettingsStore, TypedReadsRefuseOtherTypesAndShortData) {
  MemorySettingsStore s;
  const std::string key = "K";
  s.WriteString(RegRoot::CurrentUser, key, "Str", "12");
  s.WriteValue(RegRoot::CurrentUser, key, "Short", RegValue{RegType::Dword, {1, 2}});
  s.WriteValue(RegRoot::CurrentUser, key, "Unterminated", RegValue{RegType::String, {'a', 'b'}});
  uint32_t v = 7;
  EXPECT_FALSE(s.ReadDword(RegRoot::CurrentUser, key, "Str", v));
  EXPECT_FALSE(s.ReadDword(RegRoot::CurrentUser, key, "Short", v));
  EXPECT_EQ(v, 7u);
  std::string text;
  EXPECT_TRUE(s.ReadString(RegRoot::CurrentUser, key, "Unterminated", text));
  EXPECT_EQ(text, "ab");
}

TEST(MemorySettingsStore, SubKeysAreDirectChildrenAndDeleteIsRecursive) {
  MemorySettingsStore s;
  s.WriteDword(RegRoot::LocalMachine, "A\\B\\C", "x", 1);
  s.WriteDword(RegRoot::LocalMachine, "A\\D", "x", 1);
  EXPECT_EQ(s.SubKeys(RegRoot::LocalMachine, "A"), (std::vector<std::string>{"B", "D"}));
  EXPECT_TRUE(s.DeleteKey(RegRoot::LocalMachine, "a\\b"));
  EXPECT_FALSE(s.KeyExists(RegRoot::LocalMachine, "A\\B\\C"));
  EXPECT_TRUE(s.KeyExists(RegRoot::LocalMachine, "A\\D"));
}

TEST(MemorySettingsStore, FailingWritesLeaveNothing) {
  MemorySettingsStore s;
  s.set_fail_writes(true);
  EXPECT_FALSE(s.WriteDword(RegRoot::CurrentUser, "K", "x", 1));
  EXPECT_FALSE(s.KeyExists(RegRoot::CurrentUser, "K"));
  EXPECT_TRUE(s.writes().empty());
}

}  // namespace
}  // namespace qm
