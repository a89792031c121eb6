#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "platform/ascii_case.h"
#include "tests/engine/engine_fixture.h"

namespace qm {
namespace {

const std::string kAdaptersEx = "Software\\Quellmark\\AdaptersEx\\";

TEST(AdapterId, ShortNamesUseTheHardwareAddressLongNamesAreUpperCased) {
  struct Case {
    std::string name;
    std::vector<uint8_t> address;
    std::string id;
  };
  const Case cases[] = {
      {"eth0_abc", {0x00, 0x11, 0x22, 0x33, 0x44, 0x55}, "0011223344550000"},
      {"0123456789", {0xab, 0xcd}, "ABCD000000000000"},
      {"x", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, "0102030405060708"},
      {"{4d36e972-e325-11ce-bfc1-08002be10318}", {1}, "{4D36E972-E325-11CE-BFC1-08002BE10318}"},
  };
  for (const Case& c : cases) {
    SystemAdapter a;
    a.name = c.name;
    a.hardwareAddress = c.address;
    EXPECT_EQ(MakeAdapterId(a), c.id) << c.name;
    EXPECT_EQ(a.name, c.id);
  }
}

TEST(AdapterNames, TrimmedDescriptionOrFallbackByType) {
  EXPECT_EQ(SystemNameFor("  Intel Ethernet \t", kIfTypeEthernet), "Intel Ethernet");
  EXPECT_EQ(SystemNameFor("", kIfTypePpp), "WAN");
  EXPECT_EQ(SystemNameFor("   ", kIfTypeSlip), "WAN");
  EXPECT_EQ(SystemNameFor("   ", kIfTypeEthernet), "Unknown Connection");

  AdapterRecord r;
  r.kind = kKindAdapter;
  r.displayName = "LAN";
  r.ipAddress = "198.51.100.2";
  EXPECT_EQ(AdapterTitle(r, true), "LAN [198.51.100.2]");
  EXPECT_EQ(AdapterTitle(r, false), "LAN");
  r.displayName.clear();
  EXPECT_EQ(AdapterTitle(r, true), "198.51.100.2");
  AdapterRecord all = MakePseudoAdapter(kKindAllConnections);
  all.ipAddress = "198.51.100.2";
  EXPECT_EQ(AdapterTitle(all, true), "All Connections");
}

using AdapterListLoad = EngineTest;

TEST_F(AdapterListLoad, OrderIsPseudoAdaptersThenStoredThenNewSystemAdapters) {
  store.WriteString(RegRoot::CurrentUser, kAdaptersEx + "300-" + Guid(2), "AdapterID", AsciiUpper(Guid(2)));
  store.WriteString(RegRoot::CurrentUser, kAdaptersEx + "200-", "AdapterID", "");
  store.WriteString(RegRoot::CurrentUser, kAdaptersEx + "200-", "AdapterName", "Modems");
  store.WriteString(RegRoot::CurrentUser, kAdaptersEx + "100-", "AdapterID", "");
  store.WriteString(RegRoot::CurrentUser, kAdaptersEx + "100-x", "AdapterID", "");  // a second All Connections
  store.WriteString(RegRoot::CurrentUser, kAdaptersEx + "300-absent", "AdapterID", "{gone}");
  store.WriteString(RegRoot::CurrentUser, kAdaptersEx + "300-noid", "AdapterName", "no ID");
  store.WriteString(RegRoot::CurrentUser, kAdaptersEx + "400-other", "AdapterID", "X");
  AddAdapter(1);
  AddAdapter(2, kIfTypePpp, "");
  source.adapters[1].description = "";
  Start(EngineVariant::Desktop, false);

  AdapterList& list = engine().adapters();
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[0].kind, kKindAllConnections);
  EXPECT_EQ(list[1].kind, kKindDialUp);
  EXPECT_EQ(list[1].displayName, "Modems");
  EXPECT_EQ(list[1].systemName, "Dial-Up Connections");
  // Stored adapters in the store's (alphabetical) order of their keys.
  EXPECT_EQ(list[2].id, "{GONE}");
  EXPECT_FALSE(list[2].hasPreviousSample);
  EXPECT_TRUE(list[2].ipAddress.empty());
  EXPECT_EQ(list[3].id, AsciiUpper(Guid(2)));
  EXPECT_EQ(list[3].systemName, "WAN");
  EXPECT_EQ(list[3].interfaceType, kIfTypePpp);
  EXPECT_EQ(list[4].id, AsciiUpper(Guid(1)));
  EXPECT_EQ(list[4].displayName, "eth1");
  EXPECT_EQ(list[4].ipAddress, "198.51.100.1");
  EXPECT_TRUE(list[4].hasPreviousSample);
  EXPECT_EQ(list[4].adaptersMenuCommand, 0u);
  EXPECT_TRUE(list[0].monitored);  // nothing else monitored: a first start shows the sum
}

TEST_F(AdapterListLoad, StoredLowerCaseIdMatchesAndSettingsAreReadPerProgram) {
  const std::string key = kAdaptersEx + "300-a";
  for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine}) {
    store.WriteString(root, key, "AdapterID", "{00000001-0000-0000-0000-4e6574446576}");
    store.WriteString(root, key, "AdapterName", "Office LAN");
    store.WriteDword(root, key, "ConnRatebps", 100000000);
    store.WriteDword(root, key, "Monitored", 1);
    float size = 0.25f;
    store.WriteBinary(root, key, "Size", &size, sizeof size);
    store.WriteDword(root, key, "RecordTrafficRates", 0);
    store.WriteDword(root, key, "RecordNumberOnly", 7);
    store.WriteDword(root, key, "RecordInterval", 60);
    store.WriteString(root, key, "RecordFile", "rates.csv");
  }
  AddAdapter(1);
  Start(EngineVariant::Desktop, false);
  ASSERT_EQ(engine().adapters().size(), 3u);
  const AdapterRecord& d = Real(1);
  EXPECT_EQ(d.displayName, "Office LAN");
  EXPECT_EQ(d.systemName, "eth1");
  EXPECT_EQ(d.connectionSpeed, 100000000u);
  EXPECT_TRUE(d.monitored);
  EXPECT_FLOAT_EQ(d.size, 0.25f);
  EXPECT_EQ(d.recordFlags, 1u);
  EXPECT_EQ(d.recordInterval, 60u);
  EXPECT_FALSE(engine().adapters()[0].monitored);

  Start(EngineVariant::Service, false);
  const AdapterRecord& s = Real(1);
  EXPECT_EQ(s.displayName, "Office LAN");
  EXPECT_EQ(s.connectionSpeed, 0u);
  EXPECT_FALSE(s.monitored);
  EXPECT_EQ(s.recordInterval, 1u);  // not recording: the recorder fields keep their defaults
  EXPECT_TRUE(s.recordFile.empty());
}

TEST_F(AdapterListLoad, OddRegistryValuesFallBackToDefaults) {
  const RegRoot hkcu = RegRoot::CurrentUser;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  store.WriteString(hkcu, kAdaptersEx + "300-a", "AdapterID", std::string(2000, 'x'));
  store.WriteBinary(hkcu, kAdaptersEx + "300-a", "Size", &nan, sizeof nan);
  store.WriteString(hkcu, kAdaptersEx + "300-a", "Monitored", "yes");
  store.WriteDword(hkcu, kAdaptersEx + "300-b", "AdapterID", 7);  // not a string: no ID
  store.WriteString(hkcu, kAdaptersEx + "300-c", "AdapterID", "C");
  store.WriteBinary(hkcu, kAdaptersEx + "300-c", "Size", "\x01\x02", 2);
  store.WriteString(hkcu, kAdaptersEx + "100-", "AdapterID", "not empty");
  Start(EngineVariant::Desktop, false);
  AdapterList& list = engine().adapters();
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0].id, "");  // pseudo adapters are matched by kind alone
  EXPECT_EQ(list[2].id, std::string(259, 'X'));
  EXPECT_EQ(list[2].size, 0.0f);
  EXPECT_FALSE(list[2].monitored);
  EXPECT_EQ(list[3].id, "C");
  EXPECT_EQ(list[3].size, 0.0f);
}

TEST_F(AdapterListLoad, ServiceNeverSeesCurrentUserAdapters) {
  store.WriteString(RegRoot::CurrentUser, kAdaptersEx + "300-a", "AdapterID", AsciiUpper(Guid(1)));
  store.WriteString(RegRoot::CurrentUser, kAdaptersEx + "300-a", "AdapterName", "Mine");
  AddAdapter(1);
  Start(EngineVariant::Service, false);
  EXPECT_EQ(Real(1).displayName, "eth1");
}

TEST_F(AdapterListLoad, FailingSystemListLeavesTheStoredList) {
  store.WriteString(RegRoot::CurrentUser, kAdaptersEx + "300-a", "AdapterID", "A");
  source.fail_list = true;
  engine_ = std::make_unique<TrafficEngine>(EngineVariant::Desktop, source, store, SystemFileSystem(), clock);
  EXPECT_FALSE(engine().LoadAdapterList());
  ASSERT_EQ(engine().adapters().size(), 3u);
  EXPECT_EQ(engine().adapters()[2].id, "A");
}

TEST_F(AdapterListLoad, SavedSettingsLoadBackUnderKindAndIdKeys) {
  AddAdapter(1);
  Start(EngineVariant::Desktop, false);
  AdapterRecord& r = Real(1);
  r.viewSlot = 0;
  r.size = 0.5f;
  r.displayName = "Renamed";
  r.recordRates = 1;
  r.recordFlags = 1 | (1u << 28);
  r.recordInterval = 5;
  r.recordFile = "C:\\rates.txt";
  engine().SaveAdapterSettings(kIdentityGroup | kRecorderGroup);

  std::vector<std::string> keys = store.SubKeys(RegRoot::CurrentUser, "Software\\Quellmark\\AdaptersEx");
  EXPECT_EQ(keys, (std::vector<std::string>{"100-", "200-", "300-" + Guid(1)}));
  uint32_t numberOnly = 9;
  store.ReadDword(RegRoot::CurrentUser, kAdaptersEx + "300-" + Guid(1), "RecordNumberOnly", numberOnly);
  EXPECT_EQ(numberOnly, 1u);
  std::vector<uint8_t> size;
  EXPECT_FALSE(store.ReadBinary(RegRoot::CurrentUser, kAdaptersEx + "100-", "Size", size));  // no graph view

  Start(EngineVariant::Desktop, false);
  const AdapterRecord& back = Real(1);
  EXPECT_EQ(back.displayName, "Renamed");
  EXPECT_FLOAT_EQ(back.size, 0.5f);
  EXPECT_EQ(back.recordFlags, 1u);
  EXPECT_EQ(back.recordInterval, 5u);
  EXPECT_EQ(back.recordFile, "C:\\rates.txt");
  EXPECT_TRUE(engine().adapters()[0].monitored);  // saved as such at the first start
}

TEST_F(AdapterListLoad, UnwritableKeysAreSkippedSilently) {
  AddAdapter(1);
  Start(EngineVariant::Desktop, false);
  store.set_fail_writes(true);
  engine().SaveAdapterSettings(kIdentityGroup | kRecorderGroup);
  EXPECT_TRUE(store.writes().empty());
}

}  // namespace
}  // namespace qm
