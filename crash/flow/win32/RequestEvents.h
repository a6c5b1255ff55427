#pragma once
// Completion events made before any exception, so that a reporting thread
// (which may have run out of memory or handles) only claims one. A claim
// and a release are one atomic step each: no lock, no allocation. Make and
// destroy on one thread (start-up, shutdown); claim and release from any.
#include <windows.h>

#include <array>
#include <atomic>

#include "platform/win32/HandleOwners.h"

class TRequestEvents {
 public:
  // More reports at once than this wait for handles of their own.
  static constexpr int kCount = 8;

  TRequestEvents();
  TRequestEvents(const TRequestEvents&) = delete;
  TRequestEvents& operator=(const TRequestEvents&) = delete;

  // A reset manual-reset event, null when all are claimed.
  HANDLE Acquire();
  // Gives back an event from Acquire; other handles are ignored.
  void Release(HANDLE event);

 private:
  std::array<TKernelHandle, kCount> FEvents;
  std::array<std::atomic<bool>, kCount> FClaimed{};
};
