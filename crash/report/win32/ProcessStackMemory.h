#pragma once
// Guarded reads of this process's memory that keep nothing between calls, so
// the report's thread sampling on the handling thread never shares a cache
// with a trace running on another report's completion thread. Any thread.
#include "crash/stack/StackEnvironment.h"

class TProcessStackMemory : public IStackMemory {
 public:
  bool Read(TStackAddress address, void* buffer, std::uint32_t size) override;
  TMemoryRegion RegionAt(TStackAddress address) override;
};
