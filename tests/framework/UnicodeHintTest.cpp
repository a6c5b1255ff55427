#include "framework/UnicodeHint.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(UnicodeHintTest, EncodesNarrowTextZeroWideTextZeroAndTheMark) {
  const std::string encoded = EncodeUnicodeHint(u"Ab\u00E9\u65E5");
  // Narrow length 4 + 2 x 4 wide + 5.
  ASSERT_EQ(encoded.size(), 4u + 8u + 5u);
  EXPECT_EQ(encoded, std::string("Ab\xE9?\0A\0b\0\xE9\0\xE5\x65\0\0\xFE\xFF", 17));
  EXPECT_EQ(NarrowHintPart(encoded), "Ab\xE9?");
  EXPECT_EQ(EncodeUnicodeHint(u""), std::string("\0\0\0\xFE\xFF", 5));
}

TEST(UnicodeHintTest, DecodingGivesTheWideTextBackAndRefusesWhatIsNoEncodedHint) {
  const WideString texts[] = {u"", u"Path|Long part", u"\u65E5\u672C|\u00E9", u"a\U0001F600b"};
  for (const WideString& text : texts) {
    WideString back = u"untouched";
    ASSERT_TRUE(DecodeUnicodeHint(EncodeUnicodeHint(text), back));
    EXPECT_EQ(back, text);
    EXPECT_EQ(HintToWide(EncodeUnicodeHint(text)), text);
  }
  const std::string notEncoded[] = {
      "", "plain hint", std::string("\xFE\xFF", 2),
      std::string("ab\0\0\xFE\xFF", 6),        // shorter than its narrow part needs
      std::string("ab\0X\0\0\xFE\xFF", 8),     // a wide part of odd size
      std::string("a\0b\0\0\0\xFF\xFE", 8),                                          // mark the wrong way round
      std::string("a\0b\0\x01\0\xFE\xFF", 8),                                        // no 16-bit zero before the mark
  };
  for (const std::string& hint : notEncoded) {
    WideString wide = u"untouched";
    EXPECT_FALSE(DecodeUnicodeHint(hint, wide)) << hint.size();
    EXPECT_EQ(wide, u"untouched");
  }
  EXPECT_EQ(HintToWide("plain|hint"), u"plain|hint");
}

}  // namespace
