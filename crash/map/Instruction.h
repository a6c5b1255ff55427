#pragma once
// One decoded 32-bit x86 instruction: what the call-stack tracer, the
// function analysis and the code patcher need to know about it.
#include <cstdint>
#include <string>

#include "crash/map/CodeReader.h"

enum class TBranchKind : std::uint8_t {
  None,             // falls through to the next instruction
  Call,             // near or far call
  Jump,             // unconditional jump
  ConditionalJump,  // jcc, jecxz, loop...: falls through or goes to the target
  Return,           // ret, retf, iret: the path ends
  Stop,             // hlt, ud2, int3 and the like: the path ends without return
};

struct TInstruction {
  bool Valid = false;        // the bytes form an instruction
  TAddress Address = 0;
  std::uint32_t Length = 0;  // 1 for a byte that forms none, 0 when nothing could be read
  TAddress NextAddress = 0;
  TBranchKind Kind = TBranchKind::None;
  bool Far = false;          // far call or jump (with a segment)
  bool HasTarget = false;    // a near call or jump to an immediate address
  TAddress Target = 0;
  // Call or jump through a pointer at a fixed address ("call [imp]").
  bool HasPointerSlot = false;
  TAddress PointerSlot = 0;
  // Jump through a table of 32-bit addresses indexed by a register times 4
  // ("jmp [table + reg*4]"), as compilers emit for a switch.
  bool HasJumpTable = false;
  TAddress JumpTable = 0;
  std::string Text;          // only when asked for

  bool IsCall() const { return Kind == TBranchKind::Call; }
  bool IsJump() const { return Kind == TBranchKind::Jump || Kind == TBranchKind::ConditionalJump; }
  // The path does not go on to the next instruction.
  bool EndsPath() const {
    return Kind == TBranchKind::Jump || Kind == TBranchKind::Return || Kind == TBranchKind::Stop;
  }
};
