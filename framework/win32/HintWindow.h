#pragma once
// Hints: the small window that shows a control's short hint near the mouse,
// and the record a control may change before its hint shows (CM_HINTSHOW).
// A hint string is "short|long"; the hint window shows the short part, the
// application's Hint (and OnHint) carries the long part. A hint in the
// control set's Unicode encoding shows its narrow text here.
// Threads: the thread that uses it; the application's hint handling is the
// main thread's.
#include <functional>
#include <string>

#include "framework/win32/CustomControls.h"

// The text before the first '|', or all of it.
std::string GetShortHint(const std::string& hint);
// The text after the first '|', or all of it.
std::string GetLongHint(const std::string& hint);

class THintWindow;

// Sent with CM_HINTSHOW (LParam) to the control under the mouse before its
// hint shows; a Result other than 0 shows none.
struct THintInfo {
  TControl* HintControl = nullptr;
  POINT CursorPos{0, 0};   // in the control's client coordinates
  RECT CursorRect{0, 0, 0, 0};  // the hint stays while the mouse stays inside (client coordinates)
  POINT HintPos{0, 0};     // the window's top left corner, screen coordinates
  int HintMaxWidth = 0;
  std::string HintStr;     // the short hint to show
  int HideTimeout = 0;     // milliseconds; 0: the application's HintHidePause
  int ReshowTimeout = 0;   // milliseconds; when set, the hint is asked for again after it
};

class THintWindow : public TCustomControl {
 public:
  explicit THintWindow(TComponent* owner);
  std::string ClassName() const override { return "THintWindow"; }

  // The window's size for hint within maxWidth pixels (at screen origin).
  virtual RECT CalcHintRect(int maxWidth, const std::string& hint);
  // Shows hint in rect (screen coordinates) without taking the activation.
  virtual void ActivateHint(const RECT& rect, const std::string& hint);
  // Hides the window.
  void ReleaseHandle();
  bool Showing();
  // The text shown: the narrow part of the hint, widened.
  const WideString& ShownText() const { return FShown; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void WMNCHitTest(TMessage& message) override;

 private:
  WideString FShown;
};

using THintWindowFactory = std::function<THintWindow*(TComponent* owner)>;
