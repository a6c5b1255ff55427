#include "crash/adapter/win32/LastResortFilters.h"

#include <windows.h>

#include <exception>

#include "crash/flow/win32/ReportException.h"
#include "crash/adapter/win32/SystemExceptions.h"
#include "crash/flow/win32/ThrowRecords.h"

namespace {

// Made in advance: the terminating thread may have no memory left.
std::exception_ptr gTermination;

LONG WINAPI UnhandledFilter(EXCEPTION_POINTERS* info) {
  // The handling thread makes the exception object: this thread may have
  // overflowed its stack or exhausted the heap.
  ReportSystemException(*info, cpSystemException, false);
  // Handling closes the process; when it could not, the system ends it.
  return EXCEPTION_EXECUTE_HANDLER;
}

[[noreturn]] void TerminateHandler() {
  std::uintptr_t address = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
  // An exception nobody catches is not unwound: the throwing frames are
  // still on this stack, and its record places the throw.
  TThrowRecord thrown;
  if (FindThrowRecord(ThrowInFlight(), thrown)) address = thrown.Address;
  ReportException(ekException, gTermination ? &gTermination : nullptr, address, nullptr, 0, nullptr, cpTerminate,
                  nullptr, 0, 0, false);
  TerminateProcess(GetCurrentProcess(), 3);
  for (;;) Sleep(INFINITE);
}

}  // namespace

void TLastResortFilters::Install() {
  if (FInstalled) return;
  if (!gTermination) {
    try {
      gTermination = std::make_exception_ptr(BcbTermination("Abnormal program termination"));
    } catch (...) {
      // Without memory at start-up the termination is reported without an object.
    }
  }
  FPreviousFilter = reinterpret_cast<void*>(SetUnhandledExceptionFilter(UnhandledFilter));
  FPreviousTerminate = std::set_terminate(TerminateHandler);
  FInstalled = true;
}

void TLastResortFilters::Uninstall() {
  if (!FInstalled) return;
  SetUnhandledExceptionFilter(reinterpret_cast<LPTOP_LEVEL_EXCEPTION_FILTER>(FPreviousFilter));
  std::set_terminate(FPreviousTerminate);
  FInstalled = false;
}
