#pragma once
// Tells a window of the control set of every change of its scroll range, page
// or position made through the platform's scroll-information calls, also by
// code inside the platform (a native list control sets its own). The entries
// of SetScrollInfo, SetScrollPos and SetScrollRange are patched in-process
// (through any import stub to the routine that does the work); each call for
// a standard bar of a window of the calling thread asks the window whether a
// scroll bar controller is attached and, if so, stores the change without
// letting the platform draw its bar and then sends the change to the window
// as WM_ELSCROLLBAR. Main thread for Install/Uninstall; the patched routines
// may be called from any thread (other threads' windows pass through as before).
#include <windows.h>

// The registered message of the control set's scroll bars; WParam selects the request.
UINT ElScrollBarMessage();
constexpr WPARAM kElSBQueryController = 1;  // answer: the attached controller, or 0
constexpr WPARAM kElSBRepaint = 2;          // LParam: 0 horizontal, 1 vertical, else both
constexpr WPARAM kElSBChange = 3;           // LParam: a TElScrollInfoChange

struct TElScrollInfoChange {
  int Bar;                 // SB_HORZ or SB_VERT
  const SCROLLINFO* Info;  // as passed (built for SetScrollPos and SetScrollRange)
  BOOL Redraw;
};

class TElScrollInfoHook {
 public:
  // Patches the three routines once per process; true when notification is
  // available. A failure is written to the debugger output and leaves it off.
  static bool Install();
  // Puts the routines back (those still holding our patch).
  static void Uninstall();
  static bool Installed();
};
