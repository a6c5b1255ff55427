#pragma once
// The full path of a loaded module's file, in the system code page, however
// long it is. Any thread.
#include <windows.h>

#include <string>

// Empty when the module is not loaded (or the path cannot be had); null
// names the executable.
std::string ModuleFileName(HMODULE module);

// The path without its directory ("Ravelin.exe").
std::string ModuleFileNameOnly(HMODULE module);
