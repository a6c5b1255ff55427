// The edit's border: the platform's single border less the sides left out,
// or its own flat frame; when each is redrawn; and the linked companion
// control kept next to the edit.
#include <windows.h>

#include <algorithm>

#include "controls/base/win32/ElThemeLibrary.h"
#include "controls/edit/ElEditModel.h"
#include "controls/edit/win32/ElEdit.h"
#include "platform/win32/HandleOwners.h"

namespace {

RECT ClientInWindow(HWND window) {
  RECT whole;
  GetWindowRect(window, &whole);
  RECT client;
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -whole.left, -whole.top);
  return client;
}

}  // namespace

// ---- properties ----

void TCustomElEdit::SetBorderSides(TElBorderSides value) {
  value &= ebsAll;
  if (FBorderSides == value) return;
  FBorderSides = value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomElEdit::SetFlat(bool value) {
  if (FFlat == value) return;
  FFlat = value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomElEdit::SetActiveBorderType(TElFlatBorderType value) {
  if (FActiveBorderType == value) return;
  FActiveBorderType = value;
  DrawFlatBorder();
}

void TCustomElEdit::SetInactiveBorderType(TElFlatBorderType value) {
  if (FInactiveBorderType == value) return;
  FInactiveBorderType = value;
  DrawFlatBorder();
}

void TCustomElEdit::SetLineBorderActiveColor(TColor value) {
  if (FLineBorderActiveColor == value) return;
  FLineBorderActiveColor = value;
  DrawFlatBorder();
}

void TCustomElEdit::SetLineBorderInactiveColor(TColor value) {
  if (FLineBorderInactiveColor == value) return;
  FLineBorderInactiveColor = value;
  DrawFlatBorder();
}

void TCustomElEdit::SetBorderColors(const TElFlatFrameColors& value) {
  FBorderColors = value;
  DrawFlatBorder();
}

// ---- room ----

// A flat single border without a theme is drawn by the edit itself. Asked
// before the window (and its theme handle) exists, so the theme library's
// availability decides, not the handle.
bool TCustomElEdit::OwnFrame() const {
  return FFlat && FBorderStyle == bsSingle && !(UseXPThemes() && TElThemeLibrary::ThemesAvailable());
}

RECT TCustomElEdit::BorderRoom() const {
  if (FBorderStyle != bsSingle) return RECT{};
  return ElBorderRoom(Ctl3D(), OwnFrame(), FBorderSides);
}

void TCustomElEdit::WMNCCalcSize(TMessage& message) {
  TElXPThemedControl::WMNCCalcSize(message);
  ShrinkByBorderRoom(*reinterpret_cast<RECT*>(message.LParam), BorderRoom());
}

// ---- drawing ----

void TCustomElEdit::WMNCPaint(TMessage& message) {
  TElXPThemedControl::WMNCPaint(message);
  if (FBorderStyle == bsSingle && !IsThemeApplied()) DrawFlatBorder();
}

void TCustomElEdit::DrawFlatBorder() {
  if (!HandleAllocated() || FBorderStyle != bsSingle) return;
  if (IsThemeApplied()) {
    RedrawWindow(FHandle, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
    return;
  }
  // The platform draws a full border; with sides left out (or a flat look)
  // the edit draws the frame itself over the whole window rectangle.
  if (!FFlat && FBorderSides == ebsAll) return;
  TWindowDC dc(FHandle, true);
  if (!dc) return;
  RECT whole;
  GetWindowRect(FHandle, &whole);
  OffsetRect(&whole, -whole.left, -whole.top);
  const RECT client = ClientInWindow(FHandle);
  TSavedDCState state(dc.Get());
  ExcludeClipRect(dc.Get(), client.left, client.top, client.right, client.bottom);
  TElFlatFrame frame;
  const bool active = FHover || Focused();
  frame.type = !FFlat ? fbtSunken : active ? FActiveBorderType : FInactiveBorderType;
  frame.lineColor = active ? FLineBorderActiveColor : FLineBorderInactiveColor;
  frame.sides = FBorderSides;
  frame.enabled = Enabled();
  frame.active = active;
  frame.background = Color();
  frame.colors = FBorderColors;
  DrawElFlatFrame(dc.Get(), whole, frame);
}

// ---- linked control ----

void TCustomElEdit::SetLinkedControl(TControl* value) {
  if (value == this) value = nullptr;
  if (FLinkedControl == value) return;
  if (FLinkedControl != nullptr) FLinkedControl->RemoveFreeNotification(this);
  FLinkedControl = value;
  if (FLinkedControl != nullptr) FLinkedControl->FreeNotification(this);
  PlaceLinkedControl();
}

void TCustomElEdit::SetLinkedControlPosition(TElLinkCtlPos value) {
  if (FLinkedControlPosition == value) return;
  FLinkedControlPosition = value;
  PlaceLinkedControl();
}

void TCustomElEdit::SetLinkedControlSpacing(int value) {
  if (FLinkedControlSpacing == value) return;
  FLinkedControlSpacing = value;
  PlaceLinkedControl();
}

void TCustomElEdit::Notification(TComponent* component, TOperation operation) {
  TElXPThemedControl::Notification(component, operation);
  if (operation == opRemove && component == FLinkedControl) FLinkedControl = nullptr;
}

void TCustomElEdit::PlaceLinkedControl() {
  if (FLinkedControl == nullptr) return;
  TControl& linked = *FLinkedControl;
  const int w = linked.Width();
  const int h = linked.Height();
  const int spacing = FLinkedControlSpacing;
  const int left = FLeft;
  const int top = FTop;
  const int right = FLeft + FWidth;
  const int bottom = FTop + FHeight;
  const int leftOf = left - w - spacing;
  const int rightOf = right + spacing;
  const int above = top - h - spacing;
  const int below = bottom + spacing;
  const int middleY = top + (FHeight - h) / 2;
  const int middleX = left + (FWidth - w) / 2;
  POINT at{};
  switch (FLinkedControlPosition) {
    case lcpLeftTop: at = {leftOf, top}; break;
    case lcpLeftBottom: at = {leftOf, bottom - h}; break;
    case lcpLeftCenter: at = {leftOf, middleY}; break;
    case lcpTopLeft: at = {left, above}; break;
    case lcpTopRight: at = {right - w, above}; break;
    case lcpTopCenter: at = {middleX, above}; break;
    case lcpRightTop: at = {rightOf, top}; break;
    case lcpRightBottom: at = {rightOf, bottom - h}; break;
    case lcpRightCenter: at = {rightOf, middleY}; break;
    case lcpBottomLeft: at = {left, below}; break;
    case lcpBottomRight: at = {right - w, below}; break;
    case lcpBottomCenter: at = {middleX, below}; break;
  }
  if (at.x != linked.Left() || at.y != linked.Top()) linked.SetBounds(at.x, at.y, w, h);
}
