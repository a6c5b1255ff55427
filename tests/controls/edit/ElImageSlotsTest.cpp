#include "controls/edit/ElImageSlots.h"

#include <gtest/gtest.h>

TEST(ElImageSlots, NewImagesFillTheFirstFreeSlot) {
  TElImageSlots slots;
  EXPECT_EQ(slots.Take(), 0);
  EXPECT_EQ(slots.Take(), 1);
  EXPECT_EQ(slots.Take(), 2);
  slots.Free(1);
  slots.Free(0);
  EXPECT_EQ(slots.UseCount(), 1);
  EXPECT_EQ(slots.Count(), 3);
  EXPECT_EQ(slots.Take(), 0);
  EXPECT_EQ(slots.Take(), 1);
  EXPECT_EQ(slots.Take(), 3);
  EXPECT_EQ(slots.UseCount(), 4);
}

TEST(ElImageSlots, FreeingWhatIsNotUsedChangesNothing) {
  TElImageSlots slots;
  slots.Take();
  slots.Take();
  slots.Free(1);
  for (int slot : {1, -1, 2, 99}) slots.Free(slot);
  EXPECT_EQ(slots.UseCount(), 1);
  EXPECT_TRUE(slots.Used(0));
  EXPECT_FALSE(slots.Used(1));
  EXPECT_FALSE(slots.Used(-1));
  slots.Free(0);
  EXPECT_EQ(slots.UseCount(), 0);
}
