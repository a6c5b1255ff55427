// Arbitrary bytes as TD32 debug data (a ".tds" file, a debug directory's
// data or a module with the data appended): the reader must refuse or read
// them cleanly, never read past them or loop, and what it reads must answer
// lookups.
#include <cstddef>
#include <cstdint>
#include <string>

#include "crash/map/Td32Reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TMapFile map;
  map.Code = {0x00401000, 0x10000};
  if (ReadTd32(bytes, map)) {
    map.Sort();
    map.PublicAt(0x00401800);
    map.LineAt(0x00401800);
    map.FunctionNameAt(0x00401000);
  }
  if (size >= kTd32TrailerSize) Td32TrailerDistance(bytes.substr(size - kTd32TrailerSize));
  return 0;
}
