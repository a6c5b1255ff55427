#include "crash/image/win32/INVBitmap.h"

#include <cstring>

#include "crash/image/BmpFile.h"
#include "crash/image/ImageFiles.h"
#include "crash/image/PngEncoder.h"
#include "crash/image/Zoom.h"

std::shared_ptr<TINVBitmap> TINVBitmap::Create(int width, int height) {
  if (width < 1 || height < 1 || width > TPixelImage::kMaxSide || height > TPixelImage::kMaxSide) return nullptr;
  std::shared_ptr<TINVBitmap> bitmap(new TINVBitmap());
  bitmap->FDC.Reset(CreateCompatibleDC(nullptr));
  if (!bitmap->FDC) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: rows bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap->FBitmap.Reset(CreateDIBSection(bitmap->FDC.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap->FBitmap || bits == nullptr) return nullptr;
  bitmap->FPrevious = SelectObject(bitmap->FDC.Get(), bitmap->FBitmap.Get());
  bitmap->FBits = static_cast<std::uint8_t*>(bits);
  bitmap->FWidth = width;
  bitmap->FHeight = height;
  return bitmap;
}

std::shared_ptr<TINVBitmap> TINVBitmap::FromPixels(const TPixelView& pixels) {
  if (pixels.Empty()) return nullptr;
  auto bitmap = Create(pixels.Width, pixels.Height);
  if (bitmap) std::memcpy(bitmap->FBits, pixels.Bits, pixels.ByteCount());
  return bitmap;
}

TINVBitmap::~TINVBitmap() {
  // The bitmap leaves the context before either is deleted.
  if (FPrevious != nullptr && FPrevious != HGDI_ERROR) SelectObject(FDC.Get(), FPrevious);
}

TPixelView TINVBitmap::Pixels() const {
  GdiFlush();
  return {FWidth, FHeight, FBits};
}

bool TINVBitmap::Draw(HDC target, int x, int y) const {
  return BitBlt(target, x, y, FWidth, FHeight, FDC.Get(), 0, 0, SRCCOPY) != FALSE;
}

std::string TINVBitmap::BmpBytes() const { return ::BmpBytes(Pixels()); }
std::string TINVBitmap::PngBytes(int level) const { return ::PngBytes(Pixels(), level); }
bool TINVBitmap::SaveBmp(const std::string& file) const { return ::WriteBmpFile(Pixels(), file); }
bool TINVBitmap::SavePng(const std::string& file, int level) const { return ::WritePngFile(Pixels(), file, level); }

std::shared_ptr<TINVBitmap> TINVBitmap::Zoom(int width, int height) const {
  const TPixelImage scaled = ::Zoom(Pixels(), width, height);
  return FromPixels(scaled.View());
}

std::string PngBytes(const TINVBitmap& bitmap, int level) { return bitmap.PngBytes(level); }
bool WritePngFile(const TINVBitmap& bitmap, const std::string& file, int level) { return bitmap.SavePng(file, level); }
bool WriteBmpFile(const TINVBitmap& bitmap, const std::string& file) { return bitmap.SaveBmp(file); }

TINVBitmapRef LoadBmp(const std::string& file) {
  const auto pixels = ReadBmpFile(file);
  return pixels ? TINVBitmap::FromPixels(pixels->View()) : nullptr;
}

TINVBitmapRef Zoom(const TINVBitmap& bitmap, int width, int height) { return bitmap.Zoom(width, height); }
