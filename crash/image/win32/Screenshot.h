#pragma once
// Captures the screen for a bug report. Any thread; it draws nothing on the
// screen and holds no lock.
#include "crash/image/win32/INVBitmap.h"

// The virtual screen with the mouse cursor drawn in; with appOnly only the
// bounding rectangle of the process's visible, not minimised top-level
// windows, white wherever another window covers them. nullptr when there is
// nothing to capture or the system refuses a context, bitmap or region.
TINVBitmapRef Screenshot(bool appOnly);
