// The emergency reserve: four 4 MB ranges reserved and four 512 KB ranges
// committed, all without access, held after Reserve, free after Release, and
// both steps idempotent.
#include <gtest/gtest.h>
#include <windows.h>

#include "crash/flow/win32/EmergencyReserve.h"

namespace {

MEMORY_BASIC_INFORMATION Query(const void* address) {
  MEMORY_BASIC_INFORMATION info{};
  VirtualQuery(address, &info, sizeof info);
  return info;
}

TEST(EmergencyReserve, RangesAreHeldAfterReserveAndFreeAfterRelease) {
  TEmergencyReserve reserve;
  for (int i = 0; i < TEmergencyReserve::kRangeCount; ++i) EXPECT_EQ(reserve.Range(i), nullptr);
  ASSERT_TRUE(reserve.Reserve());
  void* held[TEmergencyReserve::kRangeCount];
  int reserved = 0, committed = 0;
  for (int i = 0; i < TEmergencyReserve::kRangeCount; ++i) {
    SCOPED_TRACE(i);
    held[i] = reserve.Range(i);
    ASSERT_NE(held[i], nullptr);
    const MEMORY_BASIC_INFORMATION info = Query(held[i]);
    EXPECT_EQ(info.AllocationBase, held[i]);
    EXPECT_EQ(info.AllocationProtect, static_cast<DWORD>(PAGE_NOACCESS));
    if (info.State == MEM_COMMIT) {
      ++committed;
      EXPECT_EQ(info.RegionSize, 512u * 1024u);
      EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_NOACCESS));
    } else {
      ++reserved;
      EXPECT_EQ(info.State, static_cast<DWORD>(MEM_RESERVE));
      EXPECT_EQ(info.RegionSize, 4u * 1024u * 1024u);
    }
  }
  EXPECT_EQ(reserved, 4);
  EXPECT_EQ(committed, 4);

  // Reserving again keeps what is held.
  ASSERT_TRUE(reserve.Reserve());
  for (int i = 0; i < TEmergencyReserve::kRangeCount; ++i) EXPECT_EQ(reserve.Range(i), held[i]);

  reserve.Release();
  for (int i = 0; i < TEmergencyReserve::kRangeCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(reserve.Range(i), nullptr);
    EXPECT_EQ(Query(held[i]).State, static_cast<DWORD>(MEM_FREE));
  }
  reserve.Release();
  ASSERT_TRUE(reserve.Reserve());
  for (int i = 0; i < TEmergencyReserve::kRangeCount; ++i) EXPECT_NE(reserve.Range(i), nullptr);
}

TEST(EmergencyReserve, TheRangesGoWithTheReserve) {
  void* held[TEmergencyReserve::kRangeCount];
  {
    TEmergencyReserve reserve;
    ASSERT_TRUE(reserve.Reserve());
    for (int i = 0; i < TEmergencyReserve::kRangeCount; ++i) held[i] = reserve.Range(i);
  }
  for (void* range : held) EXPECT_EQ(Query(range).State, static_cast<DWORD>(MEM_FREE));
}

}  // namespace
