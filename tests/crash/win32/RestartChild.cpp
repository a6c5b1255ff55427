// The successor of a restarted process, for the hand-over test: takes over
// the record meant for it and ends with the sum of the history it received
// (or 255 when there was no record).
#include <windows.h>

#include "crash/win32/RestartHandOver.h"

int main() {
  TRestartHistory history{};
  if (!TakeOverRestartRecord(history)) return 255;
  std::uint64_t sum = 0;
  for (std::uint64_t value : history) sum += value;
  return static_cast<int>(sum);
}
