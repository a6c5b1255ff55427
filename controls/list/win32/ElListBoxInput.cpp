// The list box's input: row check box clicks, keyboard navigation with
// incremental search and its timeout, the line hint, focus and hover.
#include <windows.h>
// The input method's interface needs the platform's types first.
#include <imm.h>
#include <vsstyle.h>
#include <windowsx.h>

#include <memory>

#include "controls/base/win32/ElThemeLibrary.h"
#include "controls/list/win32/ElListBox.h"
#include "controls/list/win32/ElListBoxHintWindow.h"
#include "controls/list/win32/ElSearchTimeoutThread.h"
#include "framework/UnicodeHint.h"
#include "framework/win32/Application.h"

// ---- mouse ----

void TCustomElListBox::WMLButtonDown(TMessage& message) {
  if (FShowCheckBox && message.Msg == WM_LBUTTONDOWN &&
      ClickCheckBox(POINT{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)})) {
    // The press changed the box: it neither selects nor reaches the native list.
    message.Result = 0;
    return;
  }
  if (FDragMode != dmAutomatic || FDragState != TDragState::none) {
    TElXPThemedControl::Dispatch(message);
    return;
  }
  const POINT point{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  const TShiftState shift = KeysToShiftState(message.WParam);
  const bool ctrl = (shift & ssCtrl) != 0;
  const bool loneShift = (shift & ssShift) != 0 && !ctrl;
  if (FMultiSelect && !loneShift) {
    const int row = ItemAtPos(point, true);
    if (row >= 0 && Selected(row)) {
      // Dragging the selection away must not change it.
      BeginDrag(false);
      message.Result = 0;
      return;
    }
  }
  TElXPThemedControl::Dispatch(message);
  if (!(FMultiSelect && (ctrl || (shift & ssShift)))) BeginDrag(false);
}

bool TCustomElListBox::ClickCheckBox(POINT point) {
  const int row = ItemAtPos(point, true);
  if (row < 0) return false;
  const RECT rect = ItemRect(row);
  int boxWidth = 13;
  if (IsThemeApplied()) {
    SIZE part{};
    HDC dc = Canvas()->Handle();
    if (SUCCEEDED(TElThemeLibrary::GetThemePartSize(Theme(), dc, BP_CHECKBOX, CBS_UNCHECKEDNORMAL, nullptr, TS_TRUE,
                                                    &part)))
      boxWidth = part.cx;
  }
  const int offset = FImages != nullptr ? FImages->Width() + 2 : 0;
  if (!ElCheckBoxHit(point.x - rect.left, offset, boxWidth)) return false;
  SetState(row, ElNextCheckState(State(row), FAllowGrayed));
  TriggerCheckStateChange(row);
  TriggerCheckBoxChange(row, State(row));
  return true;
}

void TCustomElListBox::TriggerCheckStateChange(int index) {
  if (OnCheckStateChange) OnCheckStateChange(this, index);
}

void TCustomElListBox::TriggerCheckBoxChange(int index, TCheckBoxState state) {
  if (OnCheckBoxChange) OnCheckBoxChange(this, index, state);
}

void TCustomElListBox::WMScroll(TMessage& message) {
  const int bar = message.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ;
  if (!HandleAllocated() || !IsWindowVisible(FHandle) || LOWORD(message.WParam) == SB_ENDSCROLL) {
    TElXPThemedControl::Dispatch(message);
    return;
  }
  FlushStream();
  const int before = GetScrollPos(FHandle, bar);
  TElXPThemedControl::Dispatch(message);
  if (GetScrollPos(FHandle, bar) != before) {
    if (FFlat && (!ActiveLook() || FFlatFocusedScrollBars)) DrawFlatBorder();
    Invalidate();
  }
}

void TCustomElListBox::WMMouseWheel(TMessage& message) {
  FlushStream();
  TElXPThemedControl::WMMouseWheel(message);
  Invalidate();
}

void TCustomElListBox::WMSize(TMessage& message) {
  TElXPThemedControl::WMSize(message);
  Invalidate();
  if (IsThemeApplied() || (FFlat && FBorderStyle == bsSingle)) DrawFlatBorder();
}

// ---- keyboard and incremental search ----

void TCustomElListBox::WMKeyDown(TMessage& message) {
  const WORD key = static_cast<WORD>(message.WParam);
  TElXPThemedControl::WMKeyDown(message);
  if (key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN) Click();
  if (key == VK_SPACE || !HandleAllocated()) return;
  // The characters this key types are waiting in the queue and come as
  // WM_CHAR; a key that types nothing searches with the text as it is.
  MSG typed;
  if (PeekMessageW(&typed, FHandle, WM_CHAR, WM_DEADCHAR, PM_NOREMOVE)) return;
  AfterTypedText(WideString(), -1);
}

void TCustomElListBox::WMChar(TMessage& message) {
  auto key = static_cast<char16_t>(message.WParam);
  KeyPress(key);
  // The native list's own search would look at its empty placeholders.
  if (key == 0 || key == u' ') return;
  AfterTypedText(WideString(1, key), -1);
}

void TCustomElListBox::AfterTypedText(const WideString& text, int firstStart) {
  FKeyboardInput.FeedText(text);
  if (DoPerformSearch(FKeyboardInput.Buffer(), firstStart)) return;
  // One letter typed again and again steps through the rows it starts.
  const WideString buffer = FKeyboardInput.Buffer();
  const bool repeated = firstStart == -1 ? ElRepeatsOneCharacter(buffer)
                                         : buffer.size() == 2 && ElRepeatsOneCharacter(buffer);
  if (!repeated) return;
  FKeyboardInput.Clear();
  FKeyboardInput.FeedText(firstStart == -1 ? WideString(1, buffer[0]) : text);
  DoPerformSearch(FKeyboardInput.Buffer(), -1);
}

bool TCustomElListBox::DoPerformSearch(const WideString& text, int startIndex) {
  if (text.empty()) return false;
  const int before = ItemIndex();
  const int count = GetCount();
  const int start = ElSearchStartRow(startIndex, before, count);
  bool found = false;
  for (int i = start; i < count && !found; ++i)
    if (DoCompareItems(text, i)) {
      SetItemIndex(i);
      found = true;
    }
  for (int i = 0; i < count && !found && start > 0; ++i)
    if (DoCompareItems(text, i)) {
      SetItemIndex(i);
      found = true;
    }
  ArmSearchTimeout();
  if (ItemIndex() != before) Click();
  return found;
}

// Compared in UTF-16 with the control set's case table, so a row in any
// script is found by what was typed.
bool TCustomElListBox::DoCompareItems(const WideString& text, int index) {
  return ElRowStartsWith(FItems->Get(index), text);
}

void TCustomElListBox::ArmSearchTimeout() {
  const unsigned timeout = static_cast<unsigned>(std::max(FIncrementalSearchTimeout, 0));
  if (FSearchThread != nullptr) {
    FSearchThread->SetSleepTime(timeout);
    if (FSearchThread->KeepAlive()) return;
    // That thread is ending already; its end must not clear what comes now.
    FSearchLink->listBox = nullptr;
    FSearchThread = nullptr;
  }
  FSearchLink = std::make_shared<TElSearchLink>();
  FSearchLink->listBox = this;
  auto thread = std::make_unique<TSearchTextTimeoutThread>();
  thread->SetSleepTime(timeout);
  const std::shared_ptr<TElSearchLink> link = FSearchLink;
  thread->OnTerminate = [link](TObject*) {
    if (link->listBox != nullptr) link->listBox->SearchTextTimeout();
  };
  FSearchThread = thread.release();
  FSearchThread->Resume();
}

void TCustomElListBox::SearchTextTimeout() {
  FSearchThread = nullptr;
  if (FSearchLink) FSearchLink->listBox = nullptr;
  FKeyboardInput.Clear();
}

void TCustomElListBox::StopSearchThread() {
  if (FSearchThread == nullptr) return;
  FSearchLink->listBox = nullptr;
  FSearchThread->Cancel();
  FSearchThread = nullptr;
}

void TCustomElListBox::WMImeComposition(TMessage& message) {
  if (!(message.LParam & GCS_RESULTSTR) || !HandleAllocated()) {
    TElXPThemedControl::Dispatch(message);
    return;
  }
  HIMC context = ImmGetContext(FHandle);
  if (context == nullptr) {
    TElXPThemedControl::Dispatch(message);
    return;
  }
  WideString text;
  const LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
  if (bytes > 0) {
    text.resize(static_cast<size_t>(bytes) / sizeof(char16_t));
    ImmGetCompositionStringW(context, GCS_RESULTSTR, text.data(), static_cast<DWORD>(bytes));
  }
  ImmReleaseContext(FHandle, context);
  AfterTypedText(text, 0);
  message.Result = 0;
}

// The composition is shown in the list's font, over the list from the
// current row's corner.
void TCustomElListBox::WMImeStartComposition(TMessage& message) {
  if (HandleAllocated()) {
    if (HIMC context = ImmGetContext(FHandle)) {
      LOGFONTW font{};
      if (GetObjectW(Canvas()->Font()->Handle(), sizeof font, &font) == sizeof font)
        ImmSetCompositionFontW(context, &font);
      RECT client;
      GetClientRect(FHandle, &client);
      const RECT current = ItemRect(std::max(ItemIndex(), 0));
      COMPOSITIONFORM form{};
      form.dwStyle = CFS_RECT;
      form.ptCurrentPos = POINT{current.left, current.top};
      form.rcArea = client;
      ImmSetCompositionWindow(context, &form);
      ImmReleaseContext(FHandle, context);
    }
  }
  TElXPThemedControl::Dispatch(message);
}

// ---- line hint ----

void TCustomElListBox::MouseMove(TShiftState shift, int x, int y) {
  TElXPThemedControl::MouseMove(shift, x, y);
  LineHintMove(y);
}

void TCustomElListBox::LineHintMove(int y) {
  const int row = ElRowAtY(HandleAllocated() ? TopIndex() : -1, y, ItemHeight());
  if (row == FHintRow) return;
  CancelLineHint();
  if (FShowLineHint && row >= 0 && row < GetCount()) {
    FHintRow = row;
    StartTimer(kHintTimer, static_cast<UINT>(Application->HintPause()));
  } else {
    FHintRow = -1;
  }
}

void TCustomElListBox::LineHintTimer() {
  StopTimer(kHintTimer);
  if (FHintWindow != nullptr) {
    CancelLineHint();
    return;
  }
  POINT cursor;
  GetCursorPos(&cursor);
  const int row = ItemAtPos(ScreenToClient(cursor), true);
  if (row >= 0 && GetItemWidth(row) < ClientWidth()) {
    FHintRow = -1;
    return;
  }
  if (row < 0 || row != FHintRow) {
    FHintRow = row;
    if (row >= 0) StartTimer(kHintTimer, static_cast<UINT>(Application->HintPause()));
    return;
  }
  FHintWindow = CreateHintWindow();
  const TColor hintTextColor = FHintWindow->Font()->Color();
  FHintWindow->Font()->Assign(FFont.get());
  FHintWindow->Font()->SetColor(hintTextColor);
  FHintWindow->SetColor(FColor);
  const std::string hint = EncodeUnicodeHint(FItems->Get(row));
  RECT bounds = FHintWindow->CalcHintRect(10000, hint);
  const RECT rowRect = ItemRect(row);
  const POINT corner = ClientToScreen(POINT{rowRect.left, rowRect.top});
  OffsetRect(&bounds, corner.x - 3, corner.y - 3);
  FHintWindow->ActivateHint(bounds, hint);
  FHintWindow->OnHidden = [this](TObject*) {
    // Hidden by someone else: the hint is over, and the window goes once
    // its own message has been handled.
    StopTimer(kHintTimer);
    PostMessageW(FHandle, kCancelHintMessage, 0, 0);
  };
  StartTimer(kHintTimer, static_cast<UINT>(Application->HintHidePause()));
}

TElListBoxHintWindow* TCustomElListBox::CreateHintWindow() { return new TElListBoxHintWindow(this); }

void TCustomElListBox::CancelLineHint() {
  StopTimer(kHintTimer);
  if (FHintWindow == nullptr) return;
  TElListBoxHintWindow* window = FHintWindow;
  FHintWindow = nullptr;
  window->OnHidden = nullptr;
  delete window;
}

// ---- focus and hover ----

void TCustomElListBox::FocusChangedRepaint() {
  if (FFlat && !FHover) DrawFlatBorder();
  if ((FFlat && FShowCheckBox) || FHideSelection || FHideSelectColor != FFocusedSelectColor ||
      FHideSelectTextColor != FFocusedSelectTextColor)
    Invalidate();
}

void TCustomElListBox::WMSetFocus(TMessage& message) {
  TElXPThemedControl::WMSetFocus(message);
  FocusChangedRepaint();
}

void TCustomElListBox::WMKillFocus(TMessage& message) {
  TElXPThemedControl::WMKillFocus(message);
  FocusChangedRepaint();
}

void TCustomElListBox::HoverChanged(bool hover) {
  FHover = hover;
  if (IsThemeApplied() || (FFlat && !FocusedNow())) DrawFlatBorder();
  if (FFlat && FShowCheckBox) Invalidate();
}

void TCustomElListBox::CMMouseEnter(TMessage& message) {
  TElXPThemedControl::CMMouseEnter(message);
  HoverChanged(true);
}

void TCustomElListBox::CMMouseLeave(TMessage& message) {
  TElXPThemedControl::CMMouseLeave(message);
  HoverChanged(false);
}
