#include "notify/beep_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qm {
namespace {

using namespace std::chrono_literals;

// Records every tone; a tone can be held until the test lets it end.
class FakeSpeaker {
 public:
  void Tone(uint32_t frequency, uint32_t duration) {
    std::unique_lock<std::mutex> hold(m_);
    tones_.push_back({frequency, duration});
    ++sounding_;
    changed_.notify_all();
    changed_.wait(hold, [&] { return !held_; });
    --sounding_;
    changed_.notify_all();
  }

  void Hold(bool on) {
    std::lock_guard<std::mutex> hold(m_);
    held_ = on;
    changed_.notify_all();
  }

  // Waits until `n` tones have begun; false after two seconds.
  bool WaitForTones(size_t n) {
    std::unique_lock<std::mutex> hold(m_);
    return changed_.wait_for(hold, 2s, [&] { return tones_.size() >= n; });
  }

  std::vector<BeepPattern> Tones() {
    std::lock_guard<std::mutex> hold(m_);
    return tones_;
  }

  size_t Count(uint32_t frequency) {
    size_t n = 0;
    for (const BeepPattern& t : Tones()) n += t.frequency == frequency;
    return n;
  }

 private:
  std::mutex m_;
  std::condition_variable changed_;
  std::vector<BeepPattern> tones_;
  int sounding_ = 0;
  bool held_ = false;
};

// The player ends first: it waits for its threads, which use the speaker.
struct Fixture {
  ~Fixture() { speaker->Hold(false); }
  std::unique_ptr<FakeSpeaker> speakerOwner = std::make_unique<FakeSpeaker>();
  FakeSpeaker* speaker = speakerOwner.get();
  std::unique_ptr<BeepPlayer> playerOwner = std::make_unique<BeepPlayer>(
      [s = speaker](uint32_t f, uint32_t d) { s->Tone(f, d); }, [](uint32_t) { std::this_thread::sleep_for(1ms); });
  BeepPlayer* player = playerOwner.get();
};

bool WaitUntilQuiet(BeepPlayer& player) {
  for (int i = 0; i < 2000 && player.Playing(); ++i) std::this_thread::sleep_for(1ms);
  return !player.Playing();
}

TEST(BeepPatterns, TableAndOutOfRangeIndexPlaysAsTheLast) {
  const struct {
    uint32_t index, frequency, duration;
  } cases[] = {{0, 400, 100}, {4, 900, 200}, {5, 900, 400}, {6, 1600, 100}, {8, 1600, 400}, {9, 1600, 400},
               {0xFFFFFFFF, 1600, 400}};
  for (const auto& c : cases) {
    EXPECT_EQ(BeepPatternOf(c.index).frequency, c.frequency) << c.index;
    EXPECT_EQ(BeepPatternOf(c.index).duration, c.duration) << c.index;
  }
  EXPECT_STREQ(BeepPatternName(0), "Low frequency, short duration");
  EXPECT_STREQ(BeepPatternName(4), "Medium frequency, medium duration");
  EXPECT_STREQ(BeepPatternName(8), "High frequency, long duration");
}

TEST(BeepPlayer, CountedSeriesPlaysExactlyItsTonesAndForgetsItself) {
  Fixture f;
  ASSERT_TRUE(f.player->Start(400, 100, 5));
  ASSERT_TRUE(WaitUntilQuiet(*f.player));
  std::this_thread::sleep_for(20ms);
  const auto tones = f.speaker->Tones();
  ASSERT_EQ(tones.size(), 5u);
  for (const BeepPattern& t : tones) EXPECT_TRUE(t.frequency == 400 && t.duration == 100);
}

TEST(BeepPlayer, StartingTwiceQuicklyStopsTheFirstSeriesAndPlaysTheSecond) {
  Fixture f;
  f.speaker->Hold(true);
  ASSERT_TRUE(f.player->Start(400, 100, 0));  // until stopped
  ASSERT_TRUE(f.speaker->WaitForTones(1));
  ASSERT_TRUE(f.player->Start(900, 200, 5));  // while the first tone still sounds
  f.speaker->Hold(false);
  ASSERT_TRUE(WaitUntilQuiet(*f.player));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(f.speaker->Count(400), 1u) << "the first series ends after the tone it was in";
  EXPECT_EQ(f.speaker->Count(900), 5u);
}

TEST(BeepPlayer, StopWhileAToneSoundsReturnsAtOnceAndNoFurtherToneFollows) {
  Fixture f;
  f.speaker->Hold(true);
  ASSERT_TRUE(f.player->Start(1600, 400, 0));
  ASSERT_TRUE(f.speaker->WaitForTones(1));
  const auto before = std::chrono::steady_clock::now();
  f.player->Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 100ms) << "Stop must not wait for the tone";
  EXPECT_FALSE(f.player->Playing());
  f.speaker->Hold(false);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(f.speaker->Tones().size(), 1u);
  f.player->Stop();  // nothing current: harmless
}

TEST(BeepPlayer, AStopAfterTheSeriesEndedTouchesNothing) {
  Fixture f;
  ASSERT_TRUE(f.player->Start(400, 100, 1));
  ASSERT_TRUE(WaitUntilQuiet(*f.player));
  std::this_thread::sleep_for(20ms);  // the thread has freed its job
  f.player->Stop();                   // must not write into the freed job (ASan)
  EXPECT_EQ(f.speaker->Tones().size(), 1u);
}

// The options page stops its own test when it is left, but the alert
// window may have started its endless series since: that one plays on.
TEST(BeepPlayer, StoppingASeriesByItsNumberLeavesALaterSeriesPlaying) {
  Fixture f;
  f.speaker->Hold(true);
  const uint64_t test = f.player->Start(400, 100, 5);
  ASSERT_NE(test, 0u);
  ASSERT_TRUE(f.speaker->WaitForTones(1));
  const uint64_t alert = f.player->Start(900, 200, 0);
  ASSERT_NE(alert, 0u);
  EXPECT_NE(alert, test);
  f.player->Stop(test);  // already replaced
  EXPECT_TRUE(f.player->Playing());
  f.speaker->Hold(false);
  ASSERT_TRUE(f.speaker->WaitForTones(3));
  f.player->Stop(alert);
  EXPECT_FALSE(f.player->Playing());
  EXPECT_TRUE(WaitUntilQuiet(*f.player));
}

// The process ends while an endless series is in the middle of a tone: the
// exit is clean, since the lock and the tone function outlive the thread.
void ExitWhilePlaying() {
  SetProcessBeepFunctions([](uint32_t, uint32_t) { std::this_thread::sleep_for(200ms); },
                          [](uint32_t) { std::this_thread::sleep_for(1ms); });
  StartBeep(900, 200, 0);
  std::this_thread::sleep_for(50ms);
  std::exit(0);
}

TEST(BeepPlayerDeathTest, ExitWhilePlayingEndsCleanly) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ExitWhilePlaying(), testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace qm
