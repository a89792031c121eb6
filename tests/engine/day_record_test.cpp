#include "engine/day_record.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qm {
namespace {

std::string Bytes(const void* p, size_t n) { return std::string(static_cast<const char*>(p), n); }

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  FileSystem& fs = SystemFileSystem();
  auto f = fs.Open(path, FileAccess::Write, FileShare::None, FileCreate::CreateAlways);
  ASSERT_TRUE(f);
  ASSERT_TRUE(f->Write(bytes.data(), bytes.size()));
}

std::string Header() {
  HistoryHeader h = MakeHistoryHeader();
  return Bytes(&h, sizeof h);
}

std::string Record(const DayRecord& r) { return Bytes(&r, sizeof r); }

const LocalTime kDay{2026, 3, 2, 10, 8, 0, 0, 0};  // Tuesday, 10 March 2026

TEST(DayRecordLayout, BytesAreTheFileFormat) {
  HistoryHeader h = MakeHistoryHeader();
  EXPECT_EQ(Bytes(&h, sizeof h), std::string("NTSL\x02\0\0\0", 8) + std::string(16, '\0'));

  DayRecord r = MakeDayRecord(kDay, kKindAdapter, "{ABC}", 0x0102030405060708ull, 0x1112131415161718ull);
  const unsigned char* b = reinterpret_cast<const unsigned char*>(&r);
  EXPECT_EQ(b[0] + 256 * b[1], 2026);
  EXPECT_EQ(b[2], 3);
  EXPECT_EQ(b[4], 10);
  EXPECT_EQ(b[8], 2);
  EXPECT_EQ(b[12] + 256 * b[13], 300);
  EXPECT_EQ(Bytes(b + 16, 6), std::string("{ABC}\0", 6));
  EXPECT_EQ(Bytes(b + 22, 254), std::string(254, '\0'));  // zero after the terminator
  EXPECT_EQ(b[280], 0x08);
  EXPECT_EQ(b[287], 0x01);
  EXPECT_EQ(b[288], 0x18);
  EXPECT_EQ(b[295], 0x11);
}

TEST(DayRecordLayout, IdIsCutAt259AndReadNeverPastTheField) {
  DayRecord r = MakeDayRecord(kDay, kKindAdapter, std::string(400, 'A'), 0, 0);
  EXPECT_EQ(r.Id(), std::string(259, 'A'));
  EXPECT_EQ(r.adapterId[259], '\0');
  std::memset(r.adapterId, 'B', sizeof r.adapterId);
  EXPECT_EQ(r.Id(), std::string(260, 'B'));
  EXPECT_FALSE(IsPlausibleDayRecord(r));
}

TEST(DayRecordMatch, PseudoAdaptersByKindRealAdaptersByExactId) {
  DayRecord all = MakeDayRecord(kDay, kKindAllConnections, "", 0, 0);
  DayRecord real = MakeDayRecord(kDay, kKindAdapter, "{GUID-1}", 0, 0);
  EXPECT_TRUE(all.SameAdapter(kKindAllConnections, ""));
  EXPECT_FALSE(all.SameAdapter(kKindDialUp, ""));
  EXPECT_TRUE(real.SameAdapter(kKindAdapter, "{GUID-1}"));
  EXPECT_FALSE(real.SameAdapter(kKindAdapter, "{guid-1}"));
  EXPECT_FALSE(real.SameAdapter(kKindAdapter, "{GUID-1}X"));
  EXPECT_FALSE(real.SameAdapter(kKindAdapter, "{GUID-"));
}

TEST(DayRecordReader, TrailingFragmentIsIgnored) {
  std::string file = Header();
  for (int i = 0; i < 3; ++i) file += Record(MakeDayRecord(kDay, kKindAdapter, "ID" + std::to_string(i), i, 10 * i));
  file += std::string(100, '\x7f');
  WriteFileBytes("fragment.log", file);

  std::vector<DayRecord> days;
  std::vector<int64_t> offsets;
  ASSERT_EQ(VisitDayRecords(SystemFileSystem(), "fragment.log",
                            [&](const DayRecord& r, int64_t at) {
                              days.push_back(r);
                              offsets.push_back(at);
                              return true;
                            }),
            HistoryStatus::Ok);
  ASSERT_EQ(days.size(), 3u);
  EXPECT_EQ(days[2].Id(), "ID2");
  EXPECT_EQ(days[2].upload, 20u);
  EXPECT_EQ(offsets, (std::vector<int64_t>{24, 320, 616}));
}

TEST(DayRecordReader, RecordsAcrossManyBlocksKeepOrderAndOffsets) {
  std::string file = Header();
  const int count = 2000;  // several 256 KiB blocks, and a last partial block
  for (int i = 0; i < count; ++i) file += Record(MakeDayRecord(kDay, kKindAdapter, "A", uint64_t(i), 0));
  file += std::string(295, '\0');
  WriteFileBytes("blocks.log", file);

  int n = 0;
  bool inOrder = true;
  VisitDayRecords(SystemFileSystem(), "blocks.log", [&](const DayRecord& r, int64_t at) {
    inOrder = inOrder && r.download == uint64_t(n) && at == 24 + 296 * int64_t(n);
    ++n;
    return true;
  });
  EXPECT_EQ(n, count);
  EXPECT_TRUE(inOrder);

  // A visitor can stop early.
  int seen = 0;
  EXPECT_EQ(VisitDayRecords(SystemFileSystem(), "blocks.log", [&](const DayRecord&, int64_t) { return ++seen < 5; }),
            HistoryStatus::Ok);
  EXPECT_EQ(seen, 5);
}

// Files that end exactly where a read block ends (885 records a block), or
// one record either side of it: every record is visited once, by both walks.
TEST(DayRecordReader, FilesEndingAtABlockBoundaryLoseAndRepeatNothing) {
  for (int count : {884, 885, 886, 1770}) {
    std::string file = Header();
    for (int i = 0; i < count; ++i) file += Record(MakeDayRecord(kDay, kKindAdapter, "A", uint64_t(i), 0));
    WriteFileBytes("boundary.log", file);
    for (bool oneAdapter : {false, true}) {
      uint64_t sum = 0;
      int n = 0;
      const DayRecordVisitor visit = [&](const DayRecord& r, int64_t) {
        sum += r.download;
        ++n;
        return true;
      };
      FileSystem& fs = SystemFileSystem();
      const HistoryStatus status = oneAdapter ? VisitAdapterDayRecords(fs, "boundary.log", kKindAdapter, "A", visit)
                                              : VisitDayRecords(fs, "boundary.log", visit);
      EXPECT_EQ(status, HistoryStatus::Ok);
      EXPECT_EQ(n, count) << count << (oneAdapter ? " one adapter" : "");
      EXPECT_EQ(sum, uint64_t(count) * uint64_t(count - 1) / 2) << count;
    }
  }
}

TEST(DayRecordReader, CorruptRecordsAreSkippedNotDelivered) {
  struct Case {
    const char* what;
    void (*spoil)(DayRecord&);
  };
  const Case cases[] = {
      {"month 13", [](DayRecord& r) { r.month = 13; }},
      {"month 0", [](DayRecord& r) { r.month = 0; }},
      {"day 0", [](DayRecord& r) { r.day = 0; }},
      {"31 February", [](DayRecord& r) { r.month = 2; r.day = 31; }},
      {"day of week 7", [](DayRecord& r) { r.dayOfWeek = 7; }},
      {"year 0", [](DayRecord& r) { r.year = 0; }},
      {"kind 999", [](DayRecord& r) { r.kind = 999; }},
      {"ID without terminator", [](DayRecord& r) { std::memset(r.adapterId, 'Z', sizeof r.adapterId); }},
      {"real adapter without ID", [](DayRecord& r) { r.SetId(""); }},
      {"pseudo adapter with an ID", [](DayRecord& r) { r.kind = kKindDialUp; }},
  };
  std::string file = Header();
  for (const Case& c : cases) {
    DayRecord r = MakeDayRecord(kDay, kKindAdapter, "X", 1, 1);
    c.spoil(r);
    EXPECT_FALSE(IsPlausibleDayRecord(r)) << c.what;
    file += Record(r);
  }
  DayRecord good = MakeDayRecord(LocalTime{2024, 2, 4, 29, 0, 0, 0, 0}, kKindAdapter, "X", 7, 8);
  file += Record(good);
  WriteFileBytes("corrupt.log", file);

  std::vector<DayRecord> days;
  ASSERT_TRUE(ReadDayRecords(SystemFileSystem(), "corrupt.log", days, nullptr));
  ASSERT_EQ(days.size(), 1u);
  EXPECT_EQ(days[0].download, 7u);
}

// Reports walk only their adapter's records; the walk must deliver exactly
// what the full walk delivers and SameAdapter accepts, offsets included.
TEST(DayRecordReader, OneAdapterWalkDeliversWhatSameAdapterAccepts) {
  const std::string longId((kAdapterIdCapacity - 1), 'L');
  const std::vector<std::string> ids = {"{0000000A-0000-0000-0000-4E6574446576}",
                                        "{0000000B-0000-0000-0000-4E6574446576}",  // differs in byte 8
                                        "{0000000A-0000-0000-0000-4E6574446577}",  // differs in the last byte
                                        "{0000000A-0000-0000-0000-4E657444657",    // a prefix
                                        "{0000000A-0000-0000-0000-4E6574446576}X", "Y", longId};
  std::string file = Header();
  for (int day = 1; day <= 3; ++day) {
    const LocalTime t{2026, 3, 2, uint16_t(day), 0, 0, 0, 0};
    file += Record(MakeDayRecord(t, kKindAllConnections, "", 1, 0));
    file += Record(MakeDayRecord(t, kKindDialUp, "", 2, 0));
    for (const std::string& id : ids) file += Record(MakeDayRecord(t, kKindAdapter, id, 3, 0));
    // Records that match a subject's kind and ID bytes but are no day.
    DayRecord spoilt = MakeDayRecord(t, kKindAdapter, ids[0], 4, 0);
    spoilt.month = 13;
    file += Record(spoilt);
    spoilt = MakeDayRecord(t, kKindAllConnections, "", 4, 0);
    spoilt.month = 4;
    spoilt.day = 31;
    file += Record(spoilt);
    spoilt = MakeDayRecord(t, kKindAdapter, ids[1], 4, 0);
    spoilt.dayOfWeek = 7;
    file += Record(spoilt);
    file += Record(MakeDayRecord(t, kKindDialUp, "X", 4, 0));
    file += Record(MakeDayRecord(t, kKindAdapter, "", 4, 0));
  }
  WriteFileBytes("one_adapter.log", file);

  struct Subject {
    int32_t kind;
    std::string id;
  };
  std::vector<Subject> subjects = {{kKindAllConnections, ""}, {kKindDialUp, ""}, {kKindAdapter, ""},
                                   {kKindAdapter, std::string(kAdapterIdCapacity, 'L')}};
  for (const std::string& id : ids) subjects.push_back({kKindAdapter, id});
  for (const Subject& s : subjects) {
    std::vector<int64_t> expected, got;
    VisitDayRecords(SystemFileSystem(), "one_adapter.log", [&](const DayRecord& r, int64_t at) {
      if (r.SameAdapter(s.kind, s.id)) expected.push_back(at);
      return true;
    });
    EXPECT_EQ(VisitAdapterDayRecords(SystemFileSystem(), "one_adapter.log", s.kind, s.id,
                                     [&](const DayRecord&, int64_t at) {
                                       got.push_back(at);
                                       return true;
                                     }),
              HistoryStatus::Ok);
    EXPECT_EQ(got, expected) << s.kind << " " << s.id;
    EXPECT_EQ(got.size(), s.kind == kKindAdapter && (s.id.empty() || s.id.size() > (kAdapterIdCapacity - 1)) ? 0u : 3u)
        << s.kind << " " << s.id;
  }
  EXPECT_EQ(VisitAdapterDayRecords(SystemFileSystem(), "no_such.log", kKindDialUp, "",
                                   [](const DayRecord&, int64_t) { return true; }),
            HistoryStatus::CannotOpen);
}

TEST(DayRecordReader, TellsNotAHistoryFileFromCannotOpen) {
  struct Case {
    const char* name;
    std::string bytes;
    HistoryStatus expected;
  };
  std::string version1 = Header();
  version1[4] = 1;
  const Case cases[] = {
      {"short.log", "NTSL\x02", HistoryStatus::NotHistoryFile},
      {"version1.log", version1, HistoryStatus::NotHistoryFile},
      {"text.log", std::string(600, 'x'), HistoryStatus::NotHistoryFile},
      {"empty.log", "", HistoryStatus::Ok},
      {"header.log", Header(), HistoryStatus::Ok},
  };
  for (const Case& c : cases) {
    WriteFileBytes(c.name, c.bytes);
    int records = 0;
    EXPECT_EQ(VisitDayRecords(SystemFileSystem(), c.name, [&](const DayRecord&, int64_t) { return ++records, true; }),
              c.expected)
        << c.name;
    EXPECT_EQ(records, 0) << c.name;
  }

  std::vector<DayRecord> days;
  std::string error;
  SystemFileSystem().Remove("missing.log");
  EXPECT_FALSE(ReadDayRecords(SystemFileSystem(), "missing.log", days, &error));
  EXPECT_EQ(error, "Cannot open the traffic log file \"missing.log\".");
  EXPECT_FALSE(ReadDayRecords(SystemFileSystem(), "text.log", days, &error));
  EXPECT_EQ(error, "\"text.log\" is not a traffic log file.");
}

TEST(DayRecordReader, ReadsWhileTheEngineHoldsTheFileOpenForWriting) {
  FileSystem& fs = SystemFileSystem();
  fs.Remove("held.log");
  auto writer = fs.Open("held.log", FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenAlways);
  ASSERT_TRUE(writer);
  std::string bytes = Header() + Record(MakeDayRecord(kDay, kKindAllConnections, "", 5, 6));
  ASSERT_TRUE(writer->Write(bytes.data(), bytes.size()));

  std::vector<DayRecord> days;
  std::string error;
  ASSERT_TRUE(ReadDayRecords(fs, "held.log", days, &error)) << error;
  ASSERT_EQ(days.size(), 1u);
  EXPECT_EQ(days[0].kind, kKindAllConnections);
  EXPECT_EQ(days[0].upload, 6u);
}

}  // namespace
}  // namespace qm
