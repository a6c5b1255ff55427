#include "crash/flow/win32/RequestEvents.h"

TRequestEvents::TRequestEvents() {
  for (TKernelHandle& event : FEvents) event.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

HANDLE TRequestEvents::Acquire() {
  for (int i = 0; i < kCount; ++i) {
    if (!FEvents[i]) continue;
    bool expected = false;
    if (!FClaimed[i].compare_exchange_strong(expected, true)) continue;
    ResetEvent(FEvents[i].Get());
    return FEvents[i].Get();
  }
  return nullptr;
}

void TRequestEvents::Release(HANDLE event) {
  for (int i = 0; i < kCount; ++i) {
    if (FEvents[i].Get() == event) {
      FClaimed[i].store(false);
      return;
    }
  }
}
