#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, TextTheCodePageHoldsComesBackUnchanged) {
  const WideString texts[] = {u"", u"C:\\Program Files\\x.txt", u"caf\u00E9 \u00FF",
                              u"line\nbreak\ttab"};
  for (const WideString& text : texts) EXPECT_EQ(NarrowToWide(WideToNarrow(text)), text);
}

TEST(CodePage, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
  EXPECT_EQ(WideToNarrow(u"a\u65E5b"), "a?b");
  EXPECT_EQ(WideToNarrow(u"\u0410"), "?");
}

#ifndef _WIN32
// Without a system code page the conversion is Windows-1252.
TEST(CodePage, HostConversionIsWindows1252) {
  EXPECT_EQ(WideToNarrow(u"\u20AC\u2122\u0178\u00E9"), "\x80\x99\x9F\xE9");
  EXPECT_EQ(NarrowToWide("\x80\x81\x9F\xE9"), u"\u20AC\u0081\u0178\u00E9");
  EXPECT_EQ(WideToNarrow(u"\U0001F600"), "?");  // one character, one '?'
  EXPECT_EQ(WideToNarrow(u"\xD800\xDC80"), "?");
  EXPECT_EQ(WideToNarrow(u"\xDC80"), "?");
  for (int byte = 1; byte < 256; ++byte) {
    const std::string narrow(1, static_cast<char>(byte));
    EXPECT_EQ(WideToNarrow(NarrowToWide(narrow)), narrow) << byte;
  }
}
#endif

}  // namespace
