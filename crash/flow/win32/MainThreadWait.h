#pragma once
// Waiting for the handling of an exception to finish. The main thread keeps
// serving its messages meanwhile (the dialog of another thread owned by its
// windows, calls sent to it, the freeze watch's ping); any other thread simply
// blocks. Any thread.
#include <windows.h>

enum class TEventWaitEnd {
  EventSet,
  // The main thread retrieved a quit message: it is posted again for the
  // message loop that called, and the wait ends without the event.
  QuitMessage,
  Failed,  // the event handle could not be waited for
};

TEventWaitEnd WaitForEvent(HANDLE event, DWORD mainThreadId);
