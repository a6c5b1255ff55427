#pragma once
// The framework's last-resort exception routines of the thread layer, and
// the hand-over request they see. Internal to the framework; the crash
// reporter patches these routines (or a call inside them) and reads the
// request where it redirects the call of the synchronised method.
#include <windows.h>

#include <atomic>
#include <exception>

#include "framework/win32/Thread.h"

enum TSyncState { ssPending, ssFinished, ssBlocked };

struct TSyncRequest {
  TThread* thread;
  TThreadMethod method;
  HANDLE done;  // the waiting thread's own event, set only when it blocks on it
  std::exception_ptr exception;  // raised again on the waiting thread
  std::atomic<int> state{ssPending};
};

// Calls the request's method on the main thread, keeping what it raises.
void CallSynchronizedMethod(TSyncRequest* request);
// Runs every queued hand-over request, oldest first, through
// CallSynchronizedMethod; false when there was none.
bool ServeQueue();
// ServeQueue's address, where its call of CallSynchronizedMethod is redirected.
void* ServeQueueRoutine();
// The oldest queued request, taken off the queue; null when it is empty.
TSyncRequest* TakeSyncRequest();
// Runs a thread object's Execute, keeping what escapes it with the thread.
void RunThreadBody(TThread* thread);
// Shows an exception that escaped a thread's own handling.
void ThreadLastChance(const std::exception_ptr& exception);
// Where a thread object's system thread starts.
unsigned __stdcall ThreadStartEntry(void* parameter);
