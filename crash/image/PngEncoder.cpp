#include "crash/image/PngEncoder.h"

#include <zlib.h>

#include "crash/image/GreyLevels.h"

namespace {

void PutBe32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBe32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  out.append(type, 4);
  out += data;
  const auto* checked = reinterpret_cast<const Bytef*>(out.data() + typeAt);
  PutBe32(out, static_cast<std::uint32_t>(crc32(0L, checked, static_cast<uInt>(4 + data.size()))));
}

// Rows from the top, each with filter byte 0; at 4 bits two pixels share a
// byte, the first in the high half, and an odd row ends half filled.
std::string FilteredRows(int width, int height, int bitDepth, const std::vector<std::uint8_t>& indices) {
  const std::size_t rowBytes = bitDepth == 8 ? width : (static_cast<std::size_t>(width) + 1) / 2;
  std::string rows(static_cast<std::size_t>(height) * (rowBytes + 1), '\0');
  std::size_t at = 0;
  const std::uint8_t* index = indices.data();
  for (int y = 0; y < height; ++y) {
    rows[at++] = 0;
    if (bitDepth == 8) {
      for (int x = 0; x < width; ++x) rows[at++] = static_cast<char>(*index++);
    } else {
      for (int x = 0; x < width; x += 2) {
        const int high = *index++ & 0x0F;
        const int low = x + 1 < width ? (*index++ & 0x0F) : 0;
        rows[at++] = static_cast<char>((high << 4) | low);
      }
    }
  }
  return rows;
}

std::string GreyPng(const TPixelView& pixels) {
  std::vector<TPaletteEntry> palette;
  for (std::uint8_t level : kGreyLevels) palette.push_back({level, level, level});
  return PalettePng(pixels.Width, pixels.Height, 4, palette, MapToGreyLevels(pixels));
}

std::string ColourPng(const TPixelView& pixels) {
  const TIndexedImage reduced = ReduceColours(pixels);
  if (reduced.palette.empty()) return {};
  return PalettePng(pixels.Width, pixels.Height, 8, reduced.palette, reduced.indices);
}

std::uint32_t SizeLimitOfLevel(int level) {
  switch (level) {
    case 2: return 51200;
    case 3: return 102400;
    case 4: return 204800;
    case 5: return 307200;
    default: return 0;
  }
}

}  // namespace

int PngLevelForDepth(int depth) {
  switch (depth) {
    case 4: return 1;
    case 51200: return 2;
    case 102400: return 3;
    case 204800: return 4;
    case 307200: return 5;
    default: return 0;
  }
}

std::string ZlibStream(const std::string& rows) {
  // The strongest settings deflate has; the PNG keeps filter 0 on every row,
  // so the whole gain comes from the match search and the window.
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, MAX_MEM_LEVEL, Z_DEFAULT_STRATEGY) != Z_OK)
    return {};
  std::string out = "\x78\x01";
  const std::size_t headerSize = out.size();
  out.resize(headerSize + deflateBound(&stream, static_cast<uLong>(rows.size())));
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(rows.data()));
  stream.avail_in = static_cast<uInt>(rows.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[headerSize]);
  stream.avail_out = static_cast<uInt>(out.size() - headerSize);
  const int status = deflate(&stream, Z_FINISH);
  const std::size_t produced = stream.total_out;
  deflateEnd(&stream);
  if (status != Z_STREAM_END) return {};
  out.resize(headerSize + produced);
  const auto* data = reinterpret_cast<const Bytef*>(rows.data());
  PutBe32(out, static_cast<std::uint32_t>(adler32(adler32(0L, Z_NULL, 0), data, static_cast<uInt>(rows.size()))));
  return out;
}

std::string PalettePng(int width, int height, int bitDepth, const std::vector<TPaletteEntry>& palette,
                       const std::vector<std::uint8_t>& indices) {
  if (width < 1 || height < 1 || palette.empty() || palette.size() > 256 ||
      indices.size() != static_cast<std::size_t>(width) * height)
    return {};
  const std::string compressed = ZlibStream(FilteredRows(width, height, bitDepth, indices));
  if (compressed.empty()) return {};
  std::string header;
  PutBe32(header, static_cast<std::uint32_t>(width));
  PutBe32(header, static_cast<std::uint32_t>(height));
  header += static_cast<char>(bitDepth);
  header += std::string("\x03\x00\x00\x00", 4);  // palette; compression, filter and interlace 0
  std::string entries;
  for (const TPaletteEntry& e : palette) entries += {static_cast<char>(e.r), static_cast<char>(e.g), static_cast<char>(e.b)};
  std::string png = "\x89PNG\r\n\x1a\n";
  PutChunk(png, "IHDR", header);
  PutChunk(png, "PLTE", entries);
  PutChunk(png, "IDAT", compressed);
  PutChunk(png, "IEND", {});
  return png;
}

std::string PngBytes(const TPixelView& pixels, int level) {
  if (pixels.Empty()) return {};
  std::string png = level == 1 ? std::string() : ColourPng(pixels);
  const std::uint32_t limit = SizeLimitOfLevel(level);
  if (level == 1 || png.empty() || (limit != 0 && png.size() > limit)) {
    std::string grey = GreyPng(pixels);
    if (png.empty() || (!grey.empty() && grey.size() < png.size())) png = std::move(grey);
  }
  return png;
}
