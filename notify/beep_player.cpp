#include "notify/beep_player.h"

#include <chrono>
#include <memory>
#include <system_error>
#include <thread>

namespace qm {
namespace {

constexpr BeepPattern kPatterns[kBeepPatternCount] = {
    {400, 100}, {400, 200}, {400, 400}, {900, 100}, {900, 200}, {900, 400}, {1600, 100}, {1600, 200}, {1600, 400},
};

constexpr const char* kPatternNames[kBeepPatternCount] = {
    "Low frequency, short duration",    "Low frequency, medium duration",    "Low frequency, long duration",
    "Medium frequency, short duration", "Medium frequency, medium duration", "Medium frequency, long duration",
    "High frequency, short duration",   "High frequency, medium duration",   "High frequency, long duration",
};

void SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

BeepPlayer::Tone& ProcessTone() {
  static auto* tone = new BeepPlayer::Tone([](uint32_t, uint32_t duration) { SleepMs(duration); });
  return *tone;
}

BeepPlayer::Pause& ProcessPause() {
  static auto* pause = new BeepPlayer::Pause(SleepMs);
  return *pause;
}

}  // namespace

BeepPattern BeepPatternOf(uint32_t index) { return kPatterns[index < kBeepPatternCount ? index : 8]; }

const char* BeepPatternName(int index) {
  return index >= 0 && index < kBeepPatternCount ? kPatternNames[index] : "";
}

uint64_t BeepPlayer::Start(uint32_t frequency, uint32_t duration, uint32_t count) {
  auto job = std::make_unique<Job>();
  job->frequency = frequency;
  job->duration = duration;
  job->count = count;
  Job* owned = job.get();
  // Stopping the old series and remembering the new one is one step, so no
  // series can slip in between and play on unremembered.
  std::lock_guard<std::mutex> hold(lock_);
  StopLocked();
  ++threads_;
  try {
    std::thread(&BeepPlayer::Play, this, owned).detach();
  } catch (const std::system_error&) {
    --threads_;
    return 0;
  }
  job.release();  // the thread owns it now
  current_ = &owned->running;
  currentSeries_ = ++lastSeries_;
  return currentSeries_;
}

void BeepPlayer::Stop() {
  std::lock_guard<std::mutex> hold(lock_);
  StopLocked();
}

void BeepPlayer::Stop(uint64_t series) {
  std::lock_guard<std::mutex> hold(lock_);
  if (series != 0 && series == currentSeries_) StopLocked();
}

bool BeepPlayer::Playing() {
  std::lock_guard<std::mutex> hold(lock_);
  return current_ != nullptr;
}

void BeepPlayer::StopLocked() {
  if (!current_) return;
  current_->store(0);
  current_ = nullptr;
  currentSeries_ = 0;
}

BeepPlayer::~BeepPlayer() {
  Stop();
  while (threads_.load() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// The thread of one series. The flag is read without the lock: it only
// ever goes from 1 to 0.
void BeepPlayer::Play(Job* job) {
  {
    std::unique_ptr<Job> owned(job);
    if (job->count == 0) {
      while (job->running.load()) {
        tone_(job->frequency, job->duration);
        if (!job->running.load()) break;
        pause_(job->duration);
      }
    } else {
      while (job->count > 0) {
        tone_(job->frequency, job->duration);
        if (!job->running.load()) break;
        pause_(job->duration);
        --job->count;
        if (!job->running.load()) break;
      }
    }
    // Withdrawn under the lock before the job is freed.
    std::lock_guard<std::mutex> hold(lock_);
    if (current_ == &job->running) {
      current_ = nullptr;
      currentSeries_ = 0;
    }
  }
  --threads_;  // the last touch of the player
}

BeepPlayer& ProcessBeepPlayer() {
  static auto* player = new BeepPlayer([](uint32_t f, uint32_t d) { ProcessTone()(f, d); },
                                       [](uint32_t d) { ProcessPause()(d); });
  return *player;
}

void SetProcessBeepFunctions(BeepPlayer::Tone tone, BeepPlayer::Pause pause) {
  ProcessTone() = std::move(tone);
  ProcessPause() = std::move(pause);
}

}  // namespace qm
