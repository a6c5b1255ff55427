#include "controls/list/win32/ElSearchTimeoutThread.h"

TSearchTextTimeoutThread::TSearchTextTimeoutThread()
    : TThread(true), FWake(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  SetFreeOnTerminate(true);
}

void TSearchTextTimeoutThread::SetSleepTime(unsigned milliseconds) {
  std::lock_guard<std::mutex> guard(FLock);
  FSleepTime = milliseconds;
}

bool TSearchTextTimeoutThread::KeepAlive() {
  std::lock_guard<std::mutex> guard(FLock);
  if (FEnding) return false;
  FKeepAlive = true;
  return true;
}

void TSearchTextTimeoutThread::Cancel() {
  Terminate();
  if (FWake) SetEvent(FWake.Get());
}

void TSearchTextTimeoutThread::Execute() {
  for (;;) {
    unsigned sleepTime;
    {
      std::lock_guard<std::mutex> guard(FLock);
      sleepTime = FSleepTime;
    }
    if (FWake)
      WaitForSingleObject(FWake.Get(), sleepTime);
    else
      Sleep(sleepTime);
    std::lock_guard<std::mutex> guard(FLock);
    if (!Terminated() && FKeepAlive) {
      FKeepAlive = false;
      continue;
    }
    FEnding = true;
    return;
  }
}
