#include "crash/image/PixelImage.h"

TPixelImage::TPixelImage(int width, int height) {
  if (width < 1 || height < 1) return;
  FWidth = width;
  FHeight = height;
  FBits.assign(static_cast<std::size_t>(width) * height * 4, 0);
}
