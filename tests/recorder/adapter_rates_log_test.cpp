#include "recorder/adapter_rates_log.h"

#include <gtest/gtest.h>

#include "tests/recorder/read_file.h"

namespace qm {
namespace {

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

AdapterRecord Real(const std::string& id, const std::string& name, uint32_t record, const std::string& file) {
  AdapterRecord r;
  r.kind = kKindAdapter;
  r.id = id;
  r.displayName = name;
  r.ipAddress = "198.51.100.7";
  r.recordRates = record;
  r.recordInterval = 0;
  r.recordFlags = kRecordNumberOnly;
  r.recordFile = file;
  return r;
}

// The desktop program's start, then a switch to bit units: every open log
// gets a second header block with the bit unit line; a record that does
// not record gets no file.
TEST(AdapterRatesLogs, DesktopStartAndUnitChangeWriteOneHeaderBlockEach) {
  for (const char* f : {"./adapters_a.txt", "./adapters_b.txt", "./adapters_c.txt"}) SystemFileSystem().Remove(f);
  AdapterList list;
  list.Append(MakePseudoAdapter(kKindAllConnections)).recordRates = 1;
  list[0].recordFile = "./adapters_a.txt";
  list.Append(MakePseudoAdapter(kKindDialUp));
  list.Append(Real("{B}", "LAN", 1, "./adapters_b.txt"));
  list.Append(Real("{C}", "WLAN", 0, "./adapters_c.txt"));
  LocalTime now{2026, 12, 3, 9, 10, 0, 0, 0};
  RatesLogOptions bytes{true, true, 0x44};
  StartDesktopRecorders(list, SystemFileSystem(), bytes, now);
  EXPECT_TRUE(list[0].RecorderOpen());
  EXPECT_TRUE(list[2].RecorderOpen());
  EXPECT_FALSE(list[3].RecorderOpen());
  EXPECT_EQ(list[2].recordInterval, 1u);  // 0 records every second

  WriteRatesLine(list[2], RateSample{10, 1, 0, 0}, now, bytes);
  RatesLogOptions bits{false, true, 0x44};
  ReopenRatesLogs(list, SystemFileSystem(), bits, now);
  WriteRatesLine(list[2], RateSample{10, 1, 0, 0}, now, bits);
  CloseRatesLogs(list);
  EXPECT_FALSE(list[2].RecorderOpen());

  std::string b = ReadAll("./adapters_b.txt");
  EXPECT_EQ(Count(b, "File:      Traffic Rates Log"), 2u);
  EXPECT_NE(b.find("Adapter:   LAN [198.51.100.7]\r\n"), std::string::npos);
  EXPECT_LT(b.find("Unit:      Byte(B)"), b.find("Unit:      bit(b)"));
  EXPECT_NE(b.find("2026-12-09   10:00:00               10              1             11\r\n"), std::string::npos) << b;
  EXPECT_NE(b.find("2026-12-09   10:00:00               80              8             88\r\n"), std::string::npos) << b;
  EXPECT_EQ(Count(ReadAll("./adapters_a.txt"), "Adapter:   All Connections\r\n"), 2u);
  EXPECT_FALSE(SystemFileSystem().Exists("./adapters_c.txt"));
}

}  // namespace
}  // namespace qm
