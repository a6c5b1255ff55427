#include "controls/list/win32/ElSBHandler.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "controls/list/win32/ElSBController.h"
#include "controls/list/win32/ElScrollHintWindow.h"
#include "framework/win32/Timer.h"

namespace {
// The keyboard's delay before repeating and its repeat interval, which the
// arrows and the track follow while held.
unsigned KeyboardDelay() {
  int delay = 1;
  SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
  return static_cast<unsigned>((std::clamp(delay, 0, 3) + 1) * 250);
}
unsigned KeyboardRepeatInterval() {
  DWORD speed = 31;
  SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
  // 0 is about 2.5 repeats a second, 31 about 30.
  const double perSecond = 2.5 + std::min<DWORD>(speed, 31) * (27.5 / 31.0);
  return static_cast<unsigned>(1000.0 / perSecond);
}
}  // namespace

TElSBHandlerCustom::TElSBHandlerCustom(TElSBController* controller, TElScrollBarKind kind)
    : FController(controller), FKind(kind) {
  FDepth = GetSystemMetrics(kind == sbHorizontal ? SM_CYHSCROLL : SM_CXVSCROLL);
  // A new bar is 121 pixels along, as deep as the system's bar.
  FRect = kind == sbHorizontal ? RECT{0, 0, 121, FDepth} : RECT{0, 0, FDepth, 121};
  Relayout();
}

TElSBHandlerCustom::~TElSBHandlerCustom() = default;

void TElSBHandlerCustom::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TElSBHandlerCustom*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  FActiveFlat = other->FActiveFlat;
  FArrowColor = other->FArrowColor;
  FArrowHotTrackColor = other->FArrowHotTrackColor;
  FBarColor = other->FBarColor;
  FBarOffset = other->FBarOffset;
  FBlendBackground = other->FBlendBackground;
  FFixedButtonSize = other->FFixedButtonSize;
  FChangeColorsOnScroll = other->FChangeColorsOnScroll;
  FColor = other->FColor;
  FDrawArrowFrames = other->FDrawArrowFrames;
  FDrawBars = other->FDrawBars;
  FFlat = other->FFlat;
  FHintColor = other->FHintColor;
  FHintTextColor = other->FHintTextColor;
  FIsHTML = other->FIsHTML;
  FMinThumbSize = other->FMinThumbSize;
  FNoDisableButtons = other->FNoDisableButtons;
  FNoSunkenThumb = other->FNoSunkenThumb;
  FOwnerDraw = other->FOwnerDraw;
  FSecondaryButtons = other->FSecondaryButtons;
  FSecondBtnKind = other->FSecondBtnKind;
  FShowBorder = other->FShowBorder;
  FShowLeftArrows = other->FShowLeftArrows;
  FShowRightArrows = other->FShowRightArrows;
  FShowTrackHint = other->FShowTrackHint;
  FStep = other->FStep;
  FSystemBkColor = other->FSystemBkColor;
  FThinFrame = other->FThinFrame;
  FThumbMode = other->FThumbMode;
  FThumbSize = other->FThumbSize;
  FUseSystemMetrics = other->FUseSystemMetrics;
  FUseSystemStep = other->FUseSystemStep;
  FUseXPThemes = other->FUseXPThemes;
  FDepth = other->FDepth;
  Relayout();
  if (FController != nullptr) FController->RecalcFrame();
}

HWND TElSBHandlerCustom::HostWindow() const {
  if (FController == nullptr || !FController->GetActive()) return nullptr;
  TWinControl* host = FController->Control();
  return host != nullptr && host->HandleAllocated() ? host->Handle() : nullptr;
}

// ---- range, page and position ----

void TElSBHandlerCustom::SetPosition(int value) {
  const int old = FRange.Position;
  FRange.Position = std::clamp(value, FRange.Min, std::max(FRange.Min, FRange.Max));
  AdjustThumbPos();
  if (FRange.Position != old) {
    // With NoDisableButtons the arrows look the same away from the ends.
    Invalidate();
  }
  int position = FRange.Position;
  bool doChange = true;
  TriggerScrollEvent(escPosition, position, doChange);
}

void TElSBHandlerCustom::SetMax(int value) {
  FRange.Max = std::max(value, FRange.Min);
  FRange.Page = std::min<int>(FRange.Page, FRange.Max - FRange.Min + 1);
  FRange.Position = std::clamp(FRange.Position, FRange.Min, FRange.Max);
  Relayout();
  Invalidate();
}

void TElSBHandlerCustom::SetMin(int value) {
  FRange.Min = value;
  FRange.Max = std::max(FRange.Max, FRange.Min);
  FRange.Page = std::min<int>(FRange.Page, FRange.Max - FRange.Min + 1);
  FRange.Position = std::clamp(FRange.Position, FRange.Min, FRange.Max);
  Relayout();
  Invalidate();
}

void TElSBHandlerCustom::SetPage(int value) {
  if (value < 0 || value == FRange.Page) return;
  FRange.Page = value;
  Relayout();
  Invalidate();
}

void TElSBHandlerCustom::SetScrollInfo(const SCROLLINFO& info, bool redraw) {
  if (info.cbSize < sizeof(SCROLLINFO)) return;
  const bool wasVisible = GetVisible();
  if (info.fMask & SIF_RANGE) {
    if (info.nMax >= info.nMin) {
      const bool inside = FRange.Position >= info.nMin && FRange.Position <= info.nMax;
      FRange.Min = info.nMin;
      FRange.Max = info.nMax;
      if (info.fMask & SIF_POS) FRange.Position = std::clamp(info.nPos, info.nMin, info.nMax);
      else if (!inside) FRange.Position = std::clamp(FRange.Position, info.nMin, info.nMax);
      if (info.fMask & SIF_PAGE) FRange.Page = static_cast<int>(info.nPage);
    }
  } else if (info.fMask & SIF_POS) {
    if (info.nPos >= FRange.Min && info.nPos <= FRange.Max) {
      FRange.Position = info.nPos;
      if (info.fMask & SIF_PAGE) FRange.Page = static_cast<int>(info.nPage);
    }
  } else if (info.fMask & SIF_PAGE) {
    FRange.Page = static_cast<int>(info.nPage);
  }
  FEnabled = FRange.Min < FRange.Max;
  Relayout();
  HWND host = HostWindow();
  if (redraw && host != nullptr) {
    if (GetVisible() != wasVisible) FController->RecalcFrame();
    else Invalidate();
  }
}

void TElSBHandlerCustom::SyncScrollInfo(const SCROLLINFO& passed, bool redraw) {
  SCROLLINFO info = passed;
  HWND host = HostWindow();
  SCROLLINFO current{sizeof current, SIF_ALL, 0, 0, 0, 0, 0};
  if (host != nullptr && ::GetScrollInfo(host, BarIndex(), &current)) {
    info.nMin = current.nMin;
    info.nMax = current.nMax;
    info.nPage = current.nPage;
    info.nPos = current.nPos;
    info.nTrackPos = current.nTrackPos;
  }
  // A bar that starts needing to scroll changes what the corner and the other bar look like.
  auto needsScrolling = [](const TElScrollRange& r) {
    return r.Max > r.Min && (r.Page <= 0 || int64_t(r.Max) - r.Min + 1 > r.Page);
  };
  const bool neededBefore = needsScrolling(FRange);
  const TElScrollRange rangeBefore = FRange;
  const int trackBefore = FTrackPos;
  const bool enabledBefore = FEnabled;
  if (info.fMask & SIF_RANGE) {
    FRange.Min = info.nMin;
    FRange.Max = info.nMax;
  }
  if (info.fMask & SIF_PAGE) FRange.Page = static_cast<int>(info.nPage);
  if (info.fMask & SIF_POS) FRange.Position = info.nPos;
  if (info.fMask & SIF_TRACKPOS) FTrackPos = info.nTrackPos;
  const bool switched = (info.fMask & SIF_RANGE) && !neededBefore && needsScrolling(FRange);
  const bool askedDisabled = (info.fMask & SIF_DISABLENOSCROLL) && !needsScrolling(FRange);
  FEnabled = !askedDisabled && FRange.Min < FRange.Max;
  Relayout();
  if (FController == nullptr) return;
  // A host that sets the same values after every change (an edit after each
  // keystroke) must not pay for a picture that stays as it was.
  const bool changed = FRange.Min != rangeBefore.Min || FRange.Max != rangeBefore.Max ||
                       FRange.Page != rangeBefore.Page || FRange.Position != rangeBefore.Position ||
                       FTrackPos != trackBefore || FEnabled != enabledBefore;
  if (redraw && changed) FController->RequestRepaint(switched ? 2 : BarIndex());
  else if (switched) FController->RequestRepaint(BarIndex() == SB_HORZ ? SB_VERT : SB_HORZ);
}

void TElSBHandlerCustom::SyncScrollInfoFromSystem(bool redraw) {
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  SyncScrollInfo(info, redraw);
}

void TElSBHandlerCustom::Detach() {
  StopRepeat();
  HideTrackHint();
  FPressedPart = FMousePart = FFirstPart = sbpNowhere;
  FDragging = false;
  FHot = false;
  FRange.Position = -1;
  FTrackPos = -1;
  Relayout();
  FLayout.ThumbStart = 0;
}

// ---- geometry ----

bool TElSBHandlerCustom::GetVisible() const {
  HWND host = HostWindow();
  if (host == nullptr) return FVisible;
  const LONG style = GetWindowLongW(host, GWL_STYLE);
  return (style & (FKind == sbHorizontal ? WS_HSCROLL : WS_VSCROLL)) != 0;
}

void TElSBHandlerCustom::SetVisible(bool value) {
  FVisible = value;
  HWND host = HostWindow();
  if (host != nullptr && GetVisible() != value) ShowScrollBar(host, BarIndex(), value ? TRUE : FALSE);
}

void TElSBHandlerCustom::SetDepth(int value) {
  if (value == FDepth || value < 0) return;
  // While attached, the system's metrics decide.
  if (FUseSystemMetrics && HostWindow() != nullptr) return;
  FDepth = value;
  if (FController != nullptr) FController->RecalcFrame();
}

void TElSBHandlerCustom::SetWidth(int value) { SetDepth(value); }

int TElSBHandlerCustom::SystemButtonSize() const {
  return GetSystemMetrics(FKind == sbHorizontal ? SM_CXHSCROLL : SM_CYVSCROLL);
}

int TElSBHandlerCustom::GetButtonSize() const {
  return FUseSystemMetrics ? SystemButtonSize() : FFixedButtonSize;
}

void TElSBHandlerCustom::SetButtonSize(int value) {
  // Two buttons must fit into the bar.
  if (value <= 0 || value * 2 > Length() || value == FFixedButtonSize) return;
  FFixedButtonSize = value;
  Relayout();
  Invalidate();
}

int TElSBHandlerCustom::GetAutoThumbSize() const {
  const int systemThumb = GetSystemMetrics(FKind == sbHorizontal ? SM_CXHTHUMB : SM_CYVTHUMB);
  return ElAutoThumbLength(FLayout.Track, FRange, systemThumb, FMinThumbSize);
}

int TElSBHandlerCustom::GetThumbSize() const { return FThumbMode == etmAuto ? GetAutoThumbSize() : FThumbSize; }

void TElSBHandlerCustom::SetBarRect(const RECT& rect) {
  FRect = rect;
  Relayout();
}

void TElSBHandlerCustom::Relayout() {
  const int thumbStart = FLayout.ThumbStart;
  FLayout = ElLayoutButtons(Length(), GetButtonSize(), ElArrowButtons(FShowLeftArrows, FSecondaryButtons),
                            ElArrowButtons(FShowRightArrows, FSecondaryButtons));
  FLayout.ThumbLength = GetThumbSize();
  if (FDragging) {
    FLayout.ThumbStart = thumbStart;  // the pointer holds the thumb
    return;
  }
  AdjustThumbPos();
}

void TElSBHandlerCustom::AdjustThumbPos() {
  if (FDragging) return;
  FLayout.ThumbStart = ElThumbStart(FLayout, FRange);
}

void TElSBHandlerCustom::UpdateThumbPos() {
  FRange.Position = ElPositionFromThumb(FLayout, FRange, FLayout.ThumbStart);
}

TElScrollBarPart TElSBHandlerCustom::GetHitTest(int x, int y) {
  TElScrollBarPart part = sbpNowhere;
  bool defaultTest = true;
  TriggerHitTestEvent(x, y, part, defaultTest);
  if (!defaultTest) return part;
  return ElHitTest(FLayout, FDepth, Along(x, y), Across(x, y));
}

void TElSBHandlerCustom::TakeSystemMetrics() {
  if (!FUseSystemMetrics) return;
  FDepth = GetSystemMetrics(FKind == sbHorizontal ? SM_CYHSCROLL : SM_CXVSCROLL);
  Relayout();
}

void TElSBHandlerCustom::Paint(TCanvas* canvas) { Paint(canvas->Handle(), RECT{0, 0, FRect.right - FRect.left, FRect.bottom - FRect.top}); }

void TElSBHandlerCustom::Invalidate() {
  if (FController != nullptr && HostWindow() != nullptr) FController->RequestRepaint(BarIndex());
}

void TElSBHandlerCustom::Changed() {
  Relayout();
  Invalidate();
}

// ---- mouse ----

void TElSBHandlerCustom::MouseDown(int x, int y) {
  const TElScrollBarPart part = GetHitTest(x, y);
  FMousePart = part;
  if (part == sbpNowhere || Pressing()) return;
  FFirstPart = part;
  if (part == sbpThumb) {
    if (!FEnabled || !ElCanDragThumb(FRange)) return;
    FDragging = true;
    FPressedPart = sbpThumb;
    FPressAlong = Along(x, y);
    FPressPosition = FRange.Position;
    FPressThumbStart = FLayout.ThumbStart;
    FGrabOffset = FPressAlong - FLayout.ThumbStart;
    FTrackPos = FRange.Position;
    FController->CaptureFor(this);
    if (FShowTrackHint) ShowTrackHintAt();
    Invalidate();
    return;
  }
  if (!FEnabled && !FNoDisableButtons) return;
  if (!ElPressAction(part, FRange, FStep, FSecondBtnKind, FNoDisableButtons).Active) return;
  FPressedPart = part;
  FController->CaptureFor(this);
  FireAction(part);
  StartRepeat(KeyboardDelay());
  Invalidate();
}

void TElSBHandlerCustom::FireAction(TElScrollBarPart part) {
  const TElScrollAction action = ElPressAction(part, FRange, FStep, FSecondBtnKind, FNoDisableButtons);
  if (!action.Active) return;
  const int before = FRange.Position;
  int position = action.Position;
  bool doChange = true;
  TriggerScrollEvent(action.Code, position, doChange);
  // The host's own notification may already have moved the bar: compare
  // with the position before the action.
  if (doChange && position != before) {
    FRange.Position = position;
    AdjustThumbPos();
    Invalidate();
    TriggerChangeEvent();
  }
}

void TElSBHandlerCustom::StartRepeat(unsigned interval) {
  if (!FRepeatTimer) {
    FRepeatTimer = std::make_unique<TTimer>(nullptr);
    FRepeatTimer->SetEnabled(false);
    FRepeatTimer->SetOnTimer([this](TObject* sender) { OnRepeatTimer(sender); });
  }
  FRepeatTimer->SetInterval(interval);
  FRepeatTimer->SetEnabled(true);
}

void TElSBHandlerCustom::StopRepeat() {
  if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
}

void TElSBHandlerCustom::OnRepeatTimer(TObject* /*sender*/) {
  try {
    FRepeatTimer->SetInterval(KeyboardRepeatInterval());
    if (FPressedPart == sbpNowhere || FDragging) {
      StopRepeat();
      return;
    }
    // A page action only while the pointer is still over that part of the
    // track (the thumb comes towards it), and only with a page to move by.
    const bool paging = FPressedPart == sbpLeftTop || FPressedPart == sbpRightBottom;
    if (paging && FRange.Page < 1) return;
    if (FMousePart != FPressedPart) {
      StopRepeat();
      return;
    }
    FireAction(FPressedPart);
    if (paging) FMousePart = ElHitTest(FLayout, FDepth, FPressAlong, 0);
  } catch (const std::exception& error) {
    OutputDebugStringA(("ERROR: OnScrollTimer (" + std::to_string(BarIndex()) + "): " + error.what()).c_str());
  }
}

void TElSBHandlerCustom::MouseMove(int x, int y) {
  if (FDragging) {
    DragTo(Along(x, y));
    return;
  }
  const TElScrollBarPart part = GetHitTest(x, y);
  const bool changed = part != FMousePart || !FHot;
  FMousePart = part;
  FHot = true;
  if (Pressing()) {
    FPressAlong = Along(x, y);
    // The repeat pauses while the pointer is over another part.
    if (part == FPressedPart && !(FRepeatTimer && FRepeatTimer->Enabled())) StartRepeat(KeyboardRepeatInterval());
    else if (part != FPressedPart) StopRepeat();
  }
  if (changed) Invalidate();
}

void TElSBHandlerCustom::DragTo(int along) {
  const int start = ElDragThumbStart(FLayout, along, FGrabOffset, FPressThumbStart);
  const bool moved = start != FLayout.ThumbStart;
  FLayout.ThumbStart = start;
  const int slack = FLayout.Length / 2;
  const bool farAway = along < -slack || along - FLayout.Length > slack;
  if (!farAway) {
    int position = ElPositionFromThumb(FLayout, FRange, start);
    if (position != FTrackPos) {
      bool doChange = true;
      FTrackPos = position;
      TriggerScrollEvent(escTrack, position, doChange);
    }
  } else {
    FTrackPos = FPressPosition;
  }
  if (FShowTrackHint) ShowTrackHintAt();
  if (moved) Invalidate();
}

void TElSBHandlerCustom::MouseUp(int x, int y) {
  StopRepeat();
  const TElScrollBarPart pressed = FPressedPart;
  const bool dragged = FDragging;
  FPressedPart = sbpNowhere;
  FFirstPart = sbpNowhere;
  FMousePart = GetHitTest(x, y);
  if (FController != nullptr) FController->ReleaseCaptureOf(this);
  if (pressed == sbpNowhere) return;
  if (dragged) {
    HideTrackHint();
    int position = ElPositionFromThumb(FLayout, FRange, FLayout.ThumbStart);
    FDragging = false;
    FTrackPos = -1;
    const int before = FRange.Position;
    bool doChange = true;
    TriggerScrollEvent(escPosition, position, doChange);
    if (doChange && position != before) {
      FRange.Position = position;
      TriggerChangeEvent();
    }
  } else {
    int position = FRange.Position;
    bool doChange = false;
    TriggerScrollEvent(escEndScroll, position, doChange);
  }
  AdjustThumbPos();
  Invalidate();
}

void TElSBHandlerCustom::MouseLeave() {
  if (!FHot && FMousePart == sbpNowhere) return;
  FHot = false;
  if (!Pressing()) FMousePart = sbpNowhere;
  Invalidate();
}

void TElSBHandlerCustom::CancelMode() {
  if (!Pressing()) return;
  // A release far outside: a drag goes back to where it began.
  const int outside = -10 * std::max(1, Length());
  if (FDragging) DragTo(outside);
  MouseUp(FKind == sbHorizontal ? outside : -1, FKind == sbHorizontal ? -1 : outside);
}

void TElSBHandlerCustom::ShowTrackHintAt() {
  HWND host = HostWindow();
  if (host == nullptr) return;
  WideString hint;
  const std::string number = std::to_string(FTrackPos);
  hint.assign(number.begin(), number.end());
  TriggerScrollHintNeededEvent(FTrackPos, hint);
  RECT window;
  GetWindowRect(host, &window);
  POINT at{window.left + FRect.left, window.top + FRect.top};
  // Beside the thumb's start: below a horizontal bar's thumb, right of a vertical one's.
  if (FKind == sbHorizontal) {
    at.x += FLayout.ThumbStart;
    at.y += FDepth + 2;
  } else {
    at.x += FDepth + 2;
    at.y += FLayout.ThumbStart;
  }
  if (!FHintWindow) FHintWindow = std::make_unique<TElScrollHintWindow>();
  FHintWindow->ShowAt(at, hint, FHintColor, FHintTextColor);
}

void TElSBHandlerCustom::HideTrackHint() {
  if (FHintWindow) FHintWindow->Hide();
}

// ---- events ----

void TElSBHandlerCustom::TriggerChangeEvent() {
  if (OnChange) OnChange(this);
}

void TElSBHandlerCustom::TriggerScrollEvent(TElScrollCode code, int& scrollPos, bool& doChange) {
  if (OnScroll) OnScroll(this, code, scrollPos, doChange);
}

void TElSBHandlerCustom::TriggerScrollHintNeededEvent(int trackPosition, WideString& hint) {
  if (OnScrollHintNeeded) OnScrollHintNeeded(this, trackPosition, hint);
}

void TElSBHandlerCustom::TriggerHitTestEvent(int x, int y, TElScrollBarPart& part, bool& defaultTest) {
  if (OnHitTest) OnHitTest(this, x, y, part, defaultTest);
}

// ---- property setters: store, lay out again when it matters, repaint ----

#define EL_SB_SETTER(Name, Type, Field) \
  void TElSBHandlerCustom::Set##Name(Type value) { \
    if (Field == value) return; \
    Field = value; \
    Changed(); \
  }
EL_SB_SETTER(ActiveFlat, bool, FActiveFlat)
EL_SB_SETTER(ArrowColor, TColor, FArrowColor)
EL_SB_SETTER(ArrowHotTrackColor, TColor, FArrowHotTrackColor)
EL_SB_SETTER(BarColor, TColor, FBarColor)
EL_SB_SETTER(BarOffset, int, FBarOffset)
EL_SB_SETTER(BlendBackground, bool, FBlendBackground)
EL_SB_SETTER(ChangeColorsOnScroll, bool, FChangeColorsOnScroll)
EL_SB_SETTER(Color, TColor, FColor)
EL_SB_SETTER(DrawArrowFrames, bool, FDrawArrowFrames)
EL_SB_SETTER(DrawBars, bool, FDrawBars)
EL_SB_SETTER(Flat, bool, FFlat)
EL_SB_SETTER(MinThumbSize, int, FMinThumbSize)
EL_SB_SETTER(NoDisableButtons, bool, FNoDisableButtons)
EL_SB_SETTER(NoSunkenThumb, bool, FNoSunkenThumb)
EL_SB_SETTER(OwnerDraw, bool, FOwnerDraw)
EL_SB_SETTER(SecondaryButtons, bool, FSecondaryButtons)
EL_SB_SETTER(ShowBorder, bool, FShowBorder)
EL_SB_SETTER(ShowLeftArrows, bool, FShowLeftArrows)
EL_SB_SETTER(ShowRightArrows, bool, FShowRightArrows)
EL_SB_SETTER(SystemBkColor, bool, FSystemBkColor)
EL_SB_SETTER(ThinFrame, bool, FThinFrame)
EL_SB_SETTER(ThumbMode, TElScrollThumbMode, FThumbMode)
EL_SB_SETTER(ThumbSize, int, FThumbSize)
EL_SB_SETTER(UseXPThemes, bool, FUseXPThemes)
#undef EL_SB_SETTER

void TElSBHandlerCustom::SetUseSystemMetrics(bool value) {
  if (FUseSystemMetrics == value) return;
  FUseSystemMetrics = value;
  TakeSystemMetrics();
  if (FController != nullptr) FController->RecalcFrame();
}
