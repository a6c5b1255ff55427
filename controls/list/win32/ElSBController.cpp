#include "controls/list/win32/ElSBController.h"

#include <windowsx.h>

#include <algorithm>
#include <string>
#include <utility>

#include "controls/base/win32/ElThemeLibrary.h"
#include "controls/list/win32/ElScrollInfoHook.h"
#include "platform/win32/HandleOwners.h"

namespace {
constexpr LONG kScrollStyles = WS_HSCROLL | WS_VSCROLL;

// The host's own handling runs with the re-entrancy flag set.
struct TInHost {
  explicit TInHost(bool& flag) : FFlag(flag), FOld(flag) { flag = true; }
  ~TInHost() { FFlag = FOld; }
  bool& FFlag;
  bool FOld;
};

int MaskOf(int which) { return which == SB_HORZ ? 1 : which == SB_VERT ? 2 : 3; }
}  // namespace

TElSBController::TElSBController(TComponent* owner) : TComponent(owner) { CreateBars(); }

void TElSBController::CreateBars() {
  FBars[0] = CreateScrollBar(sbHorizontal);
  FBars[1] = CreateScrollBar(sbVertical);
  for (auto& bar : FBars) {
    TElSBHandlerCustom* handler = bar.get();
    handler->OnScroll = [this, handler](TObject*, TElScrollCode code, int& position, bool& doChange) {
      ElSBScrollEvent(handler, code, position, doChange);
    };
  }
}

TElSBController::~TElSBController() {
  SetDestroying();
  Detach();
}

std::unique_ptr<TElCtrlScrollBarStyles> TElSBController::CreateScrollBar(TElScrollBarKind kind) {
  return std::make_unique<TElCtrlScrollBarStyles>(this, kind);
}

TElCtrlScrollBarStyles* TElSBController::GetScrollBar(int index) const {
  return index == 0 ? FBars[0].get() : FBars[1].get();
}

void TElSBController::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FControl) {
    // The host is going: nothing of it may be touched any more.
    for (auto& bar : FBars) bar->Detach();
    FCaptureBar = nullptr;
    CloseTheme();
    FControl = nullptr;
    FActive = false;
  }
}

// ---- attaching ----

void TElSBController::SetControl(TWinControl* control) {
  if (control == FControl) return;
  Detach();
  if (control != nullptr) Attach(control);
}

void TElSBController::Detach() {
  TWinControl* old = FControl;
  for (auto& bar : FBars) {
    if (bar->Pressing()) bar->CancelMode();
    bar->Detach();
  }
  if (FCaptureBar != nullptr) ReleaseCaptureOf(FCaptureBar);
  CloseTheme();
  FActive = false;
  FControl = nullptr;
  FPendingRepaint = 0;
  FDirectTrack[0] = FDirectTrack[1] = kNoDirectTrack;
  if (old == nullptr) return;
  old->RemoveFreeNotification(this);
  // The old host gets the platform's bars back.
  if (old->HandleAllocated() && !old->Destroying())
    SetWindowPos(old->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TElSBController::Attach(TWinControl* control) {
  FControl = control;
  control->FreeNotification(this);
  if (!TElScrollInfoHook::Install()) return;  // inactive: the host keeps the platform's bars
  FActive = true;
  for (auto& bar : FBars) bar->TakeSystemMetrics();
  if (!control->HandleAllocated()) return;
  for (auto& bar : FBars) bar->SyncScrollInfoFromSystem(false);
  OpenTheme();
  RecalcFrame();
}

void TElSBController::OpenTheme() {
  CloseTheme();
  if (FUseXPThemes && FControl != nullptr && FControl->HandleAllocated())
    FTheme = TElThemeLibrary::OpenThemeData(FControl->Handle(), L"SCROLLBAR");
}

void TElSBController::CloseTheme() {
  if (FTheme != nullptr) TElThemeLibrary::CloseThemeData(FTheme);
  FTheme = nullptr;
}

void TElSBController::SetUseXPThemes(bool value) {
  if (value == FUseXPThemes) return;
  FUseXPThemes = value;
  for (auto& bar : FBars) bar->SetUseXPThemes(value);
  if (FActive) {
    OpenTheme();
    RecalcFrame();
  }
}

bool TElSBController::IsThemeApplied() const {
  if (!TElThemeLibrary::ThemesAvailable() || FControl == nullptr) return false;
  return FUseXPThemes ? FTheme != nullptr : TElThemeLibrary::ThemeActive();
}

TScrollBarTracking TElSBController::ScrollBarsTracking() const {
  const bool horizontal = FBars[0]->Tracking();
  const bool vertical = FBars[1]->Tracking();
  if (horizontal && vertical) return sbtrBoth;
  return horizontal ? sbtrHorizontal : vertical ? sbtrVertical : sbtrNone;
}

void TElSBController::SetScrollBarsTracking(TScrollBarTracking value) {
  FBars[0]->SetTracking(value == sbtrHorizontal || value == sbtrBoth);
  FBars[1]->SetTracking(value == sbtrVertical || value == sbtrBoth);
}

void TElSBController::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) RecalcFrame();
}

void TElSBController::RecalcFrame() {
  if (!FActive || FControl == nullptr || !FControl->HandleAllocated() || Updating()) return;
  SetWindowPos(FControl->Handle(), nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- painting ----

void TElSBController::RequestRepaint(int which) {
  if (!FActive || FControl == nullptr || !FControl->HandleAllocated()) return;
  const bool posted = FPendingRepaint != 0;
  FPendingRepaint |= MaskOf(which);
  // One posted request serves every change made before the host's next
  // message round: a host that sets its range and position for each new line
  // pays for one paint, not two.
  if (!posted) PostMessageW(FControl->Handle(), ElScrollBarMessage(), kElSBRepaint, which);
}

void TElSBController::PaintBars(int which) {
  if (!FActive || FControl == nullptr || !FControl->HandleAllocated() || Updating()) return;
  HWND host = FControl->Handle();
  if (!IsWindowVisible(host)) return;
  const LONG style = GetWindowLongW(host, GWL_STYLE);
  TWindowDC dc(host, true);
  if (!dc) return;
  const int mask = MaskOf(which);
  if ((mask & 1) && (style & WS_HSCROLL)) FBars[0]->Paint(dc.Get(), FBars[0]->BarRect());
  if ((mask & 2) && (style & WS_VSCROLL)) FBars[1]->Paint(dc.Get(), FBars[1]->BarRect());
  if ((style & kScrollStyles) == kScrollStyles) PaintCorner(dc.Get());
}

void TElSBController::PaintCorner(HDC dc) {
  const RECT& h = FBars[0]->BarRect();
  const RECT& v = FBars[1]->BarRect();
  const RECT corner{v.left, h.top, v.right, h.bottom};
  if (corner.right <= corner.left || corner.bottom <= corner.top) return;
  bool defaultDraw = true;
  if (OnPaintCrossScrollBarsArea) {
    TCanvas canvas;
    canvas.SetHandle(dc);
    OnPaintCrossScrollBarsArea(this, &canvas, corner, defaultDraw);
    canvas.SetHandle(nullptr);
  }
  if (defaultDraw) FillRect(dc, &corner, GetSysColorBrush(COLOR_BTNFACE));
}

// ---- the host's messages ----

void TElSBController::CallHost(TMessage& message) {
  TInHost inHost(FInHost);
  FControl->WndProc(message);
}

void TElSBController::CallHostWithoutScrollStyles(TMessage& message) {
  HWND host = FControl->Handle();
  const LONG style = GetWindowLongW(host, GWL_STYLE);
  SetWindowLongW(host, GWL_STYLE, style & ~kScrollStyles);
  try {
    CallHost(message);
  } catch (...) {
    SetWindowLongW(host, GWL_STYLE, style);
    throw;
  }
  SetWindowLongW(host, GWL_STYLE, style);
}

bool TElSBController::HandleCtrlMsgBefore(TMessage& message) {
  if (FControl == nullptr) return false;
  try {
    // Also while the host computes its frame: it may set its scroll range then.
    if (message.Msg == ElScrollBarMessage()) {
      ElScrollBarRequest(message);
      return true;
    }
    if (FInHost) return false;
    if (!FActive) return false;
    switch (message.Msg) {
      case WM_NCCALCSIZE: WMNCCalcSize(message); return true;
      case WM_NCPAINT: WMNCPaint(message); return true;
      case WM_NCHITTEST: return WMNCHitTest(message);
      case WM_THEMECHANGED:
        OpenTheme();
        CallHost(message);
        RecalcFrame();
        return true;
      case WM_SETTINGCHANGE:
        if (message.WParam == SPI_SETNONCLIENTMETRICS) {
          for (auto& bar : FBars) bar->TakeSystemMetrics();
          CallHost(message);
          RecalcFrame();
          return true;
        }
        return false;
      case WM_ENABLE:
        CallHost(message);
        RequestRepaint(2);
        return true;
      case WM_CANCELMODE:
        for (auto& bar : FBars) bar->CancelMode();
        return false;
      case WM_CAPTURECHANGED:
        if (FCaptureBar != nullptr && reinterpret_cast<HWND>(message.LParam) != FControl->Handle()) {
          TElSBHandlerCustom* bar = FCaptureBar;
          FCaptureBar = nullptr;
          bar->CancelMode();
        }
        return false;
      default: return MouseMessage(message);
    }
  } catch (const std::exception& error) {
    OutputDebugStringA(("ERROR: TElSBController.HandleCtrlMsgBefore( Message=" + std::to_string(message.Msg) +
                        " ): " + error.what())
                           .c_str());
    return false;
  }
}

void TElSBController::ElScrollBarRequest(TMessage& message) {
  switch (message.WParam) {
    case kElSBQueryController:
      message.Result = FActive ? reinterpret_cast<LRESULT>(this) : 0;
      break;
    case kElSBRepaint: {
      const int mask = FPendingRepaint | MaskOf(static_cast<int>(message.LParam));
      FPendingRepaint = 0;
      PaintBars(mask == 1 ? SB_HORZ : mask == 2 ? SB_VERT : SB_BOTH);
      break;
    }
    case kElSBChange: {
      const auto* change = reinterpret_cast<const TElScrollInfoChange*>(message.LParam);
      if (FActive && change != nullptr && change->Info != nullptr && (change->Bar == SB_HORZ || change->Bar == SB_VERT))
        FBars[change->Bar == SB_HORZ ? 0 : 1]->SyncScrollInfo(*change->Info, change->Redraw != FALSE);
      break;
    }
    default: break;
  }
}

bool TElSBController::VerticalOnLeft() const {
  return (GetWindowLongW(FControl->Handle(), GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
}

void TElSBController::WMNCCalcSize(TMessage& message) {
  HWND host = FControl->Handle();
  const LONG style = GetWindowLongW(host, GWL_STYLE);
  if (!(style & kScrollStyles)) {
    for (auto& bar : FBars) bar->SetBarRect(RECT{0, 0, 0, 0});
    CallHost(message);
    return;
  }
  auto* rect = reinterpret_cast<RECT*>(message.LParam);
  const RECT window = *rect;
  CallHostWithoutScrollStyles(message);
  RECT client = *rect;
  FBorders = RECT{client.left - window.left, client.top - window.top, window.right - client.right,
                  window.bottom - client.bottom};
  const bool horizontal = (style & WS_HSCROLL) != 0;
  const bool vertical = (style & WS_VSCROLL) != 0;
  const int hDepth = horizontal ? std::max(0, std::min(FBars[0]->GetDepth(), int(client.bottom - client.top))) : 0;
  client.bottom -= hDepth;
  const bool onLeft = VerticalOnLeft();
  const int vDepth = vertical ? std::max(0, std::min(FBars[1]->GetDepth(), int(client.right - client.left))) : 0;
  if (onLeft) client.left += vDepth;
  else client.right -= vDepth;
  *rect = client;
  // The bars in window coordinates.
  const int x = -window.left;
  const int y = -window.top;
  FBars[0]->SetBarRect(horizontal ? RECT{client.left + x, client.bottom + y, client.right + x, client.bottom + y + hDepth}
                                  : RECT{0, 0, 0, 0});
  const int vLeft = onLeft ? client.left - vDepth : client.right;
  FBars[1]->SetBarRect(vertical ? RECT{vLeft + x, client.top + y, vLeft + vDepth + x, client.bottom + y}
                                : RECT{0, 0, 0, 0});
}

void TElSBController::WMNCPaint(TMessage& message) {
  HWND host = FControl->Handle();
  const LONG style = GetWindowLongW(host, GWL_STYLE);
  if (!(style & kScrollStyles)) {
    CallHost(message);
    return;
  }
  CallHostWithoutScrollStyles(message);
  FPendingRepaint = 0;
  PaintBars(SB_BOTH);
  ValidateFrame();
  message.Result = 0;
}

// Taking the scroll styles away and giving them back marks the frame as
// changed, so the next paint of any part of the client would paint the whole
// frame again. The frame has just been painted: that mark goes, and what the
// client was still waiting for is asked for again.
void TElSBController::ValidateFrame() {
  HWND host = FControl->Handle();
  TGdiObject<HRGN> pending(CreateRectRgn(0, 0, 0, 0));
  if (!pending) return;
  const int kind = GetUpdateRgn(host, pending.Get(), FALSE);
  RedrawWindow(host, nullptr, nullptr, RDW_VALIDATE | RDW_FRAME | RDW_NOCHILDREN);
  if (kind != NULLREGION && kind != ERROR) InvalidateRgn(host, pending.Get(), TRUE);
}

POINT TElSBController::ScreenToWindow(POINT point) const {
  RECT window;
  GetWindowRect(FControl->Handle(), &window);
  return POINT{point.x - window.left, point.y - window.top};
}

TElSBHandlerCustom* TElSBController::BarAt(POINT p) const {
  const LONG style = GetWindowLongW(FControl->Handle(), GWL_STYLE);
  if ((style & WS_HSCROLL) && PtInRect(&FBars[0]->BarRect(), p)) return FBars[0].get();
  if ((style & WS_VSCROLL) && PtInRect(&FBars[1]->BarRect(), p)) return FBars[1].get();
  return nullptr;
}

bool TElSBController::WMNCHitTest(TMessage& message) {
  const POINT p = ScreenToWindow(POINT{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)});
  if (TElSBHandlerCustom* bar = BarAt(p)) {
    message.Result = bar == FBars[0].get() ? HTHSCROLL : HTVSCROLL;
    return true;
  }
  const LONG style = GetWindowLongW(FControl->Handle(), GWL_STYLE);
  if ((style & kScrollStyles) == kScrollStyles) {
    const RECT corner{FBars[1]->BarRect().left, FBars[0]->BarRect().top, FBars[1]->BarRect().right,
                      FBars[0]->BarRect().bottom};
    // A sizeable window is sized from the corner between the bars.
    if (PtInRect(&corner, p) && (style & WS_THICKFRAME) && !(style & WS_CHILD)) {
      message.Result = VerticalOnLeft() ? HTBOTTOMLEFT : HTBOTTOMRIGHT;
      return true;
    }
  }
  return false;
}

TElSBHandlerCustom* TElSBController::CapturingBar() const { return FCaptureBar; }

void TElSBController::CaptureFor(TElSBHandlerCustom* bar) {
  if (FControl == nullptr || !FControl->HandleAllocated()) return;
  FCaptureBar = bar;
  HWND host = FControl->Handle();
  if (GetCapture() != host) {
    FPreviousCapture = GetCapture();
    SetCapture(host);
  }
}

void TElSBController::ReleaseCaptureOf(TElSBHandlerCustom* bar) {
  if (FCaptureBar != bar) return;
  FCaptureBar = nullptr;
  if (FControl != nullptr && FControl->HandleAllocated() && GetCapture() == FControl->Handle()) {
    ReleaseCapture();
    if (FPreviousCapture != nullptr && IsWindow(FPreviousCapture)) SetCapture(FPreviousCapture);
  }
  FPreviousCapture = nullptr;
}

bool TElSBController::MouseMessage(TMessage& message) {
  HWND host = FControl->Handle();
  switch (message.Msg) {
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
      if (message.WParam != HTHSCROLL && message.WParam != HTVSCROLL) return false;
      const POINT p = ScreenToWindow(POINT{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)});
      TElSBHandlerCustom* bar = message.WParam == HTHSCROLL ? FBars[0].get() : FBars[1].get();
      bar->MouseDown(p.x - bar->BarRect().left, p.y - bar->BarRect().top);
      message.Result = 0;
      return true;  // the platform's own tracking of its bar must not start
    }
    case WM_NCMOUSEMOVE: {
      const POINT p = ScreenToWindow(POINT{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)});
      TElSBHandlerCustom* over = BarAt(p);
      for (auto& bar : FBars) {
        if (bar.get() == over) bar->MouseMove(p.x - bar->BarRect().left, p.y - bar->BarRect().top);
        else if (bar->Hot()) bar->MouseLeave();
      }
      if (over != nullptr && !FTrackingMouseLeave) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, host, 0};
        FTrackingMouseLeave = TrackMouseEvent(&track) != FALSE;
      }
      return false;
    }
    case WM_NCMOUSELEAVE:
      FTrackingMouseLeave = false;
      for (auto& bar : FBars)
        if (!bar->Pressing()) bar->MouseLeave();
      return false;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
      TElSBHandlerCustom* bar = FCaptureBar;
      if (bar == nullptr) {
        if (message.Msg == WM_MOUSEMOVE)
          for (auto& each : FBars)
            if (each->Hot()) each->MouseLeave();
        return false;
      }
      POINT screen{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
      ClientToScreen(host, &screen);
      const POINT p = ScreenToWindow(screen);
      const int x = p.x - bar->BarRect().left;
      const int y = p.y - bar->BarRect().top;
      if (message.Msg == WM_MOUSEMOVE) bar->MouseMove(x, y);
      else bar->MouseUp(x, y);
      message.Result = 0;
      return true;
    }
    default: return false;
  }
}

// ---- what a bar's action does to the host ----

void TElSBController::ElSBScrollEvent(TElSBHandlerCustom* bar, TElScrollCode code, int& scrollPos, bool& doChange) {
  if (!FActive || FControl == nullptr || !FControl->HandleAllocated()) return;
  try {
    HWND host = FControl->Handle();
    const int barId = bar->BarIndex();
    const UINT msg = barId == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    auto read = [&] {
      SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
      GetScrollInfo(host, barId, &info);
      return info;
    };
    auto send = [&](int request, int position) {
      SendMessageW(host, msg, MAKEWPARAM(request, static_cast<WORD>(position)), 0);
    };
    const int before = read().nPos;
    switch (code) {
      case escLineUp:
      case escLineDown:
        if (bar->UseSystemStep()) {
          send(code == escLineUp ? SB_LINEUP : SB_LINEDOWN, 0);
          if (read().nPos == before) send(SB_THUMBPOSITION, scrollPos);
        } else {
          send(SB_THUMBPOSITION, scrollPos);
        }
        break;
      case escPageUp:
      case escPageDown: send(SB_THUMBPOSITION, scrollPos); break;
      case escPosition: {
        send(SB_THUMBPOSITION, scrollPos);
        // A host that never followed the drag may already stand at the final
        // position and so leave the platform's position where the drag put
        // it: the bar would show a place the host is not at.
        const int direct = std::exchange(FDirectTrack[barId == SB_VERT ? 1 : 0], kNoDirectTrack);
        if (direct != kNoDirectTrack && direct != scrollPos && read().nPos == direct) {
          SCROLLINFO set{sizeof set, SIF_POS, 0, 0, 0, scrollPos, 0};
          SetScrollInfo(host, barId, &set, FALSE);
        }
        break;
      }
      case escTrack: {
        if (scrollPos == before) return;
        send(SB_THUMBTRACK, scrollPos);
        SCROLLINFO info = read();
        if (info.nPos != scrollPos && info.nTrackPos != scrollPos) {
          if (bar->Tracking()) {
            send(SB_THUMBPOSITION, scrollPos);
          } else {
            SCROLLINFO set{sizeof set, SIF_POS, 0, 0, 0, scrollPos, 0};
            SetScrollInfo(host, barId, &set, FALSE);
            FDirectTrack[barId == SB_VERT ? 1 : 0] = scrollPos;
            // Outside the platform's own thumb tracking, the track position a
            // host reads back is the bar's position: a host that takes it from
            // there rather than from the message (the native list does) can
            // follow now.
            send(SB_THUMBTRACK, scrollPos);
          }
        }
        break;
      }
      case escEndScroll: send(SB_ENDSCROLL, 0); break;
      case escTop:
      case escBottom:
      case escSndLineUp:
      case escSndLineDown: return;
    }
    const SCROLLINFO after = read();
    doChange = after.nPos != before;
    scrollPos = after.nPos;
  } catch (const std::exception& error) {
    OutputDebugStringA(("ERROR: ElSBScrollEvent( ScrollCode=" + std::to_string(code) +
                        ", ScrollPos=" + std::to_string(scrollPos) + "): " + error.what())
                           .c_str());
  }
}

TElSBControllerTracking::TElSBControllerTracking(TComponent* owner) : TElSBController(owner) {
  // The base made its bars before this class existed; make them again.
  CreateBars();
}

std::unique_ptr<TElCtrlScrollBarStyles> TElSBControllerTracking::CreateScrollBar(TElScrollBarKind kind) {
  return std::make_unique<TElCtrlScrollBarStylesTracking>(this, kind);
}
