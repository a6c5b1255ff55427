#include "platform/win32/CodePatch.h"

#include <windows.h>

#include <cstring>

#include "platform/X86Code.h"

bool ReadCode(const void* address, void* buffer, size_t count) {
  SIZE_T read = 0;
  return ReadProcessMemory(GetCurrentProcess(), address, buffer, count, &read) && read == count;
}

bool WriteCode(void* address, const void* bytes, size_t count) {
  DWORD oldProtect = 0;
  if (!VirtualProtect(address, count, PAGE_EXECUTE_READWRITE, &oldProtect)) return false;
  std::memcpy(address, bytes, count);
  DWORD ignored = 0;
  VirtualProtect(address, count, oldProtect, &ignored);
  FlushInstructionCache(GetCurrentProcess(), address, count);
  return true;
}

TCodePatch::TCodePatch(void* address, std::vector<uint8_t> bytes)
    : FAddress(address), FBytes(std::move(bytes)) {}

TCodePatch::~TCodePatch() { Undo(); }

bool TCodePatch::Apply() {
  if (FApplied) return true;
  std::vector<uint8_t> current(FBytes.size());
  if (!ReadCode(FAddress, current.data(), current.size())) return false;
  if (current == FBytes) return true;  // already as wanted: nothing of ours to undo later
  if (!WriteCode(FAddress, FBytes.data(), FBytes.size())) return false;
  FFound = std::move(current);
  FApplied = true;
  return true;
}

bool TCodePatch::Undo() {
  if (!FApplied) return true;
  std::vector<uint8_t> current(FBytes.size());
  if (!ReadCode(FAddress, current.data(), current.size())) return false;
  if (current != FBytes) {
    // Someone patched over us: theirs stays, and ours is gone anyway.
    FApplied = false;
    return true;
  }
  if (!WriteCode(FAddress, FFound.data(), FFound.size())) return false;
  FApplied = false;
  return true;
}

void* ResolveRoutineEntry(void* routine) {
  // A few levels at most: a stub in one module leading to a stub in the next.
  for (int depth = 0; depth < 8 && routine != nullptr; ++depth) {
    uint8_t code[16];
    if (!ReadCode(routine, code, sizeof code)) break;
    const std::optional<uint32_t> cell = ImportStubCell(code, sizeof code);
    if (!cell) break;
    void* next = nullptr;
    if (!ReadCode(reinterpret_cast<const void*>(static_cast<uintptr_t>(*cell)), &next, sizeof next)) break;
    routine = next;
  }
  return routine;
}

namespace {
std::vector<uint8_t> JumpBytes(void* from, void* to) {
  const auto bytes = EncodeRelativeJump(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(from)),
                                        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(to)));
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}
}  // namespace

TEntryJumpPatch::TEntryJumpPatch(void* routine, void* replacement, bool keepOriginal)
    : FTarget(ResolveRoutineEntry(routine)),
      FKeepOriginal(keepOriginal),
      FPatch(FTarget, JumpBytes(FTarget, replacement)) {}

TEntryJumpPatch::~TEntryJumpPatch() {
  // The trampoline is freed only when the jump to the replacement is gone,
  // and then a call still running through it is the caller's business: the
  // owner undoes the patch before it frees what the replacement uses.
  if (FPatch.Undo() && FTrampoline != nullptr) VirtualFree(FTrampoline, 0, MEM_RELEASE);
}

void* TEntryJumpPatch::BuildTrampoline() {
  uint8_t code[32];
  if (!ReadCode(FTarget, code, sizeof code)) return nullptr;
  const size_t moved = RelocatablePrefixLength(code, sizeof code, kRelativeJumpSize);
  if (moved == 0) return nullptr;
  auto* block = static_cast<uint8_t*>(
      VirtualAlloc(nullptr, moved + kRelativeJumpSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
  if (block == nullptr) return nullptr;
  std::memcpy(block, code, moved);
  const auto back = EncodeRelativeJump(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block + moved)),
                                       static_cast<uint32_t>(reinterpret_cast<uintptr_t>(FTarget) + moved));
  std::memcpy(block + moved, back.data(), back.size());
  FlushInstructionCache(GetCurrentProcess(), block, moved + kRelativeJumpSize);
  return block;
}

bool TEntryJumpPatch::Apply() {
  if (FTarget == nullptr) return false;
  if (FKeepOriginal && FTrampoline == nullptr) {
    FTrampoline = BuildTrampoline();
    if (FTrampoline == nullptr) return false;
  }
  return FPatch.Apply();
}

bool TEntryJumpPatch::Undo() { return FPatch.Undo(); }
