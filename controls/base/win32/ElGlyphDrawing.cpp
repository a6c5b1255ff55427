#include "controls/base/win32/ElGlyphDrawing.h"

#include "framework/win32/Bitmap.h"
#include "framework/win32/ImageList.h"

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

namespace {

// Marks the pixels an image leaves see-through on its scratch copy.
constexpr COLORREF kSeeThrough = RGB(254, 1, 253);

int Grey(COLORREF c) { return (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100; }

COLORREF Blend(COLORREF under, COLORREF over, int alpha) {
  auto mix = [alpha](int a, int b) { return (a * (255 - alpha) + b * alpha) / 255; };
  return RGB(mix(GetRValue(under), GetRValue(over)), mix(GetGValue(under), GetGValue(over)),
             mix(GetBValue(under), GetBValue(over)));
}

}  // namespace

void DrawListImage(HDC dc, const RECT& dest, TImageList* list, int index, bool enabled, TImageList* alpha) {
  if (list == nullptr || index < 0 || index >= list->Count()) return;
  const int width = list->Width();
  const int height = list->Height();
  const int destWidth = dest.right - dest.left;
  const int destHeight = dest.bottom - dest.top;
  if (width <= 0 || height <= 0 || destWidth <= 0 || destHeight <= 0) return;
  TBitmap scratch;
  scratch.SetSize(width, height);
  HDC source = scratch.Canvas()->Handle();
  const RECT all{0, 0, width, height};
  TGdiObject<HBRUSH> key(CreateSolidBrush(kSeeThrough));
  FillRect(source, &all, key.Get());
  list->Draw(scratch.Canvas(), 0, 0, index, enabled);
  if (alpha == nullptr || index >= alpha->Count() || !enabled) {
    TransparentBlt(dc, dest.left, dest.top, destWidth, destHeight, source, 0, 0, width, height, kSeeThrough);
    return;
  }
  TBitmap opacity;
  alpha->GetBitmap(index, &opacity, clBlack);
  HDC opacityDC = opacity.Canvas()->Handle();
  for (int y = 0; y < destHeight; ++y)
    for (int x = 0; x < destWidth; ++x) {
      const int sx = x * width / destWidth;
      const int sy = y * height / destHeight;
      const COLORREF pixel = GetPixel(source, sx, sy);
      const int level = Grey(GetPixel(opacityDC, sx, sy));
      if (pixel == kSeeThrough || level == 0) continue;
      const COLORREF under = GetPixel(dc, dest.left + x, dest.top + y);
      SetPixel(dc, dest.left + x, dest.top + y, Blend(under, pixel, level));
    }
}
