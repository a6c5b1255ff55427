#pragma once
// The framework's standard label and push button.
#include "framework/win32/CustomControls.h"

// A caption painted on the parent's window. With AutoSize (the default) its
// size follows the caption in its font.
class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* owner);
  std::string ClassName() const override { return "TLabel"; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);

 protected:
  void Paint() override;
  void CMTextChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;

 private:
  void AdjustBounds();

  bool FTransparent = false;
  bool FAutoSize = true;
};

// The platform's push button; a press (mouse, Space, or BM_CLICK) runs Click.
class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  std::string ClassName() const override { return "TButton"; }
  // Presses the button from code.
  void Click() override;
  bool Default() const { return FDefault; }
  void SetDefault(bool value);

 protected:
  void CreateParams(TCreateParams& params) override;
  void Dispatch(TMessage& message) override;

 private:
  bool FDefault = false;
};
