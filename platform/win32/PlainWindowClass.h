#pragma once
// Registers, once per process, a window class of plain windows whose
// procedure is set per window after creation (the reporter's own dialog,
// boxes and forms): the button-face background and the given cursor.
#include <windows.h>

inline void RegisterPlainWindowClass(const char* name, LPCWSTR cursor) {
  WNDCLASSA existing{};
  if (GetClassInfoA(GetModuleHandleA(nullptr), name, &existing)) return;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, cursor);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = name;
  RegisterClassA(&windowClass);
}
