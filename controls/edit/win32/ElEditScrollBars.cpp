// The custom scroll bars of a multi-line edit: made with the control,
// attached while its window exists, and given each message of the window
// first. Kept apart from the model's header, whose scroll codes share names
// with the bars'.
#include "controls/edit/win32/ElEdit.h"
#include "controls/list/win32/ElSBController.h"

TElCtrlScrollBarStyles* TCustomElEdit::HorzScrollBarStyles() const { return FController->HorzScrollBarStyles(); }
TElCtrlScrollBarStyles* TCustomElEdit::VertScrollBarStyles() const { return FController->VertScrollBarStyles(); }

void TCustomElEdit::SetUseCustomScrollBars(bool value) {
  if (value == FUseCustomScrollBars) return;
  FUseCustomScrollBars = value;
  RecreateWnd();
}

void TCustomElEdit::AttachScrollBars() {
  if (FController == nullptr) {
    FController = new TElSBController(this);
    FController->SetUseXPThemes(UseXPThemes());
  }
  if (!FUseCustomScrollBars || !HandleAllocated()) return;
  FController->SetControl(this);
  // Without notification of scroll changes the platform's bars serve.
  if (!FController->GetActive()) {
    FUseCustomScrollBars = false;
    FController->SetControl(nullptr);
  }
}

void TCustomElEdit::DetachScrollBars() {
  if (FController != nullptr) FController->SetControl(nullptr);
}

bool TCustomElEdit::ScrollBarsTakeMessage(TMessage& message) {
  return FUseCustomScrollBars && FController != nullptr && FController->Control() == this &&
         FController->HandleCtrlMsgBefore(message);
}
