#include "controls/edit/ElEditAction.h"

void TElAction::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TElAction*>(source)) {
    FKind = other->FKind;
    FStart = other->FStart;
    FEnd = other->FEnd;
    FText = other->FText;
    return;
  }
  TPersistent::Assign(source);
}

void TElActionList::AddAction(TElActionType kind, TElEditPoint start, const WideString& text, TElEditPoint end) {
  if (Locked()) return;
  PushItem(std::make_unique<TElAction>(kind, start, end, text));
}

void TElActionList::PushItem(std::unique_ptr<TElAction> action) {
  if (FMaxUndo > 0 && Count() >= FMaxUndo) FActions.pop_front();
  FActions.push_back(std::move(action));
}

std::unique_ptr<TElAction> TElActionList::PopItem() {
  if (FActions.empty()) return nullptr;
  std::unique_ptr<TElAction> top = std::move(FActions.back());
  FActions.pop_back();
  return top;
}

TElAction* TElActionList::PeekItem() const { return FActions.empty() ? nullptr : FActions.back().get(); }

void TElActionList::SetMaxUndo(int value) {
  if (value == FMaxUndo) return;
  if (value > 0)
    while (Count() > value) FActions.pop_front();
  FMaxUndo = value;
}
