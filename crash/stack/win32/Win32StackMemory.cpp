#include "crash/stack/win32/Win32StackMemory.h"

#include <windows.h>

bool TWin32StackMemory::Read(TStackAddress address, void* buffer, std::uint32_t size) {
  if (size == 0) return true;
  SIZE_T done = 0;
  // The system copies under its own fault handling; this is the guard.
  return ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(address)),
                           buffer, size, &done) &&
         done == size;
}

TMemoryRegion TWin32StackMemory::RegionAt(TStackAddress address) {
  TMemoryRegion region;
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(address)), &info, sizeof info) == 0)
    return region;
  const auto base = static_cast<TStackAddress>(reinterpret_cast<std::uintptr_t>(info.BaseAddress));
  region.Committed = info.State == MEM_COMMIT;
  region.Base = base;
  region.End = base + static_cast<TStackAddress>(info.RegionSize);
  region.AllocationBase = static_cast<TStackAddress>(reinterpret_cast<std::uintptr_t>(info.AllocationBase));
  return region;
}
