#include "app/InterimControls.h"

// --- TInterimButtonEdit -----------------------------------------------------

TInterimButtonEdit::TInterimButtonEdit(TComponent* owner) : TWinControl(owner) {
  FTabStop = true;
  FColor = clWindow;
  FBrush->SetColor(FColor);
  SetBounds(0, 0, 121, 21);
  FButton = new TButton(this);
  FButton->SetTabStop(false);
  FButton->SetCaption(u"Browse");
  FButton->SetParent(this);
  FButton->OnClick = [this](TObject*) {
    if (OnButtonClick) OnButtonClick(this);
  };
  PlaceButton();
}

void TInterimButtonEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.NativeClass = u"EDIT";
  params.Style |= ES_AUTOHSCROLL | WS_CLIPCHILDREN;
  params.ExStyle |= WS_EX_CLIENTEDGE;
  params.Cursor = LoadCursorW(nullptr, IDC_IBEAM);
}

void TInterimButtonEdit::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageW(FHandle, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELONG(0, FButtonWidth + 1));
  PlaceButton();
}

void TInterimButtonEdit::SetButtonWidth(int value) {
  if (value < 0 || value == FButtonWidth) return;
  FButtonWidth = value;
  if (HandleAllocated()) SendMessageW(FHandle, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELONG(0, FButtonWidth + 1));
  PlaceButton();
}

void TInterimButtonEdit::PlaceButton() {
  FButton->SetBounds(ClientWidth() - FButtonWidth, 0, FButtonWidth, ClientHeight());
}

void TInterimButtonEdit::WMSize(TMessage& message) {
  TWinControl::WMSize(message);
  PlaceButton();
}

void TInterimButtonEdit::CMEnabledChanged(TMessage& message) {
  TWinControl::CMEnabledChanged(message);
  FButton->SetEnabled(FEnabled);
}
