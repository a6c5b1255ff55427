#include "framework/win32/StdCtrls.h"

#include "framework/win32/Form.h"

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
  FParentColor = true;
  SetBounds(0, 0, 65, 13);
}

void TLabel::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Invalidate();
}

void TLabel::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  AdjustBounds();
}

void TLabel::AdjustBounds() {
  if (!FAutoSize) return;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FFont->Handle());
  RECT rect{0, 0, 0, 0};
  // An empty caption still takes one line's height.
  const WideString text = FText.empty() ? WideString(u" ") : FText;
  ::DrawTextW(dc, reinterpret_cast<LPCWSTR>(text.c_str()), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_LEFT | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  SetBounds(FLeft, FTop, rect.right, rect.bottom);
}

void TLabel::CMTextChanged(TMessage& message) {
  AdjustBounds();
  TGraphicControl::CMTextChanged(message);
}

void TLabel::CMFontChanged(TMessage& message) {
  AdjustBounds();
  TGraphicControl::CMFontChanged(message);
}

void TLabel::Paint() {
  TCanvas* canvas = Canvas();
  RECT rect = ClientRect();
  if (!FTransparent) {
    canvas->Brush()->SetColor(FColor);
    canvas->FillRect(rect);
  }
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->Assign(FFont.get());
  if (!FEnabled) canvas->Font()->SetColor(clGrayText);
  canvas->DrawText(FText, rect, DT_LEFT | DT_EXPANDTABS | DT_NOPREFIX);
}

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  FTabStop = true;
  FParentColor = true;
  SetBounds(0, 0, 75, 25);
}

void TButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.NativeClass = u"BUTTON";
  params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool value) {
  if (value == FDefault) return;
  FDefault = value;
  if (HandleAllocated()) SendMessageW(FHandle, BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (FModalResult != 0) {
    if (TForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  }
  TWinControl::Click();
}

bool IsPushButtonWindow(HWND window) {
  if (window == nullptr) return false;
  const LRESULT code = SendMessageW(window, WM_GETDLGCODE, 0, 0);
  return (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

bool TButton::DialogKey(WORD key, TShiftState shift) {
  if (!CanFocus()) return false;
  HWND focus = GetFocus();
  // The focused push button takes Enter; the default one takes it from any
  // control that is no push button.
  const bool active = focus == FHandle || (FDefault && !IsPushButtonWindow(focus));
  if ((key == VK_RETURN && active) || (key == VK_ESCAPE && FCancel)) {
    Click();
    return true;
  }
  return TWinControl::DialogKey(key, shift);
}

void TButton::Dispatch(TMessage& message) {
  if (message.Msg == CN_COMMAND) {
    if (HIWORD(message.WParam) == BN_CLICKED) Click();
    return;
  }
  TWinControl::Dispatch(message);
}
