#include "framework/win32/HintWindow.h"

#include "framework/UnicodeHint.h"
#include "platform/CodePage.h"

// A hint in the Unicode encoding is split in its wide text and encoded again.
std::string GetShortHint(const std::string& hint) {
  WideString wide;
  if (DecodeUnicodeHint(hint, wide)) {
    const size_t bar = wide.find(u'|');
    return bar == WideString::npos ? hint : EncodeUnicodeHint(wide.substr(0, bar));
  }
  const size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(0, bar);
}

std::string GetLongHint(const std::string& hint) {
  WideString wide;
  if (DecodeUnicodeHint(hint, wide)) {
    const size_t bar = wide.find(u'|');
    return bar == WideString::npos ? hint : EncodeUnicodeHint(wide.substr(bar + 1));
  }
  const size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

namespace {
// The system's status and tooltip font.
void UseStatusFont(TFont* font) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
  font->SetName(reinterpret_cast<const char16_t*>(metrics.lfStatusFont.lfFaceName));
  font->SetHeight(metrics.lfStatusFont.lfHeight);
}

constexpr UINT kTextFlags = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX;
}  // namespace

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  FVisible = false;
  FParentFont = false;
  FCaptureOnPress = false;
  SetColor(clInfoBk);
  UseStatusFont(FFont.get());
  FFont->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  params.WndParent = nullptr;
  params.ClassStyle |= CS_SAVEBITS;
}

RECT THintWindow::CalcHintRect(int maxWidth, const std::string& hint) {
  const WideString text = NarrowToWide(NarrowHintPart(hint));
  RECT rect{0, 0, maxWidth, 0};
  Canvas()->Font()->Assign(FFont.get());
  HDC dc = GetDC(nullptr);
  {
    Canvas()->SetHandle(dc);
    Canvas()->DrawText(text, rect, kTextFlags | DT_CALCRECT);
    Canvas()->SetHandle(nullptr);
  }
  ReleaseDC(nullptr, dc);
  // Room for the border and a little space around the text.
  rect.right += 6;
  rect.bottom += 2;
  return rect;
}

void THintWindow::ActivateHint(const RECT& rect, const std::string& hint) {
  FShown = NarrowToWide(NarrowHintPart(hint));
  RECT placed = rect;
  // Kept on the screen.
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  if (placed.right > screenWidth) OffsetRect(&placed, screenWidth - placed.right, 0);
  if (placed.bottom > screenHeight) OffsetRect(&placed, 0, screenHeight - placed.bottom);
  if (placed.left < 0) OffsetRect(&placed, -placed.left, 0);
  if (placed.top < 0) OffsetRect(&placed, 0, -placed.top);
  SetBounds(placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top);
  FVisible = true;
  SetWindowPos(Handle(), HWND_TOPMOST, placed.left, placed.top, placed.right - placed.left,
               placed.bottom - placed.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::ReleaseHandle() {
  FVisible = false;
  if (HandleAllocated()) ShowWindow(FHandle, SW_HIDE);
}

bool THintWindow::Showing() { return HandleAllocated() && IsWindowVisible(FHandle); }

void THintWindow::Paint() {
  RECT rect = ClientRect();
  Canvas()->Brush()->SetColor(FColor);
  Canvas()->FillRect(rect);
  rect.left += 2;
  Canvas()->Brush()->SetStyle(bsClear);
  Canvas()->Font()->Assign(FFont.get());
  Canvas()->DrawText(FShown, rect, kTextFlags);
}

void THintWindow::WMNCHitTest(TMessage& message) {
  // The mouse goes through to what lies below.
  message.Result = HTTRANSPARENT;
}
