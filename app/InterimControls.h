#pragma once
// A stand-in for the control set's path entry (the button edit), built on
// the framework's controls. It offers exactly what the main window uses of
// the real one; it is to be replaced by the control set's own, not extended.
#include <functional>
#include <memory>

#include "framework/win32/CustomControls.h"
#include "framework/win32/StdCtrls.h"

// The platform's edit with a push button inside its right edge.
class TInterimButtonEdit : public TWinControl {
 public:
  explicit TInterimButtonEdit(TComponent* owner);
  std::string ClassName() const override { return "TInterimButtonEdit"; }
  TButton* Button() { return FButton; }
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int value);
  void SetButtonCaption(const WideString& value) { FButton->SetCaption(value); }

  TNotifyEvent OnButtonClick;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void WMSize(TMessage& message) override;
  void CMEnabledChanged(TMessage& message) override;

 private:
  void PlaceButton();

  TButton* FButton;  // owned as a component
  int FButtonWidth = 75;
};
