#pragma once
// Guarded reads of this process's own memory: a fault, an unmapped page or a
// guard page makes the read fail instead of ending the process. Any thread.
#include "crash/stack/StackEnvironment.h"

class TWin32StackMemory : public IStackMemory {
 public:
  bool Read(TStackAddress address, void* buffer, std::uint32_t size) override;
  TMemoryRegion RegionAt(TStackAddress address) override;
};
