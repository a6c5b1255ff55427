// The edit's keyboard: what it claims of the dialog keys, the translation of
// a key into the wide text its character will insert (dead keys included),
// and the command keys that move the caret, select and edit.
#include <windows.h>

#include "controls/edit/ElEditModel.h"
#include "controls/edit/win32/ElEdit.h"
#include "controls/edit/win32/ElEditDeadKeys.h"

namespace {

using TToUnicode = int(WINAPI*)(UINT, UINT, const BYTE*, LPWSTR, int, UINT);

// Looked up at run time: platforms before NT have no wide translation.
TToUnicode ToUnicodeFunction() {
  static const TToUnicode function = [] {
    HMODULE user = GetModuleHandleW(L"user32.dll");
    return user != nullptr ? reinterpret_cast<TToUnicode>(reinterpret_cast<void*>(GetProcAddress(user, "ToUnicode"))) : nullptr;
  }();
  return function;
}

bool IsNavigationKey(WORD key) {
  return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN || key == VK_PRIOR ||
         key == VK_NEXT || key == VK_HOME || key == VK_END;
}

}  // namespace

void TCustomElEdit::WMGetDlgCode(TMessage& message) {
  TElXPThemedControl::WMGetDlgCode(message);
  message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
  message.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
  if (FModel->WantTabs()) message.Result |= DLGC_WANTTAB;
  if (FHandleDialogKeys || (FModel->Multiline() && FModel->WantReturns())) message.Result |= DLGC_WANTALLKEYS;
}

void TCustomElEdit::WMKeyDown(TMessage& message) {
  const WORD key = static_cast<WORD>(message.WParam);
  if (key == VK_RETURN && FModel->Multiline() && GetKeyState(VK_CONTROL) < 0) {
    // Ctrl+Enter reaches a multi-line edit as the character only.
    Perform(WM_CHAR, message.WParam, message.LParam);
    message.Result = 0;
    return;
  }
  const bool translated = TranslateKey(message);
  TElXPThemedControl::WMKeyDown(message);
  if (translated) {
    message.WParam = 0;
    message.Result = 0;
  }
}

// Fills the pending wide text from the key; true when the key gave characters.
bool TCustomElEdit::TranslateKey(TMessage& message) {
  const WORD key = static_cast<WORD>(message.WParam);
  if (key == VK_BACK || key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE) return false;
  const TToUnicode toUnicode = ToUnicodeFunction();
  BYTE state[256];
  if (toUnicode == nullptr || !GetKeyboardState(state) || (state[VK_CONTROL] & 0x80) != 0) return false;
  wchar_t buffer[5] = {};
  const UINT scan = (static_cast<UINT>(message.LParam) >> 16) & 0xFF;
  const int count = toUnicode(key, scan, state, buffer, 5, 0);
  if (count <= 0) return false;
  const WideString typed(reinterpret_cast<const char16_t*>(buffer), static_cast<size_t>(count));
  if (count == 1 && FDeadChar != 0) {
    const unsigned char dead = static_cast<unsigned char>(FDeadChar);
    wchar_t deadWide = 0;
    MultiByteToWideChar(CP_ACP, 0, &FDeadChar, 1, &deadWide, 1);
    WideString composed;
    const TElDeadKeyResult result = ElComposeDeadKey(dead, static_cast<char16_t>(deadWide), typed[0], composed);
    if (result == TElDeadKeyResult::Replace || result == TElDeadKeyResult::Both) FModel->SetPendingWideText(composed);
    FDeadChar = 0;
  } else if (count == 1) {
    FModel->SetPendingWideText(typed);
  } else {
    FModel->SetPendingWideText(typed);
    if (FDeadChar != 0) {
      if (FDeadCount == 0) {
        ++FDeadCount;
      } else {
        Perform(WM_CHAR, static_cast<unsigned char>(FDeadChar), 0);
        FDeadChar = 0;
        FDeadCount = 0;
      }
    }
  }
  return true;
}

void TCustomElEdit::KeyPress(char16_t& key) {
  TElXPThemedControl::KeyPress(key);
  if (key == 0) return;
  FModel->KeyPress(key);
  key = 0;
}

void TCustomElEdit::KeyDown(WORD& key, TShiftState shift) {
  TElXPThemedControl::KeyDown(key, shift);
  if (key == 0 || FModel->MouseSelecting()) return;
  if (!FModel->Multiline()) {
    // One row: the vertical keys act along it.
    if (key == VK_PRIOR) key = VK_HOME;
    else if (key == VK_NEXT) key = VK_END;
    else if (key == VK_UP) key = VK_LEFT;
    else if (key == VK_DOWN) key = VK_RIGHT;
  }
  if (FModel->RightAlignedText()) {
    if (key == VK_HOME) key = VK_END;
    else if (key == VK_END) key = VK_HOME;
    else if (key == VK_LEFT) key = VK_RIGHT;
    else if (key == VK_RIGHT) key = VK_LEFT;
  }
  if (NavigationKey(key, shift) || EditingKey(key, shift)) key = 0;
}

bool TCustomElEdit::NavigationKey(WORD key, TShiftState shift) {
  if (!IsNavigationKey(key)) return false;
  const bool ctrl = (shift & ssCtrl) != 0;
  const bool extend = (shift & ssShift) != 0;
  if (!extend) FModel->UnSelect();
  MoveCaretBy(key, ctrl);
  AfterCaretMove(extend);
  return true;
}

void TCustomElEdit::MoveCaretBy(WORD key, bool ctrl) {
  TElEditModel& model = *FModel;
  const TElEditPoint caret = model.GetCaretXY();
  const int lastRow = model.GetLinesCount() - 1;
  if (ctrl && (key == VK_LEFT || key == VK_RIGHT)) {
    // Word moves; the previous word is looked for from the column left of the caret.
    model.SetCaretXY(key == VK_LEFT ? model.GetPrevWord({caret.X - 1, caret.Y}) : model.GetNextWord(caret));
    return;
  }
  if (ctrl && (key == VK_HOME || key == VK_END)) {
    if (key == VK_HOME) model.SetCaretXY({0, 0});
    else model.SetCaretXY({model.Lines().RowLength(lastRow), lastRow});
    return;
  }
  switch (key) {
    case VK_LEFT: model.SetCaretX(caret.X - 1); break;
    case VK_RIGHT: model.SetCaretX(caret.X + 1); break;
    case VK_UP: model.SetCaretY(caret.Y - 1); break;
    case VK_DOWN: model.SetCaretY(caret.Y + 1); break;
    case VK_PRIOR: model.SetCaretY(caret.Y - model.VisibleRows()); break;
    case VK_NEXT: model.SetCaretY(caret.Y + model.VisibleRows()); break;
    case VK_HOME: model.SetCaretX(0); break;
    case VK_END: model.SetCaretXEnd(model.Lines().RowLength(caret.Y)); break;
    default: break;
  }
}

// With Shift the selection runs from the anchor to the moved caret (no
// selection event); without, the anchor follows the caret.
void TCustomElEdit::AfterCaretMove(bool extend) {
  TElEditModel& model = *FModel;
  if (extend) model.SetSelection(model.CaretX(), model.CaretY());
  else model.SetAnchor(model.GetCaretXY());
  InvalidateText();
}

bool TCustomElEdit::EditingKey(WORD key, TShiftState shift) {
  TElEditModel& model = *FModel;
  const bool ctrl = (shift & ssCtrl) != 0;
  const bool shifted = (shift & ssShift) != 0;
  switch (key) {
    case VK_BACK:
      if (ctrl) model.BackspaceWord();
      else model.Backspace();
      return true;
    case VK_DELETE:
      if (ctrl) model.DeleteWord();
      else if (shifted) model.UserCut();
      else model.DeleteChar();
      return true;
    case VK_INSERT:
      if (ctrl) model.CopyToClipboard();
      else if (shifted) model.UserPaste();
      else return false;
      return true;
    case VK_TAB:
      if (ctrl) return false;
      model.InsertTab();
      return true;
    case VK_RETURN: EnterKey(); return true;
    case VK_ESCAPE: return true;
    default: break;
  }
  if (!ctrl || shifted) return false;
  switch (key) {
    case 'C': model.CopyToClipboard(); return true;
    case 'X': model.UserCut(); return true;
    case 'V': model.UserPaste(); return true;
    case 'Z': model.UserUndo(); return true;
    case 'A': model.SelectAll(); return true;
    default: return false;
  }
}

void TCustomElEdit::EnterKey() {
  TElEditModel& model = *FModel;
  if (model.Multiline()) {
    if (model.ReadOnly()) return;
    // The two characters of the line break must fit.
    if (model.MaxLength() > 0 && model.Lines().TextLength() > model.MaxLength() - 2) return;
    model.InsertLineBreak();
    return;
  }
  model.SetModified(true);
  model.DoChange();
  model.Change();
  model.TriggerSelectionChangeEvent();
}
