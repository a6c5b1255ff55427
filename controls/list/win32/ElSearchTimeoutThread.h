#pragma once
// The short-lived thread that tells a list box when its typed search text is
// to be forgotten: it sleeps SleepTime milliseconds and ends, unless a new
// search asked it to stay (KeepAlive) meanwhile, in which case it sleeps once
// more. Its end handler (OnTerminate, set before Resume) runs on the main
// thread. It frees itself when it ends. Threads: created, kept alive and
// cancelled by the main thread; it sleeps on its own.
#include <windows.h>

#include <mutex>

#include "framework/win32/Thread.h"
#include "platform/win32/HandleOwners.h"

class TSearchTextTimeoutThread : public TThread {
 public:
  TSearchTextTimeoutThread();
  std::string ClassName() const override { return "TSearchTextTimeoutThread"; }

  void SetSleepTime(unsigned milliseconds);
  // Asks for one more sleep; false when the thread has already decided to
  // end (the caller then needs a new thread).
  bool KeepAlive();
  // Ends the sleep at once; the end handler still runs.
  void Cancel();

 protected:
  void Execute() override;

 private:
  std::mutex FLock;
  bool FKeepAlive = false;
  bool FEnding = false;
  unsigned FSleepTime = 500;
  TKernelHandle FWake;
};
