// A thread that overflows its small stack is reported through the handling
// thread made in advance: the overflowed thread, with only the guard page's
// remainder of stack left, just fills its request and waits, and the
// handling thread makes the exception's object and text. Under Wine on
// qemu-user (32-bit code emulated) a worker thread's overflow arrives as a
// stack overflow (C00000FD) and its filter runs, so this runs there as on
// Windows. The main thread's overflow does not: there the process ends
// before any filter or vectored handler runs (measured with a bare program
// outside the reporter: exit code 1, nothing run); this machine runs 32-bit
// code only through the emulator, so Wine alone could not be tried.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "crash/SystemExceptionText.h"
#include "crash/flow/win32/HandleExceptionThread.h"
#include "crash/flow/win32/ReportException.h"
#include "crash/flow/win32/RequestEvents.h"
#include "crash/flow/win32/RequestIntake.h"
#include "platform/win32/HandleOwners.h"

namespace {

// What the handling thread saw of the one request.
struct TSeen {
  std::atomic<DWORD> HandlingThread{0};
  std::atomic<DWORD> ReportingThread{0};
  std::atomic<std::uint32_t> Code{0};
  std::string Message;
  std::atomic<int> CatchPoint{0};
  std::atomic<bool> CanContinue{true};
};

class TSmallSide : public IReportingSide {
 public:
  explicit TSmallSide(TSeen& seen) : FSeen(seen) {
    FThread.Start([this](const TExceptionRequestRecord& record) { Handle(record); });
  }
  ~TSmallSide() override { FThread.Stop(false); }

  DWORD HandlerThreadId() override { return FThread.ThreadId(); }
  DWORD MainThreadId() override { return 0; }
  bool MainThreadBusyForHandlers() override { return false; }
  void ReleaseReserve() override {}
  void RestoreReserve() override {}
  void PauseFreezeWatch() override {}
  void ResumeFreezeWatch() override {}
  HANDLE AcquireEvent() override { return FEvents.Acquire(); }
  void ReleaseEvent(HANDLE event) override { FEvents.Release(event); }
  bool Submit(const TExceptionRequestRecord& record) override { return FThread.Submit(record); }
  void HandleHere(const TExceptionRequestRecord&) override {}
  void WaitHandled(HANDLE event) override { WaitForSingleObject(event, INFINITE); }

 private:
  void Handle(const TExceptionRequestRecord& record) {
    TIntakeRules rules;
    std::uint32_t code = 0;
    rules.SystemObject = [&code](const EXCEPTION_RECORD& system) {
      TSystemExceptionFacts facts;
      facts.Code = code = system.ExceptionCode;
      return std::make_exception_ptr(std::runtime_error(SystemExceptionText(facts)));
    };
    TExceptionRequest request;
    TPreparedStack stack;
    if (!TakeRequest(record, rules, request, stack)) return;
    FSeen.HandlingThread = GetCurrentThreadId();
    FSeen.ReportingThread = request.ThreadId;
    FSeen.Code = code;
    FSeen.CatchPoint = request.CatchPoint;
    FSeen.CanContinue = request.CanContinue;
    try {
      std::rethrow_exception(request.Exception);
    } catch (const std::exception& e) {
      FSeen.Message = e.what();
    }
  }

  TSeen& FSeen;
  TRequestEvents FEvents;
  THandleExceptionThread FThread;
};

LONG WINAPI ReportAndEndThread(EXCEPTION_POINTERS* pointers) {
  ReportSystemException(*pointers, cpSystemException, false);
  // The thread has no stack left to return to: it ends here.
  ExitThread(1);
}

// Never set: only the stack ends the recursion.
volatile bool gDeepEnough = false;

__attribute__((noinline)) int Recurse(int depth) {
  if (gDeepEnough) return depth;
  volatile char frame[256];
  frame[0] = static_cast<char>(depth);
  return Recurse(depth + 1) + frame[0];
}

DWORD WINAPI RecurseWithoutEnd(void*) { return static_cast<DWORD>(Recurse(0)); }

TEST(StackOverflow, AThreadWithASmallStackIsReportedByTheHandlingThread) {
  TSeen seen;
  {
    TSmallSide side(seen);
    SetReportingSide(&side);
    const LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(ReportAndEndThread);
    DWORD id = 0;
    const TKernelHandle thread(
        CreateThread(nullptr, 64 * 1024, RecurseWithoutEnd, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, &id));
    ASSERT_TRUE(thread);
    const DWORD waited = WaitForSingleObject(thread.Get(), 60000);
    SetUnhandledExceptionFilter(previous);
    SetReportingSide(nullptr);
    ASSERT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0)) << "the overflowed thread did not end";
    EXPECT_EQ(seen.ReportingThread.load(), id);
    EXPECT_EQ(seen.HandlingThread.load(), side.HandlerThreadId());
  }
  EXPECT_EQ(seen.Code.load(), static_cast<std::uint32_t>(EXCEPTION_STACK_OVERFLOW));
  EXPECT_EQ(seen.Message, "Stack overflow");
  EXPECT_EQ(seen.CatchPoint.load(), cpSystemException);
  EXPECT_FALSE(seen.CanContinue.load());
}

}  // namespace
