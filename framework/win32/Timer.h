#pragma once
// A component that raises OnTimer every Interval milliseconds while enabled.
// Threads: the thread that enables it; OnTimer runs on that thread's message
// loop (the main thread for the application's timers).
#include <windows.h>

#include "framework/win32/Component.h"

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  std::string ClassName() const override { return "TTimer"; }

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent value);

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();

  HWND FWindow = nullptr;
  bool FEnabled = true;
  unsigned FInterval = 1000;
  bool FRunning = false;
  TNotifyEvent FOnTimer;
};
