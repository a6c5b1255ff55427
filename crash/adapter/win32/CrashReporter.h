#pragma once
// Start-up and shutdown of the executable's crash reporter. Start-up, on the
// main thread before other threads run: take over the exception history of
// a process that restarted itself, read the settings, check the
// executable's checksum, apply the calibration records, open the
// thread-information list and, when the reporter is enabled, redirect the
// last-resort routines, start the handling thread, the main thread's window,
// the thread hooks, the freeze watch and the emergency reserve. Shutdown
// undoes all of it, in reverse.
#include <functional>

class IActionAssistant;
class IFlowEnvironment;
class TIMEException;

// False when the reporter is not running afterwards (not enabled, or its
// settings are not valid); the process goes on either way.
bool StartCrashReporter();
void StopCrashReporter();
bool CrashReporterRunning();

// The exception dialog's seam: shows an exception and applies the user's
// choice, answering false when it showed nothing. It is given the handling
// flow's contact with the process (handlers on the main thread, closing,
// restarting, the clipboard).
using TExceptionPresenter = std::function<bool(TIMEException&, IFlowEnvironment&)>;
void SetExceptionPresenter(TExceptionPresenter presenter);
// The assistant shown before a send, save or print action; null: none.
void SetActionAssistant(IActionAssistant* assistant);

// Starts the reporter for the lifetime of a scope (WinMain's).
class TCrashReporterScope {
 public:
  TCrashReporterScope() { StartCrashReporter(); }
  ~TCrashReporterScope() { StopCrashReporter(); }
  TCrashReporterScope(const TCrashReporterScope&) = delete;
  TCrashReporterScope& operator=(const TCrashReporterScope&) = delete;
};
