#include "controls/edit/ElGlyphDrawing.h"

#include "framework/Exception.h"

namespace {
// dest := source ? dest : pattern.
constexpr DWORD kRopPatternWhereSourceBlack = 0x00B8074A;
}  // namespace

TCreatedDC MemoryDC() {
  TCreatedDC dc(CreateCompatibleDC(nullptr));
  if (!dc) throw Exception("Out of system resources");
  return dc;
}

TGdiObject<HBITMAP> ScreenBitmap(int width, int height) {
  TWindowDC screen(nullptr);
  TGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
  if (!bitmap) throw Exception("Out of system resources");
  return bitmap;
}

void PlainMonochrome(HDC dc) {
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
}

TGdiObject<HBITMAP> MakeShapeMask(HDC source, int width, int height, COLORREF transparent) {
  TGdiObject<HBITMAP> mask(CreateBitmap(width, height, 1, 1, nullptr));
  if (!mask) throw Exception("Out of system resources");
  TCreatedDC target = MemoryDC();
  TSelectedObject targetImage(target.Get(), mask.Get());
  TSavedDCState saved(source);
  // Colour to monochrome: pixels of the source's background colour become 1.
  SetBkColor(source, transparent);
  BitBlt(target.Get(), 0, 0, width, height, source, 0, 0, SRCCOPY);
  return mask;
}

void PaintMaskShape(HDC dc, const RECT& dest, HDC maskDC, int width, int height, COLORREF colour) {
  TGdiObject<HBRUSH> brush(CreateSolidBrush(colour));
  TSavedDCState saved(dc);
  SelectObject(dc, brush.Get());
  PlainMonochrome(dc);
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, maskDC, 0, 0,
             width, height, kRopPatternWhereSourceBlack);
}

void PaintEmbossedShape(HDC dc, const RECT& dest, HDC maskDC, int width, int height) {
  const RECT lower{dest.left + 1, dest.top + 1, dest.right + 1, dest.bottom + 1};
  PaintMaskShape(dc, lower, maskDC, width, height, GetSysColor(COLOR_BTNHIGHLIGHT));
  PaintMaskShape(dc, dest, maskDC, width, height, GetSysColor(COLOR_BTNSHADOW));
}
