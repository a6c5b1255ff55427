#include "crash/hooks/win32/CallRedirect.h"

#include <cstdint>
#include <cstring>

#include "crash/map/InstructionDecoder.h"
#include "crash/map/win32/ProcessCodeReader.h"
#include "platform/X86Code.h"

namespace {

// Far more than any routine whose call is redirected; a guard against
// decoding into the unknown when no return comes.
constexpr std::uint32_t kMaxRoutineBytes = 64 * 1024;

constexpr uint8_t kRelativeCall = 0xE8;

TAddress AddressOf(const void* pointer) { return static_cast<TAddress>(reinterpret_cast<uintptr_t>(pointer)); }
void* PointerOf(TAddress address) { return reinterpret_cast<void*>(static_cast<uintptr_t>(address)); }

}  // namespace

void* FollowEntryJumps(void* routine) {
  // A few levels: an incremental-linking jump to a stub to another module.
  for (int depth = 0; depth < 8 && routine != nullptr; ++depth) {
    void* resolved = ResolveRoutineEntry(routine);
    const TInstruction first = DecodeInstruction(TProcessCodeReader::Instance(), AddressOf(resolved));
    if (first.Kind != TBranchKind::Jump || !first.HasTarget || first.Far) return resolved;
    routine = PointerOf(first.Target);
  }
  return routine;
}

void* FindRelativeCall(void* routine, void* callee) {
  const TCodeReader& reader = TProcessCodeReader::Instance();
  void* const wanted = FollowEntryJumps(callee);
  const TAddress start = AddressOf(ResolveRoutineEntry(routine));
  for (TAddress at = start; at - start < kMaxRoutineBytes;) {
    const TInstruction instruction = DecodeInstruction(reader, at);
    if (!instruction.Valid || instruction.Length == 0 || instruction.Kind == TBranchKind::Return) return nullptr;
    uint8_t opcode = 0;
    if (instruction.IsCall() && instruction.HasTarget && instruction.Length == 5 && ReadCode(PointerOf(at), &opcode, 1) &&
        opcode == kRelativeCall && FollowEntryJumps(PointerOf(instruction.Target)) == wanted)
      return PointerOf(at);
    at = instruction.NextAddress;
  }
  return nullptr;
}

TCallRedirect::TCallRedirect(void* routine, void* callee, void* replacement)
    : FCallSite(FindRelativeCall(routine, callee)) {
  if (FCallSite == nullptr) return;
  auto* site = static_cast<uint8_t*>(FCallSite);
  int32_t displacement = 0;
  if (!ReadCode(site + 1, &displacement, sizeof displacement)) {
    FCallSite = nullptr;
    return;
  }
  FOriginal = site + 5 + displacement;
  const int32_t redirected = static_cast<int32_t>(AddressOf(replacement) - AddressOf(site + 5));
  std::vector<uint8_t> bytes(sizeof redirected);
  std::memcpy(bytes.data(), &redirected, sizeof redirected);
  FPatch = std::make_unique<TCodePatch>(site + 1, std::move(bytes));
}

bool TCallRedirect::Apply() { return FPatch != nullptr && FPatch->Apply(); }

bool TCallRedirect::Undo() { return FPatch == nullptr || FPatch->Undo(); }
