#pragma once
// The times of the last ten exceptions, newest first, in whole seconds (UTC,
// counted from 1601); an unset entry is 0. It decides the automatic restart
// and close rules and is handed over to a restarted process.
// Any thread: every access locks.
#include <array>
#include <cstdint>
#include <mutex>

class TExceptionHistory {
 public:
  static constexpr int kSize = 10;
  using TValues = std::array<std::uint64_t, kSize>;

  // Shifts every entry one further (the oldest falls off) and stores now at the head.
  void Record(std::uint64_t now);
  // The value N of AutoRestart or AutoClose: 0 (or less) false, 1 true, N >= 2
  // true only when all ten entries are set and each lies at most N seconds
  // before now.
  bool RuleHolds(std::int32_t rule, std::uint64_t now) const;
  TValues Values() const;
  void Assign(const TValues& values);

  // The one history of this process.
  static TExceptionHistory& Process();

 private:
  mutable std::mutex FLock;
  TValues FValues{};
};
