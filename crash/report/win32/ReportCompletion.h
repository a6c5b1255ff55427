#pragma once
// Runs a started report's completion: on a thread of its own at above-normal
// priority, or at once on the calling thread when the process is blocked (no
// thread may be created then) or a thread is not wanted. After a completion
// that was not stopped the callback runs, on the thread that completed.
// Start, Wait, Stop and the destructor belong to the thread that owns the
// report (any one thread at a time); RequestStop and Running may be called
// from any thread. The build must outlive this object.
#include <windows.h>

#include <atomic>
#include <functional>

#include "crash/report/win32/ReportBuild.h"
#include "platform/win32/HandleOwners.h"

class TReportCompletion {
 public:
  using TCompletedEvent = std::function<void()>;
  // Waits up to timeoutMs for the thread's end; true when it ended. The
  // system's timed wait unless another clock is given.
  using TBoundedWait = std::function<bool(HANDLE thread, DWORD timeoutMs)>;

  // threadInfo may be null; otherwise the completion thread is recorded as
  // one of the reporter's own threads, which reports leave out. boundedWait
  // is the wait of Stop in a blocked process.
  TReportCompletion(TReportBuild& build, TCompletedEvent onCompleted, TThreadInfoBuffer* threadInfo = nullptr,
                    TBoundedWait boundedWait = {});
  // Stops the completion first (see Stop).
  ~TReportCompletion();
  TReportCompletion(const TReportCompletion&) = delete;
  TReportCompletion& operator=(const TReportCompletion&) = delete;

  // ownThread: the caller is the handling thread, which must not wait for
  // the report. Otherwise, when the process is blocked or the thread cannot
  // be made, the report is completed before Start returns. Once only.
  void Start(bool ownThread);
  // Until the completion ends; false when it still runs after timeoutMs.
  bool Wait(DWORD timeoutMs = INFINITE);
  // The completion thread, 0 while there is none.
  DWORD ThreadId() const { return FThreadId; }
  // A waiter that must not wait long raises the completion to the highest priority.
  void RaisePriority();
  // Asks the completion to stop at its next step, without waiting.
  void RequestStop() { FStop = true; }
  // Stops the completion and waits for its end; when the process is blocked
  // (its thread may wait for a lock the blocker holds) the thread is
  // terminated after 250 ms instead.
  void Stop();
  bool Running() const { return FRunning; }

 private:
  static DWORD WINAPI ThreadBody(void* self);
  void Run();

  TReportBuild& FBuild;
  TCompletedEvent FOnCompleted;
  TThreadInfoBuffer* FThreadInfo;
  TBoundedWait FBoundedWait;
  std::atomic<bool> FStop{false};
  std::atomic<bool> FRunning{false};
  bool FStarted = false;
  TKernelHandle FThread;
  DWORD FThreadId = 0;
};
