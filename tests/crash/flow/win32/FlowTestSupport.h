#pragma once
// Small helpers of the handling side's tests: a thread running a function
// (its handle is waitable), and a main thread that serves its messages for a
// while.
#include <windows.h>

#include <functional>
#include <utility>

#include "platform/win32/HandleOwners.h"

class TTestThread {
 public:
  explicit TTestThread(std::function<void()> body) : FBody(std::move(body)) {
    FHandle.Reset(CreateThread(nullptr, 0, Run, this, 0, &FId));
  }
  ~TTestThread() { WaitForSingleObject(FHandle.Get(), INFINITE); }
  TTestThread(const TTestThread&) = delete;
  TTestThread& operator=(const TTestThread&) = delete;
  HANDLE Handle() const { return FHandle.Get(); }
  DWORD Id() const { return FId; }

 private:
  static DWORD WINAPI Run(void* self) {
    static_cast<TTestThread*>(self)->FBody();
    return 0;
  }
  std::function<void()> FBody;
  TKernelHandle FHandle;
  DWORD FId = 0;
};

// Serves the messages waiting in the calling thread's queue.
inline void ServePendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Serves the calling thread's messages for about the given time.
inline void ServeMessagesFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    ServePendingMessages();
    const DWORD passed = GetTickCount() - start;
    if (passed >= milliseconds) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds - passed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}
