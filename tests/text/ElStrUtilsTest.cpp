// The wide string utilities: positions and substrings, trimming, the
// zero-terminated buffer routines, comparison, case conversion, quoting, and
// the conversions between UTF-16 and UTF-8.
#include "text/ElStrUtils.h"

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/CodePage.h"

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

std::string Bytes(std::initializer_list<unsigned> bytes) {
  std::string result;
  for (unsigned b : bytes) result.push_back(static_cast<char>(b));
  return result;
}

WideString Units(std::initializer_list<unsigned> units) {
  WideString result;
  for (unsigned u : units) result.push_back(static_cast<char16_t>(u));
  return result;
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", b);
    out += buf;
  }
  return out.empty() ? "(empty)" : out;
}

std::string Hex(const WideString& units) {
  std::string out;
  char buf[6];
  for (char16_t u : units) {
    std::snprintf(buf, sizeof buf, "%04X ", static_cast<unsigned>(u));
    out += buf;
  }
  return out.empty() ? "(empty)" : out;
}

// ---------------------------------------------------------------------------
// Positions and substrings

TEST(WidePos, FindsFirstAndLastOccurrence) {
  struct Case {
    WideString sub, s;
    int first, last;
  };
  const Case cases[] = {
      {u"=", u"name value", 0, 0},
      {u"", u"abc", 0, 0},       // an empty pattern is never found
      {u"a", u"", 0, 0},
      {u"", u"", 0, 0},
      {u"abcd", u"abc", 0, 0},   // longer than the text
      {u"ab", u"xabyab", 2, 5},
      {u"abc", u"abc", 1, 1},
      {u"aa", u"aaa", 1, 2},     // overlapping occurrences
      {u"c", u"abc", 3, 3},
      {u"B", u"abc", 0, 0},      // case-sensitive
      {WideString(u"\0", 1), WideString(u"a\0b", 3), 2, 2},  // zero is a plain unit here
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.sub) + "in " + Hex(c.s));
    EXPECT_EQ(WidePos(c.sub, c.s), c.first);
    EXPECT_EQ(WideLastPos(c.sub, c.s), c.last);
  }
}

TEST(WideCopy, FollowsTheSubstringRule) {
  struct Case {
    int index, count;
    WideString expected;
  };
  const WideString s = u"abcde";
  const Case cases[] = {
      {1, 2, u"ab"},   {2, 3, u"bcd"},  {4, 10, u"de"},   {5, 1, u"e"},
      {6, 1, u""},     {100, 1, u""},   {2, 0, u""},      {2, -3, u""},
      {0, 2, u"ab"},   {-5, 2, u"ab"},  // below 1 counts as 1, count unchanged
      {1, 0x7FFFFFFF, u"abcde"},        {0x7FFFFFFF, 0x7FFFFFFF, u""},
      {-0x7FFFFFFF - 1, 3, u"abc"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(WideCopy(s, c.index, c.count), c.expected) << c.index << ", " << c.count;
  EXPECT_EQ(WideCopy(u"", 1, 1), u"");
}

TEST(WideDelete, RemovesWithinBoundsOnly) {
  struct Case {
    int index, count;
    WideString expected;
  };
  const Case cases[] = {
      {1, 2, u"cde"},  {2, 3, u"ae"},      {4, 10, u"abc"},    {5, 1, u"abcd"},
      {6, 1, u"abcde"},  {0, 2, u"abcde"}, {-1, 2, u"abcde"},  {2, 0, u"abcde"},
      {2, -1, u"abcde"}, {1, 0x7FFFFFFF, u""}, {0x7FFFFFFF, 1, u"abcde"},
  };
  for (const Case& c : cases) {
    WideString s = u"abcde";
    WideDelete(s, c.index, c.count);
    EXPECT_EQ(s, c.expected) << c.index << ", " << c.count;
  }
}

TEST(WideInsert, ClampsTheIndex) {
  struct Case {
    int index;
    WideString expected;
  };
  const Case cases[] = {
      {1, u"XYabc"}, {2, u"aXYbc"}, {3, u"abXYc"}, {4, u"abcXY"}, {5, u"abcXY"},
      {0x7FFFFFFF, u"abcXY"}, {0, u"XYabc"}, {-0x7FFFFFFF - 1, u"XYabc"},
  };
  for (const Case& c : cases) {
    WideString s = u"abc";
    WideInsert(u"XY", s, c.index);
    EXPECT_EQ(s, c.expected) << c.index;
  }
  WideString empty;
  WideInsert(u"ab", empty, 5);
  EXPECT_EQ(empty, u"ab");
}

TEST(WideTrim, RemovesUnitsBelow33) {
  struct Case {
    WideString s, both, left, right;
  };
  const Case cases[] = {
      {u"", u"", u"", u""},
      {u" \t \t ", u"", u"", u""},
      {u"abc", u"abc", u"abc", u"abc"},
      {u"  a b  ", u"a b", u"a b  ", u"  a b"},
      {WideString(u"\0\x1F!\0", 4), u"!", WideString(u"!\0", 2), WideString(u"\0\x1F!", 3)},
      // Only control units and the blank: no-break space and ideographic
      // space stay.
      {u"\x00A0x\x3000", u"\x00A0x\x3000", u"\x00A0x\x3000", u"\x00A0x\x3000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.s));
    EXPECT_EQ(WideTrim(c.s), c.both);
    EXPECT_EQ(WideTrimLeft(c.s), c.left);
    EXPECT_EQ(WideTrimRight(c.s), c.right);
  }
}

// ---------------------------------------------------------------------------
// Zero-terminated buffers

TEST(WideStrScan, FindsUnitsAndTheTerminator) {
  const char16_t text[] = u"abcabc";
  EXPECT_EQ(WideStrScan(text, u'b'), text + 1);
  EXPECT_EQ(WideStrRScan(text, u'b'), text + 4);
  EXPECT_EQ(WideStrScan(text, u'x'), nullptr);
  EXPECT_EQ(WideStrRScan(text, u'x'), nullptr);
  EXPECT_EQ(WideStrScan(text, 0), text + 6);
  EXPECT_EQ(WideStrRScan(text, 0), text + 6);
  EXPECT_EQ(WideStrScan(static_cast<const char16_t*>(nullptr), u'a'), nullptr);
  EXPECT_EQ(WideStrRScan(static_cast<const char16_t*>(nullptr), 0), nullptr);

  // The search ends at the first zero.
  const char16_t cut[] = {u'a', 0, u'b', 0};
  EXPECT_EQ(WideStrScan(cut, u'b'), nullptr);
  EXPECT_EQ(WideStrRScan(cut, 0), cut + 1);

  char16_t writable[] = u"xyz";
  char16_t* found = WideStrScan(writable, u'y');
  ASSERT_EQ(found, writable + 1);
  EXPECT_EQ(WideStrRScan(writable, u'z'), writable + 2);
}

TEST(WideStrLen, CountsUnitsBeforeTheTerminator) {
  const char16_t text[] = u"abc";
  const char16_t cut[] = {u'a', 0, u'b', 0};
  const char16_t empty[] = u"";
  EXPECT_EQ(WideStrLen(text), 3u);
  EXPECT_EQ(WideStrLen(cut), 1u);
  EXPECT_EQ(WideStrLen(empty), 0u);
  EXPECT_EQ(WideStrLen(nullptr), 0u);
  EXPECT_EQ(WideStrEnd(text), text + 3);
  EXPECT_EQ(WideStrEnd(cut), cut + 1);
  EXPECT_EQ(WideStrEnd(static_cast<const char16_t*>(nullptr)), nullptr);
}

TEST(WideStrComp, IsOrdinalOverUnsignedUnits) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    int difference;
  };
  const Case cases[] = {
      {u"abc", u"abc", 0},
      {u"abc", u"abd", u'c' - u'd'},
      {u"abd", u"abc", 1},
      {u"ab", u"abc", -u'c'},
      {u"abc", u"ab", u'c'},
      {u"a", u"B", u'a' - u'B'},
      {u"\xFFFF", u"A", 0xFFFF - 0x41},  // unsigned: no wrap to a negative unit
      {u"", u"", 0},
      {nullptr, u"", 0},                 // null reads as empty
      {nullptr, u"a", -u'a'},
      {u"a", nullptr, u'a'},
      {nullptr, nullptr, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(WideStrComp(c.a, c.b), c.difference);
}

TEST(WideStrLComp, LooksAtNoMoreThanNUnits) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    std::size_t n;
    int difference;
  };
  const Case cases[] = {
      {u"abcX", u"abcY", 3, 0},
      {u"abcX", u"abcY", 4, u'X' - u'Y'},
      {u"ab", u"abc", 2, 0},
      {u"ab", u"abc", 3, -u'c'},
      {u"ab", u"ab", 100, 0},   // stops at the terminator, not at n
      {u"a", u"b", 0, 0},
      {nullptr, u"a", 1, -u'a'},
  };
  for (const Case& c : cases) EXPECT_EQ(WideStrLComp(c.a, c.b, c.n), c.difference) << c.n;
}

TEST(WideStrCopy, CopiesWithTerminatorAndReturnsTheRightPointer) {
  char16_t dst[8];
  FillWideChar(dst, 8, u'#');
  EXPECT_EQ(WideStrCopy(dst, u"abc"), dst);
  EXPECT_EQ(WideString(dst, 5), WideString(u"abc\0#", 5));

  FillWideChar(dst, 8, u'#');
  EXPECT_EQ(WideStrECopy(dst, u"abc"), dst + 3);
  EXPECT_EQ(WideString(dst, 5), WideString(u"abc\0#", 5));

  FillWideChar(dst, 8, u'#');
  EXPECT_EQ(WideStrECopy(dst, nullptr), dst);
  EXPECT_EQ(dst[0], 0);
  EXPECT_EQ(dst[1], u'#');
}

TEST(WideStrLCopy, CopiesAtMostNUnitsAndATerminator) {
  struct Case {
    const char16_t* src;
    std::size_t n;
    WideString written;  // including the terminator, then the untouched unit
  };
  const Case cases[] = {
      {u"abcdef", 3, WideString(u"abc\0#", 5)},
      {u"ab", 5, WideString(u"ab\0#", 4)},
      {u"abc", 0, WideString(u"\0#", 2)},
      {nullptr, 3, WideString(u"\0#", 2)},
  };
  for (const Case& c : cases) {
    char16_t dst[8];
    FillWideChar(dst, 8, u'#');
    EXPECT_EQ(WideStrLCopy(dst, c.src, c.n), dst);
    EXPECT_EQ(WideString(dst, c.written.size()), c.written) << c.n;
  }
}

TEST(WideStrPCopy, CopiesTheStringUpToItsFirstZero) {
  char16_t dst[8];
  FillWideChar(dst, 8, u'#');
  EXPECT_EQ(WideStrPCopy(dst, u"hello"), dst);
  EXPECT_EQ(WideString(dst, 7), WideString(u"hello\0#", 7));

  FillWideChar(dst, 8, u'#');
  WideStrPCopy(dst, WideString(u"a\0b", 3));
  EXPECT_EQ(WideString(dst, 3), WideString(u"a\0#", 3));

  FillWideChar(dst, 8, u'#');
  WideStrPCopy(dst, WideString());
  EXPECT_EQ(WideString(dst, 2), WideString(u"\0#", 2));
}

TEST(WideStrCat, AppendsAndLimitsTheTotal) {
  struct Case {
    const char16_t* start;
    const char16_t* src;
    long limit;  // -1: unlimited WideStrCat
    WideString written;
  };
  const Case cases[] = {
      {u"ab", u"cd", -1, WideString(u"abcd\0#", 6)},
      {u"", u"cd", -1, WideString(u"cd\0#", 4)},
      {u"ab", nullptr, -1, WideString(u"ab\0#", 4)},
      {u"ab", u"cdef", 4, WideString(u"abcd\0#", 6)},
      {u"ab", u"cd", 10, WideString(u"abcd\0#", 6)},
      {u"ab", u"cd", 2, WideString(u"ab\0#", 4)},
      {u"abc", u"d", 2, WideString(u"abc\0#", 5)},  // already over: left alone
  };
  for (const Case& c : cases) {
    char16_t dst[12];
    FillWideChar(dst, 12, u'#');
    WideStrCopy(dst, c.start);
    char16_t* result = c.limit < 0 ? WideStrCat(dst, c.src)
                                   : WideStrLCat(dst, c.src, static_cast<std::size_t>(c.limit));
    EXPECT_EQ(result, dst);
    EXPECT_EQ(WideString(dst, c.written.size()), c.written) << c.limit;
  }
}

TEST(WideStrMove, HandlesOverlapInBothDirections) {
  char16_t forward[] = u"abcdef";
  EXPECT_EQ(WideStrMove(forward + 2, forward, 4), forward + 2);
  EXPECT_EQ(WideString(forward), u"ababcd");

  char16_t backward[] = u"abcdef";
  WideMove(backward + 2, backward, 4);  // source first
  EXPECT_EQ(WideString(backward), u"cdefef");

  char16_t untouched[] = u"abc";
  WideStrMove(untouched, u"xyz", 0);
  WideStrMove(untouched, u"xyz", -2);
  WideMove(u"xyz", untouched, -1);
  EXPECT_EQ(WideString(untouched), u"abc");
}

TEST(FillWideChar, FillsNUnitsOnly) {
  char16_t buffer[] = u"abcdef";
  FillWideChar(buffer + 1, 3, u'x');
  EXPECT_EQ(WideString(buffer), u"axxxef");
  FillWord(buffer, 2, 0x263A);
  EXPECT_EQ(WideString(buffer), u"\x263A\x263Axxef");
  FillWideChar(buffer, -1, u'z');
  FillWord(buffer, 0, u'z');
  EXPECT_EQ(WideString(buffer), u"\x263A\x263Axxef");
}

TEST(WideStrPas, ReadsUpToTheTerminator) {
  const char16_t cut[] = {u'a', u'b', 0, u'c', 0};
  EXPECT_EQ(WideStrPas(cut), u"ab");
  EXPECT_EQ(WideStrPas(u""), u"");
  EXPECT_EQ(WideStrPas(nullptr), u"");
}

TEST(SetWideString, CopiesNUnitsOrZeros) {
  const char16_t source[] = {u'a', 0, u'b', u'c'};
  WideString s = u"old";
  SetWideString(s, source, 4);  // n units, zeros included
  EXPECT_EQ(s, WideString(u"a\0bc", 4));
  SetWideString(s, nullptr, 3);
  EXPECT_EQ(s, WideString(3, u'\0'));
  SetWideString(s, source, 0);
  EXPECT_EQ(s, u"");
  s = u"old";
  SetWideString(s, source, -4);
  EXPECT_EQ(s, u"");
}

// ---------------------------------------------------------------------------
// Comparison

TEST(CompareWideStr, ComparesUpToTheFirstZero) {
  struct Case {
    WideString a, b;
    int sign;
  };
  const Case cases[] = {
      {u"", u"", 0},
      {u"abc", u"abc", 0},
      {u"abc", u"abd", -1},
      {u"B", u"a", -1},
      {u"\xFFFF", u"A", 1},
      {u"ab", u"abc", -1},
      {WideString(u"a\0b", 3), u"a", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.a) + "vs " + Hex(c.b));
    EXPECT_EQ(Sign(CompareWideStr(c.a, c.b)), c.sign);
    EXPECT_EQ(Sign(CompareWideStr(c.b, c.a)), -c.sign);
    EXPECT_EQ(SameWideStr(c.a, c.b), c.sign == 0);
  }
}

TEST(WideCompareText, IsOrdinalAndCaseSensitive) {
  struct Case {
    WideString a, b;
    int result;
  };
  const Case cases[] = {
      {u"a", u"B", 1},     // ordinal: 'a' is above 'B'
      {u"abc", u"ab", 1},
      {u"ab", u"abc", -1},
      {u"abc", u"abc", 0},
      {u"a", u"A", 1},     // case counts
      {u"", u"", 0},
      {u"", u"a", -1},
      {u"\xFFFF", u"A", 1},
      {u"\x00E9", u"z", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.a) + "vs " + Hex(c.b));
    EXPECT_EQ(WideCompareText(c.a, c.b), c.result);
    EXPECT_EQ(WideCompareText(c.b, c.a), -c.result);
  }
}

// ---------------------------------------------------------------------------
// Case conversion

TEST(WideCase, ConvertsByTheFirstRecordOfTheCaseTable) {
  struct Case {
    char16_t unit, upper, lower;
    const char* note;
  };
  const Case cases[] = {
      {u'a', u'A', u'a', "ASCII"},
      {u'Z', u'Z', u'z', "ASCII"},
      {u'1', u'1', u'1', "no case"},
      {0x03BC, 0x039C, 0x03BC, "mu"},
      {0x00B5, 0x039C, 0x03BC, "micro sign"},
      {0x039C, 0x039C, 0x03BC, "capital mu"},
      {0x03B9, 0x0399, 0x03B9, "iota"},
      {0x0345, 0x0399, 0x03B9, "ypogegrammeni"},
      {0x0399, 0x0399, 0x03B9, "capital iota lowers by its first record"},
      {0x1FBE, 0x1FBE, 0x03B9, "prosgegrammeni"},
      {0x03C2, 0x03C2, 0x03C3, "final sigma"},
      {0x03C3, 0x03A3, 0x03C3, "sigma"},
      {0x017F, 0x017F, u's', "long s"},
      {0x00DF, 0x00DF, 0x00DF, "sharp s has a full folding only"},
      {0x212A, 0x212A, u'k', "Kelvin sign"},
      {0x2126, 0x2126, 0x03C9, "Ohm sign"},
      {u'k', u'K', u'k', "k raises to K, not to the Kelvin sign"},
      {0x03C9, 0x03A9, 0x03C9, "omega raises to omega, not to the Ohm sign"},
      {0x0131, 0x0131, u'i', "dotless i"},
      {0x0130, 0x0130, u'i', "capital I with dot"},
      {u'i', u'I', u'i', "i raises to I"},
      {0x01C4, 0x01C4, 0x01C6, "DZ caron"},
      {0x01C5, 0x01C5, 0x01C6, "titlecase Dz caron"},
      {0x01C6, 0x01C4, 0x01C6, "dz caron"},
      {0x1F80, 0x1F88, 0x1F80, "alpha with psili and ypogegrammeni"},
      {0x1F88, 0x1F88, 0x1F80, "its simple folding"},
      {0x00C0, 0x00C0, 0x00E0, "Latin-1"},
      {0x00FF, 0x0178, 0x00FF, "y diaeresis"},
      {0x0220, 0x0220, 0x0220, "folding added after 3.1"},
      {0x019E, 0x019E, 0x019E, "folding added after 3.1"},
      {0x0500, 0x0500, 0x0500, "folding added after 3.1"},
      {0x10A0, 0x10A0, 0x10A0, "folding added after 3.1"},
      {0x2132, 0x2132, 0x2132, "folding added after 3.1"},
      {0xD801, 0xD801, 0xD801, "surrogates stay"},
      {0xFF21, 0xFF21, 0xFF41, "fullwidth A"},
      {0xFF41, 0xFF21, 0xFF41, "fullwidth a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.note) + ": " + Hex(WideString(1, c.unit)));
    EXPECT_EQ(Hex(WideUpperCase(WideString(1, c.unit))), Hex(WideString(1, c.upper)));
    EXPECT_EQ(Hex(WideLowerCase(WideString(1, c.unit))), Hex(WideString(1, c.lower)));
    EXPECT_EQ(Hex(uni2uppers(WideString(1, c.unit))), Hex(WideString(1, c.upper)));
    EXPECT_EQ(Hex(uni2lowers(WideString(1, c.unit))), Hex(WideString(1, c.lower)));
  }
}

TEST(WideCase, ConvertsWholeTextsAndKeepsTheLength) {
  EXPECT_EQ(WideUpperCase(u"\x03BC\x00B5\x03C2"), u"\x039C\x039C\x03C2");
  EXPECT_EQ(WideLowerCase(u"\x212A"), u"k");
  EXPECT_EQ(WideUpperCase(u"Stra\x00DF" u"e 9"), u"STRA\x00DF" u"E 9");
  EXPECT_EQ(WideLowerCase(u"ABC def \x0130"), u"abc def i");
  EXPECT_EQ(WideUpperCase(u""), u"");
  EXPECT_EQ(WideLowerCase(u""), u"");
  const WideString withZero(u"a\0b", 3);
  EXPECT_EQ(WideUpperCase(withZero), WideString(u"A\0B", 3));
  // A supplementary letter (Deseret) is not in the table; its units stay.
  EXPECT_EQ(WideLowerCase(u"\xD801\xDC00"), u"\xD801\xDC00");
}

TEST(WideSameText, ComparesTheRaisedTexts) {
  struct Case {
    WideString a, b;
    bool same;
  };
  const Case cases[] = {
      {u"i", u"I", true},
      {u"\x00B5", u"\x03BC", true},
      {u"\x00B5", u"\x039C", true},
      {u"\x0345", u"\x0399", true},
      {u"\x00DF", u"SS", false},
      {u"\x00DF", u"ss", false},
      {u"Hello", u"hELLO", true},
      {u"abc", u"abd", false},
      {u"a", u"ab", false},
      {u"", u"", true},
      {u"\x212A", u"k", false},  // the Kelvin sign does not raise
      {u"\x0131", u"i", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.a) + "vs " + Hex(c.b));
    EXPECT_EQ(WideSameText(c.a, c.b), c.same);
    EXPECT_EQ(WideSameText(c.b, c.a), c.same);
    EXPECT_EQ(WideSameText(c.a, c.b), WideUpperCase(c.a) == WideUpperCase(c.b));
  }
}

// ---------------------------------------------------------------------------
// Quoting

TEST(WideQuotedStr, EnclosesAndDoublesTheQuote) {
  struct Case {
    WideString s;
    char16_t q;
    WideString quoted;
  };
  const Case cases[] = {
      {u"", u'\'', u"''"},
      {u"ab", u'\'', u"'ab'"},
      {u"a'b", u'\'', u"'a''b'"},
      {u"''", u'\'', u"''''''"},
      {u"a\"b'", u'"', u"\"a\"\"b'\""},
  };
  for (const Case& c : cases) EXPECT_EQ(WideQuotedStr(c.s, c.q), c.quoted) << Hex(c.s);
}

TEST(WideExtractQuotedStr, ReadsTheTokenAndMovesPast) {
  struct Case {
    const char16_t* text;
    char16_t q;
    WideString token;
    std::ptrdiff_t consumed;
  };
  const Case cases[] = {
      {u"'a''b'", u'\'', u"a'b", 6},
      {u"'a''b'rest", u'\'', u"a'b", 6},
      {u"'ab' 'cd'", u'\'', u"ab", 4},
      {u"''", u'\'', u"", 2},
      {u"''x", u'\'', u"", 2},
      {u"''''", u'\'', u"'", 4},
      {u"x'a'", u'\'', u"", 0},       // not at a quote: p stays
      {u"", u'\'', u"", 0},
      {u"\"a\"\"b\"", u'"', u"a\"b", 6},
      {u"'a'", u'"', u"", 0},
      // No closing quote: the token is the rest of the text, p ends at the
      // terminator.
      {u"'abc", u'\'', u"abc", 4},
      {u"'", u'\'', u"", 1},
      {u"'ab''", u'\'', u"ab'", 5},
      // A zero quote never matches: the terminator is no part of the text.
      {u"", 0, u"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(WideString(c.text)));
    const char16_t* p = c.text;
    EXPECT_EQ(WideExtractQuotedStr(p, c.q), c.token);
    EXPECT_EQ(p - c.text, c.consumed);
  }
  const char16_t* null = nullptr;
  EXPECT_EQ(WideExtractQuotedStr(null, u'\''), u"");
  EXPECT_EQ(null, nullptr);
}

TEST(WideExtractQuotedStr, ReadsBackWhatWideQuotedStrWrote) {
  for (const WideString s : {u"", u"plain", u"it's", u"''", u"a'b'c'", u"\x263A'\xFFFF"}) {
    const WideString quoted = WideQuotedStr(s, u'\'') + u",next";
    const char16_t* p = quoted.c_str();
    EXPECT_EQ(WideExtractQuotedStr(p, u'\''), s);
    EXPECT_EQ(WideString(p), u",next");
  }
}

// ---------------------------------------------------------------------------
// UTF-8 to UTF-16

struct Utf8Case {
  std::string in;
  ConversionFlags flags;
  bool bom;
  ConversionResult result;
  WideString out;
  const char* note;
};

TEST(ConvertUTF8toUTF16, GivesResultAndPartialOutput) {
  const auto S = strictConversion;
  const auto L = lenientConversion;
  const Utf8Case cases[] = {
      {"", S, false, conversionOK, u"", "empty"},
      {"abc", S, false, conversionOK, u"abc", "ASCII"},
      {Bytes({0x61, 0x00, 0x62}), S, false, conversionOK, Units({0x61, 0, 0x62}), "zero byte"},
      {Bytes({0xC3, 0xA9}), S, false, conversionOK, u"\x00E9", "two bytes"},
      {Bytes({0xE0, 0xA0, 0x80}), S, false, conversionOK, u"\x0800", "smallest three bytes"},
      {Bytes({0xEF, 0xBF, 0xBF}), S, false, conversionOK, u"\xFFFF", "U+FFFF"},
      {Bytes({0xF0, 0x9F, 0x98, 0x80}), S, false, conversionOK, Units({0xD83D, 0xDE00}), "pair"},
      {Bytes({0xF0, 0x90, 0x80, 0x80}), S, false, conversionOK, Units({0xD800, 0xDC00}), "U+10000"},
      {Bytes({0xF4, 0x8F, 0xBF, 0xBF}), S, false, conversionOK, Units({0xDBFF, 0xDFFF}), "U+10FFFF"},
      // Cut short: exhausted, what came before kept.
      {Bytes({0xC3}), S, false, sourceExhausted, u"", "lone lead"},
      {Bytes({0x61, 0xC3}), S, false, sourceExhausted, u"a", "lead at the end"},
      {Bytes({0x61, 0xE2, 0x82}), L, false, sourceExhausted, u"a", "three bytes cut"},
      {Bytes({0xF8}), S, false, sourceExhausted, u"", "five-byte lead cut: exhausted first"},
      {Bytes({0x61, 0xFF}), S, false, sourceExhausted, u"a", "six-byte lead cut"},
      {Bytes({0xC3, 0x61, 0x62}), S, false, sourceIllegal, u"",
       "cut lead that is not at the end reads its follower"},
      // Ill-formed: illegal whatever the flags.
      {Bytes({0x61, 0x80}), S, false, sourceIllegal, u"a", "continuation as lead"},
      {Bytes({0x80}), L, false, sourceIllegal, u"", "continuation as lead, lenient"},
      {Bytes({0xC0, 0x80}), L, false, sourceIllegal, u"", "overlong zero"},
      {Bytes({0xC1, 0xBF}), S, false, sourceIllegal, u"", "overlong"},
      {Bytes({0xE0, 0x9F, 0xBF}), L, false, sourceIllegal, u"", "overlong three bytes"},
      {Bytes({0xF0, 0x8F, 0xBF, 0xBF}), S, false, sourceIllegal, u"", "overlong four bytes"},
      {Bytes({0xF4, 0x90, 0x80, 0x80}), L, false, sourceIllegal, u"", "above U+10FFFF"},
      {Bytes({0xF5, 0x80, 0x80, 0x80}), S, false, sourceIllegal, u"", "lead above F4"},
      {Bytes({0xF8, 0x88, 0x80, 0x80, 0x80}), L, false, sourceIllegal, u"", "five bytes"},
      {Bytes({0xFC, 0x84, 0x80, 0x80, 0x80, 0x80}), S, false, sourceIllegal, u"", "six bytes"},
      {Bytes({0x78, 0xC3, 0x41}), L, false, sourceIllegal, u"x", "bad follower"},
      {Bytes({0xE2, 0x28, 0xA1}), S, false, sourceIllegal, u"", "bad second byte"},
      // Encoded surrogates: illegal in strict conversion only.
      {Bytes({0xED, 0xA0, 0x80}), S, false, sourceIllegal, u"", "encoded surrogate"},
      {Bytes({0x78, 0xED, 0xBF, 0xBF, 0x79}), S, false, sourceIllegal, u"x", "encoded low surrogate"},
      {Bytes({0xED, 0xA0, 0x80}), L, false, conversionOK, u"\xD800", "lenient surrogate"},
      {Bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}), L, false, conversionOK,
       Units({0xD83D, 0xDE00}), "lenient encoded pair"},
      {Bytes({0xED, 0x9F, 0xBF}), S, false, conversionOK, u"\xD7FF", "below the surrogates"},
      // Byte-order mark.
      {"", S, true, conversionOK, u"\xFEFF", "mark on empty"},
      {"ab", L, true, conversionOK, u"\xFEFF" u"ab", "mark added"},
      {Bytes({0xEF, 0xBB, 0xBF, 0x61}), S, true, conversionOK, u"\xFEFF" u"a", "mark not doubled"},
      {Bytes({0xEF, 0xBB, 0xBF, 0x61}), S, false, conversionOK, u"\xFEFF" u"a", "mark kept"},
      {Bytes({0x61, 0xC3}), S, true, sourceExhausted, u"\xFEFF" u"a", "mark on a partial output"},
      {Bytes({0x80}), S, true, sourceIllegal, u"\xFEFF", "mark on an empty partial output"},
  };
  for (const Utf8Case& c : cases) {
    SCOPED_TRACE(std::string(c.note) + ": " + Hex(c.in));
    WideString out = u"previous";
    EXPECT_EQ(ConvertUTF8toUTF16(c.in, out, c.flags, c.bom), c.result);
    EXPECT_EQ(Hex(out), Hex(c.out));
  }
}

TEST(IsLegalUTF8Sequence, ChecksTheFirstSequence) {
  struct Case {
    std::string bytes;
    std::size_t length;
    bool legal;
  };
  const Case cases[] = {
      {Bytes({0x41}), 1, true},
      {Bytes({0x00}), 1, true},
      {Bytes({0x41}), 0, false},
      {Bytes({0x41, 0xFF}), 2, true},         // only the first sequence counts
      {Bytes({0xC2, 0x80}), 2, true},
      {Bytes({0xC3, 0xA9}), 1, false},        // incomplete within length
      {Bytes({0xC3, 0xA9, 0x41}), 3, true},
      {Bytes({0x80}), 1, false},
      {Bytes({0xBF}), 1, false},
      {Bytes({0xC0, 0x80}), 2, false},
      {Bytes({0xC1, 0xBF}), 2, false},
      {Bytes({0xC2, 0x7F}), 2, false},
      {Bytes({0xC2, 0xC0}), 2, false},
      {Bytes({0xE0, 0x9F, 0x80}), 3, false},
      {Bytes({0xE0, 0xA0, 0x80}), 3, true},
      {Bytes({0xED, 0xA0, 0x80}), 3, true},   // surrogates pass; the conversion decides
      {Bytes({0xEF, 0xBF, 0xBF}), 3, true},
      {Bytes({0xE1, 0x80, 0x7F}), 3, false},
      {Bytes({0xF0, 0x8F, 0xBF, 0xBF}), 4, false},
      {Bytes({0xF0, 0x90, 0x80, 0x80}), 4, true},
      {Bytes({0xF4, 0x8F, 0xBF, 0xBF}), 4, true},
      {Bytes({0xF4, 0x90, 0x80, 0x80}), 4, false},
      {Bytes({0xF5, 0x80, 0x80, 0x80}), 4, false},
      {Bytes({0xF0, 0x90, 0x80, 0x80}), 3, false},
      {Bytes({0xF8, 0x88, 0x80, 0x80, 0x80}), 5, false},
      {Bytes({0xFC, 0x84, 0x80, 0x80, 0x80, 0x80}), 6, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isLegalUTF8Sequence(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.length),
              c.legal)
        << Hex(c.bytes) << "length " << c.length;
  }
  EXPECT_FALSE(isLegalUTF8Sequence(nullptr, 4));
}

// ---------------------------------------------------------------------------
// UTF-16 to UTF-8

struct Utf16Case {
  WideString in;
  ConversionFlags flags;
  bool bom;
  ConversionResult result;
  std::string out;
  const char* note;
};

TEST(ConvertUTF16toUTF8, GivesResultAndPartialOutput) {
  const auto S = strictConversion;
  const auto L = lenientConversion;
  const Utf16Case cases[] = {
      {u"", S, false, conversionOK, "", "empty"},
      {u"abc", S, false, conversionOK, "abc", "ASCII"},
      {Units({0x61, 0, 0x62}), S, false, conversionOK, Bytes({0x61, 0, 0x62}), "zero unit"},
      {u"\x007F", S, false, conversionOK, Bytes({0x7F}), "largest one byte"},
      {u"\x0080", S, false, conversionOK, Bytes({0xC2, 0x80}), "smallest two bytes"},
      {u"\x00E9", S, false, conversionOK, Bytes({0xC3, 0xA9}), "e acute"},
      {u"\x07FF", S, false, conversionOK, Bytes({0xDF, 0xBF}), "largest two bytes"},
      {u"\x0800", S, false, conversionOK, Bytes({0xE0, 0xA0, 0x80}), "smallest three bytes"},
      {u"\xFFFF", S, false, conversionOK, Bytes({0xEF, 0xBF, 0xBF}), "U+FFFF"},
      {Units({0xD83D, 0xDE00}), S, false, conversionOK, Bytes({0xF0, 0x9F, 0x98, 0x80}), "pair"},
      {Units({0xDBFF, 0xDFFF}), S, false, conversionOK, Bytes({0xF4, 0x8F, 0xBF, 0xBF}), "U+10FFFF"},
      // A high surrogate without its low one.
      {Units({0xD800, 0x61}), S, false, sourceIllegal, "", "strict stops"},
      {Units({0x78, 0xD800, 0x61}), S, false, sourceIllegal, "x", "strict keeps what came before"},
      {Units({0xD800, 0x61}), L, false, conversionOK, Bytes({0xED, 0xA0, 0x80, 0x61}), "lenient takes it alone"},
      {Units({0xD800, 0xD800, 0xDC00}), L, false, conversionOK,
       Bytes({0xED, 0xA0, 0x80, 0xF0, 0x90, 0x80, 0x80}), "lenient, then a pair"},
      {Units({0x78, 0xD800}), S, false, conversionOK, Bytes({0x78, 0xED, 0xA0, 0x80}),
       "as the last unit it is taken alone, also in strict conversion"},
      // A low surrogate on its own.
      {Units({0xDC00}), S, false, sourceIllegal, "", "strict stops"},
      {Units({0x78, 0xDFFF, 0x79}), S, false, sourceIllegal, "x", "strict keeps what came before"},
      {Units({0xDC00}), L, false, conversionOK, Bytes({0xED, 0xB0, 0x80}), "lenient takes it alone"},
      {Units({0xDC00, 0xD800}), L, false, conversionOK, Bytes({0xED, 0xB0, 0x80, 0xED, 0xA0, 0x80}),
       "reversed pair"},
      // Byte-order mark.
      {u"", S, true, conversionOK, Bytes({0xEF, 0xBB, 0xBF}), "mark on empty"},
      {u"a", S, true, conversionOK, Bytes({0xEF, 0xBB, 0xBF, 0x61}), "mark added"},
      {u"\xFEFF" u"a", S, true, conversionOK, Bytes({0xEF, 0xBB, 0xBF, 0x61}), "mark not doubled"},
      {Units({0x78, 0xDC00}), S, true, sourceIllegal, Bytes({0xEF, 0xBB, 0xBF, 0x78}),
       "mark on a partial output"},
  };
  for (const Utf16Case& c : cases) {
    SCOPED_TRACE(std::string(c.note) + ": " + Hex(c.in));
    std::string out = "previous";
    EXPECT_EQ(ConvertUTF16toUTF8(c.in, out, c.flags, c.bom), c.result);
    EXPECT_EQ(Hex(out), Hex(c.out));
  }
}

TEST(UtfConversion, EveryCodePointMakesTheRoundTrip) {
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    WideString wide;
    if (cp < 0x10000) {
      wide.push_back(static_cast<char16_t>(cp));
    } else {
      wide.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      wide.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
    const std::size_t expectedBytes = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    std::string utf8;
    WideString back;
    ASSERT_EQ(ConvertUTF16toUTF8(wide, utf8, strictConversion, false), conversionOK) << cp;
    ASSERT_EQ(utf8.size(), expectedBytes) << cp;
    ASSERT_TRUE(isLegalUTF8Sequence(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size()))
        << cp;
    ASSERT_EQ(ConvertUTF8toUTF16(utf8, back, strictConversion, false), conversionOK) << cp;
    ASSERT_EQ(back, wide) << cp;
  }
}

// ---------------------------------------------------------------------------
// Marked UTF-8 or narrow text

TEST(ConvertUTF8String, ReadsMarkedUtf8AndFallsBackToTheCodePage) {
  struct Case {
    std::string in;
    bool utf8;        // false: the code page conversion of the whole input
    WideString out;   // when utf8
    const char* note;
  };
  const Case cases[] = {
      {Bytes({0xEF, 0xBB, 0xBF, 0xC3, 0xA9, 0x21}), true, u"\x00E9!", "marked UTF-8"},
      {Bytes({0xEF, 0xBB, 0xBF, 0xEF, 0xBB, 0xBF, 0x61}), true, u"\xFEFF" u"a",
       "only the first mark goes"},
      {Bytes({0xEF, 0xBB, 0xBF, 0x61, 0xC3}), true, u"a", "cut short: the part before the cut"},
      {Bytes({0xEF, 0xBB, 0xBF}), true, u"\xFEFF", "the mark alone stays"},
      {Bytes({0xEF, 0xBB, 0xBF, 0x61, 0x80}), false, u"", "marked but illegal"},
      {Bytes({0xEF, 0xBB, 0xBF, 0xED, 0xA0, 0x80}), false, u"", "marked, encoded surrogate"},
      {Bytes({0xC3, 0xA9}), false, u"", "unmarked UTF-8 is narrow text"},
      {Bytes({0xEF, 0xBB}), false, u"", "incomplete mark"},
      {"plain", false, u"", "plain"},
      {"", false, u"", "empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.note) + ": " + Hex(c.in));
    const WideString expected = c.utf8 ? c.out : NarrowToWide(c.in);
    EXPECT_EQ(Hex(ConvertUTF8String(c.in)), Hex(expected));
  }
  // The fallback really is the code page: a non-ASCII byte becomes one unit.
  EXPECT_EQ(ConvertUTF8String(Bytes({0xC3, 0xA9})).size(), 2u);
}

}  // namespace
