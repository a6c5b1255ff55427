#pragma once
// The Unicode edit control's model: text, caret, selection, scroll offsets,
// pixel mapping, word boundaries and every editing operation with its undo
// records and change notifications. Platform-neutral: it measures through a
// TElTextPainter and tells the window side what to repaint through an
// IElEditHost. The message handlers of the window only translate messages to
// the calls below. Main thread only.
#include <functional>
#include <memory>

#include "controls/base/ElAlignment.h"
#include "controls/edit/ElEditAction.h"
#include "controls/edit/ElEditHost.h"
#include "controls/edit/ElEditLayout.h"
#include "controls/edit/ElEditStrings.h"
#include "controls/edit/ElEditorError.h"
#include "controls/edit/ElTextPainter.h"

enum TElEditCharCase : unsigned char { eecNormal, eecUpperCase, eecLowerCase };
enum TElEditScrollDir : unsigned char { esdLineUp, esdLineDown, esdPageUp, esdPageDown };
// Scroll-handler codes, in the platform's order.
enum TElEditScrollCode : unsigned char {
  escLineUp, escLineDown, escPageUp, escPageDown, escThumbPosition, escThumbTrack, escTop, escBottom, escEndScroll
};

// (Sender, var Key) and (Sender, var AClipboardText).
using TElKeyPressExEvent = std::function<void(TObject* sender, WideString& key)>;
using TElPasteClipboardTextEvent = std::function<void(TObject* sender, WideString& text)>;

struct TElPixelPoint {
  int X = 0;
  int Y = 0;
};

class TElEditModel : private IElEditLayout {
 public:
  // The painter is owned; the host is not (null: no window, own clipboard).
  TElEditModel(std::unique_ptr<TElTextPainter> painter, IElEditHost* host);
  virtual ~TElEditModel();
  TElEditModel(const TElEditModel&) = delete;
  TElEditModel& operator=(const TElEditModel&) = delete;

  // The object events name as their sender (the edit control).
  void SetSender(TObject* sender) { FSender = sender; }
  TElTextPainter& Painter() { return *FPainter; }
  IElEditHost& Host() { return *FHost; }

  // ---- Text
  WideString GetText() const;
  void SetText(const WideString& value);
  TElEditStrings& Lines() { return *FLines; }
  const TElEditStrings& Lines() const { return *FLines; }
  void SetLines(const TElWideStrings& value);
  // Display rows.
  int GetLinesCount() const;
  // While loading or destroying, SetText only replaces the lines.
  void SetLoading(bool value) { FLoading = value; }
  bool Loading() const { return FLoading; }

  // ---- Properties
  int MaxLength() const { return FMaxLength; }
  virtual void SetMaxLength(int value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);
  WideString PasswordChar() const;
  char16_t PasswordCode() const { return FPasswordChar; }
  void SetPasswordChar(const WideString& value);
  TElEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TElEditCharCase value);
  bool Multiline() const { return FMultiline; }
  void SetMultiline(bool value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool value) { FWantTabs = value; }
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool value) { FWantReturns = value; }
  int TabSpaces() const { return FTabSpaces; }
  void SetTabSpaces(int value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  bool RightAlignedText() const { return FRightAlignedText; }
  void SetRightAlignedText(bool value) { FRightAlignedText = value; }
  int LeftMargin() const { return FLeftMargin; }
  void SetLeftMargin(int value);
  int RightMargin() const { return FRightMargin; }
  void SetRightMargin(int value);
  int TopMargin() const { return FTopMargin; }
  void SetTopMargin(int value);
  bool AlignBottom() const { return FAlignBottom; }
  void SetAlignBottom(bool value);
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool value) { FAutoSelect = value; }
  bool HideSelection() const { return FHideSelection; }
  virtual void SetHideSelection(bool value);
  bool NotifyUserChangeOnly() const { return FNotifyUserChangeOnly; }
  void SetNotifyUserChangeOnly(bool value) { FNotifyUserChangeOnly = value; }
  int MaxUndoLevel() const { return FUndo.MaxUndo(); }
  void SetMaxUndoLevel(int value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value) { FAutoSize = value; }
  bool Modified() const { return FModified; }
  void SetModified(bool value) { FModified = value; }
  // Mouse-selecting: typed characters are ignored while it is set.
  bool MouseSelecting() const { return FMouseSelecting; }
  void SetMouseSelecting(bool value) { FMouseSelecting = value; }

  // ---- Geometry
  // Font height as the font has it (negative: character height).
  int FontHeight() const { return FFontHeight; }
  // Line height and visible rows recomputed, all paragraphs reformatted.
  void SetFontHeight(int value);
  int LineHeight() const { return FLineHeight; }
  int VisibleRows() const { return FVisibleRows; }
  const TElTextRect& EditRect() const { return FEditRect; }
  virtual void SetEditRect(const TElTextRect& value);
  // Height of a single-line edit with AutoSize: text-metric height plus the
  // border's share.
  static int AdjustedHeight(int textMetricHeight, bool singleBorder, bool ctl3D, int edgeHeight,
                            int borderHeight);

  // ---- Caret, selection, scrolling
  int CaretX() const { return FCaret.X; }
  int CaretY() const { return FCaret.Y; }
  void SetCaretX(int value);
  void SetCaretY(int value);
  void SetCaretXY(TElEditPoint value);
  TElEditPoint GetCaretXY() const { return FCaret; }
  // An End key may stop at a wrapped row's end instead of jumping on.
  void SetCaretXEnd(int value);
  TElEditPoint Anchor() const { return FAnchor; }
  void SetAnchor(TElEditPoint value) { FAnchor = value; }
  bool HasSelection() const { return FSelected; }
  TElEditPoint SelStartPos() const { return FSelStartPos; }
  TElEditPoint SelEndPos() const { return FSelEndPos; }

  virtual int GetSelStart() const;
  virtual void SetSelStart(int value);
  virtual int GetSelLength() const;
  virtual void SetSelLength(int value);
  void SetSelection(int column, int row);
  void UnSelect();
  void SelectAll();
  WideString GetSelectedText() const;

  int CharFromCaret(int column, int row) const;
  TElEditPoint CaretFromChar(int index) const;
  virtual TElPixelPoint PosFromCaret(int column, int row) const;
  virtual TElEditPoint CaretFromPos(TElPixelPoint point) const;
  TElEditPoint GetNextWord(TElEditPoint p) const;
  TElEditPoint GetPrevWord(TElEditPoint p) const;

  int LeftChar() const { return FLeftChar; }
  void SetLeftChar(int value);
  int TopLine() const { return FTopLine; }
  void SetTopLine(int value);
  void Scroll(TElEditScrollDir dir);
  // The scroll handlers: a row per line step, the visible rows per page; a
  // character per horizontal line step, the characters that fit per page.
  void VertScroll(TElEditScrollCode code, int position);
  void HorzScroll(TElEditScrollCode code, int position);
  // Re-places the platform caret.
  void ScrollCaret();

  // ---- Editing
  // Text of the next typed character from keyboard translation.
  void SetPendingWideText(const WideString& text);
  bool HasPendingWideText() const { return FPendingWide; }
  // A typed character (pending wide text used when set).
  void KeyPress(char16_t ch);
  void InsertTab();
  // An input method's result: typed like characters (CharCase, OnKeyPressEx,
  // MaxLength) in place of the selection, without an undo record.
  void InsertComposed(WideString text);
  // Enter in a multi-line edit.
  void InsertLineBreak();
  void Backspace();
  void DeleteChar();
  void BackspaceWord();
  void DeleteWord();
  void DeleteSelection();
  virtual void CutToClipboard();
  virtual void CopyToClipboard();
  virtual void PasteFromClipboard();
  // The keyboard and context-menu forms: Change when NotifyUserChangeOnly.
  void UserCut();
  void UserPaste();
  void UserUndo();
  void UserDeleteSelection();
  virtual void SetSelText(const WideString& value);
  void Undo();
  void ClearUndo() { FUndo.Clear(); }
  bool GetCanUndo() const { return FUndo.GetCanUndo(); }
  const TElActionList& UndoList() const { return FUndo; }

  // ---- Message semantics (the window converts narrow text itself)
  // Result low word start, high word end.
  unsigned EmGetSel(int* start, int* end) const;
  void EmSetSel(int start, int end);
  // nullText: lParam was null.
  void EmReplaceSel(bool deleteFirst, const WideString& text);
  // False (nothing copied) out of range or with a password character.
  bool EmGetLine(int index, WideString& line) const;
  int EmGetLineCount() const;
  int EmLineIndex(int index) const;
  int EmLineFromChar(int index) const;
  unsigned EmPosFromChar(int index) const;
  int EmGetFirstVisibleLine() const { return FTopLine; }
  void EmScroll(TElEditScrollDir dir) { Scroll(dir); }
  void EmLineScroll(int lines) { SetTopLine(FTopLine + lines); }
  bool EmCanUndo() const { return GetCanUndo(); }
  bool EmUndo();
  // The text-setting message with wide text; result 1.
  int WmSetText(const WideString& text);
  // Whether the text may be read out (no password character).
  bool WmGetTextAllowed() const { return FPasswordChar == 0; }
  void WmClear() { SetSelText(WideString()); }

  // Every CR not followed by LF gets an LF after it.
  static WideString ConvertToCRLF(const WideString& s);

  // ---- Events and their triggers
  TNotifyEvent OnChange;
  TNotifyEvent OnSelectionChange;
  TElKeyPressExEvent OnKeyPressEx;
  TElPasteClipboardTextEvent OnPasteClipboardText;

  virtual void Change();
  virtual void DoChange() {}
  virtual void TriggerSelectionChangeEvent();
  virtual void TriggerKeyPressEx(WideString& key);

 private:
  // IElEditLayout
  bool IsMultiline() const override { return FMultiline; }
  bool WordWrapActive() const override { return FMultiline && FWordWrap; }
  int WrapWidth() const override;
  int WrapRightEdge() const override { return FEditRect.Right - FRightMargin; }
  int TextWidth(const WideString& raw) const override { return FPainter->TextWidth(raw); }
  int CharsFitRight(int width, const WideString& raw, int startIndex) const override {
    return FPainter->CharsFitRight(width, raw, startIndex);
  }
  void TextReplaced() override;
  void ScrollInfoChanged() override { FHost->UpdateScrollInfo(); }
  void StorageChanged() override;
  // After a change through Lines: caret, anchor, selection and TopLine
  // inside the text again.
  void KeepPositionsInText();

  WideString ForceCase(const WideString& s) const;
  void ReplaceLines(const WideString& text);
  void UpdateVisibleRows();
  void MakeCaretVisible();
  void PlaceCaret() { FHost->CaretMoved(); }
  void SetCaretXImpl(int value, bool endKey);
  // Moves a column off the middle of a surrogate pair, in the given direction.
  int SnapColumn(int row, int column, bool rightwards) const;
  bool SameParagraph(int row1, int row2) const;
  TElParaPos ToPara(TElEditPoint p) const { return FLines->CaretToParagraph(p.X, p.Y); }
  TElEditPoint FromPara(TElParaPos p) const { return FLines->CaretFromParagraph(p.Paragraph, p.Offset); }
  // Undo records hold text positions (offset, paragraph): rows move when
  // the text is re-wrapped, text positions do not.
  static TElEditPoint Recorded(TElParaPos p) { return {p.Offset, p.Paragraph}; }
  static TElParaPos FromRecord(TElEditPoint p) { return {p.Y, p.X}; }
  // Caret to p as it is (no row jumps), view scrolled to it.
  void MoveCaret(TElEditPoint p);
  // Re-wraps every paragraph, keeping caret and anchor on their text.
  void Reflow();
  bool TypingAllowed(int insertedLength) const;
  void InsertTyped(const WideString& text);
  void AfterUserDelete();
  // Removes the character or line break before at; returns where it began.
  TElParaPos RemoveBefore(TElParaPos at);
  // Inserts through the storage primitive; returns the position after it.
  TElEditPoint InsertAt(TElEditPoint at, const WideString& text);
  void SelectRange(TElEditPoint anchor, TElEditPoint caret);
  void DeleteRangeAsSelection(TElEditPoint from, TElEditPoint to);
  void DeleteToWord(bool backwards);
  void UndoOne(const TElAction& action);
  int SelectedLength() const;

  std::unique_ptr<TElTextPainter> FPainter;
  TElNullEditHost FNullHost;
  IElEditHost* FHost;
  std::unique_ptr<TElEditStrings> FLines;
  TElActionList FUndo;
  TElActionList FRedo;  // the second stack: kept, never read back
  TObject* FSender = nullptr;

  TElEditPoint FCaret;
  TElEditPoint FAnchor;
  TElEditPoint FSelStartPos;
  TElEditPoint FSelEndPos;
  bool FSelected = false;
  int FLeftChar = 0;
  int FTopLine = 0;
  bool FForcePlace = false;

  int FMaxLength = 0;
  bool FReadOnly = false;
  char16_t FPasswordChar = 0;
  TElEditCharCase FCharCase = eecNormal;
  bool FMultiline = false;
  bool FWordWrap = false;
  bool FWantTabs = false;
  bool FWantReturns = false;
  int FTabSpaces = 4;
  TAlignment FAlignment = taLeftJustify;
  bool FRightAlignedText = false;
  int FLeftMargin = 1;
  int FRightMargin = 1;
  int FTopMargin = 0;
  bool FAlignBottom = true;
  bool FAutoSelect = false;
  bool FHideSelection = true;
  bool FNotifyUserChangeOnly = true;
  bool FAutoSize = true;
  bool FModified = false;
  bool FMouseSelecting = false;
  bool FLoading = false;
  WideString FPendingWideText;
  bool FPendingWide = false;

  int FFontHeight = -11;
  int FLineHeight = 13;
  int FVisibleRows = 1;
  // A new control is 200 x 100; the window side sets the real client area.
  TElTextRect FEditRect{0, 0, 200, 100};
};
