#include "crash/FreezeWatchClock.h"

namespace {
constexpr int kMissesToReport = 10;
}

TFreezeWatchClock::TFreezeWatchClock(std::uint32_t freezeTimeoutMs)
    : FFirstPeriod(freezeTimeoutMs / 10 > 0 ? freezeTimeoutMs / 10 : 1), FPeriod(FFirstPeriod) {}

bool TFreezeWatchClock::PeriodEnded(bool answered) {
  if (answered) {
    FMisses = 0;
    FPeriod = FFirstPeriod;
    return false;
  }
  if (++FMisses < kMissesToReport) return false;
  FMisses = 0;
  FPeriod += FPeriod / 2;
  return true;
}
