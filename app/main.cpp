// Entry point of Ravelin.exe. The command line is not looked at.
#include <windows.h>

#include "app/Startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunWithFallback(StartRavelin); }
