#include "controls/list/win32/ElListBox.h"

#include <algorithm>

#include "controls/list/win32/ElListBoxHintWindow.h"
#include "controls/list/win32/ElSBController.h"
#include "controls/list/win32/ElSearchTimeoutThread.h"
#include "framework/UnicodeHint.h"
#include "framework/win32/Application.h"

TCustomElListBox::TCustomElListBox(TComponent* owner)
    : TElXPThemedControl(owner),
      FItems(std::make_unique<TElListBoxStrings>(this)),
      FItemCanvas(std::make_unique<TCanvas>()),
      FSelectedFont(std::make_unique<TFont>()),
      FBackground(std::make_unique<TBitmap>()),
      FController(new TElSBController(this)) {
  BeginCreate();
  FTabStop = true;
  FParentColor = false;
  FColor = clWindow;
  FBrush->SetColor(FColor);
  FItemCanvas->Font()->Assign(FFont.get());
  FSelectedFont->SetColor(clHighlightText);
  FController->SetUseXPThemes(true);
  SetBounds(FLeft, FTop, 121, 97);
  EndCreate();
}

TCustomElListBox::~TCustomElListBox() {
  StopSearchThread();
  CancelLineHint();
  FController->SetControl(nullptr);
  // The window goes with the base; the rows must not be asked for by then.
  FItems->OnChange = nullptr;
  FItems->OnChanging = nullptr;
}

// ---- the native window ----

LRESULT TCustomElListBox::Native(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!HandleAllocated()) return 0;
  return SendMessageW(FHandle, msg, wParam, lParam);
}

void TCustomElListBox::CreateParams(TCreateParams& params) {
  TElXPThemedControl::CreateParams(params);
  params.NativeClass = u"LISTBOX";
  params.Style |= WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_HASSTRINGS;
  params.Style |= FStyle == lbOwnerDrawVariable ? LBS_OWNERDRAWVARIABLE : LBS_OWNERDRAWFIXED;
  if (FMultiSelect) params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (!FIntegralHeight) params.Style |= LBS_NOINTEGRALHEIGHT;
  if (FTabWidth != 0) params.Style |= LBS_USETABSTOPS;
  // A flat list draws its own border, unless the theme's list border serves.
  if (FBorderStyle == bsSingle && !(FFlat && !ListThemeAvailable(UseXPThemes()))) {
    if (Ctl3D())
      params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      params.Style |= WS_BORDER;
  }
  if (FRightAlignedText) params.ExStyle |= WS_EX_RIGHT | WS_EX_RTLREADING;
  if (FRightAlignedView) params.ExStyle |= WS_EX_LEFTSCROLLBAR;
  params.ClassStyle &= ~static_cast<UINT>(CS_VREDRAW | CS_HREDRAW);
}

void TCustomElListBox::CreateWnd() {
  const int width = FWidth;
  const int height = FHeight;
  FController->SetControl(nullptr);
  TElXPThemedControl::CreateWnd();
  FItemCanvas->Font()->Assign(FFont.get());
  // The native list may have shrunk itself to whole rows.
  SetWindowPos(FHandle, nullptr, FLeft, FTop, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (FTabWidth != 0) {
    int stop = FTabWidth;
    Native(LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
  }
  UpdateItemHeight();
  const int count = FItems->GetCount();
  if (count > 0) {
    Native(WM_SETREDRAW, FALSE);
    Native(LB_INITSTORAGE, static_cast<WPARAM>(count), 0);
    for (int i = 0; i < count; ++i) InsertPlaceholder(i);
    Native(WM_SETREDRAW, TRUE);
  }
  FLastTopIndex = 0;
  if (FHorizontalScroll) ResetHorizontalExtent();
  if (FUseCustomScrollBars) {
    FController->SetControl(this);
    // Without notification of scroll changes the platform's bars serve.
    if (!FController->GetActive()) {
      FUseCustomScrollBars = false;
      FController->SetControl(nullptr);
    }
  }
}

void TCustomElListBox::DestroyWnd() {
  FStreaming = false;
  StopTimer(kStreamTimer);
  CancelLineHint();
  FItemCanvas->SetHandle(nullptr);
  TElXPThemedControl::DestroyWnd();
  FController->SetControl(nullptr);
}

void TCustomElListBox::WndProc(TMessage& message) {
  // What the user does meets the rows and the view as they are now.
  if ((message.Msg >= WM_KEYFIRST && message.Msg <= WM_KEYLAST) ||
      (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST) ||
      (message.Msg >= WM_NCMOUSEMOVE && message.Msg <= WM_NCMBUTTONDBLCLK) || message.Msg == WM_SIZE)
    FlushStream();
  if (FUseCustomScrollBars && FController->Control() == this && FController->HandleCtrlMsgBefore(message)) return;
  TElXPThemedControl::WndProc(message);
}

void TCustomElListBox::Dispatch(TMessage& message) {
  // The native list's own requests go straight to it: the general dispatch
  // asks the platform for the keyboard state on every message, which costs
  // more than the request itself and would be paid once per row added.
  if ((message.Msg >= LB_ADDSTRING && message.Msg <= LB_MSGMAX) || message.Msg == WM_SETREDRAW) {
    DefaultHandler(message);
    return;
  }
  switch (message.Msg) {
    case CN_DRAWITEM: CNDrawItem(message); return;
    case CN_MEASUREITEM: CNMeasureItem(message); return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: WMLButtonDown(message); return;
    case WM_VSCROLL:
    case WM_HSCROLL: WMScroll(message); return;
    case WM_IME_COMPOSITION: WMImeComposition(message); return;
    case WM_IME_STARTCOMPOSITION: WMImeStartComposition(message); return;
    case kCancelHintMessage: CancelLineHint(); return;
    default: TElXPThemedControl::Dispatch(message);
  }
}

void TCustomElListBox::InsertPlaceholder(int index) {
  BeginStream(index);
  const LRESULT result = Native(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(L""));
  if (result == LB_ERR || result == LB_ERRSPACE || result < 0) throw EOutOfResources("Unable to insert a line");
}

void TCustomElListBox::RowInserted(int index) {
  if (!FHorizontalScroll || !HandleAllocated()) return;
  FHorizontalExtent = std::max(FHorizontalExtent, GetItemWidth(index));
  SetHorizontalExtent();
}

void TCustomElListBox::ResetContent() {
  if (!HandleAllocated()) return;
  FlushStream();
  if (FHorizontalScroll) {
    FHorizontalExtent = 0;
    SetHorizontalExtent();
    Native(WM_HSCROLL, SB_TOP, 0);
  }
  Native(LB_RESETCONTENT);
}

void TCustomElListBox::DeleteString(int index) {
  if (!HandleAllocated()) return;
  FlushStream();
  Native(LB_DELETESTRING, static_cast<WPARAM>(index));
}

// Measured once the row has left Items: the native entry goes before it.
void TCustomElListBox::RowDeleted() {
  if (FHorizontalScroll && HandleAllocated()) ResetHorizontalExtent();
}

// ---- rows streaming in ----

void TCustomElListBox::BeginStream(int changedRow) {
  if (FStreaming) {
    FStreamFirstRow = std::min(FStreamFirstRow, changedRow);
    // Served here too, since a busy message queue may hold the timer back.
    if (GetTickCount() - FStreamStart < StreamLatency()) return;
    FlushStream();
  }
  if (!HandleAllocated() || FItems->Updating()) return;
  FStreaming = true;
  FStreamStart = GetTickCount();
  FStreamFirstRow = changedRow;
  FStreamTop = static_cast<int>(Native(LB_GETTOPINDEX));
  FStreamView = FStreamTop;
  RECT client;
  GetClientRect(FHandle, &client);
  FStreamPage = std::max(1, static_cast<int>(client.bottom / std::max(FItemHeight, 1)));
  Native(WM_SETREDRAW, FALSE);
  StartTimer(kStreamTimer, StreamLatency());
}

UINT TCustomElListBox::StreamLatency() const {
  return std::clamp(static_cast<UINT>(4 * FPaintCost), kStreamLatencyMs, kStreamLatencyLimitMs);
}

bool TCustomElListBox::StreamKeepsTop() const { return FStreaming && FStyle != lbOwnerDrawVariable; }

void TCustomElListBox::FlushStream() {
  if (!FStreaming) return;
  FStreaming = false;
  StopTimer(kStreamTimer);
  // Scrolling costs the same for one row as for many: the view moves once.
  const bool moved = FStreamView != FStreamTop;
  if (moved) Native(LB_SETTOPINDEX, static_cast<WPARAM>(FStreamView));
  Native(WM_SETREDRAW, TRUE);
  if (moved) {
    InvalidateRect(FHandle, nullptr, FALSE);
    return;
  }
  // The view stayed: only the rows from the first changed one down.
  RECT client;
  GetClientRect(FHandle, &client);
  RECT row{0, 0, 0, 0};
  if (Native(LB_GETITEMRECT, static_cast<WPARAM>(FStreamFirstRow), reinterpret_cast<LPARAM>(&row)) == LB_ERR)
    return;
  if (row.top >= client.bottom) return;
  client.top = std::max(client.top, row.top);
  InvalidateRect(FHandle, &client, FALSE);
}

void TCustomElListBox::ItemsChange(bool inserted) {
  if (FStreaming) {
    // Any other change may touch a row above the new ones: all is painted.
    if (!inserted) FStreamFirstRow = 0;
    return;
  }
  Invalidate();
}

void TCustomElListBox::TimerElapsed(UINT_PTR id) {
  if (id == kStreamTimer)
    FlushStream();
  else if (id == kHintTimer)
    LineHintTimer();
  else
    TElXPThemedControl::TimerElapsed(id);
}

// ---- properties ----

void TCustomElListBox::SetItems(TElWideStrings* value) { FItems->Assign(value); }

int TCustomElListBox::ItemIndex() {
  if (!HandleAllocated()) return -1;
  return static_cast<int>(Native(FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL));
}

void TCustomElListBox::SetItemIndex(int value) {
  if (FLoading) {
    FPendingItemIndex = value;
    return;
  }
  if (value == ItemIndex()) return;
  HandleNeeded();
  FlushStream();
  const int top = TopIndex();
  if (FMultiSelect)
    Native(LB_SETCARETINDEX, static_cast<WPARAM>(value), FALSE);
  else
    Native(LB_SETCURSEL, static_cast<WPARAM>(value));
  if (TopIndex() != top) Invalidate();
}

int TCustomElListBox::TopIndex() {
  if (!HandleAllocated()) return 0;
  if (StreamKeepsTop()) return FStreamView;
  const int top = static_cast<int>(Native(LB_GETTOPINDEX));
  return top < 0 ? 0 : top;
}

void TCustomElListBox::SetTopIndex(int value) {
  if (value == TopIndex()) return;
  // A row that does not exist leaves the view where it is (some native lists
  // would take it as the last row, others refuse it).
  const int count = GetCount();
  if (value < 0 || value >= count) return;
  if (StreamKeepsTop()) {
    // What the native list will do with it once the rows are painted: show
    // no less than a full page.
    FStreamView = std::min(value, std::max(0, count - FStreamPage));
    return;
  }
  Native(LB_SETTOPINDEX, static_cast<WPARAM>(value));
}

int TCustomElListBox::ItemHeight() {
  if (HandleAllocated() && FStyle != lbOwnerDrawFixed && FStyle != lbOwnerDrawVariable) {
    RECT row{0, 0, 0, 0};
    if (Native(LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)) != LB_ERR) return row.bottom - row.top;
  }
  return FItemHeight;
}

void TCustomElListBox::SetItemHeight(int value) {
  if (value <= 0 || value == FItemHeight) return;
  FItemHeight = value;
  if (HandleAllocated()) RecreateWnd();
}

int TCustomElListBox::SelCount() {
  if (!HandleAllocated()) return 0;
  if (!FMultiSelect) return ItemIndex() >= 0 ? 1 : 0;
  return static_cast<int>(Native(LB_GETSELCOUNT));
}

bool TCustomElListBox::Selected(int index) {
  const LRESULT result = HandleAllocated() ? Native(LB_GETSEL, static_cast<WPARAM>(index)) : LB_ERR;
  if (result == LB_ERR) throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  return result != 0;
}

void TCustomElListBox::SetSelected(int index, bool value) {
  HandleNeeded();
  LRESULT result;
  if (FMultiSelect)
    result = Native(LB_SETSEL, value ? TRUE : FALSE, static_cast<LPARAM>(index));
  else if (index < 0 || index >= GetCount())
    result = LB_ERR;
  else
    result = Native(LB_SETCURSEL, value ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1));
  if (result == LB_ERR) throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TCustomElListBox::SetStyle(TListBoxStyle value) {
  // The virtual styles have no rows of their own to paint: the nearest real one serves.
  if (value == lbVirtual) value = lbStandard;
  if (value == lbVirtualOwnerDraw) value = lbOwnerDrawFixed;
  if (value == FStyle) return;
  FStyle = value;
  if (HandleAllocated()) RecreateWnd();
}

namespace {
template <class T>
bool Store(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}
}  // namespace

void TCustomElListBox::SetMultiSelect(bool value) {
  if (Store(FMultiSelect, value) && HandleAllocated()) RecreateWnd();
}
void TCustomElListBox::SetExtendedSelect(bool value) {
  if (Store(FExtendedSelect, value) && HandleAllocated()) RecreateWnd();
}
void TCustomElListBox::SetTabWidth(int value) {
  if (Store(FTabWidth, std::max(value, 0)) && HandleAllocated()) RecreateWnd();
}
void TCustomElListBox::SetIntegralHeight(bool value) {
  if (Store(FIntegralHeight, value) && HandleAllocated()) RecreateWnd();
}
void TCustomElListBox::SetBorderStyle(TBorderStyle value) {
  if (Store(FBorderStyle, value) && HandleAllocated()) RecreateWnd();
}
void TCustomElListBox::SetRightAlignedText(bool value) {
  if (Store(FRightAlignedText, value) && HandleAllocated()) RecreateWnd();
}
void TCustomElListBox::SetRightAlignedView(bool value) {
  if (Store(FRightAlignedView, value) && HandleAllocated()) RecreateWnd();
}
void TCustomElListBox::SetHorizontalScroll(bool value) {
  if (Store(FHorizontalScroll, value) && HandleAllocated()) RecreateWnd();
}

void TCustomElListBox::SetShowCheckBox(bool value) {
  if (Store(FShowCheckBox, value)) Invalidate();
}

void TCustomElListBox::SetAllowGrayed(bool value) {
  if (!Store(FAllowGrayed, value) || value) return;
  for (unsigned char& state : FCheckStates)
    if (state == cbGrayed) state = cbUnchecked;
}

TCheckBoxState TCustomElListBox::State(int index) const {
  if (index < 0 || index >= GetCount() || index >= static_cast<int>(FCheckStates.size())) return cbUnchecked;
  return static_cast<TCheckBoxState>(FCheckStates[static_cast<size_t>(index)]);
}

void TCustomElListBox::SetState(int index, TCheckBoxState value) {
  if (index < 0 || index >= GetCount()) return;
  if (index >= static_cast<int>(FCheckStates.size())) FCheckStates.resize(static_cast<size_t>(index) + 1, cbUnchecked);
  FCheckStates[static_cast<size_t>(index)] = value;
  InvalidateRow(index);
}

void TCustomElListBox::SetAllStates(TCheckBoxState state, bool selectedOnly) {
  if (!FShowCheckBox) return;
  for (int i = 0; i < GetCount(); ++i) {
    if (selectedOnly && !(HandleAllocated() && Native(LB_GETSEL, static_cast<WPARAM>(i)) > 0)) continue;
    SetState(i, state);
  }
}

void TCustomElListBox::StatesMoved(int index1, int index2) {
  const auto swapAt = [&](auto& values, auto empty) {
    const size_t needed = static_cast<size_t>(std::max(index1, index2)) + 1;
    if (values.size() < needed) {
      // Nothing stored at either position: nothing to exchange.
      const bool first = static_cast<size_t>(index1) < values.size() && values[static_cast<size_t>(index1)] != empty;
      const bool second = static_cast<size_t>(index2) < values.size() && values[static_cast<size_t>(index2)] != empty;
      if (!first && !second) return;
      values.resize(needed, empty);
    }
    std::swap(values[static_cast<size_t>(index1)], values[static_cast<size_t>(index2)]);
  };
  swapAt(FCheckStates, static_cast<unsigned char>(cbUnchecked));
  swapAt(FImageIndexes, -1);
}

void TCustomElListBox::InvalidateRow(int index) {
  if (!HandleAllocated()) return;
  RECT row = ItemRect(index);
  if (!IsRectEmpty(&row)) InvalidateRect(FHandle, &row, FALSE);
}

void TCustomElListBox::SetImages(TImageList* value) {
  if (value == FImages) return;
  if (FImages != nullptr) RemoveFreeNotification(FImages);
  FImages = value;
  if (FImages != nullptr) {
    FreeNotification(FImages);
    AdjustItemHeight();
  }
  Invalidate();
}

int TCustomElListBox::ImageIndex(int index) const {
  if (index < 0 || index >= GetCount() || index >= static_cast<int>(FImageIndexes.size())) return -1;
  return FImageIndexes[static_cast<size_t>(index)];
}

void TCustomElListBox::SetImageIndex(int index, int value) {
  if (index < 0 || index >= GetCount()) return;
  if (index >= static_cast<int>(FImageIndexes.size())) FImageIndexes.resize(static_cast<size_t>(index) + 1, -1);
  FImageIndexes[static_cast<size_t>(index)] = value;
  InvalidateRow(index);
}

int TCustomElListBox::ItemData(int index) {
  return static_cast<int>(Native(LB_GETITEMDATA, static_cast<WPARAM>(index)));
}

void TCustomElListBox::SetItemData(int index, int value) {
  Native(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(value));
}

void TCustomElListBox::SetUseCustomScrollBars(bool value) {
  if (Store(FUseCustomScrollBars, value) && HandleAllocated()) RecreateWnd();
}

TElCtrlScrollBarStyles* TCustomElListBox::HorzScrollBarStyles() const { return FController->HorzScrollBarStyles(); }
TElCtrlScrollBarStyles* TCustomElListBox::VertScrollBarStyles() const { return FController->VertScrollBarStyles(); }

TElScrollHintNeededEvent TCustomElListBox::HorzScrollHintNeeded() const {
  return FController->HorzScrollBarStyles()->OnScrollHintNeeded;
}
void TCustomElListBox::SetHorzScrollHintNeeded(TElScrollHintNeededEvent value) {
  FController->HorzScrollBarStyles()->OnScrollHintNeeded = std::move(value);
}
TElScrollHintNeededEvent TCustomElListBox::VertScrollHintNeeded() const {
  return FController->VertScrollBarStyles()->OnScrollHintNeeded;
}
void TCustomElListBox::SetVertScrollHintNeeded(TElScrollHintNeededEvent value) {
  FController->VertScrollBarStyles()->OnScrollHintNeeded = std::move(value);
}

void TCustomElListBox::SetWideHint(const WideString& value) {
  FWideHint = value;
  SetHint(EncodeUnicodeHint(value));
}

void TCustomElListBox::SetUseXPThemes(bool value) {
  FController->SetUseXPThemes(value);
  TElXPThemedControl::SetUseXPThemes(value);
}

void TCustomElListBox::SetUseSelectedFont(bool value) {
  if (Store(FUseSelectedFont, value)) Invalidate();
}

void TCustomElListBox::SetFocusedSelectColor(TColor value) {
  if (Store(FFocusedSelectColor, value) && (FocusedNow() || !FHideSelection)) Invalidate();
}
void TCustomElListBox::SetFocusedSelectTextColor(TColor value) {
  if (Store(FFocusedSelectTextColor, value) && (FocusedNow() || !FHideSelection)) Invalidate();
}
void TCustomElListBox::SetHideSelection(bool value) {
  if (Store(FHideSelection, value)) Invalidate();
}
void TCustomElListBox::SetHideSelectColor(TColor value) {
  if (Store(FHideSelectColor, value) && !FocusedNow() && !FHideSelection) Invalidate();
}
void TCustomElListBox::SetHideSelectTextColor(TColor value) {
  if (Store(FHideSelectTextColor, value) && !FocusedNow() && !FHideSelection) Invalidate();
}
void TCustomElListBox::SetHighlightAlphaLevel(int value) {
  if (value < 0 || value > 255) return;
  if (Store(FHighlightAlphaLevel, value)) Invalidate();
}
void TCustomElListBox::SetInvertSelection(bool value) {
  if (Store(FInvertSelection, value) && SelCount() > 0) Invalidate();
}
void TCustomElListBox::SetTransparentSelection(bool value) {
  if (Store(FTransparentSelection, value) && SelCount() > 0) Invalidate();
}
void TCustomElListBox::SetBackground(TBitmap* value) {
  FBackground->Assign(value);
  if (FUseBackground) Invalidate();
}
void TCustomElListBox::SetUseBackground(bool value) {
  if (Store(FUseBackground, value)) Invalidate();
}
void TCustomElListBox::SetShowLineHint(bool value) {
  if (Store(FShowLineHint, value) && !value) CancelLineHint();
}

bool TCustomElListBox::FocusedNow() { return HandleAllocated() && GetFocus() == FHandle; }

void TCustomElListBox::Loaded() {
  TElXPThemedControl::Loaded();
  FLoading = false;
  if (FPendingItemIndex != -1) SetItemIndex(FPendingItemIndex);
  FPendingItemIndex = -1;
  if (HandleAllocated()) {
    UpdateItemHeight();
    RecreateWnd();
  }
}

// ---- rows and their geometry ----

int TCustomElListBox::ItemAtPos(POINT point, bool existing) {
  if (!HandleAllocated()) return existing ? -1 : GetCount();
  FlushStream();
  RECT client;
  GetClientRect(FHandle, &client);
  if (!PtInRect(&client, point)) return -1;
  const int count = GetCount();
  for (int i = TopIndex(); i < count; ++i) {
    RECT row{0, 0, 0, 0};
    if (Native(LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&row)) == LB_ERR) break;
    if (PtInRect(&row, point)) return i;
    if (row.top >= client.bottom) break;
  }
  return existing ? -1 : count;
}

RECT TCustomElListBox::ItemRect(int index) {
  RECT rect{0, 0, 0, 0};
  if (!HandleAllocated()) return rect;
  FlushStream();
  const int count = GetCount();
  if ((index >= 0 && index < count) || (index == 0 && count == 0)) {
    Native(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  } else if (index == count) {
    Native(LB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&rect));
    OffsetRect(&rect, 0, rect.bottom - rect.top);
  }
  return rect;
}

void TCustomElListBox::ResetHorizontalExtent() {
  FHorizontalExtent = 0;
  for (int i = 0; i < GetCount(); ++i) FHorizontalExtent = std::max(FHorizontalExtent, GetItemWidth(i));
  SetHorizontalExtent();
}

void TCustomElListBox::SetHorizontalExtent() {
  Native(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(FHorizontalExtent));
}

int TCustomElListBox::GetItemWidth(int index) {
  if (index < 0 || index >= GetCount()) return 0;
  const WideString text = FItems->Get(index);
  TCanvas* canvas = Canvas();
  int width = canvas->TextExtent(text + u"W").cx;
  if (FTabWidth > 0) {
    const int tabs = static_cast<int>(std::count(text.begin(), text.end(), u'\t'));
    if (tabs > 0) width += tabs * ElTabPixels(canvas->TextExtent(u"0").cx, FTabWidth);
  }
  return width;
}

void TCustomElListBox::UpdateItemHeight() {
  if (!HandleAllocated()) return;
  if (FStyle == lbOwnerDrawFixed || FStyle == lbOwnerDrawVariable) {
    Native(LB_SETITEMHEIGHT, 0, FItemHeight);
    return;
  }
  TEXTMETRICW metrics{};
  HDC dc = Canvas()->Handle();
  if (GetTextMetricsW(dc, &metrics)) {
    FItemHeight = metrics.tmHeight;
    // The native list took its row height when it was made; it follows now.
    Native(LB_SETITEMHEIGHT, 0, FItemHeight);
  }
}

void TCustomElListBox::AdjustItemHeight() {
  if (FImages == nullptr) return;
  int height = std::abs(FFont->Height());
  if (HandleAllocated()) {
    TEXTMETRICW metrics{};
    if (GetTextMetricsW(Canvas()->Handle(), &metrics)) height = metrics.tmHeight;
  }
  SetItemHeight(std::max(height + 2, FImages->Height()));
}

void TCustomElListBox::MeasureItem(int index, int& height) {
  if (OnMeasureItem) OnMeasureItem(this, index, height);
}

void TCustomElListBox::CNMeasureItem(TMessage& message) {
  auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
  int height = FItemHeight;
  if (FStyle == lbOwnerDrawVariable) MeasureItem(static_cast<int>(measure->itemID), height);
  measure->itemHeight = static_cast<UINT>(std::max(height, 1));
  message.Result = TRUE;
}

void TCustomElListBox::CMFontChanged(TMessage& message) {
  TElXPThemedControl::CMFontChanged(message);
  FItemCanvas->Font()->Assign(FFont.get());
  if (ParentFont()) {
    FSelectedFont->Assign(FFont.get());
    FSelectedFont->SetColor(clHighlightText);
  }
  if (HandleAllocated()) {
    UpdateItemHeight();
    if (FHorizontalScroll) ResetHorizontalExtent();
  }
}

void TCustomElListBox::Notification(TComponent* component, TOperation operation) {
  TElXPThemedControl::Notification(component, operation);
  if (operation == opRemove && component == FImages) {
    FImages = nullptr;
    Invalidate();
  }
}
