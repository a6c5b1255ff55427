// The edit and the input method: the composition window placed at the
// caret in the edit's font, and the result string typed into the text.
#include <windows.h>
#include <imm.h>

#include <algorithm>

#include "controls/edit/ElEditModel.h"
#include "controls/edit/win32/ElEdit.h"

namespace {

using TImmGetCompositionStringW = LONG(WINAPI*)(HIMC, DWORD, LPVOID, DWORD);

// Looked up at run time: the wide query is missing before NT.
TImmGetCompositionStringW WideCompositionQuery() {
  static const TImmGetCompositionStringW function = [] {
    HMODULE imm = GetModuleHandleW(L"imm32.dll");
    if (imm == nullptr) imm = LoadLibraryW(L"imm32.dll");
    return imm != nullptr ? reinterpret_cast<TImmGetCompositionStringW>(
                              reinterpret_cast<void*>(GetProcAddress(imm, "ImmGetCompositionStringW")))
                          : nullptr;
  }();
  return function;
}

// The input context of a window, released with the owner.
class TInputContext {
 public:
  explicit TInputContext(HWND window) : FWindow(window), FContext(ImmGetContext(window)) {}
  ~TInputContext() {
    if (FContext != nullptr) ImmReleaseContext(FWindow, FContext);
  }
  TInputContext(const TInputContext&) = delete;
  TInputContext& operator=(const TInputContext&) = delete;
  HIMC Get() const { return FContext; }

 private:
  HWND FWindow;
  HIMC FContext;
};

}  // namespace

bool TCustomElEdit::ImeMessage(TMessage& message) {
  if (message.Msg == WM_IME_STARTCOMPOSITION) {
    ImeStartComposition();
    TElXPThemedControl::Dispatch(message);
    return true;
  }
  if (message.Msg == WM_IME_COMPOSITION && (message.LParam & GCS_RESULTSTR) != 0) {
    ImeResult();
    message.Result = 0;
    return true;
  }
  return false;
}

void TCustomElEdit::ImeStartComposition() {
  TInputContext context(FHandle);
  if (context.Get() == nullptr) return;
  LOGFONTW font{};
  if (GetObjectW(FFont->Handle(), sizeof font, &font) != 0) ImmSetCompositionFontW(context.Get(), &font);
  const TElTextRect& edit = FModel->EditRect();
  const TElPixelPoint caret = FModel->PosFromCaret(FModel->CaretX(), FModel->CaretY());
  COMPOSITIONFORM form{};
  form.dwStyle = CFS_RECT;
  form.ptCurrentPos = POINT{caret.X, caret.Y};
  form.rcArea = RECT{edit.Left + FModel->LeftMargin(), edit.Top, edit.Right - FModel->RightMargin(), edit.Bottom};
  ImmSetCompositionWindow(context.Get(), &form);
}

void TCustomElEdit::ImeResult() {
  if (FModel->ReadOnly()) return;
  TInputContext context(FHandle);
  if (context.Get() == nullptr) return;
  WideString text;
  if (const TImmGetCompositionStringW query = WideCompositionQuery()) {
    const LONG bytes = query(context.Get(), GCS_RESULTSTR, nullptr, 0);
    if (bytes > 0) {
      text.resize(static_cast<size_t>(bytes) / sizeof(char16_t));
      query(context.Get(), GCS_RESULTSTR, text.data(), static_cast<DWORD>(bytes));
    }
  }
  const size_t zero = text.find(char16_t(0));
  if (zero != WideString::npos) text.erase(zero);
  FModel->InsertComposed(text);
}
