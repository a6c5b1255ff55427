// Arbitrary bytes as an edited screenshot file: the reader must refuse or
// read them without reading past the bytes, and what it reads must survive
// being written and read again.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "crash/image/BmpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const auto image = ParseBmp(bytes);
  if (!image) return 0;
  if (image->Width() < 1 || image->Height() < 1 || image->Width() > TPixelImage::kMaxSide ||
      image->Height() > TPixelImage::kMaxSide)
    __builtin_trap();
  const auto again = ParseBmp(BmpBytes(image->View()));
  if (!again || again->Width() != image->Width() || again->Height() != image->Height() ||
      std::memcmp(again->Bits(), image->Bits(), image->View().ByteCount()) != 0)
    __builtin_trap();
  return 0;
}
