#include "crash/stack/PrepareStack.h"

#include "crash/stack/CallTest.h"
#include "crash/stack/StackSlots.h"

TPreparedStack PrepareStack(IStackMemory& env, TStackAddress framePointer, TStackAddress top,
                            TStackAddress bottom, bool isException, TStackAddress currentAddress) {
  TPreparedStack prepared;
  const TStackSlots slots(env, framePointer, top, bottom);
  if (!slots.Readable()) return prepared;
  slots.ScanDown([&](TStackAddress, TStackAddress value, bool frameSlot) {
    if (isException && value == currentAddress) return -1;
    if (!IsCallReturnAddress(env, value)) return 0;
    prepared.push_back({static_cast<std::uint8_t>(frameSlot ? 1 : 0), value});
    // The slot below a frame's return address holds the saved frame pointer.
    return frameSlot ? 1 : 0;
  });
  return prepared;
}
