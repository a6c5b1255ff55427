#include "crash/stack/CallTest.h"

#include <cstdint>

namespace {

// Length of an FF /2 or FF /3 instruction from its ModRM and SIB bytes.
std::uint32_t IndirectCallLength(std::uint8_t modrm, std::uint8_t sib) {
  const unsigned mod = modrm >> 6;
  const unsigned rm = modrm & 7;
  switch (mod) {
    case 3:
      return 2;
    case 0:
      if (rm == 5) return 6;
      if (rm == 4) return (sib & 7) == 5 ? 7 : 3;
      return 2;
    case 1:
      return rm == 4 ? 4 : 3;
    default:
      return rm == 4 ? 7 : 6;
  }
}

}  // namespace

bool IsCallReturnAddress(IStackMemory& env, TStackAddress value) {
  constexpr std::uint32_t kBack = 8;
  if (value < kBack) return false;
  std::uint8_t b[kBack];
  if (!env.Read(value - kBack, b, kBack)) return false;
  // b[kBack - n] is the byte at value - n.
  if (b[kBack - 5] == 0xE8) return true;
  for (std::uint32_t length : {2u, 3u, 4u, 6u, 7u}) {
    const std::uint8_t* op = b + kBack - length;
    if (op[0] != 0xFF || ((op[1] >> 3) & 6) != 2) continue;
    const std::uint8_t sib = length > 2 ? op[2] : 0;
    if (IndirectCallLength(op[1], sib) == length) return true;
  }
  return b[kBack - 7] == 0x9A;
}

std::vector<TStackAddress> FramePointerSlots(IStackMemory& env, TStackAddress framePointer,
                                             TStackAddress bottom, TStackAddress top) {
  std::vector<TStackAddress> slots;
  TStackAddress frame = framePointer;
  if (frame <= UINT32_MAX - 4 && bottom < frame + 4 && frame + 4 < top) slots.push_back(frame + 4);
  for (;;) {
    TStackAddress saved = 0;
    if (!env.Read(frame, &saved, sizeof saved)) break;
    if (saved <= frame || saved > UINT32_MAX - 4 || saved + 4 >= top) break;
    if (saved + 4 > bottom) slots.push_back(saved + 4);
    frame = saved;
  }
  return slots;
}
