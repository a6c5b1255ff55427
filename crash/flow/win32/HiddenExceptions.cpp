#include "crash/flow/win32/HiddenExceptions.h"

#include <windows.h>

#include <atomic>
#include <exception>

#include "crash/flow/win32/ReportException.h"

namespace {

std::atomic<bool (*)()> gAnyHandler{nullptr};

// Set while the thread reports a hidden exception: the catches inside the
// report are not raises of the program.
const DWORD gReportingSlot = TlsAlloc();

class TReporting {
 public:
  TReporting() { TlsSetValue(gReportingSlot, reinterpret_cast<void*>(1)); }
  ~TReporting() { TlsSetValue(gReportingSlot, nullptr); }
  TReporting(const TReporting&) = delete;
  TReporting& operator=(const TReporting&) = delete;
};

void ReportHidden() {
  bool (*anyHandler)() = gAnyHandler.load();
  if (anyHandler == nullptr || gReportingSlot == TLS_OUT_OF_INDEXES) return;
  if (TlsGetValue(gReportingSlot) != nullptr) return;
  const TReporting reporting;
  try {
    if (!anyHandler()) return;
    const std::exception_ptr caught = std::current_exception();
    if (!caught) return;
    ReportException(ekHiddenException, &caught, 0, nullptr, 0, nullptr, cpHiddenException, nullptr, 0, 0, true);
  } catch (...) {
  }
}

}  // namespace

void SetHiddenExceptionWatch(bool (*anyHandler)()) { gAnyHandler.store(anyHandler); }

extern "C" {
void* __real___cxa_begin_catch(void* unwindHeader) noexcept;

// Every catch of a program linked with --wrap=__cxa_begin_catch comes here.
void* __wrap___cxa_begin_catch(void* unwindHeader) noexcept {
  void* object = __real___cxa_begin_catch(unwindHeader);
  ReportHidden();
  return object;
}
}
