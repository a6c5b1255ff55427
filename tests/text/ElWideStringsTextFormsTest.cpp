// Comparison, names and values, the Text and comma text forms, streams and
// files, and assignment from and to the framework's narrow string list.
#include <cstdint>
#include <string>
#include <typeinfo>

#include "WideStringsTestSupport.h"
#include "framework/Stream.h"
#include "framework/Strings.h"
#include "tests/support/ScratchDir.h"

namespace {

using Strings = std::vector<WideString>;

Strings StringsAfter(const std::function<void(TElWideStringList&)>& op) {
  TElWideStringList list;
  op(list);
  return StringsOf(list);
}

std::string Bytes(std::initializer_list<int> bytes) {
  std::string result;
  for (int b : bytes) result.push_back(static_cast<char>(b));
  return result;
}

// ---------------------------------------------------------------------------
// Equals, names and values

TEST(ElWideStringsTextForms, EqualsComparesCountAndStringsButNotObjects) {
  struct Case {
    ItemList a, b;
    bool equal;
  };
  const Case cases[] = {
      {{}, {}, true},
      {{{u"a", 1}, {u"b", 2}}, {{u"a", 3}, {u"b", 4}}, true},
      {{{u"a", 0}}, {{u"a", 0}, {u"", 0}}, false},
      {{{u"a", 0}}, {{u"A", 0}}, false},
      {{{u"a", 0}, {u"b", 0}}, {{u"b", 0}, {u"a", 0}}, false},
  };
  for (const Case& c : cases) {
    TElWideStringList a, b;
    Fill(a, c.a);
    Fill(b, c.b);
    EXPECT_EQ(a.Equals(b), c.equal) << ::testing::PrintToString(c.a);
    EXPECT_EQ(b.Equals(a), c.equal) << ::testing::PrintToString(c.a);
  }
}

TEST(ElWideStringsTextForms, NamesAreThePartBeforeTheFirstEqualsSign) {
  TElWideStringList list;
  Fill(list, {u"k=v=w", u"=x", u"plain", u"K=upper", u"k=second", u"e="});
  const Strings names = {u"k", u"", u"", u"K", u"k", u"e"};
  for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Names(i), names[static_cast<size_t>(i)]) << i;
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.GetName(6); }), "List index out of bounds (6)");

  const std::pair<WideString, int> lookups[] = {
      {u"k", 0}, {u"K", 3}, {u"", 1}, {u"plain", -1}, {u"e", 5}, {u"x", -1}};
  for (const auto& l : lookups) EXPECT_EQ(list.IndexOfName(l.first), l.second) << ::testing::PrintToString(l.first);

  EXPECT_EQ(list.Values(u"k"), u"v=w");  // the first one, everything after its "="
  EXPECT_EQ(list.Values(u""), u"x");
  EXPECT_EQ(list.Values(u"e"), u"");
  EXPECT_EQ(list.Values(u"missing"), u"");
}

TEST(ElWideStringsTextForms, SetValueReplacesAddsOrDeletes) {
  struct Case {
    const char* name;
    WideString key, value;
    ItemList after;
  };
  const ItemList before = {{u"a=1", 10}, {u"k=v", 20}, {u"b", 30}};
  const Case cases[] = {
      {"replace keeps place and object", u"k", u"new", {{u"a=1", 10}, {u"k=new", 20}, {u"b", 30}}},
      {"add at the end", u"z", u"9", {{u"a=1", 10}, {u"k=v", 20}, {u"b", 30}, {u"z=9", 0}}},
      {"empty value deletes", u"k", u"", {{u"a=1", 10}, {u"b", 30}}},
      {"empty value for a missing name", u"z", u"", before},
      {"an item without = is no name", u"b", u"2", {{u"a=1", 10}, {u"k=v", 20}, {u"b", 30}, {u"b=2", 0}}},
  };
  for (const Case& c : cases) {
    TElWideStringList list;
    Fill(list, before);
    list.SetValue(c.key, c.value);
    EXPECT_EQ(ItemsOf(list), c.after) << c.name;
  }
}

TEST(ElWideStringsTextForms, SetValueOnASortedListFailsAndLeavesNoEmptyItem) {
  for (TDuplicates duplicates : {dupIgnore, dupAccept, dupError}) {
    TElWideStringList list;
    list.SetDuplicates(duplicates);
    list.SetSorted(true);
    Fill(list, {u"k=v", u"m"});
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.SetValue(u"z", u"1"); }),
              "Operation not allowed on sorted list");
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.SetValue(u"k", u"2"); }),
              "Operation not allowed on sorted list");
    EXPECT_EQ(StringsOf(list), (Strings{u"k=v", u"m"})) << duplicates;
    list.SetValue(u"k", u"");  // deleting is allowed
    EXPECT_EQ(StringsOf(list), (Strings{u"m"})) << duplicates;
  }
  // An empty item that was there before stays.
  TElWideStringList list;
  list.SetSorted(true);
  Fill(list, {u"", u"m"});
  EXPECT_THROW(list.SetValue(u"z", u"1"), EStringListError);
  EXPECT_EQ(StringsOf(list), (Strings{u"", u"m"}));
}

// ---------------------------------------------------------------------------
// Text

TEST(ElWideStringsTextForms, TextEndsEveryItemWithCrLf) {
  EXPECT_EQ(StringsAfter([](TElWideStringList&) {}), Strings{});
  TElWideStringList list;
  EXPECT_EQ(list.Text(), u"");
  Fill(list, {u"a", u"b"});
  EXPECT_EQ(list.Text(), u"a\r\nb\r\n");
  list.Add(u"");
  EXPECT_EQ(list.GetTextStr(), u"a\r\nb\r\n\r\n");
}

TEST(ElWideStringsTextForms, SetTextCutsAtEveryKindOfLineBreak) {
  struct Case {
    WideString text;
    Strings items;
  };
  const Case cases[] = {
      {u"", {}},
      {u"a", {u"a"}},
      {u"a\r\nb\r\n", {u"a", u"b"}},
      {u"a\n\nb", {u"a", u"", u"b"}},
      {u"a\rb\nc", {u"a", u"b", u"c"}},
      {u"a\n\rb", {u"a", u"", u"b"}},  // LF then CR: an empty line after it
      {u"a\r\r\nb", {u"a", u"", u"b"}},
      {u"\r\n", {u""}},
      {u"\r\n\r\n", {u"", u""}},
      {u"a\r\n\r\n", {u"a", u""}},
      {WideString(u"a\r\nb\0c\r\nd", 9), {u"a", u"b"}},  // a zero unit ends the text
      {WideString(u"\0a", 2), {}},
      {u" \t x ", {u" \t x "}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StringsAfter([&](TElWideStringList& l) {
                l.Add(u"old");
                l.SetTextStr(c.text);
              }),
              c.items)
        << ::testing::PrintToString(c.text);
  }
}

TEST(ElWideStringsTextForms, SetTextIsOneBracketedChange) {
  TElWideStringList list;
  Fill(list, {u"old"});
  NotifyLog log;
  log.Attach(list);
  list.SetTextStr(u"a\nb\nc");
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 1", "change 3"}));
  // A failing Add (a sorted list refusing a duplicate) still closes it.
  list.SetDuplicates(dupError);
  list.SetSorted(true);
  log.events.clear();
  EXPECT_THROW(list.SetTextStr(u"x\nx"), EStringListError);
  EXPECT_EQ(StringsOf(list), (Strings{u"x"}));
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 3", "change 1"}));
}

TEST(ElWideStringsTextForms, GetTextGivesAZeroTerminatedCopyThatSetTextReads) {
  TElWideStringList list;
  Fill(list, {u"a", u"\u00E9"});
  std::unique_ptr<char16_t[]> text = list.GetText();
  EXPECT_EQ(WideString(text.get()), u"a\r\n\u00E9\r\n");
  EXPECT_EQ(text[6], u'\0');

  TElWideStringList empty;
  EXPECT_EQ(empty.GetText()[0], u'\0');

  TElWideStringList target;
  target.SetText(text.get());
  EXPECT_TRUE(target.Equals(list));
  const char16_t withZero[] = u"x\0y";
  target.SetText(withZero);
  EXPECT_EQ(StringsOf(target), (Strings{u"x"}));
  target.SetText(nullptr);
  EXPECT_EQ(target.Count(), 0);
}

// ---------------------------------------------------------------------------
// Comma text

TEST(ElWideStringsTextForms, CommaTextQuotesWhatWouldNotReadBack) {
  struct Case {
    Strings items;
    WideString text;
  };
  const Case cases[] = {
      {{}, u""},
      {{u""}, u"\"\""},
      {{u"a"}, u"a"},
      {{u"a b"}, u"\"a b\""},
      {{u"x", u"say \"hi\""}, u"x,\"say \"\"hi\"\"\""},
      {{u"a,b", u"c"}, u"\"a,b\",c"},
      {{u"a", u"", u"b"}, u"a,,b"},
      {{u"\x01", u"\x1F", u"!"}, u"\"\x01\",\"\x1F\",!"},
      {{u"\u00E9\u4E00", u"\x7F"}, u"\u00E9\u4E00,\x7F"},  // above 32: bare
      // An empty last item is quoted: bare it would read as a trailing comma.
      {{u"a", u""}, u"a,\"\""},
      {{u"", u""}, u",\"\""},
  };
  for (const Case& c : cases) {
    TElWideStringList list;
    for (const auto& s : c.items) list.Add(s);
    EXPECT_EQ(list.CommaText(), c.text) << ::testing::PrintToString(c.items);
  }
}

TEST(ElWideStringsTextForms, SetCommaTextReadsTokensQuotesAndBlanks) {
  struct Case {
    WideString text;
    Strings items;
  };
  const Case cases[] = {
      {u"", {}},
      {u"   ", {}},
      {u"a,,b", {u"a", u"", u"b"}},
      {u"a,", {u"a"}},  // a trailing comma adds nothing
      {u" a , b ", {u"a", u"b"}},
      {u"a b", {u"a", u"b"}},  // a blank ends a bare token
      {u",a", {u"", u"a"}},
      {u"\"\"", {u""}},
      {u"x,\"say \"\"hi\"\"\"", {u"x", u"say \"hi\""}},
      {u"\"a\"b", {u"a", u"b"}},
      {u"\"a, b\" ,c", {u"a, b", u"c"}},
      {u"\t\"a\"\r\n,\n\"b\"", {u"a", u"b"}},
      // Without a closing mark the token runs to the end of the text.
      {u"\"abc", {u"abc"}},
      {u"x,\"a\"\"b", {u"x", u"a\"b"}},
      {u"\"", {u""}},
      {WideString(u"a,b\0,c", 6), {u"a", u"b"}},  // a zero unit ends the text
      {WideString(u"\"a\0b\",c", 7), {u"a"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StringsAfter([&](TElWideStringList& l) {
                l.Add(u"old");
                l.SetCommaText(c.text);
              }),
              c.items)
        << ::testing::PrintToString(c.text);
  }
}

TEST(ElWideStringsTextForms, CommaTextReadsBackToTheSameItems) {
  const Strings lists[] = {
      {u"a", u"", u"b"},
      {u"", u"", u""},
      {u"a", u""},
      {u"x", u"\"", u"\"\""},
      {u" lead", u"trail ", u"in side", u",", u"\"q\",", u"\x01\x02"},
      {u"\u00E9", u"C:\\Program Files\\x", u"k=v"},
  };
  for (const Strings& items : lists) {
    TElWideStringList list;
    for (const WideString& s : items) list.Add(s);
    TElWideStringList back;
    back.SetCommaText(list.GetCommaText());
    EXPECT_EQ(StringsOf(back), StringsOf(list)) << ::testing::PrintToString(list.GetCommaText());
  }
}

TEST(ElWideStringsTextForms, SetCommaTextIsOneBracketedChange) {
  TElWideStringList list;
  NotifyLog log;
  log.Attach(list);
  list.SetCommaText(u"a,b,c");
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 0", "change 3"}));
}

// ---------------------------------------------------------------------------
// Streams

Strings Loaded(const std::string& bytes, int64_t position = 0) {
  TCustomMemoryStream stream(bytes.data(), bytes.size());
  stream.SetPosition(position);
  TElWideStringList list;
  list.Add(u"old");
  list.LoadFromStream(stream);
  return StringsOf(list);
}

TEST(ElWideStringsTextForms, LoadFromStreamTellsUtf16FromNarrowByTheMark) {
  struct Case {
    const char* name;
    std::string bytes;
    Strings items;
  };
  const Case cases[] = {
      {"UTF-16LE", Bytes({0xFF, 0xFE, 0x61, 0, 0x0D, 0, 0x0A, 0, 0x62, 0}), {u"a", u"b"}},
      {"UTF-16BE", Bytes({0xFE, 0xFF, 0, 0x61, 0, 0x0D, 0, 0x0A, 0, 0x62}), {u"a", u"b"}},
      {"narrow", Bytes({0x61, 0x0D, 0x0A, 0x62}), {u"a", u"b"}},
      {"narrow in the code page", Bytes({0xE9, 0x0A, 0x80}), {u"\u00E9", u"\u20AC"}},
      {"UTF-16 beyond the code page", Bytes({0xFF, 0xFE, 0x00, 0x4E, 0x3D, 0xD8, 0x00, 0xDE}), {u"\u4E00\U0001F600"}},
      {"odd trailing byte dropped", Bytes({0xFF, 0xFE, 0x61, 0, 0x62}), {u"a"}},
      {"every leading mark removed", Bytes({0xFF, 0xFE, 0xFF, 0xFE, 0xFE, 0xFF, 0x61, 0}), {u"a"}},
      {"big-endian marks removed after the swap", Bytes({0xFE, 0xFF, 0xFE, 0xFF, 0, 0x61}), {u"a"}},
      {"a mark later on stays", Bytes({0xFF, 0xFE, 0x61, 0, 0xFF, 0xFE}), {u"a\uFEFF"}},
      {"zero unit ends the text", Bytes({0xFE, 0xFF, 0, 0x61, 0, 0, 0, 0x62}), {u"a"}},
      {"mark only", Bytes({0xFF, 0xFE}), {}},
      {"one byte", Bytes({0x61}), {u"a"}},
      {"one mark byte", Bytes({0xFF}), {u"\u00FF"}},
      {"narrow that looks like half a mark", Bytes({0xFF, 0x61}), {u"\u00FFa"}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Loaded(c.bytes), c.items) << c.name;
}

TEST(ElWideStringsTextForms, LoadFromStreamReadsFromThePosition) {
  EXPECT_EQ(Loaded("skip\xFF\xFE" + Bytes({0x61, 0}), 4), (Strings{u"a"}));
  EXPECT_EQ(Loaded("xxab", 2), (Strings{u"ab"}));
  EXPECT_EQ(Loaded("xxab", 4), (Strings{}));
}

TEST(ElWideStringsTextForms, APositionBeyondTheEndIsAnInvalidHeader) {
  const std::string bytes = "ab";
  TCustomMemoryStream stream(bytes.data(), bytes.size());
  stream.SetPosition(3);
  TElWideStringList list;
  list.Add(u"old");
  NotifyLog log;
  log.Attach(list);
  try {
    list.LoadFromStream(stream);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(typeid(e), typeid(Exception));
    EXPECT_EQ(e.Message(), "Invalid string header read from the stream");
  }
  EXPECT_EQ(list.Count(), 0);  // cleared before the check
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 1", "change 0"}));
}

TEST(ElWideStringsTextForms, LoadFromStreamIsOneBracketedChange) {
  const std::string bytes = "a\nb\nc";
  TCustomMemoryStream stream(bytes.data(), bytes.size());
  TElWideStringList list;
  Fill(list, {u"x", u"y"});
  NotifyLog log;
  log.Attach(list);
  list.LoadFromStream(stream);
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 2", "change 3"}));
}

TEST(ElWideStringsTextForms, SaveToStreamWritesTheNarrowTextOnly) {
  struct Case {
    Strings items;
    std::string bytes;
  };
  const Case cases[] = {
      {{}, ""},
      {{u""}, "\r\n"},
      {{u"a", u"\u00E9\u20AC"}, "a\r\n\xE9\x80\r\n"},
      {{u"\u4E00"}, "?\r\n"},  // what the code page cannot hold
  };
  for (const Case& c : cases) {
    TElWideStringList list;
    for (const auto& s : c.items) list.Add(s);
    TMemoryStream stream;
    stream.WriteBuffer("head", 4);
    list.SaveToStream(stream);
    EXPECT_EQ(std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size())),
              "head" + c.bytes);
  }
}

TEST(ElWideStringsTextForms, FilesRoundTripAndSavingTruncates) {
  ScratchDir dir;
  const std::string name = dir.File("list.txt");
  TElWideStringList list;
  Fill(list, {u"first line", u"\u00E9", u""});
  TElWideStringList longer;
  Fill(longer, {u"a much longer text than the list above holds", u"and more", u"and more"});
  longer.SaveToFile(name);
  list.SaveToFile(name);

  TElWideStringList back;
  back.LoadFromFile(name);
  EXPECT_TRUE(back.Equals(list)) << ::testing::PrintToString(StringsOf(back));

  // A file written elsewhere as UTF-16 with its mark.
  {
    TFileStream file(dir.File("utf16.txt"), fmCreate);
    file.WriteBuffer("\xFF\xFE\x00\x4E\r\x00\n\x00", 8);
  }
  back.LoadFromFile(dir.File("utf16.txt"));
  EXPECT_EQ(StringsOf(back), (Strings{u"\u4E00"}));

  EXPECT_THROW(back.LoadFromFile(dir.File("missing.txt")), EFOpenError);
  EXPECT_THROW(list.SaveToFile(dir.File("no-such-dir/list.txt")), EFCreateError);
}

TEST(ElWideStringsTextForms, LoadFromFileLetsOthersReadTheFile) {
  ScratchDir dir;
  const std::string name = dir.File("shared.txt");
  { TFileStream(name, fmCreate).WriteBuffer("a\r\n", 3); }
  TFileStream otherReader(name, fmOpenRead | fmShareDenyNone);
  TElWideStringList list;
  list.LoadFromFile(name);
  EXPECT_EQ(StringsOf(list), (Strings{u"a"}));
}

// ---------------------------------------------------------------------------
// Assignment with the narrow string list

TEST(ElWideStringsTextForms, AssignFromANarrowListConvertsEachItemWithItsObject) {
  TStringList source;
  source.AddObject("b\xE9", Obj(1));
  source.AddObject("", Obj(2));
  source.AddObject("a", Obj(3));
  TElWideStringList list;
  Fill(list, {u"old"});
  NotifyLog log;
  log.Attach(list);
  list.Assign(&source);
  EXPECT_EQ(ItemsOf(list), (ItemList{{u"b\u00E9", 1}, {u"", 2}, {u"a", 3}}));
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 1", "change 3"}));
}

TEST(ElWideStringsTextForms, AssignFromANarrowListKeepsObjectsWithTheirStrings) {
  TStringList source;
  source.AddObject("b", Obj(1));
  source.AddObject("line\r\nbreak", Obj(2));
  source.AddObject("a", Obj(3));
  TElWideStringList sorted;
  sorted.SetSorted(true);
  sorted.Assign(&source);
  // Sorted, each object still with its own string; the item holding a line
  // break stays one item.
  EXPECT_EQ(ItemsOf(sorted), (ItemList{{u"a", 3}, {u"b", 1}, {u"line\r\nbreak", 2}}));
}

TEST(ElWideStringsTextForms, AssignToANarrowListConvertsEachItemWithItsObject) {
  TElWideStringList list;
  Fill(list, ItemList{{u"\u00E9", 1}, {u"\u4E00", 2}, {u"", 3}, {u"a\rb", 4}});
  TStringList target;
  target.Add("old");
  int changing = 0, change = 0;
  target.OnChanging = [&](TObject*) { ++changing; };
  target.OnChange = [&](TObject*) { ++change; };
  target.Assign(&list);  // reaches the wide list's AssignTo
  ASSERT_EQ(target.Count(), 4);
  const std::pair<std::string, std::intptr_t> expected[] = {{"\xE9", 1}, {"?", 2}, {"", 3}, {"a\rb", 4}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(target.Get(i), expected[i].first) << i;
    EXPECT_EQ(target.GetObject(i), Obj(expected[i].second)) << i;
  }
  EXPECT_EQ(changing, 1);
  EXPECT_EQ(change, 1);
}

TEST(ElWideStringsTextForms, OtherSourcesAndDestinationsAreRefused) {
  TElWideStringList list;
  TPersistent other;
  EXPECT_EQ(MessageOf<EConvertError>([&] { list.Assign(&other); }),
            "Cannot assign a TPersistent to a TElWideStringList");
  EXPECT_EQ(MessageOf<EConvertError>([&] { other.Assign(&list); }),
            "Cannot assign a TElWideStringList to a TPersistent");
}

}  // namespace
