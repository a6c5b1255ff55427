// Sorted mode: the duplicate policy, bisection search, sorting and the
// operations a sorted list refuses.
#include <algorithm>
#include <random>
#include <stdexcept>

#include "WideStringsTestSupport.h"
#include "text/ElWideStringList.h"

namespace {

bool OrdinalLess(const WideString& a, const WideString& b) { return WideCompareOrdinal(a, b) < 0; }

TEST(ElWideStringListSorted, DuplicatePolicyDecidesWhatAddDoes) {
  struct Case {
    TDuplicates duplicates;
    std::vector<WideString> after;
    const char* error;
  };
  const Case cases[] = {
      {dupIgnore, {u"a", u"b"}, "<no exception>"},
      {dupAccept, {u"a", u"b", u"b"}, "<no exception>"},
      {dupError, {u"a", u"b"}, "String list does not allow duplicates"},
  };
  for (const Case& c : cases) {
    TElWideStringList list;
    list.SetDuplicates(c.duplicates);
    list.SetSorted(true);
    list.Add(u"b");
    list.Add(u"a");
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Add(u"b"); }), c.error) << c.duplicates;
    EXPECT_EQ(StringsOf(list), c.after) << c.duplicates;
  }
}

TEST(ElWideStringListSorted, IgnoredDuplicateChangesNothingButAddObjectReplacesTheObject) {
  TElWideStringList list;
  list.SetSorted(true);
  Fill(list, ItemList{{u"b", 1}, {u"a", 2}});
  NotifyLog log;
  log.Attach(list);
  EXPECT_EQ(list.Add(u"b"), 1);
  EXPECT_TRUE(log.events.empty());
  EXPECT_EQ(list.AddObject(u"b", Obj(9)), 1);
  EXPECT_EQ(ItemsOf(list), (ItemList{{u"a", 2}, {u"b", 9}}));
}

TEST(ElWideStringListSorted, AcceptedDuplicateGoesBeforeTheFirstEqualItem) {
  TElWideStringList list;
  list.SetDuplicates(dupAccept);
  list.SetSorted(true);
  const std::pair<std::intptr_t, int> adds[] = {{'b', 0}, {'a', 0}, {'b', 1}, {'c', 3}, {'a', 0}, {'b', 2}};
  for (const auto& add : adds) {
    const WideString s(1, static_cast<char16_t>(add.first));
    EXPECT_EQ(list.AddObject(s, Obj(list.Count())), add.second) << static_cast<char>(add.first);
  }
  // Each new b went in front of the b items already there.
  EXPECT_EQ(ItemsOf(list),
            (ItemList{{u"a", 4}, {u"a", 1}, {u"b", 5}, {u"b", 2}, {u"b", 0}, {u"c", 3}}));
}

TEST(ElWideStringListSorted, FindBisectsToTheItemOrToWhereItBelongs) {
  struct Case {
    TDuplicates duplicates;
    WideString s;
    bool found;
    int index;
  };
  const Case cases[] = {
      {dupAccept, u"a", true, 0},  {dupAccept, u"b", true, 1},  {dupAccept, u"d", true, 4},
      {dupAccept, u"", false, 0},  {dupAccept, u"c", false, 4}, {dupAccept, u"e", false, 5},
      {dupAccept, u"B", false, 0}, {dupAccept, u"bb", false, 4},
      {dupIgnore, u"a", true, 0},  {dupIgnore, u"d", true, 4},  {dupIgnore, u"c", false, 4},
      {dupError, u"e", false, 5},
  };
  for (const Case& c : cases) {
    TElWideStringList list;
    list.SetDuplicates(dupAccept);
    list.SetSorted(true);
    Fill(list, {u"d", u"b", u"a", u"b", u"b"});
    list.SetDuplicates(c.duplicates);
    int index = -1;
    EXPECT_EQ(list.Find(c.s, index), c.found) << ::testing::PrintToString(c.s);
    EXPECT_EQ(index, c.index) << ::testing::PrintToString(c.s);
  }
  // Without dupAccept any of the equal items will do.
  TElWideStringList list;
  list.SetDuplicates(dupAccept);
  list.SetSorted(true);
  Fill(list, {u"d", u"b", u"a", u"b", u"b"});
  list.SetDuplicates(dupIgnore);
  int index = -1;
  EXPECT_TRUE(list.Find(u"b", index));
  EXPECT_EQ(list.Get(index), u"b");

  TElWideStringList empty;
  EXPECT_FALSE(empty.Find(u"a", index));
  EXPECT_EQ(index, 0);
}

TEST(ElWideStringListSorted, SettingSortedSortsOnceAndLocksThePositions) {
  TElWideStringList list;
  Fill(list, ItemList{{u"c", 1}, {u"a", 2}, {u"B", 3}, {u"b", 4}, {u"\xFFFF", 5}, {u"A", 6}});
  NotifyLog log;
  log.Attach(list);
  list.SetSorted(true);
  EXPECT_TRUE(list.Sorted());
  EXPECT_EQ(ItemsOf(list),
            (ItemList{{u"A", 6}, {u"B", 3}, {u"a", 2}, {u"b", 4}, {u"c", 1}, {u"\xFFFF", 5}}));
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 6", "change 6"}));

  // Already sorted: neither a second sort nor a notification.
  list.SetSorted(true);
  list.Sort();
  EXPECT_EQ(log.events.size(), 2u);

  // IndexOf now bisects; it stays ordinal.
  EXPECT_EQ(list.IndexOf(u"b"), 3);
  EXPECT_EQ(list.IndexOf(u"\xFFFF"), 5);
  EXPECT_EQ(list.IndexOf(u"C"), -1);

  const ItemList sorted = ItemsOf(list);
  const std::pair<const char*, std::function<void()>> refused[] = {
      {"Insert", [&] { list.Insert(0, u"x"); }},
      {"Insert at a bad index", [&] { list.Insert(99, u"x"); }},
      {"InsertObject", [&] { list.InsertObject(6, u"x", Obj(1)); }},
      {"Put", [&] { list.Put(0, u"x"); }},
      {"Move", [&] { list.Move(0, 5); }},
  };
  for (const auto& c : refused) {
    EXPECT_EQ(MessageOf<EStringListError>(c.second), "Operation not allowed on sorted list") << c.first;
    EXPECT_EQ(ItemsOf(list), sorted) << c.first;
  }

  // Exchange, PutObject and Delete are accepted; Exchange may break the order.
  list.Exchange(0, 5);
  list.PutObject(1, Obj(9));
  list.Delete(2);
  list.Move(1, 1);
  EXPECT_EQ(ItemsOf(list), (ItemList{{u"\xFFFF", 5}, {u"B", 9}, {u"b", 4}, {u"c", 1}, {u"A", 6}}));

  // Leaving sorted mode keeps the order and allows insertion again.
  list.SetSorted(false);
  list.Insert(0, u"z");
  EXPECT_EQ(list.Get(0), u"z");
  EXPECT_EQ(list.Get(1), u"\xFFFF");
}

// Sorting must agree with a reference sort for inputs that trouble a
// quicksort: runs, reversals, all equal, few distinct values, and random data.
TEST(ElWideStringListSorted, SortAgreesWithAReferenceSort) {
  std::mt19937 random(20240607);
  const char16_t alphabet[] = {u'a', u'B', u'0', u'\x00E9', u'\xFFFF'};
  auto randomString = [&] {
    WideString s;
    const int length = static_cast<int>(random() % 4);
    for (int i = 0; i < length; ++i) s.push_back(alphabet[random() % 5]);
    return s;
  };
  auto numbered = [](int i) {
    WideString s = WideFromAscii(std::to_string(100000 + i).c_str());
    return s;
  };
  const std::pair<const char*, std::function<WideString(int)>> inputs[] = {
      {"random", [&](int) { return randomString(); }},
      {"ascending", numbered},
      {"descending", [&](int i) { return numbered(-i); }},
      {"all equal", [](int) { return WideString(u"same"); }},
      {"two values", [](int i) { return WideString(i % 2 ? u"b" : u"a"); }},
      {"organ pipe", [&](int i) { return numbered(i < 500 ? i : 1000 - i); }},
  };
  for (const auto& input : inputs) {
    TElWideStringList list;
    ItemList expected;
    for (int i = 0; i < 1000; ++i) {
      const WideString s = input.second(i);
      list.AddObject(s, Obj(i));
      expected.emplace_back(s, i);
    }
    list.Sort();
    const ItemList actual = ItemsOf(list);
    // The order of the strings is the ordinal one...
    std::vector<WideString> strings = StringsOf(list);
    EXPECT_TRUE(std::is_sorted(strings.begin(), strings.end(), OrdinalLess)) << input.first;
    // ...and every item kept its object (sorting is not stable, so compare
    // the items as sets).
    ItemList sortedActual = actual;
    std::sort(sortedActual.begin(), sortedActual.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sortedActual, expected) << input.first;

    // On the sorted result, bisection with dupAccept finds every first item.
    list.SetDuplicates(dupAccept);
    list.SetSorted(true);
    for (int i = 0; i < list.Count(); ++i) {
      const WideString s = list.Get(i);
      const int first = static_cast<int>(
          std::lower_bound(strings.begin(), strings.end(), s, OrdinalLess) - strings.begin());
      ASSERT_EQ(list.IndexOf(s), first) << input.first << " " << ::testing::PrintToString(s);
    }
  }
}

TEST(ElWideStringListSorted, CustomSortUsesTheGivenOrder) {
  TElWideStringList list;
  Fill(list, {u"ccc", u"a", u"bb", u"dddd"});
  NotifyLog log;
  log.Attach(list);
  list.CustomSort([&list](TElWideStringList* sender, int i, int j) {
    EXPECT_EQ(sender, &list);
    EXPECT_TRUE(i >= 0 && i < sender->Count() && j >= 0 && j < sender->Count());
    return static_cast<int>(sender->Get(j).size()) - static_cast<int>(sender->Get(i).size());
  });
  EXPECT_EQ(StringsOf(list), (std::vector<WideString>{u"dddd", u"ccc", u"bb", u"a"}));
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 4", "change 4"}));
  EXPECT_FALSE(list.Sorted());
}

TEST(ElWideStringListSorted, CustomSortSkipsSortedAndShortLists) {
  int compares = 0;
  const auto counting = [&compares](TElWideStringList*, int, int) {
    ++compares;
    return 0;
  };
  TElWideStringList single;
  single.Add(u"a");
  TElWideStringList sorted;
  sorted.SetSorted(true);
  Fill(sorted, {u"b", u"a"});
  for (TElWideStringList* list : {&single, &sorted}) {
    NotifyLog log;
    log.Attach(*list);
    list->CustomSort(counting);
    EXPECT_TRUE(log.events.empty());
  }
  EXPECT_EQ(compares, 0);
}

TEST(ElWideStringListSorted, FailingCompareStillClosesTheAnnouncedChange) {
  TElWideStringList list;
  Fill(list, ItemList{{u"d", 4}, {u"c", 3}, {u"b", 2}, {u"a", 1}});
  NotifyLog log;
  log.Attach(list);
  int compares = 0;
  EXPECT_THROW(list.CustomSort([&](TElWideStringList* l, int i, int j) {
    if (++compares == 3) throw std::runtime_error("compare failed");
    return WideCompareOrdinal(l->Get(i), l->Get(j));
  }),
               std::runtime_error);
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 4", "change 4"}));
  ItemList items = ItemsOf(list);
  std::sort(items.begin(), items.end());
  EXPECT_EQ(items, (ItemList{{u"a", 1}, {u"b", 2}, {u"c", 3}, {u"d", 4}}));
}

}  // namespace
