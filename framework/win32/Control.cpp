#include "framework/win32/Control.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "framework/Exception.h"
#include "framework/win32/WinControl.h"

namespace {
// The control that has the mouse captured, windowed or not.
TControl* CaptureControl = nullptr;

// Control canvases that hold a device context they took themselves.
std::vector<TControlCanvas*>& CanvasesWithContext() {
  static std::vector<TControlCanvas*> list;
  return list;
}
}  // namespace

TShiftState KeysToShiftState(WPARAM keys) {
  TShiftState shift = 0;
  if (keys & MK_SHIFT) shift |= ssShift;
  if (keys & MK_CONTROL) shift |= ssCtrl;
  if (keys & MK_LBUTTON) shift |= ssLeft;
  if (keys & MK_RBUTTON) shift |= ssRight;
  if (keys & MK_MBUTTON) shift |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

// --- TControlCanvas ---------------------------------------------------------

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::CreateHandle() {
  // A graphic control draws on its parent's window, moved to its own origin.
  TControl* control = FControl;
  int dx = 0;
  int dy = 0;
  TWinControl* windowed = dynamic_cast<TWinControl*>(control);
  if (windowed == nullptr) {
    windowed = control->Parent();
    if (windowed == nullptr) return;
    dx = control->Left();
    dy = control->Top();
  }
  HWND window = windowed->Handle();
  HDC dc = GetDCEx(window, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  if (dc == nullptr) return;
  SetViewportOrgEx(dc, dx, dy, nullptr);
  if (windowed != control) {
    IntersectClipRect(dc, 0, 0, control->Width(), control->Height());
  }
  FWindow = window;
  SetHandle(dc);
  CanvasesWithContext().push_back(this);
}

void TControlCanvas::FreeHandle() {
  HDC dc = FHandle;
  if (dc == nullptr) return;
  SetHandle(nullptr);
  if (FWindow != nullptr) {
    ReleaseDC(FWindow, dc);
    FWindow = nullptr;
    auto& list = CanvasesWithContext();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

void TControlCanvas::FreeDeviceContexts() {
  auto list = CanvasesWithContext();
  for (TControlCanvas* canvas : list) canvas->FreeHandle();
}

// --- TControl ---------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner), FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject* sender) { FontChanged(sender); };
}

TControl::~TControl() {
  if (CaptureControl == this) CaptureControl = nullptr;
  if (FParent != nullptr) FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == FParent) return;
  if (parent == this) throw Exception("A control cannot have itself as its parent");
  if (FParent != nullptr) FParent->RemoveControl(this);
  if (parent != nullptr) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  const bool changed = left != FLeft || top != FTop || width != FWidth || height != FHeight;
  if (changed) {
    if (FParent != nullptr && !dynamic_cast<TWinControl*>(this)) Invalidate();
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    ApplyBounds();
  }
  UpdateAnchorRules();
  if (changed && FAlign != alNone) RequestAlign();
}

void TControl::ApplyBounds() {
  if (FParent != nullptr) Invalidate();
}

void TControl::UpdateAnchorRules() {
  if (FParent == nullptr || FParent->FAligning) return;
  FAnchorRight = FParent->ClientWidth() - (FLeft + FWidth);
  FAnchorBottom = FParent->ClientHeight() - (FTop + FHeight);
}

void TControl::AnchorTo(int parentWidth, int parentHeight) {
  int left = FLeft;
  int top = FTop;
  int width = FWidth;
  int height = FHeight;
  if (FAnchors & akRight) {
    if (FAnchors & akLeft)
      width = parentWidth - left - FAnchorRight;
    else
      left = parentWidth - FAnchorRight - width;
  }
  if (FAnchors & akBottom) {
    if (FAnchors & akTop)
      height = parentHeight - top - FAnchorBottom;
    else
      top = parentHeight - FAnchorBottom - height;
  }
  SetBounds(left, top, width, height);
}

void TControl::SetAnchors(TAnchors value) {
  if (value == FAnchors) return;
  FAnchors = value;
  UpdateAnchorRules();
}

void TControl::SetAlign(TAlign value) {
  if (value == FAlign) return;
  FAlign = value;
  RequestAlign();
}

void TControl::RequestAlign() {
  if (FParent != nullptr) FParent->AlignControls();
}

void TControl::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  Perform(CM_VISIBLECHANGED, value ? 1 : 0);
  if (FAlign != alNone) RequestAlign();
}

void TControl::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetParentFont(bool value) {
  if (value == FParentFont) return;
  FParentFont = value;
  if (FParent != nullptr && value) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetColor(TColor value) {
  if (value == FColor && !FParentColor) return;
  FColor = value;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
  if (value == FParentColor) return;
  FParentColor = value;
  if (FParent != nullptr && value) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::FontChanged(TObject* /*sender*/) {
  // A font set on the control itself is no longer the parent's.
  FParentFont = false;
  Perform(CM_FONTCHANGED);
}

WideString TControl::GetText() { return FText; }

void TControl::SetTextBuffer(const WideString& value) { FText = value; }

void TControl::SetText(const WideString& value) {
  if (GetText() == value) return;
  SetTextBuffer(value);
  Perform(CM_TEXTCHANGED);
}

bool TControl::MouseCapture() const { return CaptureControl == this; }

void TControl::SetMouseCapture(bool value) {
  if (value == MouseCapture()) return;
  if (value) {
    auto* windowed = dynamic_cast<TWinControl*>(this);
    TWinControl* holder = windowed != nullptr ? windowed : FParent;
    if (holder == nullptr) return;
    CaptureControl = this;
    SetCapture(holder->Handle());
  } else {
    CaptureControl = nullptr;
    ReleaseCapture();
  }
}

void TControl::Invalidate() {
  if (FParent != nullptr && FVisible && FParent->HandleAllocated()) {
    RECT rect = BoundsRect();
    InvalidateRect(FParent->Handle(), &rect, TRUE);
  }
}

void TControl::Update() {
  if (FParent != nullptr) FParent->Update();
}

POINT TControl::ClientToScreen(POINT point) {
  if (auto* windowed = dynamic_cast<TWinControl*>(this)) {
    ::ClientToScreen(windowed->Handle(), &point);
    return point;
  }
  point.x += FLeft;
  point.y += FTop;
  return FParent != nullptr ? FParent->ClientToScreen(point) : point;
}

POINT TControl::ScreenToClient(POINT point) {
  if (auto* windowed = dynamic_cast<TWinControl*>(this)) {
    ::ScreenToClient(windowed->Handle(), &point);
    return point;
  }
  if (FParent != nullptr) point = FParent->ScreenToClient(point);
  point.x -= FLeft;
  point.y -= FTop;
  return point;
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  WndProc(message);
  return message.Result;
}

void TControl::WndProc(TMessage& message) { Dispatch(message); }

void TControl::DefaultHandler(TMessage& /*message*/) {}

void TControl::Dispatch(TMessage& message) {
  const int x = GET_X_LPARAM(message.LParam);
  const int y = GET_Y_LPARAM(message.LParam);
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      FClicking = true;
      MouseDown(mbLeft, KeysToShiftState(message.WParam), x, y);
      DefaultHandler(message);
      break;
    case WM_RBUTTONDOWN:
      MouseDown(mbRight, KeysToShiftState(message.WParam), x, y);
      DefaultHandler(message);
      break;
    case WM_MBUTTONDOWN:
      MouseDown(mbMiddle, KeysToShiftState(message.WParam), x, y);
      DefaultHandler(message);
      break;
    case WM_LBUTTONUP: {
      const bool clicked = FClicking;
      FClicking = false;
      DefaultHandler(message);
      MouseUp(mbLeft, KeysToShiftState(message.WParam), x, y);
      // Only a control without a window of its own clicks on the mouse; the
      // native controls report their clicks through a notification.
      if (clicked && !dynamic_cast<TWinControl*>(this) && x >= 0 && y >= 0 && x < FWidth &&
          y < FHeight)
        Click();
      break;
    }
    case WM_RBUTTONUP:
      DefaultHandler(message);
      MouseUp(mbRight, KeysToShiftState(message.WParam), x, y);
      break;
    case WM_MBUTTONUP:
      DefaultHandler(message);
      MouseUp(mbMiddle, KeysToShiftState(message.WParam), x, y);
      break;
    case WM_MOUSEMOVE:
      DefaultHandler(message);
      MouseMove(KeysToShiftState(message.WParam), x, y);
      break;
    case CM_FONTCHANGED: CMFontChanged(message); break;
    case CM_COLORCHANGED: CMColorChanged(message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(message); break;
    case CM_TEXTCHANGED: CMTextChanged(message); break;
    case CM_MOUSEENTER: CMMouseEnter(message); break;
    case CM_MOUSELEAVE: CMMouseLeave(message); break;
    default: DefaultHandler(message); break;
  }
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::CMFontChanged(TMessage& /*message*/) { Invalidate(); }
void TControl::CMColorChanged(TMessage& /*message*/) { Invalidate(); }
void TControl::CMEnabledChanged(TMessage& /*message*/) { Invalidate(); }
void TControl::CMVisibleChanged(TMessage& /*message*/) {
  if (FParent != nullptr && FParent->HandleAllocated()) {
    RECT rect = BoundsRect();
    InvalidateRect(FParent->Handle(), &rect, TRUE);
  }
}

void TControl::CMParentFontChanged(TMessage& /*message*/) {
  if (!FParentFont || FParent == nullptr) return;
  FFont->OnChange = nullptr;
  FFont->Assign(FParent->Font());
  FFont->OnChange = [this](TObject* sender) { FontChanged(sender); };
  Perform(CM_FONTCHANGED);
}

void TControl::CMParentColorChanged(TMessage& /*message*/) {
  if (!FParentColor || FParent == nullptr) return;
  FColor = FParent->Color();
  Perform(CM_COLORCHANGED);
  FParentColor = true;
}

void TControl::CMTextChanged(TMessage& /*message*/) { Invalidate(); }
void TControl::CMMouseEnter(TMessage& /*message*/) {}
void TControl::CMMouseLeave(TMessage& /*message*/) {}
