#include "controls/check/win32/ElCheckItem.h"

#include <vsstyle.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "controls/base/win32/ElSoundMap.h"
#include "controls/base/win32/ElThemeLibrary.h"
#include "controls/base/win32/ElGlyphDrawing.h"
#include "framework/win32/BufferedPaint.h"

namespace {

LPCWSTR W(const WideString& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

RECT ToRect(const TElLayoutRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }

// The theme's colour for the text of the box's part, as a default for HTML.
constexpr int kThemeTextColor = 3803;

}  // namespace

TElCheckItem::TElCheckItem(TComponent* owner)
    : TElButtonControl(owner), FGlyph(std::make_unique<TBitmap>()) {
  // The capture is the control's own business: it gives it back to whoever
  // had it before the press.
  FCaptureOnPress = false;
  FTabStop = true;
  SetBounds(0, 0, 60, 17);
}

TElCheckItem::~TElCheckItem() {
  SetDestroying();
  if (FImages != nullptr) RemoveFreeNotification(FImages);
  if (FAlphaImages != nullptr) RemoveFreeNotification(FAlphaImages);
  if (FLinkPopupMenu != nullptr) RemoveFreeNotification(FLinkPopupMenu);
  if (FSoundMap != nullptr) RemoveFreeNotification(FSoundMap);
}

// ---- Properties ----

void TElCheckItem::SetCheckAlignment(TLeftRight value) {
  if (value == taCenter || value == FCheckAlignment) return;
  FCheckAlignment = value;
  Invalidate();
}

void TElCheckItem::SetCheckMargin(int value) {
  if (value < 0 || value == FCheckMargin) return;
  FCheckMargin = value;
  ContentChanged();
}

void TElCheckItem::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  AdjustSize();
}

void TElCheckItem::SetEndEllipsis(bool value) {
  if (value == FEndEllipsis) return;
  FEndEllipsis = value;
  Invalidate();
}

void TElCheckItem::SetFlat(bool value) {
  if (value == FFlat) return;
  FFlat = value;
  Invalidate();
}

void TElCheckItem::SetFlatAlways(bool value) {
  if (value == FFlatAlways) return;
  FFlatAlways = value;
  Invalidate();
}

void TElCheckItem::SetGlyph(TBitmap* value) {
  if (value == nullptr || value->Empty()) {
    FGlyph->SetSize(0, 0);
  } else {
    FGlyph->Assign(value);
  }
  // The strip's own bottom-left pixel marks what is see-through.
  FGlyph->SetTransparent(true);
  GlyphChange();
}

void TElCheckItem::GlyphChange() {
  if (FUseCustomGlyphs) ContentChanged();
}

void TElCheckItem::SetUseCustomGlyphs(bool value) {
  if (value == FUseCustomGlyphs) return;
  FUseCustomGlyphs = value;
  ContentChanged();
}

void TElCheckItem::SetImages(TImageList* value) {
  if (value == FImages) return;
  if (FImages != nullptr) RemoveFreeNotification(FImages);
  const bool first = FImages == nullptr;
  FImages = value;
  if (value != nullptr) FreeNotification(value);
  if (value == nullptr) {
    FUseImageList = false;
  } else if (first) {
    FUseImageList = true;
  }
  ContentChanged();
}

void TElCheckItem::SetAlphaForImages(TImageList* value) {
  if (value == FAlphaImages) return;
  if (FAlphaImages != nullptr) RemoveFreeNotification(FAlphaImages);
  FAlphaImages = value;
  if (value != nullptr) FreeNotification(value);
  Invalidate();
}

void TElCheckItem::SetUseImageList(bool value) {
  if (value == FUseImageList) return;
  // Without images there is nothing to use.
  if (value && FImages == nullptr) return;
  FUseImageList = value;
  ContentChanged();
}

void TElCheckItem::SetIsHTML(bool value) {
  if (value == FIsHTML) return;
  FIsHTML = value;
  if (value) {
    FRender = std::make_unique<TElHTMLRender>(this);
    FRender->OnImageNeeded = [this](TObject* sender, const WideString& src, TBitmap*& image) {
      if (OnImageNeeded) OnImageNeeded(sender, src, image);
    };
  } else {
    FRender.reset();
    ShowLinkCursor(false);
  }
  ContentChanged();
}

void TElCheckItem::SetLinkColor(TColor value) {
  if (value == FLinkColor) return;
  FLinkColor = value;
  Invalidate();
}

void TElCheckItem::SetLinkStyle(TFontStyles value) {
  if (value == FLinkStyle) return;
  FLinkStyle = value;
  ContentChanged();
}

void TElCheckItem::SetLinkPopupMenu(TPopupMenu* value) {
  if (value == FLinkPopupMenu) return;
  if (FLinkPopupMenu != nullptr) RemoveFreeNotification(FLinkPopupMenu);
  FLinkPopupMenu = value;
  if (value != nullptr) FreeNotification(value);
}

void TElCheckItem::SetSoundMap(TElSoundMap* value) {
  if (value == FSoundMap) return;
  if (FSoundMap != nullptr) RemoveFreeNotification(FSoundMap);
  FSoundMap = value;
  if (value != nullptr) FreeNotification(value);
}

void TElCheckItem::SetCursor(TCursor value) {
  FStoredCursor = value;
  TElButtonControl::SetCursor(value);
}

void TElCheckItem::ShowLinkCursor(bool overLink) {
  TElButtonControl::SetCursor(overLink ? crHandPoint : FStoredCursor);
}

void TElCheckItem::Notification(TComponent* component, TOperation operation) {
  TElButtonControl::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == FImages) {
    FImages = nullptr;
    FUseImageList = false;
    if (!Destroying()) ContentChanged();
  }
  if (component == FAlphaImages) FAlphaImages = nullptr;
  if (component == FLinkPopupMenu) FLinkPopupMenu = nullptr;
  if (component == FSoundMap) FSoundMap = nullptr;
}

void TElCheckItem::Loaded() {
  TElButtonControl::Loaded();
  if (FUseImageList && FImages == nullptr) FUseImageList = false;
  AdjustSize();
}

// ---- Sizing ----

TElLayoutSize TElCheckItem::BoxSize() {
  TElCheckBoxSizeInput input;
  input.Themed = IsThemeApplied();
  input.UseCustomGlyphs = FUseCustomGlyphs;
  input.GlyphStrip = {FGlyph->Width(), FGlyph->Height()};
  input.UseImageList = FUseImageList && FImages != nullptr;
  if (FImages != nullptr) input.ImageSize = {FImages->Width(), FImages->Height()};
  return CheckBoxBoxSize(input);
}

void TElCheckItem::PrepareHTML() {
  FRender->SetDefaultsFrom(Font());
  FRender->SetLinkColor(FLinkColor);
  FRender->SetLinkStyle(FLinkStyle);
  FRender->PrepareText(Caption(), 0, false);
}

UINT TElCheckItem::CaptionFlags() const {
  return DT_LEFT | DT_TOP | DT_VCENTER | (FEndEllipsis ? DT_END_ELLIPSIS : 0);
}

TElLayoutSize TElCheckItem::MeasureCaption() {
  const WideString caption = Caption();
  if (caption.empty()) return {};
  if (FIsHTML) {
    PrepareHTML();
    const SIZE size = FRender->TextSize();
    return {size.cx, size.cy};
  }
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  RECT rect{0, 0, 0, 0};
  DrawTextW(canvas->Handle(), W(caption), static_cast<int>(caption.size()), &rect, DT_CALCRECT | DT_LEFT);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

bool TElCheckItem::MultiLineCaption() {
  const WideString caption = Caption();
  return caption.find(u'\n') != WideString::npos || caption.find(u'\r') != WideString::npos;
}

int TElCheckItem::CalcAutoHeight() {
  TElCheckAutoSizeInput input;
  input.Box = BoxSize();
  input.CheckMargin = FCheckMargin;
  input.Text = MeasureCaption();
  input.TextEffect = TextDrawType() != tdtNormal;
  return CalcCheckAutoSize(input).Height;
}

void TElCheckItem::AdjustSize() {
  if (!FAutoSize || FSizing || Destroying() || FParent == nullptr || !HandleAllocated()) return;
  TElCheckAutoSizeInput input;
  input.Box = BoxSize();
  input.CheckMargin = FCheckMargin;
  input.Text = MeasureCaption();
  input.TextEffect = TextDrawType() != tdtNormal;
  const TElLayoutSize size = CalcCheckAutoSize(input);
  FSizing = true;
  try {
    SetBounds(FLeft, FTop, size.Width, size.Height);
  } catch (...) {
    FSizing = false;
    throw;
  }
  FSizing = false;
}

void TElCheckItem::ContentChanged() {
  AdjustSize();
  Invalidate();
}

void TElCheckItem::TextDrawTypeChanged() { ContentChanged(); }

void TElCheckItem::CreateParams(TCreateParams& params) {
  TElButtonControl::CreateParams(params);
  // A quick second click is a second toggle, not a double-click.
  params.ClassStyle &= ~static_cast<UINT>(CS_DBLCLKS);
}

void TElCheckItem::CreateWnd() {
  TElButtonControl::CreateWnd();
  // The control runs Click itself, between the release and OnMouseUp.
  FClickOnMouseUp = false;
  AdjustSize();
}

void TElCheckItem::CMTextChanged(TMessage& message) {
  TElButtonControl::CMTextChanged(message);
  ContentChanged();
}

void TElCheckItem::CMFontChanged(TMessage& message) {
  TElButtonControl::CMFontChanged(message);
  ContentChanged();
}

void TElCheckItem::CMEnabledChanged(TMessage& message) {
  TElButtonControl::CMEnabledChanged(message);
  if (!FEnabled && FPressed) EndPress(true);
  Invalidate();
}

// ---- Painting ----

int TElCheckItem::ThemeState(TCheckBoxState state) {
  // Four looks per check state: normal, hot, pressed, disabled.
  int look = 0;
  if (!FEnabled)
    look = 3;
  else if (PressedLook())
    look = 2;
  else if (FMouseInControl)
    look = 1;
  return 1 + static_cast<int>(state) * 4 + look;
}

void TElCheckItem::PaintBackground(HDC dc, const RECT& client) {
  TGdiObject<HBRUSH> face(CreateSolidBrush(ColorToRGB(Color())));
  FillRect(dc, &client, face.Get());
  if (IsThemeApplied() || Transparent()) {
    // The parent's picture under the control, so that the box and the caption
    // stand on what surrounds them.
    if (IsThemeApplied() &&
        SUCCEEDED(TElThemeLibrary::DrawThemeParentBackground(FHandle, dc, &client)))
      return;
    if (FParent != nullptr && FParent->HandleAllocated()) {
      TSavedDCState saved(dc);
      OffsetViewportOrgEx(dc, -FLeft, -FTop, nullptr);
      const RECT bounds = BoundsRect();
      IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
      SendMessageW(FParent->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
      SendMessageW(FParent->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    }
  }
}

void TElCheckItem::Paint() {
  const RECT client = ClientRect();
  HDC target = Canvas()->Handle();
  TBufferedPaint buffer(target, client);
  TCanvas* canvas = Canvas();
  canvas->SetHandle(buffer.DC());
  try {
    canvas->Font()->Assign(Font());
    PaintBackground(canvas->Handle(), client);

    TElCheckPaintInput input;
    input.Client = {client.right, client.bottom};
    input.Box = BoxSize();
    input.CheckMargin = FCheckMargin;
    input.BoxRight = FCheckAlignment == taLeftJustify;
    input.Themed = IsThemeApplied();
    input.CentreHeight = MultiLineCaption() ? CalcAutoHeight() : client.bottom;
    input.Text = MeasureCaption();
    const TElCheckPaintLayout layout = CalcCheckPaintLayout(input);

    DrawBox(canvas, ToRect(layout.Box), DrawState());
    DrawCaption(canvas, ToRect(layout.CaptionArea));
    if (FHandle == GetFocus() && FEnabled && !Caption().empty()) {
      SetTextColor(canvas->Handle(), ColorToRGB(Font()->Color()));
      SetBkColor(canvas->Handle(), ColorToRGB(Color()));
      const RECT focus = ToRect(layout.Focus);
      DrawFocusRect(canvas->Handle(), &focus);
    }
  } catch (...) {
    canvas->SetHandle(target);
    throw;
  }
  canvas->SetHandle(target);
  buffer.Finish();
  NotifyRepainted();
}

void TElCheckItem::DrawBox(TCanvas* canvas, const RECT& box, TCheckBoxState state) {
  HDC dc = canvas->Handle();
  if (IsThemeApplied()) {
    TElThemeLibrary::DrawThemeBackground(Theme(), dc, ThemePart(), ThemeState(state), &box, nullptr);
    return;
  }
  const int index = static_cast<int>(state) * 2 + ((PressedLook() || !FEnabled) ? 1 : 0);
  if (FUseCustomGlyphs && !FGlyph->Empty()) {
    DrawGlyph(canvas, box);
    return;
  }
  if (FUseImageList && FImages != nullptr) {
    DrawImageListBox(canvas, box, index);
    return;
  }
  UINT frame = DFCS_BUTTONCHECK;
  if (ThemePart() == BP_RADIOBUTTON) frame = DFCS_BUTTONRADIO;
  if (state == cbChecked) frame |= DFCS_CHECKED;
  if (state == cbGrayed) frame = DFCS_BUTTON3STATE | DFCS_CHECKED;
  if (!FEnabled || PressedLook()) frame |= DFCS_INACTIVE;
  RECT rect = box;
  DrawFrameControl(dc, &rect, DFC_BUTTON, frame);
  if (MoneyFlat())
    DrawFlatFrame(canvas, box, true);
  else if (FFlat && (FFlatAlways || !(FHandle == GetFocus() || FMouseInControl || FPressed)))
    DrawFlatFrame(canvas, box, false);
}

void TElCheckItem::DrawGlyph(TCanvas* canvas, const RECT& box) {
  const int index = static_cast<int>(DrawState()) * 2 + ((PressedLook() || !FEnabled) ? 1 : 0);
  const int width = FGlyph->Width() / 6;
  HDC source = FGlyph->Canvas()->Handle();
  const COLORREF transparent = GetPixel(source, 0, FGlyph->Height() - 1);
  TransparentBlt(canvas->Handle(), box.left, box.top, box.right - box.left, box.bottom - box.top, source,
                 index * width, 0, width, FGlyph->Height(), transparent);
}

void TElCheckItem::DrawImageListBox(TCanvas* canvas, const RECT& box, int index) {
  DrawListImage(canvas->Handle(), box, FImages, index, true, FAlphaImages);
}

void TElCheckItem::DrawCaption(TCanvas* canvas, const RECT& area) {
  const WideString caption = Caption();
  FTextPos = POINT{area.left, area.top};
  if (caption.empty() || IsRectEmpty(&area)) return;
  HDC dc = canvas->Handle();
  if (FIsHTML) {
    PrepareHTML();
    COLORREF colour = ColorToRGB(FEnabled ? Font()->Color() : clBtnShadow);
    if (IsThemeApplied()) {
      COLORREF themed;
      if (SUCCEEDED(TElThemeLibrary::GetThemeColor(Theme(), ThemePart(), ThemeState(DrawState()),
                                                   kThemeTextColor, &themed)))
        colour = themed;
    }
    FRender->SetDefaultColor(static_cast<TColor>(colour));
    FRender->SetDefaultBkColor(clNone);
    FRender->DrawText(dc, FTextPos, area);
    return;
  }
  const UINT flags = CaptionFlags();
  if (IsThemeApplied()) {
    RECT rect = area;
    TSavedDCState saved(dc);
    SetBkMode(dc, TRANSPARENT);
    TElThemeLibrary::DrawThemeText(Theme(), dc, ThemePart(), ThemeState(DrawState()), W(caption),
                                   static_cast<int>(caption.size()), flags, FEnabled ? 0 : 1, &rect);
    return;
  }
  if (!FEnabled) {
    DrawEmbossedText(dc, caption, area, flags);
    return;
  }
  DrawTypedText(dc, caption, area, flags, ColorToRGB(Font()->Color()), TextDrawType());
}

// ---- Links ----

bool TElCheckItem::IsOverLink(POINT point, WideString& href) {
  if (!FIsHTML || FRender == nullptr || Caption().empty()) return false;
  PrepareHTML();
  return FRender->IsCursorOverLink(POINT{point.x - FTextPos.x, point.y - FTextPos.y}, href);
}

bool TElCheckItem::ClickedLink() {
  if (!FIsHTML || !HandleAllocated()) return false;
  POINT point = FReleasePoint;
  if (!FReleasing) {
    if (!GetCursorPos(&point)) return false;
    ::ScreenToClient(FHandle, &point);
  }
  WideString href;
  if (!IsOverLink(point, href)) return false;
  TriggerLinkClickEvent(href);
  return true;
}

void TElCheckItem::TriggerLinkClickEvent(const WideString& href) {
  if (OnLinkClick) OnLinkClick(this, href);
}

void TElCheckItem::PlayCheckSound() {
  if (FSoundMap != nullptr) FSoundMap->Play(FCheckSound);
}

// ---- Mouse ----

void TElCheckItem::UpdateHover(bool inside) {
  if (inside == FMouseInControl) return;
  FMouseInControl = inside;
  const bool looksChange = MoneyFlat() || (FFlat && !FFlatAlways && !FUseCustomGlyphs) || FPressed ||
                           IsThemeApplied();
  if (looksChange) Invalidate();
}

void TElCheckItem::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  WideString href;
  if (IsOverLink(POINT{x, y}, href)) {
    // A press on a link is only the first half of the link's click.
    FLinkPressed = button == mbLeft;
    return;
  }
  FLinkPressed = false;
  if (button == mbLeft) {
    FPressed = true;
    FMouseInControl = true;
    HWND previous = GetCapture();
    FPrevCapture = previous != FHandle ? previous : nullptr;
    SetCapture(FHandle);
    Invalidate();
  }
  TElButtonControl::MouseDown(button, shift, x, y);
}

void TElCheckItem::EndPress(bool restoreCapture) {
  FPressed = false;
  if (!restoreCapture) return;
  HWND previous = FPrevCapture;
  FPrevCapture = nullptr;
  if (GetCapture() != FHandle) return;
  if (previous != nullptr && IsWindow(previous))
    SetCapture(previous);
  else
    ReleaseCapture();
}

void TElCheckItem::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const bool inside = x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight();
  const bool linkPressed = std::exchange(FLinkPressed, false);
  if (button == mbLeft && (FPressed || linkPressed) && inside) {
    FReleasing = true;
    FReleasePoint = POINT{x, y};
    try {
      Click();
    } catch (...) {
      FReleasing = false;
      throw;
    }
    FReleasing = false;
  }
  if (button == mbLeft && FPressed) {
    EndPress(true);
    if (inside) {
      if (CanFocus() && FHandle != GetFocus()) SetFocus();
      if (!FReadOnly) PlayCheckSound();
    }
    UpdateHover(inside);
    Invalidate();
  }
  TElButtonControl::MouseUp(button, shift, x, y);
}

void TElCheckItem::MouseMove(TShiftState shift, int x, int y) {
  // While pressed the mouse is captured: hovering follows the pointer.
  if (FPressed) UpdateHover(x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight());
  if (FIsHTML) {
    WideString href;
    ShowLinkCursor(IsOverLink(POINT{x, y}, href));
  }
  TElButtonControl::MouseMove(shift, x, y);
}

void TElCheckItem::CMMouseEnter(TMessage& message) {
  UpdateHover(true);
  TElButtonControl::CMMouseEnter(message);
}

void TElCheckItem::CMMouseLeave(TMessage& message) {
  // With the mouse captured by a press, leaving the window is followed by moves.
  if (!FPressed) UpdateHover(false);
  ShowLinkCursor(false);
  TElButtonControl::CMMouseLeave(message);
}

void TElCheckItem::WMCaptureChanged(TMessage& message) {
  // Another window took the capture in the middle of a press: the press is over.
  if (FPressed && reinterpret_cast<HWND>(message.LParam) != FHandle) {
    FPressed = false;
    FPrevCapture = nullptr;
    Invalidate();
  }
  TElButtonControl::WMCaptureChanged(message);
}

void TElCheckItem::WMContextMenu(TMessage& message) {
  POINT screen{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  WideString href;
  const bool fromKeyboard = screen.x == -1 && screen.y == -1;
  if (fromKeyboard || !FIsHTML || !IsOverLink(ScreenToClient(screen), href)) {
    TElButtonControl::WMContextMenu(message);
    return;
  }
  // The control's own menu first; the link menu when it has none.
  if (PopupMenu() != nullptr && PopupMenu()->AutoPopup()) {
    TElButtonControl::WMContextMenu(message);
    return;
  }
  if (FLinkPopupMenu != nullptr && FLinkPopupMenu->AutoPopup()) {
    FLinkPopupMenu->SetPopupComponent(this);
    FLinkPopupMenu->Popup(screen.x, screen.y);
  }
  message.Result = 0;
}

// ---- Keyboard and focus ----

void TElCheckItem::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDBLCLK:
      // A quick second click toggles again.
      message.Msg = WM_LBUTTONDOWN;
      break;
    case WM_KEYDOWN:
      FKeyRepeat = (message.LParam & (1 << 30)) != 0;
      break;
    case CM_DIALOGCHAR:
      if (FEnabled && IsAccelerator(static_cast<char16_t>(message.WParam), Caption())) {
        if (CanFocus()) {
          SetFocus();
          Click();
          message.Result = 1;
        }
        return;
      }
      break;
    default: break;
  }
  TElButtonControl::WndProc(message);
}

void TElCheckItem::KeyDown(WORD& key, TShiftState shift) {
  TElButtonControl::KeyDown(key, shift);
  // Holding Space down does not toggle on and on.
  if (key != VK_SPACE || (shift & (ssShift | ssCtrl | ssAlt)) != 0 || FKeyRepeat || FReadOnly) return;
  PlayCheckSound();
  Click();
}

void TElCheckItem::WMGetDlgCode(TMessage& message) {
  TElButtonControl::WMGetDlgCode(message);
  message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
  if (FHandleDialogKeys) message.Result |= DLGC_WANTALLKEYS;
}

void TElCheckItem::WMSetFocus(TMessage& message) {
  TElButtonControl::WMSetFocus(message);
  Invalidate();
}

void TElCheckItem::WMKillFocus(TMessage& message) {
  TElButtonControl::WMKillFocus(message);
  Invalidate();
}
