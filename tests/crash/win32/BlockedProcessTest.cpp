// The blocked-process test while another thread holds the loader lock.
#include <gtest/gtest.h>
#include <windows.h>

#include "crash/win32/BlockedProcess.h"
#include "platform/win32/HandleOwners.h"

namespace {

using TLockLoader = LONG(NTAPI*)(ULONG, ULONG*, ULONG_PTR*);
using TUnlockLoader = LONG(NTAPI*)(ULONG, ULONG_PTR);

TKernelHandle gHeld, gRelease;

DWORD WINAPI HoldLoaderLock(void*) {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const auto lock = reinterpret_cast<TLockLoader>(reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrLockLoaderLock")));
  const auto unlock =
      reinterpret_cast<TUnlockLoader>(reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrUnlockLoaderLock")));
  ULONG_PTR cookie = 0;
  if (lock == nullptr || unlock == nullptr || lock(0, nullptr, &cookie) != 0) return 1;
  SetEvent(gHeld.Get());
  WaitForSingleObject(gRelease.Get(), INFINITE);
  unlock(0, cookie);
  return 0;
}

TEST(BlockedProcess, BlockedOnlyWhileAnotherThreadHoldsTheLoaderLock) {
  EXPECT_FALSE(ProcessIsBlocked());
  gHeld.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  gRelease.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  TKernelHandle holder(CreateThread(nullptr, 0, HoldLoaderLock, nullptr, 0, nullptr));
  ASSERT_EQ(WaitForSingleObject(gHeld.Get(), 5000), WAIT_OBJECT_0);
  const DWORD start = GetTickCount();
  EXPECT_TRUE(ProcessIsBlocked(50));
  EXPECT_GE(GetTickCount() - start, 40u);  // it looked again until the wait ran out
  SetEvent(gRelease.Get());
  WaitForSingleObject(holder.Get(), INFINITE);
  EXPECT_FALSE(ProcessIsBlocked());
}

}  // namespace
