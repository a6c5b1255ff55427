// Entry point of Ravelin.exe. The command line is not looked at. The crash
// reporter runs for the whole life of the program, so that no exception
// leaves it unseen.
#include <windows.h>

#include "app/Startup.h"
#include "crash/adapter/win32/CrashReporter.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  TCrashReporterScope reporter;
  return RunWithFallback(StartRavelin);
}
