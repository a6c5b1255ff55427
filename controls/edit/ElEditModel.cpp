#include "controls/edit/ElEditModel.h"

#include <algorithm>
#include <cstdlib>

#include "text/ElStrUtils.h"

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Whether index falls between the two halves of a surrogate pair.
bool InsidePair(const WideString& s, int index) {
  return index > 0 && index < static_cast<int>(s.size()) && IsHighSurrogate(s[static_cast<std::size_t>(index - 1)]) &&
         IsLowSurrogate(s[static_cast<std::size_t>(index)]);
}

// Code units of the character that ends at index (1, or 2 for a pair).
int UnitsBefore(const WideString& s, int index) { return InsidePair(s, index - 1) ? 2 : 1; }
int UnitsAfter(const WideString& s, int index) { return InsidePair(s, index + 1) ? 2 : 1; }

// Cuts s to at most count units without splitting a pair.
WideString CutUnits(const WideString& s, int count) {
  if (count <= 0) return WideString();
  if (count >= static_cast<int>(s.size())) return s;
  if (InsidePair(s, count)) --count;
  return s.substr(0, static_cast<std::size_t>(count));
}

}  // namespace

TElEditModel::TElEditModel(std::unique_ptr<TElTextPainter> painter, IElEditHost* host)
    : FPainter(std::move(painter)), FHost(host != nullptr ? host : &FNullHost) {
  FLines = std::make_unique<TElEditStrings>(static_cast<IElEditLayout*>(this));
  FPainter->SetTabSpaces(FTabSpaces);
  FLineHeight = std::abs(FFontHeight) + 2;
  UpdateVisibleRows();
}

TElEditModel::~TElEditModel() = default;

// ---- Text

WideString TElEditModel::GetText() const { return FLines->GetTextStr(); }

void TElEditModel::SetText(const WideString& value) {
  if (FLoading) {
    ReplaceLines(value);
    return;
  }
  if (value == GetText()) return;
  const WideString text = ForceCase(value);
  if (!GetText().empty()) {
    FUndo.Clear();
    FRedo.Clear();
  }
  if (FHost->HasWindow()) {
    WmSetText(text);
    return;
  }
  ReplaceLines(text);
  DoChange();
  if (!FNotifyUserChangeOnly) Change();
}

void TElEditModel::SetLines(const TElWideStrings& value) {
  WideString text;
  for (int i = 0; i < value.GetCount(); ++i) {
    if (i > 0) text += u"\r\n";
    text += value.Get(i);
  }
  SetText(text);
}

void TElEditModel::ReplaceLines(const WideString& text) { FLines->SetTextStr(text); }

int TElEditModel::GetLinesCount() const {
  if (FLines->ParagraphCount() == 0) FLines->Paragraph(0);
  return FLines->GetParaCount();
}

int TElEditModel::WmSetText(const WideString& text) {
  ReplaceLines(text);
  PlaceCaret();
  DoChange();
  if (!FNotifyUserChangeOnly) Change();
  TriggerSelectionChangeEvent();
  FHost->InvalidateText();
  return 1;
}

void TElEditModel::TextReplaced() {
  FCaret = FAnchor = FSelStartPos = FSelEndPos = TElEditPoint{};
  FSelected = false;
  FLeftChar = 0;
  FTopLine = 0;
  FHost->UpdateScrollInfo();
  PlaceCaret();
}

void TElEditModel::StorageChanged() {
  KeepPositionsInText();
  if (FHost->HasWindow()) FHost->InvalidateText();
}

void TElEditModel::KeepPositionsInText() {
  const int rows = FLines->GetParaCount();
  if (rows == 0) {
    FCaret = FAnchor = FSelStartPos = FSelEndPos = TElEditPoint{};
    FSelected = false;
    FTopLine = 0;
    return;
  }
  for (TElEditPoint* p : {&FCaret, &FAnchor, &FSelStartPos, &FSelEndPos}) {
    if (p->Y >= 0 && p->Y < rows && p->X >= 0 && p->X <= FLines->RowLength(p->Y)) continue;
    p->Y = std::clamp(p->Y, 0, rows - 1);
    p->X = std::clamp(p->X, 0, FLines->RowLength(p->Y));
  }
  FTopLine = std::clamp(FTopLine, 0, rows - 1);
}

WideString TElEditModel::ForceCase(const WideString& s) const {
  switch (FCharCase) {
    case eecUpperCase: return WideUpperCase(s);
    case eecLowerCase: return WideLowerCase(s);
    default: return s;
  }
}

// ---- Properties

void TElEditModel::SetMaxLength(int value) {
  if (value < 0 || value == FMaxLength) return;
  FMaxLength = value;
  const WideString text = GetText();
  if (value > 0 && static_cast<int>(text.size()) > value) SetText(CutUnits(text, value));
}

void TElEditModel::SetReadOnly(bool value) {
  if (value == FReadOnly) return;
  FReadOnly = value;
  FHost->InvalidateText();
}

WideString TElEditModel::PasswordChar() const {
  return FPasswordChar == 0 ? WideString() : WideString(1, FPasswordChar);
}

void TElEditModel::SetPasswordChar(const WideString& value) {
  const char16_t c = value.empty() ? char16_t(0) : value[0];
  if (c == FPasswordChar) return;
  FPasswordChar = c;
  FPainter->SetPasswordChar(c);
  FHost->InvalidateText();
}

void TElEditModel::SetCharCase(TElEditCharCase value) {
  if (value == FCharCase) return;
  FCharCase = value;
  if (value == eecUpperCase)
    SetText(WideUpperCase(GetText()));
  else if (value == eecLowerCase)
    SetText(WideLowerCase(GetText()));
}

void TElEditModel::SetMultiline(bool value) {
  if (value == FMultiline) return;
  FMultiline = value;
  if (value) SetAlignBottom(false);
  FLines->SetTextStr(GetText(), true);
  FHost->UpdateScrollInfo();
}

void TElEditModel::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  if (WordWrapActive()) FLeftChar = 0;
  Reflow();
  FHost->InvalidateText();
}

void TElEditModel::SetTabSpaces(int value) {
  if (value <= 0 || value == FTabSpaces) return;
  FTabSpaces = value;
  FPainter->SetTabSpaces(value);
  // Tabs changed width: rows must still fit.
  if (WordWrapActive()) Reflow();
  MakeCaretVisible();
  PlaceCaret();
  FHost->InvalidateText();
}

void TElEditModel::SetAlignment(TAlignment value) {
  if (value == FAlignment) return;
  FAlignment = value;
  if (value != taLeftJustify && !FRightAlignedText) SetWordWrap(true);
  MakeCaretVisible();
  PlaceCaret();
  FHost->InvalidateText();
}

void TElEditModel::SetLeftMargin(int value) {
  if (value == FLeftMargin) return;
  FLeftMargin = value;
  if (WordWrapActive()) Reflow();
  MakeCaretVisible();
  PlaceCaret();
  FHost->InvalidateText();
}

void TElEditModel::SetRightMargin(int value) {
  if (value == FRightMargin) return;
  FRightMargin = value;
  if (WordWrapActive()) Reflow();
  MakeCaretVisible();
  PlaceCaret();
  FHost->InvalidateText();
}

void TElEditModel::SetTopMargin(int value) {
  if (FAlignBottom || value == FTopMargin) return;
  FTopMargin = value;
  UpdateVisibleRows();
  PlaceCaret();
  FHost->InvalidateText();
}

void TElEditModel::SetAlignBottom(bool value) {
  if (value == FAlignBottom) return;
  FAlignBottom = value;
  if (FMultiline)
    FTopMargin = 1;
  else if (value)
    FTopMargin = FEditRect.Bottom - FLineHeight - 2;
  else if (!FLoading)
    FTopMargin = 1;
  UpdateVisibleRows();
  PlaceCaret();
  FHost->InvalidateText();
}

void TElEditModel::SetHideSelection(bool value) {
  if (value == FHideSelection) return;
  FHideSelection = value;
  FHost->InvalidateText();
}

void TElEditModel::SetMaxUndoLevel(int value) {
  if (value < 0) return;
  FUndo.SetMaxUndo(value);
}

// ---- Geometry

int TElEditModel::WrapWidth() const { return FEditRect.Width() - FLeftMargin - FRightMargin; }

void TElEditModel::UpdateVisibleRows() {
  const int height = FEditRect.Bottom - FTopMargin;
  FVisibleRows = height > 0 ? std::max(1, height / FLineHeight) : 0;
}

void TElEditModel::SetFontHeight(int value) {
  FFontHeight = value;
  FLineHeight = std::abs(value) + 2;
  UpdateVisibleRows();
  Reflow();
  PlaceCaret();
}

void TElEditModel::SetEditRect(const TElTextRect& value) {
  const bool widthChanged = value.Width() != FEditRect.Width() || value.Right != FEditRect.Right;
  FEditRect = value;
  if (FAlignBottom) FTopMargin = 0;
  UpdateVisibleRows();
  if (widthChanged && WordWrapActive()) Reflow();
  FHost->UpdateScrollInfo();
  MakeCaretVisible();
  PlaceCaret();
  FHost->InvalidateText();
}

int TElEditModel::AdjustedHeight(int textMetricHeight, bool singleBorder, bool ctl3D, int edgeHeight,
                                 int borderHeight) {
  if (!singleBorder) return textMetricHeight;
  return textMetricHeight + (ctl3D ? 4 * edgeHeight : 6 * borderHeight);
}

void TElEditModel::Reflow() {
  const TElParaPos caret = ToPara(FCaret);
  const TElParaPos anchor = ToPara(FAnchor);
  const TElParaPos selStart = ToPara(FSelStartPos);
  const TElParaPos selEnd = ToPara(FSelEndPos);
  FLines->Reformat();
  FCaret = FromPara(caret);
  FAnchor = FromPara(anchor);
  FSelStartPos = FromPara(selStart);
  FSelEndPos = FromPara(selEnd);
  const int rows = GetLinesCount();
  FTopLine = std::clamp(FTopLine, 0, std::max(0, rows - 1));
  if (WordWrapActive()) FLeftChar = 0;
  MakeCaretVisible();
  FHost->UpdateScrollInfo();
}

// ---- Caret

bool TElEditModel::SameParagraph(int row1, int row2) const {
  return FLines->IndexToParagraph(row1).Paragraph == FLines->IndexToParagraph(row2).Paragraph;
}

int TElEditModel::SnapColumn(int row, int column, bool rightwards) const {
  const WideString text = FLines->GetParaString(row);
  if (!InsidePair(text, column)) return column;
  return rightwards ? column + 1 : column - 1;
}

void TElEditModel::SetCaretY(int value) {
  if (value == FCaret.Y) return;
  const int rows = GetLinesCount();
  value = std::clamp(value, 0, rows - 1);
  if (value < FTopLine) {
    FTopLine = value;
    FHost->InvalidateText();
    FHost->UpdateScrollInfo();
  } else if (value >= FTopLine + FVisibleRows) {
    FTopLine = std::max(0, value - FVisibleRows + 1);
    FHost->InvalidateText();
    FHost->UpdateScrollInfo();
  }
  FCaret.Y = value;
  FCaret.X = SnapColumn(value, std::min(FCaret.X, FLines->RowLength(value)), false);
  MakeCaretVisible();
  PlaceCaret();
}

void TElEditModel::SetCaretX(int value) { SetCaretXImpl(value, false); }

void TElEditModel::SetCaretXEnd(int value) { SetCaretXImpl(value, true); }

void TElEditModel::SetCaretXImpl(int value, bool endKey) {
  if (value == FCaret.X && FAlignment == taLeftJustify && !FForcePlace) return;
  FForcePlace = false;
  const int rows = GetLinesCount();
  const int length = FLines->RowLength(FCaret.Y);
  const bool rightwards = value > FCaret.X;
  if (value > length && FCaret.Y < rows - 1 && !endKey) {
    const bool continues = SameParagraph(FCaret.Y, FCaret.Y + 1);
    SetCaretY(FCaret.Y + 1);
    value = continues ? SnapColumn(FCaret.Y, 1, true) : 0;
  } else if (value > length) {
    value = length;
  } else if (value < 0 && FCaret.Y > 0) {
    const bool continues = SameParagraph(FCaret.Y - 1, FCaret.Y);
    SetCaretY(FCaret.Y - 1);
    const int previous = FLines->RowLength(FCaret.Y);
    value = continues ? SnapColumn(FCaret.Y, previous - 1, false) : previous;
  } else if (value < 0) {
    value = 0;
  } else {
    value = SnapColumn(FCaret.Y, value, rightwards);
  }
  FCaret.X = std::clamp(value, 0, FLines->RowLength(FCaret.Y));
  MakeCaretVisible();
  PlaceCaret();
}

void TElEditModel::SetCaretXY(TElEditPoint value) {
  SetCaretY(value.Y);
  SetCaretX(value.X);
}

void TElEditModel::MoveCaret(TElEditPoint p) {
  const int rows = GetLinesCount();
  p.Y = std::clamp(p.Y, 0, rows - 1);
  if (p.Y < FTopLine || p.Y >= FTopLine + FVisibleRows) {
    FTopLine = p.Y < FTopLine ? p.Y : std::max(0, p.Y - FVisibleRows + 1);
    FHost->InvalidateText();
    FHost->UpdateScrollInfo();
  }
  FCaret = {std::clamp(p.X, 0, FLines->RowLength(p.Y)), p.Y};
  MakeCaretVisible();
  PlaceCaret();
}

void TElEditModel::ScrollCaret() { PlaceCaret(); }

void TElEditModel::MakeCaretVisible() {
  if (WordWrapActive()) {
    if (FLeftChar != 0) {
      FLeftChar = 0;
      FHost->InvalidateText();
      FHost->UpdateScrollInfo();
    }
    return;
  }
  const int width = WrapWidth();
  const int threeQuarters = (width / 4) * 3;
  const WideString row = FLines->GetParaString(FCaret.Y);
  int leftChar = FLeftChar;
  if (FAlignment != taLeftJustify && FPainter->TextWidth(row) <= width) {
    leftChar = 0;
  } else {
    const int fit = FPainter->CharsFitRight(width, row, leftChar);
    const bool pastLeft = leftChar + fit >= FCaret.X && leftChar >= FCaret.X && leftChar > 0;
    const bool pastRight =
        leftChar + fit < FCaret.X &&
        FPainter->TextWidth(row.substr(static_cast<std::size_t>(std::min<int>(leftChar, static_cast<int>(row.size()))),
                                       static_cast<std::size_t>(std::max(0, FCaret.X - leftChar)))) >= width;
    if (pastLeft || pastRight) leftChar = std::max(0, FCaret.X - FPainter->CharsFitLeft(threeQuarters, row, FCaret.X));
  }
  if (leftChar == FLeftChar) return;
  FLeftChar = leftChar;
  FHost->InvalidateText();
  FHost->UpdateScrollInfo();
}

// ---- Selection

int TElEditModel::CharFromCaret(int column, int row) const {
  const TElParaPos at = FLines->CaretToParagraph(column, row);
  int index = 0;
  for (int p = 0; p < at.Paragraph; ++p) index += FLines->Paragraph(p).TextLength() + 2;
  return index + at.Offset;
}

TElEditPoint TElEditModel::CaretFromChar(int index) const {
  const int count = FLines->GetCount() == 0 ? (FLines->Paragraph(0), 1) : FLines->GetCount();
  index = std::max(index, 0);
  for (int p = 0; p < count; ++p) {
    const int length = FLines->Paragraph(p).TextLength();
    if (index <= length || p == count - 1) {
      int offset = std::min(index, length);
      // Never between the halves of a pair.
      if (InsidePair(FLines->Get(p), offset)) --offset;
      return FromPara({p, offset});
    }
    index -= length + 2;
    // Inside a line break: the end of the paragraph before it.
    if (index < 0) return FromPara({p, length});
  }
  return {};
}

int TElEditModel::SelectedLength() const {
  if (!FSelected) return 0;
  return CharFromCaret(FSelEndPos.X, FSelEndPos.Y) - CharFromCaret(FSelStartPos.X, FSelStartPos.Y);
}

int TElEditModel::GetSelStart() const {
  // With a selection its start, whichever end the caret is at.
  const TElEditPoint at = FSelected ? FSelStartPos : FCaret;
  return CharFromCaret(at.X, at.Y);
}

void TElEditModel::SetSelStart(int value) {
  MoveCaret(CaretFromChar(value));
  FSelected = false;
  FAnchor = FSelStartPos = FSelEndPos = FCaret;
  FHost->InvalidateText();
}

int TElEditModel::GetSelLength() const { return SelectedLength(); }

void TElEditModel::SetSelLength(int value) {
  if (value == 0) {
    FSelected = false;
    FAnchor = FSelStartPos = FSelEndPos = FCaret;
  } else {
    const int start = GetSelStart();
    const TElEditPoint anchor = CaretFromChar(start);
    MoveCaret(CaretFromChar(start + value));
    FAnchor = anchor;
    SetSelection(FCaret.X, FCaret.Y);
  }
  FHost->InvalidateText();
  TriggerSelectionChangeEvent();
}

void TElEditModel::SetSelection(int column, int row) {
  const TElEditPoint moving{column, row};
  const TElParaPos a = ToPara(FAnchor);
  const TElParaPos b = ToPara(moving);
  if (b < a) {
    FSelStartPos = moving;
    FSelEndPos = FAnchor;
  } else {
    FSelStartPos = FAnchor;
    FSelEndPos = moving;
  }
  FSelected = !(a == b);
}

void TElEditModel::SelectRange(TElEditPoint anchor, TElEditPoint caret) {
  MoveCaret(caret);
  FAnchor = anchor;
  SetSelection(FCaret.X, FCaret.Y);
}

void TElEditModel::UnSelect() {
  if (!FSelected) return;
  FSelected = false;
  FSelStartPos = FSelEndPos = FAnchor;
  TriggerSelectionChangeEvent();
  FHost->InvalidateText();
}

void TElEditModel::SelectAll() {
  const int last = GetLinesCount() - 1;
  MoveCaret({FLines->RowLength(last), last});
  FAnchor = {};
  SetSelection(FCaret.X, FCaret.Y);
  TriggerSelectionChangeEvent();
  FHost->InvalidateText();
}

WideString TElEditModel::GetSelectedText() const {
  if (!FSelected) return WideString();
  return FLines->TextBetween(ToPara(FSelStartPos), ToPara(FSelEndPos));
}

// ---- Pixels

TElPixelPoint TElEditModel::PosFromCaret(int column, int row) const {
  if (row < 0 || row >= GetLinesCount()) throw EElEditorError(FormatMessage("Invalid Y position (%d)", row));
  TElPixelPoint point;
  point.Y = (row - FTopLine) * FLineHeight + FTopMargin;
  if (row >= FTopLine + FVisibleRows) point.Y += FEditRect.Bottom;
  const WideString text = FLines->GetParaString(row);
  const int length = static_cast<int>(text.size());
  column = std::clamp(column, 0, length);
  const int left = FEditRect.Left + FLeftMargin;
  const int right = FEditRect.Right - FRightMargin;
  if (column < FLeftChar) {
    point.X = left - 2;
  } else {
    const int from = std::min(FLeftChar, length);
    point.X = left + FPainter->TextWidth(text.substr(static_cast<std::size_t>(from),
                                                     static_cast<std::size_t>(column - from)));
  }
  if (FLeftChar == 0 && FAlignment != taLeftJustify) {
    const int rowWidth = FPainter->TextWidth(text);
    if (FAlignment == taCenter)
      point.X += std::abs(right / 2 - rowWidth / 2);
    else
      point.X += std::abs(right - rowWidth) - 2;
  }
  if (point.X > right) point.X = -2;
  return point;
}

TElEditPoint TElEditModel::CaretFromPos(TElPixelPoint point) const {
  const int rows = GetLinesCount();
  const int row = std::clamp(point.Y / FLineHeight + FTopLine, 0, rows - 1);
  const WideString text = FLines->GetParaString(row);
  const int length = static_cast<int>(text.size());
  if (FLeftChar >= length) return {std::min(FLeftChar, length), row};
  const WideString visible = text.substr(static_cast<std::size_t>(FLeftChar));
  const int right = FEditRect.Right - FRightMargin;
  int x = FEditRect.Left + FLeftMargin;
  if (FLeftChar == 0 && FAlignment != taLeftJustify) {
    const int rowWidth = FPainter->TextWidth(text);
    x = FAlignment == taCenter ? x + std::abs(right / 2 - rowWidth / 2) : right - rowWidth;
  }
  for (int i = 0; i < static_cast<int>(visible.size());) {
    const int units = UnitsAfter(visible, i);
    const int cell = FPainter->TextWidth(visible.substr(static_cast<std::size_t>(i), static_cast<std::size_t>(units)));
    if (x + cell / 2 > point.X) return {FLeftChar + i, row};
    x += cell;
    i += units;
  }
  return {length, row};
}

// ---- Words

TElEditPoint TElEditModel::GetNextWord(TElEditPoint p) const {
  const TElParaPos at = ToPara(p);
  const WideString text = FLines->Get(at.Paragraph);
  const int length = static_cast<int>(text.size());
  if (at.Offset >= length) {
    if (p.Y >= GetLinesCount() - 1) return p;
    return {0, p.Y + 1};
  }
  if (at.Offset == length - 1) return FromPara({at.Paragraph, length});
  const bool blank = IsBlank(text[static_cast<std::size_t>(at.Offset)]);
  int i = at.Offset;
  while (i < length && IsBlank(text[static_cast<std::size_t>(i)]) == blank) ++i;
  while (i < length && IsBlank(text[static_cast<std::size_t>(i)])) ++i;
  return FromPara({at.Paragraph, i});
}

TElEditPoint TElEditModel::GetPrevWord(TElEditPoint p) const {
  // Offset before clamping: a column left of the row's start walks back.
  const int rows = GetLinesCount();
  const int row = std::clamp(p.Y, 0, rows - 1);
  const TElParaRow paraRow = FLines->IndexToParagraph(row);
  const TElParaPos rowStart = FLines->CaretToParagraph(0, row);
  const int offset = rowStart.Offset + p.X;
  if (offset < 0) {
    if (paraRow.Paragraph == 0) return {0, 0};
    return FromPara({paraRow.Paragraph - 1, FLines->Paragraph(paraRow.Paragraph - 1).TextLength()});
  }
  const WideString text = FLines->Get(paraRow.Paragraph);
  const int length = static_cast<int>(text.size());
  if (length == 0) return FromPara({paraRow.Paragraph, 0});
  int i = std::min(offset, length - 1);
  const bool blank = IsBlank(text[static_cast<std::size_t>(i)]);
  while (i > 0 && IsBlank(text[static_cast<std::size_t>(i)]) == blank) --i;
  if (IsBlank(text[static_cast<std::size_t>(i)]) == blank) return FromPara({paraRow.Paragraph, 0});
  if (blank) {
    while (i > 0 && !IsBlank(text[static_cast<std::size_t>(i)])) --i;
    if (!IsBlank(text[static_cast<std::size_t>(i)])) return FromPara({paraRow.Paragraph, 0});
  }
  return FromPara({paraRow.Paragraph, i + 1});
}

// ---- Scrolling

void TElEditModel::SetLeftChar(int value) {
  if (WordWrapActive()) return;
  value = std::clamp(value, 0, FLines->LongestLength());
  if (value == FLeftChar) return;
  FLeftChar = value;
  FHost->InvalidateText();
  FHost->UpdateScrollInfo();
  PlaceCaret();
}

void TElEditModel::SetTopLine(int value) {
  if (value < 0) value = 0;
  const int rows = GetLinesCount();
  if (value + FVisibleRows > rows) {
    value = std::max(0, rows - FVisibleRows);
    if (FTopLine == value && value > 0) return;
  }
  if (value == FTopLine) return;
  FTopLine = value;
  FHost->InvalidateText();
  FHost->UpdateScrollInfo();
  PlaceCaret();
}

void TElEditModel::Scroll(TElEditScrollDir dir) {
  static const TElEditScrollCode codes[] = {escLineUp, escLineDown, escPageUp, escPageDown};
  VertScroll(codes[dir], 0);
}

void TElEditModel::VertScroll(TElEditScrollCode code, int position) {
  const int page = std::max(1, FVisibleRows);
  switch (code) {
    case escLineUp: SetTopLine(FTopLine - 1); break;
    case escLineDown: SetTopLine(FTopLine + 1); break;
    case escPageUp: SetTopLine(FTopLine - page); break;
    case escPageDown: SetTopLine(FTopLine + page); break;
    case escThumbPosition:
    case escThumbTrack: SetTopLine(position); break;
    case escTop: SetTopLine(0); break;
    case escBottom: SetTopLine(GetLinesCount()); break;
    case escEndScroll: break;
  }
}

void TElEditModel::HorzScroll(TElEditScrollCode code, int position) {
  const int page = std::max(1, FPainter->CharsFitRight(WrapWidth(), FLines->LongestText(), FLeftChar));
  switch (code) {
    case escLineUp: SetLeftChar(FLeftChar - 1); break;
    case escLineDown: SetLeftChar(FLeftChar + 1); break;
    case escPageUp: SetLeftChar(FLeftChar - page); break;
    case escPageDown: SetLeftChar(FLeftChar + page); break;
    case escThumbPosition:
    case escThumbTrack: SetLeftChar(position); break;
    case escTop: SetLeftChar(0); break;
    case escBottom: SetLeftChar(FLines->LongestLength()); break;
    case escEndScroll: break;
  }
}

// ---- Editing

void TElEditModel::SetPendingWideText(const WideString& text) {
  FPendingWideText = text;
  FPendingWide = true;
}

TElEditPoint TElEditModel::InsertAt(TElEditPoint at, const WideString& text) {
  int column = at.X;
  int row = at.Y;
  FLines->InsertText(column, row, text);
  return {column, row};
}

bool TElEditModel::TypingAllowed(int insertedLength) const {
  if (FMaxLength <= 0) return true;
  const int length = FLines->TextLength();
  if (!FSelected && length >= FMaxLength) return false;
  // A character of several units must not carry the text past the limit.
  return insertedLength <= 1 || length - SelectedLength() + insertedLength <= FMaxLength;
}

void TElEditModel::KeyPress(char16_t ch) {
  if (ch == 127 || ch == 8 || ch == 13 || ch == 27 || ch == 9 || ch == 0) return;
  if (FMouseSelecting) return;
  const bool pending = FPendingWide;
  WideString text = pending ? FPendingWideText : WideString(1, ch);
  FPendingWide = false;
  FPendingWideText.clear();
  if (FReadOnly || ch < 32) return;
  if (!TypingAllowed(static_cast<int>(text.size()))) return;
  text = ForceCase(text);
  if (pending) TriggerKeyPressEx(text);
  if (text.empty()) return;
  InsertTyped(text);
}

void TElEditModel::InsertTab() {
  if (FReadOnly || FMouseSelecting || !TypingAllowed(1)) return;
  InsertTyped(u"\t");
}

void TElEditModel::InsertComposed(WideString text) {
  if (FReadOnly) return;
  text = ForceCase(text);
  TriggerKeyPressEx(text);
  if (FMaxLength > 0) text = CutUnits(text, std::max(0, FMaxLength - FLines->TextLength() + SelectedLength()));
  if (text.empty()) return;
  FUndo.Lock();
  if (FSelected) DeleteSelection();
  MoveCaret(InsertAt(FCaret, text));
  FUndo.UnLock();
  FAnchor = FSelStartPos = FSelEndPos = FCaret;
  DoChange();
  Change();
  FHost->InvalidateText();
}

void TElEditModel::InsertTyped(const WideString& text) {
  FUndo.AddAction(atGroupBreak, Recorded(ToPara(FCaret)), WideString(), Recorded(ToPara(FCaret)));
  if (FSelected) DeleteSelection();
  const TElParaPos start = ToPara(FCaret);
  TElEditPoint end;
  if (text.find_first_of(u"\r\n") == WideString::npos) {
    // Into the caret's row directly; the storage re-wraps the paragraph.
    WideString row = FLines->GetParaString(FCaret.Y);
    row.insert(static_cast<std::size_t>(std::clamp(FCaret.X, 0, static_cast<int>(row.size()))), text);
    FLines->SetParaString(FCaret.Y, row);
    end = FromPara({start.Paragraph, start.Offset + static_cast<int>(text.size())});
  } else {
    end = InsertAt(FCaret, text);
  }
  MoveCaret(end);
  FAnchor = FSelStartPos = FSelEndPos = FCaret;
  FUndo.AddAction(atInsert, Recorded(start), text, Recorded(ToPara(FCaret)));
  FUndo.AddAction(atGroupBreak, Recorded(ToPara(FCaret)), WideString(), Recorded(ToPara(FCaret)));
  FModified = true;
  DoChange();
  Change();
  TriggerSelectionChangeEvent();
  FHost->InvalidateText();
}

void TElEditModel::InsertLineBreak() {
  if (FReadOnly || !FMultiline) return;
  if (FSelected) DeleteSelection();
  const TElParaPos start = ToPara(FCaret);
  if (FCaret.X == 0 && FCaret.Y > 0 && SameParagraph(FCaret.Y - 1, FCaret.Y))
    FUndo.AddAction(atLineBreak, Recorded(start), WideString(), Recorded(start));
  MoveCaret(InsertAt(FCaret, u"\r\n"));
  FAnchor = FSelStartPos = FSelEndPos = FCaret;
  FUndo.AddAction(atInsert, Recorded(start), WideString(), Recorded(ToPara(FCaret)));
  FModified = true;
  DoChange();
  Change();
  TriggerSelectionChangeEvent();
  FHost->InvalidateText();
}

TElParaPos TElEditModel::RemoveBefore(TElParaPos at) {
  const WideString text = FLines->Get(at.Paragraph);
  TElParaPos from;
  WideString removed;
  if (at.Offset > 0) {
    const int units = UnitsBefore(text, at.Offset);
    from = {at.Paragraph, at.Offset - units};
    removed = text.substr(static_cast<std::size_t>(from.Offset), static_cast<std::size_t>(units));
  } else {
    from = {at.Paragraph - 1, FLines->Paragraph(at.Paragraph - 1).TextLength()};
    removed = u"\r\n";
  }
  FLines->DeleteRange(from, at);
  FUndo.AddAction(atBackSpace, Recorded(at), removed, Recorded(from));
  return from;
}

void TElEditModel::Backspace() {
  if (FReadOnly) return;
  if (FSelected) {
    DeleteSelection();
  } else {
    const TElParaPos at = ToPara(FCaret);
    if (at.Offset == 0 && at.Paragraph == 0) return;
    MoveCaret(FromPara(RemoveBefore(at)));
    FAnchor = FSelStartPos = FSelEndPos = FCaret;
  }
  AfterUserDelete();
}

void TElEditModel::DeleteChar() {
  if (FReadOnly) return;
  if (FSelected) {
    DeleteSelection();
  } else {
    const TElParaPos at = ToPara(FCaret);
    const WideString text = FLines->Get(at.Paragraph);
    const int length = static_cast<int>(text.size());
    TElParaPos to;
    WideString removed;
    if (at.Offset < length) {
      const int units = UnitsAfter(text, at.Offset);
      to = {at.Paragraph, at.Offset + units};
      removed = text.substr(static_cast<std::size_t>(at.Offset), static_cast<std::size_t>(units));
    } else if (at.Paragraph < FLines->GetCount() - 1) {
      to = {at.Paragraph + 1, 0};
      removed = u"\r\n";
    } else {
      return;
    }
    FLines->DeleteRange(at, to);
    FUndo.AddAction(atDelete, Recorded(at), removed, Recorded(at));
    FForcePlace = true;
    MoveCaret(FromPara(at));
    FForcePlace = false;
    FAnchor = FSelStartPos = FSelEndPos = FCaret;
  }
  AfterUserDelete();
}

void TElEditModel::AfterUserDelete() {
  if (GetLinesCount() <= FVisibleRows && FTopLine != 0) {
    FTopLine = 0;
    FHost->UpdateScrollInfo();
    PlaceCaret();
  }
  FModified = true;
  if (FMaxLength > 0 && FLines->TextLength() > FMaxLength) {
    FHost->InvalidateText();
    return;
  }
  DoChange();
  Change();
  TriggerSelectionChangeEvent();
  FHost->InvalidateText();
}

void TElEditModel::DeleteRangeAsSelection(TElEditPoint from, TElEditPoint to) {
  FAnchor = from;
  MoveCaret(to);
  SetSelection(FCaret.X, FCaret.Y);
  DeleteSelection();
}

void TElEditModel::BackspaceWord() {
  if (FReadOnly) return;
  DeleteToWord(true);
}

void TElEditModel::DeleteWord() {
  if (FReadOnly) return;
  DeleteToWord(false);
}

// Like the plain keys, a word key that finds nothing to delete changes
// nothing, Modified included.
void TElEditModel::DeleteToWord(bool backwards) {
  bool changed = FSelected;
  if (FSelected) DeleteSelection();
  const TElEditPoint target = backwards ? GetPrevWord({FCaret.X - 1, FCaret.Y}) : GetNextWord(FCaret);
  if (!(ToPara(target) == ToPara(FCaret))) {
    DeleteRangeAsSelection(FCaret, target);
    changed = true;
  }
  if (changed) AfterUserDelete();
}

void TElEditModel::DeleteSelection() {
  if (!FSelected) return;
  const WideString text = GetSelectedText();
  const TElParaPos from = ToPara(FSelStartPos);
  const TElParaPos to = ToPara(FSelEndPos);
  const TElParaPos caretBefore = ToPara(FCaret);
  FLines->DeleteRange(from, to);
  FUndo.AddAction(atDeleteSel, Recorded(caretBefore), text, Recorded(from));
  MoveCaret(FromPara(from));
  FAnchor = FCaret;
  UnSelect();
}

void TElEditModel::CopyToClipboard() {
  if (FPasswordChar != 0 || !FSelected) return;
  FHost->ClipboardSetText(GetSelectedText());
}

void TElEditModel::CutToClipboard() {
  if (FPasswordChar != 0) return;
  CopyToClipboard();
  if (FReadOnly) return;
  if (FSelected) FModified = true;
  DeleteSelection();
  DoChange();
  if (!FNotifyUserChangeOnly) Change();
  TriggerSelectionChangeEvent();
}

void TElEditModel::PasteFromClipboard() {
  if (FReadOnly) return;
  WideString text;
  if (!FHost->ClipboardGetText(text)) return;
  const std::size_t zero = text.find(char16_t(0));
  if (zero != WideString::npos) text.erase(zero);
  if (text.empty()) return;
  if (FMaxLength > 0) {
    const int length = FLines->TextLength();
    const int selected = SelectedLength();
    if (length + static_cast<int>(text.size()) - selected > FMaxLength)
      text = CutUnits(text, FMaxLength + selected - length);
    if (text.empty()) return;
  }
  text = ForceCase(text);
  if (FSelected) DeleteSelection();
  if (OnPasteClipboardText) OnPasteClipboardText(FSender, text);
  if (!FMultiline) {
    const std::size_t brk = text.find_first_of(u"\r\n");
    if (brk != WideString::npos) text.erase(brk);
  }
  const TElParaPos start = ToPara(FCaret);
  MoveCaret(InsertAt(FCaret, text));
  FModified = true;
  DoChange();
  if (!FNotifyUserChangeOnly) Change();
  TriggerSelectionChangeEvent();
  FHost->InvalidateText();
  FAnchor = FSelStartPos = FSelEndPos = FCaret;
  FUndo.AddAction(atInsert, Recorded(start), text, Recorded(ToPara(FCaret)));
}

void TElEditModel::SetSelText(const WideString& value) {
  // Recorded like a paste, so the history stays true to the text.
  if (FSelected) DeleteSelection();
  const TElParaPos start = ToPara(FCaret);
  const TElEditPoint end = InsertAt(FCaret, value);
  FUndo.AddAction(atInsert, Recorded(start), value, Recorded(ToPara(end)));
  SelectRange(FromPara(start), end);
  DoChange();
  if (!FNotifyUserChangeOnly) Change();
  FHost->InvalidateText();
}

void TElEditModel::UserCut() {
  CutToClipboard();
  DoChange();
  if (FNotifyUserChangeOnly) Change();
}

void TElEditModel::UserPaste() {
  PasteFromClipboard();
  DoChange();
  if (FNotifyUserChangeOnly) Change();
}

void TElEditModel::UserUndo() {
  if (FReadOnly) return;
  Undo();
  DoChange();
  if (FNotifyUserChangeOnly) Change();
}

void TElEditModel::UserDeleteSelection() {
  if (FReadOnly || !FSelected) return;
  DeleteSelection();
  FModified = true;
  DoChange();
  if (FNotifyUserChangeOnly) Change();
  TriggerSelectionChangeEvent();
}

void TElEditModel::UndoOne(const TElAction& action) {
  switch (action.FKind) {
    case atInsert:
      FUndo.Lock();
      DeleteRangeAsSelection(FromPara(FromRecord(action.FStart)), FromPara(FromRecord(action.FEnd)));
      FUndo.UnLock();
      FAnchor = FSelStartPos = FSelEndPos = FCaret;
      break;
    case atDelete:
    case atBackSpace:
    case atDeleteSel: {
      FUndo.Lock();
      const TElEditPoint after = InsertAt(FromPara(FromRecord(action.FEnd)), action.FText);
      FUndo.UnLock();
      const TElEditPoint caret = FromPara(FromRecord(action.FStart));
      MoveCaret(caret);
      FAnchor = FSelStartPos = FSelEndPos = FCaret;
      FSelected = false;
      if (action.FKind == atDeleteSel) {
        const TElEditPoint textStart = FromPara(FromRecord(action.FEnd));
        const bool atStart = ToPara(caret) == ToPara(textStart);
        FAnchor = atStart ? after : textStart;
        SetSelection(FCaret.X, FCaret.Y);
      }
      break;
    }
    default: break;
  }
}

void TElEditModel::Undo() {
  if (FReadOnly) return;
  bool inGroup = false;
  do {
    std::unique_ptr<TElAction> action = FUndo.PopItem();
    if (!action) break;
    if (action->FKind == atGroupBreak)
      inGroup = !inGroup;
    else
      UndoOne(*action);
    FHost->InvalidateText();
  } while (inGroup);
  FModified = FUndo.GetCanUndo();
  DoChange();
  if (!FNotifyUserChangeOnly) Change();
}

// ---- Messages

unsigned TElEditModel::EmGetSel(int* start, int* end) const {
  const int s = GetSelStart();
  const int e = s + GetSelLength();
  if (start != nullptr) *start = s;
  if (end != nullptr) *end = e;
  return (static_cast<unsigned>(s) & 0xFFFFu) | (static_cast<unsigned>(e) << 16);
}

void TElEditModel::EmSetSel(int start, int end) {
  if (start == -1) {
    UnSelect();
    return;
  }
  if (start == 0 && end == -1) {
    SelectAll();
    return;
  }
  const int larger = std::max(start, end);
  const int smaller = std::min(start, end);
  SetSelStart(larger);
  SetSelLength(smaller - larger);
}

void TElEditModel::EmReplaceSel(bool deleteFirst, const WideString& text) {
  if (deleteFirst) DeleteSelection();
  SetSelText(text);
}

bool TElEditModel::EmGetLine(int index, WideString& line) const {
  if (FPasswordChar != 0 || index < 0 || index >= EmGetLineCount()) return false;
  line = FLines->Get(index);
  return true;
}

int TElEditModel::EmGetLineCount() const {
  GetLinesCount();
  return FLines->GetCount();
}

int TElEditModel::EmLineIndex(int index) const {
  if (index < 0 || index >= EmGetLineCount()) return -1;
  int start = 0;
  for (int p = 0; p < index; ++p) start += FLines->Paragraph(p).TextLength() + 2;
  return start;
}

int TElEditModel::EmLineFromChar(int index) const {
  const TElEditPoint at = CaretFromChar(index);
  return ToPara(at).Paragraph;
}

unsigned TElEditModel::EmPosFromChar(int index) const {
  const TElEditPoint at = CaretFromChar(index);
  const TElPixelPoint point = PosFromCaret(at.X, at.Y);
  return (static_cast<unsigned>(point.X) & 0xFFFFu) | (static_cast<unsigned>(point.Y) << 16);
}

bool TElEditModel::EmUndo() {
  const bool could = GetCanUndo();
  Undo();
  return could;
}

// ---- Conversions and events

WideString TElEditModel::ConvertToCRLF(const WideString& s) {
  WideString result;
  result.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    result.push_back(s[i]);
    if (s[i] == u'\r' && (i + 1 >= s.size() || s[i + 1] != u'\n')) result.push_back(u'\n');
  }
  return result;
}

void TElEditModel::Change() {
  if (OnChange) OnChange(FSender);
}

void TElEditModel::TriggerSelectionChangeEvent() {
  if (OnSelectionChange) OnSelectionChange(FSender);
}

void TElEditModel::TriggerKeyPressEx(WideString& key) {
  if (OnKeyPressEx) OnKeyPressEx(FSender, key);
}
