// The abstract list: ordinal comparison, abstract primitives, the defaults of
// the optional primitives, and the composite operations as seen by a
// descendant that supplies its own primitives.
#include <stdexcept>

#include "WideStringsTestSupport.h"
#include "text/ElWideStrings.h"

namespace {

// ---------------------------------------------------------------------------
// Ordinal comparison

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(WideCompareOrdinal, ComparesUnitsAsUnsignedAndStopsAtZero) {
  struct Case {
    WideString a, b;
    int sign;
  };
  const Case cases[] = {
      {u"", u"", 0},
      {u"a", u"a", 0},
      {u"B", u"a", -1},                  // ordinal, not alphabetical
      {u"a", u"A", 1},                   // case-sensitive
      {u"\xFFFF", u"A", 1},              // unsigned: U+FFFF is the largest unit
      {u"\x00E9", u"z", 1},              // no locale: e-acute after z
      {u"\xD800", u"\xE000", -1},        // surrogates are plain units
      {u"ab", u"abc", -1},               // a prefix sorts first
      {u"abc", u"ab", 1},
      {u"", u"a", -1},
      {WideString(u"a\0b", 3), WideString(u"a\0c", 3), 0},  // stops at the zero
      {WideString(u"a\0b", 3), u"a", 0},
      {u"a", WideString(u"a\0b", 3), 0},
      {WideString(u"\0x", 2), u"", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sign(WideCompareOrdinal(c.a, c.b)), c.sign)
        << ::testing::PrintToString(c.a) << " vs " << ::testing::PrintToString(c.b);
    EXPECT_EQ(Sign(WideCompareOrdinal(c.b, c.a)), -c.sign)
        << ::testing::PrintToString(c.b) << " vs " << ::testing::PrintToString(c.a);
  }
}

// ---------------------------------------------------------------------------
// The abstract class itself

TEST(ElWideStrings, AbstractPrimitivesRaiseAbstractError) {
  TElWideStrings strings;
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"Get", [&] { strings.Get(0); }},
      {"GetCount", [&] { strings.GetCount(); }},
      {"Clear", [&] { strings.Clear(); }},
      {"Delete", [&] { strings.Delete(0); }},
      {"Insert", [&] { strings.Insert(0, u"a"); }},
      // Composites reach a missing primitive and fail the same way.
      {"Add", [&] { strings.Add(u"a"); }},
      {"Capacity", [&] { strings.Capacity(); }},
      {"IndexOf", [&] { strings.IndexOf(u"a"); }},
      {"Put", [&] { strings.Put(0, u"a"); }},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MessageOf<EAbstractError>(c.second), "Abstract error") << c.first;
  EXPECT_EQ(strings.ClassName(), "TElWideStrings");
}

// Stores strings only, overriding nothing but the five required primitives.
class StringsOnly : public TElWideStrings {
 public:
  WideString Get(int index) const override { return FItems.at(static_cast<size_t>(index)).first; }
  int GetCount() const override { return static_cast<int>(FItems.size()); }
  void Clear() override { FItems.clear(); }
  void Delete(int index) override {
    CheckIndex(index, GetCount() - 1);
    FItems.erase(FItems.begin() + index);
  }
  void Insert(int index, const WideString& s) override {
    CheckIndex(index, GetCount());
    FItems.insert(FItems.begin() + index, {s, nullptr});
  }

 protected:
  static void CheckIndex(int index, int max) {
    if (index < 0 || index > max) throw std::out_of_range("index " + std::to_string(index));
  }
  std::vector<std::pair<WideString, void*>> FItems;
};

TEST(ElWideStrings, OptionalPrimitivesHaveNeutralDefaults) {
  StringsOnly strings;
  EXPECT_EQ(strings.AddObject(u"a", Obj(7)), 0);
  EXPECT_EQ(strings.AddObject(u"b", Obj(8)), 1);
  // Without object storage the objects read back null.
  EXPECT_EQ(strings.GetObject(0), nullptr);
  EXPECT_EQ(strings.IndexOfObject(Obj(7)), -1);
  EXPECT_EQ(strings.IndexOfObject(nullptr), 0);
  // Capacity follows the count; setting it changes nothing.
  strings.SetCapacity(100);
  EXPECT_EQ(strings.Capacity(), 2);
  strings.Append(u"c");
  EXPECT_EQ(strings.Capacity(), 3);
  EXPECT_EQ(StringsOf(strings), (std::vector<WideString>{u"a", u"b", u"c"}));
}

// Adds objects and records every call of a changing primitive and of
// SetUpdateState, so each composite can be checked against the primitives it
// is made of.
class RecordingStrings : public StringsOnly {
 public:
  std::vector<std::string> calls;

  void* GetObject(int index) const override { return FItems.at(static_cast<size_t>(index)).second; }
  void PutObject(int index, void* object) override {
    calls.push_back("PutObject(" + std::to_string(index) + "," +
                    std::to_string(reinterpret_cast<std::intptr_t>(object)) + ")");
    FItems.at(static_cast<size_t>(index)).second = object;
  }
  void Delete(int index) override {
    calls.push_back("Delete(" + std::to_string(index) + ")");
    StringsOnly::Delete(index);
  }
  void Insert(int index, const WideString& s) override {
    std::string narrow(s.begin(), s.end());
    calls.push_back("Insert(" + std::to_string(index) + "," + narrow + ")");
    StringsOnly::Insert(index, s);
  }

 protected:
  void SetUpdateState(bool updating) override { calls.push_back(updating ? "Begin" : "End"); }
};

const ItemList kAbc = {{u"a", 1}, {u"b", 2}, {u"c", 3}};

TEST(ElWideStrings, CompositesGoThroughThePrimitives) {
  struct Case {
    const char* name;
    std::function<void(TElWideStrings&)> op;
    std::vector<std::string> calls;
    ItemList after;
  };
  const Case cases[] = {
      {"Add", [](TElWideStrings& l) { EXPECT_EQ(l.Add(u"d"), 3); },
       {"Insert(3,d)"},
       {{u"a", 1}, {u"b", 2}, {u"c", 3}, {u"d", 0}}},
      {"AddObject", [](TElWideStrings& l) { EXPECT_EQ(l.AddObject(u"d", Obj(4)), 3); },
       {"Insert(3,d)", "PutObject(3,4)"},
       {{u"a", 1}, {u"b", 2}, {u"c", 3}, {u"d", 4}}},
      {"Append", [](TElWideStrings& l) { l.Append(u"d"); },
       {"Insert(3,d)"},
       {{u"a", 1}, {u"b", 2}, {u"c", 3}, {u"d", 0}}},
      {"InsertObject", [](TElWideStrings& l) { l.InsertObject(1, u"d", Obj(4)); },
       {"Insert(1,d)", "PutObject(1,4)"},
       {{u"a", 1}, {u"d", 4}, {u"b", 2}, {u"c", 3}}},
      {"Put keeps the object", [](TElWideStrings& l) { l.Put(1, u"x"); },
       {"Delete(1)", "Insert(1,x)", "PutObject(1,2)"},
       {{u"a", 1}, {u"x", 2}, {u"c", 3}}},
      {"Exchange", [](TElWideStrings& l) { l.Exchange(0, 2); },
       {"Begin", "Delete(0)", "Insert(0,c)", "PutObject(0,1)", "PutObject(0,3)", "Delete(2)",
        "Insert(2,a)", "PutObject(2,3)", "PutObject(2,1)", "End"},
       {{u"c", 3}, {u"b", 2}, {u"a", 1}}},
      {"Move forward", [](TElWideStrings& l) { l.Move(0, 2); },
       {"Begin", "Delete(0)", "Insert(2,a)", "PutObject(2,1)", "End"},
       {{u"b", 2}, {u"c", 3}, {u"a", 1}}},
      {"Move backward", [](TElWideStrings& l) { l.Move(2, 0); },
       {"Begin", "Delete(2)", "Insert(0,c)", "PutObject(0,3)", "End"},
       {{u"c", 3}, {u"a", 1}, {u"b", 2}}},
      {"Move to itself", [](TElWideStrings& l) { l.Move(1, 1); }, {}, kAbc},
      {"AddStrings",
       [](TElWideStrings& l) {
         RecordingStrings other;
         Fill(other, ItemList{{u"x", 7}, {u"y", 8}});
         l.AddStrings(other);
       },
       {"Begin", "Insert(3,x)", "PutObject(3,7)", "Insert(4,y)", "PutObject(4,8)", "End"},
       {{u"a", 1}, {u"b", 2}, {u"c", 3}, {u"x", 7}, {u"y", 8}}},
      {"AddStrings of itself", [](TElWideStrings& l) { l.AddStrings(l); },
       {"Begin", "Insert(3,a)", "PutObject(3,1)", "Insert(4,b)", "PutObject(4,2)", "Insert(5,c)",
        "PutObject(5,3)", "End"},
       {{u"a", 1}, {u"b", 2}, {u"c", 3}, {u"a", 1}, {u"b", 2}, {u"c", 3}}},
      // A failing bracketed composite still closes its bracket.
      {"Exchange with a bad index", [](TElWideStrings& l) {
         EXPECT_THROW(l.Exchange(0, 3), std::out_of_range);
       },
       {"Begin", "End"}, kAbc},
      // A bad destination puts the moved item back where it was.
      {"Move to a bad index", [](TElWideStrings& l) {
         EXPECT_THROW(l.Move(0, 3), std::out_of_range);
       },
       {"Begin", "Delete(0)", "Insert(3,a)", "Insert(0,a)", "PutObject(0,1)", "End"}, kAbc},
  };
  for (const Case& c : cases) {
    RecordingStrings strings;
    Fill(strings, kAbc);
    strings.calls.clear();
    c.op(strings);
    EXPECT_EQ(strings.calls, c.calls) << c.name;
    EXPECT_EQ(ItemsOf(strings), c.after) << c.name;
  }
}

TEST(ElWideStrings, SearchesGoThroughThePrimitives) {
  RecordingStrings strings;
  Fill(strings, ItemList{{u"a", 1}, {u"A", 2}, {u"", 0}, {u"a", 3}});
  EXPECT_EQ(strings.IndexOf(u"a"), 0);
  EXPECT_EQ(strings.IndexOf(u"A"), 1);
  EXPECT_EQ(strings.IndexOf(u""), 2);
  EXPECT_EQ(strings.IndexOf(u"B"), -1);
  EXPECT_EQ(strings.IndexOfObject(Obj(3)), 3);
  EXPECT_EQ(strings.IndexOfObject(nullptr), 2);
  EXPECT_EQ(strings.IndexOfObject(Obj(9)), -1);
}

TEST(ElWideStrings, UpdateBracketsNestAndReachSetUpdateStateOnlyOutermost) {
  RecordingStrings strings;
  strings.BeginUpdate();
  strings.BeginUpdate();
  strings.Add(u"a");
  strings.EndUpdate();
  EXPECT_EQ(strings.calls, (std::vector<std::string>{"Begin", "Insert(0,a)"}));
  strings.EndUpdate();
  EXPECT_EQ(strings.calls, (std::vector<std::string>{"Begin", "Insert(0,a)", "End"}));
  // A second outermost bracket opens and closes again.
  strings.BeginUpdate();
  strings.EndUpdate();
  EXPECT_EQ(strings.calls.size(), 5u);
}

TEST(ElWideStrings, AssignCopiesStringsAndObjectsFromAnyWideStringList) {
  RecordingStrings source;
  Fill(source, ItemList{{u"x", 7}, {u"y", 8}});
  TElWideStringList list;
  Fill(list, kAbc);
  list.Assign(&source);
  EXPECT_EQ(ItemsOf(list), (ItemList{{u"x", 7}, {u"y", 8}}));

  RecordingStrings dest;
  Fill(dest, kAbc);
  dest.calls.clear();
  dest.Assign(&list);
  EXPECT_EQ(ItemsOf(dest), (ItemList{{u"x", 7}, {u"y", 8}}));
  EXPECT_EQ(dest.calls.front(), "Begin");
  EXPECT_EQ(dest.calls.back(), "End");
}

}  // namespace
