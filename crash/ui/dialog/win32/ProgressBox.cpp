#include "crash/ui/dialog/win32/ProgressBox.h"
#include "platform/win32/PlainWindowClass.h"

#include <commctrl.h>

#include <cmath>

#include "crash/ui/dialog/win32/DialogPictures.h"
#include "platform/win32/HandleOwners.h"

namespace {

const char kClassName[] = "OstrelProgressBox";
constexpr int kWidth = 360, kHeight = 84;


}  // namespace

TProgressBox::TProgressBox(const std::string& title, const char* picture, HWND owner) : FPicture(picture) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  RegisterPlainWindowClass(kClassName, IDC_WAIT);
  RECT frame{0, 0, kWidth, kHeight};
  const DWORD style = WS_POPUP | WS_CAPTION | WS_BORDER;
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOPMOST | WS_EX_DLGMODALFRAME);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  FWindow = CreateWindowExA(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, kClassName, title.c_str(), style,
                            (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                            width, height, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (FWindow == nullptr) return;
  SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(FWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TProgressBox::WindowProc));
  FFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  FText = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 54, 14, kWidth - 66, 18,
                          FWindow, nullptr, GetModuleHandleA(nullptr), nullptr);
  FBar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 54, 44, kWidth - 66, 16, FWindow, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
  SendMessageA(FText, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
  SendMessageA(FBar, PBM_SETRANGE32, 0, kBarRange);
  ShowWindow(FWindow, SW_SHOWNOACTIVATE);
  Update();
}

TProgressBox::~TProgressBox() {
  if (FWindow != nullptr) DestroyWindow(FWindow);
}

LRESULT CALLBACK TProgressBox::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<TProgressBox*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == WM_PAINT && box != nullptr) {
    TPaintScope paint(window);
    DrawPicture(paint.Get(), box->FPicture, 12, 14);
    return 0;
  }
  if (message == WM_CLOSE) return 0;  // the box goes when its work is done
  return DefWindowProcA(window, message, wParam, lParam);
}

void TProgressBox::Update() {
  if (FWindow == nullptr) return;
  const std::string text = FSteps.Text();
  if (ShownText() != text) SetWindowTextA(FText, text.c_str());
  SendMessageA(FBar, PBM_SETPOS, static_cast<WPARAM>(std::lround(FSteps.Position() * kBarRange)), 0);
  Pump();
}

void TProgressBox::Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int TProgressBox::BarPosition() const {
  return FBar != nullptr ? static_cast<int>(SendMessageA(FBar, PBM_GETPOS, 0, 0)) : 0;
}

std::string TProgressBox::ShownText() const {
  char text[512] = "";
  if (FText != nullptr) GetWindowTextA(FText, text, sizeof text);
  return text;
}
