#include "crash/map/win32/ProcessCodeReader.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                            PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// How many bytes from address on lie in one committed, readable region.
std::size_t ReadableAt(std::uintptr_t address) {
  MEMORY_BASIC_INFORMATION info;
  if (VirtualQuery(reinterpret_cast<LPCVOID>(address), &info, sizeof info) == 0) return 0;
  if (info.State != MEM_COMMIT || (info.Protect & PAGE_GUARD) || !(info.Protect & kReadable)) return 0;
  return reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize - address;
}

}  // namespace

// The memory's state is asked before every copy rather than the copy being
// left to fault: the system's read-another-process call cannot be relied on
// for the own process everywhere this runs, and a fault would end the report.
std::size_t TProcessCodeReader::Read(TAddress address, void* buffer, std::size_t count) const {
  std::size_t done = 0;
  while (done < count) {
    const std::uintptr_t at = static_cast<std::uintptr_t>(address) + done;
    if (at < address) break;  // wrapped past the top
    const std::size_t readable = ReadableAt(at);
    if (readable == 0) break;
    const std::size_t chunk = count - done < readable ? count - done : readable;
    std::memcpy(static_cast<char*>(buffer) + done, reinterpret_cast<const void*>(at), chunk);
    done += chunk;
  }
  return done;
}

const TProcessCodeReader& TProcessCodeReader::Instance() {
  static const TProcessCodeReader reader;
  return reader;
}
