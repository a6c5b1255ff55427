#pragma once
// A 32-bit picture as the screenshot code holds it: 4 bytes per pixel in the
// order blue, green, red and a fourth byte without meaning, rows stored
// bottom-up without padding. The encoders and the scaler read it through a
// view, so a device-independent bitmap of the platform can be read in place.
// Any thread may use an image it owns; an image is not shared between threads.
#include <cstddef>
#include <cstdint>
#include <vector>

// Borrowed pixels; Row counts from the top of the picture.
struct TPixelView {
  int Width = 0;
  int Height = 0;
  const std::uint8_t* Bits = nullptr;

  bool Empty() const { return Width <= 0 || Height <= 0 || Bits == nullptr; }
  std::size_t ByteCount() const { return static_cast<std::size_t>(Width) * Height * 4; }
  const std::uint8_t* Row(int fromTop) const {
    return Bits + static_cast<std::size_t>(Height - 1 - fromTop) * Width * 4;
  }
};

class TPixelImage {
 public:
  // Sizes beyond this side length are refused by every producer of images
  // (the loader and the scaler), which keeps byte counts inside 32 bits.
  static constexpr int kMaxSide = 16384;

  TPixelImage() = default;
  // A black picture; a side below 1 gives the empty picture.
  TPixelImage(int width, int height);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth == 0; }
  std::uint8_t* Bits() { return FBits.data(); }
  const std::uint8_t* Bits() const { return FBits.data(); }
  std::uint8_t* Row(int fromTop) {
    return FBits.data() + static_cast<std::size_t>(FHeight - 1 - fromTop) * FWidth * 4;
  }
  TPixelView View() const { return {FWidth, FHeight, FBits.data()}; }

 private:
  int FWidth = 0;
  int FHeight = 0;
  std::vector<std::uint8_t> FBits;
};
