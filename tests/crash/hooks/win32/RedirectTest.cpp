// Import and call redirection on this test program's own imports and code:
// calls reach the replacement and come back after the undo, a slot another
// owner rewrote stays theirs, only the one redirected call is changed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "crash/hooks/win32/CallRedirect.h"
#include "crash/hooks/win32/ImportRedirect.h"
#include "crash/map/MapFile.h"
#include "crash/map/win32/ModuleList.h"
#include "framework/win32/InterceptionPoint.h"
#include "framework/win32/Thread.h"

namespace {

BOOL WINAPI FakeDebuggerPresent() { return 42; }
BOOL WINAPI OtherFakeDebuggerPresent() { return 43; }

// Reads the import slot at each call: within one function the compiler
// takes an import's address as fixed and loads it once.
__attribute__((noinline)) BOOL DebuggerPresent() { return IsDebuggerPresent(); }

void* RealDebuggerPresent() { return ExportedFunction("kernel32.dll", "IsDebuggerPresent"); }

// Executable scratch memory for a hand-made import stub.
struct TStubBlock {
  TStubBlock() : Code(static_cast<uint8_t*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE))) {}
  ~TStubBlock() { VirtualFree(Code, 0, MEM_RELEASE); }
  // "jmp [cell]" with the cell right behind it.
  void* StubTo(void* routine) {
    void** cell = reinterpret_cast<void**>(Code + 8);
    *cell = routine;
    Code[0] = 0xFF;
    Code[1] = 0x25;
    const uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(cell));
    std::memcpy(Code + 2, &address, 4);
    return Code;
  }
  void* Cell() const { return *reinterpret_cast<void**>(Code + 8); }
  uint8_t* Code;
};

TEST(ImportRedirect, RedirectsEveryModulesSlotAndUndoes) {
  ASSERT_EQ(DebuggerPresent(), FALSE);
  {
    TImportRedirect redirect(RealDebuggerPresent(), reinterpret_cast<void*>(&FakeDebuggerPresent));
    ASSERT_GE(redirect.Apply(), 1u);  // at least this program's own slot
    EXPECT_EQ(DebuggerPresent(), 42);
    // The function itself stays callable.
    EXPECT_EQ(reinterpret_cast<BOOL(WINAPI*)()>(redirect.Original())(), FALSE);
    // A second apply finds its slots already redirected.
    const std::size_t slots = redirect.SlotAddresses().size();
    EXPECT_EQ(redirect.Apply(), slots);
    EXPECT_EQ(redirect.SlotAddresses().size(), slots);
    redirect.Undo();
    EXPECT_EQ(DebuggerPresent(), FALSE);
    redirect.Apply();
    EXPECT_EQ(DebuggerPresent(), 42);
  }
  EXPECT_EQ(DebuggerPresent(), FALSE);  // undone by the destructor
}

TEST(ImportRedirect, OnlyTheGivenModule) {
  TImportRedirect elsewhere(RealDebuggerPresent(), reinterpret_cast<void*>(&FakeDebuggerPresent),
                            GetModuleHandleA("ntdll.dll"));
  elsewhere.Apply();
  EXPECT_EQ(DebuggerPresent(), FALSE);
  TImportRedirect here(RealDebuggerPresent(), reinterpret_cast<void*>(&FakeDebuggerPresent), GetModuleHandleW(nullptr));
  EXPECT_EQ(here.Apply(), 1u);
  EXPECT_EQ(DebuggerPresent(), 42);
}

TEST(ImportRedirect, AStubsOwnPointerIsReplacedToo) {
  TStubBlock block;
  void* stub = block.StubTo(RealDebuggerPresent());
  TImportRedirect redirect(stub, reinterpret_cast<void*>(&FakeDebuggerPresent), GetModuleHandleW(nullptr));
  EXPECT_EQ(redirect.Apply(), 2u);  // the stub's cell and this program's slot
  EXPECT_EQ(reinterpret_cast<BOOL(WINAPI*)()>(stub)(), 42);
  EXPECT_EQ(redirect.Original(), ResolveRoutineEntry(RealDebuggerPresent()));
  redirect.Undo();
  EXPECT_EQ(block.Cell(), RealDebuggerPresent());
  EXPECT_EQ(reinterpret_cast<BOOL(WINAPI*)()>(stub)(), FALSE);
}

TEST(ImportRedirect, ASlotAnotherOwnerRewroteStaysTheirs) {
  TImportRedirect first(RealDebuggerPresent(), reinterpret_cast<void*>(&FakeDebuggerPresent), GetModuleHandleW(nullptr));
  ASSERT_EQ(first.Apply(), 1u);
  // A second owner redirects what it finds there now.
  TImportRedirect second(reinterpret_cast<void*>(&FakeDebuggerPresent),
                         reinterpret_cast<void*>(&OtherFakeDebuggerPresent), GetModuleHandleW(nullptr));
  ASSERT_EQ(second.Apply(), 1u);
  EXPECT_EQ(DebuggerPresent(), 43);
  first.Undo();
  EXPECT_EQ(DebuggerPresent(), 43);
  // Undone in their turn, the second owner puts back what it found; the
  // first has given its record up, so the slot is set right by hand here.
  second.Undo();
  EXPECT_EQ(DebuggerPresent(), 42);
  TImportRedirect restore(reinterpret_cast<void*>(&FakeDebuggerPresent), RealDebuggerPresent(), GetModuleHandleW(nullptr));
  ASSERT_EQ(restore.Apply(), 1u);
  EXPECT_EQ(DebuggerPresent(), FALSE);
}

TEST(ImportRedirect, AFunctionNoModuleImportsHasNoSlots) {
  TImportRedirect redirect(reinterpret_cast<void*>(&OtherFakeDebuggerPresent),
                           reinterpret_cast<void*>(&FakeDebuggerPresent));
  EXPECT_EQ(redirect.Apply(), 0u);
  EXPECT_TRUE(redirect.SlotAddresses().empty());
}

volatile int gFactor = 2;

RAVELIN_INTERCEPTION_POINT int Doubled(int value) { return value * gFactor; }
RAVELIN_INTERCEPTION_POINT int Tripled(int value) { return value * (gFactor + 1); }
RAVELIN_INTERCEPTION_POINT int DoubledPlusOne(int value) { return Doubled(value) + 1; }
// Two calls of the same routine: only the first one found is redirected.
RAVELIN_INTERCEPTION_POINT int DoubledTwice(int value) { return Doubled(Doubled(value) + 1); }
RAVELIN_INTERCEPTION_POINT int NoCall(int value) { return value + gFactor; }

TEST(CallRedirect, OnlyTheOneCallReachesTheReplacement) {
  ASSERT_EQ(DoubledPlusOne(5), 11);
  {
    TCallRedirect redirect(reinterpret_cast<void*>(&DoubledPlusOne), reinterpret_cast<void*>(&Doubled),
                           reinterpret_cast<void*>(&Tripled));
    ASSERT_TRUE(redirect.Found());
    EXPECT_EQ(redirect.Original(), reinterpret_cast<void*>(&Doubled));
    ASSERT_TRUE(redirect.Apply());
    EXPECT_TRUE(redirect.Applied());
    EXPECT_EQ(DoubledPlusOne(5), 16);
    EXPECT_EQ(Doubled(5), 10);  // the routine itself and its other callers are untouched
    ASSERT_TRUE(redirect.Undo());
    EXPECT_EQ(DoubledPlusOne(5), 11);
    ASSERT_TRUE(redirect.Apply());
  }
  EXPECT_EQ(DoubledPlusOne(5), 11);
}

TEST(CallRedirect, TheFirstOfTwoCallsIsTheOneRedirected) {
  ASSERT_EQ(DoubledTwice(5), 22);
  TCallRedirect redirect(reinterpret_cast<void*>(&DoubledTwice), reinterpret_cast<void*>(&Doubled),
                         reinterpret_cast<void*>(&Tripled));
  ASSERT_TRUE(redirect.Apply());
  EXPECT_EQ(DoubledTwice(5), 32);  // (5 * 3 + 1) * 2
}

TEST(CallRedirect, TheCalleeMayBeGivenThroughAStub) {
  TStubBlock block;
  TCallRedirect redirect(reinterpret_cast<void*>(&DoubledPlusOne), block.StubTo(reinterpret_cast<void*>(&Doubled)),
                         reinterpret_cast<void*>(&Tripled));
  ASSERT_TRUE(redirect.Found());
  EXPECT_EQ(FindRelativeCall(reinterpret_cast<void*>(&DoubledPlusOne), reinterpret_cast<void*>(&Doubled)),
            redirect.CallSite());
}

TEST(CallRedirect, ARoutineWithoutTheCallIsLeftAlone) {
  TCallRedirect redirect(reinterpret_cast<void*>(&NoCall), reinterpret_cast<void*>(&Doubled),
                         reinterpret_cast<void*>(&Tripled));
  EXPECT_FALSE(redirect.Found());
  EXPECT_FALSE(redirect.Apply());
  EXPECT_TRUE(redirect.Undo());
  EXPECT_EQ(NoCall(1), 3);
}

// The framework's hand-over routines as this program's map names them.
void* FrameworkRoutine(const std::string& name) {
  const auto map = TModuleList::Instance().MapOfAddress(
      static_cast<TAddress>(reinterpret_cast<uintptr_t>(&CheckSynchronize)));
  if (!map) return nullptr;
  for (const TMfPublic& routine : map->Publics)
    if (routine.Code && routine.Name.find(name) != std::string::npos)
      return reinterpret_cast<void*>(static_cast<uintptr_t>(routine.Address));
  return nullptr;
}

TEST(CallRedirect, FindsTheFrameworksCallOfTheSynchronizedMethod) {
  void* serveQueue = FrameworkRoutine("ServeQueue");
  void* callMethod = FrameworkRoutine("CallSynchronizedMethod");
  ASSERT_NE(serveQueue, nullptr);
  ASSERT_NE(callMethod, nullptr);
  void* site = FindRelativeCall(serveQueue, callMethod);
  ASSERT_NE(site, nullptr);
  EXPECT_GT(site, serveQueue);
  TCallRedirect redirect(serveQueue, callMethod, reinterpret_cast<void*>(&Tripled));
  EXPECT_EQ(redirect.CallSite(), site);
  EXPECT_EQ(redirect.Original(), callMethod);
}

}  // namespace
