#include "crash/flow/ExceptionHistory.h"

void TExceptionHistory::Record(std::uint64_t now) {
  std::lock_guard<std::mutex> guard(FLock);
  for (int i = kSize - 1; i > 0; --i) FValues[static_cast<size_t>(i)] = FValues[static_cast<size_t>(i - 1)];
  FValues[0] = now;
}

bool TExceptionHistory::RuleHolds(std::int32_t rule, std::uint64_t now) const {
  if (rule <= 0) return false;
  if (rule == 1) return true;
  std::lock_guard<std::mutex> guard(FLock);
  for (std::uint64_t time : FValues) {
    if (time == 0) return false;
    // A time after now (the clock was set back) counts as within the span.
    if (time < now && now - time > static_cast<std::uint64_t>(rule)) return false;
  }
  return true;
}

TExceptionHistory::TValues TExceptionHistory::Values() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FValues;
}

void TExceptionHistory::Assign(const TValues& values) {
  std::lock_guard<std::mutex> guard(FLock);
  FValues = values;
}

TExceptionHistory& TExceptionHistory::Process() {
  static TExceptionHistory history;
  return history;
}
