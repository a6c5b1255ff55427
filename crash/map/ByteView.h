#pragma once
// Bounds-checked little-endian reads from a byte string, for the binary map
// readers: a read past the end answers false and leaves the value alone, so
// a damaged or truncated file can never be read beyond its bytes.
#include <cstdint>
#include <string>

class TByteView {
 public:
  explicit TByteView(const std::string& bytes) : FBytes(bytes) {}

  std::size_t Size() const { return FBytes.size(); }
  // True when count bytes from at lie inside the bytes (no overflow).
  bool Holds(std::size_t at, std::size_t count) const { return at <= FBytes.size() && count <= FBytes.size() - at; }

  bool Word16(std::size_t at, std::uint16_t& value) const {
    if (!Holds(at, 2)) return false;
    value = static_cast<std::uint16_t>(Byte(at) | (Byte(at + 1) << 8));
    return true;
  }

  bool Word32(std::size_t at, std::uint32_t& value) const {
    if (!Holds(at, 4)) return false;
    value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(Byte(at + i)) << (8 * i);
    return true;
  }

  std::uint8_t Byte(std::size_t at) const { return static_cast<std::uint8_t>(FBytes[at]); }
  const std::string& Bytes() const { return FBytes; }

 private:
  const std::string& FBytes;
};
