#include "crash/adapter/win32/LastResortFilters.h"

#include <windows.h>

#include <exception>

#include "crash/flow/win32/ReportException.h"
#include "crash/adapter/win32/SystemExceptions.h"
#include "crash/flow/win32/ThrowRecords.h"

namespace {

LONG WINAPI UnhandledFilter(EXCEPTION_POINTERS* info) {
  const std::exception_ptr object = SystemExceptionObject(*info->ExceptionRecord);
  ReportException(ekException, object ? &object : nullptr,
                  reinterpret_cast<std::uintptr_t>(info->ExceptionRecord->ExceptionAddress), nullptr, 0, nullptr,
                  cpSystemException, info->ContextRecord, 0, 0, false);
  // Handling closes the process; when it could not, the system ends it.
  return EXCEPTION_EXECUTE_HANDLER;
}

[[noreturn]] void TerminateHandler() {
  std::uintptr_t address = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
  try {
    // An exception nobody catches is not unwound: the throwing frames are
    // still on this stack, and its record places the throw.
    TThrowRecord thrown;
    const std::exception_ptr uncaught = std::current_exception();
    if (uncaught && FindThrowRecord(uncaught, thrown)) address = thrown.Address;
    const std::exception_ptr object = std::make_exception_ptr(BcbTermination("Abnormal program termination"));
    ReportException(ekException, &object, address, nullptr, 0, nullptr, cpTerminate, nullptr, 0, 0, false);
  } catch (...) {
  }
  TerminateProcess(GetCurrentProcess(), 3);
  for (;;) Sleep(INFINITE);
}

}  // namespace

void TLastResortFilters::Install() {
  if (FInstalled) return;
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
