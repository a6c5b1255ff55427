#pragma once
// Decoding of 32-bit x86 instructions, with their text in Intel syntax:
//   "00401000   push   ebp", "0040100c   rep movsd ...", "00401010   db ff".
// Address as eight lower-case hexadecimal digits, three blanks, the prefixes
// "lock ", "repne " or "rep ", the mnemonic padded so that the operands start
// in the 19th column (always after at least one blank), operands joined by ", ".
// Any thread; the decoder's state is shared behind a lock and allocates only
// from its own fixed arena, so it may run while the process is in trouble.
#include <cstddef>
#include <cstdint>

#include "crash/map/CodeReader.h"
#include "crash/map/Instruction.h"

// Zero-based column at which the operands of an instruction text begin.
constexpr std::size_t kOperandColumn = 18;

// Decodes the instruction at address from the bytes reader yields. A fault
// reading the first byte gives an invalid instruction of length 0.
TInstruction DecodeInstruction(const TCodeReader& reader, TAddress address, bool withText = false);

// The same over bytes already in hand, which appear at address.
TInstruction DecodeInstruction(const std::uint8_t* bytes, std::size_t size, TAddress address,
                               bool withText = false);

// The longest x86 instruction.
constexpr std::size_t kMaxInstructionLength = 15;
