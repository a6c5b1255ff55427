#pragma once
// The control set's Unicode edit as a window. The text, caret, selection,
// scroll offsets and every editing operation live in the portable edit model
// (controls/edit/ElEditModel.h), which this control owns and serves as its
// host: it repaints, keeps the platform caret and the scroll bars in step,
// and lends the model the real clipboard. The window answers the platform's
// text and edit messages by translating them into model calls; measuring
// and drawing go through TElWinTextPainter with the control's font.
//
// The window is a Unicode window: every text a message carries is UTF-16,
// and a sender using the narrow forms of the messages has its text
// converted by the platform with the system code page, both ways.
//
// Multi-line edits show the custom scroll bars (ElSBController) their
// ScrollBars asks for: the vertical bar counts display rows (page: the
// visible rows), the horizontal one characters of the longest row (page:
// the characters of that row that fit). Single-line edits never show bars.
//
// Main thread only.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "controls/base/ElBorderStyle.h"
#include "controls/base/win32/ElFlatFrame.h"
#include "controls/base/win32/ElXPThemedControl.h"
#include "controls/edit/ElEditHost.h"
#include "controls/edit/ElTextPainter.h"

class TElEditModel;
class TElWinTextPainter;
class TElSBController;
class TElCtrlScrollBarStyles;

// A context menu asked for at a client point ((-1, -1) from the keyboard);
// set handled to keep the edit from showing one.
using TContextPopupEvent = std::function<void(TObject* sender, POINT mousePos, bool& handled)>;

enum TScrollStyle : unsigned char { ssNone, ssHorizontal, ssVertical, ssBoth };
// Where a linked companion control sits next to the edit.
enum TElLinkCtlPos : unsigned char {
  lcpLeftTop, lcpLeftBottom, lcpLeftCenter, lcpTopLeft, lcpTopRight, lcpTopCenter,
  lcpRightTop, lcpRightBottom, lcpRightCenter, lcpBottomLeft, lcpBottomRight, lcpBottomCenter
};

// What one display row shows on screen: enough to tell which pixels of it a
// change touched.
struct TElEditRowPicture {
  WideString Shown;       // the raw characters in view
  int X = 0;              // where they start
  int Width = 0;          // their displayed width
  int SelFrom = 0;        // the selected part, relative to Shown
  int SelTo = 0;
  COLORREF SelBack = 0;   // the selected part's colours
  COLORREF SelText = 0;
  // What the geometry was measured from: the row's text, the first
  // character in view and the edit's width.
  WideString Raw;
  int LeftChar = 0;
  int EditWidth = 0;
  bool operator==(const TElEditRowPicture& o) const {
    return Shown == o.Shown && X == o.X && Width == o.Width && SelFrom == o.SelFrom && SelTo == o.SelTo &&
           (SelFrom == SelTo || (SelBack == o.SelBack && SelText == o.SelText));
  }
};

class TCustomElEdit : public TElXPThemedControl, private IElEditHost {
 public:
  explicit TCustomElEdit(TComponent* owner);
  ~TCustomElEdit() override;
  std::string ClassName() const override { return "TCustomElEdit"; }

  // Text, caret, selection, scrolling, editing and the events. Multiline
  // is set through the control, which re-creates the window for it.
  TElEditModel& Model() { return *FModel; }
  const TElEditModel& Model() const { return *FModel; }

  bool Multiline() const;
  void SetMultiline(bool value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);

  // The custom scroll bars; without the platform's notification of scroll
  // changes they switch themselves off and the platform's bars serve.
  bool UseCustomScrollBars() const { return FUseCustomScrollBars; }
  void SetUseCustomScrollBars(bool value);
  TElSBController* ScrollBarController() const { return FController; }
  TElCtrlScrollBarStyles* HorzScrollBarStyles() const;
  TElCtrlScrollBarStyles* VertScrollBarStyles() const;

  // Whether the control holds the platform caret now (while focused).
  bool CaretExists() const { return FCaretExists; }
  // Whether the mouse is over the control.
  bool Hover() const { return FHover; }
  // The single-line height for the current font (AutoSize).
  void AdjustHeight();

  // ---- Input
  // Claims Enter, Escape and the other dialog keys for itself.
  bool HandleDialogKeys() const { return FHandleDialogKeys; }
  void SetHandleDialogKeys(bool value) { FHandleDialogKeys = value; }
  // Without a PopupMenu, the platform's own edit menu on a right click.
  bool UseSystemMenu() const { return FUseSystemMenu; }
  void SetUseSystemMenu(bool value) { FUseSystemMenu = value; }
  bool LocalizedSystemMenu() const { return FLocalizedSystemMenu; }
  void SetLocalizedSystemMenu(bool value) { FLocalizedSystemMenu = value; }
  // The platform's edit menu with this edit's captions and enabled states;
  // the caller owns it (null when the platform has none).
  HMENU CreateContextMenu();
  TContextPopupEvent OnContextPopup;

  // ---- Appearance
  TElBorderSides BorderSides() const { return FBorderSides; }
  void SetBorderSides(TElBorderSides value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  TElFlatBorderType ActiveBorderType() const { return FActiveBorderType; }
  void SetActiveBorderType(TElFlatBorderType value);
  TElFlatBorderType InactiveBorderType() const { return FInactiveBorderType; }
  void SetInactiveBorderType(TElFlatBorderType value);
  TColor LineBorderActiveColor() const { return FLineBorderActiveColor; }
  void SetLineBorderActiveColor(TColor value);
  TColor LineBorderInactiveColor() const { return FLineBorderInactiveColor; }
  void SetLineBorderInactiveColor(TColor value);
  const TElFlatFrameColors& BorderColors() const { return FBorderColors; }
  void SetBorderColors(const TElFlatFrameColors& value);
  TColor FocusedSelectColor() const { return FFocusedSelectColor; }
  void SetFocusedSelectColor(TColor value) { SetAppearance(FFocusedSelectColor, value); }
  TColor FocusedSelectTextColor() const { return FFocusedSelectTextColor; }
  void SetFocusedSelectTextColor(TColor value) { SetAppearance(FFocusedSelectTextColor, value); }
  TColor HideSelectColor() const { return FHideSelectColor; }
  void SetHideSelectColor(TColor value) { SetAppearance(FHideSelectColor, value); }
  TColor HideSelectTextColor() const { return FHideSelectTextColor; }
  void SetHideSelectTextColor(TColor value) { SetAppearance(FHideSelectTextColor, value); }
  // Below 255 the selection is blended onto the text background at this level.
  int HighlightAlphaLevel() const { return FHighlightAlphaLevel; }
  void SetHighlightAlphaLevel(int value);
  bool UseDisabledColors() const { return FUseDisabledColors; }
  void SetUseDisabledColors(bool value);
  TColor DisabledColor() const { return FDisabledColor; }
  void SetDisabledColor(TColor value);
  TColor DisabledFontColor() const { return FDisabledFontColor; }
  void SetDisabledFontColor(TColor value);
  // The colours the text is drawn in now.
  TColor GetBkColor() const;
  TColor GetTextColor() const;

  // ---- Linked companion control, kept next to the edit; not owned.
  TControl* LinkedControl() const { return FLinkedControl; }
  void SetLinkedControl(TControl* value);
  TElLinkCtlPos LinkedControlPosition() const { return FLinkedControlPosition; }
  void SetLinkedControlPosition(TElLinkCtlPos value);
  int LinkedControlSpacing() const { return FLinkedControlSpacing; }
  void SetLinkedControlSpacing(int value);

  // What a row shows now, in the colours of the current focus (for tests
  // and the partial repaint).
  TElEditRowPicture RowPicture(int row) { return RowPicture(row, HasFocusNow(), nullptr); }

 protected:
  const wchar_t* GetThemedClassName() const override { return L"EDIT"; }
  // The painter the model measures with; the platform's by default.
  virtual std::unique_ptr<TElTextPainter> CreateTextPainter();

  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;
  WideString GetText() override;
  void SetTextBuffer(const WideString& value) override;
  void CMFontChanged(TMessage& message) override;
  void WMSize(TMessage& message) override;
  void WMSetFocus(TMessage& message) override;
  void WMKillFocus(TMessage& message) override;
  void WMWindowPosChanged(TMessage& message) override;
  void WMNCCalcSize(TMessage& message) override;
  void WMNCPaint(TMessage& message) override;
  void CMEnabledChanged(TMessage& message) override;
  void CMColorChanged(TMessage& message) override;
  void CMMouseEnter(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;
  void Paint() override;
  void Invalidate() override;

  // Input (ElEditKeys.cpp, ElEditMouse.cpp, ElEditContextMenu.cpp).
  void WMGetDlgCode(TMessage& message) override;
  void WMKeyDown(TMessage& message) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  bool DoMouseWheel(TShiftState shift, int delta, POINT mousePos) override;
  void WMContextMenu(TMessage& message) override;

 private:
  // IElEditHost
  bool HasWindow() const override { return FHandle != nullptr; }
  void InvalidateText() override;
  void UpdateScrollInfo() override;
  void CaretMoved() override;
  bool ClipboardGetText(WideString& text) override;
  void ClipboardSetText(const WideString& text) override;

  // The platform's text and edit messages; true when the message was one.
  bool TextMessage(TMessage& message);
  bool EditMessage(TMessage& message);
  bool SelectionMessage(TMessage& message);
  bool LineMessage(TMessage& message);
  bool ScrollMessage(TMessage& message);
  void WMScroll(TMessage& message);
  void SetEditRectFrom(const RECT* rect);
  void ResetEditRect() { SetEditRectFrom(nullptr); }
  void SetBarInfo(int bar, int maximum, int page, int position);

  // The custom scroll bars around the window's life (ElEditScrollBars.cpp).
  void AttachScrollBars();
  void DetachScrollBars();
  bool ScrollBarsTakeMessage(TMessage& message);

  void CreateCaret();
  void DestroyCaret();
  void PaintRow(HDC dc, int row, bool focused);
  void PaintSelectedPart(HDC dc, int x, int baseline, const TElTextRect& clip, const WideString& part,
                         COLORREF colour);
  TElTextRect TextClip() const;
  int RowTop(int row) const;

  // Repaint only what changed: the model's repaint requests are collected
  // while a message is handled and turned into the changed spans of each
  // visible row once it is done (at once outside a message).
  void FlushInvalidation();
  void TakeSnapshot(std::vector<TElEditRowPicture>& rows);
  // The picture of a row, its selection in the colours of focused or not;
  // the geometry is taken over from earlier when it was measured from the
  // same text in the same place.
  TElEditRowPicture RowPicture(int row, bool focused, const TElEditRowPicture* earlier);
  // Kept from the focus messages: asking the window system costs a trip to
  // it, and every keystroke's picture needs the answer.
  bool HasFocusNow() const { return HandleAllocated() && FHasFocus; }
  void InvalidateRowChange(int slot, const TElEditRowPicture& was, const TElEditRowPicture& now);
  void InvalidateEverything();

  // Input helpers.
  bool TranslateKey(TMessage& message);
  bool NavigationKey(WORD key, TShiftState shift);
  bool EditingKey(WORD key, TShiftState shift);
  void MoveCaretBy(WORD key, bool ctrl);
  void AfterCaretMove(bool extend);
  void EnterKey();
  void CaretToPoint(int x, int y);
  bool CommandMessage(TMessage& message);
  bool ImeMessage(TMessage& message);
  void ImeStartComposition();
  void ImeResult();

  // Border and appearance helpers (ElEditBorder.cpp).
  RECT BorderRoom() const;
  bool OwnFrame() const;
  void DrawFlatBorder();
  void SetAppearance(TColor& field, TColor value);
  void PlaceLinkedControl();

  std::unique_ptr<TElEditModel> FModel;
  TElWinTextPainter* FWinPainter = nullptr;  // the model's painter when it is ours
  TElSBController* FController;              // owned as a component
  TScrollStyle FScrollBars = ssNone;
  TBorderStyle FBorderStyle = bsSingle;
  bool FUseCustomScrollBars = true;
  bool FHasFocus = false;
  bool FCaretExists = false;
  bool FHover = false;

  bool FHandleDialogKeys = false;
  bool FUseSystemMenu = true;
  bool FLocalizedSystemMenu = false;
  char FDeadChar = 0;        // the last dead key's 8-bit character, 0 for none
  int FDeadCount = 0;        // keys of two or more characters after a dead key
  bool FFocusTakingPress = false;
  HKL FInputLanguage = nullptr;

  TElBorderSides FBorderSides = ebsAll;
  bool FFlat = false;
  TElFlatBorderType FActiveBorderType = fbtSunken;
  TElFlatBorderType FInactiveBorderType = fbtSunkenOuter;
  TColor FLineBorderActiveColor = clBlack;
  TColor FLineBorderInactiveColor = clBlack;
  TElFlatFrameColors FBorderColors;
  TColor FFocusedSelectColor = clHighlight;
  TColor FFocusedSelectTextColor = clHighlightText;
  TColor FHideSelectColor = clBtnFace;
  TColor FHideSelectTextColor = clBtnShadow;
  int FHighlightAlphaLevel = 255;
  bool FUseDisabledColors = false;
  TColor FDisabledColor = clBtnFace;
  TColor FDisabledFontColor = clGrayText;

  TControl* FLinkedControl = nullptr;
  TElLinkCtlPos FLinkedControlPosition = lcpTopLeft;
  int FLinkedControlSpacing = 0;

  int FMessageDepth = 0;
  bool FTextDirty = false;
  bool FSnapshotValid = false;
  std::vector<TElEditRowPicture> FShownRows;  // what the screen shows once painted
  int FShownTopLine = 0;
};

// The published edit: every behaviour is TCustomElEdit's.
class TElEdit : public TCustomElEdit {
 public:
  explicit TElEdit(TComponent* owner) : TCustomElEdit(owner) {}
  std::string ClassName() const override { return "TElEdit"; }
};
