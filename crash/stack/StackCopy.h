#pragma once
// A thread's stack copied while the thread was paused, read in place of the
// live stack once the thread runs again; all other memory is read live.
#include <vector>

#include "crash/stack/StackEnvironment.h"

class TStackCopy : public IStackMemory {
 public:
  TStackCopy(IStackMemory& live, TStackAddress base, const std::uint8_t* bytes, std::uint32_t size)
      : FLive(live), FBase(base), FBytes(bytes), FSize(size) {}

  bool Read(TStackAddress address, void* buffer, std::uint32_t size) override;
  TMemoryRegion RegionAt(TStackAddress address) override { return FLive.RegionAt(address); }

 private:
  IStackMemory& FLive;
  TStackAddress FBase;
  const std::uint8_t* FBytes;
  std::uint32_t FSize;
};
