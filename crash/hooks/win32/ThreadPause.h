#pragma once
// Cooperative pausing of the process's threads while an exception is
// handled. On first use GetMessageA/W and PeekMessageA/W are redirected in
// every loaded module; a paused thread stops right after its next message
// retrieval, waiting for its event (its last error kept), until resumed.
// Paused are the threads started through the thread-creation hooks, except
// the pausing thread, the main thread and a given completion thread; the
// main thread has its own event and is paused unless it is the one pausing.
// A thread that never retrieves messages is not stopped.
//
// One instance at a time; Pause, Resume and WithMainThreadLetGo from the
// handling thread, the redirected functions on any thread.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/win32/HandleOwners.h"

class TImportRedirect;

class TThreadPause {
 public:
  explicit TThreadPause(DWORD mainThreadId);
  TThreadPause(const TThreadPause&) = delete;
  TThreadPause& operator=(const TThreadPause&) = delete;
  // Lets every paused thread go, then removes the redirections.
  ~TThreadPause();

  // Redirects the message functions now rather than at the first pause: a
  // thread already waiting inside the system's function when they are
  // redirected passes its next message before it can stop. False when they
  // cannot be (another instance holds them, or no module imports them).
  bool Prepare() { return RedirectMessageFunctions(); }
  // False when the message functions are not redirected: nothing is paused.
  bool Pause(DWORD completionThreadId);
  void Resume();
  // Runs call with the main thread let go (it may serve a sent message
  // meanwhile) and pauses it again afterwards.
  void WithMainThreadLetGo(const std::function<void()>& call);

  std::vector<DWORD> PausedThreads();
  bool MainThreadPaused();
  // The event the calling thread waits for, null when it is not paused.
  HANDLE EventOfCurrentThread();
  // Waits for that event when the calling thread is paused.
  void StopIfPaused();
  // How many threads are stopped in the pause right now.
  int StoppedThreads() const { return FStopped.load(); }

 private:
  bool RedirectMessageFunctions();

  DWORD FMainThreadId;
  TKernelHandle FMainEvent;
  TKernelHandle FOthersEvent;
  std::mutex FLock;
  std::set<DWORD> FPaused;
  bool FMainPaused = false;
  std::atomic<int> FStopped{0};
  std::vector<std::unique_ptr<TImportRedirect>> FRedirects;
  bool FRedirected = false;
  bool FUsable = false;  // some module's calls reach the redirections
};
