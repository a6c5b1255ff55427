#include "controls/list/win32/ElScrollHintWindow.h"

#include "platform/win32/HandleOwners.h"

namespace {
constexpr wchar_t kClassName[] = L"TElScrollHintWindow";

bool RegisterOnce() {
  static const bool registered = [] {
    WNDCLASSW windowClass{};
    windowClass.style = CS_SAVEBITS;
    windowClass.lpfnWndProc = DefWindowProcW;  // replaced per window below
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    return RegisterClassW(&windowClass) != 0;
  }();
  return registered;
}

HFONT HintFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  static TGdiObject<HFONT> font(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)
                                    ? CreateFontIndirectW(&metrics.lfStatusFont)
                                    : nullptr);
  return font.Get() != nullptr ? font.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}
}  // namespace

TElScrollHintWindow::~TElScrollHintWindow() {
  if (FWindow != nullptr) DestroyWindow(FWindow);
}

void TElScrollHintWindow::ShowAt(POINT screen, const WideString& text, TColor color, TColor textColor) {
  if (FWindow == nullptr) {
    if (!RegisterOnce()) return;
    FWindow = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName, L"",
                              WS_POPUP | WS_BORDER, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
    if (FWindow == nullptr) return;
    SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(FWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
  }
  FText = text;
  SetWindowTextW(FWindow, reinterpret_cast<LPCWSTR>(FText.c_str()));
  FColor = ColorToRGB(color);
  FTextColor = ColorToRGB(textColor);
  SIZE extent{0, 0};
  {
    TWindowDC dc(FWindow);
    TSelectedObject font(dc.Get(), HintFont());
    GetTextExtentPoint32W(dc.Get(), reinterpret_cast<LPCWSTR>(FText.c_str()), static_cast<int>(FText.size()),
                          &extent);
  }
  SetWindowPos(FWindow, HWND_TOPMOST, screen.x, screen.y, extent.cx + 8, extent.cy + 4,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(FWindow, nullptr, TRUE);
  UpdateWindow(FWindow);
}

void TElScrollHintWindow::Hide() {
  if (FWindow != nullptr) ShowWindow(FWindow, SW_HIDE);
}

void TElScrollHintWindow::PaintText(HDC dc) {
  RECT client;
  GetClientRect(FWindow, &client);
  TGdiObject<HBRUSH> brush(CreateSolidBrush(FColor));
  FillRect(dc, &client, brush.Get());
  TSelectedObject font(dc, HintFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, FTextColor);
  DrawTextW(dc, reinterpret_cast<LPCWSTR>(FText.c_str()), static_cast<int>(FText.size()), &client,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT CALLBACK TElScrollHintWindow::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TElScrollHintWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (msg) {
    case WM_PAINT: {
      TPaintScope paint(window);
      if (self != nullptr) self->PaintText(paint.Get());
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_NCHITTEST: return HTTRANSPARENT;
    default: return DefWindowProcW(window, msg, wParam, lParam);
  }
}
