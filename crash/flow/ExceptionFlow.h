#pragma once
// Handling one reported exception on the handling thread: the exception
// object, the phases with their handlers, the report, the presentation and
// the automatic actions (save, send, copy, continue, restart, close).
// Used on the handling thread, one request at a time.
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "crash/common/ExceptionKinds.h"
#include "crash/flow/ExceptionHandlers.h"
#include "crash/flow/ExceptionHistory.h"
#include "crash/flow/FlowEnvironment.h"

class TIMEException;

// One report, as the reporting thread hands it over.
struct TExceptionRequest {
  std::uintptr_t CompletionEvent = 0;  // 0 stops the handling thread
  std::uint32_t ThreadId = 0;          // 0: the current thread
  TEventKind EventKind = ekException;
  std::exception_ptr Exception;  // null: no exception object
  std::uintptr_t Address = 0;
  bool CanContinue = true;
  std::uintptr_t StackPointer = 0;
  std::uintptr_t FramePointer = 0;
  const void* Context = nullptr;  // the processor context, ContextSize bytes; may be null
  std::string* ReportTextOut = nullptr;  // where a web-server path wants the text
  TCatchPoint CatchPoint = cpNone;
  void* RelatedObject = nullptr;
  std::uintptr_t Package = 0;
  const void* PreparedStack = nullptr;
  std::size_t ContextSize = 0;  // the size of *Context in bytes
};

class TExceptionFlow {
 public:
  TExceptionFlow(TExceptionHandlers& handlers, TExceptionHistory& history);

  // Handles the request; never throws: a failure inside ends it silently.
  // Answers the exception object (null when it could not be made) so that a
  // caller may keep it; the flow itself keeps none.
  std::shared_ptr<TIMEException> HandleRequest(const TExceptionRequest& request, IFlowEnvironment& environment);

  // The console's text for an exception: FrozenMsg or ExceptMsg expanded, the
  // message, and the complete report when AutoShowBugRep or ShowBtnVis is on.
  static std::string ConsoleText(TIMEException& exception);

 private:
  TExceptionHandlers& FHandlers;
  TExceptionHistory& FHistory;
};
