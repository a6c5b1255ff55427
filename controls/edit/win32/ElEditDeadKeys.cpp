#include "controls/edit/win32/ElEditDeadKeys.h"

#include <cwctype>

namespace {

bool IsAOrO(char16_t c) { return c == u'A' || c == u'a' || c == u'O' || c == u'o'; }

// The accent index of a dead character; -1 where there is none.
int AccentIndex(unsigned char dead, char16_t letter) {
  switch (dead) {
    case 96: return 0;
    case 180: return 1;
    case 94: return 2;
    case 168: return IsAOrO(letter) ? 4 : 3;
    case 126: return IsAOrO(letter) ? 3 : -1;
    case 161: return 5;
    case 58:
    case 59: return 6;
    case 176: return 7;
    case 39: return 8;
    case 34: return IsAOrO(letter) ? -1 : 9;
    default: return -1;
  }
}

struct TComposition {
  int index;
  char16_t upper;
  char16_t composedUpper;
  char16_t composedLower;
};

// The letters the layouts did not compose themselves.
constexpr TComposition kCompositions[] = {
    {5, u'D', u'\u010E', u'\u010F'}, {5, u'T', u'\u0164', u'\u0165'}, {5, u'N', u'\u0147', u'\u0148'},
    {5, u'S', u'\u0160', u'\u0161'}, {5, u'R', u'\u0158', u'\u0159'}, {5, u'E', u'\u011A', u'\u011B'},
    {6, u'C', u'\u0108', u'\u0109'}, {6, u'G', u'\u011C', u'\u011D'}, {6, u'H', u'\u0124', u'\u0125'},
    {6, u'J', u'\u0134', u'\u0135'}, {6, u'S', u'\u015C', u'\u015D'}, {6, u'U', u'\u016C', u'\u016D'},
    {7, u'U', u'\u016E', u'\u016F'},
};

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool In(char16_t c, const char16_t* set) {
  for (; *set != 0; ++set)
    if (*set == Upper(c)) return true;
  return false;
}

}  // namespace

TElDeadKeyResult ElComposeDeadKey(unsigned char deadChar, char16_t deadWide, char16_t letter, WideString& text) {
  const int index = AccentIndex(deadChar, letter);
  if (index < 0) return TElDeadKeyResult::None;
  const bool lower = letter >= u'a' && letter <= u'z';
  for (const TComposition& c : kCompositions) {
    if (c.index == index && c.upper == Upper(letter)) {
      text.assign(1, lower ? c.composedLower : c.composedUpper);
      return TElDeadKeyResult::Replace;
    }
  }
  const bool latin1 = index != 6 && index != 7 && In(letter, u"AEIOUYC");
  if (latin1 || (index == 5 && In(letter, u"CZL"))) return TElDeadKeyResult::LayoutComposes;
  // Under the colon accent an uncombinable letter is typed alone.
  if (index == 6) {
    text.assign(1, letter);
    return TElDeadKeyResult::Replace;
  }
  text.assign(1, deadWide);
  text.push_back(letter);
  return TElDeadKeyResult::Both;
}
