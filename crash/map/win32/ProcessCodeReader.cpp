#include "crash/map/win32/ProcessCodeReader.h"

#include <windows.h>

namespace {
constexpr std::size_t kPage = 4096;
}

std::size_t TProcessCodeReader::Read(TAddress address, void* buffer, std::size_t count) const {
  // Page by page, so that bytes before an unreadable page still count.
  std::size_t done = 0;
  while (done < count) {
    const std::uintptr_t at = static_cast<std::uintptr_t>(address) + done;
    if (at == 0 || at < address) break;  // null page, or wrapped past the top
    const std::size_t untilPageEnd = kPage - (at % kPage);
    const std::size_t chunk = count - done < untilPageEnd ? count - done : untilPageEnd;
    SIZE_T copied = 0;
    if (!ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<LPCVOID>(at),
                           static_cast<char*>(buffer) + done, chunk, &copied) ||
        copied != chunk)
      break;
    done += chunk;
  }
  return done;
}

const TProcessCodeReader& TProcessCodeReader::Instance() {
  static const TProcessCodeReader reader;
  return reader;
}
