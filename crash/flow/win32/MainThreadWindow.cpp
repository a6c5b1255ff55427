#include "crash/flow/win32/MainThreadWindow.h"

#include "platform/ScopeGuard.h"

namespace {
const wchar_t kWindowClass[] = L"RavelinReporterMainThread";

enum : UINT {
  kProbeMessage = WM_USER + 1,
  kCallMessage,  // lParam: the const std::function<void()>* to run
  kPingMessage,  // wParam: the freeze watch's thread id
};

// The module that carries this code: its class is its own, beside another
// module's copy of the reporter.
HINSTANCE OwnModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&OwnModule), &module);
  return module;
}

// The pausing's hooks belong to another part of the reporter: what they throw stops here.
template <typename Hook>
bool RunHook(const Hook& hook) {
  try {
    return hook();
  } catch (...) {
    return false;
  }
}
}  // namespace

std::atomic<TMainThreadWindow*> TMainThreadWindow::FCurrent{nullptr};

std::unique_ptr<TMainThreadWindow> TMainThreadWindow::Create() {
  const HINSTANCE module = OwnModule();
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kWindowClass;
  if (RegisterClassW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  std::unique_ptr<TMainThreadWindow> owner(new TMainThreadWindow());
  // Message-only: no other program enumerates it or sends it broadcasts.
  owner->FWindow = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, owner.get());
  if (owner->FWindow == nullptr) return nullptr;
  return owner;
}

TMainThreadWindow::~TMainThreadWindow() {
  TMainThreadWindow* self = this;
  FCurrent.compare_exchange_strong(self, nullptr);
  SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
  DestroyWindow(FWindow);
}

void TMainThreadWindow::MakeCurrent() { FCurrent.store(this); }

void TMainThreadWindow::SetPauseHooks(TMainThreadPauseHooks hooks) {
  std::lock_guard<std::mutex> hold(FHooksLock);
  FHooks = std::move(hooks);
}

TMainThreadPauseHooks TMainThreadWindow::PauseHooks() {
  std::lock_guard<std::mutex> hold(FHooksLock);
  return FHooks;
}

bool TMainThreadWindow::Probe() const {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(FWindow, kProbeMessage, 0, 0, SMTO_NORMAL, kProbeTimeoutMs, &answer) != 0 &&
         answer == static_cast<DWORD_PTR>(kMainThreadAnswer);
}

bool TMainThreadWindow::Call(const std::function<void()>& call) {
  TMainThreadPauseHooks hooks;
  try {
    hooks = PauseHooks();
  } catch (...) {
    // Without the hooks a paused main thread fails the probe below.
  }
  // A paused main thread answers nothing: it is let go before the probe.
  const bool wasPaused = RunHook([&] { return hooks.LetGo && hooks.LetGo(); });
  auto pauseAgain = OnScopeExit([&] {
    if (wasPaused && hooks.PauseAgain)
      RunHook([&] {
        hooks.PauseAgain();
        return true;
      });
  });
  if (!Probe()) return false;
  return SendMessageW(FWindow, kCallMessage, 0, reinterpret_cast<LPARAM>(&call)) == 1;
}

bool TMainThreadWindow::PostPing(DWORD watchThreadId) const {
  return PostMessageW(FWindow, kPingMessage, watchThreadId, 0) != 0;
}

LRESULT TMainThreadWindow::RunCall(LPARAM call) {
  ++FCallDepth;
  auto leave = OnScopeExit([this] { --FCallDepth; });
  try {
    (*reinterpret_cast<const std::function<void()>*>(call))();
  } catch (...) {
    // The caller's handlers may fail; the main thread goes on with its messages.
  }
  return 1;
}

LRESULT CALLBACK TMainThreadWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_NCCREATE) {
      const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<TMainThreadWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
      case kProbeMessage:
        return kMainThreadAnswer;
      case kCallMessage:
        return self != nullptr && lParam != 0 ? self->RunCall(lParam) : 0;
      case kPingMessage:
        PostThreadMessageW(static_cast<DWORD>(wParam), WM_NULL, kMainThreadAnswer, kMainThreadAnswer);
        return 0;
      default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
  } catch (...) {
    return 0;
  }
}

bool CallOnMainThread(const std::function<void()>& call) {
  TMainThreadWindow* window = TMainThreadWindow::Current();
  return window != nullptr && window->Call(call);
}
