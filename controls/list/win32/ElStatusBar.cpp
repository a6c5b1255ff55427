#include "controls/list/win32/ElStatusBar.h"

#include <vsstyle.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "controls/base/win32/ElStyleValues.h"
#include "controls/base/win32/ElThemeLibrary.h"
#include "framework/UnicodeHint.h"
#include "framework/win32/BufferedPaint.h"
#include "framework/win32/Form.h"

namespace {

LPCWSTR W(const WideString& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

RECT ToRect(const TElRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }
TElRect FromRect(const RECT& r) { return TElRect{r.left, r.top, r.right, r.bottom}; }

bool Meets(const RECT& a, const RECT& b) {
  RECT both;
  return IntersectRect(&both, &a, &b) != FALSE;
}

// Sunken outer edge on the top and left, sunken outer and inner edges on the
// right and bottom.
void DrawLoweredEdge(HDC dc, RECT rect) {
  DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_TOPLEFT);
  DrawEdge(dc, &rect, EDGE_SUNKEN, BF_BOTTOMRIGHT);
}

// Raised outer and inner edges on the top and left, a raised inner edge on
// the right and bottom.
void DrawRaisedEdge(HDC dc, RECT rect) {
  DrawEdge(dc, &rect, EDGE_RAISED, BF_TOPLEFT);
  DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_BOTTOMRIGHT);
}

void DrawBevel(HDC dc, const RECT& rect, TElStatusPanelBevel bevel) {
  if (bevel == epbLowered) DrawLoweredEdge(dc, rect);
  if (bevel == epbRaised) DrawRaisedEdge(dc, rect);
}

COLORREF Shifted(COLORREF color, int amount) {
  auto channel = [amount](int value) { return static_cast<BYTE>(std::clamp(value + amount, 0, 255)); };
  return RGB(channel(GetRValue(color)), channel(GetGValue(color)), channel(GetBValue(color)));
}

UINT AlignmentFlags(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
  }
}

constexpr UINT TextFlags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

}  // namespace

// ---- TElStatusPanel ----

TElStatusPanel::TElStatusPanel(TElStatusPanels* collection) : FCollection(collection) {}

TElStatusPanel::~TElStatusPanel() {
  // The control stays with the bar's parent chain but leaves this panel.
  FControl = nullptr;
}

TElStatusBar* TElStatusPanel::Bar() const { return FCollection->Bar(); }

int TElStatusPanel::Index() const { return FCollection->IndexOf(this); }

void TElStatusPanel::Changed(bool allPanels) { Bar()->PanelChanged(this, allPanels); }

void TElStatusPanel::SetText(const WideString& value) {
  if (value == FText) return;
  FText = value;
  ApplyAutoSize();
  Changed(false);
}

void TElStatusPanel::SetWidth(int value) {
  if (value == FWidth) return;
  FWidth = value;
  Changed(true);
}

void TElStatusPanel::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  Changed(false);
}

void TElStatusPanel::SetBevel(TElStatusPanelBevel value) {
  if (value == FBevel) return;
  FBevel = value;
  Changed(false);
}

void TElStatusPanel::SetStyle(TElStatusPanelStyle value) {
  if (value == FStyle) return;
  FStyle = value;
  ApplyAutoSize();
  Changed(false);
}

void TElStatusPanel::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  Changed(true);
}

void TElStatusPanel::SetIsHTML(bool value) {
  if (value == FIsHTML) return;
  FIsHTML = value;
  Changed(false);
}

void TElStatusPanel::SetAutoSize(bool value) {
  if (value == FAutoSize) return;
  FAutoSize = value;
  ApplyAutoSize();
  Changed(false);
}

void TElStatusPanel::ApplyAutoSize() {
  if (FAutoSize && FStyle == epsText) SetWidth(CalcAutoSize());
}

void TElStatusPanel::SetControl(TControl* value) {
  if (value == FControl) return;
  TElStatusBar* bar = Bar();
  if (FControl != nullptr) bar->RemoveFreeNotification(FControl);
  FControl = value;
  if (value == nullptr) return;
  if (value->Parent() != bar) value->SetParent(bar);
  bar->FreeNotification(value);
  bar->FPlacing = true;
  try {
    UpdateControl();
  } catch (...) {
    bar->FPlacing = false;
    throw;
  }
  bar->FPlacing = false;
}

int TElStatusPanel::CurWidth() const { return Bar()->Metrics().CurWidth(Index()); }
int TElStatusPanel::GetRealWidth() const { return Bar()->Metrics().RealWidth(Index()); }
int TElStatusPanel::GetLeft() const { return Bar()->Metrics().Left(Index()); }
int TElStatusPanel::GetRight() const { return Bar()->Metrics().Right(Index()); }
RECT TElStatusPanel::GetPanelRect() const { return ToRect(Bar()->Metrics().PanelRect(Index())); }

int TElStatusPanel::CalcAutoSize() const {
  TElStatusBar* bar = Bar();
  if (!bar->HandleAllocated()) return FWidth;
  TCanvas* canvas = bar->Canvas();
  canvas->Font()->Assign(bar->Font());
  RECT rect{0, 0, 0, 0};
  canvas->DrawText(FText, rect, DT_CALCRECT | TextFlags);
  return rect.right - rect.left + 6;
}

void TElStatusPanel::UpdateControl() {
  if (FControl == nullptr) return;
  TElStatusBar* bar = Bar();
  if (FStyle != epsControl) FControl->Hide();
  RECT rect = GetPanelRect();
  if (FBevel != epbNone) InflateRect(&rect, -2, -2);
  if (bar->SizeGrip() && FCollection->LastVisiblePanel() == this)
    rect.right -= GetSystemMetrics(SM_CXVSCROLL) + 1;
  FControl->SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  FControl->SetVisible(FStyle == epsControl && FVisible && !bar->SimplePanel());
}

void TElStatusPanel::RestoreWidth() {
  if (FSavedWidth >= 0) SetWidth(FSavedWidth);
}

void TElStatusPanel::Assign(const TElStatusPanel& source) {
  if (&source == this) return;
  FText = source.FText;
  FWidth = source.FWidth;
  FSavedWidth = source.FSavedWidth;
  FAlignment = source.FAlignment;
  FBevel = source.FBevel;
  FStyle = source.FStyle;
  SetControl(source.FControl);
  FVisible = source.FVisible;
  Changed(true);
}

// ---- TElStatusPanels ----

TElStatusPanel* TElStatusPanels::Items(int index) const {
  if (index < 0 || index >= Count())
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  return FItems[static_cast<size_t>(index)].get();
}

void TElStatusPanels::SetItems(int index, const TElStatusPanel& panel) { Items(index)->Assign(panel); }

TElStatusPanel* TElStatusPanels::Add() {
  FItems.push_back(std::make_unique<TElStatusPanel>(this));
  FBar->PanelChanged(nullptr, true);
  return FItems.back().get();
}

void TElStatusPanels::Delete(int index) {
  Items(index);
  std::unique_ptr<TElStatusPanel> panel = std::move(FItems[static_cast<size_t>(index)]);
  FItems.erase(FItems.begin() + index);
  if (FBar->FResizePanel == panel.get()) FBar->FResizePanel = nullptr;
  if (FBar->FPressedPanel == panel.get()) FBar->FPressedPanel = nullptr;
  if (panel->Control() != nullptr) panel->SetControl(nullptr);
  panel.reset();
  FBar->PanelChanged(nullptr, true);
}

void TElStatusPanels::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

TElStatusPanel* TElStatusPanels::LastVisiblePanel() const {
  for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
    if ((*it)->Visible()) return it->get();
  return nullptr;
}

void TElStatusPanels::Assign(const TElStatusPanels& source) {
  if (&source == this) return;
  Clear();
  for (const auto& panel : source.FItems) Add()->Assign(*panel);
}

int TElStatusPanels::IndexOf(const TElStatusPanel* panel) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == panel) return static_cast<int>(i);
  return -1;
}

// ---- TElStatusBar ----

TElStatusBar::TElStatusBar(TComponent* owner)
    : TElXPThemedControl(owner),
      FPanels(std::make_unique<TElStatusPanels>(this)),
      FRender(std::make_unique<TElHTMLRender>(this)) {
  BeginCreate();
  FRender->OnImageNeeded = [this](TObject* sender, const WideString& src, TBitmap*& image) {
    TriggerImageNeededEvent(sender, src, image);
  };
  SetColor(clBtnFace);
  Font()->SetColor(clBtnText);
  SetBounds(0, 0, 200, 19);
  SetAlign(alBottom);
  EndCreate();
}

TElStatusBar::~TElStatusBar() {
  SetDestroying();
  for (int i = 0; i < FPanels->Count(); ++i) FPanels->Items(i)->FControl = nullptr;
  FRender.reset();
}

void TElStatusBar::SetSimpleText(const WideString& value) {
  if (value == FSimpleText) return;
  FSimpleText = value;
  Invalidate();
}

void TElStatusBar::SetSimplePanel(bool value) {
  FSimplePanel = value || FPanels->Count() == 0;
  for (int i = 0; i < FPanels->Count(); ++i) {
    TElStatusPanel* panel = FPanels->Items(i);
    if (panel->Control() != nullptr)
      panel->Control()->SetVisible(!FSimplePanel && panel->Style() == epsControl && panel->Visible());
  }
  Invalidate();
}

void TElStatusBar::SetSimpleTextIsHTML(bool value) {
  if (value == FSimpleTextIsHTML) return;
  FSimpleTextIsHTML = value;
  Invalidate();
}

void TElStatusBar::SetSizeGrip(bool value) {
  if (value && FParent != nullptr) {
    // A grip works only on a bar standing on a form, and only on the last
    // status bar there.
    if (dynamic_cast<TForm*>(FParent) == nullptr) return;
    bool after = false;
    for (int i = 0; i < FParent->ControlCount(); ++i) {
      TControl* control = FParent->Controls(i);
      if (control == this)
        after = true;
      else if (after && dynamic_cast<TElStatusBar*>(control) != nullptr)
        return;
    }
  }
  FSizeGrip = value;
  Invalidate();
}

TElStatusBarMetrics TElStatusBar::Metrics() {
  TElStatusBarMetrics metrics;
  metrics.ClientWidth = ClientWidth();
  metrics.ClientHeight = ClientHeight();
  metrics.Bevel = FBevel != epbNone;
  for (int i = 0; i < FPanels->Count(); ++i) {
    const TElStatusPanel* panel = FPanels->Items(i);
    metrics.Panels.push_back(TElPanelMetrics{panel->Visible(), panel->Width()});
  }
  return metrics;
}

TElStatusPanel* TElStatusBar::PanelAtPoint(POINT point) {
  if (FSimplePanel) return nullptr;
  const int index = Metrics().PanelAt(point.x);
  return index < 0 ? nullptr : FPanels->Items(index);
}

void TElStatusBar::UpdatePanels() {
  PlacePanels();
  Invalidate();
}

void TElStatusBar::PlacePanels() {
  if (FPanels->Count() == 0) FSimplePanel = true;
  for (int i = 0; i < FPanels->Count(); ++i) FPanels->Items(i)->UpdateControl();
}

void TElStatusBar::PanelChanged(TElStatusPanel* panel, bool allPanels) {
  if (Destroying()) return;
  if (!allPanels && panel != nullptr) {
    // Only this panel's rectangle is painted again, at once.
    PlacePanels();
    if (!HandleAllocated()) return;
    RECT rect = panel->GetPanelRect();
    InvalidateRect(FHandle, &rect, FALSE);
    UpdateWindow(FHandle);
    return;
  }
  UpdatePanels();
  if (!HandleAllocated()) return;
  for (int i = 0; i < FPanels->Count(); ++i)
    if (FPanels->Items(i)->Style() == epsControl) FPanels->Items(i)->UpdateControl();
  Repaint();
}

bool TElStatusBar::ParentFormSizeable() {
  TForm* form = GetParentForm(this);
  if (form == nullptr || !form->HandleAllocated()) return false;
  const LONG style = GetWindowLongW(form->Handle(), GWL_STYLE);
  return (style & WS_THICKFRAME) != 0 && !IsZoomed(form->Handle());
}

bool TElStatusBar::SizeGripShown() { return FSizeGrip && ParentFormSizeable(); }

void TElStatusBar::WMEraseBkgnd(TMessage& message) {
  // Paint covers every pixel; erasing first would only flicker.
  message.Result = 1;
}

void TElStatusBar::Paint() {
  const RECT client = ClientRect();
  RECT dirty;
  if (GetClipBox(Canvas()->Handle(), &dirty) == NULLREGION) return;
  HDC target = Canvas()->Handle();
  TBufferedPaint buffer(target, dirty);
  TCanvas* canvas = Canvas();
  canvas->SetHandle(buffer.DC());
  try {
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(dirty);
    if (IsThemeApplied())
      PaintThemed(client, dirty);
    else
      PaintClassic(client, dirty);
    if (SizeGripShown()) PaintSizeGrip(client);
  } catch (...) {
    canvas->SetHandle(target);
    throw;
  }
  canvas->SetHandle(target);
  buffer.Finish();
}

void TElStatusBar::PaintThemed(const RECT& client, const RECT& dirty) {
  HDC dc = Canvas()->Handle();
  TElThemeLibrary::DrawThemeBackground(Theme(), dc, 0, 0, &client, nullptr);
  RECT area = client;
  TElThemeLibrary::GetThemeBackgroundContentRect(Theme(), dc, SP_PANE, 0, &client, &area);
  if (IsRectEmpty(&area)) return;
  if (FSimplePanel) {
    area.top += 2;
    Canvas()->Brush()->SetStyle(bsClear);
    DrawSimpleText(area, true);
    return;
  }
  for (int i = 0; i < FPanels->Count(); ++i) {
    const RECT rect = FPanels->Items(i)->GetPanelRect();
    if (Meets(rect, dirty)) DrawPanel(FPanels->Items(i));
  }
}

void TElStatusBar::PaintClassic(const RECT& client, const RECT& dirty) {
  HDC dc = Canvas()->Handle();
  Canvas()->FillRect(dirty);
  if (!FSimplePanel) {
    RECT area = client;
    if (FBevel == epbNone)
      InflateRect(&area, 1, 1);
    else
      DrawBevel(dc, area, FBevel);
    InflateRect(&area, -2, -2);
    for (int i = 0; i < FPanels->Count(); ++i) {
      const RECT rect = FPanels->Items(i)->GetPanelRect();
      if (Meets(rect, dirty)) DrawPanel(FPanels->Items(i));
    }
    return;
  }
  RECT area = client;
  area.top += 2;
  DrawLoweredEdge(dc, area);
  InflateRect(&area, -1, -1);
  DrawSimpleText(area, false);
}

void TElStatusBar::DrawSimpleText(RECT area, bool themed) {
  if (FSimpleTextIsHTML) {
    DrawHTML(FSimpleText, area, themed ? clNone : Color(), taLeftJustify);
    return;
  }
  if (FSimpleText.empty()) return;
  HDC dc = Canvas()->Handle();
  if (themed) {
    TSelectedObject font(dc, Font()->Handle());
    TElThemeLibrary::DrawThemeText(Theme(), dc, 0, 0, W(FSimpleText), static_cast<int>(FSimpleText.size()),
                                   TextFlags | DT_LEFT, 0, &area);
    return;
  }
  Canvas()->Brush()->SetStyle(bsClear);
  Canvas()->DrawText(FSimpleText, area, TextFlags | DT_LEFT);
}

void TElStatusBar::DrawHTML(const WideString& text, const RECT& area, TColor background, TAlignment alignment) {
  FRender->SetDefaultsFrom(Font());
  FRender->SetDefaultBkColor(background);
  FRender->PrepareText(text, 0, false);
  const SIZE size = FRender->TextSize();
  POINT origin{area.left, area.top + (area.bottom - area.top - size.cy) / 2};
  if (alignment == taRightJustify) origin.x = area.right - size.cx;
  if (alignment == taCenter) origin.x = area.left + (area.right - area.left - size.cx) / 2;
  FRender->DrawText(Canvas()->Handle(), origin, area);
}

void TElStatusBar::DrawPanel(TElStatusPanel* panel) {
  RECT rect = panel->GetPanelRect();
  if (IsRectEmpty(&rect)) return;
  HDC dc = Canvas()->Handle();
  if (IsThemeApplied()) {
    const int part = (panel == FPanels->LastVisiblePanel() && SizeGripShown()) ? SP_GRIPPERPANE : SP_PANE;
    const RECT bounds = rect;
    TElThemeLibrary::DrawThemeBackground(Theme(), dc, part, 0, &bounds, nullptr);
    TElThemeLibrary::GetThemeBackgroundContentRect(Theme(), dc, part, 0, &bounds, &rect);
  } else {
    DrawBevel(dc, rect, panel->Bevel());
    InflateRect(&rect, -2, -2);
  }
  switch (panel->Style()) {
    case epsOwnerDraw: TriggerPanelDrawEvent(panel); return;
    case epsControl: return;
    case epsText: break;
  }
  InflateRect(&rect, -1, 0);
  if (IsRectEmpty(&rect)) return;
  const WideString& text = panel->Text();
  if (panel->IsHTML()) {
    DrawHTML(text, rect, clNone, panel->Alignment());
  } else if (IsThemeApplied() && !text.empty()) {
    Canvas()->Brush()->SetStyle(bsClear);
    TSelectedObject font(dc, Font()->Handle());
    TElThemeLibrary::DrawThemeText(Theme(), dc, SP_PANE, 0, W(text), static_cast<int>(text.size()),
                                   TextFlags | AlignmentFlags(panel->Alignment()), 0, &rect);
  } else if (!text.empty()) {
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->DrawText(text, rect, TextFlags | AlignmentFlags(panel->Alignment()));
  }
}

void TElStatusBar::PaintSizeGrip(const RECT& client) {
  HDC dc = Canvas()->Handle();
  if (IsThemeApplied()) {
    const RECT grip = ToRect(ElThemedSizeGripRect(client.right, client.bottom, GetSystemMetrics(SM_CXVSCROLL)));
    if (!IsRectEmpty(&grip)) TElThemeLibrary::DrawThemeBackground(Theme(), dc, SP_GRIPPER, 0, &grip, nullptr);
    return;
  }
  RECT area = client;
  TElStatusPanel* last = FPanels->LastVisiblePanel();
  if (FSimplePanel) {
    area.top += 2;
    InflateRect(&area, -2, -2);
  } else if (last != nullptr) {
    area = last->GetPanelRect();
    if (last->Bevel() != epbNone) InflateRect(&area, -2, -2);
  }
  const TElRect square = ElSizeGripSquare(FromRect(area));
  if (Color() == clBtnFace) {
    RECT frame = ToRect(square);
    frame.top += 1;
    DrawFrameControl(dc, &frame, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    return;
  }
  const COLORREF base = ColorToRGB(Color());
  TGdiObject<HPEN> light(CreatePen(PS_SOLID, 1, Shifted(base, 50)));
  TGdiObject<HPEN> dark(CreatePen(PS_SOLID, 1, Shifted(base, -50)));
  for (const TElGripLine& line : ElSizeGripLines(square)) {
    TSelectedObject pen(dc, line.Light ? light.Get() : dark.Get());
    MoveToEx(dc, line.X1, line.Y1, nullptr);
    LineTo(dc, line.X2, line.Y2);
  }
}

void TElStatusBar::WMSize(TMessage& message) {
  TElXPThemedControl::WMSize(message);
  if (!FPlacing) UpdatePanels();
}

void TElStatusBar::WMNCHitTest(TMessage& message) {
  TElXPThemedControl::WMNCHitTest(message);
  if (message.Result != HTCLIENT || !SizeGripShown()) return;
  POINT point{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  ::ScreenToClient(FHandle, &point);
  if (ElSizeGripHitRect(ClientWidth(), ClientHeight()).Contains(point.x, point.y)) message.Result = HTBOTTOMRIGHT;
}

void TElStatusBar::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      // The grip sizes the form, not the bar: the form gets the press.
      if (message.WParam == HTBOTTOMRIGHT) {
        if (TForm* form = GetParentForm(this)) {
          message.Result = SendMessageW(form->Handle(), message.Msg, message.WParam, message.LParam);
          return;
        }
      }
      break;
    case WM_SETCURSOR:
      if (LOWORD(message.LParam) == HTCLIENT && (FSplitCursor || FResizePanel != nullptr)) {
        ::SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        message.Result = 1;
        return;
      }
      break;
    case CM_HINTSHOW:
      CMHintShow(*reinterpret_cast<THintInfo*>(message.LParam));
      message.Result = 0;
      return;
    case WM_LBUTTONDBLCLK: {
      TElXPThemedControl::WndProc(message);
      POINT point{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
      TriggerPanelDblClickEvent(PanelAtPoint(point));
      return;
    }
    default: break;
  }
  TElXPThemedControl::WndProc(message);
}

void TElStatusBar::CreateWnd() {
  TElXPThemedControl::CreateWnd();
  // The bar's own release handling decides between a panel click, a resize
  // and a click of the bar; the framework's click on release would add a
  // second OnClick to each of them.
  FClickOnMouseUp = false;
}

void TElStatusBar::DrawDragLine() {
  if (!HandleAllocated()) return;
  TWindowDC dc(FHandle);
  if (dc) PatBlt(dc.Get(), FLineX, 0, 1, ClientHeight(), DSTINVERT);
  FLineDrawn = !FLineDrawn;
}

void TElStatusBar::SetSplitCursor(bool split) {
  if (split == FSplitCursor) return;
  FSplitCursor = split;
  ::SetCursor(LoadCursorW(nullptr, split ? IDC_SIZEWE : IDC_ARROW));
}

void TElStatusBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TElXPThemedControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  FPressedPanel = PanelAtPoint(POINT{x, y});
  FPressed = true;
  SetMouseCapture(true);
  if (FSimplePanel || !FResizablePanels || FPressedPanel != nullptr) return;
  const int index = Metrics().PanelLeftOfGap(x);
  if (index < 0 || !FPanels->Items(index)->Resizable()) return;
  FResizePanel = FPanels->Items(index);
  FLineX = FResizePanel->GetRight();
  FLineOffset = x - FLineX;
  DrawDragLine();
}

void TElStatusBar::MouseMove(TShiftState shift, int x, int y) {
  TElXPThemedControl::MouseMove(shift, x, y);
  if (FResizePanel != nullptr) {
    const int lineX = x - FLineOffset;
    // Never left of the panel's own left edge: the line stays where it was.
    if (lineX < FResizePanel->GetLeft()) return;
    if (FLineDrawn) DrawDragLine();
    FLineX = lineX;
    DrawDragLine();
    return;
  }
  if (!FPressed && !FSimplePanel && FResizablePanels) {
    const int index = Metrics().PanelLeftOfGap(x);
    SetSplitCursor(index >= 0 && FPanels->Items(index)->Resizable());
  }
}

void TElStatusBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TElXPThemedControl::MouseUp(button, shift, x, y);
  if (button != mbLeft || !FPressed) return;
  SetMouseCapture(false);
  TElStatusPanel* resized = FResizePanel;
  if (FPressedPanel != nullptr && resized == nullptr) {
    TriggerPanelClickEvent(FPressedPanel);
  } else {
    SetSplitCursor(false);
    if (resized == nullptr) Click();
  }
  if (resized != nullptr) {
    if (FLineDrawn) DrawDragLine();
    FResizePanel = nullptr;
    resized->SetWidth(FLineX - resized->GetLeft());
    TriggerPanelResizeEvent(resized);
  }
  FResizePanel = nullptr;
  FPressed = false;
  FPressedPanel = nullptr;
}

void TElStatusBar::CMMouseLeave(TMessage& message) {
  TElXPThemedControl::CMMouseLeave(message);
  if (!FPressed) SetSplitCursor(false);
}

void TElStatusBar::SetHint(const WideString& value) {
  FHint = value;
  TElXPThemedControl::SetHint(EncodeUnicodeHint(value));
}

void TElStatusBar::CMHintShow(THintInfo& info) {
  TElStatusPanel* panel = PanelAtPoint(info.CursorPos);
  WideString text = panel != nullptr && !panel->Hint().empty() ? panel->Hint() : FHint;
  if (text.empty()) {
    info.HintStr.clear();
    return;
  }
  if (info.HintStr == GetShortHint(TElXPThemedControl::Hint())) text = text.substr(0, text.find(u'|'));
  info.HintStr = EncodeUnicodeHint(text);
  // Moving onto another panel asks for the hint again.
  if (panel != nullptr) info.CursorRect = panel->GetPanelRect();
}

void TElStatusBar::Notification(TComponent* component, TOperation operation) {
  TElXPThemedControl::Notification(component, operation);
  if (operation != opRemove || FPanels == nullptr) return;
  for (int i = 0; i < FPanels->Count(); ++i) {
    TElStatusPanel* panel = FPanels->Items(i);
    if (static_cast<TComponent*>(panel->FControl) == component) panel->FControl = nullptr;
  }
}

bool TElStatusBar::SetStyleProperty(const std::string& name, const std::string& value) {
  if (name == "SizeGrip")
    SetSizeGrip(StyleBoolean(name, value));
  else if (name == "Bevel")
    SetBevel(static_cast<TElStatusPanelBevel>(StyleEnum(name, value, {"epbLowered", "epbNone", "epbRaised"})));
  else if (name == "SimpleTextIsHTML")
    SetSimpleTextIsHTML(StyleBoolean(name, value));
  else
    return TElXPThemedControl::SetStyleProperty(name, value);
  return true;
}

void TElStatusBar::TriggerPanelResizeEvent(TElStatusPanel* panel) {
  if (OnPanelResize) OnPanelResize(this, panel);
}

void TElStatusBar::TriggerPanelDrawEvent(TElStatusPanel* panel) {
  if (OnPanelDraw) OnPanelDraw(this, panel);
}

void TElStatusBar::TriggerPanelDblClickEvent(TElStatusPanel* panel) {
  if (OnPanelDblClick) OnPanelDblClick(this, panel);
}

void TElStatusBar::TriggerPanelClickEvent(TElStatusPanel* panel) {
  if (OnPanelClick) OnPanelClick(this, panel);
}

void TElStatusBar::TriggerImageNeededEvent(TObject* sender, const WideString& src, TBitmap*& image) {
  if (OnHTMLImageNeeded) OnHTMLImageNeeded(sender, src, image);
}
