#include "crash/flow/win32/MainThreadWait.h"

namespace {

// Serves every message waiting now; false after a quit message, posted again.
bool ServeMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

TEventWaitEnd PumpUntilSet(HANDLE event) {
  for (;;) {
    if (!ServeMessages()) return TEventWaitEnd::QuitMessage;
    // Input already in the queue wakes the wait too, not only input that
    // arrived after the last look at the queue.
    const DWORD result = MsgWaitForMultipleObjectsEx(1, &event, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (result == WAIT_OBJECT_0) return TEventWaitEnd::EventSet;
    if (result != WAIT_OBJECT_0 + 1) return TEventWaitEnd::Failed;
  }
}

}  // namespace

TEventWaitEnd WaitForEvent(HANDLE event, DWORD mainThreadId) {
  if (GetCurrentThreadId() == mainThreadId) return PumpUntilSet(event);
  return WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0 ? TEventWaitEnd::EventSet : TEventWaitEnd::Failed;
}
