#pragma once
// Where the decoder and the map lookups get their bytes: a live process
// (guarded reads, crash/map/win32) or a buffer (tests, files). Any thread.
#include <cstddef>
#include <cstdint>
#include <cstring>

using TAddress = std::uint32_t;

class TCodeReader {
 public:
  virtual ~TCodeReader() = default;
  // Copies up to count bytes from address on into buffer and returns how many
  // could be read: a fault or an unmapped byte ends the copy, never raises.
  virtual std::size_t Read(TAddress address, void* buffer, std::size_t count) const = 0;
};

// Bytes held elsewhere that appear at a given address; everything outside
// them is unreadable.
class TBufferCodeReader : public TCodeReader {
 public:
  TBufferCodeReader(TAddress base, const void* bytes, std::size_t size)
      : FBase(base), FBytes(static_cast<const std::uint8_t*>(bytes)), FSize(size) {}

  std::size_t Read(TAddress address, void* buffer, std::size_t count) const override {
    if (address < FBase || address - FBase >= FSize) return 0;
    const std::size_t offset = address - FBase;
    const std::size_t available = FSize - offset < count ? FSize - offset : count;
    std::memcpy(buffer, FBytes + offset, available);
    return available;
  }

 private:
  TAddress FBase;
  const std::uint8_t* FBytes;
  std::size_t FSize;
};
