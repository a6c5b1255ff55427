#include "crash/image/ImageFiles.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "crash/image/BmpFile.h"
#include "crash/image/PngEncoder.h"

bool WriteWholeFile(const std::string& file, const std::string& bytes) {
  bool written = false;
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;  // nothing was created
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    written = static_cast<bool>(out);
    out.close();
    written = written && !out.fail();
  }
  if (!written) std::remove(file.c_str());
  return written;
}

bool WriteBmpFile(const TPixelView& pixels, const std::string& file) {
  return WriteWholeFile(file, BmpBytes(pixels));
}

bool WritePngFile(const TPixelView& pixels, const std::string& file, int level) {
  const std::string png = PngBytes(pixels, level);
  return !png.empty() && WriteWholeFile(file, png);
}

std::optional<TPixelImage> ReadBmpFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return ParseBmp(bytes);
}
