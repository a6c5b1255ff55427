#pragma once
// The background thread of one run in the window: it runs the walk over the
// path it was given and hands each log and status line over to the main
// thread, which shows it in the main window's log and status bar. It lives
// beside the window it reaches; the walk below it knows nothing of windows.
// Threads: created, resumed and terminated by the main thread; the walk's
// side runs on the worker thread, the two hand-overs on the main thread.
#include "framework/win32/Thread.h"
#include "platform/DirectoryLister.h"
#include "platform/VolumeControl.h"
#include "platform/WideString.h"
#include "worker/WalkHost.h"

class TCustomElListBox;

// The file system a run works on. Tests point WorkingThreadFileSystem at
// their own; unset, every run uses the system's.
struct TRunFileSystem {
  TVolumeControl* volume;
  IDirectoryLister* lister;
};
using TRunFileSystemSource = TRunFileSystem (*)();
extern TRunFileSystemSource WorkingThreadFileSystem;

class WorkingThread : public TThread, public IWalkHost {
 public:
  // createSuspended false starts the walk once the object is complete.
  WorkingThread(bool createSuspended, const WideString& path, bool recursive);
  ~WorkingThread() override;
  std::string ClassName() const override { return "WorkingThread"; }

  // The walk's side, on the worker thread: each stores the line in its field
  // and waits until the main thread has shown it.
  bool TerminateRequested() override { return Terminated(); }
  void AddLogLine(const WideString& line) override;
  void ShowStatusLine(const WideString& line) override;

  // The hand-overs, run on the main thread: append FLogLine to the main
  // window's log and keep it scrolled; show FStatusLine in its status bar.
  void AddLogLine();
  void ShowStatusLine();

  // Scrolls the list to its end while the view is within three lines of it
  // (lines per page measured with "Aj" on the list's canvas); leaves it where
  // the user put it otherwise. Swallows any exception.
  static void AutoScrollLog(TCustomElListBox* listBox);

  const WideString& Path() const { return FPath; }
  bool Recursive() const { return FRecursive; }

 protected:
  void Execute() override;

 private:
  WideString FPath;
  bool FRecursive;
  WideString FLogLine;
  WideString FStatusLine;
};
