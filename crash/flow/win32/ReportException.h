#pragma once
// The one entry through which every interception point reports an exception
// (or a frozen main thread). It runs on the thread where the exception
// surfaced and returns when the handling is finished: the request goes to
// the handling thread while this thread waits (the main thread keeps
// dispatching messages meanwhile). This side neither allocates nor locks: it
// fills a request on its own stack and signals an event made in advance; the
// handling thread makes the objects and texts. Never throws. Does nothing
// while no reporter is started.
#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>

#include "crash/common/ExceptionKinds.h"

void ReportException(TEventKind eventKind, const std::exception_ptr* exceptionObject,
                     std::uintptr_t exceptionAddress, std::string* reportTextOut, std::uintptr_t package,
                     void* relatedObject, TCatchPoint catchPoint, const CONTEXT* context,
                     std::uintptr_t framePointer, std::uintptr_t stackPointer, bool canContinue);
// A system exception without an exception object (a fault, a division by
// zero, a stack overflow); the handling thread makes the object for it.
void ReportSystemException(const EXCEPTION_POINTERS& pointers, TCatchPoint catchPoint, bool canContinue);

// What the reporting side needs of the started reporter; the reporter
// installs one at start-up and removes it at shutdown.
class IReportingSide {
 public:
  virtual ~IReportingSide() = default;
  virtual DWORD HandlerThreadId() = 0;
  virtual DWORD MainThreadId() = 0;
  // True while handlers run on the main thread on behalf of the handling thread.
  virtual bool MainThreadBusyForHandlers() = 0;
  virtual void ReleaseReserve() = 0;
  virtual void RestoreReserve() = 0;
  virtual void PauseFreezeWatch() = 0;
  virtual void ResumeFreezeWatch() = 0;
  // A reset manual-reset event made in advance, null when none is free.
  virtual HANDLE AcquireEvent() = 0;
  virtual void ReleaseEvent(HANDLE event) = 0;
  // Hands the request to the handling thread; false when it cannot.
  virtual bool Submit(const struct TExceptionRequestRecord& record) = 0;
  // Handles the request on the calling thread (the process is blocked).
  virtual void HandleHere(const struct TExceptionRequestRecord& record) = 0;
  // Waits for the event, dispatching messages when on the main thread.
  virtual void WaitHandled(HANDLE event) = 0;
};
void SetReportingSide(IReportingSide* side);
