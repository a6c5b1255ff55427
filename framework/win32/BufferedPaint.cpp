#include "framework/win32/BufferedPaint.h"

TBufferedPaint::TBufferedPaint(HDC target, const RECT& area) : FTarget(target), FArea(area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (target == nullptr || width <= 0 || height <= 0) return;
  TCreatedDC buffer(CreateCompatibleDC(target));
  if (!buffer) return;
  TGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(target, width, height));
  if (!bitmap) return;
  FOldBitmap = SelectObject(buffer.Get(), bitmap.Get());
  // Logical (area.left, area.top) lands on the bitmap's first pixel.
  SetViewportOrgEx(buffer.Get(), -area.left, -area.top, nullptr);
  // A new bitmap holds no picture: starting from the target's, whatever is
  // left undrawn comes back unchanged instead of black.
  BitBlt(buffer.Get(), area.left, area.top, width, height, target, area.left, area.top, SRCCOPY);
  // Text drawn on the buffer looks as it would on the target.
  SelectObject(buffer.Get(), GetCurrentObject(target, OBJ_FONT));
  SetTextColor(buffer.Get(), GetTextColor(target));
  SetBkColor(buffer.Get(), GetBkColor(target));
  SetBkMode(buffer.Get(), GetBkMode(target));
  FBuffer = std::move(buffer);
  FBitmap = std::move(bitmap);
}

TBufferedPaint::~TBufferedPaint() {
  if (!FBuffer) return;
  // Leave the stock font and the bitmap free to be deleted.
  SelectObject(FBuffer.Get(), GetStockObject(SYSTEM_FONT));
  SelectObject(FBuffer.Get(), FOldBitmap);
}

void TBufferedPaint::Finish() {
  if (!FBuffer) return;
  BitBlt(FTarget, FArea.left, FArea.top, FArea.right - FArea.left, FArea.bottom - FArea.top, FBuffer.Get(),
         FArea.left, FArea.top, SRCCOPY);
  SelectObject(FBuffer.Get(), GetStockObject(SYSTEM_FONT));
  SelectObject(FBuffer.Get(), FOldBitmap);
  FBuffer.Reset();
  FBitmap.Reset();
}
