#include "controls/edit/ElImageSlots.h"

#include <algorithm>

int TElImageSlots::Take() {
  const auto free = std::find(FUsed.begin(), FUsed.end(), false);
  const int slot = static_cast<int>(free - FUsed.begin());
  if (free == FUsed.end()) {
    FUsed.push_back(true);
  } else {
    *free = true;
  }
  ++FUseCount;
  return slot;
}

void TElImageSlots::Free(int slot) {
  if (!Used(slot)) return;
  FUsed[static_cast<std::size_t>(slot)] = false;
  --FUseCount;
}

bool TElImageSlots::Used(int slot) const {
  return slot >= 0 && slot < Count() && FUsed[static_cast<std::size_t>(slot)];
}
