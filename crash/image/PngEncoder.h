#pragma once
// Palette PNG images of a screenshot: 256 colours, or 16 grey levels when
// the level asks for them or when the colour image is too large. Any thread.
#include <cstdint>
#include <string>
#include <vector>

#include "crash/image/PixelImage.h"
#include "crash/image/WuQuantizer.h"

// The level for a screenshot depth setting: 4 gives 1 (grey only); 51200,
// 102400, 204800 and 307200 give 2 to 5 (colour unless larger than that many
// bytes and the grey image is smaller); anything else 0 (colour).
int PngLevelForDepth(int depth);

// The whole PNG file; empty when the picture is empty or compression failed.
std::string PngBytes(const TPixelView& pixels, int level);

// The building steps, for the tests and the benchmark.
// A PNG with one palette entry per colour and the given indices (one per
// pixel, rows from the top) at 8 or 4 bits per pixel.
std::string PalettePng(int width, int height, int bitDepth, const std::vector<TPaletteEntry>& palette,
                       const std::vector<std::uint8_t>& indices);
// The rows, each after a filter byte 0, as one zlib stream: 78 01, raw
// deflate data, the Adler-32 of the rows, big-endian. Empty on failure.
std::string ZlibStream(const std::string& rows);
