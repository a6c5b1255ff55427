#include "crash/report/win32/ReportCompletion.h"

#include "crash/win32/BlockedProcess.h"

namespace {

// The name that marks the reporter's own threads in the thread list.
const char kReporterThreadName[] = "-";
constexpr DWORD kBlockedStopWaitMs = 250;

bool WaitTimed(HANDLE thread, DWORD timeoutMs) { return WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0; }

}  // namespace

TReportCompletion::TReportCompletion(TReportBuild& build, TCompletedEvent onCompleted, TThreadInfoBuffer* threadInfo,
                                     TBoundedWait boundedWait)
    : FBuild(build),
      FOnCompleted(std::move(onCompleted)),
      FThreadInfo(threadInfo),
      FBoundedWait(boundedWait ? std::move(boundedWait) : TBoundedWait(&WaitTimed)) {}

TReportCompletion::~TReportCompletion() {
  try {
    Stop();
  } catch (...) {
  }
}

void TReportCompletion::Run() {
  try {
    if (FBuild.Complete(FStop) && FOnCompleted) FOnCompleted();
  } catch (...) {
    // A failing callback ends only the completion.
  }
  FRunning = false;
}

DWORD WINAPI TReportCompletion::ThreadBody(void* self) {
  static_cast<TReportCompletion*>(self)->Run();
  return 0;
}

void TReportCompletion::Start(bool ownThread) {
  if (FStarted) return;
  FStarted = true;
  FRunning = true;
  if (ownThread && !ProcessIsBlocked()) {
    // Created suspended so that it is recorded and raised before it runs.
    DWORD id = 0;
    FThread.Reset(CreateThread(nullptr, 0, ThreadBody, this, CREATE_SUSPENDED, &id));
    if (FThread) {
      FThreadId = id;
      SetThreadPriority(FThread.Get(), THREAD_PRIORITY_ABOVE_NORMAL);
      if (FThreadInfo != nullptr) {
        try {
          FThreadInfo->RecordThreadInfo(id, FThread.Get(), kReporterThreadName, GetCurrentThreadId(), 0, "");
        } catch (...) {
        }
      }
      ResumeThread(FThread.Get());
      return;
    }
  }
  Run();
}

bool TReportCompletion::Wait(DWORD timeoutMs) {
  if (!FThread) return !FRunning;
  return WaitForSingleObject(FThread.Get(), timeoutMs) == WAIT_OBJECT_0;
}

void TReportCompletion::RaisePriority() {
  if (FThread) SetThreadPriority(FThread.Get(), THREAD_PRIORITY_HIGHEST);
}

void TReportCompletion::Stop() {
  RequestStop();
  if (!FThread) return;
  if (ProcessIsBlocked()) {
    if (!FBoundedWait(FThread.Get(), kBlockedStopWaitMs)) {
      TerminateThread(FThread.Get(), 1);
      WaitForSingleObject(FThread.Get(), INFINITE);
      FRunning = false;
    }
  } else {
    Wait();
  }
  FThread.Reset();
  FThreadId = 0;
}
