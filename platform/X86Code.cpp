#include "platform/X86Code.h"

#include <cstring>

std::array<uint8_t, kRelativeJumpSize> EncodeRelativeJump(uint32_t from, uint32_t to) {
  const uint32_t displacement = to - (from + static_cast<uint32_t>(kRelativeJumpSize));
  std::array<uint8_t, kRelativeJumpSize> bytes{0xE9};
  std::memcpy(&bytes[1], &displacement, sizeof displacement);
  return bytes;
}

namespace {
uint32_t ReadU32(const uint8_t* bytes) {
  uint32_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// Bytes taken by a ModRM byte with its SIB and displacement; 0 when cut off.
size_t ModRMLength(const uint8_t* code, size_t available) {
  if (available < 1) return 0;
  const uint8_t modrm = code[0];
  const int mod = modrm >> 6;
  const int rm = modrm & 7;
  size_t length = 1;
  if (mod != 3 && rm == 4) {
    if (available < 2) return 0;
    const uint8_t sib = code[1];
    ++length;
    if (mod == 0 && (sib & 7) == 5) length += 4;
  }
  if (mod == 1) length += 1;
  else if (mod == 2) length += 4;
  else if (mod == 0 && rm == 5) length += 4;
  return length <= available ? length : 0;
}

// Length of one instruction known to run the same from any address; 0 for
// anything else (relative branches, returns, opcodes this table lacks).
size_t InstructionLength(const uint8_t* code, size_t available) {
  if (available == 0) return 0;
  size_t prefix = 0;
  while (prefix < available && (code[prefix] == 0x64 || code[prefix] == 0x65)) ++prefix;  // fs:, gs:
  if (prefix >= available) return 0;
  const uint8_t op = code[prefix];
  const uint8_t* rest = code + prefix + 1;
  const size_t left = available - prefix - 1;
  auto withModRM = [&](size_t immediate) -> size_t {
    const size_t modrm = ModRMLength(rest, left);
    if (modrm == 0 || modrm + immediate > left) return 0;
    return prefix + 1 + modrm + immediate;
  };
  auto plain = [&](size_t immediate) -> size_t {
    return immediate <= left ? prefix + 1 + immediate : 0;
  };
  if (op >= 0x40 && op <= 0x5F) return plain(0);  // inc, dec, push, pop of a register
  switch (op) {
    case 0x90: case 0x9C: case 0x9D: case 0xFC: return plain(0);  // nop, pushfd, popfd, cld
    case 0x6A: return plain(1);                                    // push imm8
    case 0x68: return plain(4);                                    // push imm32
    case 0xA1: case 0xA3: return plain(4);                         // mov eax, [moffs] and back
    case 0x01: case 0x03: case 0x09: case 0x0B: case 0x21: case 0x23: case 0x29: case 0x2B:
    case 0x31: case 0x33: case 0x39: case 0x3B: case 0x84: case 0x85: case 0x87:
    case 0x88: case 0x89: case 0x8A: case 0x8B: case 0x8D:
      return withModRM(0);
    case 0x80: case 0x83: case 0xC6: return withModRM(1);
    case 0x81: case 0xC7: return withModRM(4);
    case 0xFF: {
      // push r/m only: the other forms branch.
      if (left < 1 || ((rest[0] >> 3) & 7) != 6) return 0;
      return withModRM(0);
    }
    default: break;
  }
  if (op >= 0xB8 && op <= 0xBF) return plain(4);  // mov reg, imm32
  if (op >= 0xB0 && op <= 0xB7) return plain(1);  // mov reg8, imm8
  return 0;
}
}  // namespace

std::optional<uint32_t> ImportStubCell(const uint8_t* code, size_t available) {
  static const uint8_t kNoOpFrame[] = {0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x5D};
  size_t at = 0;
  if (available >= sizeof kNoOpFrame && std::memcmp(code, kNoOpFrame, sizeof kNoOpFrame) == 0)
    at = sizeof kNoOpFrame;
  if (available < at + 6 || code[at] != 0xFF || code[at + 1] != 0x25) return std::nullopt;
  return ReadU32(code + at + 2);
}

size_t RelocatablePrefixLength(const uint8_t* code, size_t available, size_t needed) {
  size_t covered = 0;
  while (covered < needed) {
    const size_t length = InstructionLength(code + covered, available - covered);
    if (length == 0) return 0;
    covered += length;
  }
  return covered;
}
