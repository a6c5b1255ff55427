#include "controls/edit/win32/ElEdit.h"

#include <algorithm>

#include "controls/edit/ElEditModel.h"
#include "controls/edit/win32/ElClipboard.h"
#include "controls/edit/win32/ElWinTextPainter.h"
#include "platform/win32/HandleOwners.h"

TCustomElEdit::TCustomElEdit(TComponent* owner) : TElXPThemedControl(owner), FController(nullptr) {
  BeginCreate();
  FModel = std::make_unique<TElEditModel>(CreateTextPainter(), static_cast<IElEditHost*>(this));
  FModel->SetSender(this);
  FWinPainter = dynamic_cast<TElWinTextPainter*>(&FModel->Painter());
  if (FWinPainter != nullptr) FWinPainter->SetFont(FFont.get());
  FModel->SetFontHeight(FFont->Height());
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  FBrush->SetColor(FColor);
  FDoubleBuffered = true;
  SetCursor(crIBeam);
  AttachScrollBars();
  SetBounds(FLeft, FTop, 200, 100);
  EndCreate();
}

TCustomElEdit::~TCustomElEdit() {
  SetDestroying();
  DetachScrollBars();
  DestroyCaret();
  SetLinkedControl(nullptr);
  // The window goes with the base: the model must not reach it by then.
  FModel->SetLoading(true);
}

std::unique_ptr<TElTextPainter> TCustomElEdit::CreateTextPainter() { return std::make_unique<TElWinTextPainter>(); }

// ---- properties with a window side ----

bool TCustomElEdit::Multiline() const { return FModel->Multiline(); }

void TCustomElEdit::SetMultiline(bool value) {
  if (value == FModel->Multiline()) return;
  if (!value) FScrollBars = ssNone;
  FModel->SetMultiline(value);
  if (HandleAllocated()) RecreateWnd();
  else UpdateScrollInfo();
  ResetEditRect();
}

void TCustomElEdit::SetScrollBars(TScrollStyle value) {
  // A single-line edit never shows scroll bars.
  if (!FModel->Multiline()) value = ssNone;
  if (value == FScrollBars) return;
  FScrollBars = value;
  RecreateWnd();
}

void TCustomElEdit::SetBorderStyle(TBorderStyle value) {
  if (value == FBorderStyle) return;
  FBorderStyle = value;
  RecreateWnd();
  AdjustHeight();
}

void TCustomElEdit::AdjustHeight() {
  if (!FModel->AutoSize() || FModel->Multiline() || FModel->Loading() || FWinPainter == nullptr) return;
  const bool single = FBorderStyle == bsSingle;
  SetHeight(TElEditModel::AdjustedHeight(FWinPainter->TextMetrics().tmHeight, single, Ctl3D(),
                                         GetSystemMetrics(SM_CYEDGE), GetSystemMetrics(SM_CYBORDER)));
}

// ---- the window ----

void TCustomElEdit::CreateParams(TCreateParams& params) {
  TElXPThemedControl::CreateParams(params);
  // The text lives in the model, never in the window's caption.
  params.Caption.clear();
  params.Cursor = LoadCursorW(nullptr, IDC_IBEAM);
  params.ClassStyle &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
  // A flat edit without a theme draws its own frame in the room it reserves.
  if (FBorderStyle == bsSingle && !OwnFrame()) {
    if (Ctl3D())
      params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      params.Style |= WS_BORDER;
  }
  if (FModel->Multiline()) {
    params.Style |= ES_MULTILINE;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) params.Style |= WS_HSCROLL;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) params.Style |= WS_VSCROLL;
  }
}

void TCustomElEdit::CreateWnd() {
  DetachScrollBars();
  TElXPThemedControl::CreateWnd();
  AttachScrollBars();
  AdjustHeight();
  ResetEditRect();
  UpdateScrollInfo();
}

void TCustomElEdit::DestroyWnd() {
  DestroyCaret();
  TElXPThemedControl::DestroyWnd();
  DetachScrollBars();
}

void TCustomElEdit::WndProc(TMessage& message) {
  if (ScrollBarsTakeMessage(message)) return;
  // Repaint requests made while the message runs are settled once it is
  // done, so a keystroke repaints what it changed and nothing in between.
  ++FMessageDepth;
  try {
    TElXPThemedControl::WndProc(message);
  } catch (...) {
    --FMessageDepth;
    throw;
  }
  if (--FMessageDepth == 0 && FTextDirty) FlushInvalidation();
}

void TCustomElEdit::Dispatch(TMessage& message) {
  if (TextMessage(message) || EditMessage(message) || CommandMessage(message) || ImeMessage(message)) return;
  switch (message.Msg) {
    case WM_VSCROLL:
    case WM_HSCROLL: WMScroll(message); return;
    case WM_DEADCHAR:
      FDeadChar = static_cast<char>(message.WParam);
      message.Result = 0;
      return;
    case WM_INPUTLANGCHANGE:
      FInputLanguage = reinterpret_cast<HKL>(message.LParam);
      TElXPThemedControl::Dispatch(message);
      return;
    default: TElXPThemedControl::Dispatch(message);
  }
}

WideString TCustomElEdit::GetText() { return FModel->GetText(); }

void TCustomElEdit::SetTextBuffer(const WideString& value) { FModel->SetText(value); }

void TCustomElEdit::CMFontChanged(TMessage& message) {
  TElXPThemedControl::CMFontChanged(message);
  if (FWinPainter != nullptr) FWinPainter->SetFont(FFont.get());
  FModel->SetFontHeight(FFont->Height());
  AdjustHeight();
  if (FCaretExists) {
    DestroyCaret();
    CreateCaret();
  }
  InvalidateEverything();
}

void TCustomElEdit::WMSize(TMessage& message) {
  TElXPThemedControl::WMSize(message);
  const int oldWidth = FModel->EditRect().Width();
  const int oldRows = FModel->VisibleRows();
  const TElEditPoint caret = FModel->GetCaretXY();
  const int caretChar = FModel->CharFromCaret(caret.X, caret.Y);
  ResetEditRect();
  // The caret keeps its place in the text through the re-wrap; the anchor follows it.
  if (FModel->HasSelection()) FModel->UnSelect();
  FModel->SetCaretXY(FModel->CaretFromChar(caretChar));
  FModel->SetAnchor(FModel->GetCaretXY());
  const bool wider = FModel->EditRect().Width() > oldWidth;
  const bool moreRows = FModel->Multiline() && FModel->VisibleRows() > oldRows;
  const bool reflows = (FModel->Multiline() && FModel->WordWrap()) || FModel->Alignment() != taLeftJustify;
  if (wider || moreRows || reflows) InvalidateEverything();
  if (IsThemeApplied() || (FFlat && FBorderStyle == bsSingle)) DrawFlatBorder();
}

void TCustomElEdit::WMWindowPosChanged(TMessage& message) {
  TElXPThemedControl::WMWindowPosChanged(message);
  PlaceLinkedControl();
}

void TCustomElEdit::SetEditRectFrom(const RECT* rect) {
  RECT area{0, 0, 0, 0};
  if (rect != nullptr) area = *rect;
  else if (HandleAllocated()) GetClientRect(FHandle, &area);
  else area = RECT{0, 0, FWidth, FHeight};
  FModel->SetEditRect(TElTextRect{area.left, area.top, area.right, area.bottom});
}

// ---- the host side of the model ----

void TCustomElEdit::InvalidateText() {
  if (!HandleAllocated()) return;
  FTextDirty = true;
  if (FMessageDepth == 0) FlushInvalidation();
}

void TCustomElEdit::SetBarInfo(int bar, int maximum, int page, int position) {
  // The bar the style asks for stays, disabled while there is nothing to scroll.
  SCROLLINFO info{sizeof info, SIF_ALL | SIF_DISABLENOSCROLL, 0, std::max(0, maximum),
                  static_cast<UINT>(std::max(0, page)), position, 0};
  // Most keystrokes leave the bars as they are: asking is cheaper than setting.
  SCROLLINFO now{sizeof now, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
  if (GetScrollInfo(FHandle, bar, &now) && now.nMin == info.nMin && now.nMax == info.nMax &&
      now.nPage == info.nPage && now.nPos == info.nPos)
    return;
  SetScrollInfo(FHandle, bar, &info, TRUE);
}

void TCustomElEdit::UpdateScrollInfo() {
  if (!HandleAllocated() || !FModel->Multiline()) return;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth)
    SetBarInfo(SB_VERT, FModel->GetLinesCount() - 1, FModel->VisibleRows(), FModel->TopLine());
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) {
    const TElEditStrings& lines = FModel->Lines();
    const bool wrapping = FModel->WordWrap();
    const TElTextRect& edit = FModel->EditRect();
    const int width = edit.Width() - FModel->LeftMargin() - FModel->RightMargin();
    const int longest = wrapping ? 0 : lines.LongestLength();
    const int page = wrapping ? 0 : std::max(1, FModel->Painter().CharsFitRight(width, lines.LongestText(), 0));
    SetBarInfo(SB_HORZ, longest, page, FModel->LeftChar());
  }
}

void TCustomElEdit::CaretMoved() {
  if (!FCaretExists || !HandleAllocated()) return;
  const TElPixelPoint at = FModel->PosFromCaret(FModel->CaretX(), FModel->CaretY());
  SetCaretPos(at.X, at.Y);
}

bool TCustomElEdit::ClipboardGetText(WideString& text) { return ElClipboardGetText(FHandle, text); }

void TCustomElEdit::ClipboardSetText(const WideString& text) { ElClipboardSetText(FHandle, text); }

// ---- caret ----

void TCustomElEdit::CreateCaret() {
  if (!HandleAllocated() || FWinPainter == nullptr) return;
  const TEXTMETRICW& metrics = FWinPainter->TextMetrics();
  const int width = GetSystemMetrics(SM_CXBORDER) * (metrics.tmWeight >= FW_BOLD ? 2 : 1);
  if (FCaretExists) return;
  if (!::CreateCaret(FHandle, nullptr, width, std::abs(static_cast<int>(metrics.tmHeight)))) return;
  FCaretExists = true;
  CaretMoved();
  ShowCaret(FHandle);
}

void TCustomElEdit::DestroyCaret() {
  if (!FCaretExists) return;
  FCaretExists = false;
  ::DestroyCaret();
}

void TCustomElEdit::WMSetFocus(TMessage& message) {
  FHasFocus = true;
  TElXPThemedControl::WMSetFocus(message);
  if (CanFocus() || Parent() == nullptr) CreateCaret();
  if (FModel->AutoSelect()) {
    FModel->SelectAll();
    FModel->SetLeftChar(0);
    FModel->SetTopLine(0);
  }
  // The selection changes its colours (or shows again) with the focus.
  InvalidateText();
  if (FFlat && !IsThemeApplied()) DrawFlatBorder();
}

void TCustomElEdit::WMKillFocus(TMessage& message) {
  FHasFocus = false;
  DestroyCaret();
  TElXPThemedControl::WMKillFocus(message);
  InvalidateText();
  if (FFlat && !IsThemeApplied()) DrawFlatBorder();
}

// ---- hover and enabling ----

void TCustomElEdit::CMMouseEnter(TMessage& message) {
  TElXPThemedControl::CMMouseEnter(message);
  FHover = true;
  if (FFlat && !IsThemeApplied() && !Focused()) DrawFlatBorder();
}

void TCustomElEdit::CMMouseLeave(TMessage& message) {
  // A leave of a child control is not ours.
  if (message.LParam != 0 && reinterpret_cast<TControl*>(message.LParam) != this) return;
  FHover = false;
  if (FFlat && !IsThemeApplied() && !Focused()) DrawFlatBorder();
  TElXPThemedControl::CMMouseLeave(message);
}

void TCustomElEdit::CMEnabledChanged(TMessage& message) {
  TElXPThemedControl::CMEnabledChanged(message);
  if (!Enabled()) DestroyCaret();
  else if (Focused()) CreateCaret();
  FBrush->SetColor(GetBkColor());
  if (IsThemeApplied() || FUseDisabledColors) InvalidateEverything();
}

void TCustomElEdit::CMColorChanged(TMessage& message) {
  TElXPThemedControl::CMColorChanged(message);
  FBrush->SetColor(GetBkColor());
  InvalidateEverything();
}
