#pragma once
// The handling thread's side of a request: what the reporting thread left
// undone to stay fixed-size and lock-free is done here. The object of a
// system exception is made, a quiet abort is recognised, the throw record
// gives the raising address, and the stack of a throw still in flight is
// read (of a throw already caught, the frame chain noted at the throw is
// taken). Used on the handling thread (or on a blocked reporting thread).
#include <windows.h>

#include <exception>
#include <functional>

#include "crash/flow/ExceptionFlow.h"
#include "crash/flow/win32/RequestRecord.h"
#include "crash/stack/StackTypes.h"

class IStackMemory;

struct TIntakeRules {
  // True for an exception raised to end an operation quietly.
  std::function<bool(const std::exception_ptr&)> IsQuietAbort;
  // The object for a system exception; null when none can be made.
  std::function<std::exception_ptr(const EXCEPTION_RECORD&)> SystemObject;
  // Where a thrown stack is read from; null reads none.
  IStackMemory* Memory = nullptr;
};

// Fills the flow's request from a record. False for a quiet abort: nothing
// is to be reported. The request may point into thrownStack.
bool TakeRequest(const TExceptionRequestRecord& record, const TIntakeRules& rules, TExceptionRequest& request,
                 TPreparedStack& thrownStack);
