#include "framework/win32/WinControl.h"

#include <windowsx.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

#include "framework/win32/Application.h"
#include "framework/win32/BufferedPaint.h"
#include "framework/win32/InterceptionPoint.h"
#include "framework/win32/Menus.h"
#include "platform/CodePage.h"
#include "platform/ScopeGuard.h"
#include "platform/win32/HandleOwners.h"

namespace {
LPCWSTR W(const WideString& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }

WideString Widen(const std::string& ascii) { return WideFromAscii(ascii.c_str()); }

// The control whose window this thread is creating: it receives the messages
// that arrive before WM_NCCREATE hands over the creation parameter. Those
// arrive on the creating thread, so each thread has its own.
thread_local TWinControl* CreationControl = nullptr;

// The default procedure of each window class we registered. Window classes
// belong to the process, so the map is shared and locked.
std::mutex& RegisteredClassesLock() {
  static std::mutex lock;
  return lock;
}
std::map<WideString, WNDPROC>& RegisteredClasses() {
  static std::map<WideString, WNDPROC> classes;
  return classes;
}

UINT NextControlId() {
  static std::atomic<UINT> counter{0};
  // Child ids run from 101 to 0x7FFF and wrap.
  return 101 + counter.fetch_add(1) % (0x7FFF - 100);
}

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL; }
}  // namespace

// Kept whole: the handing of an escaped exception to the application is a
// frame of every event report.
RAVELIN_INTERCEPTION_POINT LRESULT CALLBACK StdWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (control == nullptr) {
    if (msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      control = static_cast<TWinControl*>(create->lpCreateParams);
    }
    if (control == nullptr) control = CreationControl;
    if (control == nullptr) return DefWindowProcW(window, msg, wParam, lParam);
    control->FHandle = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
  }
  TMessage message{msg, wParam, lParam, 0};
  if (control->FWindowDying) {
    message.Result = CallWindowProcW(control->FDefWndProc, window, msg, wParam, lParam);
  } else {
    // No exception crosses back into the system: the application handles it here.
    try {
      control->WindowProc(message);
    } catch (...) {
      Application->HandleException(control);
    }
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (control->FHandle == window) control->FHandle = nullptr;
  }
  return message.Result;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner), FBrush(std::make_unique<TBrush>()) {
  FBrush->SetColor(FColor);
}

TWinControl::~TWinControl() {
  SetDestroying();
  // Leave the parent while this is still a windowed control to it.
  if (FParent != nullptr) FParent->RemoveControl(this);
  if (FHandle != nullptr) {
    DestroyChildHandles();
    FWindowDying = true;
    DestroyWindow(FHandle);
    FHandle = nullptr;
  }
  for (TControl* child : FControls) child->FParent = nullptr;
  FControls.clear();
  FTabList.clear();
}

TWinControl* TWinControl::FindControl(HWND window) {
  if (window == nullptr) return nullptr;
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) != StdWndProc) return nullptr;
  return reinterpret_cast<TWinControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HWND TWinControl::Handle() {
  if (FHandle == nullptr) {
    if (FParent != nullptr) FParent->HandleNeeded();
    if (FHandle == nullptr) CreateHandle();
  }
  return FHandle;
}

void TWinControl::CreateHandle() {
  CreateWnd();
  for (TWinControl* child : std::vector<TWinControl*>(FTabList))
    if (!child->HandleAllocated()) child->CreateHandle();
  AlignControls();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Caption = FText;
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FVisible) params.Style |= WS_VISIBLE;
  if (!FEnabled) params.Style |= WS_DISABLED;
  if (FTabStop) params.Style |= WS_TABSTOP;
  params.X = FLeft;
  params.Y = FTop;
  params.Width = FWidth;
  params.Height = FHeight;
  params.WndParent = FParent != nullptr ? FParent->Handle() : nullptr;
  params.WinClassName = Widen(ClassName());
  params.Cursor = LoadCursorW(nullptr, IDC_ARROW);
}

void TWinControl::RegisterWindowClass(TCreateParams& params) {
  WideString name = params.WinClassName;
  if (!params.NativeClass.empty()) name += u"." + params.NativeClass;
  params.WinClassName = name;
  std::lock_guard<std::mutex> guard(RegisteredClassesLock());
  auto& classes = RegisteredClasses();
  auto found = classes.find(name);
  if (found != classes.end()) {
    FDefWndProc = found->second;
    return;
  }
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  WNDPROC defaultProc = DefWindowProcW;
  if (!params.NativeClass.empty()) {
    if (!GetClassInfoW(nullptr, W(params.NativeClass), &windowClass))
      throw EOutOfResources("Cannot find the window class " + WideToNarrow(params.NativeClass));
    defaultProc = windowClass.lpfnWndProc;
    windowClass.style &= ~CS_GLOBALCLASS;
  } else {
    windowClass.style = params.ClassStyle;
    windowClass.hCursor = params.Cursor;
  }
  windowClass.lpfnWndProc = StdWndProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = W(name);
  if (!RegisterClassW(&windowClass)) throw EOutOfResources("Cannot register the window class");
  classes[name] = defaultProc;
  FDefWndProc = defaultProc;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  FClickOnMouseUp = params.NativeClass.empty();
  RegisterWindowClass(params);
  if (FControlId == 0) FControlId = NextControlId();
  HMENU id = (params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(FControlId)) : nullptr;
  TWinControl* previous = CreationControl;
  CreationControl = this;
  HWND window = CreateWindowExW(params.ExStyle, W(params.WinClassName), W(params.Caption), params.Style,
                                params.X, params.Y, params.Width, params.Height, params.WndParent, id,
                                GetModuleHandleW(nullptr), this);
  CreationControl = previous;
  if (window == nullptr) throw EOutOfResources("Error creating window");
  FHandle = window;
  SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), FALSE);
  // Timers are kept in the objects: they run again on the new window.
  FChildTimers.clear();
  RestartTimers();
  for (TControl* control : FControls)
    if (!dynamic_cast<TWinControl*>(control)) control->RestartTimers();
}

UINT_PTR TWinControl::ChildTimerId(TControl* control, UINT_PTR id, bool create) {
  for (const TChildTimer& timer : FChildTimers)
    if (timer.control == control && timer.id == id) return timer.windowId;
  if (!create) return 0;
  FChildTimers.push_back({FNextChildTimerId++, control, id});
  return FChildTimers.back().windowId;
}

void TWinControl::DropChildTimers(TControl* control) {
  for (auto it = FChildTimers.begin(); it != FChildTimers.end();) {
    if (it->control != control) {
      ++it;
      continue;
    }
    if (FHandle != nullptr) ::KillTimer(FHandle, it->windowId);
    it = FChildTimers.erase(it);
  }
}

void TWinControl::FrameChanged() {
  if (FHandle != nullptr)
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::DestroyChildHandles() {
  for (TWinControl* child : FTabList) child->DestroyHandle();
}

void TWinControl::DestroyHandle() {
  if (FHandle == nullptr) return;
  DestroyChildHandles();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  FText = GetText();
  DestroyWindow(FHandle);
  FHandle = nullptr;
}

void TWinControl::RecreateWnd() {
  if (FHandle == nullptr) return;
  const bool hadFocus = Focused();
  DestroyHandle();
  HandleNeeded();
  if (hadFocus && CanFocus()) SetFocus();
}

void TWinControl::InsertControl(TControl* control) {
  control->FParent = this;
  FControls.push_back(control);
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (windowed != nullptr) FTabList.push_back(windowed);
  if (control->FParentFont) control->Perform(CM_PARENTFONTCHANGED);
  if (control->FParentColor) control->Perform(CM_PARENTCOLORCHANGED);
  control->UpdateAnchorRules();
  if (FHandle != nullptr) {
    if (windowed != nullptr) {
      windowed->HandleNeeded();
    } else {
      control->Invalidate();
      control->RestartTimers();
    }
  }
  if (control->FAlign != alNone) AlignControls();
}

void TWinControl::RemoveControl(TControl* control) {
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
    windowed->DestroyHandle();
  } else {
    control->Invalidate();
  }
  DropChildTimers(control);
  if (FMouseControl == control) FMouseControl = nullptr;
  // By address: a control being destroyed no longer casts to what it was.
  FTabList.erase(std::remove_if(FTabList.begin(), FTabList.end(),
                                [control](TWinControl* item) { return static_cast<TControl*>(item) == control; }),
                 FTabList.end());
  FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
  control->FParent = nullptr;
}

void TWinControl::AlignControls() {
  if (FAligning) return;
  FAligning = true;
  try {
    const int width = ClientWidth();
    const int height = ClientHeight();
    RECT rest{0, 0, width, height};
    for (TControl* control : FControls) {
      if (!control->FVisible) continue;
      switch (control->FAlign) {
        case alTop:
          control->SetBounds(rest.left, rest.top, rest.right - rest.left, control->FHeight);
          rest.top += control->FHeight;
          break;
        case alBottom:
          control->SetBounds(rest.left, rest.bottom - control->FHeight, rest.right - rest.left,
                             control->FHeight);
          rest.bottom -= control->FHeight;
          break;
        case alLeft:
          control->SetBounds(rest.left, rest.top, control->FWidth, rest.bottom - rest.top);
          rest.left += control->FWidth;
          break;
        case alRight:
          control->SetBounds(rest.right - control->FWidth, rest.top, control->FWidth,
                             rest.bottom - rest.top);
          rest.right -= control->FWidth;
          break;
        case alClient:
          control->SetBounds(rest.left, rest.top, rest.right - rest.left, rest.bottom - rest.top);
          break;
        case alNone:
          control->AnchorTo(width, height);
          break;
      }
    }
  } catch (...) {
    FAligning = false;
    throw;
  }
  FAligning = false;
}

int TWinControl::TabOrder() const {
  if (FParent == nullptr) return -1;
  const auto& list = FParent->FTabList;
  auto found = std::find(list.begin(), list.end(), this);
  return found == list.end() ? -1 : static_cast<int>(found - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (FParent == nullptr) return;
  auto& list = FParent->FTabList;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  if (value < 0) value = 0;
  if (value > static_cast<int>(list.size())) value = static_cast<int>(list.size());
  list.insert(list.begin() + value, this);
}

void TWinControl::SetTabStop(bool value) {
  if (value == FTabStop) return;
  FTabStop = value;
  if (FHandle != nullptr) {
    LONG style = GetWindowLongW(FHandle, GWL_STYLE);
    SetWindowLongW(FHandle, GWL_STYLE, value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
  for (TWinControl* child : FTabList) {
    list.push_back(child);
    child->GetTabOrderList(list);
  }
}

void TWinControl::SelectNext(TWinControl* current, bool forward) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  const int count = static_cast<int>(list.size());
  if (count == 0) return;
  auto found = std::find(list.begin(), list.end(), current);
  int index = found == list.end() ? (forward ? -1 : count) : static_cast<int>(found - list.begin());
  for (int step = 0; step < count; ++step) {
    index = forward ? (index + 1) % count : (index - 1 + count) % count;
    TWinControl* candidate = list[static_cast<size_t>(index)];
    if (candidate != current && candidate->FTabStop && candidate->CanFocus()) {
      candidate->SetFocus();
      return;
    }
  }
}

bool TWinControl::CanFocus() {
  for (TWinControl* control = this; control != nullptr; control = control->FParent)
    if (!control->FVisible || !control->FEnabled) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  ::SetFocus(Handle());
}

bool TWinControl::Focused() { return FHandle != nullptr && GetFocus() == FHandle; }

int TWinControl::ClientWidth() {
  if (FHandle == nullptr) return FWidth;
  RECT rect;
  GetClientRect(FHandle, &rect);
  return rect.right;
}

int TWinControl::ClientHeight() {
  if (FHandle == nullptr) return FHeight;
  RECT rect;
  GetClientRect(FHandle, &rect);
  return rect.bottom;
}

void TWinControl::Invalidate() {
  if (FHandle != nullptr) InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Update() {
  if (FHandle != nullptr) UpdateWindow(FHandle);
}

void TWinControl::SetEnabled(bool value) { TControl::SetEnabled(value); }

void TWinControl::ApplyBounds() {
  if (FHandle != nullptr)
    SetWindowPos(FHandle, nullptr, FLeft, FTop, FWidth, FHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

WideString TWinControl::GetText() {
  if (FHandle == nullptr) return FText;
  const int length = GetWindowTextLengthW(FHandle);
  if (length <= 0) return WideString();
  WideString text(static_cast<size_t>(length) + 1, u'\0');
  const int copied = GetWindowTextW(FHandle, reinterpret_cast<LPWSTR>(&text[0]), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

void TWinControl::SetTextBuffer(const WideString& value) {
  FText = value;
  if (FHandle != nullptr) SetWindowTextW(FHandle, W(value));
}

void TWinControl::WndProc(TMessage& message) { TControl::WndProc(message); }

void TWinControl::DefaultHandler(TMessage& message) {
  if (FHandle == nullptr) return;
  message.Result = CallWindowProcW(FDefWndProc ? FDefWndProc : DefWindowProcW, FHandle, message.Msg,
                                   message.WParam, message.LParam);
}

TControl* TWinControl::ControlAtPos(POINT point) {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* control = *it;
    if (dynamic_cast<TWinControl*>(control) || !control->FVisible || !control->FEnabled) continue;
    const RECT bounds = control->BoundsRect();
    if (PtInRect(&bounds, point)) return control;
  }
  return nullptr;
}

TControl* TWinControl::MouseTarget(TMessage& message, POINT& point) {
  point = POINT{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  for (TControl* control : FControls)
    if (control->MouseCapture() && !dynamic_cast<TWinControl*>(control)) return control;
  return ControlAtPos(point);
}

void TWinControl::Dispatch(TMessage& message) {
  if (IsMouseMessage(message.Msg)) {
    POINT point;
    TControl* target = MouseTarget(message, point);
    if (message.Msg == WM_MOUSEMOVE) TrackMouse(ControlAtPos(point));
    if (target != nullptr) {
      TMessage forwarded = message;
      forwarded.LParam = MAKELPARAM(point.x - target->FLeft, point.y - target->FTop);
      target->WindowProc(forwarded);
      // The window still sees the mouse (cursor, capture release).
      DefaultHandler(message);
      return;
    }
  }
  switch (message.Msg) {
    case WM_PAINT: WMPaint(message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(message); break;
    case WM_SIZE: WMSize(message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(message); break;
    case WM_SETFOCUS: WMSetFocus(message); break;
    case WM_KILLFOCUS: WMKillFocus(message); break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: WMKeyDown(message); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: WMKeyUp(message); break;
    case WM_CHAR: WMChar(message); break;
    case WM_GETDLGCODE: WMGetDlgCode(message); break;
    case WM_MOUSEWHEEL: WMMouseWheel(message); break;
    case WM_MOUSELEAVE:
      MouseLeft();
      DefaultHandler(message);
      break;
    case WM_SETCURSOR: WMSetCursor(message); break;
    case WM_CONTEXTMENU: WMContextMenu(message); break;
    case WM_TIMER: WMTimer(message); break;
    case WM_PRINT: WMPrint(message); break;
    case WM_PRINTCLIENT:
      if (FDefWndProc != DefWindowProcW) {
        DefaultHandler(message);
      } else {
        PaintWindow(reinterpret_cast<HDC>(message.WParam));
        PaintControls(reinterpret_cast<HDC>(message.WParam));
      }
      break;
    case WM_NCHITTEST: WMNCHitTest(message); break;
    case WM_NCPAINT: WMNCPaint(message); break;
    case WM_NCCALCSIZE: WMNCCalcSize(message); break;
    case WM_DESTROY: WMDestroy(message); break;
    case WM_CAPTURECHANGED: WMCaptureChanged(message); break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: ReflectNotification(message); break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORSTATIC: CNCtlColor(message); break;
    case CM_DIALOGKEY:
      message.Result = DialogKey(static_cast<WORD>(message.WParam), KeyboardShiftState()) ? 1 : 0;
      break;
    case WM_SYSCHAR: {
      // Alt and a letter: the form's controls may take it as their accelerator.
      TWinControl* root = this;
      while (root->FParent != nullptr) root = root->FParent;
      if (root->Perform(CM_DIALOGCHAR, message.WParam) == 0) DefaultHandler(message);
      break;
    }
    case CM_DIALOGCHAR:
      message.Result = DialogChar(static_cast<char16_t>(message.WParam)) ? 1 : 0;
      break;
    default: TControl::Dispatch(message); break;
  }
}

void TWinControl::ReflectNotification(TMessage& message) {
  HWND child = nullptr;
  switch (message.Msg) {
    case WM_NOTIFY: child = reinterpret_cast<NMHDR*>(message.LParam)->hwndFrom; break;
    case WM_DRAWITEM: {
      auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
      if (draw->CtlType != ODT_MENU) child = draw->hwndItem;
      break;
    }
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
      if (measure->CtlType != ODT_MENU) {
        child = GetDlgItem(FHandle, static_cast<int>(measure->CtlID));
        // Asked while the child's window is still being made.
        if (child == nullptr && CreationControl != nullptr) child = CreationControl->FHandle;
      }
      break;
    }
    default: child = reinterpret_cast<HWND>(message.LParam); break;
  }
  TWinControl* control = FindControl(child);
  if (control != nullptr && control != this) {
    message.Result = control->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
    return;
  }
  DefaultHandler(message);
}

void TWinControl::CNCtlColor(TMessage& message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  SetTextColor(dc, ColorToRGB(FFont->Color()));
  SetBkColor(dc, ColorToRGB(FBrush->Color()));
  message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
}

void TWinControl::WMPaint(TMessage& message) {
  bool hasGraphicChildren = false;
  for (TControl* control : FControls)
    if (!dynamic_cast<TWinControl*>(control)) hasGraphicChildren = true;
  // A wrapped native control paints itself.
  if (FDefWndProc != DefWindowProcW && !hasGraphicChildren) {
    DefaultHandler(message);
    return;
  }
  if (message.WParam != 0) {
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    PaintWindow(dc);
    PaintControls(dc);
    return;
  }
  TPaintScope paint(FHandle);
  HDC dc = paint.Get();
  if (FDoubleBuffered) {
    PaintBuffered(dc, paint.Paint().rcPaint);
  } else {
    PaintWindow(dc);
    PaintControls(dc);
  }
}

void TWinControl::PaintBuffered(HDC dc, const RECT& area) {
  TBufferedPaint buffer(dc, area);
  HDC target = buffer.DC();
  {
    // The background goes into the buffer with the rest of the picture.
    TSavedDCState state(target);
    IntersectClipRect(target, area.left, area.top, area.right, area.bottom);
    FErasingBuffer = true;
    auto erased = OnScopeExit([this] { FErasingBuffer = false; });
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(target));
  }
  PaintWindow(target);
  PaintControls(target);
  buffer.Finish();
}

void TWinControl::PaintWindow(HDC dc) {
  if (FDefWndProc != DefWindowProcW) {
    TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(message);
  }
}

void TWinControl::PaintControls(HDC dc) {
  for (TControl* control : FControls) {
    if (dynamic_cast<TWinControl*>(control) || !control->FVisible) continue;
    RECT bounds = control->BoundsRect();
    if (!RectVisible(dc, &bounds)) continue;
    const int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, control->FLeft, control->FTop, nullptr);
    IntersectClipRect(dc, 0, 0, control->FWidth, control->FHeight);
    try {
      control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    } catch (...) {
      RestoreDC(dc, saved);
      throw;
    }
    RestoreDC(dc, saved);
  }
}

void TWinControl::WMEraseBkgnd(TMessage& message) {
  // A double-buffered window erases in its buffer only.
  if (FDoubleBuffered && !FErasingBuffer) {
    message.Result = 1;
    return;
  }
  if (FDefWndProc != DefWindowProcW) {
    DefaultHandler(message);
    return;
  }
  RECT rect;
  GetClientRect(FHandle, &rect);
  if (HBRUSH brush = FBrush->Handle()) FillRect(reinterpret_cast<HDC>(message.WParam), &rect, brush);
  message.Result = 1;
}

void TWinControl::WMSize(TMessage& message) {
  DefaultHandler(message);
  AlignControls();
}

void TWinControl::WMWindowPosChanged(TMessage& message) {
  const auto* pos = reinterpret_cast<const WINDOWPOS*>(message.LParam);
  if (!(pos->flags & SWP_NOMOVE)) {
    FLeft = pos->x;
    FTop = pos->y;
  }
  if (!(pos->flags & SWP_NOSIZE)) {
    FWidth = pos->cx;
    FHeight = pos->cy;
  }
  DefaultHandler(message);
}

void TWinControl::WMSetFocus(TMessage& message) {
  DefaultHandler(message);
  TWinControl* root = this;
  while (root->FParent != nullptr) root = root->FParent;
  root->FocusChanged(this);
  DoEnter();
}

void TWinControl::WMKillFocus(TMessage& message) {
  DefaultHandler(message);
  DoExit();
}

void TWinControl::WMKeyDown(TMessage& message) {
  WORD key = static_cast<WORD>(message.WParam);
  KeyDown(key, KeyboardShiftState());
  if (key == 0) return;
  message.WParam = key;
  DefaultHandler(message);
}

void TWinControl::WMKeyUp(TMessage& message) {
  WORD key = static_cast<WORD>(message.WParam);
  KeyUp(key, KeyboardShiftState());
  if (key == 0) return;
  message.WParam = key;
  DefaultHandler(message);
}

void TWinControl::WMChar(TMessage& message) {
  auto key = static_cast<char16_t>(message.WParam);
  KeyPress(key);
  if (key == 0) return;
  message.WParam = key;
  DefaultHandler(message);
}

void TWinControl::WMGetDlgCode(TMessage& message) { DefaultHandler(message); }

void TWinControl::WMMouseWheel(TMessage& message) {
  // The graphic child under the mouse has the first turn.
  POINT point{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  if (FHandle != nullptr) ::ScreenToClient(FHandle, &point);
  if (TControl* child = ControlAtPos(point)) {
    if (child->DoMouseWheel(KeysToShiftState(LOWORD(message.WParam)),
                            static_cast<short>(HIWORD(message.WParam)),
                            POINT{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)})) {
      message.Result = 1;
      return;
    }
  }
  // Unused, the default procedure hands the wheel to the parent window.
  TControl::Dispatch(message);
}

void TWinControl::TrackMouse(TControl* graphicChild) {
  if (!FTrackingMouse) {
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, FHandle, HOVER_DEFAULT};
    FTrackingMouse = TrackMouseEvent(&track) != FALSE;
    if (!MouseInside()) Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(this));
  }
  if (graphicChild == FMouseControl) return;
  TControl* previous = FMouseControl;
  FMouseControl = graphicChild;
  if (previous != nullptr) previous->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(previous));
  if (graphicChild != nullptr) graphicChild->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(graphicChild));
}

void TWinControl::MouseLeft() {
  FTrackingMouse = false;
  if (TControl* child = FMouseControl) {
    FMouseControl = nullptr;
    child->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(child));
  }
  if (MouseInside()) Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(this));
}

void TWinControl::WMSetCursor(TMessage& message) {
  // Only for this window's own client area: the parent leaves its children alone.
  if (reinterpret_cast<HWND>(message.WParam) == FHandle && LOWORD(message.LParam) == HTCLIENT) {
    TCursor cursor = crDefault;
    POINT point;
    if (GetCursorPos(&point) && ::ScreenToClient(FHandle, &point))
      if (TControl* child = ControlAtPos(point)) cursor = child->Cursor();
    if (cursor == crDefault) cursor = Cursor();
    if (cursor != crDefault) {
      ::SetCursor(CursorHandle(cursor));
      message.Result = TRUE;
      return;
    }
  }
  DefaultHandler(message);
}

void TWinControl::WMContextMenu(TMessage& message) {
  POINT screen{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  const bool fromKeyboard = screen.x == -1 && screen.y == -1;
  TControl* control = this;
  if (!fromKeyboard) {
    POINT client = screen;
    ::ScreenToClient(FHandle, &client);
    if (TControl* child = ControlAtPos(client)) control = child;
  } else {
    screen = ClientToScreen(POINT{0, 0});
  }
  TPopupMenu* menu = control->PopupMenu();
  if (menu == nullptr && control != this) {
    control = this;
    menu = PopupMenu();
  }
  if (menu == nullptr || !menu->AutoPopup() || reinterpret_cast<HWND>(message.WParam) != FHandle) {
    DefaultHandler(message);
    return;
  }
  menu->SetPopupComponent(control);
  menu->Popup(screen.x, screen.y);
  message.Result = 0;
}

void TWinControl::WMTimer(TMessage& message) {
  for (const TChildTimer& timer : FChildTimers) {
    if (timer.windowId == message.WParam) {
      TControl* control = timer.control;
      control->Perform(WM_TIMER, timer.id);
      return;
    }
  }
  TControl::Dispatch(message);
}

void TWinControl::WMPrint(TMessage& message) {
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  const LPARAM flags = message.LParam;
  if (FHandle == nullptr || ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(FHandle))) return;
  if (FDefWndProc != DefWindowProcW) {
    // A native class prints itself; our frame parts go on top.
    DefaultHandler(message);
    if (flags & PRF_NONCLIENT) PaintNonClient(dc);
    return;
  }
  RECT window;
  GetWindowRect(FHandle, &window);
  POINT origin{0, 0};
  ::ClientToScreen(FHandle, &origin);
  const int dx = origin.x - window.left;
  const int dy = origin.y - window.top;
  if (flags & PRF_NONCLIENT) {
    TMessage frame{WM_PRINT, message.WParam, PRF_NONCLIENT, 0};
    DefaultHandler(frame);
    PaintNonClient(dc);
  }
  if (flags & (PRF_ERASEBKGND | PRF_CLIENT)) {
    TSavedDCState state(dc);
    if (flags & PRF_NONCLIENT) OffsetViewportOrgEx(dc, dx, dy, nullptr);
    IntersectClipRect(dc, 0, 0, ClientWidth(), ClientHeight());
    if (flags & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, message.WParam);
    if (flags & PRF_CLIENT) Perform(WM_PRINTCLIENT, message.WParam, flags);
  }
  if (flags & PRF_CHILDREN) {
    for (TWinControl* child : FTabList) {
      if (child->FHandle == nullptr || !IsWindowVisible(child->FHandle)) continue;
      RECT childRect;
      GetWindowRect(child->FHandle, &childRect);
      TSavedDCState state(dc);
      OffsetViewportOrgEx(dc, childRect.left - window.left, childRect.top - window.top, nullptr);
      child->Perform(WM_PRINT, message.WParam, flags | PRF_NONCLIENT);
    }
  }
}

void TWinControl::WMNCHitTest(TMessage& message) {
  LRESULT result = HTNOWHERE;
  if (NonClientHitTest(POINT{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)}, result)) {
    message.Result = result;
    return;
  }
  DefaultHandler(message);
}

void TWinControl::WMNCPaint(TMessage& message) {
  DefaultHandler(message);
  if (FHandle == nullptr) return;
  TWindowDC dc(FHandle, true);
  if (!dc) return;
  // The frame parts only: the client area is the client's to paint.
  RECT window;
  GetWindowRect(FHandle, &window);
  POINT origin{0, 0};
  ::ClientToScreen(FHandle, &origin);
  const int left = origin.x - window.left;
  const int top = origin.y - window.top;
  ExcludeClipRect(dc.Get(), left, top, left + ClientWidth(), top + ClientHeight());
  PaintNonClient(dc.Get());
}

void TWinControl::WMNCCalcSize(TMessage& message) {
  DefaultHandler(message);
  RECT& client = message.WParam ? reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam)->rgrc[0]
                                 : *reinterpret_cast<RECT*>(message.LParam);
  AdjustNonClient(client);
  if (client.right < client.left) client.right = client.left;
  if (client.bottom < client.top) client.bottom = client.top;
}

void TWinControl::AdjustNonClient(RECT& /*client*/) {}
void TWinControl::PaintNonClient(HDC /*windowDC*/) {}
bool TWinControl::NonClientHitTest(POINT /*screenPoint*/, LRESULT& /*result*/) { return false; }
void TWinControl::WMDestroy(TMessage& message) { DefaultHandler(message); }

void TWinControl::WMCaptureChanged(TMessage& message) {
  // The capture went elsewhere: a graphic child that held it no longer does.
  for (TControl* control : FControls)
    if (control->MouseCapture() && !dynamic_cast<TWinControl*>(control)) control->SetMouseCapture(false);
  // So does a drag of the window's own.
  if (FDragState != TDragState::none) TrackDrag(message);
  DefaultHandler(message);
}

void TWinControl::CMFontChanged(TMessage& message) {
  if (FHandle != nullptr)
    SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), TRUE);
  for (TControl* control : std::vector<TControl*>(FControls)) control->Perform(CM_PARENTFONTCHANGED);
  TControl::CMFontChanged(message);
}

void TWinControl::CMColorChanged(TMessage& message) {
  FBrush->SetColor(FColor);
  for (TControl* control : std::vector<TControl*>(FControls)) control->Perform(CM_PARENTCOLORCHANGED);
  TControl::CMColorChanged(message);
}

void TWinControl::CMEnabledChanged(TMessage& message) {
  if (FHandle != nullptr) EnableWindow(FHandle, FEnabled ? TRUE : FALSE);
  TControl::CMEnabledChanged(message);
}

void TWinControl::CMVisibleChanged(TMessage& /*message*/) {
  if (FHandle != nullptr) ShowWindow(FHandle, FVisible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::CMTextChanged(TMessage& /*message*/) { Invalidate(); }

void TWinControl::FocusChanged(TWinControl* /*control*/) {}

bool TWinControl::DialogKey(WORD key, TShiftState shift) {
  if (shift & (ssCtrl | ssAlt)) return false;
  switch (key) {
    case VK_TAB:
      SelectNext(FindControl(GetFocus()), (shift & ssShift) == 0);
      return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: {
      TWinControl* current = FindControl(GetFocus());
      if (current == nullptr || current->FParent == nullptr) return false;
      current->FParent->SelectSibling(current, key == VK_RIGHT || key == VK_DOWN);
      return true;
    }
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_EXECUTE:
    case VK_CANCEL:
      for (TWinControl* child : std::vector<TWinControl*>(FTabList))
        if (child->FVisible && child->Perform(CM_DIALOGKEY, key) != 0) return true;
      return false;
    default: return false;
  }
}

bool TWinControl::DialogChar(char16_t ch) {
  for (TControl* child : std::vector<TControl*>(FControls))
    if (child->Visible() && child->Enabled() && child->Perform(CM_DIALOGCHAR, ch) != 0) return true;
  return false;
}

void TWinControl::SelectSibling(TWinControl* current, bool forward) {
  const int count = static_cast<int>(FTabList.size());
  auto found = std::find(FTabList.begin(), FTabList.end(), current);
  if (count == 0 || found == FTabList.end()) return;
  int index = static_cast<int>(found - FTabList.begin());
  for (int step = 1; step < count; ++step) {
    index = forward ? (index + 1) % count : (index - 1 + count) % count;
    TWinControl* candidate = FTabList[static_cast<size_t>(index)];
    if (candidate->CanFocus()) {
      candidate->SetFocus();
      return;
    }
  }
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char16_t& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}
