#pragma once
// Bitmap files: the bytes the screenshot is saved as for editing, and the
// reader that takes the edited file back. Any thread.
#include <optional>
#include <string>

#include "crash/image/PixelImage.h"

// "BM", total size, two zero words, data offset 54, a 40-byte information
// header (32 bits, uncompressed, bottom-up) and the pixels as stored.
std::string BmpBytes(const TPixelView& pixels);

// Reads what image editors write: information headers of 12 to 124 bytes,
// 1, 4 and 8 bits with a colour table, 16 and 32 bits plain or with bit
// masks, 24 bits; bottom-up or top-down. Anything else, or a file cut
// short, gives nothing.
std::optional<TPixelImage> ParseBmp(const std::string& bytes);
