#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "crash/stack/win32/ThreadSampler.h"
#include "crash/stack/win32/Win32StackEnvironment.h"

namespace {

volatile TStackAddress gReturnIntoOuter = 0;
TKernelHandle gArrived, gRelease;

__attribute__((noinline)) void WaitInside() {
  gReturnIntoOuter = static_cast<TStackAddress>(reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)));
  SetEvent(gArrived.Get());
  WaitForSingleObject(gRelease.Get(), INFINITE);
}

__attribute__((noinline)) DWORD WINAPI WaitingThread(void*) {
  WaitInside();
  return 0;
}

DWORD WINAPI EndAtOnce(void*) { return 0; }

bool HasEntry(const TPreparedStack& prepared, TStackAddress address, bool sure) {
  return std::any_of(prepared.begin(), prepared.end(), [&](const TDAPreStackItem& item) {
    return TStackAddress(item.Address) == address && (item.Sure != 0) == sure;
  });
}

class ThreadSamplerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gArrived.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    gRelease.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  }
  TThreadSampler sampler{SystemStackEnvironment()};
};

TEST_F(ThreadSamplerTest, PausesAnotherThreadAndKeepsItsFrames) {
  DWORD id = 0;
  TKernelHandle thread(CreateThread(nullptr, 0, WaitingThread, nullptr, 0, &id));
  ASSERT_TRUE(thread);
  SetThreadPriority(thread.Get(), THREAD_PRIORITY_BELOW_NORMAL);
  ASSERT_EQ(WaitForSingleObject(gArrived.Get(), 10000), WAIT_OBJECT_0);

  const TThreadSample sample = sampler.Sample(id);
  SetEvent(gRelease.Get());
  EXPECT_EQ(WaitForSingleObject(thread.Get(), 10000), WAIT_OBJECT_0);

  ASSERT_TRUE(sample.Accessible);
  EXPECT_TRUE(sample.Handle);
  EXPECT_FALSE(sample.Suspended);
  EXPECT_EQ(sample.Priority, THREAD_PRIORITY_BELOW_NORMAL);
  EXPECT_EQ(sample.StackBottom, sample.StackPointer);
  EXPECT_LT(sample.StackBottom, sample.StackTop);
  EXPECT_GT(sample.FramePointer, sample.StackBottom);
  EXPECT_LT(sample.FramePointer, sample.StackTop);
  // WaitInside keeps a frame, so its return address is a frame slot.
  EXPECT_TRUE(HasEntry(sample.Prepared, gReturnIntoOuter, true));
  // The thread runs on: a second pause still works.
  EXPECT_EQ(ResumeThread(thread.Get()), 0u);
}

TEST_F(ThreadSamplerTest, TellsASuspendedThreadAndLeavesItSuspended) {
  DWORD id = 0;
  TKernelHandle thread(CreateThread(nullptr, 0, WaitingThread, nullptr, CREATE_SUSPENDED, &id));
  ASSERT_TRUE(thread);
  const TThreadSample sample = sampler.Sample(id);
  EXPECT_TRUE(sample.Suspended);
  // Still suspended once: resuming it once lets it run.
  EXPECT_EQ(ResumeThread(thread.Get()), 1u);
  ASSERT_EQ(WaitForSingleObject(gArrived.Get(), 10000), WAIT_OBJECT_0);
  SetEvent(gRelease.Get());
  EXPECT_EQ(WaitForSingleObject(thread.Get(), 10000), WAIT_OBJECT_0);
}

__attribute__((noinline)) TThreadSample SampleMyself(TThreadSampler& sampler, TStackAddress& returnHere) {
  returnHere = static_cast<TStackAddress>(reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)));
  return sampler.Sample(GetCurrentThreadId());
}

TEST_F(ThreadSamplerTest, SamplesTheCallingThreadWithoutPausingIt) {
  TStackAddress returnHere = 0;
  const TThreadSample sample = SampleMyself(sampler, returnHere);
  ASSERT_TRUE(sample.Accessible);
  EXPECT_TRUE(sample.Handle);
  EXPECT_TRUE(HasEntry(sample.Prepared, returnHere, true));
}

TEST_F(ThreadSamplerTest, AThreadThatIsGoneIsNotAccessible) {
  DWORD id = 0;
  TKernelHandle thread(CreateThread(nullptr, 0, EndAtOnce, nullptr, 0, &id));
  WaitForSingleObject(thread.Get(), 10000);
  thread.Reset();
  EXPECT_FALSE(sampler.Sample(id).Accessible);
  const std::vector<DWORD> threads = ThreadsOfThisProcess();
  EXPECT_NE(std::find(threads.begin(), threads.end(), GetCurrentThreadId()), threads.end());
  EXPECT_EQ(std::find(threads.begin(), threads.end(), id), threads.end());
}

TEST(Win32StackEnvironment, ReadsWhatIsThereAndFailsQuietlyWhereNothingIs) {
  TWin32StackEnvironment& memory = SystemStackEnvironment();
  memory.TraceStarts();
  const std::uint32_t value = 0x12345678;
  std::uint32_t copy = 0;
  const auto at = static_cast<TStackAddress>(reinterpret_cast<std::uintptr_t>(&value));
  EXPECT_TRUE(memory.Read(at, &copy, 4));
  EXPECT_EQ(copy, value);
  EXPECT_FALSE(memory.Read(0x10, &copy, 4));
  const TMemoryRegion region = memory.RegionAt(at);
  EXPECT_TRUE(region.Committed);
  EXPECT_LE(region.Base, at);
  EXPECT_GT(region.End, at);
  EXPECT_FALSE(memory.RegionAt(0x10).Committed);
}

}  // namespace
