#include "framework/win32/Bitmap.h"

#include "framework/Exception.h"
#include "platform/win32/HandleOwners.h"

void TBitmapCanvas::CreateHandle() {
  TCreatedDC dc(CreateCompatibleDC(nullptr));
  if (!dc) throw Exception("Out of system resources");
  // Making the bitmap may fail too; the context must not outlive that.
  FOldBitmap = SelectObject(dc.Get(), FBitmap->Handle());
  SetHandle(dc.Release());
}

void TBitmapCanvas::FreeContext() {
  HDC dc = FHandle;
  if (dc == nullptr) return;
  SetHandle(nullptr);
  if (FOldBitmap) SelectObject(dc, FOldBitmap);
  FOldBitmap = nullptr;
  DeleteDC(dc);
}

TBitmap::TBitmap() : FCanvas(std::make_unique<TBitmapCanvas>(this)) {}

TBitmap::~TBitmap() { FreeImage(); }

void TBitmap::FreeImage() {
  FCanvas->FreeContext();
  if (FHandle != nullptr) DeleteObject(FHandle);
  FHandle = nullptr;
}

void TBitmap::SetSize(int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == FWidth && height == FHeight) return;
  FreeImage();
  FWidth = width;
  FHeight = height;
}

HBITMAP TBitmap::Handle() {
  if (FHandle == nullptr) {
    HDC screen = GetDC(nullptr);
    // A zero-sized bitmap is not allowed; one pixel stands in for it.
    FHandle = CreateCompatibleBitmap(screen, FWidth > 0 ? FWidth : 1, FHeight > 0 ? FHeight : 1);
    ReleaseDC(nullptr, screen);
    if (FHandle == nullptr) throw Exception("Out of system resources");
  }
  return FHandle;
}
