#include "crash/flow/win32/RequestIntake.h"

#include <string>

#include "crash/flow/win32/RaisedException.h"
#include "crash/flow/win32/ThrowRecords.h"
#include "crash/stack/PrepareStack.h"
#include "crash/stack/StackEnvironment.h"

namespace {

std::exception_ptr ObjectOf(const TRaisedException& raised, const TIntakeRules& rules) {
  if (raised.Object || raised.System == nullptr || !rules.SystemObject) return raised.Object;
  return rules.SystemObject(*raised.System);
}

// The throwing thread's stack from the throw's frame up, while the throw has
// not been unwound: the reporting thread waits above it.
void ReadThrownStack(IStackMemory& memory, const TThrowRecord& thrown, TPreparedStack& stack) {
  const auto bottom = static_cast<TStackAddress>(thrown.FramePointer);
  const TMemoryRegion region = memory.RegionAt(bottom);
  if (!region.Committed || region.End <= bottom) return;
  stack = PrepareStack(memory, bottom, region.End, bottom, false, static_cast<TStackAddress>(thrown.Address));
}

// The chain noted at the throw, outermost first as a scan lists it: the
// stack of a throw whose frames a catch block has since reused.
void NotedThrowStack(const TThrowRecord& thrown, TPreparedStack& stack) {
  for (unsigned i = thrown.ChainLength; i-- > 0;) stack.push_back({1, thrown.Chain[i]});
}

}  // namespace

bool TakeRequest(const TExceptionRequestRecord& record, const TIntakeRules& rules, TExceptionRequest& request,
                 TPreparedStack& thrownStack) {
  static const TRaisedException kNone;
  const TRaisedException& raised =
      record.ExceptionObject != 0 ? *reinterpret_cast<const TRaisedException*>(record.ExceptionObject) : kNone;
  request.Exception = ObjectOf(raised, rules);
  if (request.Exception && rules.IsQuietAbort && rules.IsQuietAbort(request.Exception)) return false;

  TThrowRecord thrown;
  const bool known = request.Exception && FindThrowRecord(ThrownObjectOf(request.Exception), thrown);
  request.Address = record.ExceptionAddress != 0 ? record.ExceptionAddress : known ? thrown.Address : 0;
  thrownStack.clear();
  if (known && raised.ThrowFramesIntact && rules.Memory != nullptr)
    ReadThrownStack(*rules.Memory, thrown, thrownStack);
  else if (known && record.ExceptionAddress == 0)
    NotedThrowStack(thrown, thrownStack);
  request.PreparedStack = !thrownStack.empty() ? &thrownStack : nullptr;

  request.CompletionEvent = reinterpret_cast<std::uintptr_t>(record.Event);
  request.ThreadId = record.ThreadId;
  request.EventKind = static_cast<TEventKind>(record.EventKind & 0xFF);
  request.CanContinue = (record.CanContinue & 0xFF) != 0;
  request.StackPointer = record.StackPointer;
  request.FramePointer = record.FramePointer;
  request.Context = reinterpret_cast<const void*>(record.Context);
  request.ContextSize = record.Context != 0 ? sizeof(CONTEXT) : 0;
  request.ReportTextOut = reinterpret_cast<std::string*>(record.ReportTextOut);
  request.CatchPoint = static_cast<TCatchPoint>(record.CatchPoint & 0xFF);
  request.RelatedObject = reinterpret_cast<void*>(record.RelatedObject);
  request.Package = record.Package;
  return true;
}
