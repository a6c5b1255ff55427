#include "framework/win32/Timer.h"

#include "framework/Exception.h"
#include "framework/win32/UtilityWindow.h"

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  FWindow = AllocateHWnd([this](TMessage& message) {
    if (message.Msg == WM_TIMER) {
      Timer();
      return;
    }
    message.Result = DefWindowProcW(FWindow, message.Msg, message.WParam, message.LParam);
  });
  if (FWindow == nullptr) throw Exception("Not enough timers available");
}

TTimer::~TTimer() {
  FEnabled = false;
  UpdateTimer();
  DeallocateHWnd(FWindow);
}

void TTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned value) {
  if (value == FInterval) return;
  FInterval = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent value) {
  FOnTimer = std::move(value);
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (FRunning) {
    KillTimer(FWindow, kTimerId);
    FRunning = false;
  }
  // Without a handler there is nothing to time.
  if (FEnabled && FInterval != 0 && FOnTimer) {
    if (SetTimer(FWindow, kTimerId, FInterval, nullptr) == 0) throw Exception("Not enough timers available");
    FRunning = true;
  }
}

void TTimer::Timer() {
  if (FOnTimer) FOnTimer(this);
}
