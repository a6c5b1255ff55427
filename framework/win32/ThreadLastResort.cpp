// The thread layer's last-resort exception routines and the routine that
// serves the hand-over queue. The crash reporter patches their entries (or
// the call of the synchronised method in ServeQueue), so this file is
// compiled on its own with the flags that keep every routine whole (see
// CMakeLists.txt).
#include "framework/win32/Application.h"
#include "framework/win32/LastResortRoutines.h"
#include "framework/win32/Thread.h"

// The call of the synchronised method on the main thread. An exception it
// raises is kept for the waiting thread.
RAVELIN_INTERCEPTION_POINT void CallSynchronizedMethod(TSyncRequest* request) {
  try {
    (request->thread->*request->method)();
  } catch (...) {
    request->exception = std::current_exception();
  }
}

// Runs every queued request, oldest first; false when there was none.
RAVELIN_INTERCEPTION_POINT bool ServeQueue() {
  bool ran = false;
  while (TSyncRequest* request = TakeSyncRequest()) {
    CallSynchronizedMethod(request);
    // The request lives on the waiting thread's stack: once it is marked
    // finished it is not touched again.
    const HANDLE done = request->done;
    if (request->state.exchange(ssFinished) == ssBlocked) SetEvent(done);
    ran = true;
  }
  return ran;
}

void* ServeQueueRoutine() { return reinterpret_cast<void*>(&ServeQueue); }

// Runs Execute, keeping what escapes it with the thread.
RAVELIN_INTERCEPTION_POINT void RunThreadBody(TThread* thread) {
  try {
    thread->Execute();
  } catch (...) {
    thread->FFatalException = std::current_exception();
  }
}

// The last chance for an exception that escapes the thread's own handling
// (the end handler's hand-over): shown, never let out of the thread.
RAVELIN_INTERCEPTION_POINT void ThreadLastChance(const std::exception_ptr& exception) {
  try {
    ShowException(exception);
  } catch (...) {
  }
}

DWORD ThreadProc(TThread* thread) {
  if (!thread->Terminated()) RunThreadBody(thread);
  const bool freeThread = thread->FFreeOnTerminate;
  const DWORD result = thread->FReturnValue;
  thread->FFinished.store(true);
  std::exception_ptr endFailure;
  try {
    thread->DoTerminate();
  } catch (...) {
    endFailure = std::current_exception();
  }
  if (freeThread) delete thread;
  if (endFailure) ThreadLastChance(endFailure);
  return result;
}

// Where the operating-system thread starts.
RAVELIN_INTERCEPTION_POINT unsigned __stdcall ThreadStartEntry(void* parameter) {
  try {
    return ThreadProc(static_cast<TThread*>(parameter));
  } catch (...) {
    ThreadLastChance(std::current_exception());
    return 1;
  }
}

