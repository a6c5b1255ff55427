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

void TBitmap::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TBitmap*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  FreeImage();
  FWidth = other->FWidth;
  FHeight = other->FHeight;
  FTransparent = other->FTransparent;
  FTransparentColor = other->FTransparentColor;
  if (Empty()) return;
  BitBlt(Canvas()->Handle(), 0, 0, FWidth, FHeight, other->Canvas()->Handle(), 0, 0, SRCCOPY);
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
    TWindowDC screen(nullptr);
    // A zero-sized bitmap is not allowed; one pixel stands in for it.
    FHandle = CreateCompatibleBitmap(screen.Get(), FWidth > 0 ? FWidth : 1, FHeight > 0 ? FHeight : 1);
    if (FHandle == nullptr) throw Exception("Out of system resources");
  }
  return FHandle;
}

void TBitmap::SetHandle(HBITMAP bitmap) {
  FreeImage();
  BITMAP info{};
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0) {
    FWidth = FHeight = 0;
    if (bitmap != nullptr) DeleteObject(bitmap);
    return;
  }
  FHandle = bitmap;
  FWidth = info.bmWidth;
  FHeight = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
}

bool TBitmap::LoadFromResourceName(HINSTANCE module, const wchar_t* name) {
  if (module == nullptr) module = GetModuleHandleW(nullptr);
  HANDLE image = LoadImageW(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  if (image == nullptr) return false;
  SetHandle(static_cast<HBITMAP>(image));
  return true;
}

TColor TBitmap::TransparentColor() {
  if (FTransparentColor != clDefault || Empty()) return FTransparentColor;
  return static_cast<TColor>(GetPixel(Canvas()->Handle(), 0, FHeight - 1) & 0xFFFFFF);
}

HBITMAP TBitmap::CreateMask(TColor color) {
  TGdiObject<HBITMAP> mask(CreateBitmap(FWidth > 0 ? FWidth : 1, FHeight > 0 ? FHeight : 1, 1, 1, nullptr));
  TCreatedDC maskDC(CreateCompatibleDC(nullptr));
  if (!mask || !maskDC) return nullptr;
  HDC image = Canvas()->Handle();
  {
    TSelectedObject selected(maskDC.Get(), mask.Get());
    // Copying colour to monochrome: the background colour becomes white.
    const COLORREF back = SetBkColor(image, ColorToRGB(color));
    BitBlt(maskDC.Get(), 0, 0, FWidth, FHeight, image, 0, 0, SRCCOPY);
    SetBkColor(image, back);
  }
  return mask.Release();
}

void TBitmap::DrawOn(HDC dc, const RECT& rect) {
  if (Empty()) return;
  HDC image = Canvas()->Handle();
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  if (!FTransparent) {
    StretchBlt(dc, rect.left, rect.top, width, height, image, 0, 0, FWidth, FHeight, SRCCOPY);
  } else if (TGdiObject<HBITMAP> mask{CreateMask(TransparentColor())}) {
    // The picture with its transparent pixels black, laid where the mask
    // has cleared the destination.
    TCreatedDC maskDC(CreateCompatibleDC(dc));
    TCreatedDC pictureDC(CreateCompatibleDC(dc));
    TGdiObject<HBITMAP> picture(CreateCompatibleBitmap(image, FWidth, FHeight));
    if (maskDC && pictureDC && picture) {
      TSelectedObject maskSelected(maskDC.Get(), mask.Get());
      TSelectedObject pictureSelected(pictureDC.Get(), picture.Get());
      BitBlt(pictureDC.Get(), 0, 0, FWidth, FHeight, image, 0, 0, SRCCOPY);
      // Black image pixels where the mask is white: picture AND NOT mask.
      BitBlt(pictureDC.Get(), 0, 0, FWidth, FHeight, maskDC.Get(), 0, 0, 0x00220326);
      const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
      const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
      StretchBlt(dc, rect.left, rect.top, width, height, maskDC.Get(), 0, 0, FWidth, FHeight, SRCAND);
      StretchBlt(dc, rect.left, rect.top, width, height, pictureDC.Get(), 0, 0, FWidth, FHeight, SRCPAINT);
      SetTextColor(dc, text);
      SetBkColor(dc, back);
    }
  }
  SetStretchBltMode(dc, oldMode);
}
