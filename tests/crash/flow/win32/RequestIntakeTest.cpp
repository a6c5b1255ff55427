// The handling thread's half of a request: the object of a system exception
// is made there, a quiet abort ends the request, the throw ring places an
// exception caught before its report (also with many threads throwing at
// once), and a throw already unwound is never read as a stack: its stack is
// the frame chain noted when it was thrown.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <vector>

#include "crash/flow/win32/RaisedException.h"
#include "crash/flow/win32/RequestEvents.h"
#include "crash/flow/win32/RequestIntake.h"
#include "crash/flow/win32/ThrowRecords.h"
#include "crash/stack/StackEnvironment.h"
#include "tests/crash/flow/win32/FlowTestSupport.h"

namespace {

class TQuietAbort : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads this process's memory directly; counts what it is asked.
class TOwnMemory : public IStackMemory {
 public:
  bool Read(TStackAddress address, void* buffer, std::uint32_t size) override {
    ++Reads;
    SIZE_T read = 0;
    return ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(address), buffer, size, &read) &&
           read == size;
  }
  TMemoryRegion RegionAt(TStackAddress address) override {
    ++Reads;
    MEMORY_BASIC_INFORMATION info{};
    TMemoryRegion region;
    if (VirtualQuery(reinterpret_cast<const void*>(address), &info, sizeof info) == 0) return region;
    region.Committed = info.State == MEM_COMMIT;
    region.End = static_cast<TStackAddress>(reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize);
    return region;
  }
  int Reads = 0;
};

__attribute__((noinline)) void Thrower(int value) { throw std::runtime_error(std::to_string(value)); }

__attribute__((noinline)) std::exception_ptr CaughtFromThrower(int value) {
  try {
    Thrower(value);
  } catch (...) {
    return std::current_exception();
  }
  return nullptr;
}

bool Inside(const void* routine, std::uintptr_t address) {
  const auto start = reinterpret_cast<std::uintptr_t>(routine);
  return address > start && address < start + 256;
}
bool InsideThrower(std::uintptr_t address) { return Inside(reinterpret_cast<const void*>(&Thrower), address); }

TIntakeRules Rules(TOwnMemory& memory) {
  TIntakeRules rules;
  rules.IsQuietAbort = [](const std::exception_ptr& e) {
    try {
      std::rethrow_exception(e);
    } catch (const TQuietAbort&) {
      return true;
    } catch (...) {
      return false;
    }
  };
  rules.SystemObject = [](const EXCEPTION_RECORD& r) {
    return std::make_exception_ptr(std::runtime_error("system " + std::to_string(r.ExceptionCode)));
  };
  rules.Memory = &memory;
  return rules;
}

TExceptionRequestRecord RecordOf(const TRaisedException& raised, std::uint32_t address) {
  TExceptionRequestRecord record{};
  record.ExceptionObject = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&raised));
  record.ExceptionAddress = address;
  record.CanContinue = 1;
  record.CatchPoint = cpThreadProcedure;
  return record;
}

std::string MessageOf(const std::exception_ptr& e) {
  try {
    std::rethrow_exception(e);
  } catch (const std::exception& x) {
    return x.what();
  }
}

TEST(RequestIntake, MakesTheSystemExceptionsObjectAndDropsAQuietAbort) {
  TOwnMemory memory;
  EXCEPTION_RECORD fault{};
  fault.ExceptionCode = 5;
  TRaisedException system;
  system.System = &fault;
  TExceptionRequest request;
  TPreparedStack stack;
  ASSERT_TRUE(TakeRequest(RecordOf(system, 0x401000), Rules(memory), request, stack));
  ASSERT_TRUE(request.Exception);
  EXPECT_EQ(MessageOf(request.Exception), "system 5");
  EXPECT_EQ(request.Address, 0x401000u);
  EXPECT_EQ(request.CatchPoint, cpThreadProcedure);

  TRaisedException quiet;
  quiet.Object = std::make_exception_ptr(TQuietAbort("quiet"));
  EXPECT_FALSE(TakeRequest(RecordOf(quiet, 0), Rules(memory), request, stack));
}

TEST(RequestIntake, ACaughtThrowIsPlacedWithTheChainNotedAtTheThrowNotItsUnwoundStack) {
  TOwnMemory memory;
  TRaisedException raised;
  raised.Object = CaughtFromThrower(1);
  EXPECT_EQ(ThrowInFlight(), nullptr) << "the catch block is outside the throw";
  TExceptionRequest request;
  TPreparedStack stack;
  ASSERT_TRUE(TakeRequest(RecordOf(raised, 0), Rules(memory), request, stack));
  EXPECT_TRUE(InsideThrower(request.Address)) << std::hex << request.Address;
  EXPECT_EQ(memory.Reads, 0) << "the unwound frames are not read";
  ASSERT_EQ(request.PreparedStack, &stack);
  ASSERT_GE(stack.size(), 2u);
  // Innermost last, as a scan lists it: the thrower's caller, then this test.
  EXPECT_TRUE(Inside(reinterpret_cast<const void*>(&CaughtFromThrower), stack.back().Address))
      << std::hex << stack.back().Address;
  for (const TDAPreStackItem& item : stack) EXPECT_EQ(item.Sure, 1);

  // A given address stays the report's, and so does the stack at the report.
  ASSERT_TRUE(TakeRequest(RecordOf(raised, 0x402000), Rules(memory), request, stack));
  EXPECT_EQ(request.Address, 0x402000u);
  EXPECT_EQ(request.PreparedStack, nullptr);
}

TEST(ThrowRecords, AFramePointerOutsideTheThreadsStackNotesNoChain) {
  static int notOnTheStack[16];
  const int object = 0;
  RecordThrow(&object, 0x401234, reinterpret_cast<std::uintptr_t>(notOnTheStack));
  TThrowRecord record;
  ASSERT_TRUE(FindThrowRecord(&object, record));
  EXPECT_EQ(record.Address, 0x401234u);
  EXPECT_EQ(record.ChainLength, 0u);
}

TEST(ThrowRecords, ThreadsThrowingAtOnceFindTheirOwnThrows) {
  constexpr int kThreads = 4, kThrows = 200;
  std::atomic<int> misplaced{0}, found{0};
  {
    std::vector<std::unique_ptr<TTestThread>> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.push_back(std::make_unique<TTestThread>([&, t] {
        for (int i = 0; i < kThrows; ++i) {
          const std::exception_ptr e = CaughtFromThrower(t * kThrows + i);
          TThrowRecord record;
          // Others may push it out of the ring; what is found must be right.
          if (!FindThrowRecord(ThrownObjectOf(e), record)) continue;
          ++found;
          if (!InsideThrower(record.Address) || record.FramePointer == 0) ++misplaced;
        }
      }));
    }
  }
  EXPECT_GT(found.load(), 0);
  EXPECT_EQ(misplaced.load(), 0);
}

TEST(RequestEvents, EachClaimGetsItsOwnResetEventUntilAllAreTaken) {
  TRequestEvents events;
  std::vector<HANDLE> taken;
  for (int i = 0; i < TRequestEvents::kCount; ++i) {
    HANDLE event = events.Acquire();
    ASSERT_NE(event, nullptr);
    for (HANDLE other : taken) EXPECT_NE(event, other);
    SetEvent(event);
    taken.push_back(event);
  }
  EXPECT_EQ(events.Acquire(), nullptr);
  events.Release(taken[3]);
  HANDLE again = events.Acquire();
  EXPECT_EQ(again, taken[3]);
  EXPECT_EQ(WaitForSingleObject(again, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "a claimed event starts reset";
}

}  // namespace
