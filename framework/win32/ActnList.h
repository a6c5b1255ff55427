#pragma once
// Actions: a command with its caption, hint, shortcut and states, shared by
// the controls linked to it. The action tells every linked control (through
// its link) of each change, and executing a linked control's click runs the
// action's OnExecute. An action going away leaves its links unlinked, never
// dangling. Main thread only, like the controls that link to it.
#include <vector>

#include "framework/win32/Component.h"
#include "platform/WideString.h"

// A key code (low byte) with Shift, Ctrl and Alt bits; 0 means none.
using TShortCut = unsigned short;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut ShortCut(unsigned char key, TShortCut modifiers) { return static_cast<TShortCut>(key | modifiers); }
// "Ctrl+S", "Shift+Alt+F5", "Del"; empty for 0 or a key without a name.
WideString ShortCutToText(TShortCut shortCut);

class TBasicAction;

// Which properties of an action changed (or are to be taken over).
enum TActionProperty : unsigned {
  apCaption = 1, apChecked = 2, apEnabled = 4, apVisible = 8, apHelpContext = 16, apHint = 32, apShortCut = 64,
  apAll = 127
};
using TActionProperties = unsigned;

// A client's view of one action; the action calls Change after each change
// of its properties, naming the changed ones, so that a client only takes
// what changed and keeps what it set itself.
class TBasicActionLink {
 public:
  TBasicActionLink() = default;
  TBasicActionLink(const TBasicActionLink&) = delete;
  TBasicActionLink& operator=(const TBasicActionLink&) = delete;
  virtual ~TBasicActionLink();

  TBasicAction* Action() const { return FAction; }
  void SetAction(TBasicAction* value);

 protected:
  virtual void Change(TActionProperties /*changed*/) {}

 private:
  friend class TBasicAction;
  TBasicAction* FAction = nullptr;
};

class TBasicAction : public TComponent {
 public:
  explicit TBasicAction(TComponent* owner) : TComponent(owner) {}
  ~TBasicAction() override;
  std::string ClassName() const override { return "TBasicAction"; }

  // Runs OnExecute; false when there is none (the caller then handles the
  // click itself).
  virtual bool Execute();
  TNotifyEvent OnExecute;

  int ClientCount() const { return static_cast<int>(FClients.size()); }

 protected:
  // Tells every linked client of a change.
  void Change(TActionProperties changed);

 private:
  friend class TBasicActionLink;
  void RegisterChanges(TBasicActionLink* link);
  void UnRegisterChanges(TBasicActionLink* link);

  std::vector<TBasicActionLink*> FClients;
};

class TAction : public TBasicAction {
 public:
  explicit TAction(TComponent* owner) : TBasicAction(owner) {}
  std::string ClassName() const override { return "TAction"; }

  const WideString& Caption() const { return FCaption; }
  void SetCaption(const WideString& value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int value);
  const WideString& Hint() const { return FHint; }
  void SetHint(const WideString& value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut value);

 private:
  template <class T>
  void Store(T& field, const T& value, TActionProperty property);

  WideString FCaption;
  WideString FHint;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  int FHelpContext = 0;
  TShortCut FShortCut = 0;
};
