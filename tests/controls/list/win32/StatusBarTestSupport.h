#pragma once
// A form with a status bar along its bottom edge, and pictures of a control's
// client area painted into a bitmap. Main thread of the tests.
#include <windows.h>

#include <functional>
#include <vector>

#include "controls/list/win32/ElStatusBar.h"
#include "framework/win32/Application.h"
#include "framework/win32/Form.h"

// The client area of a window as its WM_PRINTCLIENT paints it, 32 bits a pixel.
class TClientPicture {
 public:
  explicit TClientPicture(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    FWidth = client.right;
    FHeight = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = FWidth;
    info.bmiHeader.biHeight = -FHeight;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    // A colour no control paints, so unpainted pixels show.
    RECT all{0, 0, FWidth, FHeight};
    HBRUSH marker = CreateSolidBrush(RGB(1, 2, 3));
    FillRect(dc, &all, marker);
    DeleteObject(marker);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    FPixels.assign(pixels, pixels + FWidth * FHeight);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // As a COLORREF (0x00BBGGRR).
  COLORREF At(int x, int y) const {
    const DWORD p = FPixels[static_cast<size_t>(y * FWidth + x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // Pixels within [left, right) x [top, bottom) for which test holds.
  int Count(RECT area, const std::function<bool(COLORREF)>& test) const {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) count += test(At(x, y)) ? 1 : 0;
    return count;
  }
  // The smallest rectangle holding every pixel that differs from other; empty when none does.
  RECT Difference(const TClientPicture& other) const {
    RECT box{FWidth, FHeight, 0, 0};
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < FWidth; ++x)
        if (At(x, y) != other.At(x, y)) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1);
          box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    if (box.right == 0) box = RECT{0, 0, 0, 0};
    return box;
  }

 private:
  int FWidth = 0;
  int FHeight = 0;
  std::vector<DWORD> FPixels;
};

inline bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// A sizeable form, client width by 100, with a status bar at the bottom.
template <typename Bar = TElStatusBar>
struct TBarFixture {
  explicit TBarFixture(int width = 300) {
    form = new TForm(Application);
    form->SetClientSize(width, 100);
    bar = new Bar(form);
    bar->SetParent(form);
    form->HandleNeeded();
  }
  ~TBarFixture() { delete form; }
  // Client point of the bar as screen coordinates in an LPARAM.
  LPARAM ScreenPoint(int x, int y) {
    POINT point{x, y};
    ClientToScreen(bar->Handle(), &point);
    return MAKELPARAM(point.x, point.y);
  }
  TForm* form = nullptr;
  Bar* bar = nullptr;
};
