#include "crash/image/BmpFile.h"

#include <cstdint>

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Little-endian reads that answer false instead of reading past the end.
class TLeReader {
 public:
  explicit TLeReader(const std::string& bytes) : FBytes(bytes) {}
  bool Has(std::size_t offset, std::size_t count) const {
    return offset <= FBytes.size() && count <= FBytes.size() - offset;
  }
  std::uint32_t U(std::size_t offset, int bytes) const {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(FBytes[offset + i]);
    return value;
  }
  const std::uint8_t* At(std::size_t offset) const {
    return reinterpret_cast<const std::uint8_t*>(FBytes.data()) + offset;
  }

 private:
  const std::string& FBytes;
};

// One colour channel given by a bit mask, scaled to 8 bits.
struct TChannel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit TChannel(std::uint32_t m) : mask(m) {
    if (mask == 0) return;
    while (((mask >> shift) & 1) == 0) ++shift;
    while (bits < 32 - shift && ((mask >> (shift + bits)) & 1) != 0) ++bits;
  }
  std::uint8_t Of(std::uint32_t pixel) const {
    if (bits == 0) return 0;
    const std::uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<std::uint8_t>(value >> (bits - 8));
    // Short channels repeat their bits downwards, so full scale stays 255.
    std::uint32_t wide = 0;
    int filled = 0;
    for (; filled < 8; filled += bits) wide = (wide << bits) | value;
    return static_cast<std::uint8_t>(wide >> (filled - 8));
  }
};

struct THeader {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool topDown = false;
  int bitCount = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t masks[3] = {0, 0, 0};
  std::vector<std::uint32_t> colours;  // 0x00RRGGBB
};

bool ReadMasks(const TLeReader& in, std::size_t at, THeader& header) {
  if (!in.Has(at, 12)) return false;
  for (int i = 0; i < 3; ++i) header.masks[i] = in.U(at + 4 * i, 4);
  return true;
}

bool ReadColourTable(const TLeReader& in, std::size_t at, std::uint32_t used, int entrySize, THeader& header) {
  const std::uint32_t max = 1u << header.bitCount;
  const std::uint32_t count = (used == 0 || used > max) ? max : used;
  if (!in.Has(at, static_cast<std::size_t>(count) * entrySize)) return false;
  for (std::uint32_t i = 0; i < count; ++i) header.colours.push_back(in.U(at + i * entrySize, 3));
  return true;
}

bool ReadHeader(const TLeReader& in, THeader& header) {
  if (!in.Has(0, kFileHeaderSize + 4) || in.U(0, 2) != 0x4D42) return false;
  const std::uint32_t infoSize = in.U(kFileHeaderSize, 4);
  const std::size_t info = kFileHeaderSize;
  if (infoSize == 12) {  // the old core header: 16-bit sizes, 3-byte colours
    if (!in.Has(info, 12)) return false;
    header.width = static_cast<std::int32_t>(in.U(info + 4, 2));
    header.height = static_cast<std::int16_t>(in.U(info + 6, 2));
    header.bitCount = static_cast<int>(in.U(info + 10, 2));
    if (header.bitCount <= 8 && !ReadColourTable(in, info + 12, 0, 3, header)) return false;
  } else {
    if (infoSize < kInfoHeaderSize || infoSize > 1024 || !in.Has(info, infoSize)) return false;
    header.width = static_cast<std::int32_t>(in.U(info + 4, 4));
    header.height = static_cast<std::int32_t>(in.U(info + 8, 4));
    header.bitCount = static_cast<int>(in.U(info + 14, 2));
    header.compression = in.U(info + 16, 4);
    std::size_t after = info + infoSize;
    if (header.compression == kBiBitfields) {
      // The 40-byte header is followed by the masks; longer ones hold them.
      if (!ReadMasks(in, infoSize == kInfoHeaderSize ? after : info + 40, header)) return false;
      if (infoSize == kInfoHeaderSize) after += 12;
    }
    if (header.bitCount <= 8 && !ReadColourTable(in, after, in.U(info + 32, 4), 4, header)) return false;
  }
  if (header.height < 0) {
    if (header.height == INT32_MIN) return false;
    header.height = -header.height;
    header.topDown = true;
  }
  return true;
}

bool SupportedFormat(THeader& header) {
  const int bits = header.bitCount;
  if (header.compression == kBiRgb) {
    if (bits == 16) {
      header.masks[0] = 0x7C00, header.masks[1] = 0x03E0, header.masks[2] = 0x001F;
    } else if (bits == 32) {
      header.masks[0] = 0xFF0000, header.masks[1] = 0x00FF00, header.masks[2] = 0x0000FF;
    }
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  }
  return header.compression == kBiBitfields && (bits == 16 || bits == 32);
}

void DecodeRow(const std::uint8_t* source, const THeader& header, const TChannel* channels, std::uint8_t* out) {
  const int bits = header.bitCount;
  for (int x = 0; x < header.width; ++x, out += 4) {
    std::uint32_t rgb = 0;
    if (bits <= 8) {
      const int perByte = 8 / bits;
      const int shift = 8 - bits * (x % perByte + 1);
      const std::uint32_t index = (source[x / perByte] >> shift) & ((1u << bits) - 1);
      rgb = index < header.colours.size() ? header.colours[index] : 0;
    } else if (bits == 24) {
      const std::uint8_t* p = source + 3 * x;
      rgb = p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
    } else {
      const std::uint8_t* p = source + (bits / 8) * x;
      const std::uint32_t pixel = bits == 16 ? (p[0] | (p[1] << 8))
                                             : (p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
      rgb = (channels[0].Of(pixel) << 16) | (channels[1].Of(pixel) << 8) | channels[2].Of(pixel);
    }
    out[0] = static_cast<std::uint8_t>(rgb);
    out[1] = static_cast<std::uint8_t>(rgb >> 8);
    out[2] = static_cast<std::uint8_t>(rgb >> 16);
    out[3] = 0;
  }
}

}  // namespace

std::string BmpBytes(const TPixelView& pixels) {
  const std::uint32_t dataSize = pixels.Empty() ? 0 : static_cast<std::uint32_t>(pixels.ByteCount());
  const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize;
  std::string out;
  out.reserve(offset + dataSize);
  out += "BM";
  PutLe(out, offset + dataSize, 4);
  PutLe(out, 0, 4);
  PutLe(out, offset, 4);
  PutLe(out, kInfoHeaderSize, 4);
  PutLe(out, pixels.Empty() ? 0 : static_cast<std::uint32_t>(pixels.Width), 4);
  PutLe(out, pixels.Empty() ? 0 : static_cast<std::uint32_t>(pixels.Height), 4);
  PutLe(out, 1, 2);   // planes
  PutLe(out, 32, 2);  // bits per pixel
  PutLe(out, kBiRgb, 4);
  PutLe(out, dataSize, 4);
  out.append(16, '\0');  // resolution and colour counts: none
  if (dataSize != 0) out.append(reinterpret_cast<const char*>(pixels.Bits), dataSize);
  return out;
}

std::optional<TPixelImage> ParseBmp(const std::string& bytes) {
  const TLeReader in(bytes);
  THeader header;
  if (!ReadHeader(in, header) || !SupportedFormat(header)) return std::nullopt;
  if (header.width < 1 || header.height < 1 || header.width > TPixelImage::kMaxSide ||
      header.height > TPixelImage::kMaxSide)
    return std::nullopt;
  const std::size_t stride = ((static_cast<std::size_t>(header.width) * header.bitCount + 31) / 32) * 4;
  const std::size_t dataOffset = in.U(10, 4);
  // Every row must be there before anything is allocated.
  if (!in.Has(dataOffset, stride * header.height)) return std::nullopt;
  const TChannel channels[3] = {TChannel(header.masks[0]), TChannel(header.masks[1]), TChannel(header.masks[2])};
  TPixelImage image(header.width, header.height);
  for (int y = 0; y < header.height; ++y) {
    const int fromTop = header.topDown ? y : header.height - 1 - y;
    DecodeRow(in.At(dataOffset + stride * y), header, channels, image.Row(fromTop));
  }
  return image;
}
