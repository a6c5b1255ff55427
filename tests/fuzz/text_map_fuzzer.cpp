// Arbitrary bytes as a ".map" text file: the reader must take or refuse them
// without reading past them, and what it takes must answer lookups.
#include <cstddef>
#include <cstdint>
#include <string>

#include "crash/map/TextMapReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TMapFile map;
  map.Code = {0x00401000, 0x10000};
  map.Data = {0x00420000, 0x1000};
  if (ReadTextMap(text, map)) {
    map.Sort();
    map.PublicAt(0x00401800);
    map.LineAt(0x00401800);
    map.FunctionNameAt(0x00401000);
    map.PublicByName(true, "System", "@HandleFinally", false);
  }
  return 0;
}
