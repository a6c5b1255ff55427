#include "platform/CodePage.h"

#include <array>

namespace {

// Windows-1252 bytes 0x80..0x9F; the five bytes the code page leaves undefined
// map to the C1 control of the same value, as the Windows conversion does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t ByteToUnit(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

char UnitToByte(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  for (size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] == unit) return static_cast<char>(0x80 + i);
  return '?';
}

}  // namespace

// Both write into a result sized for the whole text at once: every status
// line of the walk goes through here twice.

NarrowString WideToNarrow(const WideString& text) {
  NarrowString result(text.size(), '\0');
  char* out = &result[0];
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    // A surrogate pair is one character the code page cannot hold: one '?'.
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() &&
        text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
      ++i;
    *out++ = UnitToByte(unit);
  }
  result.resize(static_cast<size_t>(out - result.data()));
  return result;
}

WideString NarrowToWide(const NarrowString& text) {
  WideString result(text.size(), u'\0');
  char16_t* out = &result[0];
  for (unsigned char byte : text) *out++ = ByteToUnit(byte);
  return result;
}
