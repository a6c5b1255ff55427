#include "controls/check/win32/ElButtonControl.h"

#include "framework/UnicodeHint.h"
#include "framework/win32/ActnList.h"
#include "framework/win32/Application.h"
#include "platform/ScopeGuard.h"

UINT ParentControlRepaintedMessage() {
  static const UINT message = RegisterWindowMessageW(L"ElParentControlRepainted");
  return message;
}

TElButtonControl::TElButtonControl(TComponent* owner) : TElXPThemedControl(owner) {
  SetColor(clBtnFace);
  Font()->SetColor(clBtnText);
}

void TElButtonControl::SetHint(const WideString& value) {
  FHint = value;
  TElXPThemedControl::SetHint(value.empty() ? std::string() : EncodeUnicodeHint(value));
}

void TElButtonControl::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  if (HandleAllocated()) RecreateWnd();
}

void TElButtonControl::SetTextDrawType(TElTextDrawType value) {
  if (value == FTextDrawType) return;
  FTextDrawType = value;
  TextDrawTypeChanged();
}

void TElButtonControl::SetMoneyFlat(bool value) {
  if (value == FMoneyFlat) return;
  FMoneyFlat = value;
  Invalidate();
}

void TElButtonControl::SetMoneyFlatActiveColor(TColor value) {
  if (value == FMoneyFlatActiveColor) return;
  FMoneyFlatActiveColor = value;
  if (FMoneyFlat) Invalidate();
}

void TElButtonControl::SetMoneyFlatInactiveColor(TColor value) {
  if (value == FMoneyFlatInactiveColor) return;
  FMoneyFlatInactiveColor = value;
  if (FMoneyFlat) Invalidate();
}

void TElButtonControl::SetMoneyFlatDownColor(TColor value) {
  if (value == FMoneyFlatDownColor) return;
  FMoneyFlatDownColor = value;
  if (FMoneyFlat) Invalidate();
}

void TElButtonControl::CreateParams(TCreateParams& params) {
  TElXPThemedControl::CreateParams(params);
  if (FTransparent) params.ExStyle |= WS_EX_TRANSPARENT;
}

void TElButtonControl::WMEraseBkgnd(TMessage& message) {
  // Paint covers every pixel; erasing first would only flicker.
  message.Result = 1;
}

void TElButtonControl::NotifyRepainted() {
  // Transparent controls only listen: two of them over each other would
  // otherwise repaint each other without end.
  if (FTransparent || FParent == nullptr || !HandleAllocated()) return;
  RECT bounds = BoundsRect();
  for (int i = 0; i < FParent->ControlCount(); ++i) {
    auto* sibling = dynamic_cast<TElButtonControl*>(FParent->Controls(i));
    if (sibling != nullptr && sibling != this && sibling->FTransparent && sibling->HandleAllocated())
      SendMessageW(sibling->Handle(), ParentControlRepaintedMessage(), reinterpret_cast<WPARAM>(&bounds),
                   reinterpret_cast<LPARAM>(FHandle));
  }
}

void TElButtonControl::WndProc(TMessage& message) {
  if (message.Msg == CM_HINTSHOW) {
    CMHintShow(*reinterpret_cast<THintInfo*>(message.LParam));
    message.Result = 0;
    return;
  }
  if (message.Msg == ParentControlRepaintedMessage() && message.Msg != 0) {
    if (FTransparent && reinterpret_cast<HWND>(message.LParam) != FHandle && HandleAllocated()) {
      RECT repainted = *reinterpret_cast<const RECT*>(message.WParam);
      RECT bounds = BoundsRect();
      RECT both;
      if (IntersectRect(&both, &repainted, &bounds)) {
        OffsetRect(&both, -FLeft, -FTop);
        InvalidateRect(FHandle, &both, FALSE);
        UpdateWindow(FHandle);
      }
    }
    message.Result = 0;
    return;
  }
  if (message.Msg == WM_WINDOWPOSCHANGED && FTransparent) {
    TElXPThemedControl::WndProc(message);
    Invalidate();
    return;
  }
  TElXPThemedControl::WndProc(message);
}

void TElButtonControl::CMHintShow(THintInfo& info) {
  if (FHint.empty()) {
    info.HintStr.clear();
    return;
  }
  WideString text = FHint;
  // The framework asks for the short part: give the short part of the wide hint.
  if (info.HintStr == GetShortHint(TElXPThemedControl::Hint())) text = text.substr(0, text.find(u'|'));
  auto* action = dynamic_cast<TAction*>(Action());
  if (action != nullptr && Application != nullptr && Application->HintShortCuts()) {
    // A key without a name would only add empty brackets.
    const WideString shortCut = ShortCutToText(action->ShortCut());
    if (!shortCut.empty()) text += u" (" + shortCut + u")";
  }
  info.HintStr = EncodeUnicodeHint(text);
}

void TElButtonControl::ActionChange(TBasicAction* sender, bool checkDefaults, TActionProperties which) {
  auto* action = dynamic_cast<TAction*>(sender);
  if (action == nullptr) return;
  if ((which & apCaption) && (!checkDefaults || Caption().empty())) SetCaption(action->Caption());
  if ((which & apHint) && (!checkDefaults || FHint.empty())) SetHint(action->Hint());
  if ((which & apChecked) && (!checkDefaults || !GetChecked())) {
    FActionUpdating = true;
    auto done = OnScopeExit([this] { FActionUpdating = false; });
    SetChecked(action->Checked());
  }
  ApplyActionStates(sender, checkDefaults, which);
}

void TElButtonControl::ReportCheckedToAction() {
  if (FActionUpdating) return;
  if (auto* action = dynamic_cast<TAction*>(Action())) action->SetChecked(GetChecked());
}
