#include "controls/base/win32/ElXPThemedControl.h"

#include "controls/base/win32/ElStyleValues.h"
#include "controls/base/win32/ElThemeLibrary.h"
#include "platform/CodePage.h"
#include "platform/win32/HandleOwners.h"

HTHEME ElThemeOfWindow(HWND window) {
  if (window == nullptr || !IsWindow(window)) return nullptr;
  return reinterpret_cast<HTHEME>(SendMessageW(window, IFM_ISTHEMEDCONTROL, 0, 0));
}

TElXPThemedControl::TElXPThemedControl(TComponent* owner)
    : TCustomControl(owner), FChangeLink(std::make_unique<TElStyleChangeLink>()) {
  FChangeLink->OnChange = [this](TObject* sender) { StyleChanged(sender); };
}

TElXPThemedControl::~TElXPThemedControl() {
  if (FStyleManager != nullptr) {
    FStyleManager->UnregisterChanges(FChangeLink.get());
    FStyleManager->RemoveFreeNotification(this);
    FStyleManager = nullptr;
  }
  // The window outlives this part of the object; its theme data does not.
  FreeThemeHandle();
}

void TElXPThemedControl::SetUseXPThemes(bool value) {
  if (value == FUseXPThemes) return;
  FUseXPThemes = value;
  if (!TElThemeLibrary::ThemesAvailable() || !HandleAllocated() || Destroying()) return;
  if (value)
    CreateThemeHandle();
  else
    FreeThemeHandle();
  RecreateWnd();
}

void TElXPThemedControl::CreateThemeHandle() {
  // A handle still held would be lost: release it first.
  FreeThemeHandle();
  if (TElThemeLibrary::ThemesAvailable() && HandleAllocated())
    FTheme = TElThemeLibrary::OpenThemeData(FHandle, GetThemedClassName());
}

void TElXPThemedControl::FreeThemeHandle() {
  // Released even when themes were switched off since it was opened.
  if (FTheme != nullptr) TElThemeLibrary::CloseThemeData(FTheme);
  FTheme = nullptr;
}

void TElXPThemedControl::CreateWnd() {
  TCustomControl::CreateWnd();
  if (FUseXPThemes && FTheme == nullptr) CreateThemeHandle();
}

void TElXPThemedControl::DestroyWnd() {
  TCustomControl::DestroyWnd();
  if (FUseXPThemes && FTheme != nullptr) FreeThemeHandle();
}

void TElXPThemedControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case IFM_ISTHEMEDCONTROL:
      message.Result = reinterpret_cast<LRESULT>(FTheme);
      return;
    case WM_THEMECHANGED:
      WMThemeChanged(message);
      return;
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
      if (FBlockStyleChanges) {
        message.Result = 0;
        return;
      }
      break;
    case WM_SETREDRAW:
      TCustomControl::WndProc(message);
      // The platform does not repaint scroll bars when redraw comes back on.
      if (message.WParam != 0 && Visible() && HandleAllocated()) {
        const LONG style = GetWindowLongW(FHandle, GWL_STYLE);
        if (style & WS_HSCROLL) SetScrollPos(FHandle, SB_HORZ, GetScrollPos(FHandle, SB_HORZ), TRUE);
        if (style & WS_VSCROLL) SetScrollPos(FHandle, SB_VERT, GetScrollPos(FHandle, SB_VERT), TRUE);
      }
      return;
    default:
      break;
  }
  TCustomControl::WndProc(message);
}

void TElXPThemedControl::WMThemeChanged(TMessage& message) {
  if (TElThemeLibrary::ThemesAvailable() && FUseXPThemes) {
    FreeThemeHandle();
    CreateThemeHandle();
    FrameChanged();
    InvalidateRect(FHandle, nullptr, TRUE);
  }
  message.Result = 1;
}

void TElXPThemedControl::FrameChanged() {
  if (!HandleAllocated()) return;
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TElXPThemedControl::BevelSize() const {
  if (FBevelKind == bkNone) return 0;
  return (FBevelInner != bvNone ? FBevelWidth : 0) + (FBevelOuter != bvNone ? FBevelWidth : 0);
}

void TElXPThemedControl::WMNCCalcSize(TMessage& message) {
  TCustomControl::WMNCCalcSize(message);
  RECT* client = message.WParam != 0
                     ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam)->rgrc[0]
                     : reinterpret_cast<RECT*>(message.LParam);
  InflateRect(client, -FBorderWidth, -FBorderWidth);
  const int bevel = BevelSize();
  if (FBevelEdges & beLeft) client->left += bevel;
  if (FBevelEdges & beTop) client->top += bevel;
  if (FBevelEdges & beRight) client->right -= bevel;
  if (FBevelEdges & beBottom) client->bottom -= bevel;
  if (client->right < client->left) client->right = client->left;
  if (client->bottom < client->top) client->bottom = client->top;
}

void TElXPThemedControl::WMNCPaint(TMessage& message) {
  if ((FBevelKind != bkNone || FBorderWidth > 0) && HandleAllocated()) {
    TWindowDC dc(FHandle, true);
    if (dc) {
      RECT window;
      GetWindowRect(FHandle, &window);
      RECT client;
      GetClientRect(FHandle, &client);
      MapWindowPoints(FHandle, nullptr, reinterpret_cast<POINT*>(&client), 2);
      OffsetRect(&client, -window.left, -window.top);
      ExcludeClipRect(dc.Get(), client.left, client.top, client.right, client.bottom);
      PaintBevel(dc.Get(), client);
    }
  }
  TCustomControl::WMNCPaint(message);
}

void TElXPThemedControl::PaintBevel(HDC dc, RECT clientInWindow) {
  RECT outer = clientInWindow;
  InflateRect(&outer, FBorderWidth, FBorderWidth);
  const int bevel = BevelSize();
  if (FBevelEdges & beLeft) outer.left -= bevel;
  if (FBevelEdges & beTop) outer.top -= bevel;
  if (FBevelEdges & beRight) outer.right += bevel;
  if (FBevelEdges & beBottom) outer.bottom += bevel;
  const LONG style = GetWindowLongW(FHandle, GWL_STYLE);
  if (style & WS_VSCROLL) outer.right += GetSystemMetrics(SM_CXVSCROLL);
  if (style & WS_HSCROLL) outer.bottom += GetSystemMetrics(SM_CYHSCROLL);

  static const UINT inner[] = {0, BDR_SUNKENINNER, BDR_RAISEDINNER, 0};
  static const UINT outerEdge[] = {0, BDR_SUNKENOUTER, BDR_RAISEDOUTER, 0};
  const UINT edge = inner[FBevelInner] | outerEdge[FBevelOuter];
  UINT flags = FBevelEdges | BF_ADJUST | (FCtl3D ? 0 : BF_MONO);
  if (FBevelKind == bkSoft) flags |= BF_SOFT;
  if (FBevelKind == bkFlat) flags |= BF_FLAT;

  RECT border = outer;
  if (IsThemeApplied()) {
    if (FBevelKind != bkNone)
      TElThemeLibrary::DrawThemeEdge(FTheme, dc, 0, 0, &outer, edge, flags, &border);
    TElThemeLibrary::DrawThemeBackground(FTheme, dc, 0, 0, &border, nullptr);
    return;
  }
  if (FBevelKind != bkNone) DrawEdge(dc, &border, edge, flags);
  FillRect(dc, &border, FBrush->Handle());
}

void TElXPThemedControl::SetStyleManager(TElStyleManager* value) {
  if (value == FStyleManager) return;
  if (FStyleManager != nullptr) {
    FStyleManager->UnregisterChanges(FChangeLink.get());
    FStyleManager->RemoveFreeNotification(this);
  }
  FStyleManager = value;
  if (value != nullptr) {
    value->FreeNotification(this);
    value->RegisterChanges(FChangeLink.get());
    UpdateStyle();
  }
}

void TElXPThemedControl::SetStyleName(const std::string& value) {
  FStyleName = value;
  UpdateStyle();
}

void TElXPThemedControl::UpdateStyle() {
  if (FStyleManager == nullptr) return;
  if (!HandleAllocated() || !Visible()) {
    FStyleManager->ApplyStyle(this, FStyleName);
    return;
  }
  SendMessageW(FHandle, WM_SETREDRAW, FALSE, 0);
  try {
    FStyleManager->ApplyStyle(this, FStyleName);
  } catch (...) {
    SendMessageW(FHandle, WM_SETREDRAW, TRUE, 0);
    throw;
  }
  SendMessageW(FHandle, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TElXPThemedControl::StyleChanged(TObject* /*sender*/) { UpdateStyle(); }

void TElXPThemedControl::Loaded() { UpdateStyle(); }

void TElXPThemedControl::EndCreate() {
  if (FCreating > 0) --FCreating;
  if (FCreating == 0 && TElStyleManager::DefaultManager() != nullptr)
    SetStyleManager(TElStyleManager::DefaultManager());
}

void TElXPThemedControl::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  // The manager is going: its links are already let go.
  if (operation == opRemove && component == FStyleManager) FStyleManager = nullptr;
}

bool TElXPThemedControl::SetStyleProperty(const std::string& name, const std::string& value) {
  if (name == "Color")
    SetColor(StyleColor(name, value));
  else if (name == "Font.Color")
    Font()->SetColor(StyleColor(name, value));
  else if (name == "Font.Name")
    Font()->SetName(NarrowToWide(value));
  else if (name == "Font.Height")
    Font()->SetHeight(StyleInteger(name, value));
  else if (name == "Font.Style")
    Font()->SetStyle(StyleFontStyles(name, value));
  else if (name == "UseXPThemes")
    SetUseXPThemes(StyleBoolean(name, value));
  else if (name == "Ctl3D")
    SetCtl3D(StyleBoolean(name, value));
  else if (name == "BevelKind")
    SetBevelKind(static_cast<TBevelKind>(StyleEnum(name, value, {"bkNone", "bkTile", "bkSoft", "bkFlat"})));
  else if (name == "BorderWidth")
    SetBorderWidth(StyleInteger(name, value));
  else
    return false;
  return true;
}

void TElXPThemedControl::SetBevelKind(TBevelKind value) {
  if (value == FBevelKind) return;
  FBevelKind = value;
  FrameChanged();
}

void TElXPThemedControl::SetBevelInner(TBevelCut value) {
  if (value == FBevelInner) return;
  FBevelInner = value;
  FrameChanged();
}

void TElXPThemedControl::SetBevelOuter(TBevelCut value) {
  if (value == FBevelOuter) return;
  FBevelOuter = value;
  FrameChanged();
}

void TElXPThemedControl::SetBevelEdges(TBevelEdges value) {
  value &= beAll;
  if (value == FBevelEdges) return;
  FBevelEdges = value;
  FrameChanged();
}

void TElXPThemedControl::SetBevelWidth(int value) {
  if (value < 1) value = 1;
  if (value == FBevelWidth) return;
  FBevelWidth = value;
  FrameChanged();
}

void TElXPThemedControl::SetBorderWidth(int value) {
  if (value < 0) value = 0;
  if (value == FBorderWidth) return;
  FBorderWidth = value;
  FrameChanged();
}

void TElXPThemedControl::SetCtl3D(bool value) {
  if (value == FCtl3D) return;
  FCtl3D = value;
  FrameChanged();
}
