// The crash-test build of Ravelin: the real program with its crash
// reporter, plus the hidden trigger of CrashScenarios.
#include <windows.h>

#include "app/RavelinMain.h"
#include "app/Startup.h"
#include "crash/adapter/win32/CrashReporter.h"
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
  TCrashReporterScope reporter;
  ArmCrashScenario(commandLine != nullptr ? commandLine : "");
  return RunWithFallback(StartRavelinWithScenario);
}
