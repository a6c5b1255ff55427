#pragma once
// The pre-created thread that handles every reported exception, one request
// at a time in the order they were written into its anonymous pipe. It runs
// at the highest priority, so a report is handled even while the process is
// busy, and it exists before any exception does, so handling one needs no
// new thread. Start and Stop on one thread (start-up and shutdown); Submit
// from any thread.
#include <windows.h>

#include <functional>

#include "crash/flow/win32/RequestRecord.h"
#include "platform/win32/HandleOwners.h"

class THandleExceptionThread {
 public:
  using THandler = std::function<void(const TExceptionRequestRecord&)>;

  THandleExceptionThread();
  THandleExceptionThread(const THandleExceptionThread&) = delete;
  THandleExceptionThread& operator=(const THandleExceptionThread&) = delete;
  ~THandleExceptionThread();

  // Creates the pipe and the thread; false when either cannot be made. The
  // handler must not throw (what it throws is dropped).
  bool Start(THandler handler);
  // Writes the request; the thread sets its event and wakes the reporting
  // thread after handling it. False when the pipe is gone.
  bool Submit(const TExceptionRequestRecord& record);
  // Asks the thread to end, waits up to 500 ms and ends it by force if it
  // still runs; while the process is blocked it only closes the pipe.
  void Stop(bool processBlocked);
  DWORD ThreadId() const { return FThreadId; }
  bool Running() const { return static_cast<bool>(FThread); }

 private:
  static DWORD WINAPI ThreadMain(LPVOID self);
  void Run();

  THandler FHandler;
  TKernelHandle FRead, FWrite, FThread;
  DWORD FThreadId = 0;
  // Keeps a record of one writer from mixing with another's.
  CRITICAL_SECTION FWriteLock;
};
