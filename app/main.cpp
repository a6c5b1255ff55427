// Entry point of Ravelin.exe. The command line is not looked at. The crash
// reporter runs for the whole life of the program, so that no exception
// leaves it unseen; an exception is shown in the reporter's dialog.
#include <windows.h>

#include "app/Startup.h"
#include "crash/adapter/win32/CrashReporter.h"
#include "crash/ui/dialog/win32/DialogAssistant.h"
#include "crash/ui/dialog/win32/ExceptionPresenter.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  SetExceptionPresenter([](TIMEException& exception, IFlowEnvironment& environment) {
    return PresentException(exception, environment);
  });
  SetActionAssistant(&ProcessDialogAssistant());
  TCrashReporterScope reporter;
  return RunWithFallback(StartRavelin);
}
