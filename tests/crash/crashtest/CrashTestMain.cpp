// The crash-test build of Ravelin: the real program with its crash
// reporter, plus the hidden trigger of CrashScenarios. The exception dialog
// is shown only with "/dialog" on the command line: the other scenarios
// check the path of a program that shows nothing.
#include <windows.h>

#include <cstring>

#include "app/RavelinMain.h"
#include "app/Startup.h"
#include "crash/adapter/win32/CrashReporter.h"
#include "crash/ui/dialog/win32/DialogAssistant.h"
#include "crash/ui/dialog/win32/ExceptionPresenter.h"
#include "framework/win32/Application.h"
#include "tests/crash/crashtest/CrashScenarios.h"

namespace {
void StartRavelinWithScenario() {
  Application->Initialize();
  Application->SetTitle(u"Ravelin");
  Application->CreateForm(RavelinMainForm);
  StartCrashScenario();
  Application->Run();
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (commandLine != nullptr && std::strstr(commandLine, "/dialog") != nullptr) {
    SetExceptionPresenter([](TIMEException& exception, IFlowEnvironment& environment) {
      return PresentException(exception, environment);
    });
    SetActionAssistant(&ProcessDialogAssistant());
  }
  TCrashReporterScope reporter;
  ArmCrashScenario(commandLine != nullptr ? commandLine : "");
  return RunWithFallback(StartRavelinWithScenario);
}
