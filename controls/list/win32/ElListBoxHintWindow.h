#pragma once
// The window of the list box's line hint: one row's full text, in Unicode,
// on a single line. The hint strings it is given are in the control set's
// Unicode hint encoding; it shows their wide text. Main thread only.
#include "framework/win32/HintWindow.h"

class TElListBoxHintWindow : public THintWindow {
 public:
  explicit TElListBoxHintWindow(TComponent* owner) : THintWindow(owner) {}
  std::string ClassName() const override { return "TElListBoxHintWindow"; }

  RECT CalcHintRect(int maxWidth, const std::string& hint) override;
  void ActivateHint(const RECT& rect, const std::string& hint) override;
  const WideString& WideText() const { return FWideText; }

  // Told once when the window is hidden, by whatever hides it.
  TNotifyEvent OnHidden;

 protected:
  void Paint() override;
  void WndProc(TMessage& message) override;

 private:
  WideString FWideText;
};
