#include "settings/history_path.h"

#include <gtest/gtest.h>

#include "settings/registry_layout.h"
#include "settings/service_settings.h"
#include "tests/fakes/memory_file_system.h"
#include "tests/fakes/memory_settings_store.h"

namespace qm {
namespace {

TEST(DesktopHistoryPath, StoredPathElseDocumentsElseProgramFolder) {
  MemoryFileSystem fs;
  MemorySettingsStore store;
  bool configured = true;
  fs.MakeDirectory("C:\\Docs");

  const std::string p = SelectDesktopHistoryPath(store, fs, "C:\\Docs", "C:\\Prog", configured);
  EXPECT_FALSE(configured);
  EXPECT_EQ(p, "C:\\Docs\\Quellmark\\TrafficHistory.log");
  EXPECT_TRUE(fs.IsDirectory("C:\\Docs\\Quellmark"));
  std::string stored;
  ASSERT_TRUE(store.ReadString(RegRoot::CurrentUser, kOptionsKey, "TrafficLogFile", stored));
  EXPECT_EQ(stored, p);

  // The chosen default was stored, so the next start takes it as configured.
  EXPECT_EQ(SelectDesktopHistoryPath(store, fs, "C:\\Elsewhere", "C:\\Prog", configured), p);
  EXPECT_TRUE(configured);

  struct Case {
    const char* documents;
    const char* program;
    const char* want;
  };
  const Case fallbacks[] = {
      {"", "C:\\Prog\\", "C:\\Prog\\TrafficHistory.log"},                  // no documents folder
      {"C:\\NoSuch\\Deeper", "C:\\Prog", "C:\\Prog\\TrafficHistory.log"},  // cannot be made
      {"", "", "TrafficHistory.log"},                                      // no folder at all
  };
  for (const Case& c : fallbacks) {
    MemorySettingsStore fresh;
    EXPECT_EQ(SelectDesktopHistoryPath(fresh, fs, c.documents, c.program, configured), c.want) << c.documents;
    ASSERT_EQ(fresh.writes().size(), 1u);
    EXPECT_EQ(fresh.writes()[0].root, RegRoot::CurrentUser);
  }
}

// The service's rule is the one its settings use: stored path below the
// machine root, else beside the program; the user's value never counts.
TEST(ServiceHistoryPath, StoredPathElseBesideTheProgramAndNothingWritten) {
  MemorySettingsStore store;
  store.WriteString(RegRoot::CurrentUser, kOptionsKey, "TrafficLogFile", "U:\\user.log");
  const struct {
    const char* folder;
    const char* want;
  } cases[] = {{"C:\\Svc", "C:\\Svc\\TrafficHistory.log"},
               {"C:\\Svc\\", "C:\\Svc\\TrafficHistory.log"},
               {"", "TrafficHistory.log"}};
  for (const auto& c : cases) {
    EXPECT_EQ(SelectServiceHistoryPath(store, RegRoot::LocalMachine, c.folder, '\\'), c.want) << c.folder;
    ServiceSettings settings;
    LoadServiceSettings(store, RegRoot::LocalMachine, c.folder, settings);
    EXPECT_EQ(settings.TrafficLogFile, c.want) << c.folder;
  }

  store.WriteString(RegRoot::LocalMachine, kOptionsKey, "TrafficLogFile", "");
  EXPECT_EQ(SelectServiceHistoryPath(store, RegRoot::LocalMachine, "C:\\Svc", '\\'), "C:\\Svc\\TrafficHistory.log");
  store.WriteString(RegRoot::LocalMachine, kOptionsKey, "TrafficLogFile", "D:\\x.log");
  store.ClearWrites();
  EXPECT_EQ(SelectServiceHistoryPath(store, RegRoot::LocalMachine, "C:\\Svc", '\\'), "D:\\x.log");
  EXPECT_TRUE(store.writes().empty());
}

}  // namespace
}  // namespace qm
