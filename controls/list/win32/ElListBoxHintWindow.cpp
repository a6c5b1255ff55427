#include "controls/list/win32/ElListBoxHintWindow.h"

#include "framework/UnicodeHint.h"

namespace {
constexpr UINT kTextFlags = DT_LEFT | DT_SINGLELINE | DT_NOPREFIX;
}

RECT TElListBoxHintWindow::CalcHintRect(int maxWidth, const std::string& hint) {
  const WideString text = HintToWide(hint);
  RECT rect{0, 0, maxWidth, 0};
  Canvas()->Font()->Assign(Font());
  HDC dc = GetDC(nullptr);
  Canvas()->SetHandle(dc);
  Canvas()->DrawText(text, rect, kTextFlags | DT_CALCRECT);
  Canvas()->SetHandle(nullptr);
  ReleaseDC(nullptr, dc);
  if (rect.right > maxWidth) rect.right = maxWidth;
  // Room for the border and a little space around the text.
  rect.right += 6;
  rect.bottom += 2;
  return rect;
}

void TElListBoxHintWindow::ActivateHint(const RECT& rect, const std::string& hint) {
  FWideText = HintToWide(hint);
  THintWindow::ActivateHint(rect, hint);
}

void TElListBoxHintWindow::Paint() {
  RECT rect = ClientRect();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(rect);
  rect.left += 2;
  rect.right -= 2;
  Canvas()->Brush()->SetStyle(bsClear);
  Canvas()->DrawText(FWideText, rect, kTextFlags | DT_VCENTER);
}

void TElListBoxHintWindow::WndProc(TMessage& message) {
  THintWindow::WndProc(message);
  if (message.Msg == WM_SHOWWINDOW && message.WParam == 0 && OnHidden) {
    const TNotifyEvent handler = OnHidden;
    handler(this);
  }
}
