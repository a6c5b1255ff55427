// The list's form-resource data: the "Strings" property, its exact bytes,
// the value types read, and what a bad value leaves behind.
#include <functional>
#include <string>

#include "WideStringsTestSupport.h"
#include "framework/Filer.h"
#include "framework/Stream.h"

namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string result;
  for (int b : bytes) result.push_back(static_cast<char>(b));
  return result;
}

std::string StreamBytes(TMemoryStream& stream) {
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

std::string WrittenData(const TElWideStrings& list) {
  TMemoryStream stream;
  TWriter writer(stream);
  list.WriteData(writer);
  return StreamBytes(stream);
}

// ReadData of bytes into list; returns the EReadError message, or a marker.
std::string ReadDataOf(TElWideStrings& list, const std::string& bytes, bool* consumedAll = nullptr) {
  TCustomMemoryStream stream(bytes.data(), bytes.size());
  TReader reader(stream);
  const std::string message = MessageOf<EReadError>([&] { list.ReadData(reader); });
  if (consumedAll) *consumedAll = stream.Position() == stream.Size();
  return message;
}

TEST(ElWideStringsFormData, WritesEachItemAsAWideStringBetweenListMarkers) {
  TElWideStringList list;
  Fill(list, {u"a", u""});
  const std::string expected = Bytes({1, 18, 1, 0, 0, 0, 'a', 0, 18, 0, 0, 0, 0, 0});
  EXPECT_EQ(WrittenData(list), expected);

  TElWideStringList back;
  bool consumedAll = false;
  EXPECT_EQ(ReadDataOf(back, expected, &consumedAll), "<no exception>");
  EXPECT_TRUE(consumedAll);
  EXPECT_EQ(StringsOf(back), (std::vector<WideString>{u"a", u""}));

  TElWideStringList empty;
  EXPECT_EQ(WrittenData(empty), Bytes({1, 0}));
}

TEST(ElWideStringsFormData, EveryUnitSurvivesTheRoundTrip) {
  TElWideStringList list;
  for (const WideString& s :
       {WideString(u"\U0001F600 \xD800 lone"), WideString(u"zero\0inside", 11), WideString(u"\xFFFF\xFEFF"),
        WideString(u"\r\n,\"=")})
    list.Add(s);
  TElWideStringList back;
  EXPECT_EQ(ReadDataOf(back, WrittenData(list)), "<no exception>");
  EXPECT_EQ(StringsOf(back), StringsOf(list));
}

TEST(ElWideStringsFormData, ReadsWideUtf8AndNarrowValues) {
  struct Case {
    const char* name;
    std::string value;  // one value, type byte included
    WideString item;
  };
  const Case cases[] = {
      {"wide", Bytes({18, 2, 0, 0, 0, 0xE9, 0, 0x00, 0x4E}), u"\u00E9\u4E00"},
      {"UTF-8", Bytes({20, 2, 0, 0, 0, 0xC3, 0xA9}), u"\u00E9"},
      {"UTF-8 beyond the BMP", Bytes({20, 4, 0, 0, 0, 0xF0, 0x9F, 0x98, 0x80}), u"\U0001F600"},
      // Strict decoding stops at the bad byte; what came before is the item.
      {"UTF-8 cut short", Bytes({20, 3, 0, 0, 0, 'a', 'b', 0xC3}), u"ab"},
      {"UTF-8 illegal", Bytes({20, 4, 0, 0, 0, 'a', 0xFF, 'b', 'c'}), u"a"},
      {"UTF-8 surrogate", Bytes({20, 4, 0, 0, 0, 'a', 0xED, 0xA0, 0x80}), u"a"},
      // Narrow bytes are in the system code page.
      {"short narrow", Bytes({6, 3, 'a', 0xE9, 0x80}), u"a\u00E9\u20AC"},
      {"long narrow", Bytes({12, 2, 0, 0, 0, 'x', 0xE9}), u"x\u00E9"},
      {"empty UTF-8", Bytes({20, 0, 0, 0, 0}), u""},
      {"empty narrow", Bytes({6, 0}), u""},
  };
  for (const Case& c : cases) {
    TElWideStringList list;
    bool consumedAll = false;
    EXPECT_EQ(ReadDataOf(list, Bytes({1}) + c.value + Bytes({0}), &consumedAll), "<no exception>") << c.name;
    EXPECT_TRUE(consumedAll) << c.name;
    EXPECT_EQ(StringsOf(list), (std::vector<WideString>{c.item})) << c.name;
  }
}

TEST(ElWideStringsFormData, ReadingReplacesTheItemsInOneBracket) {
  TElWideStringList list;
  Fill(list, {u"old", u"older"});
  NotifyLog log;
  log.Attach(list);
  EXPECT_EQ(ReadDataOf(list, Bytes({1, 6, 1, 'x', 6, 1, 'y', 0})), "<no exception>");
  EXPECT_EQ(StringsOf(list), (std::vector<WideString>{u"x", u"y"}));
  EXPECT_EQ(log.events, (std::vector<std::string>{"changing 2", "change 2"}));

  // An empty value list leaves the list empty.
  EXPECT_EQ(ReadDataOf(list, Bytes({1, 0})), "<no exception>");
  EXPECT_EQ(list.Count(), 0);
}

TEST(ElWideStringsFormData, ASortedListSortsWhatItReads) {
  TElWideStringList list;
  list.SetSorted(true);
  EXPECT_EQ(ReadDataOf(list, Bytes({1, 6, 1, 'b', 6, 1, 'a', 6, 1, 'b', 0})), "<no exception>");
  EXPECT_EQ(StringsOf(list), (std::vector<WideString>{u"a", u"b"}));
}

TEST(ElWideStringsFormData, AnyOtherValueTypeFailsAndKeepsTheItemsReadBeforeIt) {
  const int otherTypes[] = {0x02, 0x04, 0x05, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0D, 0x0E,
                            0x0F, 0x10, 0x11, 0x13, 0x15, 0x7F, 0xFF, 0x01};
  for (int type : otherTypes) {
    TElWideStringList list;
    Fill(list, {u"old"});
    NotifyLog log;
    log.Attach(list);
    const std::string bytes = Bytes({1, 18, 1, 0, 0, 0, 'a', 0, type, 2, 0, 0, 0, 'b', 0, 0});
    EXPECT_EQ(ReadDataOf(list, bytes), "Error while reading wide strings list") << type;
    EXPECT_EQ(StringsOf(list), (std::vector<WideString>{u"a"})) << type;
    // The bracket was closed: one pair for the read, then the next change
    // notifies again.
    EXPECT_EQ(log.events, (std::vector<std::string>{"changing 1", "change 1"})) << type;
    list.Add(u"z");
    EXPECT_EQ(log.events.size(), 4u) << type;
  }
}

TEST(ElWideStringsFormData, EveryTruncationFailsWithAReadErrorAndClosesTheBracket) {
  TElWideStringList source;
  Fill(source, {u"first", u"", u"\u00E9"});
  const std::string bytes = WrittenData(source);
  for (size_t length = 0; length < bytes.size(); ++length) {
    TElWideStringList list;
    NotifyLog log;
    log.Attach(list);
    const std::string message = ReadDataOf(list, bytes.substr(0, length));
    EXPECT_EQ(message.rfind("<", 0), std::string::npos) << length << ": " << message;
    // The items completed before the cut.
    ASSERT_LE(list.Count(), source.Count()) << length;
    for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Get(i), source.Get(i)) << length;
    EXPECT_EQ(log.events.size(), 2u) << length;
  }
}

TEST(ElWideStringsFormData, LengthsBeyondTheEndAreRefused) {
  const std::pair<std::string, const char*> cases[] = {
      {Bytes({1, 18, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}),
       "Invalid stream format: wide string of 4294967294 bytes runs past the end of the stream (2 bytes remain)"},
      {Bytes({1, 20, 0x00, 0x00, 0x00, 0x40, 'a', 0}),
       "Invalid stream format: UTF-8 string of 1073741824 bytes runs past the end of the stream (2 bytes remain)"},
      {Bytes({1, 12, 9, 0, 0, 0, 'a', 0}),
       "Invalid stream format: string of 9 bytes runs past the end of the stream (2 bytes remain)"},
      {Bytes({1, 6, 200, 'a', 0}),
       "Invalid stream format: short string of 200 bytes runs past the end of the stream (2 bytes remain)"},
      {Bytes({1, 18, 0xFE, 0xFF, 0xFF, 0xFF, 0}), "Invalid stream format: negative length -2"},
  };
  for (const auto& c : cases) {
    TElWideStringList list;
    EXPECT_EQ(ReadDataOf(list, c.first), c.second);
    EXPECT_EQ(list.Count(), 0);
  }
}

TEST(ElWideStringsFormData, AMissingListBeginIsAReadError) {
  TElWideStringList list;
  EXPECT_EQ(ReadDataOf(list, Bytes({18, 0, 0, 0, 0, 0})),
            "Invalid property value: vaWString where vaList was expected");
}

// ---------------------------------------------------------------------------
// The "Strings" property

std::string WrittenProperties(TElWideStrings& list, TPersistent* ancestor) {
  TMemoryStream stream;
  TWriter writer(stream);
  writer.SetAncestor(ancestor);
  writer.WriteProperties(list);
  return StreamBytes(stream);
}

TEST(ElWideStringsFormData, StringsIsWrittenWhenThereAreItemsOrAnAncestor) {
  const std::string name = Bytes({7, 'S', 't', 'r', 'i', 'n', 'g', 's'});
  TElWideStringList ancestor;
  struct Case {
    const char* name;
    std::vector<const char16_t*> items;
    bool withAncestor;
    std::string expected;
  };
  const Case cases[] = {
      {"empty, no ancestor", {}, false, ""},
      {"empty, ancestor", {}, true, name + Bytes({1, 0})},
      {"items, no ancestor", {u"a"}, false, name + Bytes({1, 18, 1, 0, 0, 0, 'a', 0, 0})},
      {"items, ancestor", {u"a"}, true, name + Bytes({1, 18, 1, 0, 0, 0, 'a', 0, 0})},
  };
  for (const Case& c : cases) {
    TElWideStringList list;
    for (const char16_t* item : c.items) list.Add(item);
    EXPECT_EQ(WrittenProperties(list, c.withAncestor ? &ancestor : nullptr), c.expected) << c.name;
  }
}

TEST(ElWideStringsFormData, AListStoredInAComponentStreamReadsBack) {
  TElWideStringList source;
  Fill(source, {u"Found compressed File: C:\\a", u"\u00E9\u4E00"});
  TMemoryStream stream;
  {
    TWriter writer(stream);
    writer.WriteSignature();
    writer.WriteObjectHeader({0, -1, "TElListBox", "Log"});
    writer.WriteProperties(source);
    writer.WriteListEnd();  // properties
    writer.WriteListEnd();  // children
  }
  stream.SetPosition(0);
  TElWideStringList target;
  Fill(target, {u"stale"});
  TReader reader(stream);
  reader.ReadSignature();
  EXPECT_EQ(reader.ReadObjectHeader().objectName, "Log");
  reader.ReadProperties(target);
  reader.ReadListEnd();
  EXPECT_EQ(stream.Position(), stream.Size());
  EXPECT_TRUE(target.Equals(source));
}

}  // namespace
