#include "framework/win32/Application.h"

#include <vector>

#include "framework/UnicodeHint.h"
#include "framework/win32/Control.h"
#include "framework/win32/Form.h"
#include "framework/win32/TaskWindows.h"
#include "framework/win32/Thread.h"
#include "framework/win32/UtilityWindow.h"
#include "framework/win32/WinControl.h"
#include "platform/CodePage.h"
#include "platform/win32/ModuleFileName.h"

namespace {
LPCWSTR W(const WideString& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

WideString ModuleBaseName() {
  WideString name = ModuleFilePath(nullptr);
  const size_t slash = name.find_last_of(u"\\/");
  if (slash != WideString::npos) name.erase(0, slash + 1);
  const size_t dot = name.find_last_of(u'.');
  if (dot != WideString::npos) name.erase(dot);
  return name;
}

void PostWakeUp() {
  if (Application != nullptr && Application->Handle() != nullptr)
    PostMessageW(Application->Handle(), WM_NULL, 0, 0);
}

constexpr UINT_PTR kHintTimer = 1;
constexpr UINT_PTR kHideTimer = 2;

TApplication gApplication;
}  // namespace

TApplication* Application = &gApplication;

std::string ExceptionDisplayText(const std::string& message) {
  std::string text = message;
  if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
    text += '.';
  return text;
}

TApplication::TApplication() : TComponent(nullptr), FTitle(ModuleBaseName()) {
  FHandle = AllocateHWnd([this](TMessage& message) { WndProc(message); }, W(FTitle));
  WakeMainThread = PostWakeUp;
}

TApplication::~TApplication() {
  WakeMainThread = nullptr;
  FHintWindow.reset();
  SetHintControl(nullptr);
  DestroyComponents();
  DeallocateHWnd(FHandle);
  FHandle = nullptr;
}

void TApplication::Initialize() {}

void TApplication::SetTitle(const WideString& value) {
  if (value == FTitle) return;
  FTitle = value;
  if (FHandle != nullptr) SetWindowTextW(FHandle, W(FTitle));
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FMainForm) FMainForm = nullptr;
  if (operation == opRemove && component == FHintControl) {
    FHintControl = nullptr;
    HideHint();
  }
}

void TApplication::WndProc(TMessage& message) {
  if (message.Msg == WM_NULL) {
    CheckSynchronize();
    return;
  }
  if (message.Msg == WM_TIMER && (message.WParam == kHintTimer || message.WParam == kHideTimer)) {
    KillTimer(FHandle, message.WParam);
    if (message.WParam == kHintTimer)
      HintTimerExpired();
    else
      CancelHint();
    return;
  }
  message.Result = DefWindowProcW(FHandle, message.Msg, message.WParam, message.LParam);
}

void TApplication::Run() {
  if (FMainForm == nullptr) return;
  FMainForm->Show();
  do {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  } while (!FTerminated);
}

bool TApplication::IsKeyMsg(const MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  // What a control must claim (WM_GETDLGCODE) to get the key for itself.
  LRESULT claim = 0;
  switch (msg.wParam) {
    case VK_TAB: claim = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: claim = DLGC_WANTARROWS; break;
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_EXECUTE:
    case VK_CANCEL: break;
    default: return false;
  }
  // A native window inside one of our controls counts as that control.
  TWinControl* control = nullptr;
  for (HWND window = msg.hwnd; window != nullptr && control == nullptr; window = GetParent(window))
    control = TWinControl::FindControl(window);
  if (control == nullptr) return false;
  const LRESULT code =
      SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
  if (code & (claim | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
  TWinControl* root = control;
  while (root->Parent() != nullptr) root = root->Parent();
  return root->Perform(CM_DIALOGKEY, msg.wParam) != 0;
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  if (GetCurrentThreadId() == MainThreadID) HintMouseMessage(msg);
  if (!IsKeyMsg(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

// --- Hints --------------------------------------------------------------------

void TApplication::SetShowHint(bool value) {
  if (value == FShowHint) return;
  FShowHint = value;
  if (!value) {
    HideHint();
    FHintWindow.reset();
  }
}

void TApplication::SetHint(const std::string& value) {
  if (value == FHint) return;
  FHint = value;
  if (OnHint) OnHint(this);
}

void TApplication::SetHintControl(TControl* control) {
  if (control == FHintControl) return;
  if (FHintControl != nullptr) RemoveFreeNotification(FHintControl);
  FHintControl = control;
  if (control != nullptr) FreeNotification(control);
}

TControl* TApplication::ControlUnderMouse(POINT screen) {
  TWinControl* windowed = nullptr;
  for (HWND window = WindowFromPoint(screen); window != nullptr && windowed == nullptr; window = GetParent(window))
    windowed = TWinControl::FindControl(window);
  if (windowed == nullptr) return nullptr;
  POINT client = screen;
  ScreenToClient(windowed->Handle(), &client);
  TControl* graphic = windowed->ControlAtPos(client);
  return graphic != nullptr ? graphic : windowed;
}

void TApplication::HintMouseMessage(const MSG& msg) {
  switch (msg.message) {
    case WM_MOUSEMOVE: break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEWHEEL:
    case WM_NCLBUTTONDOWN:
      if (FHintControl != nullptr) CancelHint();
      return;
    default: return;
  }
  POINT screen = msg.pt;
  TControl* control = ControlUnderMouse(screen);
  if (FHintWindow != nullptr && FHintWindow.get() == control) return;
  if (control != FHintControl) {
    const bool wasShown = FHintShown;
    HideHint();
    FHintCancelled = false;
    SetHintControl(control);
    SetHint(control != nullptr ? GetLongHint(control->Hint()) : std::string());
    if (control != nullptr) StartHintTimer(kHintTimer, wasShown ? FHintShortPause : FHintPause);
    return;
  }
  if (FHintShown && control != nullptr) {
    const POINT client = control->ScreenToClient(screen);
    if (!PtInRect(&FHintCursorRect, client)) {
      // Another part of the same control: its hint may differ.
      HideHint();
      StartHintTimer(kHintTimer, FHintShortPause);
    }
  }
}

void TApplication::StartHintTimer(UINT_PTR id, int ms) {
  if (FHandle != nullptr) SetTimer(FHandle, id, static_cast<UINT>(ms > 0 ? ms : 1), nullptr);
}

void TApplication::HintTimerExpired() {
  POINT cursor;
  if (FHintControl == nullptr || FHintCancelled || !GetCursorPos(&cursor)) return;
  if (ControlUnderMouse(cursor) != FHintControl) return;
  ActivateHint(cursor);
}

void TApplication::ActivateHint(POINT cursorPos) {
  TControl* control = ControlUnderMouse(cursorPos);
  if (control == nullptr) return;
  if (control != FHintControl) SetHintControl(control);
  if (!FShowHint || !control->ShowHint()) return;
  THintInfo info;
  info.HintControl = control;
  info.CursorPos = control->ScreenToClient(cursorPos);
  info.CursorRect = control->ClientRect();
  info.HintStr = GetShortHint(control->Hint());
  info.HintMaxWidth = GetSystemMetrics(SM_CXSCREEN);
  // Below the cursor's picture.
  info.HintPos = POINT{cursorPos.x, cursorPos.y + GetSystemMetrics(SM_CYCURSOR) * 3 / 4};
  info.HideTimeout = FHintHidePause;
  if (control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0) return;
  if (NarrowHintPart(info.HintStr).empty()) return;
  if (FHintWindow == nullptr) {
    FHintWindow.reset(HintWindowClass ? HintWindowClass(nullptr) : new THintWindow(nullptr));
    if (FHintWindow == nullptr) return;
  }
  RECT rect = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr);
  OffsetRect(&rect, info.HintPos.x, info.HintPos.y);
  FHintWindow->ActivateHint(rect, info.HintStr);
  FHintShown = true;
  FHintCursorRect = info.CursorRect;
  if (info.HideTimeout > 0) StartHintTimer(kHideTimer, info.HideTimeout);
  if (info.ReshowTimeout > 0) StartHintTimer(kHintTimer, info.ReshowTimeout);
}

void TApplication::HideHint() {
  if (FHandle != nullptr) {
    KillTimer(FHandle, kHintTimer);
    KillTimer(FHandle, kHideTimer);
  }
  if (FHintWindow != nullptr) FHintWindow->ReleaseHandle();
  FHintShown = false;
}

void TApplication::CancelHint() {
  HideHint();
  FHintCancelled = true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle();
}

void TApplication::Idle() {
  TControlCanvas::FreeDeviceContexts();
  bool done = true;
  // A modal window on another thread idles here too; OnIdle is the main thread's.
  if (OnIdle && GetCurrentThreadId() == MainThreadID) OnIdle(this, done);
  if (CheckSynchronize()) done = false;
  if (done) WaitMessage();
}

void TApplication::Terminate() { PostQuitMessage(0); }

int TApplication::MessageBox(const WideString& text, const WideString& caption, UINT flags) {
  HWND active = GetActiveWindow();
  HWND focus = GetFocus();
  int result;
  {
    TDisabledTaskWindows disabled(FHandle);
    result = ::MessageBoxW(FHandle, W(text), W(caption), flags);
  }
  if (active != nullptr && IsWindow(active)) SetActiveWindow(active);
  if (focus != nullptr && IsWindow(focus)) SetFocus(focus);
  return result;
}
