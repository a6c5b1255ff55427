#pragma once
// One custom scroll bar drawn in a host control's non-client area: its range,
// page and position mirrored from the platform, its geometry, its look, and
// the mouse on it (arrows and track with auto-repeat, thumb dragging with the
// track hint). The controller (ElSBController.h) places it, feeds it the
// host's mouse and scroll changes and turns its actions into the host's
// scroll messages. Main thread only.
#include <windows.h>

#include <functional>
#include <memory>

#include "controls/list/ElScrollBarGeometry.h"
#include "framework/win32/Component.h"
#include "framework/win32/Graphics.h"
#include "platform/WideString.h"

class TElSBController;
class TElScrollHintWindow;
class TTimer;

using TElScrollEvent = std::function<void(TObject* sender, TElScrollCode code, int& scrollPos, bool& doChange)>;
using TElScrollHintNeededEvent = std::function<void(TObject* sender, int trackPosition, WideString& hint)>;
using TElScrollHitTestEvent =
    std::function<void(TObject* sender, int x, int y, TElScrollBarPart& part, bool& defaultTest)>;
using TElScrollDrawPartEvent = std::function<void(TObject* sender, TCanvas* canvas, const RECT& r,
                                                  TElScrollBarPart part, bool enabled, bool focused,
                                                  bool pressed, bool& defaultDraw)>;

class TElSBHandlerCustom : public TPersistent {
 public:
  TElSBHandlerCustom(TElSBController* controller, TElScrollBarKind kind);
  ~TElSBHandlerCustom() override;
  std::string ClassName() const override { return "TElSBHandlerCustom"; }
  void Assign(TPersistent* source) override;

  TElScrollBarKind Kind() const { return FKind; }
  int BarIndex() const { return FKind == sbHorizontal ? SB_HORZ : SB_VERT; }

  // Range, page and position.
  int Min() const { return FRange.Min; }
  int Max() const { return FRange.Max; }
  int Page() const { return FRange.Page; }
  int Position() const { return FRange.Position; }
  int TrackPosition() const { return FTrackPos; }
  const TElScrollRange& Range() const { return FRange; }
  void SetPosition(int value);
  void SetMin(int value);
  void SetMax(int value);
  void SetPage(int value);
  // For hosts that drive the bar directly.
  void SetScrollInfo(const SCROLLINFO& info, bool redraw);
  // Mirrors the platform's information for the host window (info: the record
  // the host passed, used when the platform cannot be read back).
  void SyncScrollInfo(const SCROLLINFO& info, bool redraw);
  void SyncScrollInfoFromSystem(bool redraw);
  // Forgets the host's range: position and track position -1, thumb at 0.
  void Detach();

  // Geometry.
  bool GetVisible() const;
  void SetVisible(bool value);
  int GetDepth() const { return FDepth; }
  void SetDepth(int value);
  int GetButtonSize() const;
  int GetThumbSize() const;
  int GetAutoThumbSize() const;
  const RECT& BarRect() const { return FRect; }
  void SetBarRect(const RECT& rect);
  int Length() const { return FKind == sbHorizontal ? FRect.right - FRect.left : FRect.bottom - FRect.top; }
  int ThumbPos() const { return FLayout.ThumbStart; }
  const TElScrollBarLayout& Layout() const { return FLayout; }
  // Can scroll: the platform did not ask for a disabled bar and Min < Max.
  bool BarEnabled() const { return FEnabled; }
  void AdjustThumbPos();
  void UpdateThumbPos();
  // x, y relative to the bar.
  TElScrollBarPart GetHitTest(int x, int y);
  // The part under the mouse, the part pressed, and whether it is dragging.
  TElScrollBarPart MousePart() const { return FMousePart; }
  TElScrollBarPart PressedPart() const { return FPressedPart; }
  bool Dragging() const { return FDragging; }
  bool Hot() const { return FHot; }

  // Drawing.
  void Paint(TCanvas* canvas);
  void Paint(HDC dc, const RECT& rect);
  // Asks the host to repaint this bar.
  void Invalidate();
  // Takes the platform's scroll bar metrics (with UseSystemMetrics).
  void TakeSystemMetrics();

  // Mouse, in bar coordinates; the controller converts the host's messages.
  void MouseDown(int x, int y);
  void MouseMove(int x, int y);
  void MouseUp(int x, int y);
  void MouseLeave();
  // The host lost the mouse: any press or drag ends as a release outside.
  void CancelMode();
  bool Pressing() const { return FPressedPart != sbpNowhere; }

  // Published properties.
  bool ActiveFlat() const { return FActiveFlat; }
  void SetActiveFlat(bool value);
  bool AltDisablingArrows() const { return true; }
  void SetAltDisablingArrows(bool /*value*/) {}
  TColor ArrowColor() const { return FArrowColor; }
  void SetArrowColor(TColor value);
  TColor ArrowHotTrackColor() const { return FArrowHotTrackColor; }
  void SetArrowHotTrackColor(TColor value);
  TColor BarColor() const { return FBarColor; }
  void SetBarColor(TColor value);
  int BarOffset() const { return FBarOffset; }
  void SetBarOffset(int value);
  bool BlendBackground() const { return FBlendBackground; }
  void SetBlendBackground(bool value);
  int ButtonSize() const { return GetButtonSize(); }
  // The size used without system metrics.
  int FixedButtonSize() const { return FFixedButtonSize; }
  void SetButtonSize(int value);
  bool ChangeColorsOnScroll() const { return FChangeColorsOnScroll; }
  void SetChangeColorsOnScroll(bool value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  bool DrawArrowFrames() const { return FDrawArrowFrames; }
  void SetDrawArrowFrames(bool value);
  bool DrawBars() const { return FDrawBars; }
  void SetDrawBars(bool value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor value) { FHintColor = value; }
  TColor HintTextColor() const { return FHintTextColor; }
  void SetHintTextColor(TColor value) { FHintTextColor = value; }
  bool IsHTML() const { return FIsHTML; }
  void SetIsHTML(bool value) { FIsHTML = value; }
  int MinThumbSize() const { return FMinThumbSize; }
  void SetMinThumbSize(int value);
  bool NoDisableButtons() const { return FNoDisableButtons; }
  void SetNoDisableButtons(bool value);
  bool NoSunkenThumb() const { return FNoSunkenThumb; }
  void SetNoSunkenThumb(bool value);
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool value);
  bool SecondaryButtons() const { return FSecondaryButtons; }
  void SetSecondaryButtons(bool value);
  TElSecButtonsKind SecondBtnKind() const { return FSecondBtnKind; }
  void SetSecondBtnKind(TElSecButtonsKind value) { FSecondBtnKind = value; }
  bool ShowBorder() const { return FShowBorder; }
  void SetShowBorder(bool value);
  bool ShowLeftArrows() const { return FShowLeftArrows; }
  void SetShowLeftArrows(bool value);
  bool ShowRightArrows() const { return FShowRightArrows; }
  void SetShowRightArrows(bool value);
  bool ShowTrackHint() const { return FShowTrackHint; }
  void SetShowTrackHint(bool value) { FShowTrackHint = value; }
  int Step() const { return FStep; }
  void SetStep(int value) { FStep = value; }
  bool SystemBkColor() const { return FSystemBkColor; }
  void SetSystemBkColor(bool value);
  bool ThinFrame() const { return FThinFrame; }
  void SetThinFrame(bool value);
  TElScrollThumbMode ThumbMode() const { return FThumbMode; }
  void SetThumbMode(TElScrollThumbMode value);
  int ThumbSize() const { return FThumbSize; }
  void SetThumbSize(int value);
  bool UseSystemMetrics() const { return FUseSystemMetrics; }
  void SetUseSystemMetrics(bool value);
  bool UseSystemStep() const { return FUseSystemStep; }
  void SetUseSystemStep(bool value) { FUseSystemStep = value; }
  bool UseXPThemes() const { return FUseXPThemes; }
  void SetUseXPThemes(bool value);
  int Width() const { return GetDepth(); }
  void SetWidth(int value);
  bool Tracking() const { return FTracking; }
  void SetTracking(bool value) { FTracking = value; }

  TNotifyEvent OnChange;
  TElScrollEvent OnScroll;  // set by the controller
  TElScrollHintNeededEvent OnScrollHintNeeded;
  TElScrollHitTestEvent OnHitTest;
  TElScrollDrawPartEvent OnDrawPart;

 protected:
  virtual void TriggerChangeEvent();
  virtual void TriggerScrollEvent(TElScrollCode code, int& scrollPos, bool& doChange);
  virtual void TriggerScrollHintNeededEvent(int trackPosition, WideString& hint);
  virtual void TriggerHitTestEvent(int x, int y, TElScrollBarPart& part, bool& defaultTest);

 private:
  friend class TElScrollBarPainter;
  HWND HostWindow() const;
  // Repaints after a property of the look changed.
  void Changed();
  void Relayout();
  int SystemButtonSize() const;
  // Runs the action of the pressed part once.
  void FireAction(TElScrollBarPart part);
  void OnRepeatTimer(TObject* sender);
  void StartRepeat(unsigned interval);
  void StopRepeat();
  void DragTo(int along);
  void ShowTrackHintAt();
  void HideTrackHint();
  int Along(int x, int y) const { return FKind == sbHorizontal ? x : y; }
  int Across(int x, int y) const { return FKind == sbHorizontal ? y : x; }

  TElSBController* FController;
  TElScrollBarKind FKind;
  TElScrollRange FRange;
  int FTrackPos = -1;
  RECT FRect{0, 0, 0, 0};
  int FDepth;
  int FFixedButtonSize = 17;
  TElScrollBarLayout FLayout;
  bool FEnabled = false;
  bool FVisible = false;

  TElScrollBarPart FPressedPart = sbpNowhere;
  TElScrollBarPart FMousePart = sbpNowhere;
  TElScrollBarPart FFirstPart = sbpNowhere;
  bool FDragging = false;
  int FPressAlong = 0;
  int FPressPosition = 0;
  int FPressThumbStart = 0;
  int FGrabOffset = 0;
  bool FHot = false;
  std::unique_ptr<TTimer> FRepeatTimer;
  std::unique_ptr<TElScrollHintWindow> FHintWindow;

  bool FActiveFlat = false;
  TColor FArrowColor = clBtnText;
  TColor FArrowHotTrackColor = clHighlight;
  TColor FBarColor = clBtnShadow;
  int FBarOffset = 2;
  bool FBlendBackground = true;
  bool FChangeColorsOnScroll = true;
  TColor FColor = clBtnFace;
  bool FDrawArrowFrames = true;
  bool FDrawBars = true;
  bool FFlat = true;
  TColor FHintColor = clInfoBk;
  TColor FHintTextColor = clInfoText;
  bool FIsHTML = false;
  int FMinThumbSize = 12;
  bool FNoDisableButtons = false;
  bool FNoSunkenThumb = false;
  bool FOwnerDraw = false;
  bool FSecondaryButtons = false;
  TElSecButtonsKind FSecondBtnKind = sbkOpposite;
  bool FShowBorder = true;
  bool FShowLeftArrows = true;
  bool FShowRightArrows = true;
  bool FShowTrackHint = false;
  int FStep = 1;
  bool FSystemBkColor = true;
  bool FThinFrame = false;
  TElScrollThumbMode FThumbMode = etmAuto;
  int FThumbSize = 0;
  bool FUseSystemMetrics = true;
  bool FUseSystemStep = true;
  bool FUseXPThemes = true;
  bool FTracking = false;
};
