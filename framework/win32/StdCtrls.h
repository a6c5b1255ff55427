#pragma once
// The framework's standard label and push button.
// Threads: as TControl, the thread that made the window.
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

// The platform's push button; a press (mouse, Space, Enter while focused, or
// BM_CLICK) runs Click. Enter presses the Default button when the focus is
// on a control that is no push button; Escape presses the Cancel button.
class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  std::string ClassName() const override { return "TButton"; }
  // Presses the button from code.
  void Click() override;
  bool Default() const { return FDefault; }
  void SetDefault(bool value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool value) { FCancel = value; }
  // Set on the form (ending its modal showing) when the button is pressed; 0 for none.
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int value) { FModalResult = value; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void Dispatch(TMessage& message) override;
  bool DialogKey(WORD key, TShiftState shift) override;

 private:
  bool FDefault = false;
  bool FCancel = false;
  int FModalResult = 0;
};

// Whether a window is a push button by its own account (WM_GETDLGCODE).
bool IsPushButtonWindow(HWND window);
