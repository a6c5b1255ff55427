#include "framework/win32/UtilityWindow.h"

#include "framework/win32/Application.h"

namespace {
const wchar_t kUtilityClass[] = L"RavelinUtilityWindow";

LRESULT CALLBACK UtilityWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* handler = reinterpret_cast<TWindowHandler*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (handler == nullptr) return DefWindowProcW(window, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  try {
    (*handler)(message);
  } catch (...) {
    Application->HandleException(nullptr);
  }
  return message.Result;
}

void RegisterUtilityClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = UtilityWndProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kUtilityClass;
  RegisterClassW(&windowClass);
  registered = true;
}
}  // namespace

HWND AllocateHWnd(TWindowHandler handler, const wchar_t* title) {
  RegisterUtilityClass();
  // A hidden top-level window rather than a message-only one: it owns the
  // application's message boxes.
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kUtilityClass, title, WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return nullptr;
  SetWindowLongPtrW(window, GWLP_USERDATA,
                    reinterpret_cast<LONG_PTR>(new TWindowHandler(std::move(handler))));
  return window;
}

void DeallocateHWnd(HWND window) {
  if (window == nullptr) return;
  auto* handler = reinterpret_cast<TWindowHandler*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
  delete handler;
}
