#include "crash/flow/win32/ReportException.h"

#include <atomic>

#include "crash/flow/win32/RequestRecord.h"
#include "crash/flow/win32/ThrowRecords.h"
#include "crash/win32/BlockedProcess.h"
#include "platform/ScopeGuard.h"
#include "platform/win32/HandleOwners.h"

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
  // Owned, so that the event is closed however the handling ends.
  const TKernelHandle event(ProcessIsBlocked() ? nullptr : CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!event) {
    side.HandleHere(record);
    return;
  }
  record.Event = event.Get();
  side.PauseFreezeWatch();
  const auto resume = OnScopeExit([&side] { side.ResumeFreezeWatch(); });
  if (!side.Submit(record)) {
    side.HandleHere(record);
    return;
  }
  try {
    side.WaitHandled(event.Get());
  } catch (...) {
    // The handling thread still reads the request on this stack and sets the
    // event: neither may go away before it is done.
    WaitForSingleObject(event.Get(), INFINITE);
    throw;
  }
}

}  // namespace

void SetReportingSide(IReportingSide* side) { gSide.store(side); }

void ReportException(TEventKind eventKind, const std::exception_ptr* exceptionObject,
                     std::uintptr_t exceptionAddress, std::string* reportTextOut, std::uintptr_t package,
                     void* relatedObject, TCatchPoint catchPoint, const CONTEXT* context,
                     std::uintptr_t framePointer, std::uintptr_t stackPointer, bool canContinue) {
  IReportingSide* side = gSide.load();
  if (side == nullptr) return;
  try {
    const DWORD self = GetCurrentThreadId();
    if (self == side->HandlerThreadId()) return;
    if (self == side->MainThreadId() && side->MainThreadBusyForHandlers()) return;
    side->ReleaseReserve();

    std::exception_ptr exception = exceptionObject != nullptr ? *exceptionObject : std::exception_ptr();
    if (!exception && eventKind != ekFrozenMainThread) exception = std::current_exception();
    TThrowRecord thrown;
    const bool knownThrow = exception && FindThrowRecord(exception, thrown);
    if (exceptionAddress == 0 && knownThrow) exceptionAddress = thrown.Address;

    if (exception && side->IsQuietAbort(exception)) {
      // Raised to end an operation quietly: never reported.
      if (!canContinue) TerminateProcess(GetCurrentProcess(), 1);
      side->RestoreReserve();
      return;
    }
    ChoosePointers(context, exceptionAddress, framePointer, stackPointer);

    TExceptionRequestRecord record{};
    record.ThreadId = self;
    record.EventKind = eventKind;
    record.ExceptionObject = exception ? Word(&exception) : 0;
    record.ExceptionAddress = static_cast<std::uint32_t>(exceptionAddress);
    record.CanContinue = canContinue ? 1 : 0;
    record.StackPointer = static_cast<std::uint32_t>(stackPointer);
    record.FramePointer = static_cast<std::uint32_t>(framePointer);
    record.Context = Word(context);
    record.ReportTextOut = Word(reportTextOut);
    record.CatchPoint = catchPoint;
    record.RelatedObject = Word(relatedObject);
    record.Package = static_cast<std::uint32_t>(package);
    record.PreparedStack = knownThrow && thrown.Stack ? Word(thrown.Stack.get()) : 0;
    Deliver(*side, record);
    side->RestoreReserve();
  } catch (...) {
    // The reporter never raises out of itself.
  }
}
