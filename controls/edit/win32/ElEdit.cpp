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
  if (FBorderStyle == bsSingle) {
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
  TElXPThemedControl::WndProc(message);
}

void TCustomElEdit::Dispatch(TMessage& message) {
  if (TextMessage(message) || EditMessage(message)) return;
  switch (message.Msg) {
    case WM_VSCROLL:
    case WM_HSCROLL: WMScroll(message); return;
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
}

void TCustomElEdit::WMSize(TMessage& message) {
  TElXPThemedControl::WMSize(message);
  ResetEditRect();
  Invalidate();
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
  const TElTextRect& edit = FModel->EditRect();
  const RECT rect{edit.Left, edit.Top, edit.Right, edit.Bottom};
  InvalidateRect(FHandle, &rect, FALSE);
}

void TCustomElEdit::SetBarInfo(int bar, int maximum, int page, int position) {
  // The bar the style asks for stays, disabled while there is nothing to scroll.
  SCROLLINFO info{sizeof info, SIF_ALL | SIF_DISABLENOSCROLL, 0, std::max(0, maximum),
                  static_cast<UINT>(std::max(0, page)), position, 0};
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
  TElXPThemedControl::WMSetFocus(message);
  CreateCaret();
  if (FModel->HideSelection()) InvalidateText();
}

void TCustomElEdit::WMKillFocus(TMessage& message) {
  DestroyCaret();
  TElXPThemedControl::WMKillFocus(message);
  if (FModel->HideSelection()) InvalidateText();
}

// ---- painting: the rows, the selection on them (in the system's colours
// until the edit has its own appearance properties) ----

void TCustomElEdit::Paint() {
  TCanvas* canvas = Canvas();
  HDC dc = canvas->Handle();
  const RECT client{0, 0, ClientWidth(), ClientHeight()};
  FillRect(dc, &client, FBrush->Handle());
  if (FWinPainter == nullptr) return;
  if (FCaretExists) HideCaret(FHandle);
  FWinPainter->SetTarget(dc);
  SetTextColor(dc, ColorToRGB(FFont->Color()));
  const int rows = FModel->GetLinesCount();
  const int last = std::min(rows - 1, FModel->TopLine() + FModel->VisibleRows());
  for (int row = FModel->TopLine(); row <= last; ++row) PaintRow(row);
  FWinPainter->SetTarget(nullptr);
  if (FCaretExists) ShowCaret(FHandle);
}

void TCustomElEdit::PaintRow(int row) {
  const TElEditModel& model = *FModel;
  const TElTextRect& edit = model.EditRect();
  const int width = edit.Width() - model.LeftMargin() - model.RightMargin();
  const WideString text = model.Lines().GetParaString(row);
  const int from = std::min(model.LeftChar(), static_cast<int>(text.size()));
  const int count = FWinPainter->CharsFitRight(width, text, from);
  const WideString shown = text.substr(static_cast<size_t>(from), static_cast<size_t>(count));
  const int rowWidth = FWinPainter->TextWidth(shown);
  const int baseline = (row - model.TopLine() + 1) * model.LineHeight() + model.TopMargin() + edit.Top;
  int x = edit.Left + model.LeftMargin();
  if (model.Alignment() == taRightJustify) x = edit.Right - model.RightMargin() - rowWidth - 2;
  else if (model.Alignment() == taCenter) x = (edit.Right - model.RightMargin()) / 2 - rowWidth / 2;
  const TElTextRect clip{edit.Left + model.LeftMargin(), edit.Top, edit.Right - model.RightMargin(), edit.Bottom};

  // The selected columns of this row, relative to what is shown.
  int selFrom = 0;
  int selTo = 0;
  const bool showSelection = model.HasSelection() && (Focused() || !model.HideSelection());
  if (showSelection && row >= model.SelStartPos().Y && row <= model.SelEndPos().Y) {
    selFrom = row == model.SelStartPos().Y ? model.SelStartPos().X : 0;
    selTo = row == model.SelEndPos().Y ? model.SelEndPos().X : static_cast<int>(text.size());
    selFrom = std::clamp(selFrom - from, 0, count);
    selTo = std::clamp(selTo - from, 0, count);
  }
  HDC dc = FWinPainter->Target();
  const WideString parts[3] = {shown.substr(0, static_cast<size_t>(selFrom)),
                               shown.substr(static_cast<size_t>(selFrom), static_cast<size_t>(selTo - selFrom)),
                               shown.substr(static_cast<size_t>(selTo))};
  for (int part = 0; part < 3; ++part) {
    const int partWidth = FWinPainter->TextWidth(parts[part]);
    if (part == 1 && partWidth > 0) {
      const RECT band{std::max(x, clip.Left), baseline - model.LineHeight(), std::min(x + partWidth, clip.Right),
                      baseline};
      FillRect(dc, &band, GetSysColorBrush(Focused() ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
      SetTextColor(dc, GetSysColor(Focused() ? COLOR_HIGHLIGHTTEXT : COLOR_BTNSHADOW));
    }
    FWinPainter->ExtTextOut(x, baseline, clip, FWinPainter->Displayed(parts[part]));
    if (part == 1) SetTextColor(dc, ColorToRGB(FFont->Color()));
    x += partWidth;
  }
}
