#include "crash/stack/FramePrologue.h"

namespace {

// push ebp; mov ebp, esp (either encoding); the length, 0 when absent.
std::uint32_t PushAndSetEbp(const std::uint8_t* at) {
  return at[0] == 0x55 && ((at[1] == 0x89 && at[2] == 0xE5) || (at[1] == 0x8B && at[2] == 0xEC)) ? 3 : 0;
}

bool IsAlignmentMask(std::uint8_t imm) {
  const unsigned alignment = (0x100u - imm) & 0xFF;
  return imm >= 0x80 && alignment > 1 && (alignment & (alignment - 1)) == 0;
}

// A body that realigns its stack through a pointer register before its frame:
// lea r, [esp+4]; and esp, -N; push dword [r-4]; push ebp; mov ebp, esp. The
// pushed copy of the return address lies right above the frame, as in a
// plain prologue; the original slot sits beyond the alignment gap.
bool RealignsThenSetsUpFrame(const std::uint8_t* at) {
  if (at[0] != 0x8D || (at[1] & 0xC7) != 0x44 || at[2] != 0x24 || at[3] != 0x04) return false;
  const unsigned reg = (at[1] >> 3) & 7;
  if (reg == 4) return false;
  if (at[4] != 0x83 || at[5] != 0xE4 || !IsAlignmentMask(at[6])) return false;
  if (at[7] != 0xFF || at[8] != (0x70 | reg) || at[9] != 0xFC) return false;
  return PushAndSetEbp(at + 10) != 0;
}

}  // namespace

// Also behind the two-byte mov edi, edi that system routines start with to be
// patchable, and behind a patchable stub (push ebp; mov ebp, esp; pop ebp):
// what follows the stub decides, since it may keep no frame at all.
bool SetsUpFrame(const std::uint8_t* code) {
  const std::uint8_t* at = code[0] == 0x8B && code[1] == 0xFF ? code + 2 : code;
  if (const std::uint32_t frame = PushAndSetEbp(at)) {
    if (at[frame] != 0x5D) return true;
    at += frame + 1;
    return PushAndSetEbp(at) != 0 || RealignsThenSetsUpFrame(at);
  }
  return RealignsThenSetsUpFrame(at);
}
