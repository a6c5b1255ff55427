#pragma once
// Every thread and work item the process starts runs inside the reporter's
// frame: CreateThread and QueueUserWorkItem are redirected in the import
// tables of every loaded module (the C runtime's own call included), and so
// is the runtime's _beginthreadex, whose procedure needs a frame of its own
// inside the runtime's start code. A new thread is entered in the
// thread-information list with its creator and creation address; an
// exception escaping its procedure (or a work item) goes to the report
// callback; its entry leaves the list when the procedure returns. The
// system's thread-naming exception is caught process-wide and names the
// thread in the list.
//
// One instance may be installed at a time. Install and uninstall from one
// thread; the hooks themselves run on any thread.
#include <windows.h>

#include <exception>
#include <memory>
#include <string>

#include "crash/common/ExceptionKinds.h"

class TThreadInfoBuffer;
class TImportRedirect;

// What escaped a hooked thread procedure or work item.
struct TThreadFailure {
  std::exception_ptr Exception;
  DWORD ThreadId = 0;
  TCatchPoint CatchPoint = cpThreadProcedure;
  bool CanContinue = true;
};

// Must not throw; runs on the failing thread.
using TThreadFailureReport = void (*)(const TThreadFailure& failure);

// How the window framework's thread objects are recognised: the routine
// their system thread starts at, and the class name of the object it is
// given. Supplied by the reporter's framework adapter; empty: none.
struct TFrameworkThreadStart {
  void* Routine = nullptr;
  std::string (*ClassName)(void* parameter) = nullptr;
};

class TThreadCreationHooks {
 public:
  // threads: the list new threads are entered in (null: none is kept);
  // it must outlive the installation.
  TThreadCreationHooks(TThreadInfoBuffer* threads, TThreadFailureReport report,
                       TFrameworkThreadStart frameworkThreads = {});
  TThreadCreationHooks(const TThreadCreationHooks&) = delete;
  TThreadCreationHooks& operator=(const TThreadCreationHooks&) = delete;
  ~TThreadCreationHooks();

  // False when another instance is installed or CreateThread could be
  // redirected nowhere.
  bool Install();
  // Undoes the redirections and the naming handler. Threads already running
  // keep their frame, but from now on neither report nor touch the list.
  void Uninstall();
  bool Installed() const { return FInstalled; }

 private:
  TThreadInfoBuffer* FThreads;
  TThreadFailureReport FReport;
  TFrameworkThreadStart FFrameworkThreads;
  std::unique_ptr<TImportRedirect> FCreateThread;
  std::unique_ptr<TImportRedirect> FQueueWorkItem;
  std::unique_ptr<TImportRedirect> FBeginThreadEx;
  void* FNamingHandler = nullptr;
  bool FInstalled = false;
};
