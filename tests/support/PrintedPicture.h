#pragma once
// A window's picture as it paints it for WM_PRINT, for pixel checks that do
// not depend on what else is on the screen.
#include <windows.h>

#include <memory>

#include "framework/win32/Bitmap.h"
#include "framework/win32/WinControl.h"

class TPrintedPicture {
 public:
  // flags: PRF_ values; the bitmap covers the whole window when
  // PRF_NONCLIENT is given, else the client area.
  TPrintedPicture(TWinControl* control, UINT flags = PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN) {
    RECT rect;
    if (flags & PRF_NONCLIENT)
      GetWindowRect(control->Handle(), &rect);
    else
      GetClientRect(control->Handle(), &rect);
    FBitmap.SetSize(rect.right - rect.left, rect.bottom - rect.top);
    HDC dc = FBitmap.Canvas()->Handle();
    PatBlt(dc, 0, 0, FBitmap.Width(), FBitmap.Height(), BLACKNESS);
    SendMessageW(control->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(dc), flags);
  }
  COLORREF Pixel(int x, int y) { return GetPixel(FBitmap.Canvas()->Handle(), x, y); }
  int Width() const { return FBitmap.Width(); }
  int Height() const { return FBitmap.Height(); }
  TBitmap& Bitmap() { return FBitmap; }

 private:
  TBitmap FBitmap;
};
