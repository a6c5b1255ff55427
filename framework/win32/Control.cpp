#include "framework/win32/Control.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "framework/Exception.h"
#include "framework/UnicodeHint.h"
#include "framework/win32/ActnList.h"
#include "framework/win32/Menus.h"
#include "framework/win32/WinControl.h"

namespace {
// The control that has the mouse captured, windowed or not; the capture is
// a thread's own, so is this.
thread_local TControl* CaptureControl = nullptr;

// Control canvases that hold a device context they took themselves; per
// thread, as each thread frees its own windows' contexts when it idles.
std::vector<TControlCanvas*>& CanvasesWithContext() {
  static thread_local std::vector<TControlCanvas*> list;
  return list;
}
}  // namespace

// Tells its control of every change of the linked action.
class TControlActionLink : public TBasicActionLink {
 public:
  explicit TControlActionLink(TControl* client) : FClient(client) {}

 protected:
  void Change(TActionProperties changed) override { FClient->ActionChange(Action(), false, changed); }

 private:
  TControl* FClient;
};

TShiftState KeyboardShiftState() {
  TShiftState shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

HCURSOR CursorHandle(TCursor cursor) {
  LPCWSTR id = IDC_ARROW;
  switch (cursor) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: break;
  }
  return LoadCursorW(nullptr, id);
}

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
  WindowProc = [this](TMessage& message) { WndProc(message); };
  FFont->OnChange = [this](TObject* sender) { FontChanged(sender); };
}

TControl::~TControl() {
  if (CaptureControl == this) CaptureControl = nullptr;
  if (FParent != nullptr) FParent->RemoveControl(this);
  if (FPopupMenu != nullptr) RemoveFreeNotification(FPopupMenu);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FPopupMenu) FPopupMenu = nullptr;
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

void TControl::SetCursor(TCursor value) {
  if (value == FCursor) return;
  FCursor = value;
  // Shown at once when the mouse is over the control.
  POINT point;
  if (FParent != nullptr || dynamic_cast<TWinControl*>(this)) {
    TWinControl* window = dynamic_cast<TWinControl*>(this) ? static_cast<TWinControl*>(this) : FParent;
    if (window->HandleAllocated() && GetCursorPos(&point) && WindowFromPoint(point) == window->Handle())
      SendMessageW(window->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window->Handle()),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  }
}

bool TControl::ShowHint() const {
  if (FParentShowHint && FParent != nullptr) return FParent->ShowHint();
  return FShowHint;
}

void TControl::SetShowHint(bool value) {
  FShowHint = value;
  FParentShowHint = false;
}

void TControl::SetParentShowHint(bool value) { FParentShowHint = value; }

void TControl::SetPopupMenu(TPopupMenu* value) {
  if (value == FPopupMenu) return;
  if (FPopupMenu != nullptr) RemoveFreeNotification(FPopupMenu);
  FPopupMenu = value;
  if (value != nullptr) FreeNotification(value);
}

TWinControl* TControl::TimerWindow() const {
  if (auto* windowed = dynamic_cast<const TWinControl*>(this)) return const_cast<TWinControl*>(windowed);
  return FParent;
}

bool TControl::StartTimer(UINT_PTR id, UINT intervalMs) {
  auto found = std::find_if(FTimers.begin(), FTimers.end(), [id](const TControlTimer& t) { return t.id == id; });
  if (found != FTimers.end())
    found->interval = intervalMs;
  else
    FTimers.push_back({id, intervalMs});
  TWinControl* window = TimerWindow();
  // Without a window yet the timer starts with it.
  if (window == nullptr || !window->HandleAllocated()) return true;
  const UINT_PTR windowId = window == this ? id : window->ChildTimerId(this, id, true);
  if (::SetTimer(window->Handle(), windowId, intervalMs, nullptr) != 0) return true;
  StopTimer(id);
  return false;
}

void TControl::StopTimer(UINT_PTR id) {
  auto found = std::find_if(FTimers.begin(), FTimers.end(), [id](const TControlTimer& t) { return t.id == id; });
  if (found == FTimers.end()) return;
  FTimers.erase(found);
  TWinControl* window = TimerWindow();
  if (window == nullptr || !window->HandleAllocated()) return;
  if (window == this) {
    ::KillTimer(window->Handle(), id);
  } else if (const UINT_PTR windowId = window->ChildTimerId(this, id, false)) {
    ::KillTimer(window->Handle(), windowId);
    window->FChildTimers.erase(
        std::remove_if(window->FChildTimers.begin(), window->FChildTimers.end(),
                       [windowId](const TWinControl::TChildTimer& t) { return t.windowId == windowId; }),
        window->FChildTimers.end());
  }
}

bool TControl::TimerRunning(UINT_PTR id) const {
  return std::any_of(FTimers.begin(), FTimers.end(), [id](const TControlTimer& t) { return t.id == id; });
}

void TControl::RestartTimers() {
  for (const TControlTimer& timer : std::vector<TControlTimer>(FTimers)) StartTimer(timer.id, timer.interval);
}

void TControl::TimerElapsed(UINT_PTR /*id*/) {}

void TControl::MouseButtonPressed() {
  if (FCaptureOnPress) SetMouseCapture(true);
}

void TControl::MouseButtonReleased() {
  if (!FCaptureOnPress || !MouseCapture()) return;
  const bool anyDown =
      GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 || GetKeyState(VK_MBUTTON) < 0;
  if (!anyDown) SetMouseCapture(false);
}

// ---- dragging ----

void TControl::BeginDrag(bool immediate) {
  if (FDragState != TDragState::none) return;
  POINT cursor;
  GetCursorPos(&cursor);
  FDragOrigin = ScreenToClient(cursor);
  SetMouseCapture(true);
  if (!MouseCapture()) return;  // no window to hold the mouse
  FDragState = TDragState::pending;
  if (immediate) {
    FDragState = TDragState::running;
    DoStartDrag();
  }
}

void TControl::EndDrag(int x, int y) {
  const TDragState state = FDragState;
  if (state == TDragState::none) return;
  FDragState = TDragState::none;
  SetMouseCapture(false);
  if (state == TDragState::running) DoEndDrag(x, y);
}

void TControl::DoStartDrag() {
  if (OnStartDrag) OnStartDrag(this);
}

void TControl::DoEndDrag(int x, int y) {
  if (OnEndDrag) OnEndDrag(this, x, y);
}

void TControl::TrackDrag(const TMessage& message) {
  const int x = GET_X_LPARAM(message.LParam);
  const int y = GET_Y_LPARAM(message.LParam);
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      if (FDragState == TDragState::pending) {
        if (std::abs(x - FDragOrigin.x) >= GetSystemMetrics(SM_CXDRAG) ||
            std::abs(y - FDragOrigin.y) >= GetSystemMetrics(SM_CYDRAG)) {
          FDragState = TDragState::running;
          DoStartDrag();
        }
      }
      break;
    case WM_LBUTTONUP:
      EndDrag(x, y);
      break;
    case WM_CAPTURECHANGED: {
      // The window lost the mouse: the drag cannot go on.
      POINT cursor;
      GetCursorPos(&cursor);
      const POINT at = ScreenToClient(cursor);
      EndDrag(at.x, at.y);
      break;
    }
    default: break;
  }
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
  WindowProc(message);
  return message.Result;
}

void TControl::WndProc(TMessage& message) { Dispatch(message); }

void TControl::DefaultHandler(TMessage& /*message*/) {}

void TControl::Dispatch(TMessage& message) {
  const int x = GET_X_LPARAM(message.LParam);
  const int y = GET_Y_LPARAM(message.LParam);
  // Only the mouse needs the shift state, and reading the Alt key costs a
  // trip to the platform on every message (a list's thousands included).
  const bool mouse = message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST;
  const TShiftState shift = mouse ? KeysToShiftState(message.WParam) : 0;
  if (FDragState != TDragState::none) TrackDrag(message);
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
      FClicking = true;
      MouseButtonPressed();
      MouseDown(mbLeft, shift, x, y);
      DefaultHandler(message);
      break;
    case WM_LBUTTONDBLCLK:
      // The second press of a double-click is no click of its own.
      FClicking = false;
      MouseButtonPressed();
      DblClick();
      MouseDown(mbLeft, shift | ssDouble, x, y);
      DefaultHandler(message);
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      MouseButtonPressed();
      MouseDown(mbRight, message.Msg == WM_RBUTTONDBLCLK ? shift | ssDouble : shift, x, y);
      DefaultHandler(message);
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      MouseButtonPressed();
      MouseDown(mbMiddle, message.Msg == WM_MBUTTONDBLCLK ? shift | ssDouble : shift, x, y);
      DefaultHandler(message);
      break;
    case WM_LBUTTONUP: {
      const bool clicked = FClicking;
      FClicking = false;
      DefaultHandler(message);
      MouseButtonReleased();
      MouseUp(mbLeft, shift, x, y);
      if (clicked && FClickOnMouseUp && x >= 0 && y >= 0 && x < FWidth && y < FHeight)
        Click();
      break;
    }
    case WM_RBUTTONUP:
      DefaultHandler(message);
      MouseButtonReleased();
      MouseUp(mbRight, shift, x, y);
      break;
    case WM_MBUTTONUP:
      DefaultHandler(message);
      MouseButtonReleased();
      MouseUp(mbMiddle, shift, x, y);
      break;
    case WM_MOUSEMOVE:
      DefaultHandler(message);
      MouseMove(shift, x, y);
      break;
    case WM_MOUSEWHEEL: {
      const POINT screen{x, y};
      if (DoMouseWheel(KeysToShiftState(LOWORD(message.WParam)),
                       static_cast<short>(HIWORD(message.WParam)), screen))
        message.Result = 1;
      else
        DefaultHandler(message);
      break;
    }
    case WM_TIMER:
      if (TimerRunning(message.WParam))
        TimerElapsed(message.WParam);
      else
        DefaultHandler(message);
      break;
    case CM_FONTCHANGED: CMFontChanged(message); break;
    case CM_COLORCHANGED: CMColorChanged(message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(message); break;
    case CM_TEXTCHANGED: CMTextChanged(message); break;
    case CM_MOUSEENTER:
      FMouseInside = true;
      CMMouseEnter(message);
      break;
    case CM_MOUSELEAVE:
      FMouseInside = false;
      CMMouseLeave(message);
      break;
    default: DefaultHandler(message); break;
  }
}

void TControl::Click() {
  TBasicAction* action = Action();
  if (action != nullptr && action->Execute()) return;
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

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

bool TControl::DoMouseWheel(TShiftState shift, int delta, POINT mousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, shift, delta, mousePos, handled);
  return handled;
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
void TControl::CMMouseEnter(TMessage& /*message*/) {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::CMMouseLeave(TMessage& /*message*/) {
  if (OnMouseLeave) OnMouseLeave(this);
}

// --- Linked action ----------------------------------------------------------

TBasicAction* TControl::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

void TControl::SetAction(TBasicAction* value) {
  if (value == Action()) return;
  if (value == nullptr) {
    FActionLink.reset();
    return;
  }
  const bool first = !FActionLink;
  if (first) FActionLink = std::make_unique<TControlActionLink>(this);
  FActionLink->SetAction(value);
  ActionChange(value, first, apAll);
}

void TControl::ActionChange(TBasicAction* sender, bool checkDefaults, TActionProperties which) {
  auto* action = dynamic_cast<TAction*>(sender);
  if (action == nullptr) return;
  if ((which & apCaption) && (!checkDefaults || Caption().empty())) SetCaption(action->Caption());
  if ((which & apHint) && (!checkDefaults || Hint().empty()))
    SetHint(action->Hint().empty() ? std::string() : EncodeUnicodeHint(action->Hint()));
  ApplyActionStates(sender, checkDefaults, which);
}

void TControl::ApplyActionStates(TBasicAction* sender, bool checkDefaults, TActionProperties which) {
  auto* action = dynamic_cast<TAction*>(sender);
  if (action == nullptr) return;
  if ((which & apEnabled) && (!checkDefaults || Enabled())) SetEnabled(action->Enabled());
  if ((which & apVisible) && (!checkDefaults || Visible())) SetVisible(action->Visible());
  if ((which & apHelpContext) && (!checkDefaults || FHelpContext == 0)) SetHelpContext(action->HelpContext());
}
