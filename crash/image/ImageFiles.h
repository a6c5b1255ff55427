#pragma once
// Screenshot files. A save that fails deletes what it had written and
// answers false. Any thread.
#include <optional>
#include <string>

#include "crash/image/PixelImage.h"

bool WriteBmpFile(const TPixelView& pixels, const std::string& file);
// False also when the PNG is empty (an empty picture or a compression failure).
bool WritePngFile(const TPixelView& pixels, const std::string& file, int level);
// Nothing when the file cannot be read or is no bitmap file it knows.
std::optional<TPixelImage> ReadBmpFile(const std::string& file);

// Writes bytes as the whole file; on any failure removes the file again.
bool WriteWholeFile(const std::string& file, const std::string& bytes);
