#pragma once
// Address space and memory kept back for the handling of an exception: four
// ranges of 4 MB reserved and four of 512 KB committed, all without access,
// given back when an exception arrives so that the handling has memory even
// after the process ran out, and taken again once it is over. Reserve and
// Release are idempotent and may be called from any thread at any time.
#include <windows.h>

#include <atomic>
#include <cstddef>

class TEmergencyReserve {
 public:
  static constexpr int kRangeCount = 8;

  TEmergencyReserve() = default;
  ~TEmergencyReserve() { Release(); }
  TEmergencyReserve(const TEmergencyReserve&) = delete;
  TEmergencyReserve& operator=(const TEmergencyReserve&) = delete;

  // Takes every range not held now; false when one could not be had.
  bool Reserve();
  void Release();

  // Where range index lies now (nullptr when not held), and its size.
  void* Range(int index) const { return FRanges[index].load(); }
  static std::size_t RangeSize(int index);
  static bool Committed(int index);

 private:
  std::atomic<void*> FRanges[kRangeCount] = {};
};
