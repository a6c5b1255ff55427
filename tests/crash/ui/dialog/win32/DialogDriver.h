#pragma once
// Driving the exception dialog from a second thread while the test's thread
// runs it: waiting for its window, reading its buttons and pressing them.
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "crash/ui/dialog/win32/ExceptionBox.h"

// The visible dialog window other than skip (the previous one), or null
// after 20 s.
inline HWND WaitForDialog(HWND skip = nullptr) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < end) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, kExceptionBoxClass, nullptr)) != nullptr)
      if (window != skip && IsWindowVisible(window)) return window;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return nullptr;
}

inline HWND Button(HWND dialog, int code) { return GetDlgItem(dialog, kButtonIdBase + code); }

inline std::string TextOf(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

inline void Press(HWND dialog, int code) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kButtonIdBase + code, BN_CLICKED),
               reinterpret_cast<LPARAM>(Button(dialog, code)));
}

inline void PressKey(HWND dialog, WPARAM key) {
  HWND target = Button(dialog, dbContinue) != nullptr ? Button(dialog, dbContinue) : dialog;
  PostMessageA(target, WM_KEYDOWN, key, 1);
}

inline bool WaitGone(HWND window) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (IsWindow(window))
    if (std::chrono::steady_clock::now() > end)
      return false;
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return true;
}
