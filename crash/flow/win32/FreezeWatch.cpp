#include "crash/flow/win32/FreezeWatch.h"

#include "crash/FreezeWatchClock.h"
#include "crash/flow/win32/MainThreadWindow.h"
#include "crash/win32/ThreadInfoBuffer.h"

namespace {
// How long Stop lets the thread end by itself before it terminates it.
constexpr DWORD kStopWaitMs = 500;
constexpr DWORD kTerminatedExitCode = 1;

bool WaitTimed(HANDLE stopEvent, DWORD periodMs) { return WaitForSingleObject(stopEvent, periodMs) == WAIT_TIMEOUT; }

class TLockHold {
 public:
  explicit TLockHold(CRITICAL_SECTION& lock) : FLock(lock) { EnterCriticalSection(&FLock); }
  ~TLockHold() { LeaveCriticalSection(&FLock); }
  TLockHold(const TLockHold&) = delete;
  TLockHold& operator=(const TLockHold&) = delete;

 private:
  CRITICAL_SECTION& FLock;
};
}  // namespace

TFreezeWatch::TFreezeWatch(const TMainThreadWindow& mainWindow, DWORD freezeTimeoutMs, TFreezeReport report,
                           TPeriodWait periodWait)
    : FMainWindow(mainWindow),
      FFreezeTimeout(freezeTimeoutMs),
      FReport(std::move(report)),
      FPeriodWait(periodWait ? std::move(periodWait) : TPeriodWait(&WaitTimed)) {
  InitializeCriticalSection(&FPauseLock);
}

TFreezeWatch::~TFreezeWatch() {
  Stop();
  DeleteCriticalSection(&FPauseLock);
}

bool TFreezeWatch::Start(HANDLE exclusiveMutex, TThreadInfoBuffer* threads) {
  if (FThread) return false;
  FExclusiveMutex = exclusiveMutex;
  FThreads = threads;
  FStopEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  {
    TLockHold hold(FPauseLock);  // a pause requested before the start holds
    FRunningEvent.Reset(CreateEventW(nullptr, TRUE, FPauses.load() == 0, nullptr));
  }
  if (!FStopEvent || !FRunningEvent) return false;
  FThread.Reset(CreateThread(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &FThreadId));
  if (!FThread) return false;
  SetThreadPriority(FThread.Get(), THREAD_PRIORITY_HIGHEST);
  if (FThreads != nullptr) FThreads->RecordThreadInfo(FThreadId, FThread.Get(), "-", GetCurrentThreadId(), 0, "");
  ResumeThread(FThread.Get());
  return true;
}

void TFreezeWatch::Stop() {
  if (!FThread) return;
  SetEvent(FStopEvent.Get());
  // From its own report the thread cannot wait for itself; it ends after the report.
  if (GetCurrentThreadId() == FThreadId) return;
  if (WaitForSingleObject(FThread.Get(), kStopWaitMs) == WAIT_TIMEOUT) {
    TerminateThread(FThread.Get(), kTerminatedExitCode);
    WaitForSingleObject(FThread.Get(), kStopWaitMs);
  }
  FActive.store(false);
  if (FThreads != nullptr) FThreads->RecordThreadInfo(FThreadId, nullptr, "", 0, 0, "");
  FThread.Reset();
  FThreadId = 0;
}

void TFreezeWatch::Pause() {
  TLockHold hold(FPauseLock);
  if (FPauses.fetch_add(1) == 0 && FRunningEvent) ResetEvent(FRunningEvent.Get());
}

void TFreezeWatch::Resume() {
  TLockHold hold(FPauseLock);
  if (FPauses.load() == 0) return;
  FResetCounter.store(true);
  if (FPauses.fetch_sub(1) == 1 && FRunningEvent) SetEvent(FRunningEvent.Get());
}

DWORD WINAPI TFreezeWatch::ThreadProc(void* watch) {
  try {
    static_cast<TFreezeWatch*>(watch)->Run();
  } catch (...) {
    // The watch ends; the process goes on unwatched.
  }
  return 0;
}

void TFreezeWatch::Run() {
  // The queue must exist before the first answer is posted to it.
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
  if (!TakeMutex()) return;
  FActive.store(true);
  Watch();
  FActive.store(false);
  if (FExclusiveMutex != nullptr) ReleaseMutex(FExclusiveMutex);
}

bool TFreezeWatch::TakeMutex() {
  if (FExclusiveMutex == nullptr) return true;
  const HANDLE waits[2] = {FStopEvent.Get(), FExclusiveMutex};
  const DWORD result = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  // A watch that ended without letting go of it leaves it abandoned: ours now.
  return result == WAIT_OBJECT_0 + 1 || result == WAIT_ABANDONED_0 + 1;
}

void TFreezeWatch::Watch() {
  TFreezeWatchClock clock(FFreezeTimeout);
  for (;;) {
    if (!WaitWhilePaused()) return;
    if (FResetCounter.exchange(false)) clock.Resumed();
    FMainWindow.PostPing(FThreadId);
    if (!FPeriodWait(FStopEvent.Get(), clock.PeriodMs())) return;
    const bool answered = DrainAnswers();
    // A pause or a reset during the period: this period does not count.
    if (FPauses.load() > 0 || FResetCounter.load()) continue;
    if (clock.PeriodEnded(answered)) Report();
  }
}

bool TFreezeWatch::WaitWhilePaused() {
  const HANDLE waits[2] = {FStopEvent.Get(), FRunningEvent.Get()};
  return WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
}

bool TFreezeWatch::DrainAnswers() {
  bool answered = false;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_NULL && message.wParam == static_cast<WPARAM>(kMainThreadAnswer) &&
        message.lParam == kMainThreadAnswer)
      answered = true;
  }
  return answered;
}

void TFreezeWatch::Report() {
  try {
    if (FReport) FReport();
  } catch (...) {
    // A failed report of one freeze does not end the watch.
  }
}
