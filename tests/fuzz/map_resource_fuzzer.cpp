// Arbitrary bytes as a map resource (or .ost file): the header, the cipher,
// the inflation and the stream reader must refuse or read cleanly, never read
// past the bytes, and what they accept must answer lookups without fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "crash/map/MapResource.h"
#include "crash/map/MapStream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TMapFile map;
  map.Code = {0x00401000, 0x10000};
  if (ReadMapResource(bytes, map)) {
    map.Sort();
    if (map.Fingerprint.size() != 31) __builtin_trap();
    map.PublicAt(0x00401800);
    map.LineAt(0x00401800);
    map.FunctionNameAt(0x00401000);
  }
  // The same bytes as a bare stream, in both forms.
  for (bool minimal : {false, true}) {
    TMapFile stream;
    stream.Code = {0x00401000, 0x10000};
    if (ReadMapStream(bytes, minimal, stream)) {
      stream.Sort();
      int line = 0;
      TAddress lowest = 0, highest = 0;
      stream.LineOfAddress(0x00401010, line, lowest, highest);
      stream.PublicByName(true, "unit", "name", false);
    }
  }
  return 0;
}
