#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "crash/MEFields.h"

namespace {

std::vector<std::string> Names(const TIMEFields& fields) {
  std::vector<std::string> names;
  for (const auto& item : fields.Items()) names.push_back(item.first);
  return names;
}

TEST(MEFields, ContentsAreStrippedAndEmptyRemovesThePair) {
  TIMEFields fields;
  fields.Add("a", "\r\n  one \t\r\n");
  EXPECT_EQ(fields.Get("A"), "  one ");  // blanks stay, names ignore case
  fields.Add("b", "two");
  fields.Add("A", "\r\n");
  EXPECT_EQ(Names(fields), std::vector<std::string>({"b"}));
  fields.Add("missing", "");
  EXPECT_EQ(fields.Count(), 1);
}

TEST(MEFields, ExistingNameIsReplacedInPlace) {
  TIMEFields fields;
  fields.Add("a", "1");
  fields.Add("b", "2");
  fields.Add("A", "3");
  EXPECT_EQ(Names(fields), std::vector<std::string>({"a", "b"}));
  EXPECT_EQ(fields.Content(0), "3");
}

TEST(MEFields, InsertionIndexKeepsLaterAdditionsInOrder) {
  TIMEFields fields;
  for (const char* name : {"a", "b", "crc", "z"}) fields.Add(name, "x");
  fields.SetInsertIndex(2);
  fields.Add("p", "1");
  fields.Add("q", "2");
  fields.Add("b", "replaced");  // in place: the index stays
  EXPECT_EQ(Names(fields), std::vector<std::string>({"a", "b", "p", "q", "crc", "z"}));
  EXPECT_EQ(fields.InsertIndex(), 4);
  fields.Delete(0);  // a pair above the index moves it up with the rest
  fields.Add("r", "3");
  EXPECT_EQ(Names(fields), std::vector<std::string>({"b", "p", "q", "r", "crc", "z"}));
  fields.SetInsertIndex(0);
  fields.Add("end", "4");
  EXPECT_EQ(fields.Name(fields.Count() - 1), "end");
}

TEST(MEFields, CallbacksRunOncePerUpdateBracketAndMayReadTheList) {
  TIMEFields fields;
  int calls = 0;
  int seenCount = -1;
  fields.OnChange = [&] {
    ++calls;
    seenCount = fields.Count();  // the callback runs outside the list's lock
  };
  fields.Add("a", "1");
  EXPECT_EQ(calls, 1);
  fields.BeginUpdate();
  fields.Add("b", "2");
  fields.BeginUpdate();
  fields.Add("c", "3");
  fields.EndUpdate();
  EXPECT_EQ(calls, 1);
  fields.EndUpdate();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(seenCount, 3);
  fields.BeginUpdate();
  fields.EndUpdate();  // nothing changed
  fields.Add("nothing", "");
  fields.Delete(17);
  EXPECT_EQ(calls, 2);
  fields.Clear();
  EXPECT_EQ(calls, 3);
}

TEST(MEFields, WritersAndReadersOnSeveralThreadsLoseNothing) {
  TIMEFields fields;
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    while (!stop) {
      for (const auto& item : fields.Items()) ASSERT_FALSE(item.second.empty());
      fields.Get("w1-5");
    }
  });
  std::vector<std::thread> writers;
  for (int w = 0; w < 4; ++w)
    writers.emplace_back([&fields, w] {
      for (int i = 0; i < 200; ++i) fields.Add("w" + std::to_string(w) + "-" + std::to_string(i), "value");
    });
  for (std::thread& writer : writers) writer.join();
  stop = true;
  reader.join();
  EXPECT_EQ(fields.Count(), 800);
}

}  // namespace
