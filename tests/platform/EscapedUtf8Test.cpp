#include "platform/EscapedUtf8.h"

#include <gtest/gtest.h>

namespace {

TEST(EscapedUtf8, ValidTextDecodesToItsUnits) {
  struct Case {
    std::string bytes;
    WideString text;
  };
  const Case cases[] = {
      {"", u""},
      {"plain", u"plain"},
      {"\xC3\xA9", u"\u00E9"},
      {"\xE6\x97\xA5", u"\u65E5"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"\xEF\xBF\xBD", u"\uFFFD"},
      {std::string("a\0b", 3), WideString(u"a\0b", 3)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeEscapedUtf8(c.bytes), c.text);
    EXPECT_EQ(EncodeEscapedUtf8(c.text), c.bytes);
  }
}

TEST(EscapedUtf8, EveryByteOutsideAValidSequenceIsEscapedAndComesBackExactly) {
  struct Case {
    std::string bytes;
    WideString text;
  };
  const Case cases[] = {
      {"\xFF", u"\xDCFF"},
      {"a\x80z", u"a\xDC80z"},
      {"\xC3", u"\xDCC3"},                          // truncated
      {"\xC0\xAF", u"\xDCC0\xDCAF"},                // overlong
      {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},      // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},  // beyond U+10FFFF
      {"\xE6\x97", u"\xDCE6\xDC97"},
      {"\xC3\xA9\xFF\xC3\xA9", u"\u00E9\xDCFF\u00E9"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeEscapedUtf8(c.bytes), c.text);
    EXPECT_EQ(EncodeEscapedUtf8(c.text), c.bytes);
  }
}

TEST(EscapedUtf8, AllTwoByteStringsRoundTrip) {
  for (int first = 0; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      const std::string bytes{static_cast<char>(first), static_cast<char>(second)};
      ASSERT_EQ(EncodeEscapedUtf8(DecodeEscapedUtf8(bytes)), bytes) << first << " " << second;
    }
  }
}

TEST(EscapedUtf8, SurrogatesNoNameHoldsBecomeTheReplacementCharacter) {
  EXPECT_EQ(EncodeEscapedUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(EncodeEscapedUtf8(u"\xDC00"), "\xEF\xBF\xBD");
  EXPECT_EQ(EncodeEscapedUtf8(u"x\xDBFF"), "x\xEF\xBF\xBD");
}

}  // namespace
