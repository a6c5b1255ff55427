#pragma once
// The control set's check box: unchecked, checked and, with AllowGrayed,
// grayed. The user toggles it with the mouse, Space or the caption's
// accelerator (each raising OnClick); State, Checked and Enabled set from
// code only repaint. Main thread only.
#include "controls/check/win32/ElCheckItem.h"

class TElCheckBox : public TElCheckItem {
 public:
  explicit TElCheckBox(TComponent* owner);
  std::string ClassName() const override { return "TElCheckBox"; }

  bool GetChecked() override { return FState == cbChecked; }
  void SetChecked(bool value) override;
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool value);

  // The state after the one shown: unchecked, grayed (when allowed), checked.
  virtual void Toggle();
  void Click() override;

 protected:
  TCheckBoxState DrawState() override { return FState; }
  void DrawFlatFrame(TCanvas* canvas, const RECT& box, bool money) override;
  int ThemePart() const override;
  void DefineProperties(TFiler* filer) override;

 private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
};
