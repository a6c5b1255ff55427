#pragma once
// How the thread hooks recognise the window framework's thread objects:
// their start routine and the class name of the object it is given. Any thread.
#include "crash/hooks/win32/ThreadCreationHooks.h"

TFrameworkThreadStart FrameworkThreadStart();
