// The edit's picture: background, rows and selection, painted off screen
// and copied in one step; and the partial repaint that keeps a keystroke
// from redrawing more than the span of the row it changed.
#include <windows.h>

#include <algorithm>

#include "controls/edit/ElEditModel.h"
#include "controls/edit/win32/ElEdit.h"
#include "controls/edit/win32/ElWinTextPainter.h"
#include "platform/win32/HandleOwners.h"

namespace {

// A glyph may overhang its cell by a pixel (italic, kerning): changed spans
// are widened by this much on each side.
constexpr int kOverhang = 2;

bool Selected(const TElEditRowPicture& p, int at) { return at >= p.SelFrom && at < p.SelTo; }

// Whether character i of a looks like character j of b.
bool SameCell(const TElEditRowPicture& a, int i, const TElEditRowPicture& b, int j) {
  if (a.Shown[static_cast<size_t>(i)] != b.Shown[static_cast<size_t>(j)]) return false;
  if (Selected(a, i) != Selected(b, j)) return false;
  return !Selected(a, i) || (a.SelBack == b.SelBack && a.SelText == b.SelText);
}

int CommonPrefix(const TElEditRowPicture& a, const TElEditRowPicture& b) {
  const int limit = static_cast<int>(std::min(a.Shown.size(), b.Shown.size()));
  int i = 0;
  while (i < limit && SameCell(a, i, b, i)) ++i;
  return i;
}

// Equal characters at the end of two pictures of the same length (which
// then sit at the same place), not reaching into the prefix.
int CommonSuffix(const TElEditRowPicture& a, const TElEditRowPicture& b, int prefix) {
  const int length = static_cast<int>(a.Shown.size());
  int i = 0;
  while (length - 1 - i >= prefix && SameCell(a, length - 1 - i, b, length - 1 - i)) ++i;
  return i;
}

}  // namespace

TColor TCustomElEdit::GetBkColor() const {
  return !Enabled() && FUseDisabledColors ? FDisabledColor : FColor;
}

TColor TCustomElEdit::GetTextColor() const {
  return !Enabled() && FUseDisabledColors ? FDisabledFontColor : FFont->Color();
}

TElTextRect TCustomElEdit::TextClip() const {
  const TElTextRect& edit = FModel->EditRect();
  return TElTextRect{edit.Left + FModel->LeftMargin(), edit.Top, edit.Right - FModel->RightMargin(), edit.Bottom};
}

int TCustomElEdit::RowTop(int row) const {
  return (row - FModel->TopLine()) * FModel->LineHeight() + FModel->TopMargin() + FModel->EditRect().Top;
}

TElEditRowPicture TCustomElEdit::RowPicture(int row, bool focused, const TElEditRowPicture* earlier) {
  TElEditRowPicture picture;
  const TElEditModel& model = *FModel;
  if (FWinPainter == nullptr || row < 0 || row >= model.GetLinesCount()) return picture;
  const TElTextRect& edit = model.EditRect();
  const int width = edit.Width() - model.LeftMargin() - model.RightMargin();
  const WideString text = model.Lines().GetParaString(row);
  const int from = std::min(model.LeftChar(), static_cast<int>(text.size()));
  if (earlier != nullptr && earlier->Raw == text && earlier->LeftChar == from && earlier->EditWidth == width) {
    // Measuring is what costs; an unchanged row keeps what it measured.
    picture = *earlier;
    picture.SelFrom = picture.SelTo = 0;
  } else {
    const int count = FWinPainter->CharsFitRight(width, text, from);
    picture.Shown = text.substr(static_cast<size_t>(from), static_cast<size_t>(count));
    picture.Width = FWinPainter->TextWidth(picture.Shown);
    picture.X = edit.Left + model.LeftMargin();
    if (model.Alignment() == taRightJustify)
      picture.X = edit.Right - model.RightMargin() - picture.Width - 2;
    else if (model.Alignment() == taCenter)
      picture.X = (edit.Right - model.RightMargin()) / 2 - picture.Width / 2;
    picture.Raw = text;
    picture.LeftChar = from;
    picture.EditWidth = width;
  }
  const int count = static_cast<int>(picture.Shown.size());

  const bool showSelection = model.HasSelection() && (focused || !model.HideSelection());
  if (showSelection && row >= model.SelStartPos().Y && row <= model.SelEndPos().Y) {
    const int selFrom = row == model.SelStartPos().Y ? model.SelStartPos().X : 0;
    const int selTo = row == model.SelEndPos().Y ? model.SelEndPos().X : static_cast<int>(text.size());
    picture.SelFrom = std::clamp(selFrom - from, 0, count);
    picture.SelTo = std::clamp(selTo - from, 0, count);
    picture.SelBack = ColorToRGB(focused ? FFocusedSelectColor : FHideSelectColor);
    picture.SelText = ColorToRGB(focused ? FFocusedSelectTextColor : FHideSelectTextColor);
  }
  if (picture.SelFrom == picture.SelTo) picture.SelFrom = picture.SelTo = 0;
  return picture;
}

// ---- painting ----

void TCustomElEdit::Paint() {
  HDC dc = Canvas()->Handle();
  RECT clip;
  if (GetClipBox(dc, &clip) == NULLREGION || IsRectEmpty(&clip)) {
    const TElTextRect& edit = FModel->EditRect();
    clip = RECT{edit.Left, edit.Top, edit.Right, edit.Bottom};
  }
  TGdiObject<HBRUSH> background(CreateSolidBrush(ColorToRGB(GetBkColor())));
  FillRect(dc, &clip, background.Get());
  if (FWinPainter == nullptr) return;
  if (FCaretExists) HideCaret(FHandle);
  FWinPainter->SetTarget(dc);
  const int rows = FModel->GetLinesCount();
  const int last = std::min(rows - 1, FModel->TopLine() + FModel->VisibleRows());
  const bool focused = HasFocusNow();
  // Only the rows the clip reaches: measuring and drawing a row is a trip to
  // the window system each, and a keystroke repaints a span of one row.
  for (int row = FModel->TopLine(); row <= last; ++row) {
    const int top = RowTop(row);
    if (top >= clip.bottom || top + FModel->LineHeight() <= clip.top) continue;
    PaintRow(dc, row, focused);
  }
  FWinPainter->SetTarget(nullptr);
  if (FCaretExists) ShowCaret(FHandle);
}

void TCustomElEdit::PaintRow(HDC dc, int row, bool focused) {
  const TElEditRowPicture picture = RowPicture(row, focused, nullptr);
  const int baseline = RowTop(row) + FModel->LineHeight();
  const TElTextRect clip = TextClip();
  const COLORREF text = ColorToRGB(GetTextColor());
  SetTextColor(dc, text);
  const WideString& shown = picture.Shown;
  const WideString parts[3] = {shown.substr(0, static_cast<size_t>(picture.SelFrom)),
                               shown.substr(static_cast<size_t>(picture.SelFrom),
                                            static_cast<size_t>(picture.SelTo - picture.SelFrom)),
                               shown.substr(static_cast<size_t>(picture.SelTo))};
  int x = picture.X;
  for (int part = 0; part < 3; ++part) {
    if (parts[part].empty()) continue;
    if (part == 1) {
      SetTextColor(dc, picture.SelText);
      PaintSelectedPart(dc, x, baseline, clip, parts[part], picture.SelBack);
      SetTextColor(dc, text);
    }
    FWinPainter->ExtTextOut(x, baseline, clip, FWinPainter->Displayed(parts[part]));
    x += FWinPainter->TextWidth(parts[part]);
  }
}

// The band under the selected characters: opaque, or blended onto what is
// already there below the full alpha level.
void TCustomElEdit::PaintSelectedPart(HDC dc, int x, int baseline, const TElTextRect& clip, const WideString& part,
                                      COLORREF colour) {
  const RECT band{std::max(x, clip.Left), baseline - FModel->LineHeight(),
                  std::min(x + FWinPainter->TextWidth(part), clip.Right), baseline};
  if (band.right <= band.left) return;
  TGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
  if (FHighlightAlphaLevel >= 255) {
    FillRect(dc, &band, brush.Get());
    return;
  }
  const int width = band.right - band.left;
  const int height = band.bottom - band.top;
  TCreatedDC memory(CreateCompatibleDC(dc));
  TGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, width, height));
  if (!memory || !bitmap) return;
  const HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
  const RECT all{0, 0, width, height};
  FillRect(memory.Get(), &all, brush.Get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(std::max(0, FHighlightAlphaLevel)), 0};
  AlphaBlend(dc, band.left, band.top, width, height, memory.Get(), 0, 0, width, height, blend);
  SelectObject(memory.Get(), old);
}

void TCustomElEdit::SetHighlightAlphaLevel(int value) {
  value = std::clamp(value, 0, 255);
  if (value == FHighlightAlphaLevel) return;
  FHighlightAlphaLevel = value;
  InvalidateEverything();
}

void TCustomElEdit::SetAppearance(TColor& field, TColor value) {
  if (field == value) return;
  field = value;
  InvalidateEverything();
}

void TCustomElEdit::SetUseDisabledColors(bool value) {
  if (value == FUseDisabledColors) return;
  FUseDisabledColors = value;
  FBrush->SetColor(GetBkColor());
  if (!Enabled()) InvalidateEverything();
}

void TCustomElEdit::SetDisabledColor(TColor value) {
  if (value == FDisabledColor) return;
  FDisabledColor = value;
  FBrush->SetColor(GetBkColor());
  if (!Enabled() && FUseDisabledColors) InvalidateEverything();
}

void TCustomElEdit::SetDisabledFontColor(TColor value) {
  if (value == FDisabledFontColor) return;
  FDisabledFontColor = value;
  if (!Enabled() && FUseDisabledColors) InvalidateEverything();
}

// ---- what to repaint ----

void TCustomElEdit::Invalidate() {
  FSnapshotValid = false;
  TElXPThemedControl::Invalidate();
}

void TCustomElEdit::InvalidateEverything() {
  FSnapshotValid = false;
  FTextDirty = true;
  if (FMessageDepth == 0) FlushInvalidation();
}

void TCustomElEdit::TakeSnapshot(std::vector<TElEditRowPicture>& rows) {
  const int slots = FModel->VisibleRows() + 1;
  // The rows shown before can lend their measurements when nothing moved.
  const bool reuse = FSnapshotValid && FShownTopLine == FModel->TopLine() &&
                     FShownRows.size() == static_cast<size_t>(slots) && FModel->Alignment() == taLeftJustify;
  rows.resize(static_cast<size_t>(slots));
  const bool focused = HasFocusNow();
  for (int slot = 0; slot < slots; ++slot) {
    const TElEditRowPicture* earlier = reuse ? &FShownRows[static_cast<size_t>(slot)] : nullptr;
    rows[static_cast<size_t>(slot)] = RowPicture(FModel->TopLine() + slot, focused, earlier);
  }
}

void TCustomElEdit::FlushInvalidation() {
  FTextDirty = false;
  if (!HandleAllocated()) {
    FSnapshotValid = false;
    return;
  }
  std::vector<TElEditRowPicture> now;
  TakeSnapshot(now);
  const bool whole = !FSnapshotValid || FShownTopLine != FModel->TopLine() || now.size() != FShownRows.size();
  if (whole) {
    const TElTextRect& edit = FModel->EditRect();
    const RECT rect{edit.Left, edit.Top, edit.Right, edit.Bottom};
    InvalidateRect(FHandle, &rect, FALSE);
  } else {
    for (size_t slot = 0; slot < now.size(); ++slot)
      if (!(now[slot] == FShownRows[slot])) InvalidateRowChange(static_cast<int>(slot), FShownRows[slot], now[slot]);
  }
  FShownRows = std::move(now);
  FShownTopLine = FModel->TopLine();
  FSnapshotValid = true;
}

void TCustomElEdit::InvalidateRowChange(int slot, const TElEditRowPicture& was, const TElEditRowPicture& now) {
  const TElTextRect clip = TextClip();
  const int top = RowTop(FModel->TopLine() + slot);
  RECT span{clip.Left, top, clip.Right, top + FModel->LineHeight()};
  if (was.X == now.X) {
    // From the first character that differs to the end of the longer
    // picture, or, when the row kept its length, to the last that differs.
    const int same = CommonPrefix(was, now);
    span.left = now.X + FWinPainter->TextWidth(now.Shown.substr(0, static_cast<size_t>(same))) - kOverhang;
    span.right = now.X + std::max(was.Width, now.Width) + kOverhang;
    if (was.Shown.size() == now.Shown.size() && was.Width == now.Width) {
      const size_t changedEnd = now.Shown.size() - static_cast<size_t>(CommonSuffix(was, now, same));
      span.right = now.X + FWinPainter->TextWidth(now.Shown.substr(0, changedEnd)) + kOverhang;
    }
  } else {
    span.left = std::min(was.X, now.X) - kOverhang;
    span.right = std::max(was.X + was.Width, now.X + now.Width) + kOverhang;
  }
  const TElTextRect& edit = FModel->EditRect();
  span.left = std::max<LONG>(span.left, edit.Left);
  span.right = std::min<LONG>(span.right, edit.Right);
  span.top = std::max<LONG>(span.top, edit.Top);
  span.bottom = std::min<LONG>(span.bottom, edit.Bottom);
  if (span.right > span.left && span.bottom > span.top) InvalidateRect(FHandle, &span, FALSE);
}
