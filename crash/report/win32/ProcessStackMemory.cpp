#include "crash/report/win32/ProcessStackMemory.h"

#include <windows.h>

#include "crash/map/win32/ProcessCodeReader.h"

namespace {

TStackAddress ToAddress(const void* p) { return static_cast<TStackAddress>(reinterpret_cast<std::uintptr_t>(p)); }

}  // namespace

bool TProcessStackMemory::Read(TStackAddress address, void* buffer, std::uint32_t size) {
  return TProcessCodeReader::Instance().Read(address, buffer, size) == size;
}

TMemoryRegion TProcessStackMemory::RegionAt(TStackAddress address) {
  TMemoryRegion region;
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(address)), &info, sizeof info) == 0)
    return region;
  region.Base = ToAddress(info.BaseAddress);
  region.End = region.Base + static_cast<TStackAddress>(info.RegionSize);
  // A region that ends at the top of the address space wraps; treat it as unknown.
  if (region.End <= region.Base) return TMemoryRegion();
  region.Committed = info.State == MEM_COMMIT;
  region.AllocationBase = ToAddress(info.AllocationBase);
  return region;
}
