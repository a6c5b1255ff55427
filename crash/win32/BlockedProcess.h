#pragma once
// Whether the process counts as blocked: some thread holds the system's
// loader lock or its process-environment lock. While blocked the reporter
// creates no threads, waits for nothing and shows no save dialog. Any thread.
#include <windows.h>

#include <functional>

// Looks again every 10 ms for up to waitMs; true when still blocked then.
bool ProcessIsBlocked(DWORD waitMs = 0);

// The same with the pause between two looks given (it is passed 10).
bool ProcessIsBlocked(DWORD waitMs, const std::function<void(DWORD ms)>& pause);
