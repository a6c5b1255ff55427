#pragma once
// The screenshot bitmap: a 32-bit device-independent bitmap selected into a
// memory device context of its own, handed out by shared reference. The
// pixels are the portable picture's layout (blue, green, red, unused;
// bottom-up), so the encoders read them in place. Any thread may use a
// bitmap; one bitmap is not used by two threads at once.
#include <windows.h>

#include <memory>
#include <string>

#include "crash/image/PixelImage.h"
#include "platform/win32/HandleOwners.h"

class TINVBitmap {
 public:
  // nullptr when a size is out of range or the system refuses the bitmap.
  static std::shared_ptr<TINVBitmap> Create(int width, int height);
  static std::shared_ptr<TINVBitmap> FromPixels(const TPixelView& pixels);

  TINVBitmap(const TINVBitmap&) = delete;
  TINVBitmap& operator=(const TINVBitmap&) = delete;
  ~TINVBitmap();

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  HDC DC() const { return FDC.Get(); }
  // Finishes pending drawing first, so the view shows it.
  TPixelView Pixels() const;

  bool Draw(HDC target, int x, int y) const;
  std::string BmpBytes() const;
  std::string PngBytes(int level) const;
  bool SaveBmp(const std::string& file) const;
  bool SavePng(const std::string& file, int level) const;
  std::shared_ptr<TINVBitmap> Zoom(int width, int height) const;

 private:
  TINVBitmap() = default;

  TCreatedDC FDC;
  TGdiObject<HBITMAP> FBitmap;
  HGDIOBJ FPrevious = nullptr;
  std::uint8_t* FBits = nullptr;
  int FWidth = 0;
  int FHeight = 0;
};

using TINVBitmapRef = std::shared_ptr<TINVBitmap>;

// The file conversions and the scaled copy of a screenshot.
std::string PngBytes(const TINVBitmap& bitmap, int level);
bool WritePngFile(const TINVBitmap& bitmap, const std::string& file, int level);
bool WriteBmpFile(const TINVBitmap& bitmap, const std::string& file);
// nullptr when the file cannot be read or is no bitmap file.
TINVBitmapRef LoadBmp(const std::string& file);
TINVBitmapRef Zoom(const TINVBitmap& bitmap, int width, int height);
