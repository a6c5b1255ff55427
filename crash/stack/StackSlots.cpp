#include "crash/stack/StackSlots.h"

#include "crash/stack/CallTest.h"

TStackSlots::TStackSlots(IStackMemory& env, TStackAddress framePointer, TStackAddress top,
                         TStackAddress bottom) {
  if (top <= bottom) return;
  // A stack is at most a few megabytes; a wider range is a corrupt context.
  constexpr TStackAddress kLargestStack = 256u << 20;
  if (top - bottom > kLargestStack) return;
  const std::size_t count = (top - bottom) / 4;
  FBottom = top - static_cast<TStackAddress>(count * 4);
  FWords.resize(count);
  if (count > 0 && !env.Read(FBottom, FWords.data(), static_cast<std::uint32_t>(count * 4))) {
    FWords.clear();
    return;
  }
  FReadable = true;
  FFrameSlots = FramePointerSlots(env, framePointer, bottom, top);
}
