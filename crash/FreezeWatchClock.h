#pragma once
// The freeze watch's counting: periods of a tenth of the freeze timeout; a
// period without the main thread's answer is a miss, the tenth miss in a row
// reports a freeze and lengthens the period by half, an answer starts over.
// Used by the watch thread alone; platform-neutral.
#include <cstdint>

class TFreezeWatchClock {
 public:
  explicit TFreezeWatchClock(std::uint32_t freezeTimeoutMs);

  std::uint32_t PeriodMs() const { return FPeriod; }
  int Misses() const { return FMisses; }
  // The end of one period; true when a freeze is to be reported now.
  bool PeriodEnded(bool answered);
  // After a pause (an exception was being handled) the misses start over.
  void Resumed() { FMisses = 0; }

 private:
  std::uint32_t FFirstPeriod;
  std::uint32_t FPeriod;
  int FMisses = 0;
};
