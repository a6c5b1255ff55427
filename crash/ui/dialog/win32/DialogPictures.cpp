#include "crash/ui/dialog/win32/DialogPictures.h"

#include "platform/win32/HandleOwners.h"

namespace {

constexpr COLORREF kTransparent = RGB(255, 0, 255);

HBITMAP LoadPicture(const char* name) {
  return static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

void MakeGrey(HDC dc, int width, int height) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      if (c == kTransparent) continue;
      const int level = (GetRValue(c) * 3 + GetGValue(c) * 6 + GetBValue(c)) / 10 / 2 + 100;
      SetPixel(dc, x, y, RGB(level, level, level));
    }
}

}  // namespace

bool HasPicture(const char* name) {
  return FindResourceA(GetModuleHandleA(nullptr), name, reinterpret_cast<LPCSTR>(RT_BITMAP)) != nullptr;
}

bool DrawPicture(HDC dc, const char* name, int x, int y, bool grey) {
  TGdiObject<HBITMAP> bitmap(LoadPicture(name));
  if (!bitmap) return false;
  BITMAP info{};
  GetObjectA(bitmap.Get(), sizeof info, &info);
  TCreatedDC source(CreateCompatibleDC(dc));
  TSelectedObject selected(source.Get(), bitmap.Get());
  if (grey) MakeGrey(source.Get(), info.bmWidth, info.bmHeight);
  return TransparentBlt(dc, x, y, info.bmWidth, info.bmHeight, source.Get(), 0, 0, info.bmWidth, info.bmHeight,
                        kTransparent) != FALSE;
}
