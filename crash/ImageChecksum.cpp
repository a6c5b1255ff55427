#include "crash/ImageChecksum.h"

namespace {

std::uint32_t Word32(const std::uint8_t* at) {
  return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

}  // namespace

std::optional<std::size_t> ImageChecksumOffset(const std::uint8_t* file, std::size_t size) {
  if (size < 0x40 || file[0] != 'M' || file[1] != 'Z') return std::nullopt;
  const std::uint32_t pe = Word32(file + 0x3c);
  // Signature (4), file header (20), then the optional header's field at 64.
  const std::size_t field = static_cast<std::size_t>(pe) + 24 + 64;
  if (pe > size || field + 4 > size || Word32(file + pe) != 0x00004550) return std::nullopt;
  return field;
}

std::uint32_t ImageFileChecksum(const std::uint8_t* file, std::size_t size, std::size_t checksumOffset) {
  std::uint32_t sum = 0;
  for (std::size_t at = 0; at < size; at += 2) {
    std::uint32_t word = file[at];
    if (at + 1 < size) word |= static_cast<std::uint32_t>(file[at + 1]) << 8;
    if (at >= checksumOffset && at < checksumOffset + 4) word = 0;
    sum += word;
    sum = (sum & 0xffff) + (sum >> 16);
  }
  return (sum & 0xffff) + static_cast<std::uint32_t>(size);
}
