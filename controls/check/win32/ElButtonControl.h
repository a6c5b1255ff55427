#pragma once
// The base of the control set's windowed button-like controls (check box,
// radio button, the windowed twin of the graphic button): the wide caption
// with its accelerator, the wide hint in the set's hint encoding,
// transparency, the text effect and the "money flat" colour set. What
// "checked" means is the descendant's. Main thread only.
#include <string>

#include "controls/base/win32/ElXPThemedControl.h"
#include "controls/base/win32/ElTextDrawing.h"
#include "framework/win32/HintWindow.h"

// The message a control of the set sends its siblings after it repainted,
// so that transparent ones over it repaint too: WParam points to the
// repainted RECT in parent coordinates, LParam is the sender's window.
UINT ParentControlRepaintedMessage();

class TElButtonControl : public TElXPThemedControl {
 public:
  explicit TElButtonControl(TComponent* owner);
  std::string ClassName() const override { return "TElButtonControl"; }

  virtual bool GetChecked() = 0;
  virtual void SetChecked(bool value) = 0;
  bool Checked() { return GetChecked(); }

  // The wide hint; the framework gets it in the set's hint encoding.
  const WideString& Hint() const { return FHint; }
  void SetHint(const WideString& value);

  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool value);
  TElTextDrawType TextDrawType() const { return FTextDrawType; }
  void SetTextDrawType(TElTextDrawType value);

  bool MoneyFlat() const { return FMoneyFlat; }
  void SetMoneyFlat(bool value);
  TColor MoneyFlatActiveColor() const { return FMoneyFlatActiveColor; }
  void SetMoneyFlatActiveColor(TColor value);
  TColor MoneyFlatInactiveColor() const { return FMoneyFlatInactiveColor; }
  void SetMoneyFlatInactiveColor(TColor value);
  TColor MoneyFlatDownColor() const { return FMoneyFlatDownColor; }
  void SetMoneyFlatDownColor(TColor value);

 protected:
  const wchar_t* GetThemedClassName() const override { return L"BUTTON"; }
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
  void WMEraseBkgnd(TMessage& message) override;
  // Chooses the wide hint (or its short part) for the framework's hint window.
  virtual void CMHintShow(THintInfo& info);
  // Called when the text effect needs another size; the base repaints.
  virtual void TextDrawTypeChanged() { Invalidate(); }
  // Tells the siblings that this control repainted (for transparent ones).
  void NotifyRepainted();
  // Takes the linked action's caption, wide hint and checked state too.
  void ActionChange(TBasicAction* sender, bool checkDefaults, TActionProperties which) override;
  // After a user toggle: the linked action's Checked follows the control,
  // unless the action itself is what set the state.
  void ReportCheckedToAction();
  // True while a linked action sets Checked.
  bool ActionUpdating() const { return FActionUpdating; }

 private:
  WideString FHint;
  bool FActionUpdating = false;
  bool FTransparent = false;
  TElTextDrawType FTextDrawType = tdtNormal;
  bool FMoneyFlat = false;
  TColor FMoneyFlatActiveColor = clBlack;
  TColor FMoneyFlatInactiveColor = clBlack;
  TColor FMoneyFlatDownColor = clBlack;
};
