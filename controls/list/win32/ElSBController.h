#pragma once
// The scroll bar controller: draws the window scroll bars of a host control
// itself. It takes over the part of the host's non-client area where the
// platform would put its bars (reserving, painting, hit testing, the mouse
// there), mirrors every change of the host's scroll information (the
// platform tells it, ElScrollInfoHook.h) and turns actions on its bars into
// the host's ordinary scroll messages.
//
// The host routes each message of its window through HandleCtrlMsgBefore
// first and handles it itself only when that returns false; the controller
// calls the host's WndProc again when it lets the host compute or paint its
// own frame, and then answers false. Main thread only.
#include <windows.h>
#include <uxtheme.h>

#include <functional>
#include <limits>
#include <memory>

#include "controls/list/win32/ElCtrlScrollBarStyles.h"
#include "framework/win32/Component.h"
#include "framework/win32/WinControl.h"

using TElPaintCrossScrollBarsAreaEvent =
    std::function<void(TObject* sender, TCanvas* canvas, const RECT& r, bool& defaultDraw)>;

class TElSBController : public TComponent {
 public:
  explicit TElSBController(TComponent* owner);
  ~TElSBController() override;
  std::string ClassName() const override { return "TElSBController"; }

  // Detaches from the previous host and attaches to control (null: detach only).
  void SetControl(TWinControl* control);
  TWinControl* Control() const { return FControl; }
  // A host is attached and the platform tells of its scroll changes.
  bool GetActive() const { return FActive; }

  TElCtrlScrollBarStyles* GetScrollBar(int index) const;
  TElCtrlScrollBarStyles* HorzScrollBarStyles() const { return FBars[0].get(); }
  TElCtrlScrollBarStyles* VertScrollBarStyles() const { return FBars[1].get(); }
  void SetHorzScrollBarStyles(TElCtrlScrollBarStyles* value) { FBars[0]->Assign(value); }
  void SetVertScrollBarStyles(TElCtrlScrollBarStyles* value) { FBars[1]->Assign(value); }

  bool UseXPThemes() const { return FUseXPThemes; }
  void SetUseXPThemes(bool value);
  TScrollBarTracking ScrollBarsTracking() const;
  void SetScrollBarsTracking(TScrollBarTracking value);
  bool IsThemeApplied() const;
  HTHEME Theme() const { return FTheme; }

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  bool Updating() const { return FUpdateCount > 0; }

  // Every message of the host's window comes here first; true when handled.
  bool HandleCtrlMsgBefore(TMessage& message);

  // Paints a bar (0 horizontal, 1 vertical, else both) on the host's window now.
  void PaintBars(int which);
  // Asks for a repaint of a bar; requests made before the host's next
  // message round are served together.
  void RequestRepaint(int which);
  // Makes the host compute and paint its frame again.
  void RecalcFrame();
  // A bar takes the mouse for a press or drag, and gives it back.
  void CaptureFor(TElSBHandlerCustom* bar);
  void ReleaseCaptureOf(TElSBHandlerCustom* bar);
  // The host's border widths found during its last frame calculation.
  const RECT& Borders() const { return FBorders; }

  TElPaintCrossScrollBarsAreaEvent OnPaintCrossScrollBarsArea;

 protected:
  // The class of the two bars.
  virtual std::unique_ptr<TElCtrlScrollBarStyles> CreateScrollBar(TElScrollBarKind kind);
  void Notification(TComponent* component, TOperation operation) override;
  void CreateBars();

 private:
  friend class TElSBHandlerCustom;
  void Detach();
  void Attach(TWinControl* control);
  void OpenTheme();
  void CloseTheme();
  // What a bar action does to the host.
  void ElSBScrollEvent(TElSBHandlerCustom* bar, TElScrollCode code, int& scrollPos, bool& doChange);
  // Calls the host's own handling of a message (the re-entrancy flag set).
  void CallHost(TMessage& message);
  void CallHostWithoutScrollStyles(TMessage& message);
  void WMNCCalcSize(TMessage& message);
  void WMNCPaint(TMessage& message);
  void ValidateFrame();
  bool WMNCHitTest(TMessage& message);
  bool MouseMessage(TMessage& message);
  void ElScrollBarRequest(TMessage& message);
  void PaintCorner(HDC dc);
  // Window coordinates of a screen point.
  POINT ScreenToWindow(POINT point) const;
  TElSBHandlerCustom* BarAt(POINT windowPoint) const;
  TElSBHandlerCustom* CapturingBar() const;
  bool VerticalOnLeft() const;

  TWinControl* FControl = nullptr;
  std::unique_ptr<TElCtrlScrollBarStyles> FBars[2];
  HTHEME FTheme = nullptr;
  bool FUseXPThemes = true;
  bool FActive = false;
  RECT FBorders{0, 0, 0, 0};
  HWND FPreviousCapture = nullptr;
  TElSBHandlerCustom* FCaptureBar = nullptr;
  int FUpdateCount = 0;
  bool FInHost = false;
  int FPendingRepaint = 0;  // bit 1: horizontal, bit 2: vertical
  bool FTrackingMouseLeave = false;
  // Per bar: the position a drag put into the platform itself because the
  // host did not follow the thumb (kNoDirectTrack when none).
  static constexpr int kNoDirectTrack = std::numeric_limits<int>::min();
  int FDirectTrack[2] = {kNoDirectTrack, kNoDirectTrack};
};

// The same controller with bars that send the host thumb-position while dragged.
class TElSBControllerTracking : public TElSBController {
 public:
  explicit TElSBControllerTracking(TComponent* owner);
  std::string ClassName() const override { return "TElSBControllerTracking"; }

 protected:
  std::unique_ptr<TElCtrlScrollBarStyles> CreateScrollBar(TElScrollBarKind kind) override;
};
