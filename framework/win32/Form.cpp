#include "framework/win32/Form.h"

#include "framework/win32/Application.h"

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
}

int TForm::ClientWidth() { return HandleAllocated() ? TWinControl::ClientWidth() : FClientWidth; }

int TForm::ClientHeight() { return HandleAllocated() ? TWinControl::ClientHeight() : FClientHeight; }

void TForm::SetClientSize(int width, int height) {
  FClientWidth = width;
  FClientHeight = height;
  if (HandleAllocated()) {
    RECT client;
    GetClientRect(FHandle, &client);
    SetBounds(FLeft, FTop, FWidth + width - client.right, FHeight + height - client.bottom);
  }
}

void TForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  params.ExStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
  if (!FEnabled) params.Style |= WS_DISABLED;
  params.WndParent = nullptr;
  RECT rect{0, 0, FClientWidth, FClientHeight};
  AdjustWindowRectEx(&rect, params.Style, FALSE, params.ExStyle);
  params.Width = rect.right - rect.left;
  params.Height = rect.bottom - rect.top;
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
  if (client.right != FClientWidth || client.bottom != FClientHeight) {
    RECT window;
    GetWindowRect(FHandle, &window);
    SetWindowPos(FHandle, nullptr, 0, 0, window.right - window.left + FClientWidth - client.right,
                 window.bottom - window.top + FClientHeight - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
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

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::Close() {
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
