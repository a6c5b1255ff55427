#include "platform/win32/CodePatch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/X86Code.h"

namespace {

__attribute__((noinline, noclone)) int Triple(int value) { return value * 3; }
__attribute__((noinline, noclone)) int Negate(int value) { return -value; }

// Called through a volatile pointer so the compiler cannot see what runs.
int CallTriple(int value) {
  int (*volatile routine)(int) = &Triple;
  return routine(value);
}

std::vector<uint8_t> BytesAt(const void* address, size_t count) {
  std::vector<uint8_t> bytes(count);
  std::memcpy(bytes.data(), address, count);
  return bytes;
}

// Executable scratch memory for hand-made routines and stubs.
class TCodeBlock {
 public:
  TCodeBlock() {
    FBlock = static_cast<uint8_t*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
  }
  ~TCodeBlock() { VirtualFree(FBlock, 0, MEM_RELEASE); }
  uint8_t* Get() const { return FBlock; }

 private:
  uint8_t* FBlock;
};

void* ImportStub(uint8_t* at, void** cell, void* routine, bool withFrame) {
  *cell = routine;
  uint8_t* code = at;
  if (withFrame) {
    const uint8_t frame[] = {0x8B, 0xFF, 0x55, 0x8B, 0xEC, 0x5D};
    std::memcpy(code, frame, sizeof frame);
    code += sizeof frame;
  }
  code[0] = 0xFF;
  code[1] = 0x25;
  const uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(cell));
  std::memcpy(code + 2, &address, 4);
  return at;
}

TEST(CodePatch, EntryJumpRedirectsAndKeepsTheOriginalCallable) {
  const std::vector<uint8_t> before = BytesAt(reinterpret_cast<void*>(&Triple), 5);
  {
    TEntryJumpPatch patch(reinterpret_cast<void*>(&Triple), reinterpret_cast<void*>(&Negate), true);
    ASSERT_TRUE(patch.Apply());
    EXPECT_TRUE(patch.Applied());
    EXPECT_EQ(CallTriple(7), -7);
    ASSERT_NE(patch.Original(), nullptr);
    EXPECT_EQ(reinterpret_cast<int (*)(int)>(patch.Original())(7), 21);
    // The record: where, what was there, what went in.
    EXPECT_EQ(patch.Record().Address(), reinterpret_cast<void*>(&Triple));
    EXPECT_EQ(patch.Record().Found(), before);
    EXPECT_EQ(patch.Record().Written()[0], 0xE9);
    EXPECT_EQ(BytesAt(reinterpret_cast<void*>(&Triple), 5), patch.Record().Written());

    ASSERT_TRUE(patch.Undo());
    EXPECT_FALSE(patch.Applied());
    EXPECT_EQ(CallTriple(7), 21);
    EXPECT_EQ(BytesAt(reinterpret_cast<void*>(&Triple), 5), before);
    // Applied again after an undo, and undone by the destructor.
    ASSERT_TRUE(patch.Apply());
    EXPECT_EQ(CallTriple(2), -2);
  }
  EXPECT_EQ(CallTriple(7), 21);
}

TEST(CodePatch, AppliedOnlyWhenTheBytesDiffer) {
  const std::vector<uint8_t> same = BytesAt(reinterpret_cast<void*>(&Triple), 5);
  TCodePatch patch(reinterpret_cast<void*>(&Triple), same);
  EXPECT_TRUE(patch.Apply());     // what is wanted is there
  EXPECT_FALSE(patch.Applied());  // but nothing was written, so nothing to undo
  EXPECT_TRUE(patch.Undo());
  EXPECT_EQ(CallTriple(3), 9);
}

TEST(CodePatch, UndoneOnlyWhileTheMemoryHoldsOurBytes) {
  TCodeBlock block;
  uint8_t* code = block.Get();
  const uint8_t original[] = {0x90, 0x90, 0x90, 0x90, 0x90, 0xC3};
  std::memcpy(code, original, sizeof original);
  TCodePatch ours(code, {0xCC, 0xCC, 0xCC});
  ASSERT_TRUE(ours.Apply());
  EXPECT_EQ(BytesAt(code, 3), (std::vector<uint8_t>{0xCC, 0xCC, 0xCC}));
  // Another owner patches over ours: undoing ours must leave theirs alone.
  const uint8_t theirs[] = {0xE9, 0x11, 0x22};
  std::memcpy(code, theirs, sizeof theirs);
  EXPECT_TRUE(ours.Undo());
  EXPECT_FALSE(ours.Applied());
  EXPECT_EQ(BytesAt(code, 3), (std::vector<uint8_t>{0xE9, 0x11, 0x22}));
}

TEST(CodePatch, UnreadableMemoryIsRefused) {
  // Reserved but never committed: neither readable nor writable.
  void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(reserved, nullptr);
  TCodePatch patch(reserved, {0x90});
  EXPECT_FALSE(patch.Apply());
  EXPECT_FALSE(patch.Applied());
  VirtualFree(reserved, 0, MEM_RELEASE);
}

TEST(CodePatch, ImportStubsLeadToTheRoutine) {
  TCodeBlock block;
  uint8_t* code = block.Get();
  auto** cells = reinterpret_cast<void**>(code + 2048);
  void* plain = ImportStub(code, &cells[0], reinterpret_cast<void*>(&Triple), false);
  void* framed = ImportStub(code + 64, &cells[1], reinterpret_cast<void*>(&Triple), true);
  void* chained = ImportStub(code + 128, &cells[2], framed, false);  // a stub leading to a stub
  EXPECT_EQ(ResolveRoutineEntry(plain), reinterpret_cast<void*>(&Triple));
  EXPECT_EQ(ResolveRoutineEntry(framed), reinterpret_cast<void*>(&Triple));
  EXPECT_EQ(ResolveRoutineEntry(chained), reinterpret_cast<void*>(&Triple));
  EXPECT_EQ(ResolveRoutineEntry(reinterpret_cast<void*>(&Triple)), reinterpret_cast<void*>(&Triple));

  // A patch given the stub writes its jump at the routine, not over the stub.
  TEntryJumpPatch patch(chained, reinterpret_cast<void*>(&Negate), true);
  EXPECT_EQ(patch.Target(), reinterpret_cast<void*>(&Triple));
  ASSERT_TRUE(patch.Apply());
  EXPECT_EQ(reinterpret_cast<int (*)(int)>(chained)(5), -5);
  EXPECT_EQ(code[128], 0xFF);
}

TEST(CodePatch, RoutineThatCannotBeMovedIsLeftAlone) {
  TCodeBlock block;
  uint8_t* code = block.Get();
  // call +0 as the first instruction: copying it elsewhere would change where it goes.
  const uint8_t routine[] = {0xE8, 0x00, 0x00, 0x00, 0x00, 0x58, 0xC3};
  std::memcpy(code, routine, sizeof routine);
  TEntryJumpPatch kept(code, reinterpret_cast<void*>(&Negate), true);
  EXPECT_FALSE(kept.Apply());
  EXPECT_EQ(BytesAt(code, sizeof routine), BytesAt(routine, sizeof routine));
  // Without the original kept, the jump can go in.
  TEntryJumpPatch replaced(code, reinterpret_cast<void*>(&Negate), false);
  EXPECT_TRUE(replaced.Apply());
  EXPECT_EQ(code[0], 0xE9);
  EXPECT_EQ(replaced.Original(), nullptr);
}

TEST(CodePatch, SystemScrollInformationRoutineResolves) {
  // Behind the exported name may lie a stub into another system module; the
  // resolved entry is a real routine whose first instructions can be moved.
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  ASSERT_NE(user32, nullptr);
  void* exported = reinterpret_cast<void*>(GetProcAddress(user32, "SetScrollInfo"));
  void* routine = ResolveRoutineEntry(exported);
  ASSERT_NE(routine, nullptr);
  uint8_t code[16];
  ASSERT_TRUE(ReadCode(routine, code, sizeof code));
  EXPECT_FALSE(ImportStubCell(code, sizeof code).has_value());
  EXPECT_GE(RelocatablePrefixLength(code, sizeof code, 5), 5u);
  HMODULE owner = nullptr;
  ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                 static_cast<LPCWSTR>(routine), &owner));
  wchar_t name[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(owner, name, MAX_PATH), 0u);
  const std::wstring file(name);
  const std::wstring base = file.substr(file.find_last_of(L"\\/") + 1);
  EXPECT_TRUE(_wcsicmp(base.c_str(), L"user32.dll") == 0 || _wcsicmp(base.c_str(), L"win32u.dll") == 0);
}

}  // namespace
