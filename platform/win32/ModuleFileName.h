#pragma once
// The full path of a loaded module's file, however long it is. Any thread.
#include <windows.h>

#include <string>

#include "platform/WideString.h"

// The path as the system holds it, in UTF-16.
WideString ModuleFilePath(HMODULE module);

// Empty when the module is not loaded (or the path cannot be had); null
// names the executable.
std::string ModuleFileName(HMODULE module);

// The path without its directory ("Ravelin.exe").
std::string ModuleFileNameOnly(HMODULE module);
