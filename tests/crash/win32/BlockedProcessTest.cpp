// The blocked-process test while another thread holds the loader lock. The
// pauses between the looks are the test's own, so nothing depends on time.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "crash/win32/BlockedProcess.h"
#include "tests/support/LoaderLockHolder.h"

namespace {

TEST(BlockedProcess, BlockedOnlyWhileAnotherThreadHoldsTheLoaderLock) {
  EXPECT_FALSE(ProcessIsBlocked());
  TLoaderLockHolder holder;
  ASSERT_TRUE(holder.Hold());
  EXPECT_TRUE(ProcessIsBlocked());
  holder.Release();
  EXPECT_FALSE(ProcessIsBlocked());
}

TEST(BlockedProcess, ItLooksAgainUntilTheWaitRunsOut) {
  TLoaderLockHolder holder;
  ASSERT_TRUE(holder.Hold());
  std::vector<DWORD> pauses;
  EXPECT_TRUE(ProcessIsBlocked(50, [&](DWORD ms) { pauses.push_back(ms); }));
  EXPECT_EQ(pauses, (std::vector<DWORD>{10, 10, 10, 10, 10}));
  pauses.clear();
  EXPECT_TRUE(ProcessIsBlocked(0, [&](DWORD ms) { pauses.push_back(ms); }));
  EXPECT_TRUE(pauses.empty()) << "no wait: one look";
}

TEST(BlockedProcess, ALockLetGoDuringTheWaitEndsIt) {
  TLoaderLockHolder holder;
  ASSERT_TRUE(holder.Hold());
  int pauses = 0;
  EXPECT_FALSE(ProcessIsBlocked(1000, [&](DWORD) {
    if (++pauses == 2) holder.Release();
  }));
  EXPECT_EQ(pauses, 2);
}

}  // namespace
