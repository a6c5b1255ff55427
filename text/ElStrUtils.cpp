#include "text/ElStrUtils.h"

#include <algorithm>
#include <cstring>

#include "text/ElCaseTable.h"
#include "platform/CodePage.h"

namespace {

const char16_t kEmptyText[1] = {0};

// A null pointer reads as an empty text.
const char16_t* OrEmpty(const char16_t* p) { return p != nullptr ? p : kEmptyText; }

bool IsTrimmed(char16_t c) { return c < 33; }

}  // namespace

// --- Wide strings -----------------------------------------------------------

int WidePos(const WideString& sub, const WideString& s) {
  if (sub.empty() || sub.size() > s.size()) return 0;
  const std::size_t at = s.find(sub);
  return at == WideString::npos ? 0 : static_cast<int>(at) + 1;
}

int WideLastPos(const WideString& sub, const WideString& s) {
  if (sub.empty() || s.empty() || sub.size() > s.size()) return 0;
  const std::size_t at = s.rfind(sub);
  return at == WideString::npos ? 0 : static_cast<int>(at) + 1;
}

WideString WideCopy(const WideString& s, int index, int count) {
  if (index < 1) index = 1;
  const std::size_t start = static_cast<std::size_t>(index) - 1;
  if (count <= 0 || start >= s.size()) return WideString();
  return s.substr(start, std::min(static_cast<std::size_t>(count), s.size() - start));
}

void WideDelete(WideString& s, int index, int count) {
  if (index < 1 || count <= 0) return;
  const std::size_t start = static_cast<std::size_t>(index) - 1;
  if (start >= s.size()) return;
  s.erase(start, std::min(static_cast<std::size_t>(count), s.size() - start));
}

void WideInsert(const WideString& src, WideString& s, int index) {
  std::size_t at = index < 1 ? 0 : static_cast<std::size_t>(index) - 1;
  if (at > s.size()) at = s.size();
  s.insert(at, src);
}

WideString WideTrim(const WideString& s) { return WideTrimRight(WideTrimLeft(s)); }

WideString WideTrimLeft(const WideString& s) {
  std::size_t first = 0;
  while (first < s.size() && IsTrimmed(s[first])) ++first;
  return s.substr(first);
}

WideString WideTrimRight(const WideString& s) {
  std::size_t end = s.size();
  while (end > 0 && IsTrimmed(s[end - 1])) --end;
  return s.substr(0, end);
}

// --- Zero-terminated buffers --------------------------------------------------

const char16_t* WideStrScan(const char16_t* p, char16_t c) {
  if (p == nullptr) return nullptr;
  for (;; ++p) {
    if (*p == c) return p;
    if (*p == 0) return nullptr;
  }
}

char16_t* WideStrScan(char16_t* p, char16_t c) {
  return const_cast<char16_t*>(WideStrScan(static_cast<const char16_t*>(p), c));
}

const char16_t* WideStrRScan(const char16_t* p, char16_t c) {
  if (p == nullptr) return nullptr;
  const char16_t* found = nullptr;
  for (;; ++p) {
    if (*p == c) found = p;
    if (*p == 0) return found;
  }
}

char16_t* WideStrRScan(char16_t* p, char16_t c) {
  return const_cast<char16_t*>(WideStrRScan(static_cast<const char16_t*>(p), c));
}

std::size_t WideStrLen(const char16_t* p) {
  if (p == nullptr) return 0;
  const char16_t* end = p;
  while (*end != 0) ++end;
  return static_cast<std::size_t>(end - p);
}

const char16_t* WideStrEnd(const char16_t* p) {
  return p == nullptr ? nullptr : p + WideStrLen(p);
}

char16_t* WideStrEnd(char16_t* p) { return p == nullptr ? nullptr : p + WideStrLen(p); }

int WideStrComp(const char16_t* a, const char16_t* b) {
  a = OrEmpty(a);
  b = OrEmpty(b);
  while (*a != 0 && *a == *b) {
    ++a;
    ++b;
  }
  // char16_t is unsigned, so U+FFFF sorts after U+0041.
  return static_cast<int>(*a) - static_cast<int>(*b);
}

int WideStrLComp(const char16_t* a, const char16_t* b, std::size_t n) {
  a = OrEmpty(a);
  b = OrEmpty(b);
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return static_cast<int>(a[i]) - static_cast<int>(b[i]);
    if (a[i] == 0) break;
  }
  return 0;
}

char16_t* WideStrCopy(char16_t* dst, const char16_t* src) {
  WideStrECopy(dst, src);
  return dst;
}

char16_t* WideStrECopy(char16_t* dst, const char16_t* src) {
  if (dst == nullptr) return nullptr;
  src = OrEmpty(src);
  while ((*dst = *src) != 0) {
    ++dst;
    ++src;
  }
  return dst;
}

char16_t* WideStrLCopy(char16_t* dst, const char16_t* src, std::size_t n) {
  if (dst == nullptr) return nullptr;
  src = OrEmpty(src);
  std::size_t i = 0;
  for (; i < n && src[i] != 0; ++i) dst[i] = src[i];
  dst[i] = 0;
  return dst;
}

char16_t* WideStrPCopy(char16_t* dst, const WideString& s) {
  return WideStrLCopy(dst, s.c_str(), s.size());
}

char16_t* WideStrCat(char16_t* dst, const char16_t* src) {
  WideStrCopy(WideStrEnd(dst), src);
  return dst;
}

char16_t* WideStrLCat(char16_t* dst, const char16_t* src, std::size_t n) {
  if (dst == nullptr) return nullptr;
  const std::size_t length = WideStrLen(dst);
  // A destination already at or over the limit is left as it is.
  if (length < n) WideStrLCopy(dst + length, src, n - length);
  return dst;
}

char16_t* WideStrMove(char16_t* dst, const char16_t* src, int n) {
  if (n > 0 && dst != nullptr && src != nullptr)
    std::memmove(dst, src, static_cast<std::size_t>(n) * sizeof(char16_t));
  return dst;
}

void WideMove(const char16_t* src, char16_t* dst, int n) { WideStrMove(dst, src, n); }

void FillWideChar(char16_t* p, int n, char16_t c) {
  if (n > 0 && p != nullptr) std::fill_n(p, n, c);
}

void FillWord(char16_t* p, int n, std::uint16_t value) {
  FillWideChar(p, n, static_cast<char16_t>(value));
}

WideString WideStrPas(const char16_t* p) { return p == nullptr ? WideString() : WideString(p); }

void SetWideString(WideString& s, const char16_t* p, int n) {
  if (n <= 0) {
    s.clear();
  } else if (p == nullptr) {
    s.assign(static_cast<std::size_t>(n), u'\0');
  } else {
    s.assign(p, static_cast<std::size_t>(n));
  }
}

// --- Comparison and case ---------------------------------------------------

int CompareWideStr(const WideString& a, const WideString& b) {
  return WideStrComp(a.c_str(), b.c_str());
}

bool SameWideStr(const WideString& a, const WideString& b) { return CompareWideStr(a, b) == 0; }

int WideCompareText(const WideString& a, const WideString& b) {
  const int c = a.compare(b);  // char_traits<char16_t> compares units as unsigned
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

namespace {

// Lowering and raising of every unit, built once from the case table. A
// record counts only with status C, S or I; those all fold to a single unit.
// Filling from the last record to the first leaves each entry with the first
// record in table order that fits, which is what decides U+0345, the micro
// sign and the other units that several records share.
struct CaseMaps {
  char16_t lower[0x10000];
  char16_t upper[0x10000];

  CaseMaps() {
    for (std::size_t u = 0; u < 0x10000; ++u) lower[u] = upper[u] = static_cast<char16_t>(u);
    const std::uint8_t used = csCommon | csSimple | csTurkic;
    for (std::size_t i = ElCaseTableSize; i-- > 0;) {
      const TElCaseRecord& record = ElCaseTable[i];
      if ((record.Status & used) == 0) continue;
      lower[record.Source] = record.Folded[0];
      upper[record.Folded[0]] = record.Source;
    }
  }
};

const CaseMaps& Maps() {
  static const CaseMaps maps;  // thread-safe initialisation
  return maps;
}

WideString MapUnits(const WideString& s, const char16_t (&map)[0x10000]) {
  WideString result(s);
  for (char16_t& c : result) c = map[c];
  return result;
}

}  // namespace

WideString WideUpperCase(const WideString& s) { return MapUnits(s, Maps().upper); }

WideString WideLowerCase(const WideString& s) { return MapUnits(s, Maps().lower); }

WideString uni2uppers(const WideString& s) { return WideUpperCase(s); }

WideString uni2lowers(const WideString& s) { return WideLowerCase(s); }

bool WideSameText(const WideString& a, const WideString& b) {
  if (a.size() != b.size()) return false;
  const char16_t* upper = Maps().upper;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upper[a[i]] != upper[b[i]]) return false;
  return true;
}

// --- Quoting -----------------------------------------------------------------

WideString WideQuotedStr(const WideString& s, char16_t q) {
  WideString result;
  result.reserve(s.size() + 2);
  result.push_back(q);
  for (char16_t c : s) {
    result.push_back(c);
    if (c == q) result.push_back(q);
  }
  result.push_back(q);
  return result;
}

WideString WideExtractQuotedStr(const char16_t*& p, char16_t q) {
  // A zero quote would match the terminator and send the scan past the text.
  if (p == nullptr || q == 0 || *p != q) return WideString();
  const char16_t* r = p + 1;
  WideString token;
  for (;;) {
    if (*r == 0) break;  // no closing quote: the token is the rest of the text
    if (*r == q) {
      if (r[1] != q) {
        ++r;
        break;
      }
      ++r;  // a doubled quote stands for one
    }
    token.push_back(*r);
    ++r;
  }
  p = r;
  return token;
}

// --- UTF-16 and UTF-8 --------------------------------------------------------

namespace {

bool IsHighSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Number of bytes that follow a lead byte. Bytes that cannot lead a sequence
// (0x80 to 0xC1, 0xF5 and above) get a count all the same, so that a sequence
// cut short reads as exhausted before it reads as illegal.
unsigned TrailingBytes(unsigned char lead) {
  if (lead < 0xC0) return 0;
  if (lead < 0xE0) return 1;
  if (lead < 0xF0) return 2;
  if (lead < 0xF8) return 3;
  if (lead < 0xFC) return 4;
  return 5;
}

void AppendUtf8(std::string& out, std::uint32_t ch) {
  if (ch < 0x80) {
    out.push_back(static_cast<char>(ch));
  } else if (ch < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
    out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  } else if (ch < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
    out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (ch >> 18)));
    out.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  }
}

const char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr char16_t kBom = 0xFEFF;

}  // namespace

ConversionResult ConvertUTF16toUTF8(const WideString& source, std::string& target,
                                    ConversionFlags flags, bool bom) {
  target.clear();
  ConversionResult result = conversionOK;
  const std::size_t n = source.size();
  std::size_t i = 0;
  while (i < n) {
    std::uint32_t ch = source[i];
    std::size_t used = 1;
    if (IsHighSurrogate(ch) && i + 1 < n) {
      const std::uint32_t next = source[i + 1];
      if (IsLowSurrogate(next)) {
        ch = ((ch - 0xD800) << 10) + (next - 0xDC00) + 0x10000;
        used = 2;
      } else if (flags == strictConversion) {
        result = sourceIllegal;
        break;
      }
      // A high surrogate as the last unit is written alone, in both modes.
    } else if (IsLowSurrogate(ch) && flags == strictConversion) {
      result = sourceIllegal;
      break;
    }
    AppendUtf8(target, ch);
    i += used;
  }
  if (bom && target.compare(0, 3, kUtf8Bom) != 0) target.insert(0, kUtf8Bom);
  return result;
}

bool isLegalUTF8Sequence(const unsigned char* source, size_t length) {
  if (source == nullptr || length == 0) return false;
  const unsigned char lead = source[0];
  const std::size_t size = TrailingBytes(lead) + 1;
  if (size > length || size > 4) return false;
  if ((lead >= 0x80 && lead <= 0xC1) || lead > 0xF4) return false;
  for (std::size_t i = 1; i < size; ++i)
    if (source[i] < 0x80 || source[i] > 0xBF) return false;
  if (size >= 2) {
    const unsigned char second = source[1];
    if (lead == 0xE0 && second < 0xA0) return false;  // overlong
    if (lead == 0xF0 && second < 0x90) return false;  // overlong
    if (lead == 0xF4 && second > 0x8F) return false;  // beyond U+10FFFF
  }
  return true;
}

ConversionResult ConvertUTF8toUTF16(const std::string& source, WideString& target,
                                    ConversionFlags flags, bool bom) {
  target.clear();
  ConversionResult result = conversionOK;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(source.data());
  const std::size_t n = source.size();
  std::size_t i = 0;
  while (i < n) {
    const std::size_t extra = TrailingBytes(s[i]);
    if (extra >= n - i) {
      result = sourceExhausted;
      break;
    }
    if (!isLegalUTF8Sequence(s + i, extra + 1)) {
      result = sourceIllegal;
      break;
    }
    // The lead byte contributes the bits below its length marker.
    std::uint32_t ch = extra == 0 ? s[i] : s[i] & (0x3Fu >> extra);
    for (std::size_t k = 1; k <= extra; ++k) ch = (ch << 6) | (s[i + k] & 0x3Fu);
    if (ch >= 0x10000) {
      ch -= 0x10000;
      target.push_back(static_cast<char16_t>(0xD800 + (ch >> 10)));
      target.push_back(static_cast<char16_t>(0xDC00 + (ch & 0x3FF)));
    } else if (flags == strictConversion && ch >= 0xD800 && ch <= 0xDFFF) {
      result = sourceIllegal;
      break;
    } else {
      target.push_back(static_cast<char16_t>(ch));
    }
    i += extra + 1;
  }
  if (bom && (target.empty() || target[0] != kBom)) target.insert(target.begin(), kBom);
  return result;
}

WideString ConvertUTF8String(const std::string& s) {
  if (s.compare(0, 3, kUtf8Bom) == 0) {
    WideString wide;
    if (ConvertUTF8toUTF16(s, wide, strictConversion, false) != sourceIllegal) {
      // The mark is no part of the text, unless it is all there is.
      if (wide.size() > 1 && wide[0] == kBom) wide.erase(0, 1);
      return wide;
    }
  }
  return NarrowToWide(s);
}
