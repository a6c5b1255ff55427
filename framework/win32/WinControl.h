#pragma once
// A control with a window of its own. Each object has one window procedure,
// bound when the window is created; messages go to virtual handlers, and
// what none takes goes to the default procedure (for a wrapped native class,
// that class's own procedure). The control's state lives in the object, so
// the window can be destroyed and created again (RecreateWnd) at any time.
// Keyboard: key down, key up and characters go to KeyDown, KeyUp and
// KeyPress; dialog keys (Tab, arrows, Enter, Escape) that the focused control
// does not claim through WM_GETDLGCODE go to the form as CM_DIALOGKEY.
// Non-client area: a control reserves, paints and hit-tests its own frame
// parts by overriding AdjustNonClient, PaintNonClient and NonClientHitTest.
// Threads: as TControl, the thread that made the window.
#include <windows.h>

#include <memory>
#include <vector>

#include "framework/Exception.h"
#include "framework/win32/Control.h"

RAVELIN_EXCEPTION_CLASS(EOutOfResources, Exception);
RAVELIN_EXCEPTION_CLASS(EInvalidOperation, Exception);

struct TCreateParams {
  WideString Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  // The window class registered for this control; its name defaults to the
  // control's class name.
  WideString WinClassName;
  UINT ClassStyle = CS_DBLCLKS;
  HCURSOR Cursor = nullptr;
  // A native class ("BUTTON", "LISTBOX", ...) that this control wraps; its
  // procedure becomes the default procedure. Empty for a window of our own.
  WideString NativeClass;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  std::string ClassName() const override { return "TWinControl"; }

  // The window, created (with the parents' windows) when first asked for.
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded() { Handle(); }
  // Destroys the window and its children's, keeping their state.
  void DestroyHandle();
  // Destroys the window and creates it anew from the current state.
  void RecreateWnd();
  // The control object of one of our windows; null for any other window.
  static TWinControl* FindControl(HWND window);

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int index) const { return FControls.at(static_cast<size_t>(index)); }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  // Places the children: aligned ones along their edges, the others by their anchors.
  void AlignControls();

  // Position among the parent's windowed children in the Tab order; -1 for none.
  int TabOrder() const;
  void SetTabOrder(int value);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool value);
  // Every windowed control below this one, depth first in Tab order.
  void GetTabOrderList(std::vector<TWinControl*>& list);
  // The visible, enabled graphic child at a client point (the topmost), or null.
  TControl* ControlAtPos(POINT point);
  // Focuses the next (or previous) focusable tab stop after current.
  void SelectNext(TWinControl* current, bool forward);

  virtual bool CanFocus();
  virtual void SetFocus();
  bool Focused();

  TBrush* Brush() { return FBrush.get(); }
  int ClientWidth() override;
  int ClientHeight() override;
  void Invalidate() override;
  void Update() override;
  void SetEnabled(bool value) override;

  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

  // Paints into an off-screen bitmap and copies it in one step; the
  // background is then erased in the bitmap, never on the screen.
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool value) { FDoubleBuffered = value; }
  // Asks the system to measure and paint the non-client area again (after a
  // change of what AdjustNonClient reserves).
  void FrameChanged();

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 protected:
  virtual void CreateParams(TCreateParams& params);
  // Makes the window, binds it to this object and restores the state kept
  // in the object; descendants extend it to restore their own.
  virtual void CreateWnd();
  // Keeps what only the window knows, then destroys it.
  virtual void DestroyWnd();
  // Called by the top-level control when a control below it got the focus.
  virtual void FocusChanged(TWinControl* control);
  // A dialog key for the form; true when used. The base moves the focus on
  // Tab and Shift+Tab (tab stops of the whole form) and on the arrows (every
  // focusable sibling of the focused control), and offers Enter and Escape to
  // the windowed children in Tab order, each as CM_DIALOGKEY.
  virtual bool DialogKey(WORD key, TShiftState shift);
  // A character typed with Alt, offered to the children (visible and
  // enabled, depth first) as CM_DIALOGCHAR; true when one took it.
  virtual bool DialogChar(char16_t ch);
  // What the control claims of the keyboard (DLGC_ flags); the base keeps the
  // window class's answer.
  virtual void WMGetDlgCode(TMessage& message);

  // Non-client hooks. AdjustNonClient shrinks the client rectangle (window
  // coordinates of the parent, as WM_NCCALCSIZE gives it) to reserve frame
  // parts; PaintNonClient draws on a device context of the whole window after
  // the default frame was drawn; NonClientHitTest may answer for a screen
  // point before the default does (return false to leave it).
  virtual void AdjustNonClient(RECT& client);
  virtual void PaintNonClient(HDC windowDC);
  virtual bool NonClientHitTest(POINT screenPoint, LRESULT& result);

  void Dispatch(TMessage& message) override;
  WideString GetText() override;
  void SetTextBuffer(const WideString& value) override;
  void ApplyBounds() override;

  virtual void WMPaint(TMessage& message);
  virtual void WMEraseBkgnd(TMessage& message);
  virtual void WMSize(TMessage& message);
  virtual void WMWindowPosChanged(TMessage& message);
  virtual void WMSetFocus(TMessage& message);
  virtual void WMKillFocus(TMessage& message);
  virtual void WMKeyDown(TMessage& message);
  virtual void WMKeyUp(TMessage& message);
  virtual void WMChar(TMessage& message);
  virtual void WMMouseWheel(TMessage& message);
  virtual void WMSetCursor(TMessage& message);
  virtual void WMContextMenu(TMessage& message);
  virtual void WMTimer(TMessage& message);
  virtual void WMPrint(TMessage& message);
  virtual void WMNCHitTest(TMessage& message);
  virtual void WMNCPaint(TMessage& message);
  virtual void WMNCCalcSize(TMessage& message);
  virtual void WMDestroy(TMessage& message);
  virtual void WMCaptureChanged(TMessage& message);
  // WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, ... go back to the child that caused them.
  virtual void ReflectNotification(TMessage& message);
  virtual void CNCtlColor(TMessage& message);
  void CMFontChanged(TMessage& message) override;
  void CMColorChanged(TMessage& message) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMVisibleChanged(TMessage& message) override;
  void CMTextChanged(TMessage& message) override;

  // Paints a window of our own: the control's own picture, then the graphic
  // children on top.
  virtual void PaintWindow(HDC dc);
  void PaintControls(HDC dc);
  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyUp(WORD& key, TShiftState shift);
  virtual void KeyPress(char16_t& key);
  virtual void DoEnter();
  virtual void DoExit();

  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;
  std::vector<TControl*> FControls;    // all children, in insertion order
  std::vector<TWinControl*> FTabList;  // the windowed children in Tab order
  std::unique_ptr<TBrush> FBrush;
  bool FTabStop = false;
  bool FDoubleBuffered = false;

 private:
  friend class TControl;
  friend LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
  void CreateHandle();
  void DestroyChildHandles();
  void RegisterWindowClass(TCreateParams& params);
  TControl* MouseTarget(TMessage& message, POINT& point);
  void TrackMouse(TControl* graphicChild);
  void SelectSibling(TWinControl* current, bool forward);
  void MouseLeft();
  void PaintBuffered(HDC dc, const RECT& area);
  // Timers of graphic children run on this window under ids of its own.
  struct TChildTimer {
    UINT_PTR windowId;
    TControl* control;
    UINT_PTR id;
  };
  UINT_PTR ChildTimerId(TControl* control, UINT_PTR id, bool create);
  void DropChildTimers(TControl* control);

  std::vector<TChildTimer> FChildTimers;
  UINT_PTR FNextChildTimerId = 0x10000;
  TControl* FMouseControl = nullptr;  // the graphic child the mouse is over
  bool FTrackingMouse = false;
  bool FErasingBuffer = false;

  bool FAligning = false;
  bool FWindowDying = false;  // the destructor destroys the window: no dispatch
  UINT FControlId = 0;
};

LRESULT CALLBACK StdWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
