// The narrow string list: primitives and their index checks, composites,
// the Text form, notifications and brackets, assignment.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/Exception.h"
#include "framework/Strings.h"
#include "tests/support/MessageOf.h"
#include "tests/support/ChangeLog.h"

namespace {

void* Obj(std::intptr_t value) { return reinterpret_cast<void*>(value); }

std::vector<std::string> StringsOf(const TStrings& list) {
  std::vector<std::string> result;
  for (int i = 0; i < list.Count(); ++i) result.push_back(list.Get(i));
  return result;
}

TEST(StringList, StoresStringsWithObjects) {
  TStringList list;
  EXPECT_EQ(list.Add("b"), 0);
  EXPECT_EQ(list.AddObject("c", Obj(3)), 1);
  list.InsertObject(0, "a", Obj(1));
  EXPECT_EQ(StringsOf(list), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(list.Objects(0), Obj(1));
  EXPECT_EQ(list.Objects(1), nullptr);
  list.Put(2, "C");  // keeps the object
  EXPECT_EQ(list.Strings(2), "C");
  EXPECT_EQ(list.Objects(2), Obj(3));
  EXPECT_EQ(list.IndexOf("C"), 2);
  EXPECT_EQ(list.IndexOf("c"), -1);  // ordinal
  EXPECT_EQ(list.IndexOfObject(Obj(3)), 2);
  list.Delete(1);
  EXPECT_EQ(StringsOf(list), (std::vector<std::string>{"a", "C"}));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.ClassName(), "TStringList");
}

TEST(StringList, IndexesAreCheckedAndAFailureChangesNothing) {
  TStringList list;
  list.Add("a");
  const std::pair<std::string, std::function<void()>> cases[] = {
      {"List index out of bounds (-1)", [&] { list.Get(-1); }},
      {"List index out of bounds (1)", [&] { list.Get(1); }},
      {"List index out of bounds (1)", [&] { list.GetObject(1); }},
      {"List index out of bounds (1)", [&] { list.Put(1, "x"); }},
      {"List index out of bounds (-1)", [&] { list.PutObject(-1, nullptr); }},
      {"List index out of bounds (2)", [&] { list.Insert(2, "x"); }},
      {"List index out of bounds (-1)", [&] { list.Insert(-1, "x"); }},
      {"List index out of bounds (1)", [&] { list.Delete(1); }},
  };
  for (const auto& c : cases) EXPECT_EQ(MessageOf<EStringListError>(c.second), c.first);
  EXPECT_EQ(StringsOf(list), (std::vector<std::string>{"a"}));
  list.Insert(1, "b");  // at Count: appends
  EXPECT_EQ(StringsOf(list), (std::vector<std::string>{"a", "b"}));
}

TEST(StringList, TextFormJoinsWithCrLfAndSplitsAtEveryLineBreak) {
  struct Case {
    std::string text;
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},
      {"\r\n", {""}},
      {std::string("a\0b\r\nc", 6), {"a"}},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.Add("old");
    list.SetTextStr(c.text);
    EXPECT_EQ(StringsOf(list), c.items) << ::testing::PrintToString(c.text);
  }
  TStringList list;
  EXPECT_EQ(list.Text(), "");
  list.Add("a");
  list.Add("");
  EXPECT_EQ(list.Text(), "a\r\n\r\n");
}

TEST(StringList, NotifiesAroundChangesAndOnceForAnUpdateBracket) {
  TStringList list;
  NotifyLog log;
  log.Attach(list);
  list.Add("a");
  list.PutObject(0, Obj(1));
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 0", "change 1", "changing 1", "change 1"}));

  log.events.clear();
  list.SetTextStr("x\ny\nz");
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 1", "change 3"}));

  log.events.clear();
  TStringList empty;
  NotifyLog emptyLog;
  emptyLog.Attach(empty);
  empty.Clear();
  EXPECT_TRUE(emptyLog.events.empty());
}

TEST(StringList, AssignCopiesStringsAndObjectsAndRefusesOtherSources) {
  TStringList source;
  source.AddObject("a", Obj(1));
  source.AddObject("b", Obj(2));
  TStringList target;
  target.Add("old");
  NotifyLog log;
  log.Attach(target);
  target.Assign(&source);
  EXPECT_EQ(StringsOf(target), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(target.Objects(1), Obj(2));
  EXPECT_TRUE(target.Equals(source));
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 1", "change 2"}));

  target.Assign(&target);  // a list assigned to itself stays as it is
  EXPECT_EQ(StringsOf(target), (std::vector<std::string>{"a", "b"}));

  target.AddStrings(target);
  EXPECT_EQ(StringsOf(target), (std::vector<std::string>{"a", "b", "a", "b"}));
  EXPECT_FALSE(target.Equals(source));

  TPersistent other;
  EXPECT_EQ(MessageOf<EConvertError>([&] { target.Assign(&other); }),
            "Cannot assign a TPersistent to a TStringList");
  EXPECT_EQ(MessageOf<EConvertError>([&] { other.Assign(&target); }),
            "Cannot assign a TStringList to a TPersistent");
}

TEST(StringList, AFailingHandlerLeavesTheBracketClosed) {
  TStringList list;
  int changes = 0;
  bool fail = true;
  list.OnChange = [&](TObject*) {
    ++changes;
    if (fail) throw Exception("handler failed");
  };
  // Inside the bracket the handler is not called; it runs, and fails, when
  // the bracket closes.
  EXPECT_THROW(list.SetTextStr("a\nb"), Exception);
  EXPECT_EQ(list.UpdateCount(), 0);
  fail = false;
  list.Add("c");
  EXPECT_EQ(changes, 2);
}

}  // namespace
