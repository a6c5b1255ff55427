// Arbitrary bytes as a function's code: the analysis and the listing must end
// on anything (tables pointing anywhere, jumps into instructions, bytes that
// form nothing) and never read outside the bytes.
#include <cstddef>
#include <cstdint>

#include "crash/map/Disassembler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const TAddress base = 0x00401000;
  const TBufferCodeReader reader(base, data + 1, size - 1);
  TDisassemblySources sources;
  sources.Reader = &reader;
  sources.LineAt = [](TAddress at) { return static_cast<int>(at & 0x3f); };
  const std::string text = DisassembleFunction(sources, base, base + data[0], (data[0] & 1) != 0, data[0] % 7);
  if (text == kDisassemblyInternalError) __builtin_trap();
  return 0;
}
