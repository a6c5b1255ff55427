#pragma once
// Holds a mutex for a scope when it could be had within the wait (an
// abandoned mutex counts as had); releases it at the end of the scope.
#include <windows.h>

class TMutexHold {
 public:
  explicit TMutexHold(HANDLE mutex, DWORD waitMs = INFINITE) : FMutex(mutex) {
    const DWORD result = WaitForSingleObject(mutex, waitMs);
    FHeld = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  }
  ~TMutexHold() {
    if (FHeld) ReleaseMutex(FMutex);
  }
  TMutexHold(const TMutexHold&) = delete;
  TMutexHold& operator=(const TMutexHold&) = delete;
  bool Held() const { return FHeld; }

 private:
  HANDLE FMutex;
  bool FHeld = false;
};
