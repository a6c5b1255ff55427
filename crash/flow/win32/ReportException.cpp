#include "crash/flow/win32/ReportException.h"

#include <atomic>

#include "crash/flow/win32/RaisedException.h"
#include "crash/flow/win32/RequestRecord.h"
#include "crash/flow/win32/ThrowRecords.h"
#include "crash/win32/BlockedProcess.h"
#include "platform/ScopeGuard.h"

namespace {

std::atomic<IReportingSide*> gSide{nullptr};

std::uint32_t Word(const void* pointer) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer)); }

// The stack and frame pointers of the report: the context's when the
// exception happened at its instruction, else the given ones, else ours.
void ChoosePointers(const CONTEXT* context, std::uintptr_t address, std::uintptr_t& framePointer,
                    std::uintptr_t& stackPointer) {
  if (stackPointer == 0) stackPointer = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  if (framePointer == 0) framePointer = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  if (context != nullptr && address >= context->Eip && address <= context->Eip + 4) {
    stackPointer = context->Esp;
    framePointer = context->Ebp;
  }
}

void Deliver(IReportingSide& side, TExceptionRequestRecord& record) {
  HANDLE event = ProcessIsBlocked() ? nullptr : side.AcquireEvent();
  if (event == nullptr) {
    side.HandleHere(record);
    return;
  }
  const auto release = OnScopeExit([&side, event] { side.ReleaseEvent(event); });
  record.Event = event;
  side.PauseFreezeWatch();
  const auto resume = OnScopeExit([&side] { side.ResumeFreezeWatch(); });
  if (!side.Submit(record)) {
    side.HandleHere(record);
    return;
  }
  try {
    side.WaitHandled(event);
  } catch (...) {
    // The handling thread still reads the request on this stack and sets the
    // event: neither may go away before it is done.
    WaitForSingleObject(event, INFINITE);
    throw;
  }
}

void Report(TEventKind eventKind, TRaisedException& raised, std::uintptr_t exceptionAddress,
            std::string* reportTextOut, std::uintptr_t package, void* relatedObject, TCatchPoint catchPoint,
            const CONTEXT* context, std::uintptr_t framePointer, std::uintptr_t stackPointer, bool canContinue) {
  IReportingSide* side = gSide.load();
  if (side == nullptr) return;
  try {
    const DWORD self = GetCurrentThreadId();
    if (self == side->HandlerThreadId()) return;
    if (self == side->MainThreadId() && side->MainThreadBusyForHandlers()) return;
    side->ReleaseReserve();
    const auto restore = OnScopeExit([side] { side->RestoreReserve(); });

    if (!raised.Object && raised.System == nullptr && eventKind != ekFrozenMainThread)
      raised.Object = std::current_exception();
    raised.ThrowFramesIntact = raised.Object && ThrowInFlight() == ThrownObjectOf(raised.Object);
    ChoosePointers(context, exceptionAddress, framePointer, stackPointer);

    TExceptionRequestRecord record{};
    record.ThreadId = self;
    record.EventKind = eventKind;
    record.ExceptionObject = Word(&raised);
    record.ExceptionAddress = static_cast<std::uint32_t>(exceptionAddress);
    record.CanContinue = canContinue ? 1 : 0;
    record.StackPointer = static_cast<std::uint32_t>(stackPointer);
    record.FramePointer = static_cast<std::uint32_t>(framePointer);
    record.Context = Word(context);
    record.ReportTextOut = Word(reportTextOut);
    record.CatchPoint = catchPoint;
    record.RelatedObject = Word(relatedObject);
    record.Package = static_cast<std::uint32_t>(package);
    Deliver(*side, record);
  } catch (...) {
    // The reporter never raises out of itself.
  }
}

}  // namespace

void SetReportingSide(IReportingSide* side) { gSide.store(side); }

void ReportException(TEventKind eventKind, const std::exception_ptr* exceptionObject,
                     std::uintptr_t exceptionAddress, std::string* reportTextOut, std::uintptr_t package,
                     void* relatedObject, TCatchPoint catchPoint, const CONTEXT* context,
                     std::uintptr_t framePointer, std::uintptr_t stackPointer, bool canContinue) {
  TRaisedException raised;
  if (exceptionObject != nullptr) raised.Object = *exceptionObject;
  Report(eventKind, raised, exceptionAddress, reportTextOut, package, relatedObject, catchPoint, context,
         framePointer, stackPointer, canContinue);
}

void ReportSystemException(const EXCEPTION_POINTERS& pointers, TCatchPoint catchPoint, bool canContinue) {
  TRaisedException raised;
  raised.System = pointers.ExceptionRecord;
  Report(ekException, raised, reinterpret_cast<std::uintptr_t>(pointers.ExceptionRecord->ExceptionAddress),
         nullptr, 0, nullptr, catchPoint, pointers.ContextRecord, 0, 0, canContinue);
}
