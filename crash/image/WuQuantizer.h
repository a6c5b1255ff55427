#pragma once
// Colour reduction to a palette of at most 256 entries with Wu's method:
// colour moments over 33 x 33 x 33 cells of 5-bit components, the box of
// largest variance cut in two until 256 boxes or nothing can be cut, each
// entry the mean colour of its box. Pixels then go to the nearest entry, the
// answer cached per 15-bit colour. Any thread.
#include <cstdint>
#include <vector>

#include "crash/image/PixelImage.h"

struct TPaletteEntry {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const TPaletteEntry& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct TIndexedImage {
  std::vector<TPaletteEntry> palette;
  std::vector<std::uint8_t> indices;  // one per pixel, rows from the top
};

std::vector<TPaletteEntry> WuPalette(const TPixelView& pixels, int maxColours = 256);

// The entry with the smallest sum of absolute differences, the first on ties.
int NearestEntry(const std::vector<TPaletteEntry>& palette, std::uint8_t r, std::uint8_t g, std::uint8_t b);

// Maps every pixel, top row first; the first pixel met in each 15-bit cell
// decides the entry of the whole cell.
std::vector<std::uint8_t> MapToPalette(const TPixelView& pixels, const std::vector<TPaletteEntry>& palette);

// A picture of at most 256 distinct colours keeps them all, exactly (in the
// order first met); more go through WuPalette and MapToPalette.
TIndexedImage ReduceColours(const TPixelView& pixels);
