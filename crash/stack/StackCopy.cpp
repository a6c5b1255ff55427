#include "crash/stack/StackCopy.h"

#include <cstring>

bool TStackCopy::Read(TStackAddress address, void* buffer, std::uint32_t size) {
  const std::uint64_t end = std::uint64_t(address) + size;
  if (address >= FBase && end <= std::uint64_t(FBase) + FSize) {
    std::memcpy(buffer, FBytes + (address - FBase), size);
    return true;
  }
  // A read that only partly overlaps the copy is left to the live memory.
  return FLive.Read(address, buffer, size);
}
