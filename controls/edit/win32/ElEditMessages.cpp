// The platform's text and edit messages, each translated into a call of the
// edit model. Texts are UTF-16 (the platform converts for narrow senders);
// pointers from the sender are checked before use.
#include <algorithm>
#include <cstring>

#include "controls/edit/ElEditModel.h"
#include "controls/edit/win32/ElEdit.h"

namespace {
WideString TextAt(LPARAM lParam) {
  const auto* text = reinterpret_cast<const char16_t*>(lParam);
  return text != nullptr ? WideString(text) : WideString();
}

// Copies at most capacity units of text to the sender's buffer.
int CopyOut(const WideString& text, LPARAM buffer, size_t capacity) {
  const size_t count = std::min(text.size(), capacity);
  std::memcpy(reinterpret_cast<char16_t*>(buffer), text.data(), count * sizeof(char16_t));
  return static_cast<int>(count);
}

void Store(WPARAM target, int value) {
  if (target != 0) *reinterpret_cast<DWORD*>(target) = static_cast<DWORD>(value);
}
}  // namespace

bool TCustomElEdit::TextMessage(TMessage& message) {
  TElEditModel& model = *FModel;
  switch (message.Msg) {
    case WM_SETTEXT:
      // wParam 1 marks wide text; on this window every text is wide.
      message.Result = model.WmSetText(TextAt(message.LParam));
      return true;
    case WM_GETTEXT: {
      message.Result = 0;
      if (!model.WmGetTextAllowed() || message.WParam == 0 || message.LParam == 0) return true;
      const int copied = CopyOut(model.GetText(), message.LParam, message.WParam - 1);
      reinterpret_cast<char16_t*>(message.LParam)[copied] = 0;
      message.Result = copied;
      return true;
    }
    case WM_GETTEXTLENGTH:
      // A text that may not be read has no length to tell either.
      message.Result = model.WmGetTextAllowed() ? static_cast<LRESULT>(model.GetText().size()) : 0;
      return true;
    case WM_CUT: model.CutToClipboard(); return true;
    case WM_COPY: model.CopyToClipboard(); return true;
    case WM_PASTE: model.PasteFromClipboard(); return true;
    case WM_CLEAR: model.WmClear(); return true;
    default: return false;
  }
}

bool TCustomElEdit::EditMessage(TMessage& message) {
  return SelectionMessage(message) || LineMessage(message) || ScrollMessage(message);
}

bool TCustomElEdit::SelectionMessage(TMessage& message) {
  TElEditModel& model = *FModel;
  switch (message.Msg) {
    case EM_GETSEL: {
      int start = 0;
      int end = 0;
      message.Result = static_cast<LRESULT>(model.EmGetSel(&start, &end));
      Store(message.WParam, start);
      Store(static_cast<WPARAM>(message.LParam), end);
      return true;
    }
    case EM_SETSEL:
      model.EmSetSel(static_cast<int>(message.WParam), static_cast<int>(message.LParam));
      return true;
    case EM_REPLACESEL:
      if (message.LParam != 0) model.EmReplaceSel(message.WParam != 0, TextAt(message.LParam));
      return true;
    case EM_CANUNDO: message.Result = model.EmCanUndo() ? 1 : 0; return true;
    case EM_UNDO: message.Result = model.EmUndo() ? 1 : 0; return true;
    default: return false;
  }
}

bool TCustomElEdit::LineMessage(TMessage& message) {
  TElEditModel& model = *FModel;
  switch (message.Msg) {
    case EM_GETLINE: {
      message.Result = 0;
      WideString line;
      if (message.LParam == 0 || !model.EmGetLine(static_cast<int>(message.WParam), line)) return true;
      // The buffer's first word holds its capacity in characters.
      const WORD capacity = *reinterpret_cast<const WORD*>(message.LParam);
      message.Result = CopyOut(line, message.LParam, capacity);
      return true;
    }
    case EM_GETLINECOUNT: message.Result = model.EmGetLineCount(); return true;
    case EM_LINEINDEX: message.Result = model.EmLineIndex(static_cast<int>(message.WParam)); return true;
    case EM_LINEFROMCHAR: message.Result = model.EmLineFromChar(static_cast<int>(message.WParam)); return true;
    case EM_POSFROMCHAR:
      message.Result = static_cast<LRESULT>(model.EmPosFromChar(static_cast<int>(message.WParam)));
      return true;
    case EM_SETRECT:
    case EM_SETRECTNP:
      // No rectangle: back to the client area.
      SetEditRectFrom(reinterpret_cast<const RECT*>(message.LParam));
      if (message.Msg == EM_SETRECT) Invalidate();
      return true;
    default: return false;
  }
}

bool TCustomElEdit::ScrollMessage(TMessage& message) {
  TElEditModel& model = *FModel;
  switch (message.Msg) {
    case EM_GETFIRSTVISIBLELINE: message.Result = model.EmGetFirstVisibleLine(); return true;
    case EM_SCROLL: {
      message.Result = 0;
      if (message.WParam > SB_PAGEDOWN) return true;
      const int before = model.TopLine();
      model.EmScroll(static_cast<TElEditScrollDir>(message.WParam));
      // As the platform's edit answers: TRUE and the rows moved.
      message.Result = MAKELRESULT(static_cast<WORD>(model.TopLine() - before), TRUE);
      return true;
    }
    case EM_LINESCROLL:
      model.EmLineScroll(static_cast<int>(message.LParam));
      message.Result = TRUE;
      return true;
    case EM_SCROLLCARET:
      model.ScrollCaret();
      message.Result = TRUE;
      return true;
    default: return false;
  }
}

void TCustomElEdit::WMScroll(TMessage& message) {
  message.Result = 0;
  if (LOWORD(message.WParam) > SB_ENDSCROLL) return;
  // The model's codes are the platform's, in its order.
  const auto code = static_cast<TElEditScrollCode>(LOWORD(message.WParam));
  const int position = HIWORD(message.WParam);
  if (message.Msg == WM_VSCROLL) FModel->VertScroll(code, position);
  else FModel->HorzScroll(code, position);
  UpdateScrollInfo();
}
