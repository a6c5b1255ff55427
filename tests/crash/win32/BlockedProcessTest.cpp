// The blocked-process test while another thread holds the loader lock.
#include <gtest/gtest.h>
#include <windows.h>

#include "crash/win32/BlockedProcess.h"
#include "tests/support/LoaderLockHolder.h"

namespace {

TEST(BlockedProcess, BlockedOnlyWhileAnotherThreadHoldsTheLoaderLock) {
  EXPECT_FALSE(ProcessIsBlocked());
  TLoaderLockHolder holder;
  ASSERT_TRUE(holder.Hold());
  const DWORD start = GetTickCount();
  EXPECT_TRUE(ProcessIsBlocked(50));
  EXPECT_GE(GetTickCount() - start, 40u);  // it looked again until the wait ran out
  holder.Release();
  EXPECT_FALSE(ProcessIsBlocked());
}

}  // namespace
