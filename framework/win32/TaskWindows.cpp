#include "framework/win32/TaskWindows.h"

TDisabledTaskWindows::TDisabledTaskWindows(HWND except) : FExcept(except) {
  EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this));
}

TDisabledTaskWindows::~TDisabledTaskWindows() {
  for (HWND window : FDisabled)
    if (IsWindow(window)) EnableWindow(window, TRUE);
}

BOOL CALLBACK TDisabledTaskWindows::Disable(HWND window, LPARAM data) {
  auto* self = reinterpret_cast<TDisabledTaskWindows*>(data);
  if (window != self->FExcept && IsWindowVisible(window) && IsWindowEnabled(window)) {
    self->FDisabled.push_back(window);
    EnableWindow(window, FALSE);
  }
  return TRUE;
}
