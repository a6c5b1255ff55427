#pragma once
// The control set's list box: the platform's list control ("LISTBOX"),
// always owner-drawn, holding one empty placeholder per row, while the rows'
// texts live in Items and every row is painted from there, so any Unicode
// text shows whatever the native list's character set. The native list
// supplies the current row, selection, caret, top index, scroll range, row
// rectangles, keyboard navigation and mouse selection. The control hosts the
// custom scroll bars in its non-client area and adds per-row check boxes and
// images, incremental search by typing, and a hint with the full text of a
// row wider than the control.
//
// Rows that stream in (a log) are gathered: the native list's drawing stays
// off from the first of them until the next timer round (StreamLatency()
// later), the top index set meanwhile is kept by the
// control, and then the view moves once and what changed is painted once, so
// adding a row costs the same however long the list is. Anything the user
// does, and any question about row geometry, first brings the native list
// up to date.
//
// Main thread only; the search timeout thread touches nothing of it.
#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "controls/base/ElBorderStyle.h"
#include "controls/base/win32/ElFlatFrame.h"
#include "controls/base/win32/ElXPThemedControl.h"
#include "controls/list/win32/ElCtrlScrollBarStyles.h"
#include "controls/list/ElKeyboardInput.h"
#include "controls/list/ElListBoxRules.h"
#include "controls/list/win32/ElListBoxStrings.h"
#include "framework/win32/Bitmap.h"
#include "framework/win32/ImageList.h"

class TElSBController;
class TCustomElListBox;
class TElListBoxHintWindow;
class TSearchTextTimeoutThread;

// What the search timeout thread's end reaches: the list box while it waits
// for that thread, null once it has let the thread go. Main thread only.
struct TElSearchLink {
  TCustomElListBox* listBox = nullptr;
};

enum TListBoxStyle : unsigned char {
  lbStandard,
  lbOwnerDrawFixed,
  lbOwnerDrawVariable,
  lbVirtual,
  lbVirtualOwnerDraw
};

// The owner-draw state of a row (ODS_ flags).
using TOwnerDrawState = UINT;

using TDrawItemEvent =
    std::function<void(TObject* control, int index, const RECT& rect, TOwnerDrawState state)>;
using TMeasureItemEvent = std::function<void(TObject* control, int index, int& height)>;
using TElCheckStateChangeEvent = std::function<void(TObject* sender, int index)>;
using TElCheckBoxChangeEvent = std::function<void(TObject* sender, int itemIndex, TCheckBoxState itemState)>;
using TElItemTextDrawEvent =
    std::function<void(TObject* sender, TCanvas* canvas, int index, RECT& rect, UINT flags)>;

// Themes are wanted and the theme's list border can be had.
bool ListThemeAvailable(bool useThemes);

class TCustomElListBox : public TElXPThemedControl {
 public:
  // How late rows that stream in show: kStreamLatencyMs, or longer while
  // painting the rows takes long (then painting keeps to about a fifth of
  // the time), but never more than kStreamLatencyLimitMs.
  static constexpr UINT kStreamLatencyMs = 40;
  static constexpr UINT kStreamLatencyLimitMs = 250;
  UINT StreamLatency() const;

  explicit TCustomElListBox(TComponent* owner);
  ~TCustomElListBox() override;
  std::string ClassName() const override { return "TCustomElListBox"; }

  TElListBoxStrings* Items() const { return FItems.get(); }
  // Copies the given list into Items.
  void SetItems(TElWideStrings* value);
  int GetCount() const { return FItems->GetCount(); }

  virtual int ItemIndex();
  virtual void SetItemIndex(int value);
  virtual int TopIndex();
  virtual void SetTopIndex(int value);
  int ItemHeight();
  void SetItemHeight(int value);
  int SelCount();
  bool Selected(int index);
  void SetSelected(int index, bool value);

  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool value);
  bool ExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool value);
  bool Sorted() const { return FItems->Sorted(); }
  void SetSorted(bool value) { FItems->SetSorted(value); }
  int TabWidth() const { return FTabWidth; }
  void SetTabWidth(int value);
  bool IntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(bool value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);

  bool ShowCheckBox() const { return FShowCheckBox; }
  void SetShowCheckBox(bool value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool value);
  TCheckBoxState State(int index) const;
  void SetState(int index, TCheckBoxState value);
  void CheckAll() { SetAllStates(cbChecked, false); }
  void GrayAll() { SetAllStates(cbGrayed, false); }
  void UncheckAll() { SetAllStates(cbUnchecked, false); }
  void CheckSelected() { SetAllStates(cbChecked, true); }
  void GraySelected() { SetAllStates(cbGrayed, true); }
  void UncheckSelected() { SetAllStates(cbUnchecked, true); }

  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* value);
  int ImageIndex(int index) const;
  void SetImageIndex(int index, int value);
  int ItemData(int index);
  void SetItemData(int index, int value);

  bool UseCustomScrollBars() const { return FUseCustomScrollBars; }
  void SetUseCustomScrollBars(bool value);
  TElSBController* ScrollBarController() const { return FController; }
  TElCtrlScrollBarStyles* HorzScrollBarStyles() const;
  TElCtrlScrollBarStyles* VertScrollBarStyles() const;
  bool HorizontalScroll() const { return FHorizontalScroll; }
  void SetHorizontalScroll(bool value);
  int HorizontalExtent() const { return FHorizontalExtent; }
  bool RightAlignedText() const { return FRightAlignedText; }
  void SetRightAlignedText(bool value);
  bool RightAlignedView() const { return FRightAlignedView; }
  void SetRightAlignedView(bool value);

  TFont* SelectedFont() const { return FSelectedFont.get(); }
  void SetSelectedFont(TFont* value) { FSelectedFont->Assign(value); }
  bool UseSelectedFont() const { return FUseSelectedFont; }
  void SetUseSelectedFont(bool value);
  TColor FocusedSelectColor() const { return FFocusedSelectColor; }
  void SetFocusedSelectColor(TColor value);
  TColor FocusedSelectTextColor() const { return FFocusedSelectTextColor; }
  void SetFocusedSelectTextColor(TColor value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  TColor HideSelectColor() const { return FHideSelectColor; }
  void SetHideSelectColor(TColor value);
  TColor HideSelectTextColor() const { return FHideSelectTextColor; }
  void SetHideSelectTextColor(TColor value);
  int HighlightAlphaLevel() const { return FHighlightAlphaLevel; }
  void SetHighlightAlphaLevel(int value);
  bool InvertSelection() const { return FInvertSelection; }
  void SetInvertSelection(bool value);
  bool TransparentSelection() const { return FTransparentSelection; }
  void SetTransparentSelection(bool value);
  TBitmap* Background() const { return FBackground.get(); }
  void SetBackground(TBitmap* value);
  bool UseBackground() const { return FUseBackground; }
  void SetUseBackground(bool value);

  bool ShowLineHint() const { return FShowLineHint; }
  void SetShowLineHint(bool value);
  int IncrementalSearchTimeout() const { return FIncrementalSearchTimeout; }
  void SetIncrementalSearchTimeout(int value) { FIncrementalSearchTimeout = value; }
  // The typed text the next search uses.
  const WideString& SearchText() const { return FKeyboardInput.Buffer(); }
  // The row whose line hint is pending or shown (-1 none), and its window.
  int HintRow() const { return FHintRow; }
  TElListBoxHintWindow* LineHintWindow() const { return FHintWindow; }
  bool Hovered() const { return FHover; }

  // The border: the platform's, the control's own flat frame (Flat), or the
  // theme's list border when a theme is applied.
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  TElFlatBorderType ActiveBorderType() const { return FActiveBorderType; }
  void SetActiveBorderType(TElFlatBorderType value);
  TElFlatBorderType InactiveBorderType() const { return FInactiveBorderType; }
  void SetInactiveBorderType(TElFlatBorderType value);
  TElBorderSides BorderSides() const { return FBorderSides; }
  void SetBorderSides(TElBorderSides value);
  bool FlatFocusedScrollBars() const { return FFlatFocusedScrollBars; }
  void SetFlatFocusedScrollBars(bool value);
  TColor LineBorderActiveColor() const { return FLineBorderActiveColor; }
  void SetLineBorderActiveColor(TColor value);
  TColor LineBorderInactiveColor() const { return FLineBorderInactiveColor; }
  void SetLineBorderInactiveColor(TColor value);
  const TElFlatFrameColors& BorderColors() const { return FBorderColors; }
  TColor BorderColorFace() const { return FBorderColors.face; }
  void SetBorderColorFace(TColor value) { SetBorderColor(FBorderColors.face, value); }
  TColor BorderColorShadow() const { return FBorderColors.shadow; }
  void SetBorderColorShadow(TColor value) { SetBorderColor(FBorderColors.shadow, value); }
  TColor BorderColorDkShadow() const { return FBorderColors.dkShadow; }
  void SetBorderColorDkShadow(TColor value) { SetBorderColor(FBorderColors.dkShadow, value); }
  TColor BorderColorHighlight() const { return FBorderColors.highlight; }
  void SetBorderColorHighlight(TColor value) { SetBorderColor(FBorderColors.highlight, value); }
  TColor BorderColorWindow() const { return FBorderColors.window; }
  void SetBorderColorWindow(TColor value) { SetBorderColor(FBorderColors.window, value); }
  // The theme's list border is drawn instead of the platform's or the flat one.
  bool ThemedBorder() const { return FListTheme != nullptr; }
  // Draws the border as it should look now.
  void DrawFlatBorder();

  // The scroll hint events of the two custom bars, set on the bars themselves.
  TElScrollHintNeededEvent HorzScrollHintNeeded() const;
  void SetHorzScrollHintNeeded(TElScrollHintNeededEvent value);
  TElScrollHintNeededEvent VertScrollHintNeeded() const;
  void SetVertScrollHintNeeded(TElScrollHintNeededEvent value);

  // The hint as Unicode text; the framework gets it in the control set's
  // Unicode hint encoding.
  const WideString& WideHint() const { return FWideHint; }
  void SetWideHint(const WideString& value);

  void SetUseXPThemes(bool value) override;
  void Loaded() override;

  // The row under a client point: -1 outside the client area; when no row
  // holds it, -1 with existing, else Items.Count.
  int ItemAtPos(POINT point, bool existing);
  // A row's rectangle; for Items.Count the one below the last row; empty
  // for anything else.
  RECT ItemRect(int index);

  // Overridable native entry operations, used by Items.
  virtual void ResetContent();
  virtual void DeleteString(int index);
  // Rows inserted, deleted or changed: the control repaints (gathered
  // while rows stream in; inserted tells that only rows from the inserted
  // one down changed).
  void ItemsChange(bool inserted = false);
  // Paints now whatever streamed-in rows are still waiting.
  void FlushStream();
  // Rows have streamed in that the native list has not painted yet.
  bool Streaming() const { return FStreaming; }

  // Virtual operations.
  virtual void ResetHorizontalExtent();
  virtual void SetHorizontalExtent();
  virtual TBitmap* GetBackground() { return FBackground.get(); }
  virtual TElListBoxHintWindow* CreateHintWindow();
  virtual void DrawItem(int index, RECT rect, TOwnerDrawState state);
  virtual int GetItemWidth(int index);
  virtual void AdjustItemHeight();
  virtual bool DoPerformSearch(const WideString& text, int startIndex);
  virtual bool DoCompareItems(const WideString& text, int index);
  virtual void DoDrawText(TObject* sender, TCanvas* canvas, const WideString& text, RECT& rect, UINT flags);
  virtual void MeasureItem(int index, int& height);
  virtual void TriggerCheckStateChange(int index);
  virtual void TriggerCheckBoxChange(int index, TCheckBoxState state);
  virtual void UpdateItemHeight();

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;
  TElCheckStateChangeEvent OnCheckStateChange;
  TElCheckBoxChangeEvent OnCheckBoxChange;
  TElItemTextDrawEvent OnItemTextDraw;

 protected:
  const wchar_t* GetThemedClassName() const override { return L"BUTTON"; }
  void CreateParams(TCreateParams& params) override;
  void Notification(TComponent* component, TOperation operation) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  void CMMouseEnter(TMessage& message) override;
  void CMMouseLeave(TMessage& message) override;
  void WMSetFocus(TMessage& message) override;
  void WMKillFocus(TMessage& message) override;
  void WMKeyDown(TMessage& message) override;
  void WMChar(TMessage& message) override;
  void WMMouseWheel(TMessage& message) override;
  void WMSize(TMessage& message) override;
  void WMEraseBkgnd(TMessage& message) override;
  void WMPaint(TMessage& message) override;
  void WMNCCalcSize(TMessage& message) override;
  void CreateThemeHandle() override;
  void FreeThemeHandle() override;
  void WMNCPaint(TMessage& message) override;
  void TimerElapsed(UINT_PTR id) override;
  void MouseMove(TShiftState shift, int x, int y) override;

 private:
  friend class TElListBoxStrings;
  enum : UINT_PTR { kStreamTimer = 1, kHintTimer = 2 };
  // Posted to itself when the line hint's window was hidden from outside.
  static constexpr UINT kCancelHintMessage = CM_BASE + 0x40;

  // The native list's answer to a message (0 without a window).
  LRESULT Native(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // Inserts a placeholder at index; raises when the native list refuses.
  void InsertPlaceholder(int index);
  // The row at index is in Items and in the native list.
  void RowInserted(int index);
  // A row has left Items and the native list.
  void RowDeleted();
  void BeginStream(int changedRow);
  // The top index is kept by the control while rows stream in (fixed rows).
  bool StreamKeepsTop() const;
  void InvalidateRow(int index);
  void SetAllStates(TCheckBoxState state, bool selectedOnly);
  void StatesMoved(int index1, int index2);
  void CNDrawItem(TMessage& message);
  void CNMeasureItem(TMessage& message);
  void WMLButtonDown(TMessage& message);
  void WMScroll(TMessage& message);
  void WMImeComposition(TMessage& message);
  void WMImeStartComposition(TMessage& message);
  bool ClickCheckBox(POINT point);
  void AfterTypedText(const WideString& text, int firstStart);
  void ArmSearchTimeout();
  void SearchTextTimeout();
  void StopSearchThread();
  void LineHintMove(int y);
  void LineHintTimer();
  void CancelLineHint();
  void DrawBackground(HDC dc, const RECT& rect);
  // The native list's rows (and an empty list's background) on dc.
  void PaintRows(HDC dc, bool background);
  void FocusChangedRepaint();
  void HoverChanged(bool hover);
  void SetBorderColor(TColor& field, TColor value);
  // Room the border takes from (positive) or gives to (negative) the client
  // area on each side.
  RECT BorderRoom() const;
  bool ActiveLook();
  void PaintThemedBorder();
  bool FocusedNow();

  std::unique_ptr<TElListBoxStrings> FItems;
  std::unique_ptr<TCanvas> FItemCanvas;  // bound to each row's device context in turn
  int FItemHeight = 16;
  std::vector<unsigned char> FCheckStates;
  std::vector<int> FImageIndexes;
  std::unique_ptr<TFont> FSelectedFont;
  std::unique_ptr<TBitmap> FBackground;
  TElSBController* FController;  // owned as a component
  TElKeyboardInput FKeyboardInput;
  TSearchTextTimeoutThread* FSearchThread = nullptr;
  std::shared_ptr<TElSearchLink> FSearchLink;
  TElListBoxHintWindow* FHintWindow = nullptr;  // owned as a component while shown
  int FHintRow = -1;
  bool FHover = false;
  int FHorizontalExtent = 0;
  int FPendingItemIndex = -1;
  bool FLoading = false;
  int FLastTopIndex = 0;
  TImageList* FImages = nullptr;
  WideString FWideHint;

  TListBoxStyle FStyle = lbStandard;
  bool FMultiSelect = false;
  bool FExtendedSelect = true;
  int FTabWidth = 0;
  bool FIntegralHeight = false;
  TBorderStyle FBorderStyle = bsSingle;
  bool FShowCheckBox = false;
  bool FAllowGrayed = false;
  bool FUseCustomScrollBars = true;
  bool FHorizontalScroll = false;
  bool FRightAlignedText = false;
  bool FRightAlignedView = false;
  bool FUseSelectedFont = false;
  TColor FFocusedSelectColor = clHighlight;
  TColor FFocusedSelectTextColor = clHighlightText;
  bool FHideSelection = true;
  TColor FHideSelectColor = clBtnFace;
  TColor FHideSelectTextColor = clBtnShadow;
  int FHighlightAlphaLevel = 255;
  bool FInvertSelection = false;
  bool FTransparentSelection = false;
  bool FUseBackground = false;
  bool FShowLineHint = false;
  int FIncrementalSearchTimeout = 500;
  bool FFlat = false;
  TElFlatBorderType FActiveBorderType = fbtSunken;
  TElFlatBorderType FInactiveBorderType = fbtSunkenOuter;
  TElBorderSides FBorderSides = ebsAll;
  bool FFlatFocusedScrollBars = false;
  TColor FLineBorderActiveColor = clBlack;
  TColor FLineBorderInactiveColor = clBlack;
  TElFlatFrameColors FBorderColors;
  HTHEME FListTheme = nullptr;  // "LISTVIEW", while the themed border is in use

  // Rows streaming in: the native drawing is off since FStreamStart; the
  // first changed row, the view's top at that time and the rows a page
  // holds are remembered, and the top the view is to get (FStreamView) is
  // kept here until the rows are painted.
  bool FStreaming = false;
  DWORD FStreamStart = 0;
  int FStreamFirstRow = 0;
  int FStreamTop = 0;
  int FStreamView = 0;
  int FStreamPage = 1;
  DWORD FPaintCost = 0;  // milliseconds the last paint of the window took
};

// The list box with every property published.
class TElListBox : public TCustomElListBox {
 public:
  explicit TElListBox(TComponent* owner) : TCustomElListBox(owner) {}
  std::string ClassName() const override { return "TElListBox"; }
};
