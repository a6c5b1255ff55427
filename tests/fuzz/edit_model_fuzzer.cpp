// The edit model driven by arbitrary bytes: every byte chooses the next
// operation or its argument, and the same reference checks as the seeded
// host test apply after every step (text, selection, rows and their global
// indexes, undo of everything back to the first text).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/controls/edit/ElEditModelDriver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  edit_driver::TByteChoices choices(data + 1, size - 1);
  edit_driver::TDriver driver(choices, (data[0] & 1) != 0);
  if (!driver.Run(1000)) {
    std::fprintf(stderr, "%s\n", driver.Failure().c_str());
    std::abort();
  }
  return 0;
}
