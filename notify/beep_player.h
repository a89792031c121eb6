#pragma once
// The beep player: a series of tones on a thread of its own, d ms of tone
// and d ms of silence, until its count runs out or it is stopped. At most
// one series sounds at a time; starting a new one stops the previous one.
//
//   BeepPlayer& beeps = ProcessBeepPlayer();      // tones through the system
//   const BeepPattern p = BeepPatternOf(4);       // 900 Hz, 200 ms
//   beeps.Start(p.frequency, p.duration, 0);      // until stopped
//   beeps.Stop();                                 // ends within one duration
//
// The only shared datum is the current job's running flag, remembered under
// one lock that lives as long as the process; each job belongs to its own
// thread, which withdraws its flag under that lock before freeing the job,
// so a later Stop never touches a freed job.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace qm {

struct BeepPattern {
  uint32_t frequency;  // Hz
  uint32_t duration;   // ms
};

inline constexpr int kBeepPatternCount = 9;

// The nine patterns; an index outside 0..8 plays as 8.
BeepPattern BeepPatternOf(uint32_t index);
// "Low frequency, short duration" ... "High frequency, long duration".
const char* BeepPatternName(int index);

class BeepPlayer {
 public:
  // Sounds a tone and returns when it has ended; pauses for a silence.
  using Tone = std::function<void(uint32_t frequency, uint32_t duration)>;
  using Pause = std::function<void(uint32_t duration)>;

  BeepPlayer(Tone tone, Pause pause) : tone_(std::move(tone)), pause_(std::move(pause)) {}
  // Stops the current series and waits until every thread of the player
  // has ended (at most one tone). The process's own player is never
  // destroyed.
  ~BeepPlayer();
  BeepPlayer(const BeepPlayer&) = delete;
  BeepPlayer& operator=(const BeepPlayer&) = delete;

  // Stops the current series and starts a new one of `count` tones (0:
  // until stopped). Returns at once with the series' number, never 0; 0
  // when no thread could be started.
  uint64_t Start(uint32_t frequency, uint32_t duration, uint32_t count);
  // Asks the current series to stop. Returns at once.
  void Stop();
  // Asks series `series` to stop, if it is still the current one: a caller
  // stops its own series without ending one that another window started
  // since.
  void Stop(uint64_t series);
  // Whether a series is remembered as current (for tests).
  bool Playing();

 private:
  struct Job {
    uint32_t frequency;
    uint32_t duration;
    uint32_t count;
    std::atomic<uint32_t> running{1};
  };
  void Play(Job* job);
  void StopLocked();

  Tone tone_;
  Pause pause_;
  std::mutex lock_;
  std::atomic<uint32_t>* current_ = nullptr;  // the running flag of the current job
  uint64_t currentSeries_ = 0;                 // and its number
  uint64_t lastSeries_ = 0;
  std::atomic<int> threads_{0};
};

// The process's player, sounding through the system's tone function. Made on
// first use and kept until the process ends, so a series that still plays at
// exit never finds its lock gone.
BeepPlayer& ProcessBeepPlayer();
// Installs the tone and pause functions of the process's player; must be
// called before its first use (the Windows program gives the system's Beep).
void SetProcessBeepFunctions(BeepPlayer::Tone tone, BeepPlayer::Pause pause);

inline uint64_t StartBeep(uint32_t frequency, uint32_t duration, uint32_t count) {
  return ProcessBeepPlayer().Start(frequency, duration, count);
}
inline void StopBeep() { ProcessBeepPlayer().Stop(); }
inline void StopBeep(uint64_t series) { ProcessBeepPlayer().Stop(series); }

}  // namespace qm
