#pragma once
// The base of every visual control: bounds within the parent, anchors and
// alignment, visibility, enabled state, font and colour (optionally taken
// from the parent), caption, mouse handling and message dispatch to virtual
// handlers. Controls without a window of their own (graphic controls) live
// on their parent's window; TWinControl adds the window.
#include <windows.h>

#include <functional>
#include <memory>

#include "framework/win32/Component.h"
#include "framework/win32/Graphics.h"
#include "framework/win32/Messages.h"
#include "platform/WideString.h"

class TWinControl;
class TControl;

enum TAlign : unsigned char { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TAnchorKind : unsigned char { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned char;

enum TMouseButton : unsigned char { mbLeft, mbRight, mbMiddle };
enum TShiftFlag : unsigned char { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
using TShiftState = unsigned char;

using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;

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

  // Asks the platform to repaint the control.
  virtual void Invalidate();
  virtual void Update();
  void Repaint() {
    Invalidate();
    Update();
  }

  POINT ClientToScreen(POINT point);
  POINT ScreenToClient(POINT point);

  // Sends a message straight to the control's handlers.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // Every message reaches the control here; the base dispatches it.
  virtual void WndProc(TMessage& message);
  // What happens to a message no handler takes.
  virtual void DefaultHandler(TMessage& message);

  TNotifyEvent OnClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

 protected:
  virtual void Dispatch(TMessage& message);
  virtual WideString GetText();
  virtual void SetTextBuffer(const WideString& value);
  virtual void Click();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
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

 private:
  friend class TWinControl;
  TAnchors FAnchors = akLeft | akTop;
  TAlign FAlign = alNone;
  int FAnchorRight = 0;   // distance to the parent's right edge
  int FAnchorBottom = 0;  // distance to the parent's bottom edge
  bool FClicking = false;
};

TShiftState KeysToShiftState(WPARAM keys);
