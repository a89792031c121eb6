#include "recorder/stopwatch.h"

#include <gtest/gtest.h>

#include "tests/engine/engine_fixture.h"

namespace qm {
namespace {

// The stopwatch reads what a real engine's tick puts into an adapter's
// history; counters are scripted one second at a time.
class Stopwatch : public EngineTest {
 protected:
  void SetUp() override {
    AddAdapter(1);
    Start(EngineVariant::Desktop, false);
    Tick();  // the first reading yields nothing
  }
  // One second with these bytes received and sent.
  void Second(uint64_t down, uint64_t up) {
    rx += down, tx += up;
    SetCounters(1, rx, tx);
    Tick();
  }
  AdapterRecord& adapter() { return Real(1); }

  static constexpr uint64_t kStartMs = 86'400'000;  // the monotonic clock at the start
  uint64_t rx = 0, tx = 0;
  StopwatchMeasurement watch;
};

TEST_F(Stopwatch, ScriptedBurstGivesTotalsMaximaMinimaAndAverages) {
  Second(7777, 7777);  // before the start: not counted
  watch.Start(adapter(), kStartMs);
  Second(1000, 10);
  watch.ReadNewSamples(adapter());
  Second(3000, 5);
  Second(2000, 20);  // two seconds read at once
  watch.ReadNewSamples(adapter());
  watch.ReadNewSamples(adapter());  // nothing new: nothing counted twice
  EXPECT_EQ(watch.sampleCount(), 3u);
  EXPECT_EQ(watch.downloadTotal(), 6000u);
  EXPECT_EQ(watch.maxDownload(), 3000u);
  EXPECT_EQ(watch.minDownload(), 1000u);
  EXPECT_EQ(watch.averageDownload(), 2000u);
  EXPECT_EQ(watch.uploadTotal(), 35u);
  EXPECT_EQ(watch.maxUpload(), 20u);
  EXPECT_EQ(watch.minUpload(), 5u);
  EXPECT_EQ(watch.averageUpload(), 11u);  // 35 / 3, truncated

  // A second below both minima lowers both.
  Second(400, 2);
  watch.ReadNewSamples(adapter());
  EXPECT_EQ(watch.minDownload(), 400u);
  EXPECT_EQ(watch.minUpload(), 2u);

  const StopwatchTexts bytes = watch.Texts(true);
  EXPECT_EQ(bytes.totalBytesDown, "6.2 KB");  // 6400 bytes, 6.25 rounded to even
  EXPECT_EQ(bytes.totalBitsDown, "51.2 kb");
  EXPECT_EQ(bytes.totalBytesUp, "37 B");
  EXPECT_EQ(bytes.totalBitsUp, "296 b");
  EXPECT_EQ(bytes.maxDown, "2.93 KB/s");
  EXPECT_EQ(bytes.minDown, "400 B/s");
  EXPECT_EQ(bytes.averageDown, "1.56 KB/s");  // 1600 B/s
  const StopwatchTexts bits = watch.Texts(false);
  EXPECT_EQ(bits.totalBytesDown, "6.2 KB");  // the totals keep their units
  EXPECT_EQ(bits.maxDown, "24.0 kbps");
  EXPECT_EQ(bits.minUp, "16 bps");
}

TEST_F(Stopwatch, IdleStartShowsZeroesAndNoSampleMinimaAsZero) {
  watch.Start(adapter(), kStartMs);
  EXPECT_EQ(watch.minDownload(), kStopwatchNoSample);
  EXPECT_EQ(watch.minUpload(), kStopwatchNoSample);
  const StopwatchTexts t = watch.Texts(false);
  for (const std::string& s : {t.totalBytesDown, t.totalBytesUp}) EXPECT_EQ(s, "0 B");
  for (const std::string& s : {t.totalBitsDown, t.totalBitsUp}) EXPECT_EQ(s, "0 b");
  for (const std::string& s : {t.maxDown, t.maxUp, t.minDown, t.minUp, t.averageDown, t.averageUp})
    EXPECT_EQ(s, "0 bps");
  EXPECT_EQ(t.elapsed, "00 : 00 : 00");

  Second(0, 0);  // an idle second is a sample: the minima become 0
  watch.ReadNewSamples(adapter());
  EXPECT_EQ(watch.minDownload(), 0u);
  EXPECT_EQ(watch.sampleCount(), 1u);
}

TEST_F(Stopwatch, HistoryEmptiedDuringTheMeasurementCountsOnlyWhatCameAfter) {
  watch.Start(adapter(), kStartMs);
  Second(100, 1);
  Second(100, 1);
  watch.ReadNewSamples(adapter());
  // Reset from the meter window's menu, then as many seconds as were read
  // before: the history holds two samples again, both new.
  engine().ResetRates();
  Second(50, 5);
  Second(60, 6);
  watch.ReadNewSamples(adapter());
  EXPECT_EQ(watch.sampleCount(), 4u);
  EXPECT_EQ(watch.downloadTotal(), 310u);
  EXPECT_EQ(watch.minDownload(), 50u);
  // A reset with no second after it: nothing is new, nothing goes wrong.
  engine().ResetRates();
  watch.ReadNewSamples(adapter());
  EXPECT_EQ(watch.sampleCount(), 4u);
}

TEST_F(Stopwatch, StartingAgainRestartsFiguresAndTime) {
  watch.Start(adapter(), kStartMs);
  Second(900, 90);
  watch.CountTime(kStartMs + 1000);
  watch.ReadNewSamples(adapter());
  watch.Stop();
  Second(5, 5);
  watch.ReadNewSamples(adapter());  // stopped: not counted
  EXPECT_EQ(watch.sampleCount(), 1u);
  watch.Start(adapter(), kStartMs);
  EXPECT_EQ(watch.elapsedSeconds(), 0u);
  EXPECT_EQ(watch.downloadTotal(), 0u);
  EXPECT_EQ(watch.maxDownload(), 0u);
  EXPECT_EQ(watch.minDownload(), kStopwatchNoSample);
  Second(7, 3);
  watch.ReadNewSamples(adapter());
  EXPECT_EQ(watch.downloadTotal(), 7u);  // the second before this start is not read
}

TEST_F(Stopwatch, ElapsedTimeIsTheClocksNotTheCountOfTimerEvents) {
  watch.Start(adapter(), kStartMs);
  const struct {
    uint64_t sinceStartMs;
    uint32_t seconds;
  } timer[] = {
      {990, 1},      // a timer a little early
      {2030, 2},     // or late
      {9400, 9},     // the only event after the program stood still for seven seconds
      {10'020, 10},
      {uint64_t(UINT32_MAX) * 1000 + 5000, UINT32_MAX},  // no wrap past the longest time
  };
  for (const auto& t : timer) {
    watch.CountTime(kStartMs + t.sinceStartMs);
    EXPECT_EQ(watch.elapsedSeconds(), t.seconds) << t.sinceStartMs;
  }
  watch.Start(adapter(), kStartMs + 50'000);
  watch.CountTime(kStartMs + 51'000);
  EXPECT_EQ(watch.Texts(true).elapsed, "00 : 00 : 01");  // restarted from the new start
  watch.Stop();
  watch.CountTime(kStartMs + 90'000);
  EXPECT_EQ(watch.elapsedSeconds(), 1u);  // stopped: the time stays on screen
}

TEST(StopwatchElapsedText, HoursWidenBeyondTwoDigits) {
  const struct {
    uint32_t seconds;
    const char* text;
  } cases[] = {
      {0, "00 : 00 : 00"},
      {3661, "01 : 01 : 01"},
      {359999, "99 : 59 : 59"},
      {360000, "100 : 00 : 00"},
      {4294967295u, "1193046 : 28 : 15"},
  };
  for (const auto& c : cases) EXPECT_EQ(StopwatchElapsedText(c.seconds), c.text) << c.seconds;
}

}  // namespace
}  // namespace qm
