#include "controls/edit/win32/ElGraphicButton.h"

#include <vsstyle.h>

#include <algorithm>
#include <utility>

#include "controls/base/win32/ElSoundMap.h"
#include "controls/base/win32/ElThemeLibrary.h"
#include "framework/UnicodeHint.h"
#include "framework/win32/ActnList.h"
#include "framework/win32/BufferedPaint.h"
#include "framework/win32/Form.h"

namespace {

// The group's pressed button tells its siblings: WParam the group index,
// LParam the sender.
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 0x40;
// The deferred reset after a pull-down menu closed.
constexpr UINT_PTR kMenuResetTimer = 1;
// How long a press from code shows the pressed look.
constexpr DWORD kButtonClickMs = 25;
constexpr int kClassicArrowWidth = 13;

bool Contains(int width, int height, int x, int y) { return x >= 0 && y >= 0 && x < width && y < height; }

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  TGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
  FillRect(dc, &rect, brush.Get());
}

// One ring: topLeft along the top and left edges, bottomRight along the others.
void Ring(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  FillSolid(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
  FillSolid(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

}  // namespace

TCustomElGraphicButton::TCustomElGraphicButton(TComponent* owner)
    : TGraphicControl(owner),
      FGlyph(std::make_unique<TElButtonGlyph>()),
      FBackground(std::make_unique<TBitmap>()),
      FDownBackground(std::make_unique<TBitmap>()) {
  // The button raises its clicks itself: on release inside, on press for the arrow.
  FClickOnMouseUp = false;
  // Choosing the images of the look while painting changes nothing to repaint.
  FGlyph->OnChange = [this](TObject*) {
    if (!FPainting) Invalidate();
  };
  SetBounds(0, 0, 75, 25);
  SetColor(clBtnFace);
  SetParentColor(true);
  Font()->SetColor(clBtnText);
}

TCustomElGraphicButton::~TCustomElGraphicButton() {
  SetDestroying();
  StopTimer(kMenuResetTimer);
  if (FPullDownMenu != nullptr) RemoveFreeNotification(FPullDownMenu);
  if (FSoundMap != nullptr) RemoveFreeNotification(FSoundMap);
  for (int kind = 0; kind < kImageKinds; ++kind) {
    SetImageList(static_cast<TImageKind>(kind), nullptr);
    SetAlphaImageList(static_cast<TImageKind>(kind), nullptr);
  }
  CloseThemes();
}

void TCustomElGraphicButton::SetImageList(TImageKind kind, TImageList* value) {
  TImageList*& list = FImages[kind];
  if (value == list) return;
  if (list != nullptr) RemoveFreeNotification(list);
  list = value;
  if (value != nullptr) FreeNotification(value);
  if (!Destroying()) ImagesChanged();
}

void TCustomElGraphicButton::SetAlphaImageList(TImageKind kind, TImageList* value) {
  TImageList*& list = FAlphaImages[kind];
  if (value == list) return;
  if (list != nullptr) RemoveFreeNotification(list);
  list = value;
  if (value != nullptr) FreeNotification(value);
  if (!Destroying()) ImagesChanged();
}

void TCustomElGraphicButton::ImagesChanged() {
  TImageKind kind = kNormalImages;
  if (FState == ebsDisabled && FImages[kDisabledImages] != nullptr)
    kind = kDisabledImages;
  else if (PressedLooking() && FImages[kDownImages] != nullptr)
    kind = kDownImages;
  else if (Hot() && !FTracking && FImages[kHotImages] != nullptr)
    kind = kHotImages;
  FGlyph->SetImageList(FImages[kind]);
  FGlyph->SetAlphaImageList(FAlphaImages[kind]);
  FGlyph->SetImagesLookDisabled(kind == kDisabledImages);
}

// ---- Properties ----

void TCustomElGraphicButton::SetCaption(const WideString& value) {
  if (value == FCaption) return;
  FCaption = value;
  TGraphicControl::SetText(value);
  Invalidate();
}

void TCustomElGraphicButton::SetHint(const WideString& value) {
  FHint = value;
  TGraphicControl::SetHint(value.empty() ? std::string() : EncodeUnicodeHint(value));
}

void TCustomElGraphicButton::ActionChange(TBasicAction* sender, bool checkDefaults, TActionProperties which) {
  auto* action = dynamic_cast<TAction*>(sender);
  if (action == nullptr) return;
  if ((which & apCaption) && (!checkDefaults || FCaption.empty())) SetCaption(action->Caption());
  if ((which & apHint) && (!checkDefaults || FHint.empty())) SetHint(action->Hint());
  if ((which & apChecked) && (!checkDefaults || !GetChecked())) SetChecked(action->Checked());
  ApplyActionStates(sender, checkDefaults, which);
}

void TCustomElGraphicButton::SetIsHTML(bool value) {
  if (value == FIsHTML) return;
  FIsHTML = value;
  if (value) {
    FRender = std::make_unique<TElHTMLRender>(this);
    FRender->OnImageNeeded = [this](TObject* sender, const WideString& src, TBitmap*& image) {
      if (OnImageNeeded) OnImageNeeded(sender, src, image);
    };
  } else {
    FRender.reset();
    TGraphicControl::SetCursor(FStoredCursor);
  }
  Invalidate();
}

void TCustomElGraphicButton::SetLinkColor(TColor value) {
  if (value == FLinkColor) return;
  FLinkColor = value;
  Invalidate();
}

void TCustomElGraphicButton::SetLinkStyle(TFontStyles value) {
  if (value == FLinkStyle) return;
  FLinkStyle = value;
  Invalidate();
}

void TCustomElGraphicButton::SetCursor(TCursor value) {
  FStoredCursor = value;
  TGraphicControl::SetCursor(value);
}

bool TCustomElGraphicButton::IsOverLink(POINT point, WideString& href) {
  if (!FIsHTML || FRender == nullptr || FCaption.empty() || !PtInRect(&FTextRect, point)) return false;
  return FRender->IsCursorOverLink(POINT{point.x - FTextRect.left, point.y - FTextRect.top}, href);
}

void TCustomElGraphicButton::TriggerLinkClickEvent(const WideString& href) {
  if (OnLinkClick) OnLinkClick(this, href);
}

void TCustomElGraphicButton::SetLayout(TElButtonLayout value) {
  if (value == FLayout) return;
  FLayout = value;
  Invalidate();
}

void TCustomElGraphicButton::SetMargin(int value) {
  if (value < -1 || value == FMargin) return;
  FMargin = value;
  Invalidate();
}

void TCustomElGraphicButton::SetSpacing(int value) {
  if (value < -1 || value == FSpacing) return;
  FSpacing = value;
  Invalidate();
}

#define EL_FLAG_SETTER(Name, Field) \
  void TCustomElGraphicButton::Set##Name(bool value) { \
    if (value == Field) return;                         \
    Field = value;                                      \
    Invalidate();                                       \
  }
EL_FLAG_SETTER(ShowGlyph, FShowGlyph)
EL_FLAG_SETTER(ShowText, FShowText)
EL_FLAG_SETTER(ThinFrame, FThinFrame)
EL_FLAG_SETTER(ShowBorder, FShowBorder)
EL_FLAG_SETTER(BackgroundDrawBorder, FBackgroundDrawBorder)
EL_FLAG_SETTER(ShadowFollowsColor, FShadowFollowsColor)
EL_FLAG_SETTER(ShadowsUseCustom, FShadowsUseCustom)
EL_FLAG_SETTER(ChangeDisabledText, FChangeDisabledText)
EL_FLAG_SETTER(AdjustSpaceForGlyph, FAdjustSpaceForGlyph)
EL_FLAG_SETTER(ShortcutsEnabled, FShortcutsEnabled)
EL_FLAG_SETTER(MoneyFlat, FMoneyFlat)
EL_FLAG_SETTER(OldStyled, FOldStyled)
#undef EL_FLAG_SETTER

#define EL_COLOUR_SETTER(Name, Field) \
  void TCustomElGraphicButton::Set##Name(TColor value) { \
    if (value == Field) return;                           \
    Field = value;                                        \
    Invalidate();                                         \
  }
EL_COLOUR_SETTER(ShadowBtnHighlight, FShadowBtnHighlight)
EL_COLOUR_SETTER(ShadowBtnShadow, FShadowBtnShadow)
EL_COLOUR_SETTER(ShadowBtnDkShadow, FShadowBtnDkShadow)
EL_COLOUR_SETTER(MoneyFlatInactiveColor, FMoneyFlatInactiveColor)
EL_COLOUR_SETTER(MoneyFlatActiveColor, FMoneyFlatActiveColor)
EL_COLOUR_SETTER(MoneyFlatDownColor, FMoneyFlatDownColor)
#undef EL_COLOUR_SETTER

void TCustomElGraphicButton::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

void TCustomElGraphicButton::SetFlat(bool value) {
  if (value == FFlat) return;
  FFlat = value;
  // A flat button has no strong frame to keep.
  if (value) FOldStyled = false;
  Invalidate();
}

void TCustomElGraphicButton::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Invalidate();
}

void TCustomElGraphicButton::SetBackground(TBitmap* value) {
  if (value == nullptr || value->Empty())
    FBackground->SetSize(0, 0);
  else
    FBackground->Assign(value);
  Invalidate();
}

void TCustomElGraphicButton::SetDownBackground(TBitmap* value) {
  if (value == nullptr || value->Empty())
    FDownBackground->SetSize(0, 0);
  else
    FDownBackground->Assign(value);
  Invalidate();
}

void TCustomElGraphicButton::SetTextDrawType(TElTextDrawType value) {
  if (value == FTextDrawType) return;
  FTextDrawType = value;
  Invalidate();
}

void TCustomElGraphicButton::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  if (FDown) BroadcastDown();
}

void TCustomElGraphicButton::SetIsSwitch(bool value) {
  if (value == FIsSwitch) return;
  FIsSwitch = value;
  // Without a group a button that is no switch cannot stay down.
  if (!value && FGroupIndex == 0 && FDown) {
    FDown = false;
    SetState(ebsUp);
  }
  Invalidate();
}

void TCustomElGraphicButton::SetUseArrow(bool value) {
  if (value == FUseArrow) return;
  FUseArrow = value;
  FMouseInArrow = false;
  Invalidate();
}

void TCustomElGraphicButton::SetPullDownMenu(TPopupMenu* value) {
  if (value == FPullDownMenu) return;
  if (FPullDownMenu != nullptr) RemoveFreeNotification(FPullDownMenu);
  FPullDownMenu = value;
  if (value != nullptr) FreeNotification(value);
  FDisableAutoPopup = value == nullptr;
}

void TCustomElGraphicButton::SetSoundMap(TElSoundMap* value) {
  if (value == FSoundMap) return;
  if (FSoundMap != nullptr) RemoveFreeNotification(FSoundMap);
  FSoundMap = value;
  if (value != nullptr) FreeNotification(value);
}

void TCustomElGraphicButton::SetUseXPThemes(bool value) {
  if (value == FUseXPThemes) return;
  FUseXPThemes = value;
  CloseThemes();
  Invalidate();
}

void TCustomElGraphicButton::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FPullDownMenu) {
    FPullDownMenu = nullptr;
    FDisableAutoPopup = true;
  }
  if (component == FSoundMap) FSoundMap = nullptr;
  for (int kind = 0; kind < kImageKinds; ++kind) {
    if (component == FImages[kind]) FImages[kind] = nullptr;
    if (component == FAlphaImages[kind]) FAlphaImages[kind] = nullptr;
  }
  if (!Destroying()) ImagesChanged();
}

void TCustomElGraphicButton::PlaySound(const std::string& event) {
  if (FSoundMap != nullptr) FSoundMap->Play(event);
}

void TCustomElGraphicButton::SetState(TElButtonState value) {
  if (value == FState) return;
  FState = value;
  Invalidate();
}

// ---- Down, groups and switches ----

void TCustomElGraphicButton::SetDown(bool value) {
  if (FGroupIndex == 0 && !FIsSwitch) value = false;
  if (value == FDown) return;
  if (FDown && !value && FGroupIndex != 0 && !FAllowAllUp && !FIsSwitch) return;
  FDown = value;
  if (value) {
    PlaySound(FDownSound);
    FState = FIsSwitch ? ebsDown : ebsExclusive;
  } else {
    PlaySound(FUpSound);
    FState = ebsUp;
  }
  Invalidate();
  if (value) BroadcastDown();
}

void TCustomElGraphicButton::BroadcastDown() {
  if (FGroupIndex == 0 || FParent == nullptr) return;
  for (int i = 0; i < FParent->ControlCount(); ++i) {
    TControl* sibling = FParent->Controls(i);
    if (sibling != this)
      sibling->Perform(CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex), reinterpret_cast<LPARAM>(this));
  }
}

void TCustomElGraphicButton::GroupPressed(TCustomElGraphicButton* sender) {
  if (sender == this || !FDown || !sender->FDown) return;
  FDown = false;
  PlaySound(FUpSound);
  FState = ebsUp;
  FAllowAllUp = sender->FAllowAllUp;
  Invalidate();
}

// ---- Clicks ----

void TCustomElGraphicButton::AClick(bool arrow) {
  if (TForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  if (arrow) {
    PlaySound(FArrowClickSound);
    if (OnArrowClick) OnArrowClick(this);
  } else {
    PlaySound(FClickSound);
    DoClick();
    Invalidate();
  }
  if (FPullDownMenu != nullptr && !FDisableAutoPopup && (arrow || !FUseArrow)) DoPullMenu();
}

void TCustomElGraphicButton::ButtonClick() {
  if (!FDown) {
    FState = ebsDown;
    Repaint();
    const DWORD start = GetTickCount();
    for (;;) {
      const DWORD now = GetTickCount();
      // A wrapped counter ends the wait early rather than never.
      if (now < start || now - start >= kButtonClickMs) break;
      Sleep(1);
    }
    FState = ebsUp;
  }
  if (FGroupIndex != 0) SetDown(!FDown);
  Click();
  if (FGroupIndex == 0) Repaint();
}

void TCustomElGraphicButton::DoPullMenu() {
  TPopupMenu* menu = FPullDownMenu;
  menu->SetPopupComponent(this);
  menu->SetAutoPopup(true);
  const POINT corner = ClientToScreen(POINT{0, 0});
  int items = 0;
  for (int i = 0; i < menu->Items()->Count(); ++i) items += menu->Items()->Items(i)->Visible() ? 1 : 0;
  const TElScreenPoint at = PullMenuPosition(FPopupPlace, corner.x, corner.y, Width(), Height(),
                                             GetSystemMetrics(SM_CYMENU), items);
  if (!FUseArrow) {
    FState = ebsDown;
    FPressKind = 2;
    Repaint();
  }
  FMenuShown = true;
  menu->Popup(at.X, at.Y);
  FState = ebsUp;
  // The press that closed the menu over the arrow must not open it again.
  POINT cursor;
  FMenuClosedOverArrow = false;
  if (FUseArrow && GetCursorPos(&cursor)) {
    const POINT client = ScreenToClient(cursor);
    FMenuClosedOverArrow =
        Contains(Width(), Height(), client.x, client.y) && InArrowZone(client.x, Width(), FFlat);
  }
  FTracking = true;
  StartTimer(kMenuResetTimer, 1);
  Invalidate();
}

void TCustomElGraphicButton::TimerElapsed(UINT_PTR id) {
  if (id != kMenuResetTimer) {
    TGraphicControl::TimerElapsed(id);
    return;
  }
  StopTimer(kMenuResetTimer);
  FMenuShown = false;
  FTracking = false;
  FState = FEnabled ? ebsUp : ebsDisabled;
  MouseLeft();
  Invalidate();
}

// ---- Mouse ----

void TCustomElGraphicButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  FPressKind = 0;
  TGraphicControl::MouseDown(button, shift, x, y);
  // A press on a link is the link's, not the button's.
  WideString href;
  if (IsOverLink(POINT{x, y}, href)) return;
  if (button != mbLeft) {
    FMenuClosedOverArrow = false;
    return;
  }
  if (!FEnabled) return;
  const bool arrowZone = FUseArrow && InArrowZone(x, Width(), FFlat);
  if (!FDown && !arrowZone) {
    FState = ebsDown;
    PlaySound(FDownSound);
    Invalidate();
    FTracking = true;
    FMouseInControl = true;
  } else if (arrowZone) {
    PlaySound(FDownSound);
    if (FMenuClosedOverArrow) {
      FMenuClosedOverArrow = false;
      return;
    }
    FState = ebsArrDown;
    Invalidate();
    FPressKind = 4;
    // The arrow acts on the press: its menu opens at once.
    AClick(true);
    if (!FMenuShown) FTracking = true;
  } else {
    FTracking = true;
    FMouseInControl = true;
  }
}

void TCustomElGraphicButton::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (FIsHTML) {
    WideString href;
    TGraphicControl::SetCursor(IsOverLink(POINT{x, y}, href) ? crHandPoint : FStoredCursor);
  }
  if (FTracking) {
    TElButtonState state;
    if (Contains(Width(), Height(), x, y)) {
      state = FDown ? ebsExclusive : (FUseArrow && x >= Width() - GetArrowSize() ? ebsArrDown : ebsDown);
    } else {
      state = FDown ? ebsExclusive : ebsUp;
      if (FUseArrow) FMouseInArrow = false;
    }
    if (state != FState) {
      FState = state;
      if (state == ebsDown) PlaySound(FDownSound);
      if (state == ebsUp) PlaySound(FUpSound);
      FMouseInControl = Contains(Width(), Height(), x, y);
      Invalidate();
    }
    return;
  }
  if (FUseArrow && FEnabled && Contains(Width(), Height(), x, y)) {
    const bool overArrow = x >= Width() - GetArrowSize();
    if (overArrow != FMouseInArrow) {
      FMouseInArrow = overArrow;
      FMouseInControl = !overArrow;
      Invalidate();
    }
  }
}

void TCustomElGraphicButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  WideString href;
  if (button == mbLeft && IsOverLink(POINT{x, y}, href)) {
    if (FTracking) {
      FTracking = false;
      SetState(FDown ? ebsExclusive : ebsUp);
    }
    TriggerLinkClickEvent(href);
    return;
  }
  if (button != mbLeft || !FTracking) return;
  FTracking = false;
  const bool inside = Contains(Width(), Height(), x, y);
  const bool onArrow = inside && FUseArrow && InArrowZone(x, Width(), FFlat);
  // The menu the arrow's press opened has done its work: the release leaves
  // everything as it is.
  const bool menuWasShown = onArrow && FMenuShown;
  // The arrow clicked on its press; its release must not click it again.
  const bool arrowClicked = onArrow && FPressKind == 4;
  if (FGroupIndex != 0) {
    if (inside)
      SetDown(!FDown);
    else if (FDown)
      FState = ebsExclusive;
    Invalidate();
  } else {
    if (!FIsSwitch || onArrow) {
      if (!menuWasShown) {
        PlaySound(FUpSound);
        FState = ebsUp;
      }
    } else if (FPressKind == 4) {
      PlaySound(FUpSound);
      FState = ebsUp;
    } else if (inside) {
      FDown = !FDown;
      if (FDown) {
        FState = ebsDown;
        PlaySound(FDownSound);
      } else {
        PlaySound(FUpSound);
        FState = ebsUp;
      }
    } else {
      FState = FDown ? ebsDown : ebsUp;
    }
    if (!inside) {
      MouseLeft();
    } else {
      FMouseInControl = !onArrow;
      FMouseInArrow = onArrow;
    }
    if (FState == ebsUp || FState == ebsDisabled) Invalidate();
  }
  if (inside && !menuWasShown && !arrowClicked) AClick(onArrow);
}

void TCustomElGraphicButton::MouseEntered(POINT point) {
  if (!FEnabled) return;
  const bool overArrow = FUseArrow && point.x >= Width() - GetArrowSize();
  FMouseInArrow = overArrow;
  FMouseInControl = !overArrow;
  if (!FOldStyled || IsThemeApplied()) Invalidate();
}

void TCustomElGraphicButton::MouseLeft() {
  const bool changed = FMouseInControl || FMouseInArrow;
  FMouseInControl = false;
  FMouseInArrow = false;
  if (changed) Invalidate();
}

void TCustomElGraphicButton::RecheckHover() {
  if (!FFlat || !FEnabled || FParent == nullptr) return;
  POINT cursor;
  if (!GetCursorPos(&cursor)) return;
  const POINT client = ScreenToClient(cursor);
  if (Contains(Width(), Height(), client.x, client.y))
    MouseEntered(client);
  else
    MouseLeft();
}

void TCustomElGraphicButton::CMMouseEnter(TMessage& message) {
  TGraphicControl::CMMouseEnter(message);
  POINT cursor{0, 0};
  if (GetCursorPos(&cursor)) cursor = ScreenToClient(cursor);
  MouseEntered(cursor);
}

void TCustomElGraphicButton::CMMouseLeave(TMessage& message) {
  TGraphicControl::CMMouseLeave(message);
  if (FIsHTML) TGraphicControl::SetCursor(FStoredCursor);
  // While pressed the mouse is followed by the moves of the press.
  if (!FTracking) MouseLeft();
}

void TCustomElGraphicButton::CMEnabledChanged(TMessage& message) {
  TGraphicControl::CMEnabledChanged(message);
  if (!FEnabled) {
    FState = ebsDisabled;
    FTracking = false;
    MouseLeft();
  } else if (FState == ebsDisabled) {
    FState = FDown && FGroupIndex != 0 ? ebsExclusive : ebsUp;
    RecheckHover();
  }
  Invalidate();
}

void TCustomElGraphicButton::CMColorChanged(TMessage& message) {
  TGraphicControl::CMColorChanged(message);
  Invalidate();
}

void TCustomElGraphicButton::WndProc(TMessage& message) {
  switch (message.Msg) {
    case CM_BUTTONPRESSED:
      if (static_cast<int>(message.WParam) == FGroupIndex && FGroupIndex != 0)
        GroupPressed(reinterpret_cast<TCustomElGraphicButton*>(message.LParam));
      return;
    case CM_DIALOGCHAR:
      if (FShortcutsEnabled && FEnabled && FVisible &&
          IsAccelerator(static_cast<char16_t>(message.WParam), FCaption)) {
        Click();
        message.Result = 1;
        return;
      }
      break;
    case CM_DIALOGKEY:
      if (FShortcutsEnabled && FEnabled && FVisible && FCancel && message.WParam == VK_ESCAPE &&
          (KeyboardShiftState() & (ssShift | ssCtrl | ssAlt)) == 0) {
        Click();
        message.Result = 1;
        return;
      }
      break;
    case CM_HINTSHOW: {
      auto& info = *reinterpret_cast<THintInfo*>(message.LParam);
      if (FHint.empty()) {
        info.HintStr.clear();
      } else {
        WideString text = FHint;
        if (info.HintStr == GetShortHint(TGraphicControl::Hint())) text = text.substr(0, text.find(u'|'));
        info.HintStr = EncodeUnicodeHint(text);
      }
      message.Result = 0;
      return;
    }
    case WM_THEMECHANGED:
      CloseThemes();
      break;
    default: break;
  }
  TGraphicControl::WndProc(message);
}

// ---- Themes ----

void TCustomElGraphicButton::CloseThemes() {
  if (FTheme != nullptr) TElThemeLibrary::CloseThemeData(FTheme);
  if (FArrowTheme != nullptr) TElThemeLibrary::CloseThemeData(FArrowTheme);
  FTheme = nullptr;
  FArrowTheme = nullptr;
  FThemeWindow = nullptr;
}

HTHEME TCustomElGraphicButton::ThemeFor(bool arrow) {
  if (!FUseXPThemes || !TElThemeLibrary::ThemesAvailable() || FParent == nullptr ||
      !FParent->HandleAllocated()) {
    CloseThemes();
    return nullptr;
  }
  // The theme data belong to the window the button paints on.
  if (FThemeWindow != FParent->Handle()) CloseThemes();
  FThemeWindow = FParent->Handle();
  HTHEME& theme = arrow ? FArrowTheme : FTheme;
  if (theme == nullptr)
    theme = TElThemeLibrary::OpenThemeData(FThemeWindow, arrow ? GetArrowThemedClassName() : GetThemedClassName());
  return theme;
}

bool TCustomElGraphicButton::IsThemeApplied() { return ThemeFor(false) != nullptr; }

int TCustomElGraphicButton::GetThemeStateID() {
  if (FState == ebsDisabled) return 4;
  if (PressedLooking()) return 3;
  if (Hot()) return 2;
  return 1;
}

int TCustomElGraphicButton::GetArrowThemeStateID() {
  if (FState == ebsDisabled) return 4;
  if (FState == ebsExclusive || FState == ebsArrDown) return 3;
  if (Hot()) return 2;
  return 1;
}

int TCustomElGraphicButton::GetArrowSize() {
  if (HTHEME theme = ThemeFor(true)) {
    SIZE size{0, 0};
    if (FParent != nullptr && FParent->HandleAllocated()) {
      HDC dc = GetDC(FParent->Handle());
      const HRESULT result = TElThemeLibrary::GetThemePartSize(theme, dc, GetArrowThemePartID(),
                                                               GetArrowThemeStateID(), nullptr, TS_TRUE, &size);
      ReleaseDC(FParent->Handle(), dc);
      if (SUCCEEDED(result) && size.cx > 0) return size.cx;
    }
  }
  return kClassicArrowWidth;
}

// ---- Measuring and painting ----

bool TCustomElGraphicButton::PressedLooking() const {
  return FState == ebsDown || FState == ebsExclusive || (FIsSwitch && FDown);
}

POINT TCustomElGraphicButton::ContentOffset() const {
  if (FState == ebsExclusive) return POINT{1, 1};
  if (!PressedLooking()) return POINT{0, 0};
  // Pictures without a pressed image of their own move to look pressed.
  if (FGlyph->UseImageList() && FImages[kNormalImages] != nullptr &&
      (FImages[kDownImages] == nullptr || FImages[kDownImages] == FImages[kNormalImages]))
    return POINT{1, 1};
  if (!FGlyph->UseImageList() && FGlyph->UseIcon() && FGlyph->Icon() != nullptr) return POINT{1, 1};
  return POINT{0, 0};
}

TElButtonDrawSettings TCustomElGraphicButton::DrawSettings(int themeState) {
  TElButtonDrawSettings settings;
  settings.ShowGlyph = FShowGlyph;
  settings.ShowText = FShowText;
  settings.ShortcutsEnabled = FShortcutsEnabled;
  settings.ChangeDisabledText = FChangeDisabledText;
  settings.TextDrawType = FTextDrawType;
  settings.Alignment = FAlignment;
  if (FIsHTML && FRender != nullptr) {
    FRender->SetDefaultsFrom(Font());
    FRender->SetLinkColor(FLinkColor);
    FRender->SetLinkStyle(FLinkStyle);
    settings.HTML = FRender.get();
  }
  if (themeState > 0) {
    settings.Theme = ThemeFor(false);
    settings.ThemePart = GetThemePartID();
    settings.ThemeState = themeState;
  }
  return settings;
}

SIZE TCustomElGraphicButton::MeasureButton(bool keepHeight) {
  TCanvas* canvas = Canvas();
  if (FParent == nullptr || !FParent->HandleAllocated()) return SIZE{Width(), Height()};
  canvas->Font()->Assign(Font());
  TElButtonDrawSettings settings = DrawSettings(0);
  settings.ArrowWidth = FUseArrow ? GetArrowSize() : 0;
  SIZE size = FGlyph->CalcButtonWidth(canvas, settings, FLayout, FMargin, FSpacing, FCaption,
                                      keepHeight ? Height() : 0);
  size.cx += 4;
  size.cy = keepHeight ? Height() : size.cy + 4;
  return size;
}

void TCustomElGraphicButton::ResolveFrameColours(COLORREF face, COLORREF& highlight, COLORREF& dkShadow,
                                                 COLORREF& shadow) {
  if (FShadowsUseCustom) {
    highlight = ColorToRGB(FShadowBtnHighlight);
    dkShadow = ColorToRGB(FShadowBtnDkShadow);
    shadow = ColorToRGB(FShadowBtnShadow);
    return;
  }
  highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  dkShadow = GetSysColor(COLOR_3DDKSHADOW);
  shadow = GetSysColor(COLOR_BTNSHADOW);
  if (face == GetSysColor(COLOR_BTNFACE)) return;
  TElFrameColours derived;
  if (DeriveFrameColours(face, derived)) {
    highlight = derived.Highlight;
    dkShadow = derived.DkShadow;
    shadow = derived.Shadow;
  }
}

void TCustomElGraphicButton::DrawFrame(HDC dc, RECT rect, bool sunken, bool strong, COLORREF face) {
  COLORREF highlight, dkShadow, shadow;
  ResolveFrameColours(face, highlight, dkShadow, shadow);
  if (!strong) {
    if (sunken)
      Ring(dc, rect, shadow, highlight);
    else
      Ring(dc, rect, highlight, shadow);
    return;
  }
  if (sunken) {
    Ring(dc, rect, dkShadow, highlight);
    InflateRect(&rect, -1, -1);
    Ring(dc, rect, shadow, face);
  } else {
    Ring(dc, rect, highlight, dkShadow);
    InflateRect(&rect, -1, -1);
    Ring(dc, rect, face, shadow);
  }
}

void TCustomElGraphicButton::DrawArrowPart(HDC dc, const RECT& rect, COLORREF face) {
  const bool hotOrHeld = Hot() || FState == ebsExclusive || FState == ebsArrDown;
  if (FShowBorder && (!FFlat || hotOrHeld))
    DrawFrame(dc, rect, FState == ebsDown || FState == ebsArrDown, !FFlat && !FThinFrame, face);
  // A small downward triangle in the middle of the part.
  const int cx = (rect.left + rect.right) / 2;
  const int cy = (rect.top + rect.bottom) / 2 - 1;
  const COLORREF colour = FState == ebsDisabled ? GetSysColor(COLOR_GRAYTEXT) : ColorToRGB(Font()->Color());
  for (int row = 0; row < 4; ++row)
    FillSolid(dc, RECT{cx - 3 + row, cy + row, cx + 4 - row, cy + row + 1}, colour);
}

void TCustomElGraphicButton::PaintClassicBackground(HDC dc, const RECT& client) {
  if (FTransparent) return;
  TBitmap* picture = PressedLooking() ? FDownBackground.get() : FBackground.get();
  if (!picture->Empty()) {
    StretchBlt(dc, 0, 0, client.right, client.bottom, picture->Canvas()->Handle(), 0, 0, picture->Width(),
               picture->Height(), SRCCOPY);
    return;
  }
  FillSolid(dc, client, ColorToRGB(Color()));
}

void TCustomElGraphicButton::DrawThemedBackground(HDC dc, const RECT& client) {
  HTHEME theme = ThemeFor(false);
  if (TElThemeLibrary::IsThemeBackgroundPartiallyTransparent(theme, GetThemePartID(), GetThemeStateID()) &&
      !FTransparent)
    FillSolid(dc, client, ColorToRGB(Color()));
  TElThemeLibrary::DrawThemeBackground(theme, dc, GetThemePartID(), GetThemeStateID(), &client, nullptr);
}

void TCustomElGraphicButton::Paint() {
  // A button (or a parent) that cannot be used looks it, and tracks nothing.
  if (!FEnabled || (FParent != nullptr && !FParent->Enabled())) {
    FState = ebsDisabled;
    FTracking = false;
  } else if (FState == ebsDisabled) {
    FState = FDown && FGroupIndex != 0 ? ebsExclusive : ebsUp;
  }
  const RECT client{0, 0, Width(), Height()};
  HDC target = Canvas()->Handle();
  TBufferedPaint buffer(target, client);
  TCanvas* canvas = Canvas();
  canvas->SetHandle(buffer.DC());
  FPainting = true;
  try {
    ImagesChanged();
    HDC dc = canvas->Handle();
    const COLORREF face = ColorToRGB(FShadowFollowsColor ? Color() : clBtnFace);
    RECT content = client;
    const bool themed = IsThemeApplied();
    if (themed) {
      DrawThemedBackground(dc, client);
      if (FUseArrow) {
        const int arrow = GetArrowSize();
        RECT part{client.right - arrow, client.top, client.right, client.bottom};
        TElThemeLibrary::DrawThemeBackground(ThemeFor(true), dc, GetArrowThemePartID(), GetArrowThemeStateID(),
                                             &part, nullptr);
        content.right -= arrow;
      }
    } else {
      PaintClassicBackground(dc, client);
      const bool hot = Hot() && FState != ebsDisabled;
      const TBitmap* background = PressedLooking() ? FDownBackground.get() : FBackground.get();
      if (FShowBorder && (background->Empty() || FBackgroundDrawBorder)) {
        RECT body = client;
        if (FUseArrow) body.right -= GetArrowSize();
        if (FMoneyFlat) {
          const TColor colour = PressedLooking() ? FMoneyFlatDownColor
                                : hot            ? FMoneyFlatActiveColor
                                                 : FMoneyFlatInactiveColor;
          TGdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(colour)));
          FrameRect(dc, &body, brush.Get());
        } else if (FFlat) {
          if (PressedLooking() || hot) DrawFrame(dc, body, PressedLooking(), false, face);
        } else {
          DrawFrame(dc, body, PressedLooking(), !FThinFrame && (FOldStyled || hot), face);
        }
      }
      if (FUseArrow) {
        const int arrow = GetArrowSize();
        DrawArrowPart(dc, RECT{client.right - arrow, client.top, client.right, client.bottom}, face);
        content.right -= arrow;
      }
    }
    if (FAdjustSpaceForGlyph) {
      const int inset = FThinFrame ? 1 : 2;
      InflateRect(&content, -inset, -inset);
    }
    canvas->Font()->Assign(Font());
    FTextRect = FGlyph->Draw(canvas, content, DrawSettings(themed ? GetThemeStateID() : 0), FLayout, FMargin,
                             FSpacing, FState, FCaption, ContentOffset());
  } catch (...) {
    FPainting = false;
    canvas->SetHandle(target);
    throw;
  }
  FPainting = false;
  canvas->SetHandle(target);
  buffer.Finish();
}
