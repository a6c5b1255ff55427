#include "crash/map/InstructionDecoder.h"

#include <capstone/capstone.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "crash/map/DecoderArena.h"
#include "crash/map/InstructionText.h"

namespace {

void* CAPSTONE_API ArenaMalloc(size_t size) { return decoder_arena::Allocate(size); }
void* CAPSTONE_API ArenaCalloc(size_t count, size_t size) { return decoder_arena::AllocateZeroed(count, size); }
void* CAPSTONE_API ArenaRealloc(void* block, size_t size) { return decoder_arena::Reallocate(block, size); }
void CAPSTONE_API ArenaFree(void* block) { decoder_arena::Free(block); }
int CAPSTONE_API Format(char* text, size_t size, const char* format, va_list arguments) {
  return std::vsnprintf(text, size, format, arguments);
}

// One decoder for the process, opened on first use and kept; every use holds
// the lock, and the bytes are read before it is taken, so a fault while
// reading never leaves it held.
class TSharedDecoder {
 public:
  static TSharedDecoder& Instance() {
    static TSharedDecoder decoder;
    return decoder;
  }

  std::mutex& Lock() { return FLock; }
  bool Ready() const { return FInstruction != nullptr; }
  csh Handle() const { return FHandle; }
  cs_insn* Scratch() const { return FInstruction; }

 private:
  TSharedDecoder() {
    cs_opt_mem memory{ArenaMalloc, ArenaCalloc, ArenaRealloc, ArenaFree, Format};
    if (cs_option(0, CS_OPT_MEM, reinterpret_cast<size_t>(&memory)) != CS_ERR_OK) return;
    if (cs_open(CS_ARCH_X86, CS_MODE_32, &FHandle) != CS_ERR_OK) return;
    cs_option(FHandle, CS_OPT_DETAIL, CS_OPT_ON);
    FInstruction = cs_malloc(FHandle);
  }

  std::mutex FLock;
  csh FHandle = 0;
  cs_insn* FInstruction = nullptr;
};

bool InGroup(const cs_insn& instruction, cs_group_type group) {
  const cs_detail& detail = *instruction.detail;
  for (unsigned i = 0; i < detail.groups_count; ++i)
    if (detail.groups[i] == group) return true;
  return false;
}

TBranchKind KindOf(const cs_insn& instruction) {
  switch (instruction.id) {
    case X86_INS_CALL:
    case X86_INS_LCALL:
      return TBranchKind::Call;
    case X86_INS_JMP:
    case X86_INS_LJMP:
      return TBranchKind::Jump;
    // The decoder does not count these as jumps, but they are: they go to
    // their target or fall through.
    case X86_INS_LOOP:
    case X86_INS_LOOPE:
    case X86_INS_LOOPNE:
    case X86_INS_JECXZ:
    case X86_INS_JCXZ:
      return TBranchKind::ConditionalJump;
    case X86_INS_HLT:
    case X86_INS_UD2:
    case X86_INS_INT3:
      return TBranchKind::Stop;
    default:
      break;
  }
  if (InGroup(instruction, CS_GRP_RET) || InGroup(instruction, CS_GRP_IRET)) return TBranchKind::Return;
  if (InGroup(instruction, CS_GRP_JUMP)) return TBranchKind::ConditionalJump;
  return TBranchKind::None;
}

// Where a call or jump goes: an immediate target, a pointer at a fixed
// address, or a table indexed by a register.
void FillTarget(const cs_insn& instruction, TInstruction& result) {
  const cs_x86& x86 = instruction.detail->x86;
  if (x86.op_count == 2 && x86.operands[0].type == X86_OP_IMM && x86.operands[1].type == X86_OP_IMM) {
    result.Far = true;  // segment:offset
    return;
  }
  if (x86.op_count != 1) return;
  const cs_x86_op& operand = x86.operands[0];
  result.Far = instruction.id == X86_INS_LCALL || instruction.id == X86_INS_LJMP;
  if (operand.type == X86_OP_IMM && !result.Far) {
    result.HasTarget = true;
    result.Target = static_cast<TAddress>(operand.imm);
  } else if (operand.type == X86_OP_MEM && operand.mem.segment == X86_REG_INVALID) {
    const x86_op_mem& memory = operand.mem;
    if (memory.base == X86_REG_INVALID && memory.index == X86_REG_INVALID) {
      result.HasPointerSlot = true;
      result.PointerSlot = static_cast<TAddress>(memory.disp);
    } else if (memory.base == X86_REG_INVALID && memory.scale == 4 && result.Kind == TBranchKind::Jump) {
      result.HasJumpTable = true;
      result.JumpTable = static_cast<TAddress>(memory.disp);
    }
  }
}

TInstruction Undecodable(const std::uint8_t* bytes, std::size_t size, TAddress address, bool withText) {
  TInstruction result;
  result.Address = address;
  result.Length = size == 0 ? 0 : 1;
  result.NextAddress = address + result.Length;
  if (withText && size != 0) result.Text = ByteText(address, bytes[0]);
  return result;
}

}  // namespace

TInstruction DecodeInstruction(const std::uint8_t* bytes, std::size_t size, TAddress address, bool withText) {
  TSharedDecoder& decoder = TSharedDecoder::Instance();
  std::lock_guard<std::mutex> hold(decoder.Lock());
  if (!decoder.Ready()) return Undecodable(bytes, size, address, withText);
  const std::uint8_t* code = bytes;
  size_t remaining = size;
  uint64_t at = address;
  cs_insn* instruction = decoder.Scratch();
  if (size == 0 || !cs_disasm_iter(decoder.Handle(), &code, &remaining, &at, instruction))
    return Undecodable(bytes, size, address, withText);

  TInstruction result;
  result.Valid = true;
  result.Address = address;
  result.Length = instruction->size;
  result.NextAddress = address + instruction->size;
  result.Kind = KindOf(*instruction);
  if (result.IsCall() || result.IsJump()) FillTarget(*instruction, result);
  if (withText) result.Text = InstructionText(address, instruction->mnemonic, instruction->op_str);
  return result;
}

TInstruction DecodeInstruction(const TCodeReader& reader, TAddress address, bool withText) {
  std::uint8_t bytes[kMaxInstructionLength];
  const std::size_t size = reader.Read(address, bytes, sizeof bytes);
  return DecodeInstruction(bytes, size, address, withText);
}
