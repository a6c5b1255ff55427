#pragma once
// Threads with a synchronous hand-over to the main thread.
//
// A thread object owns one operating-system thread that runs Execute. It can
// be created suspended, asked to terminate (a flag the body looks at), set to
// free itself when it ends, and given an end handler that runs on the main
// thread. Synchronize runs a member function on the main thread while the
// calling thread waits; the main thread serves these requests on the
// application window's null message and when it goes idle (CheckSynchronize).
#include <windows.h>

#include <atomic>
#include <exception>

#include "framework/Exception.h"
#include "framework/Persistent.h"
#include "framework/win32/InterceptionPoint.h"
#include "platform/win32/HandleOwners.h"

RAVELIN_EXCEPTION_CLASS(EThread, Exception);

class TThread;
using TThreadMethod = void (TThread::*)();

class TThread : public TObject {
 public:
  // The thread is created here; created suspended it waits for Resume.
  // Raises EThread "Thread creation error: <system text>" when it cannot be made.
  explicit TThread(bool createSuspended);
  // Destroying a thread that still runs asks it to terminate and waits for
  // it (serving its hand-overs meanwhile). A thread that frees itself is
  // destroyed by itself only.
  ~TThread() override;
  std::string ClassName() const override { return "TThread"; }

  void Resume();
  // Sets the terminate request; wakes nothing, cancels nothing.
  void Terminate() { FTerminated.store(true, std::memory_order_relaxed); }
  bool Terminated() const { return FTerminated.load(std::memory_order_relaxed); }
  // Waits until the thread has ended; on the main thread it serves hand-overs
  // and sent messages meanwhile. Returns the thread's return value.
  DWORD WaitFor();

  bool FreeOnTerminate() const { return FFreeOnTerminate; }
  void SetFreeOnTerminate(bool value) { FFreeOnTerminate = value; }
  bool Finished() const { return FFinished.load(); }
  bool Suspended() const { return FSuspended; }
  HANDLE Handle() const { return FHandle.Get(); }
  DWORD ThreadID() const { return FThreadID; }
  // What escaped Execute, kept (neither shown nor raised again); null if nothing.
  std::exception_ptr FatalException() const { return FFatalException; }

  // The end handler, run on the main thread with the thread as sender.
  TNotifyEvent OnTerminate;

 protected:
  // The end notification: runs OnTerminate on the main thread.
  virtual void DoTerminate();
  virtual void Execute() = 0;

  // Runs method on the main thread and waits until it has run there; an
  // exception it raises there is raised again here.
  template <class T>
  void Synchronize(void (T::*method)()) {
    SynchronizeMethod(static_cast<TThreadMethod>(method));
  }
  void SynchronizeMethod(TThreadMethod method);

  DWORD FReturnValue = 0;

 private:
  friend DWORD ThreadProc(TThread* thread);
  friend void RunThreadBody(TThread* thread);
  void CallOnTerminate();

  TKernelHandle FHandle;
  DWORD FThreadID = 0;
  TKernelHandle FSyncEvent;  // this thread waits on it in a hand-over
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  bool FFreeOnTerminate = false;
  bool FSuspended = false;
  std::exception_ptr FFatalException;
};

// The thread that runs the message loop (the one that started the program).
extern const DWORD MainThreadID;

// Runs every queued hand-over, oldest first, on the main thread; true when
// any ran. Elsewhere it does nothing.
bool CheckSynchronize();

// Wakes the main thread for a queued hand-over; the application points it
// at a null message to its window.
extern void (*WakeMainThread)();

// Signalled while hand-overs are queued, for waits that must serve them.
HANDLE SyncEvent();
