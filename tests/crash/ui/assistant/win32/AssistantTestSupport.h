#pragma once
// What the assistant tests share: an exception object over the test
// program's own settings and form resources, and finding a form window by
// its headline.
#include <windows.h>

#include <memory>
#include <string>

#include "crash/flow/TIMEException.h"
#include "crash/ui/assistant/win32/AssistantFormWindow.h"
#include "crash/win32/Win32SettingsEnvironment.h"

// Waits until the condition holds; false when it never does within a minute.
template <typename Condition>
bool Eventually(Condition condition) {
  for (int tries = 0; tries < 6000; ++tries) {
    if (condition()) return true;
    Sleep(10);
  }
  return condition();
}

// The control with the focus on the thread of the window.
inline HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

inline std::unique_ptr<TIMEException> MakeTestException() {
  TWin32SettingsEnvironment& environment = SystemSettingsEnvironment();
  auto settings = SettingsOfModule(environment, environment.ExecutableModule());
  return std::make_unique<TIMEException>(environment, settings, TExceptionParams{});
}

inline std::string ControlText(HWND control) {
  char text[1024] = "";
  GetWindowTextA(control, text, sizeof text);
  return text;
}

// The shown form window whose headline is that text; null when none is.
inline HWND FindShownForm(const std::string& headline) {
  for (HWND window = FindWindowExA(nullptr, nullptr, TAssistantFormWindow::kClassName, nullptr); window;
       window = FindWindowExA(nullptr, window, TAssistantFormWindow::kClassName, nullptr)) {
    if (IsWindowVisible(window) &&
        ControlText(GetDlgItem(window, TAssistantFormWindow::kHeadlineId)) == headline)
      return window;
  }
  return nullptr;
}
