// The stored list: primitives, errors, notifications and update brackets,
// capacity, and what descendants see.
#include <memory>
#include <stdexcept>

#include "WideStringsTestSupport.h"
#include "text/ElWideStringList.h"

namespace {

const ItemList kAbc = {{u"a", 1}, {u"b", 2}, {u"c", 3}};

TEST(ElWideStringList, StartsEmptyUnsortedWithoutStorage) {
  TElWideStringList list;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
  EXPECT_FALSE(list.Sorted());
  EXPECT_EQ(list.Duplicates(), dupIgnore);
  EXPECT_FALSE(list.OnChange);
  EXPECT_FALSE(list.OnChanging);
  EXPECT_EQ(list.ClassName(), "TElWideStringList");
}

// ---------------------------------------------------------------------------
// Operations and their notifications

TEST(ElWideStringList, OperationsChangeItemsAndNotifyAroundTheChange) {
  struct Case {
    const char* name;
    std::function<void(TElWideStringList&)> op;
    ItemList after;
    std::vector<std::string> events;
  };
  const std::vector<std::string> onePair = {"changing 3", "change 3"};
  const Case cases[] = {
      {"Add", [](TElWideStringList& l) { EXPECT_EQ(l.Add(u"x"), 3); },
       {{u"a", 1}, {u"b", 2}, {u"c", 3}, {u"x", 0}}, {"changing 3", "change 4"}},
      {"AddObject", [](TElWideStringList& l) { EXPECT_EQ(l.AddObject(u"x", Obj(9)), 3); },
       {{u"a", 1}, {u"b", 2}, {u"c", 3}, {u"x", 9}},
       {"changing 3", "change 4", "changing 4", "change 4"}},
      {"Insert at Count appends", [](TElWideStringList& l) { l.Insert(3, u"x"); },
       {{u"a", 1}, {u"b", 2}, {u"c", 3}, {u"x", 0}}, {"changing 3", "change 4"}},
      {"Insert at 0", [](TElWideStringList& l) { l.Insert(0, u"x"); },
       {{u"x", 0}, {u"a", 1}, {u"b", 2}, {u"c", 3}}, {"changing 3", "change 4"}},
      {"Insert in the middle", [](TElWideStringList& l) { l.Insert(2, u"x"); },
       {{u"a", 1}, {u"b", 2}, {u"x", 0}, {u"c", 3}}, {"changing 3", "change 4"}},
      {"InsertObject", [](TElWideStringList& l) { l.InsertObject(1, u"x", Obj(9)); },
       {{u"a", 1}, {u"x", 9}, {u"b", 2}, {u"c", 3}},
       {"changing 3", "change 4", "changing 4", "change 4"}},
      {"Put keeps the object", [](TElWideStringList& l) { l.Put(1, u"x"); },
       {{u"a", 1}, {u"x", 2}, {u"c", 3}}, onePair},
      {"PutObject", [](TElWideStringList& l) { l.PutObject(1, Obj(9)); },
       {{u"a", 1}, {u"b", 9}, {u"c", 3}}, onePair},
      {"Delete first", [](TElWideStringList& l) { l.Delete(0); },
       {{u"b", 2}, {u"c", 3}}, {"changing 3", "change 2"}},
      {"Delete middle", [](TElWideStringList& l) { l.Delete(1); },
       {{u"a", 1}, {u"c", 3}}, {"changing 3", "change 2"}},
      {"Delete last", [](TElWideStringList& l) { l.Delete(2); },
       {{u"a", 1}, {u"b", 2}}, {"changing 3", "change 2"}},
      {"Exchange", [](TElWideStringList& l) { l.Exchange(0, 2); },
       {{u"c", 3}, {u"b", 2}, {u"a", 1}}, onePair},
      {"Exchange with itself", [](TElWideStringList& l) { l.Exchange(1, 1); }, kAbc, onePair},
      {"Move forward", [](TElWideStringList& l) { l.Move(0, 2); },
       {{u"b", 2}, {u"c", 3}, {u"a", 1}}, onePair},
      {"Move backward", [](TElWideStringList& l) { l.Move(2, 0); },
       {{u"c", 3}, {u"a", 1}, {u"b", 2}}, onePair},
      {"Move to itself", [](TElWideStringList& l) { l.Move(1, 1); }, kAbc, {}},
      {"AddStrings",
       [](TElWideStringList& l) {
         TElWideStringList other;
         Fill(other, ItemList{{u"x", 7}, {u"", 8}});
         l.AddStrings(other);
       },
       {{u"a", 1}, {u"b", 2}, {u"c", 3}, {u"x", 7}, {u"", 8}}, {"changing 3", "change 5"}},
      {"AddStrings of an empty list", [](TElWideStringList& l) {
         TElWideStringList other;
         l.AddStrings(other);
       },
       kAbc, onePair},
      {"AddStrings of itself", [](TElWideStringList& l) { l.AddStrings(l); },
       {{u"a", 1}, {u"b", 2}, {u"c", 3}, {u"a", 1}, {u"b", 2}, {u"c", 3}},
       {"changing 3", "change 6"}},
      {"Clear", [](TElWideStringList& l) { l.Clear(); }, {}, {"changing 3", "change 0"}},
      {"Assign", [](TElWideStringList& l) {
         TElWideStringList other;
         Fill(other, ItemList{{u"x", 7}});
         l.Assign(&other);
       },
       {{u"x", 7}}, {"changing 3", "change 1"}},
      {"Assign from itself", [](TElWideStringList& l) { l.Assign(&l); }, kAbc, {}},
      {"Reading", [](TElWideStringList& l) {
         EXPECT_EQ(l.Get(1), u"b");
         EXPECT_EQ(l.Strings(2), u"c");
         EXPECT_EQ(l.Objects(0), Obj(1));
         EXPECT_EQ(l.IndexOf(u"c"), 2);
         EXPECT_EQ(l.IndexOfObject(Obj(2)), 1);
       },
       kAbc, {}},
  };
  for (const Case& c : cases) {
    TElWideStringList list;
    Fill(list, kAbc);
    NotifyLog log;
    log.Attach(list);
    c.op(list);
    EXPECT_EQ(ItemsOf(list), c.after) << c.name;
    EXPECT_EQ(log.events, c.events) << c.name;
  }
}

TEST(ElWideStringList, ClearOfAnEmptyListNotifiesNobody) {
  TElWideStringList list;
  NotifyLog log;
  log.Attach(list);
  list.Clear();
  EXPECT_TRUE(log.events.empty());
}

TEST(ElWideStringList, IndexOfIsOrdinalAndFindsTheFirst) {
  TElWideStringList list;
  Fill(list, ItemList{{u"A", 1}, {u"b", 2}, {u"", 3}, {u"b", 4}, {u"\xFFFF", 5}});
  const std::pair<WideString, int> cases[] = {
      {u"A", 0},  {u"a", -1}, {u"b", 1}, {u"B", -1}, {u"", 2}, {u"\xFFFF", 4},
      {u"bb", -1}, {WideString(u"b\0x", 3), 1},  // the walk stops at the zero
  };
  for (const auto& c : cases)
    EXPECT_EQ(list.IndexOf(c.first), c.second) << ::testing::PrintToString(c.first);
  EXPECT_EQ(list.IndexOfObject(Obj(4)), 3);
  EXPECT_EQ(list.IndexOfObject(nullptr), -1);
}

TEST(ElWideStringList, ObjectsAreStoredAsValuesAndNeverFreed) {
  int local = 0;
  const ItemList items = {{u"one", 1},
                          {u"minus one", -1},
                          {u"odd", 0x12345},
                          {u"stack", reinterpret_cast<std::intptr_t>(&local)},
                          {u"null", 0}};
  {
    TElWideStringList list;
    Fill(list, items);
    EXPECT_EQ(ItemsOf(list), items);
    // Shifting, moving and exchanging carry the objects with their strings.
    list.Insert(0, u"first");
    list.Move(1, 5);
    list.Exchange(0, 5);
    EXPECT_EQ(ItemsOf(list), (ItemList{{u"one", 1},
                                       {u"minus one", -1},
                                       {u"odd", 0x12345},
                                       {u"stack", reinterpret_cast<std::intptr_t>(&local)},
                                       {u"null", 0},
                                       {u"first", 0}}));
    list.Delete(0);
    list.Clear();
    Fill(list, items);
  }  // destroyed with the objects still in it: the sanitizers catch any free
  EXPECT_EQ(local, 0);
}

TEST(ElWideStringList, LongStringsSurviveShifting) {
  // Strings beyond the small-string buffer must move, not be copied or freed.
  TElWideStringList list;
  for (int i = 0; i < 40; ++i) list.Insert(i / 2, WideString(40 + i, static_cast<char16_t>(u'a' + i % 26)));
  for (int i = 0; i < 20; ++i) list.Delete(i % list.Count());
  list.Move(0, list.Count() - 1);
  for (int i = 0; i < list.Count(); ++i) {
    const WideString s = list.Get(i);
    ASSERT_GE(s.size(), 40u);
    EXPECT_EQ(s, WideString(s.size(), s[0]));
  }
}

// ---------------------------------------------------------------------------
// Errors

TEST(ElWideStringList, BadIndexesFailAndLeaveTheListAsItWas) {
  struct Case {
    const char* name;
    std::function<void(TElWideStringList&)> op;
    const char* message;
    bool bracketed;  // the composite opens and closes an update bracket
  };
  const Case cases[] = {
      {"Get -1", [](TElWideStringList& l) { l.Get(-1); }, "List index out of bounds (-1)", false},
      {"Get Count", [](TElWideStringList& l) { l.Get(3); }, "List index out of bounds (3)", false},
      {"GetObject -1", [](TElWideStringList& l) { l.GetObject(-1); }, "List index out of bounds (-1)", false},
      {"GetObject Count", [](TElWideStringList& l) { l.GetObject(3); }, "List index out of bounds (3)", false},
      {"Put -1", [](TElWideStringList& l) { l.Put(-1, u"x"); }, "List index out of bounds (-1)", false},
      {"Put Count", [](TElWideStringList& l) { l.Put(3, u"x"); }, "List index out of bounds (3)", false},
      {"PutObject -1", [](TElWideStringList& l) { l.PutObject(-1, Obj(9)); }, "List index out of bounds (-1)", false},
      {"PutObject Count", [](TElWideStringList& l) { l.PutObject(3, Obj(9)); }, "List index out of bounds (3)", false},
      {"Delete -1", [](TElWideStringList& l) { l.Delete(-1); }, "List index out of bounds (-1)", false},
      {"Delete Count", [](TElWideStringList& l) { l.Delete(3); }, "List index out of bounds (3)", false},
      {"Exchange first bad", [](TElWideStringList& l) { l.Exchange(-1, 0); }, "List index out of bounds (-1)", false},
      {"Exchange second bad", [](TElWideStringList& l) { l.Exchange(0, 3); }, "List index out of bounds (3)", false},
      {"Exchange both bad", [](TElWideStringList& l) { l.Exchange(7, -2); }, "List index out of bounds (7)", false},
      {"Insert -1", [](TElWideStringList& l) { l.Insert(-1, u"x"); }, "List index out of bounds (-1)", false},
      {"Insert Count + 1", [](TElWideStringList& l) { l.Insert(4, u"x"); }, "List index out of bounds (4)", false},
      {"InsertObject Count + 1", [](TElWideStringList& l) { l.InsertObject(4, u"x", Obj(9)); }, "List index out of bounds (4)", false},
      {"Move from Count", [](TElWideStringList& l) { l.Move(3, 0); }, "List index out of bounds (3)", true},
      {"Move to Count", [](TElWideStringList& l) { l.Move(0, 3); }, "List index out of bounds (3)", true},
      {"Move to -1", [](TElWideStringList& l) { l.Move(2, -1); }, "List index out of bounds (-1)", true},
  };
  for (const Case& c : cases) {
    TElWideStringList list;
    Fill(list, kAbc);
    NotifyLog log;
    log.Attach(list);
    EXPECT_EQ(MessageOf<EStringListError>([&] { c.op(list); }), c.message) << c.name;
    EXPECT_EQ(ItemsOf(list), kAbc) << c.name;
    EXPECT_EQ(list.Capacity(), 4) << c.name;
    const std::vector<std::string> expected =
        c.bracketed ? std::vector<std::string>{"changing 3", "change 3"} : std::vector<std::string>{};
    EXPECT_EQ(log.events, expected) << c.name;
  }
}

TEST(ElWideStringList, EmptyListHasNoValidIndex) {
  TElWideStringList list;
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Get(0); }), "List index out of bounds (0)");
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Delete(0); }), "List index out of bounds (0)");
  list.Insert(0, u"a");
  EXPECT_EQ(StringsOf(list), std::vector<WideString>{u"a"});
}

// A handler that empties the list from OnChanging must not make the change
// that was announced write past the items that are left.
TEST(ElWideStringList, OperationsSurviveAChangingHandlerThatEmptiesTheList) {
  const std::pair<const char*, std::function<void(TElWideStringList&)>> cases[] = {
      {"Put", [](TElWideStringList& l) { l.Put(2, u"x"); }},
      {"PutObject", [](TElWideStringList& l) { l.PutObject(2, Obj(9)); }},
      {"Delete", [](TElWideStringList& l) { l.Delete(2); }},
      {"Exchange", [](TElWideStringList& l) { l.Exchange(0, 2); }},
      {"Insert", [](TElWideStringList& l) { l.Insert(3, u"x"); }},
  };
  for (const auto& c : cases) {
    TElWideStringList list;
    Fill(list, kAbc);
    bool fired = false;
    list.OnChanging = [&](TObject*) {
      if (fired) return;
      fired = true;
      list.Clear();
    };
    EXPECT_THROW(c.second(list), EStringListError) << c.first;
    EXPECT_EQ(list.Count(), 0) << c.first;
  }
}

TEST(ElWideStringList, HandlerMayDetachItselfWhileItRuns) {
  TElWideStringList list;
  int calls = 0;
  WideString captured = u"a string long enough to live on the heap";
  list.OnChange = [&list, &calls, captured](TObject*) {
    list.OnChange = nullptr;
    ++calls;
    EXPECT_EQ(captured.size(), 40u);  // the closure is still alive
  };
  list.Add(u"a");
  list.Add(u"b");
  EXPECT_EQ(calls, 1);
}

// ---------------------------------------------------------------------------
// Update brackets

TEST(ElWideStringList, UpdateBracketFoldsNotificationsIntoOnePair) {
  TElWideStringList list;
  NotifyLog log;
  log.Attach(list);
  list.BeginUpdate();
  for (int i = 0; i < 100; ++i) list.Add(u"x");
  list.EndUpdate();
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 0", "change 100"}));

  log.events.clear();
  for (int i = 0; i < 100; ++i) list.Add(u"y");
  ASSERT_EQ(log.events.size(), 200u);
  EXPECT_EQ(log.events[0], "changing 100");
  EXPECT_EQ(log.events[199], "change 200");
}

TEST(ElWideStringList, NestedBracketsNotifyAtTheOutermostOnly) {
  TElWideStringList list;
  NotifyLog log;
  log.Attach(list);
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add(u"a");
  list.Move(0, 0);
  list.AddStrings(list);  // brackets itself inside ours
  list.EndUpdate();
  EXPECT_EQ(log.events, std::vector<std::string>{"changing 0"});
  list.EndUpdate();
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 0", "change 2"}));
  list.Delete(0);
  EXPECT_EQ(log.events.size(), 4u);
}

TEST(ElWideStringList, BracketClosesWhenTheBracketedOperationFails) {
  TElWideStringList list;
  list.SetDuplicates(dupError);
  list.SetSorted(true);
  list.Add(u"b");
  NotifyLog log;
  log.Attach(list);
  TElWideStringList source;
  Fill(source, {u"a", u"b", u"c"});
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.AddStrings(source); }),
            "String list does not allow duplicates");
  // What was added before the failure stays; the bracket is closed.
  EXPECT_EQ(StringsOf(list), (std::vector<WideString>{u"a", u"b"}));
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 1", "change 2"}));
  list.Add(u"c");
  EXPECT_EQ(log.events.size(), 4u);
}

TEST(ElWideStringList, BracketStaysClosedWhenOpeningItFails) {
  TElWideStringList list;
  Fill(list, kAbc);
  list.OnChanging = [](TObject*) { throw std::runtime_error("refused"); };
  TElWideStringList source;
  Fill(source, {u"x"});
  EXPECT_THROW(list.AddStrings(source), std::runtime_error);
  EXPECT_THROW(list.Move(0, 1), std::runtime_error);
  EXPECT_EQ(ItemsOf(list), kAbc);
  // No bracket was left open: changes notify again.
  NotifyLog log;
  log.Attach(list);
  list.Add(u"x");
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 3", "change 4"}));
}

// ---------------------------------------------------------------------------
// Capacity

TEST(ElWideStringList, CapacityGrowsInTheFixedSteps) {
  TElWideStringList list;
  std::vector<int> capacities;
  for (int i = 0; i < 147; ++i) {
    list.Add(u"x");
    if (capacities.empty() || capacities.back() != list.Capacity()) capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
  list.Add(u"x");
  EXPECT_EQ(list.Capacity(), 147 + 147 / 4);
}

TEST(ElWideStringList, OnlyClearGivesTheStorageBack) {
  TElWideStringList list;
  for (int i = 0; i < 5; ++i) list.Add(u"x");
  ASSERT_EQ(list.Capacity(), 8);
  while (list.Count() > 0) list.Delete(0);
  EXPECT_EQ(list.Capacity(), 8);
  list.Add(u"x");
  list.Clear();
  EXPECT_EQ(list.Capacity(), 0);
  EXPECT_EQ(list.Count(), 0);
}

TEST(ElWideStringList, SetCapacityNeverDropsItems) {
  TElWideStringList list;
  Fill(list, kAbc);
  list.SetCapacity(20);
  EXPECT_EQ(list.Capacity(), 20);
  EXPECT_EQ(ItemsOf(list), kAbc);
  for (int request : {1, 0, -5}) {
    list.SetCapacity(request);
    EXPECT_EQ(list.Capacity(), 3) << request;
    EXPECT_EQ(ItemsOf(list), kAbc) << request;
  }
  list.Add(u"d");  // full: grows by 4
  EXPECT_EQ(list.Capacity(), 7);
}

// ---------------------------------------------------------------------------
// Descendants and destruction

// Counts the primitives that descendants typically override.
class CountingList : public TElWideStringList {
 public:
  struct Counts {
    int insertItem = 0, insert = 0, del = 0, changing = 0, changed = 0;
  };
  explicit CountingList(Counts& counts) : FCounts(counts) {}

  void Insert(int index, const WideString& s) override {
    ++FCounts.insert;
    TElWideStringList::Insert(index, s);
  }
  void Delete(int index) override {
    ++FCounts.del;
    TElWideStringList::Delete(index);
  }

 protected:
  void InsertItem(int index, const WideString& s) override {
    ++FCounts.insertItem;
    TElWideStringList::InsertItem(index, s);
  }
  void Changing() override {
    ++FCounts.changing;
    TElWideStringList::Changing();
  }
  void Changed() override {
    ++FCounts.changed;
    TElWideStringList::Changed();
  }

 private:
  Counts& FCounts;
};

TEST(ElWideStringList, DescendantsSeeCompositesGoThroughTheirPrimitives) {
  struct Case {
    const char* name;
    std::function<void(TElWideStringList&)> op;
    int insertItem, insert, del, changing, changed;
  };
  const Case cases[] = {
      {"Add", [](TElWideStringList& l) { l.Add(u"x"); }, 1, 0, 0, 1, 1},
      {"AddObject", [](TElWideStringList& l) { l.AddObject(u"x", Obj(1)); }, 1, 0, 0, 2, 2},
      {"Insert", [](TElWideStringList& l) { l.Insert(1, u"x"); }, 1, 1, 0, 1, 1},
      {"InsertObject", [](TElWideStringList& l) { l.InsertObject(1, u"x", Obj(1)); }, 1, 1, 0, 2, 2},
      {"Move", [](TElWideStringList& l) { l.Move(0, 2); }, 1, 1, 1, 4, 4},
      {"AddStrings", [](TElWideStringList& l) { l.AddStrings(l); }, 3, 0, 0, 7, 7},
      // Sorting announces itself too, even when the order does not change.
      {"Sorted Add", [](TElWideStringList& l) {
         l.SetSorted(true);
         l.Add(u"bb");
       },
       1, 0, 0, 2, 2},
      {"Clear", [](TElWideStringList& l) { l.Clear(); }, 0, 0, 0, 1, 1},
      {"Exchange", [](TElWideStringList& l) { l.Exchange(0, 1); }, 0, 0, 0, 1, 1},
  };
  for (const Case& c : cases) {
    CountingList::Counts counts;
    CountingList list(counts);
    Fill(list, {u"a", u"b", u"c"});
    counts = {};
    c.op(list);
    EXPECT_EQ(counts.insertItem, c.insertItem) << c.name;
    EXPECT_EQ(counts.insert, c.insert) << c.name;
    EXPECT_EQ(counts.del, c.del) << c.name;
    EXPECT_EQ(counts.changing, c.changing) << c.name;
    EXPECT_EQ(counts.changed, c.changed) << c.name;
  }
}

TEST(ElWideStringList, DestructionNotifiesNobody) {
  NotifyLog log;
  CountingList::Counts counts;
  {
    auto list = std::make_unique<CountingList>(counts);
    Fill(*list, kAbc);
    log.Attach(*list);
    counts = {};
  }
  EXPECT_TRUE(log.events.empty());
  EXPECT_EQ(counts.changing, 0);
  EXPECT_EQ(counts.changed, 0);
}

}  // namespace
