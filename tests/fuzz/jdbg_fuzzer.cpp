// Arbitrary bytes as a ".jdbg" file. The checksum would refuse nearly every
// mutation, so the bytes are also read with the checksum mark cleared: the
// tables must then be refused or read cleanly, never past the bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "crash/map/JdbgReader.h"

namespace {

void Read(const std::string& bytes) {
  TMapFile map;
  map.Code = {0x00401000, 0x10000};
  if (ReadJdbg(bytes, map)) {
    map.Sort();
    map.PublicAt(0x00401800);
    map.LineAt(0x00401800);
    map.FunctionNameAt(0x00401000);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  Read(bytes);
  if (bytes.size() >= kJdbgHeaderSize) {
    bytes[8] = static_cast<char>(bytes[8] & ~kJdbgChecksumValid);
    Read(bytes);
  }
  return 0;
}
