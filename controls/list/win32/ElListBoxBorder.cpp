// The list box's border: the platform's, its own flat frame, or the theme's
// list border; the room each takes from the client area, and when each is
// redrawn.
#include <windows.h>

#include "controls/base/win32/ElThemeLibrary.h"
#include "controls/list/win32/ElListBox.h"
#include "platform/ScopeGuard.h"
#include "platform/win32/HandleOwners.h"

namespace {

constexpr wchar_t kListThemeClass[] = L"LISTVIEW";

// The client rectangle in window coordinates.
RECT ClientInWindow(HWND window) {
  RECT whole;
  GetWindowRect(window, &whole);
  RECT client;
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  OffsetRect(&client, -whole.left, -whole.top);
  return client;
}

// A platform scroll bar's rectangle in window coordinates, empty when hidden.
RECT PlatformBarRect(HWND window, LONG object) {
  SCROLLBARINFO info{};
  info.cbSize = sizeof(info);
  if (!GetScrollBarInfo(window, object, &info) || (info.rgstate[0] & STATE_SYSTEM_INVISIBLE)) return RECT{};
  RECT whole;
  GetWindowRect(window, &whole);
  OffsetRect(&info.rcScrollBar, -whole.left, -whole.top);
  return info.rcScrollBar;
}

// Fills the square where both platform bars meet with the face colour, when
// both are shown.
void FillBarCorner(HDC dc, const RECT& horizontal, const RECT& vertical) {
  if (IsRectEmpty(&horizontal) || IsRectEmpty(&vertical)) return;
  const RECT corner{vertical.left, horizontal.top, vertical.right, horizontal.bottom};
  TGdiObject<HBRUSH> face(CreateSolidBrush(ColorToRGB(clBtnFace)));
  FillRect(dc, &corner, face.Get());
  ExcludeClipRect(dc, corner.left, corner.top, corner.right, corner.bottom);
}

}  // namespace

bool ListThemeAvailable(bool useThemes) {
  if (!useThemes || !TElThemeLibrary::ThemesAvailable()) return false;
  HTHEME theme = TElThemeLibrary::OpenThemeData(nullptr, kListThemeClass);
  if (theme == nullptr) return false;
  TElThemeLibrary::CloseThemeData(theme);
  return true;
}

void TCustomElListBox::CreateThemeHandle() {
  TElXPThemedControl::CreateThemeHandle();
  if (IsThemeApplied() && FListTheme == nullptr) FListTheme = TElThemeLibrary::OpenThemeData(FHandle, kListThemeClass);
}

void TCustomElListBox::FreeThemeHandle() {
  if (FListTheme != nullptr) TElThemeLibrary::CloseThemeData(FListTheme);
  FListTheme = nullptr;
  TElXPThemedControl::FreeThemeHandle();
}

// ---- properties ----

void TCustomElListBox::SetFlat(bool value) {
  if (FFlat == value) return;
  FFlat = value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomElListBox::SetBorderSides(TElBorderSides value) {
  value &= ebsAll;
  if (FBorderSides == value) return;
  FBorderSides = value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomElListBox::SetActiveBorderType(TElFlatBorderType value) {
  if (FActiveBorderType == value) return;
  FActiveBorderType = value;
  if (FFlat) DrawFlatBorder();
}

void TCustomElListBox::SetInactiveBorderType(TElFlatBorderType value) {
  if (FInactiveBorderType == value) return;
  FInactiveBorderType = value;
  if (FFlat) DrawFlatBorder();
}

void TCustomElListBox::SetFlatFocusedScrollBars(bool value) {
  if (FFlatFocusedScrollBars == value) return;
  FFlatFocusedScrollBars = value;
  if (FFlat) DrawFlatBorder();
}

void TCustomElListBox::SetLineBorderActiveColor(TColor value) {
  if (FLineBorderActiveColor == value) return;
  FLineBorderActiveColor = value;
  if (FFlat) DrawFlatBorder();
}

void TCustomElListBox::SetLineBorderInactiveColor(TColor value) {
  if (FLineBorderInactiveColor == value) return;
  FLineBorderInactiveColor = value;
  if (FFlat) DrawFlatBorder();
}

void TCustomElListBox::SetBorderColor(TColor& field, TColor value) {
  if (field == value) return;
  field = value;
  if (FFlat) DrawFlatBorder();
}

// ---- room ----

RECT TCustomElListBox::BorderRoom() const {
  if (FBorderStyle != bsSingle || FListTheme != nullptr) return RECT{};
  // A flat list draws its own frame.
  return ElBorderRoom(Ctl3D(), FFlat, FBorderSides);
}

void TCustomElListBox::WMNCCalcSize(TMessage& message) {
  TElXPThemedControl::WMNCCalcSize(message);
  ShrinkByBorderRoom(*reinterpret_cast<RECT*>(message.LParam), BorderRoom());
}

// ---- drawing ----

bool TCustomElListBox::ActiveLook() { return FHover || FocusedNow(); }

void TCustomElListBox::WMNCPaint(TMessage& message) {
  if (FListTheme != nullptr && FBorderStyle == bsSingle) {
    PaintThemedBorder();
    message.Result = 0;
    return;
  }
  TElXPThemedControl::WMNCPaint(message);
  if (FRightAlignedView) {
    // The default painting leaves the square between bars on the left unfilled.
    TWindowDC dc(FHandle, true);
    if (dc) FillBarCorner(dc.Get(), PlatformBarRect(FHandle, OBJID_HSCROLL), PlatformBarRect(FHandle, OBJID_VSCROLL));
  }
  if (FFlat && FBorderStyle == bsSingle) DrawFlatBorder();
}

void TCustomElListBox::PaintThemedBorder() {
  // The platform's border style is off while the default painting runs, so
  // that it draws only the scroll bars and the theme's border is not overdrawn.
  const LONG style = GetWindowLongW(FHandle, GWL_STYLE);
  const LONG exStyle = GetWindowLongW(FHandle, GWL_EXSTYLE);
  FBlockStyleChanges = true;
  SetWindowLongW(FHandle, GWL_STYLE, style & ~WS_BORDER);
  SetWindowLongW(FHandle, GWL_EXSTYLE, exStyle & ~WS_EX_CLIENTEDGE);
  {
    auto restore = OnScopeExit([&] {
      SetWindowLongW(FHandle, GWL_STYLE, style);
      SetWindowLongW(FHandle, GWL_EXSTYLE, exStyle);
      FBlockStyleChanges = false;
    });
    TMessage paint{WM_NCPAINT, 1, 0, 0};
    DefaultHandler(paint);
  }

  TWindowDC dc(FHandle, true);
  if (!dc) return;
  RECT whole;
  GetWindowRect(FHandle, &whole);
  OffsetRect(&whole, -whole.left, -whole.top);
  const RECT client = ClientInWindow(FHandle);
  TSavedDCState state(dc.Get());
  ExcludeClipRect(dc.Get(), client.left, client.top, client.right, client.bottom);
  // Platform bars are left as the default painting drew them; custom bars
  // have their style bits off here and are painted over this right after.
  const RECT bars[2] = {PlatformBarRect(FHandle, OBJID_HSCROLL), PlatformBarRect(FHandle, OBJID_VSCROLL)};
  for (const RECT& bar : bars)
    if (!IsRectEmpty(&bar)) ExcludeClipRect(dc.Get(), bar.left, bar.top, bar.right, bar.bottom);
  FillBarCorner(dc.Get(), bars[0], bars[1]);
  TElThemeLibrary::DrawThemeBackground(FListTheme, dc.Get(), 0, 0, &whole, nullptr);
}

void TCustomElListBox::DrawFlatBorder() {
  if (!HandleAllocated()) return;
  if (IsThemeApplied() || FListTheme != nullptr) {
    RedrawWindow(FHandle, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
    return;
  }
  if (!FFlat || FBorderStyle != bsSingle) return;
  TWindowDC dc(FHandle, true);
  if (!dc) return;
  RECT whole;
  GetWindowRect(FHandle, &whole);
  OffsetRect(&whole, -whole.left, -whole.top);
  const RECT client = ClientInWindow(FHandle);
  TSavedDCState state(dc.Get());
  ExcludeClipRect(dc.Get(), client.left, client.top, client.right, client.bottom);
  TElFlatFrame frame;
  const bool active = ActiveLook();
  frame.type = active ? FActiveBorderType : FInactiveBorderType;
  frame.lineColor = active ? FLineBorderActiveColor : FLineBorderInactiveColor;
  frame.sides = FBorderSides;
  frame.enabled = Enabled();
  frame.active = active;
  frame.background = Color();
  frame.colors = FBorderColors;
  DrawElFlatFrame(dc.Get(), whole, frame);
}
