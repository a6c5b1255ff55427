#include "platform/EscapedUtf8.h"

#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the valid sequence at bytes[i] and its code point; 0 when the byte
// there does not start a valid, shortest-form, non-surrogate sequence.
size_t DecodeSequence(const char* bytes, size_t size, size_t i, char32_t& code) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
  size_t length;
  char32_t minimum;
  if (lead < 0x80) { code = lead; return 1; }
  if (lead >= 0xC2 && lead <= 0xDF) { length = 2; minimum = 0x80; code = lead & 0x1F; }
  else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; minimum = 0x800; code = lead & 0x0F; }
  else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; minimum = 0x10000; code = lead & 0x07; }
  else return 0;
  if (size - i < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(bytes[i + k]);
    if (!IsContinuation(next)) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

// Writes code at out (room for four bytes) and returns the end.
char* PutCodePoint(char* out, char32_t code) {
  if (code < 0x80) {
    *out++ = static_cast<char>(code);
  } else if (code < 0x800) {
    *out++ = static_cast<char>(0xC0 | (code >> 6));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (code >> 12));
    *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (code >> 18));
    *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

// Both directions size the result for the longest outcome first and write
// through a pointer: the walk converts every path it opens, and growing the
// string unit by unit was most of its own work.

void DecodeEscapedUtf8(const char* bytes, size_t size, WideString& result) {
  // A byte never gives more than one unit; a four-byte sequence gives two.
  result.resize(size);
  char16_t* out = &result[0];
  size_t i = 0;
  while (i < size) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) {
      *out++ = byte;
      ++i;
      continue;
    }
    char32_t code = 0;
    const size_t length = DecodeSequence(bytes, size, i, code);
    if (length == 0) {
      *out++ = static_cast<char16_t>(0xDC00 + byte);
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      *out++ = static_cast<char16_t>(0xD800 + (code >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      *out++ = static_cast<char16_t>(code);
    }
    i += length;
  }
  result.resize(static_cast<size_t>(out - result.data()));
}

void EncodeEscapedUtf8(const WideString& text, std::string& result) {
  // At most three bytes a unit; a surrogate pair gives four for two.
  result.resize(text.size() * 3);
  char* out = &result[0];
  const char16_t* in = text.data();
  const char16_t* const end = in + text.size();
  while (in != end) {
    const char16_t unit = *in++;
    if (unit < 0x80) {
      *out++ = static_cast<char>(unit);
    } else if (IsHighSurrogate(unit) && in != end && IsLowSurrogate(*in)) {
      const char32_t code = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (*in++ - 0xDC00);
      out = PutCodePoint(out, code);
    } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
      *out++ = static_cast<char>(unit - 0xDC00);
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      out = PutCodePoint(out, kReplacement);
    } else {
      out = PutCodePoint(out, unit);
    }
  }
  result.resize(static_cast<size_t>(out - result.data()));
}

WideString DecodeEscapedUtf8(const std::string& bytes) {
  WideString result;
  DecodeEscapedUtf8(bytes.data(), bytes.size(), result);
  return result;
}

std::string EncodeEscapedUtf8(const WideString& text) {
  std::string result;
  EncodeEscapedUtf8(text, result);
  return result;
}
