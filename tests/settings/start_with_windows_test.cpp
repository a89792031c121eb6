// The Run entry: found in any case, written once, removed when switched off.
#include "settings/start_with_windows.h"

#include <gtest/gtest.h>

#include "tests/fakes/memory_settings_store.h"
#include "settings/registry_layout.h"

namespace qm {
namespace {

constexpr RegRoot kUser = RegRoot::CurrentUser;
const char kPath[] = "C:\\Program Files\\Quellmark\\Quellmark.exe";

TEST(StartWithWindows, EntryIsFoundWhateverTheCaseOfItsName) {
  MemorySettingsStore store;
  EXPECT_FALSE(IsStartWithWindows(store));
  store.WriteString(kUser, kRunKey, std::string(300, 'L'), "C:\\long.exe");  // a long foreign name comes first
  store.WriteString(kUser, kRunKey, "Quellmarker", "C:\\other.exe");
  EXPECT_FALSE(IsStartWithWindows(store));
  store.WriteString(kUser, kRunKey, "QUELLMARK", kPath);
  EXPECT_TRUE(IsStartWithWindows(store));
}

TEST(StartWithWindows, OnlyTheMachineRootDoesNotCount) {
  MemorySettingsStore store;
  store.WriteString(RegRoot::LocalMachine, kRunKey, "Quellmark", kPath);
  EXPECT_FALSE(IsStartWithWindows(store));
}

TEST(StartWithWindows, SwitchingOnTwiceWritesOnceAndOffRemovesTheValue) {
  MemorySettingsStore store;
  ASSERT_TRUE(SetStartWithWindows(store, true, kPath));
  ASSERT_TRUE(SetStartWithWindows(store, true, kPath));
  ASSERT_EQ(store.writes().size(), 1u);
  const auto& w = store.writes()[0];
  EXPECT_EQ(w.root, kUser);
  EXPECT_EQ(w.key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
  EXPECT_EQ(w.name, "Quellmark");
  EXPECT_EQ(w.value.type, RegType::String);
  std::string path;
  ASSERT_TRUE(store.ReadString(kUser, kRunKey, "Quellmark", path));
  EXPECT_EQ(path, kPath);  // the bare path, no quotes or arguments

  ASSERT_TRUE(SetStartWithWindows(store, false, kPath));
  EXPECT_FALSE(IsStartWithWindows(store));
  EXPECT_TRUE(store.ValueNames(kUser, kRunKey).empty());
  EXPECT_TRUE(SetStartWithWindows(store, false, kPath));  // already off: nothing to do
  EXPECT_EQ(store.writes().size(), 1u);
}

TEST(StartWithWindows, AnEntryInOtherCaseIsRemoved) {
  MemorySettingsStore store;
  store.WriteString(kUser, kRunKey, "quellmark", kPath);
  ASSERT_TRUE(SetStartWithWindows(store, false, kPath));
  EXPECT_FALSE(IsStartWithWindows(store));
}

}  // namespace
}  // namespace qm
