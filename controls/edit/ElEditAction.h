#pragma once
// The edit's undo records and the bounded stack that holds them. Main thread
// only: both belong to one edit.
#include <deque>
#include <memory>

#include "framework/Persistent.h"
#include "platform/WideString.h"

// A caret position: column inside a display row, global display-row index.
struct TElEditPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TElEditPoint& o) const { return X == o.X && Y == o.Y; }
  bool operator!=(const TElEditPoint& o) const { return !(*this == o); }
};

enum TElActionType : unsigned char {
  atInsert,
  atDelete,
  atLineBreak,
  atGroupBreak,
  atPaste,
  atBackSpace,
  atDeleteSel,
  atInsertSel
};

class TElAction : public TPersistent {
 public:
  TElAction() = default;
  TElAction(TElActionType kind, TElEditPoint start, TElEditPoint end, WideString text)
      : FKind(kind), FStart(start), FEnd(end), FText(std::move(text)) {}

  std::string ClassName() const override { return "TElAction"; }
  // From another action: all four fields.
  void Assign(TPersistent* source) override;

  TElActionType FKind = atInsert;
  TElEditPoint FStart;  // caret before the action
  TElEditPoint FEnd;    // where the action's text begins or ends, by kind
  WideString FText;
};

class TElActionList : public TPersistent {
 public:
  std::string ClassName() const override { return "TElActionList"; }

  // Records nothing while locked.
  void AddAction(TElActionType kind, TElEditPoint start, const WideString& text, TElEditPoint end);
  // Drops the oldest action first when the stack is full.
  void PushItem(std::unique_ptr<TElAction> action);
  // Null when empty.
  std::unique_ptr<TElAction> PopItem();
  TElAction* PeekItem() const;
  bool GetCanUndo() const { return !FActions.empty(); }
  void Clear() { FActions.clear(); }
  int Count() const { return static_cast<int>(FActions.size()); }
  // Oldest first.
  const TElAction& Item(int index) const { return *FActions.at(static_cast<std::size_t>(index)); }

  int MaxUndo() const { return FMaxUndo; }
  // Drops the oldest actions beyond the new limit; 0 means none.
  void SetMaxUndo(int value);

  void Lock() { ++FLockCount; }
  void UnLock() { if (FLockCount > 0) --FLockCount; }
  bool Locked() const { return FLockCount > 0; }

 private:
  std::deque<std::unique_ptr<TElAction>> FActions;  // oldest at the front
  int FMaxUndo = 0;
  int FLockCount = 0;
};
