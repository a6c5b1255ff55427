#pragma once
// A hidden window whose messages go to a handler, for objects that need a
// window without being controls (the application, timers). Exceptions from
// the handler are handed to the application, never to the system.
// Threads: the thread that made it; its handler runs on that thread's
// message loop.
#include <windows.h>

#include <functional>

#include "framework/win32/Messages.h"

using TWindowHandler = std::function<void(TMessage& message)>;

// The handler gets every message; it sets Result, or calls DefWindowProc.
HWND AllocateHWnd(TWindowHandler handler, const wchar_t* title = L"");
void DeallocateHWnd(HWND window);
