#pragma once
// The stack words of one range, read at once so that a scan touches each slot
// once, with the frame-pointer slots among them.
#include <vector>

#include "crash/stack/StackEnvironment.h"

class TStackSlots {
 public:
  // Empty (Readable() false) when the range cannot be read or is not aligned.
  TStackSlots(IStackMemory& env, TStackAddress framePointer, TStackAddress top, TStackAddress bottom);

  bool Readable() const { return FReadable; }
  // Visits the slots from the top down; the visitor answers how many lower
  // slots to skip, or -1 to stop.
  template <typename Visitor>
  void ScanDown(Visitor&& visit) const {
    std::size_t fp = FFrameSlots.size();
    std::size_t i = FWords.size();
    while (i > 0) {
      --i;
      const TStackAddress slot = FBottom + static_cast<TStackAddress>(i) * 4;
      while (fp > 0 && FFrameSlots[fp - 1] > slot) --fp;
      const bool frameSlot = fp > 0 && FFrameSlots[fp - 1] == slot;
      const int skip = visit(slot, FWords[i], frameSlot);
      if (skip < 0) return;
      i = static_cast<std::size_t>(skip) >= i ? 0 : i - static_cast<std::size_t>(skip);
    }
  }

 private:
  bool FReadable = false;
  TStackAddress FBottom = 0;
  std::vector<TStackAddress> FWords;
  std::vector<TStackAddress> FFrameSlots;
};
