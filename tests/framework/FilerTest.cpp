// The component stream: exact encodings and round trips of every value type,
// truncated and malformed streams, object headers, and defined properties.
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <new>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/Exception.h"
#include "framework/Filer.h"
#include "framework/Stream.h"
#include "tests/support/MessageOf.h"

// The largest single allocation made while a probe is open: the reader must
// never allocate for a length field before it knows the bytes are there.
namespace {
std::atomic<bool> gProbing{false};
std::atomic<size_t> gLargest{0};

class AllocationProbe {
 public:
  AllocationProbe() {
    gLargest = 0;
    gProbing = true;
  }
  ~AllocationProbe() { gProbing = false; }
  size_t Largest() const { return gLargest; }
};
}  // namespace

// The replacements pair malloc with free; GCC cannot see that once it inlines
// them into their callers.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  if (gProbing.load(std::memory_order_relaxed)) {
    size_t largest = gLargest.load();
    while (size > largest && !gLargest.compare_exchange_weak(largest, size)) {
    }
  }
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

std::string Written(const std::function<void(TWriter&)>& write) {
  TMemoryStream stream;
  TWriter writer(stream);
  write(writer);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

// Runs op with a reader over bytes and says whether it consumed all of them.
bool ReadsAll(const std::string& bytes, const std::function<void(TReader&)>& op) {
  TCustomMemoryStream stream(bytes.data(), bytes.size());
  TReader reader(stream);
  op(reader);
  return stream.Position() == stream.Size();
}

std::string ReadError(const std::string& bytes, const std::function<void(TReader&)>& op) {
  return MessageOf<EReadError>([&] {
    TCustomMemoryStream stream(bytes.data(), bytes.size());
    TReader reader(stream);
    op(reader);
  });
}

std::string Bytes(std::initializer_list<int> bytes) {
  std::string result;
  for (int b : bytes) result.push_back(static_cast<char>(b));
  return result;
}

// ---------------------------------------------------------------------------
// Every value type: its exact bytes, the typed read, skipping, truncation

struct ValueCase {
  const char* name;
  std::function<void(TWriter&)> write;
  std::string bytes;
  std::function<void(TReader&)> read;  // reads the value back and checks it
};

std::vector<ValueCase> ValueCases() {
  const std::string long300(300, 'x');
  std::vector<ValueCase> cases = {
      {"int8 -5", [](TWriter& w) { w.WriteInteger(-5); }, Bytes({2, 0xFB}),
       [](TReader& r) { EXPECT_EQ(r.ReadInteger(), -5); }},
      {"int8 127", [](TWriter& w) { w.WriteInteger(127); }, Bytes({2, 0x7F}),
       [](TReader& r) { EXPECT_EQ(r.ReadInteger(), 127); }},
      {"int16 128", [](TWriter& w) { w.WriteInteger(128); }, Bytes({3, 0x80, 0}),
       [](TReader& r) { EXPECT_EQ(r.ReadInteger(), 128); }},
      {"int16 -129", [](TWriter& w) { w.WriteInteger(-129); }, Bytes({3, 0x7F, 0xFF}),
       [](TReader& r) { EXPECT_EQ(r.ReadInteger(), -129); }},
      {"int32 32768", [](TWriter& w) { w.WriteInteger(32768); }, Bytes({4, 0, 0x80, 0, 0}),
       [](TReader& r) { EXPECT_EQ(r.ReadInteger(), 32768); }},
      {"int32 min", [](TWriter& w) { w.WriteInteger(INT32_MIN); }, Bytes({4, 0, 0, 0, 0x80}),
       [](TReader& r) { EXPECT_EQ(r.ReadInteger(), INT32_MIN); }},
      {"int64 2^31", [](TWriter& w) { w.WriteInteger(int64_t{1} << 31); },
       Bytes({19, 0, 0, 0, 0x80, 0, 0, 0, 0}),
       [](TReader& r) { EXPECT_EQ(r.ReadInt64(), int64_t{1} << 31); }},
      {"int64 min", [](TWriter& w) { w.WriteInteger(INT64_MIN); },
       Bytes({19, 0, 0, 0, 0, 0, 0, 0, 0x80}),
       [](TReader& r) { EXPECT_EQ(r.ReadInt64(), INT64_MIN); }},
      {"false", [](TWriter& w) { w.WriteBoolean(false); }, Bytes({8}),
       [](TReader& r) { EXPECT_FALSE(r.ReadBoolean()); }},
      {"true", [](TWriter& w) { w.WriteBoolean(true); }, Bytes({9}),
       [](TReader& r) { EXPECT_TRUE(r.ReadBoolean()); }},
      {"short string", [](TWriter& w) { w.WriteString("abc"); }, Bytes({6, 3, 'a', 'b', 'c'}),
       [](TReader& r) { EXPECT_EQ(r.ReadString(), "abc"); }},
      {"empty string", [](TWriter& w) { w.WriteString(""); }, Bytes({6, 0}),
       [](TReader& r) { EXPECT_EQ(r.ReadString(), ""); }},
      {"long string", [=](TWriter& w) { w.WriteString(long300); },
       Bytes({12, 0x2C, 1, 0, 0}) + long300,
       [=](TReader& r) { EXPECT_EQ(r.ReadString(), long300); }},
      {"wide string", [](TWriter& w) { w.WriteWideString(u"a\u00E9\U0001F600"); },
       Bytes({18, 4, 0, 0, 0, 'a', 0, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE}),
       [](TReader& r) { EXPECT_EQ(r.ReadWideString(), u"a\u00E9\U0001F600"); }},
      {"UTF-8 string", [](TWriter& w) { w.WriteUTF8String("\xC3\xA9"); },
       Bytes({20, 2, 0, 0, 0, 0xC3, 0xA9}),
       [](TReader& r) { EXPECT_EQ(r.ReadUTF8String(), "\xC3\xA9"); }},
      {"ident", [](TWriter& w) { w.WriteIdent("alClient"); },
       Bytes({7, 8, 'a', 'l', 'C', 'l', 'i', 'e', 'n', 't'}),
       [](TReader& r) { EXPECT_EQ(r.ReadIdent(), "alClient"); }},
      {"ident true", [](TWriter& w) { w.WriteIdent("tRUE"); }, Bytes({9}),
       [](TReader& r) { EXPECT_EQ(r.ReadIdent(), "True"); }},
      {"ident false", [](TWriter& w) { w.WriteIdent("false"); }, Bytes({8}),
       [](TReader& r) { EXPECT_EQ(r.ReadIdent(), "False"); }},
      {"ident nil", [](TWriter& w) { w.WriteIdent("NIL"); }, Bytes({13}),
       [](TReader& r) { EXPECT_EQ(r.ReadIdent(), "nil"); }},
      {"ident null", [](TWriter& w) { w.WriteIdent("null"); }, Bytes({0}),
       [](TReader& r) { EXPECT_EQ(r.ReadIdent(), "Null"); }},
      {"extended 1", [](TWriter& w) { w.WriteFloat(1.0); },
       Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}),
       [](TReader& r) { EXPECT_EQ(r.ReadFloat(), 1.0); }},
      {"extended -2.5", [](TWriter& w) { w.WriteFloat(-2.5); },
       Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}),
       [](TReader& r) { EXPECT_EQ(r.ReadFloat(), -2.5); }},
      {"single", [](TWriter& w) { w.WriteSingle(1.5f); }, Bytes({15, 0, 0, 0xC0, 0x3F}),
       [](TReader& r) { EXPECT_EQ(r.ReadSingle(), 1.5f); }},
      {"date", [](TWriter& w) { w.WriteDate(2.0); }, Bytes({17, 0, 0, 0, 0, 0, 0, 0, 0x40}),
       [](TReader& r) { EXPECT_EQ(r.ReadDate(), 2.0); }},
      {"currency", [](TWriter& w) { w.WriteCurrency(12345); },
       Bytes({16, 0x39, 0x30, 0, 0, 0, 0, 0, 0}),
       [](TReader& r) { EXPECT_EQ(r.ReadCurrency(), 12345); }},
      {"binary", [](TWriter& w) { w.WriteBinary("\x00\x01\x02", 3); },
       Bytes({10, 3, 0, 0, 0, 0, 1, 2}),
       [](TReader& r) { EXPECT_EQ(r.ReadBinary(), (std::vector<uint8_t>{0, 1, 2})); }},
      {"empty binary", [](TWriter& w) { w.WriteBinary(nullptr, 0); }, Bytes({10, 0, 0, 0, 0}),
       [](TReader& r) { EXPECT_TRUE(r.ReadBinary().empty()); }},
      {"set", [](TWriter& w) { w.WriteSet({"fsBold", "fsItalic"}); },
       Bytes({11, 6, 'f', 's', 'B', 'o', 'l', 'd', 8, 'f', 's', 'I', 't', 'a', 'l', 'i', 'c', 0}),
       [](TReader& r) { EXPECT_EQ(r.ReadSet(), (std::vector<std::string>{"fsBold", "fsItalic"})); }},
      {"empty set", [](TWriter& w) { w.WriteSet({}); }, Bytes({11, 0}),
       [](TReader& r) { EXPECT_TRUE(r.ReadSet().empty()); }},
      {"list",
       [](TWriter& w) {
         w.WriteListBegin();
         w.WriteInteger(1);
         w.WriteString("x");
         w.WriteListEnd();
       },
       Bytes({1, 2, 1, 6, 1, 'x', 0}),
       [](TReader& r) {
         r.ReadListBegin();
         EXPECT_EQ(r.ReadInteger(), 1);
         EXPECT_FALSE(r.EndOfList());
         EXPECT_EQ(r.ReadString(), "x");
         EXPECT_TRUE(r.EndOfList());
         r.ReadListEnd();
       }},
      {"collection",
       [](TWriter& w) {
         w.WriteValue(vaCollection);
         w.WriteListBegin();  // an item without order
         w.WriteStr("Width");
         w.WriteInteger(300);
         w.WriteListEnd();
         w.WriteInteger(7);  // an item with its order
         w.WriteListBegin();
         w.WriteStr("Caption");
         w.WriteString("Name");
         w.WriteListEnd();
         w.WriteListEnd();
       },
       Bytes({14, 1, 5, 'W', 'i', 'd', 't', 'h', 3, 0x2C, 1, 0, 2, 7, 1, 7, 'C', 'a', 'p', 't', 'i', 'o',
              'n', 6, 4, 'N', 'a', 'm', 'e', 0, 0}),
       [](TReader& r) {
         r.CheckValue(vaCollection);
         r.ReadListBegin();
         EXPECT_EQ(r.ReadStr(), "Width");
         EXPECT_EQ(r.ReadInteger(), 300);
         r.ReadListEnd();
         EXPECT_EQ(r.ReadInteger(), 7);
         r.ReadListBegin();
         EXPECT_EQ(r.ReadStr(), "Caption");
         EXPECT_EQ(r.ReadString(), "Name");
         r.ReadListEnd();
         r.ReadListEnd();
       }},
  };
  return cases;
}

TEST(ComponentStream, EveryValueTypeHasItsExactBytesAndReadsBack) {
  for (const ValueCase& c : ValueCases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Written(c.write), c.bytes);
    EXPECT_TRUE(ReadsAll(c.bytes, c.read));
  }
}

TEST(ComponentStream, SkipValuePassesOverExactlyOneValue) {
  for (const ValueCase& c : ValueCases()) {
    SCOPED_TRACE(c.name);
    const std::string bytes = c.bytes + Bytes({2, 42});
    EXPECT_TRUE(ReadsAll(bytes, [](TReader& r) {
      r.SkipValue();
      EXPECT_EQ(r.ReadInteger(), 42);
    }));
  }
}

TEST(ComponentStream, EveryTruncationRaisesReadError) {
  for (const ValueCase& c : ValueCases()) {
    for (size_t length = 0; length < c.bytes.size(); ++length) {
      SCOPED_TRACE(std::string(c.name) + " cut to " + std::to_string(length) + " bytes");
      const std::string cut = c.bytes.substr(0, length);
      EXPECT_THROW(ReadsAll(cut, c.read), EReadError);
      EXPECT_THROW(ReadsAll(cut, [](TReader& r) { r.SkipValue(); }), EReadError);
    }
  }
}

TEST(ComponentStream, NextValuePeeksAndReadValueConsumes) {
  const std::string bytes = Bytes({9, 0x55});
  EXPECT_TRUE(ReadsAll(bytes, [](TReader& r) {
    EXPECT_EQ(r.NextValue(), vaTrue);
    EXPECT_EQ(r.NextValue(), vaTrue);
    EXPECT_EQ(r.ReadValue(), vaTrue);
    // A byte that names no type is still reported, as itself.
    EXPECT_EQ(static_cast<int>(r.ReadValue()), 0x55);
  }));
}

TEST(ComponentStream, TextIsConvertedBetweenTheStringTypes) {
  // Narrow bytes are in the system code page; 0xE9 is e-acute there.
  EXPECT_TRUE(ReadsAll(Bytes({6, 2, 'a', 0xE9}),
                       [](TReader& r) { EXPECT_EQ(r.ReadWideString(), u"a\u00E9"); }));
  EXPECT_TRUE(ReadsAll(Bytes({12, 1, 0, 0, 0, 0xE9}),
                       [](TReader& r) { EXPECT_EQ(r.ReadWideString(), u"\u00E9"); }));
  // What the code page cannot hold becomes '?'.
  EXPECT_TRUE(ReadsAll(Bytes({18, 2, 0, 0, 0, 0xE9, 0, 0x00, 0x4E}),
                       [](TReader& r) { EXPECT_EQ(r.ReadString(), "\xE9?"); }));
  EXPECT_TRUE(ReadsAll(Bytes({20, 2, 0, 0, 0, 0xC3, 0xA9}),
                       [](TReader& r) { EXPECT_EQ(r.ReadString(), "\xE9"); }));
  EXPECT_TRUE(ReadsAll(Bytes({20, 2, 0, 0, 0, 0xC3, 0xA9}),
                       [](TReader& r) { EXPECT_EQ(r.ReadWideString(), u"\u00E9"); }));
  // A byte that is not UTF-8 survives as an escape unit rather than vanishing.
  EXPECT_TRUE(ReadsAll(Bytes({20, 2, 0, 0, 0, 'a', 0xFF}),
                       [](TReader& r) { EXPECT_EQ(r.ReadWideString(), u"a\xDCFF"); }));
}

TEST(ComponentStream, NumbersAreWidenedWhereTheReaderAcceptsThem) {
  EXPECT_TRUE(ReadsAll(Bytes({2, 0xFF}), [](TReader& r) { EXPECT_EQ(r.ReadInt64(), -1); }));
  EXPECT_TRUE(ReadsAll(Bytes({3, 0, 1}), [](TReader& r) { EXPECT_EQ(r.ReadFloat(), 256.0); }));
  EXPECT_TRUE(ReadsAll(Bytes({15, 0, 0, 0xC0, 0x3F}), [](TReader& r) { EXPECT_EQ(r.ReadFloat(), 1.5); }));
  EXPECT_TRUE(ReadsAll(Bytes({17, 0, 0, 0, 0, 0, 0, 0, 0x40}),
                       [](TReader& r) { EXPECT_EQ(r.ReadFloat(), 2.0); }));
  EXPECT_TRUE(ReadsAll(Bytes({2, 3}), [](TReader& r) { EXPECT_EQ(r.ReadCurrency(), 30000); }));
  EXPECT_TRUE(ReadsAll(Bytes({2, 3}), [](TReader& r) { EXPECT_EQ(r.ReadSingle(), 3.0f); }));
  EXPECT_TRUE(ReadsAll(Bytes({2, 3}), [](TReader& r) { EXPECT_EQ(r.ReadDate(), 3.0); }));
}

TEST(ComponentStream, AReaderRefusesTypesItDoesNotTake) {
  struct Case {
    std::string bytes;
    std::function<void(TReader&)> read;
    const char* message;
  };
  const Case cases[] = {
      {Bytes({19, 0, 0, 0, 0, 0, 0, 0, 0}), [](TReader& r) { r.ReadInteger(); },
       "Invalid property value: vaInt64 where an integer was expected"},
      {Bytes({6, 0}), [](TReader& r) { r.ReadInteger(); },
       "Invalid property value: vaString where an integer was expected"},
      {Bytes({2, 1}), [](TReader& r) { r.ReadBoolean(); },
       "Invalid property value: vaInt8 where a boolean was expected"},
      {Bytes({7, 1, 'a'}), [](TReader& r) { r.ReadString(); },
       "Invalid property value: vaIdent where a string was expected"},
      {Bytes({10, 0, 0, 0, 0}), [](TReader& r) { r.ReadWideString(); },
       "Invalid property value: vaBinary where a string was expected"},
      {Bytes({18, 0, 0, 0, 0}), [](TReader& r) { r.ReadUTF8String(); },
       "Invalid property value: vaWString where vaUTF8String was expected"},
      {Bytes({6, 1, 'a'}), [](TReader& r) { r.ReadIdent(); },
       "Invalid property value: vaString where an identifier was expected"},
      {Bytes({9}), [](TReader& r) { r.ReadFloat(); },
       "Invalid property value: vaTrue where a number was expected"},
      {Bytes({0}), [](TReader& r) { r.ReadListBegin(); },
       "Invalid property value: vaNull where vaList was expected"},
      {Bytes({1}), [](TReader& r) { r.ReadListEnd(); },
       "Invalid property value: vaList where vaNull was expected"},
      {Bytes({0x2A}), [](TReader& r) { r.ReadBinary(); },
       "Invalid property value: unknown value type 0x2A where vaBinary was expected"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadError(c.bytes, c.read), c.message) << c.message;
}

TEST(ComponentStream, UnknownValueTypesCannotBeSkipped) {
  const std::pair<std::string, const char*> cases[] = {
      {Bytes({21}), "Invalid stream format: unknown value type 0x15"},
      {Bytes({0xFF, 1, 2, 3}), "Invalid stream format: unknown value type 0xFF"},
      {Bytes({1, 2, 5, 0x80, 0}), "Invalid stream format: unknown value type 0x80"},  // inside a list
      {Bytes({14, 1, 1, 'a', 0x16, 0, 0}), "Invalid stream format: unknown value type 0x16"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReadError(c.first, [](TReader& r) { r.SkipValue(); }), c.second) << c.second;
}

TEST(ComponentStream, LengthsBeyondTheEndAreRefusedBeforeAnythingIsAllocated) {
  struct Case {
    std::string bytes;
    std::function<void(TReader&)> read;
    const char* message;
  };
  const auto huge = Bytes({0xFF, 0xFF, 0xFF, 0x7F});
  const Case cases[] = {
      {Bytes({6, 5, 'a', 'b'}), [](TReader& r) { r.ReadString(); },
       "Invalid stream format: short string of 5 bytes runs past the end of the stream (2 bytes remain)"},
      {Bytes({12}) + huge + "ab", [](TReader& r) { r.ReadString(); },
       "Invalid stream format: string of 2147483647 bytes runs past the end of the stream (2 bytes remain)"},
      {Bytes({18}) + huge + "ab", [](TReader& r) { r.ReadWideString(); },
       "Invalid stream format: wide string of 4294967294 bytes runs past the end of the stream (2 bytes remain)"},
      {Bytes({18, 2, 0, 0, 0, 'a', 0, 'b'}), [](TReader& r) { r.ReadWideString(); },
       "Invalid stream format: wide string of 4 bytes runs past the end of the stream (3 bytes remain)"},
      {Bytes({20}) + huge, [](TReader& r) { r.ReadUTF8String(); },
       "Invalid stream format: UTF-8 string of 2147483647 bytes runs past the end of the stream (0 bytes remain)"},
      {Bytes({10}) + huge + "abc", [](TReader& r) { r.ReadBinary(); },
       "Invalid stream format: binary block of 2147483647 bytes runs past the end of the stream (3 bytes remain)"},
      {Bytes({10}) + huge + "abc", [](TReader& r) { r.SkipValue(); },
       "Invalid stream format: binary block of 2147483647 bytes runs past the end of the stream (3 bytes remain)"},
      {Bytes({12, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}), [](TReader& r) { r.ReadString(); },
       "Invalid stream format: negative length -1"},
      {Bytes({18, 0, 0, 0, 0x80}), [](TReader& r) { r.SkipValue(); },
       "Invalid stream format: negative length -2147483648"},
  };
  for (const Case& c : cases) {
    AllocationProbe probe;
    EXPECT_EQ(ReadError(c.bytes, c.read), c.message);
    EXPECT_LT(probe.Largest(), 4096u) << c.message;
  }
}

TEST(ComponentStream, TheAllocationProbeSeesTheAllocationOfAValidLength) {
  // The control for the test above: a length that fits is allocated.
  const std::string bytes = Bytes({12, 0x10, 0x27, 0, 0}) + std::string(10000, 'a');
  AllocationProbe probe;
  EXPECT_TRUE(ReadsAll(bytes, [](TReader& r) { EXPECT_EQ(r.ReadString().size(), 10000u); }));
  EXPECT_GE(probe.Largest(), 10000u);
}

TEST(ComponentStream, NestingIsBoundedInsteadOfExhaustingTheStack) {
  auto nested = [](int depth) { return std::string(depth, '\x01') + std::string(depth, '\x00'); };
  EXPECT_TRUE(ReadsAll(nested(100), [](TReader& r) { r.SkipValue(); }));
  EXPECT_EQ(ReadError(nested(100000), [](TReader& r) { r.SkipValue(); }),
            "Invalid stream format: values nested deeper than 128");
}

// ---------------------------------------------------------------------------
// Objects

TEST(ComponentStream, SignatureMustBeExact) {
  EXPECT_TRUE(ReadsAll("TPF0", [](TReader& r) { r.ReadSignature(); }));
  EXPECT_EQ(ReadError("TPF1", [](TReader& r) { r.ReadSignature(); }),
            "Invalid stream format: the signature TPF0 is missing");
  EXPECT_EQ(ReadError("TPF", [](TReader& r) { r.ReadSignature(); }),
            "Unexpected end of stream: 4 bytes needed, 3 found");
  EXPECT_EQ(Written([](TWriter& w) { w.WriteSignature(); }), "TPF0");
}

TEST(ComponentStream, ObjectHeadersRoundTripWithAndWithoutPrefix) {
  struct Case {
    TObjectHeader header;
    std::string bytes;
  };
  const Case cases[] = {
      {{0, -1, "TOstrel", "Ostrel"}, Bytes({7}) + "TOstrel" + Bytes({6}) + "Ostrel"},
      {{ffInherited, -1, "TForm", ""}, Bytes({0xF1, 5}) + "TForm" + Bytes({0})},
      {{ffInherited | ffChildPos, 300, "TEdit", "Path"},
       Bytes({0xF3, 3, 0x2C, 1, 5}) + "TEdit" + Bytes({4}) + "Path"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header.className);
    EXPECT_EQ(Written([&](TWriter& w) { w.WriteObjectHeader(c.header); }), c.bytes);
    EXPECT_TRUE(ReadsAll(c.bytes, [&](TReader& r) {
      const TObjectHeader header = r.ReadObjectHeader();
      EXPECT_EQ(header.flags, c.header.flags);
      EXPECT_EQ(header.childPos, c.header.childPos);
      EXPECT_EQ(header.className, c.header.className);
      EXPECT_EQ(header.objectName, c.header.objectName);
    }));
  }
}

// A form with typed properties of every kind and a child with its own.
std::string SampleObjectStream() {
  return Written([](TWriter& w) {
    w.WriteSignature();
    w.WriteObjectHeader({0, -1, "TOstrel", "Ostrel"});
    w.WriteStr("Enabled");
    w.WriteBoolean(true);
    w.WriteStr("FreezeTimeout");
    w.WriteInteger(60000);
    w.WriteStr("TitleBar");
    w.WriteString("%appname%");
    w.WriteStr("MailAddr");
    w.WriteWideString(u"support@example.invalid");
    w.WriteStr("Ratio");
    w.WriteFloat(0.75);
    w.WriteStr("Style");
    w.WriteSet({"fsBold"});
    w.WriteStr("Items");
    w.WriteListBegin();
    w.WriteUTF8String("\xC3\xA9");
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteObjectHeader({ffChildPos, 1, "TChild", "Child"});
    w.WriteStr("Data");
    w.WriteBinary("\x01\x02", 2);
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteListEnd();
  });
}

TEST(ComponentStream, AnObjectTreeIsReadTypedOrSkipped) {
  const std::string bytes = SampleObjectStream();
  EXPECT_TRUE(ReadsAll(bytes, [](TReader& r) {
    r.ReadSignature();
    const TObjectHeader header = r.ReadObjectHeader();
    EXPECT_EQ(header.className, "TOstrel");
    EXPECT_EQ(header.objectName, "Ostrel");
    EXPECT_EQ(r.ReadStr(), "Enabled");
    EXPECT_TRUE(r.ReadBoolean());
    EXPECT_EQ(r.ReadStr(), "FreezeTimeout");
    EXPECT_EQ(r.ReadInteger(), 60000);
    EXPECT_EQ(r.ReadStr(), "TitleBar");
    EXPECT_EQ(r.ReadString(), "%appname%");
    EXPECT_EQ(r.ReadStr(), "MailAddr");
    EXPECT_EQ(r.ReadString(), "support@example.invalid");
    EXPECT_EQ(r.ReadStr(), "Ratio");
    EXPECT_EQ(r.ReadFloat(), 0.75);
    r.SkipProperty();  // Style
    r.SkipProperty();  // Items
    EXPECT_TRUE(r.EndOfList());
    r.ReadListEnd();
    r.SkipObject();  // the child
    r.ReadListEnd();
  }));
  EXPECT_TRUE(ReadsAll(bytes, [](TReader& r) {
    r.ReadSignature();
    r.SkipObject();
  }));
}

TEST(ComponentStream, AnObjectTreeCutAnywhereRaisesReadError) {
  const std::string bytes = SampleObjectStream();
  for (size_t length = 0; length < bytes.size(); ++length) {
    EXPECT_THROW(ReadsAll(bytes.substr(0, length),
                          [](TReader& r) {
                            r.ReadSignature();
                            r.SkipObject();
                          }),
                 EReadError)
        << "cut to " << length << " bytes";
  }
}

TEST(ComponentStream, ObjectNestingIsBounded) {
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += Bytes({1, 'T', 0, 0});  // header, no properties
  EXPECT_EQ(ReadError(bytes, [](TReader& r) { r.SkipObject(); }),
            "Invalid stream format: objects nested deeper than 128");
}

// ---------------------------------------------------------------------------
// Defined properties

class TThing : public TPersistent {
 public:
  std::string ClassName() const override { return "TThing"; }
  int FCount = 0;
  bool FHasCount = true;
  std::vector<uint8_t> FData;
  std::vector<std::string>* FLog = nullptr;

 protected:
  void DefineProperties(TFiler* filer) override {
    if (FLog) FLog->push_back(filer->Ancestor() ? "ancestor" : "no ancestor");
    filer->DefineProperty(
        "Count", [this](TReader& r) { FCount = r.ReadInteger(); },
        [this](TWriter& w) { w.WriteInteger(FCount); }, FHasCount);
    filer->DefineBinaryProperty(
        "Data",
        [this](TStream& s) {
          FData.resize(static_cast<size_t>(s.Size()));
          if (!FData.empty()) s.ReadBuffer(FData.data(), FData.size());
        },
        [this](TStream& s) {
          if (!FData.empty()) s.WriteBuffer(FData.data(), FData.size());
        },
        !FData.empty());
  }
};

TEST(ComponentStream, DefinedPropertiesAreWrittenWhenTheyHaveDataAndReadBack) {
  TThing source;
  source.FCount = 1000;
  source.FData = {7, 8, 9};
  const std::string bytes = Written([&](TWriter& w) {
    w.WriteProperties(source);
    w.WriteListEnd();
  });
  EXPECT_EQ(bytes, Bytes({5, 'C', 'o', 'u', 'n', 't', 3, 0xE8, 3, 4, 'D', 'a', 't', 'a', 10, 3, 0, 0, 0, 7,
                          8, 9, 0}));
  TThing target;
  EXPECT_TRUE(ReadsAll(bytes, [&](TReader& r) { r.ReadProperties(target); }));
  EXPECT_EQ(target.FCount, 1000);
  EXPECT_EQ(target.FData, source.FData);

  TThing nothing;
  nothing.FHasCount = false;
  EXPECT_EQ(Written([&](TWriter& w) { w.WriteProperties(nothing); }), "");
}

TEST(ComponentStream, PropertyNamesMatchWithoutRegardToCaseAndUnknownOnesAreRefused) {
  TThing target;
  EXPECT_TRUE(ReadsAll(Bytes({5, 'c', 'O', 'U', 'N', 'T', 2, 9, 0}), [&](TReader& r) { r.ReadProperties(target); }));
  EXPECT_EQ(target.FCount, 9);
  EXPECT_EQ(ReadError(Bytes({5, 'C', 'o', 'l', 'o', 'r', 2, 9, 0}), [&](TReader& r) { r.ReadProperties(target); }),
            "Error reading TThing: property Color does not exist");
  EXPECT_EQ(ReadError(Bytes({4, 'D', 'a', 't', 'a', 10, 9, 0, 0, 0, 1}), [&](TReader& r) { r.ReadProperty(target); }),
            "Invalid stream format: binary block of 9 bytes runs past the end of the stream (1 bytes remain)");
}

TEST(ComponentStream, TheFilerCarriesTheAncestor) {
  std::vector<std::string> log;
  TThing thing, ancestor;
  thing.FLog = &log;
  TMemoryStream stream;
  TWriter writer(stream);
  writer.WriteProperties(thing);
  writer.SetAncestor(&ancestor);
  EXPECT_EQ(writer.Ancestor(), &ancestor);
  writer.WriteProperties(thing);
  EXPECT_EQ(log, (std::vector<std::string>{"no ancestor", "ancestor"}));
}

TEST(ComponentStream, WriterRefusesWhatTheFormatCannotHold) {
  EXPECT_THROW(Written([](TWriter& w) { w.WriteStr(std::string(256, 'a')); }), EWriteError);
  EXPECT_EQ(Written([](TWriter& w) { w.WriteStr(std::string(255, 'a')); }).size(), 256u);
  EXPECT_THROW(Written([](TWriter& w) { w.WriteSet({"a", ""}); }), EWriteError);
  // A full stream fails as a write error.
  const char none = 0;
  TCustomMemoryStream readOnly(&none, 0);
  TWriter writer(readOnly);
  EXPECT_THROW(writer.WriteInteger(1), EWriteError);
}

// ---------------------------------------------------------------------------
// Extended floats

TEST(ExtendedFloat, DoublesSurviveTheRoundTripExactly) {
  const double values[] = {0.0,
                           -0.0,
                           1.0,
                           -2.5,
                           0.1,
                           1e300,
                           -1e-300,
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::min(),
                           std::numeric_limits<double>::denorm_min(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity()};
  for (double value : values) {
    uint8_t bytes[10];
    DoubleToExtended(value, bytes);
    const double back = ExtendedToDouble(bytes);
    EXPECT_EQ(back, value) << value;
    EXPECT_EQ(std::signbit(back), std::signbit(value)) << value;
  }
  uint8_t bytes[10];
  DoubleToExtended(std::numeric_limits<double>::quiet_NaN(), bytes);
  EXPECT_TRUE(std::isnan(ExtendedToDouble(bytes)));
}

TEST(ExtendedFloat, ExtendedValuesMapToTheNearestDouble) {
  struct Case {
    std::string bytes;
    double value;
  };
  const Case cases[] = {
      // pi to 64 bits rounds to the double nearest pi
      {Bytes({0x35, 0xC2, 0x68, 0x21, 0xA2, 0xDA, 0x0F, 0xC9, 0x00, 0x40}), 3.141592653589793},
      // beyond the double range
      {Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F}), std::numeric_limits<double>::infinity()},
      {Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0xFF}), -std::numeric_limits<double>::infinity()},
      // below it
      {Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00}), 0.0},
      // an extended denormal
      {Bytes({1, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0.0},
      // the explicit integer bit is part of the value: an unnormal 0.5 * 2^1
      {Bytes({0, 0, 0, 0, 0, 0, 0, 0x40, 0x00, 0x40}), 1.0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExtendedToDouble(reinterpret_cast<const uint8_t*>(c.bytes.data())), c.value);
  const std::string nan = Bytes({1, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F});
  EXPECT_TRUE(std::isnan(ExtendedToDouble(reinterpret_cast<const uint8_t*>(nan.data()))));
}

}  // namespace
