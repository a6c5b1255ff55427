#pragma once
// Disables every visible, enabled top-level window of the calling thread
// but one while a modal window runs, and enables them again when it ends.
// Threads: any thread, for its own windows.
#include <windows.h>

#include <vector>

class TDisabledTaskWindows {
 public:
  explicit TDisabledTaskWindows(HWND except);
  ~TDisabledTaskWindows();
  TDisabledTaskWindows(const TDisabledTaskWindows&) = delete;
  TDisabledTaskWindows& operator=(const TDisabledTaskWindows&) = delete;

 private:
  static BOOL CALLBACK Disable(HWND window, LPARAM data);
  HWND FExcept;
  std::vector<HWND> FDisabled;
};
