#include "crash/stack/StackChecksum.h"

#include <array>

namespace {

std::array<std::uint32_t, 256> MakeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

}  // namespace

std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::size_t size) {
  static const std::array<std::uint32_t, 256> table = MakeTable();
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

std::uint32_t Crc32Update(std::uint32_t crc, const std::string& text) {
  return Crc32Update(crc, text.data(), text.size());
}

std::uint32_t Crc32UpdateValue(std::uint32_t crc, std::uint32_t value) {
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                 static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  return Crc32Update(crc, bytes, sizeof bytes);
}
