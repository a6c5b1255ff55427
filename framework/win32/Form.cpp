#include "framework/win32/Form.h"

#include <algorithm>

#include "framework/win32/Application.h"
#include "framework/win32/TaskWindows.h"

namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;

// How much wider and higher than its client area a form's window is
// expected to be.
SIZE FrameSize() {
  RECT rect{0, 0, 0, 0};
  AdjustWindowRectEx(&rect, kFormStyle, FALSE, kFormExStyle);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

TForm* GetParentForm(TControl* control) {
  TControl* top = control;
  while (top != nullptr && top->Parent() != nullptr) top = top->Parent();
  return dynamic_cast<TForm*>(top);
}

TForm::TForm(TComponent* owner) : TWinControl(owner) {
  FVisible = false;
  FParentFont = false;
  FColor = clBtnFace;
  FBrush->SetColor(FColor);
  FWidth = 320;
  FHeight = 240;
  FClientWidth = 312;
  FClientHeight = 206;
}

TForm::~TForm() {
  if (FActiveControl != nullptr) RemoveFreeNotification(FActiveControl);
  if (FPopupParent != nullptr) RemoveFreeNotification(FPopupParent);
}

void TForm::SetPopupParent(TForm* value) {
  if (value == FPopupParent || value == this) return;
  if (FPopupParent != nullptr) RemoveFreeNotification(FPopupParent);
  FPopupParent = value;
  if (value != nullptr) FreeNotification(value);
  if (HandleAllocated())
    SetWindowLongPtrW(FHandle, GWLP_HWNDPARENT,
                      reinterpret_cast<LONG_PTR>(value != nullptr ? value->Handle() : nullptr));
}

int TForm::ClientWidth() { return HandleAllocated() ? TWinControl::ClientWidth() : FClientWidth; }

int TForm::ClientHeight() { return HandleAllocated() ? TWinControl::ClientHeight() : FClientHeight; }

void TForm::SetClientSize(int width, int height) {
  FSizedByBounds = false;
  FClientWidth = width;
  FClientHeight = height;
  if (!HandleAllocated()) {
    const SIZE frame = FrameSize();
    FWidth = width + frame.cx;
    FHeight = height + frame.cy;
    return;
  }
  // From the window's size now, whatever frame and size it has been given.
  RECT window;
  RECT client;
  GetWindowRect(FHandle, &window);
  GetClientRect(FHandle, &client);
  SetBounds(window.left, window.top, window.right - window.left + width - client.right,
            window.bottom - window.top + height - client.bottom);
}

void TForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style = kFormStyle;
  params.ExStyle = kFormExStyle;
  if (!FEnabled) params.Style |= WS_DISABLED;
  params.WndParent = FPopupParent != nullptr ? FPopupParent->Handle() : nullptr;
  if (!FSizedByBounds) {
    RECT rect{0, 0, FClientWidth, FClientHeight};
    AdjustWindowRectEx(&rect, params.Style, FALSE, params.ExStyle);
    params.Width = rect.right - rect.left;
    params.Height = rect.bottom - rect.top;
  }
  if (FPosition == poDefault || FPosition == poDefaultPosOnly) {
    params.X = CW_USEDEFAULT;
    params.Y = CW_USEDEFAULT;
  }
}

void TForm::CreateWnd() {
  TWinControl::CreateWnd();
  // The frame the system draws may differ from the computed one: the client
  // area gets its designed size whatever the frame.
  RECT client;
  GetClientRect(FHandle, &client);
  if (!FSizedByBounds && (client.right != FClientWidth || client.bottom != FClientHeight)) {
    RECT window;
    GetWindowRect(FHandle, &window);
    SetWindowPos(FHandle, nullptr, 0, 0, window.right - window.left + FClientWidth - client.right,
                 window.bottom - window.top + FClientHeight - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The bounds are the window's from now on, not the ones asked for before it
  // existed (the system may have placed or sized it otherwise).
  RECT window;
  GetWindowRect(FHandle, &window);
  FLeft = window.left;
  FTop = window.top;
  FWidth = window.right - window.left;
  FHeight = window.bottom - window.top;
}

void TForm::DestroyWnd() {
  // A new window gets the client size this one has now (a minimised one's
  // says nothing).
  if (!IsIconic(FHandle)) {
    RECT client;
    GetClientRect(FHandle, &client);
    FClientWidth = client.right;
    FClientHeight = client.bottom;
    FSizedByBounds = false;
  }
  TWinControl::DestroyWnd();
}

void TForm::ApplyBounds() {
  if (!HandleAllocated()) {
    // The window will have these bounds; the client size follows them.
    FSizedByBounds = true;
    const SIZE frame = FrameSize();
    FClientWidth = std::max<int>(0, FWidth - frame.cx);
    FClientHeight = std::max<int>(0, FHeight - frame.cy);
  }
  TWinControl::ApplyBounds();
}

void TForm::SetActiveControl(TWinControl* control) {
  if (control == FActiveControl) return;
  if (FActiveControl != nullptr) RemoveFreeNotification(FActiveControl);
  FActiveControl = control;
  if (control != nullptr) {
    FreeNotification(control);
    if (HandleAllocated() && GetActiveWindow() == FHandle && control->CanFocus()) control->SetFocus();
  }
}

void TForm::FocusChanged(TWinControl* control) {
  if (control == this || control == FActiveControl) return;
  if (FActiveControl != nullptr) RemoveFreeNotification(FActiveControl);
  FActiveControl = control;
  if (control != nullptr) FreeNotification(control);
}

void TForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == FActiveControl) FActiveControl = nullptr;
  if (operation == opRemove && component == FPopupParent) FPopupParent = nullptr;
}

void TForm::FocusActiveControl() {
  if (FActiveControl != nullptr && FActiveControl->CanFocus()) {
    FActiveControl->SetFocus();
  } else {
    SelectNext(nullptr, true);
  }
}

void TForm::CMVisibleChanged(TMessage& /*message*/) {
  if (FVisible) {
    DoShow();
    HandleNeeded();
    ApplyPosition();
    ShowWindow(FHandle, SW_SHOW);
    FocusActiveControl();
  } else {
    DoHide();
    if (HandleAllocated()) ShowWindow(FHandle, SW_HIDE);
  }
}

void TForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_CLOSE:
      Close();
      return;
    case WM_ACTIVATE:
      TWinControl::WndProc(message);
      if (LOWORD(message.WParam) != WA_INACTIVE && !HIWORD(message.WParam)) FocusActiveControl();
      return;
    case CM_RELEASE:
      delete this;
      return;
    default:
      TWinControl::WndProc(message);
  }
}

void TForm::ApplyPosition() {
  RECT area;
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT reference = area;
  HWND referenceWindow = nullptr;
  switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter: break;
    case poMainFormCenter:
      if (TForm* main = Application->MainForm(); main != nullptr && main != this && main->HandleAllocated())
        referenceWindow = main->Handle();
      break;
    case poOwnerFormCenter: referenceWindow = GetWindow(FHandle, GW_OWNER); break;
    default: return;
  }
  if (referenceWindow != nullptr && IsWindowVisible(referenceWindow)) GetWindowRect(referenceWindow, &reference);
  RECT window;
  GetWindowRect(FHandle, &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  int left = reference.left + (reference.right - reference.left - width) / 2;
  int top = reference.top + (reference.bottom - reference.top - height) / 2;
  // Kept on the work area, its top left corner first.
  left = std::max<int>(area.left, std::min<int>(left, area.right - width));
  top = std::max<int>(area.top, std::min<int>(top, area.bottom - height));
  SetBounds(left, top, width, height);
}

int TForm::ShowModal() {
  if (FVisible || !FEnabled || FModal) throw EInvalidOperation("Cannot make a visible window modal");
  HWND active = GetActiveWindow();
  HandleNeeded();
  HWND owner = FPopupParent != nullptr ? FPopupParent->Handle() : active;
  if (owner != nullptr && owner != FHandle) SetWindowLongPtrW(FHandle, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  FModalResult = mrNone;
  FModal = true;
  {
    TDisabledTaskWindows disabled(FHandle);
    try {
      Show();
      SetForegroundWindow(FHandle);
      do {
        Application->HandleMessage();
        if (Application->Terminated() && FModalResult == mrNone) FModalResult = mrCancel;
      } while (FModalResult == mrNone || !CloseModal());
    } catch (...) {
      FModal = false;
      Hide();
      throw;
    }
    FModal = false;
    // Hidden while the others are still disabled: the system then gives the
    // activation to no stranger.
    Hide();
  }
  if (active != nullptr && IsWindow(active)) SetActiveWindow(active);
  return FModalResult;
}

bool TForm::CloseModal() {
  if (Application->Terminated()) return true;
  if (!CloseQuery()) {
    FModalResult = mrNone;
    return false;
  }
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) {
    FModalResult = mrNone;
    return false;
  }
  if (action == caFree) Release();
  return true;
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::Close() {
  // A modal form closes through its modal loop.
  if (FModal) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  const bool isMain = Application->MainForm() == this;
  TCloseAction action = isMain ? caFree : caHide;
  DoClose(action);
  if (action == caNone) return;
  if (isMain) {
    Application->Terminate();
  } else if (action == caHide) {
    Hide();
  } else if (action == caMinimize) {
    ShowWindow(FHandle, SW_MINIMIZE);
  } else {
    Release();
  }
}

void TForm::Release() {
  if (HandleAllocated()) PostMessageW(FHandle, CM_RELEASE, 0, 0);
}

void TForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}
