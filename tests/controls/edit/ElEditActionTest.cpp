// The undo stack: its limit, its lock and the action record.
#include <gtest/gtest.h>

#include "controls/edit/ElEditAction.h"

namespace {

WideString TextsOf(const TElActionList& list) {
  WideString texts;
  for (int i = 0; i < list.Count(); ++i) texts += list.Item(i).FText;
  return texts;
}

TEST(EditActionList, TheLimitDropsTheOldestActions) {
  TElActionList list;
  list.SetMaxUndo(3);
  for (const char16_t* text : {u"1", u"2", u"3", u"4"}) list.AddAction(atInsert, {}, text, {});
  EXPECT_EQ(TextsOf(list), u"234");
  list.SetMaxUndo(1);
  EXPECT_EQ(TextsOf(list), u"4");
  EXPECT_EQ(list.PopItem()->FText, u"4");
  EXPECT_EQ(list.PopItem(), nullptr);
  EXPECT_FALSE(list.GetCanUndo());
}

TEST(EditActionList, RemovingTheLimitKeepsTheHistory) {
  TElActionList list;
  list.SetMaxUndo(5);
  for (const char16_t* text : {u"1", u"2", u"3"}) list.AddAction(atInsert, {}, text, {});
  list.SetMaxUndo(0);
  EXPECT_EQ(TextsOf(list), u"123");
  for (const char16_t* text : {u"4", u"5", u"6"}) list.AddAction(atInsert, {}, text, {});
  EXPECT_EQ(TextsOf(list), u"123456");
}

TEST(EditActionList, NothingIsRecordedWhileLocked) {
  TElActionList list;
  list.Lock();
  list.Lock();
  list.AddAction(atDelete, {}, u"x", {});
  list.UnLock();
  list.AddAction(atDelete, {}, u"y", {});
  EXPECT_EQ(list.Count(), 0);
  list.UnLock();
  list.UnLock();  // not below zero
  list.AddAction(atDelete, {}, u"z", {});
  EXPECT_EQ(TextsOf(list), u"z");
  list.Lock();
  EXPECT_TRUE(list.Locked());
}

TEST(EditAction, RecordsAndAssignsAllFourFields) {
  TElActionList list;
  list.AddAction(atBackSpace, {1, 2}, u"ab", {3, 4});
  const TElAction* top = list.PeekItem();
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->FKind, atBackSpace);
  EXPECT_EQ(top->FStart, (TElEditPoint{1, 2}));
  EXPECT_EQ(top->FEnd, (TElEditPoint{3, 4}));
  TElAction copy;
  copy.Assign(list.PeekItem());
  EXPECT_EQ(copy.FKind, atBackSpace);
  EXPECT_EQ(copy.FStart, (TElEditPoint{1, 2}));
  EXPECT_EQ(copy.FEnd, (TElEditPoint{3, 4}));
  EXPECT_EQ(copy.FText, u"ab");
}

}  // namespace
