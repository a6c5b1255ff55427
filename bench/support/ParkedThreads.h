#pragma once
// Worker threads parked a fixed number of distinct frames deep, so that a
// benchmark traces a process whose threads all have real stacks. Also the
// release event and arrival count other parked code of a benchmark may use.
#include <windows.h>

#include <vector>

#include "platform/win32/HandleOwners.h"

namespace parked {

constexpr int kDepth = 20;

inline volatile int gSink = 0;
inline TKernelHandle gRelease;
inline volatile LONG gArrived = 0;

// Counts the caller as parked and waits until the threads are released.
inline void Park() {
  InterlockedIncrement(&gArrived);
  WaitForSingleObject(gRelease.Get(), INFINITE);
}

template <int N>
__attribute__((noinline)) void Depth() {
  if constexpr (N == 0)
    Park();
  else
    Depth<N - 1>();
  gSink = gSink + 1;
}

inline DWORD WINAPI Worker(void*) {
  Depth<kDepth - 1>();
  return 0;
}

}  // namespace parked

class TParkedThreads {
 public:
  // Starts count workers; Wait returns once they and the others a benchmark
  // parks itself have arrived.
  explicit TParkedThreads(int count) {
    parked::gRelease.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    for (int i = 0; i < count; ++i)
      FThreads.emplace_back(CreateThread(nullptr, 0, parked::Worker, nullptr, 0, nullptr));
  }
  // Adds a thread of the benchmark's own that parks itself.
  void Add(LPTHREAD_START_ROUTINE body, DWORD* id) { FThreads.emplace_back(CreateThread(nullptr, 0, body, nullptr, 0, id)); }
  void WaitUntilParked() const {
    while (parked::gArrived < static_cast<LONG>(FThreads.size())) Sleep(1);
  }
  ~TParkedThreads() {
    SetEvent(parked::gRelease.Get());
    for (TKernelHandle& thread : FThreads) WaitForSingleObject(thread.Get(), INFINITE);
  }
  TParkedThreads(const TParkedThreads&) = delete;
  TParkedThreads& operator=(const TParkedThreads&) = delete;

 private:
  std::vector<TKernelHandle> FThreads;
};
