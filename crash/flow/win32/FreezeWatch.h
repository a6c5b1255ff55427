#pragma once
// The freeze watch: a thread at the highest priority that pings the main
// thread's message window once a period and reports a freeze when ten periods
// in a row went unanswered (the counting is TFreezeWatchClock's). Of all the
// watches of a process only the one holding the freeze-watch mutex counts.
// While an exception is handled the watch is paused.
// Start, Stop and the destructor on the thread that owns the watch; Pause,
// Resume and ResetCounter from any thread; the report and the period wait run
// on the watch thread.
#include <windows.h>

#include <atomic>
#include <functional>

#include "platform/win32/HandleOwners.h"

class TMainThreadWindow;
class TThreadInfoBuffer;

class TFreezeWatch {
 public:
  using TFreezeReport = std::function<void()>;
  // Waits out one period of the given length; false when stopEvent was set
  // first. The system's timed wait unless another clock is given.
  using TPeriodWait = std::function<bool(HANDLE stopEvent, DWORD periodMs)>;

  // The window must outlive the watch's thread (Stop it first).
  TFreezeWatch(const TMainThreadWindow& mainWindow, DWORD freezeTimeoutMs, TFreezeReport report,
               TPeriodWait periodWait = {});
  ~TFreezeWatch();
  TFreezeWatch(const TFreezeWatch&) = delete;
  TFreezeWatch& operator=(const TFreezeWatch&) = delete;

  // Starts the thread, which waits for exclusiveMutex (none when null) before
  // it counts; threads, when given, lists it as one of the reporter's own ("-").
  bool Start(HANDLE exclusiveMutex, TThreadInfoBuffer* threads);
  // Ends the thread: asked to end, terminated when it does not within a short
  // wait (it may be stuck in a report). Called from the report itself it only
  // asks: the thread ends when the report returns.
  void Stop();

  // Pause requests are counted; the watch counts again when all are resumed,
  // from no missed period.
  void Pause();
  void Resume();
  // Starts the count of missed periods over.
  void ResetCounter() { FResetCounter.store(true); }

  DWORD ThreadId() const { return FThreadId; }
  bool Paused() const { return FPauses.load() > 0; }
  // True while the thread holds the mutex and counts.
  bool Active() const { return FActive.load(); }

 private:
  static DWORD WINAPI ThreadProc(void* watch);
  void Run();
  bool TakeMutex();
  void Watch();
  bool WaitWhilePaused();
  static bool DrainAnswers();
  void Report();

  const TMainThreadWindow& FMainWindow;
  const DWORD FFreezeTimeout;
  const TFreezeReport FReport;
  const TPeriodWait FPeriodWait;
  HANDLE FExclusiveMutex = nullptr;
  TThreadInfoBuffer* FThreads = nullptr;
  TKernelHandle FThread;
  DWORD FThreadId = 0;
  TKernelHandle FStopEvent;
  TKernelHandle FRunningEvent;  // set while no pause is requested
  CRITICAL_SECTION FPauseLock;
  std::atomic<int> FPauses{0};
  std::atomic<bool> FResetCounter{false};
  std::atomic<bool> FActive{false};
};
