#pragma once
// The base of every visual control: bounds within the parent, anchors and
// alignment, visibility, enabled state, font and colour (optionally taken
// from the parent), caption, cursor, hint, mouse handling (buttons,
// double-click, wheel, enter and leave, capture), timers and message dispatch
// to virtual handlers. Controls without a window of their own (graphic
// controls) live on their parent's window; TWinControl adds the window.
//
// Threads: a control and its children are used only by the thread that made
// their windows (the main thread for the application's forms; a dialog on
// another thread with its own message loop keeps its controls to itself).
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/win32/ActnList.h"
#include "framework/win32/Component.h"
#include "framework/win32/Graphics.h"
#include "framework/win32/Messages.h"
#include "platform/WideString.h"

class TWinControl;
class TControl;
class TPopupMenu;
class TBasicAction;
class TControlActionLink;

enum TAlign : unsigned char { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TAnchorKind : unsigned char { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned char;

enum TMouseButton : unsigned char { mbLeft, mbRight, mbMiddle };
enum TShiftFlag : unsigned char {
  ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
  ssDouble = 64  // the button press is the second of a double-click
};
using TShiftState = unsigned char;

// dmAutomatic: a left press starts dragging the control by itself.
enum TDragMode : unsigned char { dmManual, dmAutomatic };
using TStartDragEvent = std::function<void(TObject* sender)>;
// x, y: where the left button was released, in the control's client coordinates.
using TEndDragEvent = std::function<void(TObject* sender, int x, int y)>;

using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
// delta: multiples of WHEEL_DELTA, positive away from the user; mousePos in
// screen coordinates. Setting handled stops the wheel going to the parent.
using TMouseWheelEvent =
    std::function<void(TObject* sender, TShiftState shift, int delta, POINT mousePos, bool& handled)>;
// Setting key to 0 swallows the key.
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char16_t& key)>;
// A replaceable message entry: controllers that extend a control from
// outside (custom scroll bars, hooks) put their own in front of the old one.
using TWndMethod = std::function<void(TMessage& message)>;

// Mouse cursors: crDefault leaves the choice to the window class (or the
// parent); the others name the platform's standard cursors.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
// The platform cursor for one of the values above; null for crNone, the
// arrow for crDefault and unknown values.
HCURSOR CursorHandle(TCursor cursor);

// A canvas on a control's window (or, for a graphic control, on the part of
// the parent's window it covers). It takes a device context when first used
// and gives it back when the control's window goes, when the canvas is freed
// or when the application goes idle.
class TControlCanvas : public TCanvas {
 public:
  explicit TControlCanvas(TControl* control) : FControl(control) {}
  ~TControlCanvas() override;
  std::string ClassName() const override { return "TControlCanvas"; }
  // Gives back a device context taken by CreateHandle; one bound by SetHandle
  // is only unbound.
  void FreeHandle();
  // Frees the device contexts of every control canvas (on idle).
  static void FreeDeviceContexts();

 protected:
  void CreateHandle() override;

 private:
  TControl* FControl;
  HWND FWindow = nullptr;  // whose device context this canvas took
};

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;
  std::string ClassName() const override { return "TControl"; }

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* parent);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
  void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
  void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
  void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }
  // Moves and sizes the control; the anchors then keep the distances to the
  // parent's edges that this placement gives.
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  virtual int ClientWidth() { return FWidth; }
  virtual int ClientHeight() { return FHeight; }
  RECT ClientRect() { return RECT{0, 0, ClientWidth(), ClientHeight()}; }

  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors value);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign value);

  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool value);

  TFont* Font() { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);

  // The caption or text; a windowed control keeps it in its window.
  WideString Caption() { return GetText(); }
  void SetCaption(const WideString& value) { SetText(value); }
  WideString Text() { return GetText(); }
  void SetText(const WideString& value);

  bool MouseCapture() const;
  void SetMouseCapture(bool value);
  // Whether the mouse is over the control (between its enter and leave
  // notifications).
  bool MouseInside() const { return FMouseInside; }

  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor value);

  // The hint: "short|long" (either part may be missing); a control of the
  // Unicode set stores its wide hint here in the encoding of UnicodeHint.h.
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& value) { FHint = value; }
  // With ParentShowHint (the default) the parent's setting counts.
  bool ShowHint() const;
  void SetShowHint(bool value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool value);

  // Shown on a right click (WM_CONTEXTMENU) when set; not owned.
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* value);

  // Timers delivered to this control as TimerElapsed(id): a windowed control
  // runs them on its own window, a graphic control on its parent's. They
  // survive the window being created anew; false when the platform has no
  // timer (or no window) to give.
  bool StartTimer(UINT_PTR id, UINT intervalMs);
  void StopTimer(UINT_PTR id);
  bool TimerRunning(UINT_PTR id) const;

  // Asks the platform to repaint the control.
  virtual void Invalidate();
  virtual void Update();
  void Repaint() {
    Invalidate();
    Update();
  }

  POINT ClientToScreen(POINT point);
  POINT ScreenToClient(POINT point);

  // Sends a message straight to the control's handlers (through WindowProc).
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // Every message reaches the control through WindowProc, which is WndProc
  // unless a controller put itself in front; the base dispatches it.
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& message);
  // What happens to a message no handler takes.
  virtual void DefaultHandler(TMessage& message);

  // --- Linked action ---------------------------------------------------------
  // The control follows the action's caption, hint, states and help context;
  // when first linked it only fills in what it does not have yet. Its click
  // runs the action when that has OnExecute. Not owned; null once the action
  // goes away.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* value);
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int value) { FHelpContext = value; }
  // --- end of linked action -------------------------------------------------

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TMouseWheelEvent OnMouseWheel;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  // Dragging: the control holds the mouse from BeginDrag until the left
  // button's release. Immediate starts at once; otherwise the drag starts
  // once the mouse has moved past the platform's drag distance, and a
  // release before that is an ordinary click. OnStartDrag fires when the
  // drag starts and OnEndDrag when it ends.
  TDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TDragMode value) { FDragMode = value; }
  void BeginDrag(bool immediate);
  // Ends a running or pending drag (OnEndDrag only for a running one).
  void EndDrag(int x, int y);
  bool Dragging() const { return FDragState == TDragState::running; }
  TStartDragEvent OnStartDrag;
  TEndDragEvent OnEndDrag;

 protected:
  virtual void DoStartDrag();
  virtual void DoEndDrag(int x, int y);
  // Follows the mouse for a running or pending drag: starts a pending one
  // past the drag distance, ends either on the release or a lost capture.
  void TrackDrag(const TMessage& message);
  enum class TDragState : unsigned char { none, pending, running };
  TDragMode FDragMode = dmManual;
  TDragState FDragState = TDragState::none;
  POINT FDragOrigin{};  // where a pending drag began, in client coordinates

  virtual void Dispatch(TMessage& message);
  void Notification(TComponent* component, TOperation operation) override;
  virtual WideString GetText();
  virtual void SetTextBuffer(const WideString& value);
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  // The wheel turned over (or with the focus in) the control; true when used.
  // Unused turns go on to the parent.
  virtual bool DoMouseWheel(TShiftState shift, int delta, POINT mousePos);
  virtual void TimerElapsed(UINT_PTR id);
  // Takes the properties `which` of the linked action (checkDefaults: it has
  // just been linked, so only values still at their defaults are taken).
  // Controls with their own caption, hint or checked state take those and
  // leave the rest to ApplyActionStates.
  friend class TControlActionLink;
  virtual void ActionChange(TBasicAction* sender, bool checkDefaults, TActionProperties which);
  void ApplyActionStates(TBasicAction* sender, bool checkDefaults, TActionProperties which);
  virtual void CMFontChanged(TMessage& message);
  virtual void CMColorChanged(TMessage& message);
  virtual void CMEnabledChanged(TMessage& message);
  virtual void CMVisibleChanged(TMessage& message);
  virtual void CMParentFontChanged(TMessage& message);
  virtual void CMParentColorChanged(TMessage& message);
  virtual void CMTextChanged(TMessage& message);
  virtual void CMMouseEnter(TMessage& message);
  virtual void CMMouseLeave(TMessage& message);
  // Moves the window or, for a graphic control, repaints the parent.
  virtual void ApplyBounds();
  // Remembers the distances to the parent's right and bottom edges.
  void UpdateAnchorRules();
  // The position that the anchors give within a parent of this client size.
  void AnchorTo(int parentWidth, int parentHeight);
  void RequestAlign();
  void FontChanged(TObject* sender);

  TWinControl* FParent = nullptr;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  bool FParentFont = true;
  bool FParentColor = false;
  TColor FColor = clWindow;
  WideString FText;
  std::unique_ptr<TFont> FFont;
  // A press of a mouse button captures the mouse until its release, so the
  // release reaches the control wherever it happens.
  bool FCaptureOnPress = false;
  // A left press and release inside the control runs Click; off for native
  // controls, which report their clicks through a notification.
  bool FClickOnMouseUp = true;

 private:
  friend class TWinControl;
  struct TControlTimer {
    UINT_PTR id;
    UINT interval;
  };
  void MouseButtonPressed();
  void MouseButtonReleased();
  TWinControl* TimerWindow() const;
  void RestartTimers();

  std::vector<TControlTimer> FTimers;
  std::string FHint;
  TPopupMenu* FPopupMenu = nullptr;
  TCursor FCursor = crDefault;
  bool FShowHint = false;
  bool FParentShowHint = true;
  bool FMouseInside = false;
  TAnchors FAnchors = akLeft | akTop;
  TAlign FAlign = alNone;
  int FAnchorRight = 0;   // distance to the parent's right edge
  int FAnchorBottom = 0;  // distance to the parent's bottom edge
  bool FClicking = false;
  std::unique_ptr<TControlActionLink> FActionLink;
  int FHelpContext = 0;
};

// The shift state of a mouse message's key flags (Alt read from the keyboard).
TShiftState KeysToShiftState(WPARAM keys);
// Shift, Ctrl and Alt as the keyboard holds them now.
TShiftState KeyboardShiftState();
