// Hand-picked instructions: length, kind, target and text of each.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "crash/map/DecoderArena.h"
#include "crash/map/InstructionDecoder.h"

namespace {

constexpr TAddress kAt = 0x00401000;

struct TDecodeCase {
  std::vector<std::uint8_t> Bytes;
  std::uint32_t Length;
  TBranchKind Kind;
  const char* Text;
};

TInstruction Decode(const std::vector<std::uint8_t>& bytes, bool withText = true) {
  return DecodeInstruction(bytes.data(), bytes.size(), kAt, withText);
}

TEST(InstructionDecoder, HandPickedInstructionsGiveLengthKindAndText) {
  const TDecodeCase cases[] = {
      {{0x55}, 1, TBranchKind::None, "00401000   push   ebp"},
      {{0x8b, 0x45, 0x08}, 3, TBranchKind::None, "00401000   mov    eax, dword ptr [ebp + 8]"},
      {{0xe8, 0x10, 0, 0, 0}, 5, TBranchKind::Call, "00401000   call   0x401015"},
      {{0xf3, 0xa5}, 2, TBranchKind::None, "00401000   rep movsd dword ptr es:[edi], dword ptr [esi]"},
      {{0xf2, 0xae}, 2, TBranchKind::None, "00401000   repne scasb al, byte ptr es:[edi]"},
      {{0xf0, 0x0f, 0xb1, 0x0a}, 4, TBranchKind::None, "00401000   lock cmpxchg dword ptr [edx], ecx"},
      // A mandatory prefix of a vector instruction is no repeat prefix.
      {{0xf2, 0x0f, 0x10, 0x45, 0x08}, 5, TBranchKind::None, "00401000   movsd  xmm0, qword ptr [ebp + 8]"},
      {{0x64, 0xa1, 0, 0, 0, 0}, 6, TBranchKind::None, "00401000   mov    eax, dword ptr fs:[0]"},
      {{0x9a, 0, 0x10, 0x40, 0, 0x10, 0}, 7, TBranchKind::Call, "00401000   lcall  0x10:0x401000"},
      {{0xff, 0x1d, 0, 0x50, 0x40, 0}, 6, TBranchKind::Call, "00401000   lcall  [0x405000]"},
      {{0xff, 0x24, 0x85, 0, 0x60, 0x40, 0}, 7, TBranchKind::Jump, "00401000   jmp    dword ptr [eax*4 + 0x406000]"},
      {{0x74, 0x10}, 2, TBranchKind::ConditionalJump, "00401000   je     0x401012"},
      {{0xe3, 0x05}, 2, TBranchKind::ConditionalJump, "00401000   jecxz  0x401007"},
      {{0xe2, 0xfe}, 2, TBranchKind::ConditionalJump, "00401000   loop   0x401000"},
      {{0xe1, 0x02}, 2, TBranchKind::ConditionalJump, "00401000   loope  0x401004"},
      {{0xe0, 0x02}, 2, TBranchKind::ConditionalJump, "00401000   loopne 0x401004"},
      {{0xc2, 0x08, 0x00}, 3, TBranchKind::Return, "00401000   ret    8"},
      {{0xc3}, 1, TBranchKind::Return, "00401000   ret"},
      {{0x0f, 0x0b}, 2, TBranchKind::Stop, "00401000   ud2"},
      {{0xcc}, 1, TBranchKind::Stop, "00401000   int3"},
      // Bytes that form no instruction are listed one at a time.
      {{0x0f, 0x04}, 1, TBranchKind::None, "00401000   db 0f"},
  };
  for (const TDecodeCase& c : cases) {
    const TInstruction instruction = Decode(c.Bytes);
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(instruction.Length, c.Length);
    EXPECT_EQ(instruction.NextAddress, kAt + c.Length);
    EXPECT_EQ(instruction.Kind, c.Kind);
    EXPECT_EQ(instruction.Text, c.Text);
    EXPECT_EQ(instruction.Valid, std::string(c.Text).find(" db ") == std::string::npos);
  }
}

TEST(InstructionDecoder, OperandsStartInTheNineteenthColumnAfterAtLeastOneBlank) {
  EXPECT_EQ(Decode({0x55}).Text.find("ebp"), kOperandColumn);
  // A prefixed mnemonic longer than the column still has one blank before its operands.
  const std::string lockText = Decode({0xf0, 0x0f, 0xb1, 0x0a}).Text;
  EXPECT_NE(lockText.find("cmpxchg dword"), std::string::npos);
}

TEST(InstructionDecoder, TargetsOfCallsAndJumps) {
  const TInstruction relative = Decode({0xe8, 0xfb, 0xff, 0xff, 0xff});  // call to itself
  EXPECT_TRUE(relative.HasTarget);
  EXPECT_EQ(relative.Target, kAt);
  EXPECT_FALSE(relative.Far);

  const TInstruction throughPointer = Decode({0xff, 0x15, 0x00, 0x50, 0x40, 0x00});
  EXPECT_FALSE(throughPointer.HasTarget);
  EXPECT_TRUE(throughPointer.HasPointerSlot);
  EXPECT_EQ(throughPointer.PointerSlot, 0x405000u);

  const TInstruction table = Decode({0xff, 0x24, 0x85, 0x00, 0x60, 0x40, 0x00});
  EXPECT_TRUE(table.HasJumpTable);
  EXPECT_EQ(table.JumpTable, 0x406000u);
  EXPECT_FALSE(table.HasTarget);

  const TInstruction farCall = Decode({0x9a, 0, 0x10, 0x40, 0, 0x10, 0});
  EXPECT_TRUE(farCall.Far);
  EXPECT_FALSE(farCall.HasTarget);

  // A register operand has no target known before run time; neither has a
  // table indexed with another scale than 4.
  const TInstruction throughRegister = Decode({0xff, 0xd0});
  EXPECT_TRUE(throughRegister.IsCall());
  EXPECT_FALSE(throughRegister.HasTarget || throughRegister.HasPointerSlot || throughRegister.HasJumpTable);
  EXPECT_FALSE(Decode({0xff, 0x24, 0x45, 0x00, 0x60, 0x40, 0x00}).HasJumpTable);
}

TEST(InstructionDecoder, ReadsOnlyWhatTheReaderYields) {
  const std::uint8_t call[] = {0xe8, 0x10, 0x00, 0x00, 0x00};
  // Cut short by unreadable memory: not an instruction, one byte listed.
  const TBufferCodeReader cut(kAt, call, 3);
  const TInstruction partial = DecodeInstruction(cut, kAt, true);
  EXPECT_FALSE(partial.Valid);
  EXPECT_EQ(partial.Length, 1u);
  EXPECT_EQ(partial.Text, "00401000   db e8");
  // Nothing readable at all: no length, no text.
  const TInstruction nothing = DecodeInstruction(cut, kAt + 0x100, true);
  EXPECT_FALSE(nothing.Valid);
  EXPECT_EQ(nothing.Length, 0u);
  EXPECT_EQ(nothing.Text, "");
  // Without text asked for, none is made.
  const TBufferCodeReader whole(kAt, call, sizeof call);
  EXPECT_EQ(DecodeInstruction(whole, kAt).Text, "");
  EXPECT_TRUE(DecodeInstruction(whole, kAt).IsCall());
}

TEST(InstructionDecoder, DecodingDoesNotGrowItsArena) {
  Decode({0x55});
  const std::size_t before = decoder_arena::BytesInUse();
  for (int i = 0; i < 1000; ++i) Decode({0xff, 0x24, 0x85, 0x00, 0x60, 0x40, 0x00});
  EXPECT_EQ(decoder_arena::BytesInUse(), before);
  EXPECT_GT(before, 0u);
}

TEST(DecoderArena, FreedBlocksAreReusedAndReallocationKeepsContent) {
  const std::size_t before = decoder_arena::BytesInUse();
  char* a = static_cast<char*>(decoder_arena::Allocate(100));
  char* b = static_cast<char*>(decoder_arena::AllocateZeroed(10, 10));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(b[i], 0);
  std::string("kept").copy(a, 4);
  decoder_arena::Free(b);
  char* grown = static_cast<char*>(decoder_arena::Reallocate(a, 5000));
  ASSERT_NE(grown, nullptr);
  EXPECT_EQ(std::string(grown, 4), "kept");
  decoder_arena::Free(grown);
  EXPECT_EQ(decoder_arena::BytesInUse(), before);
  // More than the arena holds is refused, not taken from elsewhere.
  EXPECT_EQ(decoder_arena::Allocate(1u << 30), nullptr);
  EXPECT_EQ(decoder_arena::BytesInUse(), before);
}

}  // namespace
